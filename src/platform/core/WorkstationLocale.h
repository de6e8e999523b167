// The regional settings every program and tool of the system works with: the
// workstation's locale, or Russian where none is configured, with Qt's own texts
// (standard buttons, file and print dialogs) translated to match.
#pragma once
#include <QLocale>

class QCoreApplication;

namespace vorn {

// The workstation's locale; a machine with none set up (the C locale, as under
// LANG=C.UTF-8 or no LANG at all) gets ru_RU, the locale the system is written for.
QLocale workstationLocale();

// Makes workstationLocale() the default for numbers and dates and installs Qt's
// translations for its language into app. Call once, right after app exists.
void applyWorkstationLocale(QCoreApplication *app);

} // namespace vorn
