#include "shell/VornGenApp.h"

#include "database/dmdVorn.h"
#include "execution/Qrprevr.h"
#include "execution/VornGridTools.h"
#include "platform/core/WorkstationLocale.h"
#include "platform/report/ReportExport.h"
#include "shell/VornCmndLine.h"
#include "shell/frVornGenAppMDIMain.h"

#include <QApplication>
#include <QDateEdit>
#include <QFileInfo>
#include <QLocale>
#include <cstdio>

static bool g_startedByAutomation = false;
void SetStartedByAutomation(bool on) { g_startedByAutomation = on; }
bool StartedByAutomation() { return g_startedByAutomation; }

QString SavedReportArgument(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return QString();
    const QFileInfo file(arguments.first());
    return file.isFile() && file.suffix().compare(QLatin1String(vorn::report::savedReportExtension), Qt::CaseInsensitive) == 0
               ? file.absoluteFilePath()
               : QString();
}

TQRRussianPreview *ShowSavedReport(const QString &fileName)
{
    auto *preview = new TQRRussianPreview();
    if (!preview->LoadReport(fileName)) {
        delete preview;
        return nullptr;
    }
    preview->showMaximized();
    preview->raise();
    preview->activateWindow();
    return preview;
}

QString CommandLineHelp(const QString &programName)
{
    return QStringLiteral(
               "Использование: %1 [ключ:значение ...]\n"
               "       %1 <файл.vrp>\n"
               "\n"
               "Ключ пишется с \"/\", \"-\" или без них, значение - после двоеточия; регистр букв не важен.\n"
               "\n"
               "  /cn:<подключение>     подключение (профиль) из VornConn.ini\n"
               "  /u:<имя>              имя пользователя\n"
               "  /l:<имя>              имя пользователя, если /u не задан\n"
               "  /p:<пароль>           пароль\n"
               "                        с /cn, /u (или /l) и /p программа подключается без диалога входа\n"
               "  /RunScript:<Id>       после такого подключения выполнить сценарий каталога с этим Id и завершиться\n"
               "  /RunImport:<Id>       после такого подключения выполнить импорт с этим Id и завершиться\n"
               "  /ImportFile:<файл>    файл для импорта, заданного /RunImport\n"
               "  /s:<сервер>, /db:<база>  принимаются и не используются\n"
               "  /h, /?                показать окно с синтаксисом командной строки\n"
               "  --help                эта справка\n"
               "  <файл.vrp>            открыть сохранённый отчёт в окне просмотра, без подключения к базе\n"
               "\n"
               "Пример: %1 /cn:Демо /u:director /p:director /RunScript:3\n")
        .arg(programName);
}

int VornGenAppMain(int argc, char **argv)
{
    // Answered before any window system is needed.
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--help") == 0) {
            const QByteArray text = CommandLineHelp(QFileInfo(QString::fromLocal8Bit(argv[0])).fileName()).toUtf8();
            std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
            return 0;
        }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VornGen"));
    vorn::applyWorkstationLocale(&app);

    if (!StartedByAutomation()) {
        const QString saved = SavedReportArgument(QApplication::arguments().mid(1));
        if (!saved.isEmpty())
            return ShowSavedReport(saved) ? app.exec() : 1;
        VornCmndLine().Parse(QApplication::arguments().mid(1));
    }

    auto *dm = new TdmVorn(&app);
    auto *main = new TfrmVornGenAppMDImain();
    InstallDataCommands();  // the "Данные" items act on the focused grid
    if (!main->FormLoad(StartedByAutomation())) {
        const int rc = main->ExitCode();
        delete main;  // a batch run ended the program before the message loop
        delete dm;
        return rc;
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
