#include "shell/VornGenApp.h"

#include <QApplication>
#include <QMainWindow>

int VornGenAppMain(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.show();
    return app.exec();
}
