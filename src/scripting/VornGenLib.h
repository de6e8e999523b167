// The object model's type library (VornGen.tlb): made from the member declarations,
// written at build time beside the program, looked for at run time.
#pragma once
#include <QString>
#include <QUuid>
#include <memory>

namespace vorn {
class TypeLibrary;
}

QUuid VornGenLibraryId();   // {93307748-0A1E-11D3-992E-00C0DFE97D5A}, version 1.0
std::shared_ptr<vorn::TypeLibrary> BuildVornGenTypeLibrary();
// Where the file is looked for: the system directory, then the program's directory.
QString FindVornGenTlb();
// Loads the found file into the process's type-library registry once; shows
// "Не могу найти VornGen.tlb !" and returns false when it is not there.
bool LoadVornGenTlb();
