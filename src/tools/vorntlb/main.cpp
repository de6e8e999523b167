// vorntlb: writes the object model's type-library description file (VornGen.tlb)
// from the member declarations the program itself answers calls with.
#include "platform/automation/TypeLibrary.h"
#include "scripting/VornGenLib.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: vorntlb OUTPUT.tlb\n");
        return 2;
    }
    if (!BuildVornGenTypeLibrary()->save(QString::fromLocal8Bit(argv[1]))) {
        fprintf(stderr, "vorntlb: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
