#include "shell/VornGenApp.h"

#include "database/dmdVorn.h"
#include "execution/VornGridTools.h"
#include "shell/VornCmndLine.h"
#include "shell/frVornGenAppMDIMain.h"

#include <QApplication>
#include <QDateEdit>
#include <QLocale>

static bool g_startedByAutomation = false;
void SetStartedByAutomation(bool on) { g_startedByAutomation = on; }
bool StartedByAutomation() { return g_startedByAutomation; }

int VornGenAppMain(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VornGen"));
    // Numbers and dates follow the workstation's locale; a machine with none set up
    // (the C locale) gets the Russian one the program is written for.
    const QLocale system = QLocale::system();
    QLocale::setDefault(system.language() == QLocale::C ? QLocale(QLocale::Russian, QLocale::Russia) : system);

    if (!StartedByAutomation())
        VornCmndLine().Parse(QApplication::arguments().mid(1));

    auto *dm = new TdmVorn(&app);
    auto *main = new TfrmVornGenAppMDImain();
    InstallDataCommands();  // the "Данные" items act on the focused grid
    if (!main->FormLoad(StartedByAutomation())) {
        delete main;  // a batch run ended the program before the message loop
        delete dm;
        return 0;
    }
    if (StartedByAutomation())
        main->showMinimized();
    else
        main->showMaximized();
    const int rc = app.exec();
    delete main;
    delete dm;
    return rc;
}
