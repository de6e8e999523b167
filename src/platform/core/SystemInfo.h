// Facts about the running program and the workstation that the program names
// itself and its sessions by.
#pragma once
#include <QString>

namespace vorn::sysinfo {

// The executable's file name, upper-cased and cut before its first ".EXE".
QString programName();
QString programNameFrom(const QString &executablePath);  // the rule alone, for any path
// The executable's name as it stands, without extension (names the settings store).
QString executableBaseName();
// The workstation's network name, at most 15 characters.
QString computerName();
// The directory the executable lives in (profiles file, demo catalogue).
QString executableDir();

} // namespace vorn::sysinfo
