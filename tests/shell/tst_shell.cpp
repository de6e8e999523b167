// The program frame: command-line table, start-up routes, menu enabling, status bar,
// the "Данные" dispatch, single-instance child windows and the settings commands.
#include "database/VornMessages.h"
#include "platform/core/SettingsStore.h"
#include "platform/core/SystemInfo.h"
#include "platform/core/WorkstationLocale.h"
#include "platform/data/DataError.h"
#include "platform/data/Database.h"
#include "execution/Qrprevr.h"
#include "platform/report/ReportPages.h"
#include "shell/VornCmndLine.h"
#include "shell/VornGenApp.h"
#include "shell/frAboutMe.h"
#include "shell/frVornGenAppMDIMain.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Records every message box and answers it with a preset button.
struct MessageLog
{
    QStringList texts;
    TMsgButton answer = TMsgButton::Ok;
    TMsgAnswerer previous;
    MessageLog()
    {
        previous = SetMessageAnswerer([this](const TMsgRequest &r) {
            texts << r.text;
            return (r.buttons & int(answer)) ? answer : TMsgButton(r.buttons & -r.buttons);
        });
    }
    ~MessageLog() { SetMessageAnswerer(previous); }
};

// Services that pretend to connect and record what start-up asked of them.
struct FakeServices : TMainWindowServices
{
    QStringList *calls;
    bool connected = false;
    bool connectSucceeds = true;
    bool loginSucceeds = false;
    bool admin = false;
    explicit FakeServices(QStringList *log) : calls(log) {}
    bool IsConnected() const override { return connected; }
    ConnectionInfo Connection() const override { return {"ivanov", "srv1", "vorn"}; }
    bool ConnectFromProfile(const QString &p, const QString &l, const QString &pw) override
    {
        *calls << QStringLiteral("connect %1 %2 %3").arg(p, l, pw);
        connected = connectSucceeds;
        return connected;
    }
    bool LoginDialog(bool, QString *profile) override
    {
        *calls << "login";
        connected = loginSucceeds;
        *profile = loginSucceeds ? "Demo" : "";
        return connected;
    }
    void CloseConnection() override { *calls << "close"; connected = false; }
    bool IsAdmin(bool refresh) override { *calls << QStringLiteral("isadmin %1").arg(refresh); return admin; }
    void ReadParamPrefix() override { *calls << "prefix"; }
    void ForgetUserFullName() override { *calls << "forget"; }
    void RunStoredScript(int id) override { *calls << QStringLiteral("script %1").arg(id); }
    void RunImport(int id, const QString &f) override { *calls << QStringLiteral("import %1 %2").arg(id).arg(f); }
    void StartMessageReceiver() override { *calls << "receiver"; }
    void ShowCatalogue() override { *calls << "catalogue"; }
};

class Child : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    int changed = 0;
protected:
    bool event(QEvent *e) override
    {
        if (e->type() == WM_CATALOGUE_CHANGED)
            ++changed;
        return QWidget::event(e);
    }
};

class OtherChild : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};

} // namespace

using Pairs = QList<QPair<QString, QString>>;

class TstShell : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void commandLine_data();
    void commandLine();
    void syntaxText();
    void startUp_data();
    void startUp();
    void menuEnabling_data();
    void menuEnabling();
    void closeDatabase();
    void lostConnection_data();
    void lostConnection();
    void qtTextsInRussian();
    void helpOnStandardOutput();
    void savedReportFromFileManager();
    void automationShape();
    void statusBar();
    void dataDispatch();
    void childForms();
    void deleteSettings();
    void about();

private:
    QTemporaryDir m_config;
};

void TstShell::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
}

void TstShell::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<Pairs>("table");
    QTest::addColumn<QStringList>("messages");
    const QString nv = kCmdNoValue;
    const QString dup = "Дублирование ключей командной строки";
    QTest::newRow("prefixes") << QStringList{"/cn:Main", "-u:x", "p:y"}
                              << Pairs{{"CN", "Main"}, {"U", "x"}, {"P", "y"}} << QStringList{};
    QTest::newRow("empty value") << QStringList{"/cn:A", "/u:x", "/p:"}
                                 << Pairs{{"CN", "A"}, {"U", "x"}, {"P", nv}} << QStringList{};
    QTest::newRow("no colon") << QStringList{"/RunScript"} << Pairs{{"RUNSCRIPT", nv}} << QStringList{};
    QTest::newRow("leading colon") << QStringList{":abc"} << Pairs{} << QStringList{"Неверный аргумент командной строки: \":abc\""};
    QTest::newRow("value keeps colons") << QStringList{"/ImportFile:C:\\data\\in.csv"}
                                        << Pairs{{"IMPORTFILE", "C:\\data\\in.csv"}} << QStringList{};
    QTest::newRow("duplicate keeps first") << QStringList{"/cn:A", "-CN:B"} << Pairs{{"CN", "A"}} << QStringList{dup};
    QTest::newRow("one prefix only") << QStringList{"//s:x"} << Pairs{{"/S", "x"}} << QStringList{};
    QTest::newRow("help not stored") << QStringList{"/h", "-?", "cn:A"} << Pairs{{"CN", "A"}}
                                     << QStringList{TVornCmndLine::SyntaxText(vorn::sysinfo::programName()),
                                                    TVornCmndLine::SyntaxText(vorn::sysinfo::programName())};
    QTest::newRow("error stops parsing") << QStringList{"/cn:A", "/", "/u:x"} << Pairs{{"CN", "A"}}
                                         << QStringList{"Неверный аргумент командной строки: \"/\""};
}

void TstShell::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(Pairs, table);
    QFETCH(QStringList, messages);
    MessageLog log;
    TVornCmndLine cmd;
    cmd.Parse(args);
    Pairs got;
    for (const auto &[k, v] : cmd.Keys())
        got << qMakePair(k, v);
    QCOMPARE(got, table);
    QCOMPARE(log.texts, messages);
}

void TstShell::syntaxText()
{
    const QString t = TVornCmndLine::SyntaxText("VORNGEN");
    QVERIFY(t.startsWith("Синтаксис командной строки:\n\r          \"VORNGEN [/s:<server>] [/db:<database>] [/l:<login> [/p:<password>]]\"\n\r"));
    QVERIFY(t.contains("\"\n\r   или    \"VORNGEN [-s:<server>] [-db:<database>] [-l:<login> [-p:<password>]]\"\n\r"));
    QVERIFY(t.endsWith("   или    \"VORNGEN [?]\"\n\r"));
    QCOMPARE(t.count("   или    \""), 8);
}

void TstShell::startUp_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("connectOk");
    QTest::addColumn<bool>("keepsRunning");
    QTest::addColumn<QStringList>("calls");
    const QStringList tail{"prefix", "isadmin 1"};
    QTest::newRow("no arguments") << QStringList{} << true << true << QStringList{"login", "receiver"};
    QTest::newRow("empty password") << QStringList{"/cn:A", "/u:x", "/p:"} << true << true
                                    << QStringList{"login", "receiver"};
    QTest::newRow("u wins over l") << QStringList{"/cn:A", "/l:x", "/p:y", "/u:z"} << true << true
                                   << QStringList{"connect A z y"} + tail + QStringList{"receiver", "catalogue"};
    QTest::newRow("l alone") << QStringList{"/cn:A", "/l:x", "/p:y"} << true << true
                             << QStringList{"connect A x y"} + tail + QStringList{"receiver", "catalogue"};
    QTest::newRow("run script") << QStringList{"/cn:A", "/u:x", "/p:y", "/RunScript:12"} << true << false
                                << QStringList{"connect A x y"} + tail + QStringList{"script 12"};
    QTest::newRow("run import with file") << QStringList{"/cn:A", "/u:x", "/p:y", "/RunImport:3", "/ImportFile:/tmp/a.csv"}
                                          << true << false
                                          << QStringList{"connect A x y"} + tail + QStringList{"import 3 /tmp/a.csv"};
    QTest::newRow("script wins over import") << QStringList{"/cn:A", "/u:x", "/p:y", "/RunImport:3", "/RunScript:5"}
                                             << true << false
                                             << QStringList{"connect A x y"} + tail + QStringList{"script 5"};
    QTest::newRow("non-positive script") << QStringList{"/cn:A", "/u:x", "/p:y", "/RunScript:abc"} << true << true
                                         << QStringList{"connect A x y"} + tail + QStringList{"receiver", "catalogue"};
    QTest::newRow("failed connection, no dialog") << QStringList{"/cn:A", "/u:x", "/p:y"} << false << true
                                                  << QStringList{"connect A x y", "receiver"};
    // the step is not tried without the connection, and the run ends as failed
    QTest::newRow("batch after failed connection") << QStringList{"/cn:A", "/u:x", "/p:y", "/RunScript:7"} << false << false
                                                   << QStringList{"connect A x y"};
    QTest::newRow("import after failed connection") << QStringList{"/cn:A", "/u:x", "/p:y", "/RunImport:3"} << false << false
                                                    << QStringList{"connect A x y"};
}

void TstShell::startUp()
{
    QFETCH(QStringList, args);
    QFETCH(bool, connectOk);
    QFETCH(bool, keepsRunning);
    QFETCH(QStringList, calls);
    MessageLog log;
    VornCmndLine().Clear();
    VornCmndLine().Parse(args);
    QStringList got;
    auto services = std::make_unique<FakeServices>(&got);
    services->connectSucceeds = connectOk;
    TfrmVornGenAppMDImain w(std::move(services));
    QCOMPARE(w.FormLoad(false), keepsRunning);
    QCoreApplication::sendPostedEvents(&w);
    QCOMPARE(got, calls);
    QCOMPARE(w.ExitCode(), !connectOk && !keepsRunning ? 1 : 0);
    if (got.contains("catalogue"))
        QCOMPARE(w.windowTitle(), QString("Генератор отчётов Vorn /A/"));
    VornCmndLine().Clear();
}

void TstShell::menuEnabling_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("admin");
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<QStringList>("disabled");
    const QStringList connectedItems{"mnuCloseDB", "mnuReports", "mnuImport", "mnuMessage"};
    QTest::newRow("not connected") << false << false << QStringList{"mnuOpenDB", "mnuExit", "mnFind", "mnuChangePassword", "mnuAbout", "mnuCascade"}
                                   << connectedItems + QStringList{"mnuImportSetup"};
    QTest::newRow("user") << true << false << connectedItems + QStringList{"mnuExit"}
                          << QStringList{"mnuOpenDB", "mnuImportSetup"};
    QTest::newRow("administrator") << true << true << connectedItems + QStringList{"mnuImportSetup"}
                                   << QStringList{"mnuOpenDB"};
}

void TstShell::menuEnabling()
{
    QFETCH(bool, connected);
    QFETCH(bool, admin);
    QFETCH(QStringList, enabled);
    QFETCH(QStringList, disabled);
    MessageLog log;
    VornCmndLine().Clear();
    QStringList calls;
    auto services = std::make_unique<FakeServices>(&calls);
    services->loginSucceeds = connected;
    services->admin = admin;
    TfrmVornGenAppMDImain w(std::move(services));
    w.FormLoad(false);
    for (const QString &n : enabled)
        QVERIFY2(w.Action(n) && w.Action(n)->isEnabled(), qPrintable(n));
    for (const QString &n : disabled)
        QVERIFY2(w.Action(n) && !w.Action(n)->isEnabled(), qPrintable(n));
    // Captions and shortcuts as the users know them.
    QCOMPARE(w.Action("mnuOpenDB")->text(), QString("&Открыть базу данных  "));
    QCOMPARE(w.Action("mnSumColumn")->shortcut(), QKeySequence("Ctrl+Alt+S"));
    QCOMPARE(w.Action("mnuMessage")->shortcut(), QKeySequence("Ctrl+S"));
    QStringList menus;
    for (QAction *a : w.menuBar()->actions())
        menus << a->text();
    QCOMPARE(menus, (QStringList{"&Файл  ", "&Действия  ", "С&ервис  ", "&Окна  ", "&?"}));
    if (connected) {
        QCOMPARE(w.VornStatusBar()->Panel(1)->text(), QString("Сервер: srv1"));
        QCOMPARE(w.VornStatusBar()->Panel(2)->text(), QString("БД: vorn"));
        QCOMPARE(w.windowTitle(), QString("Генератор отчётов Vorn /Demo/"));
    }
}

void TstShell::closeDatabase()
{
    MessageLog log;
    VornCmndLine().Clear();
    QStringList calls;
    auto services = std::make_unique<FakeServices>(&calls);
    services->loginSucceeds = true;
    TfrmVornGenAppMDImain w(std::move(services));
    w.FormLoad(false);
    auto *child = new Child;
    QMdiSubWindow *sub = w.Mdi()->addSubWindow(child);
    QPointer<QMdiSubWindow> guard(sub);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->show();
    QCoreApplication::sendPostedEvents(&w);
    calls.clear();
    QCOMPARE(w.ConnectionName(), QString("Demo"));
    w.CloseDatabase();
    QCOMPARE(calls, (QStringList{"close", "forget"}));
    QCOMPARE(w.ConnectionName(), QString());  // the automation server reports it
    QCOMPARE(w.windowTitle(), QString("Генератор отчётов Vorn"));
    QVERIFY(w.VornStatusBar()->Panel(0)->text().isEmpty());
    QVERIFY(w.Action("mnuOpenDB")->isEnabled());
    QVERIFY(!w.Action("mnuCloseDB")->isEnabled());
    QTRY_VERIFY(guard.isNull());  // the child was asked to close
    calls.clear();
    w.CloseDatabase();  // not connected: nothing
    QVERIFY(calls.isEmpty());
}

// The real connection dbMain on the PostgreSQL test cluster, opened from the menu.
struct PgServices : TMainWindowServices
{
    int catalogueShown = 0;
    bool LoginDialog(bool, QString *profile) override
    {
        vorn::Database *db = Db();
        db->setDriverName("POSTGRESQL");
        db->params().clear();
        db->params().setValue("SERVER NAME", qEnvironmentVariable("VORN_PG_HOST") + ":" + qEnvironmentVariable("VORN_PG_PORT"));
        db->params().setValue("DATABASE NAME", "postgres");
        db->params().setValue("USER NAME", qEnvironmentVariable("VORN_PG_USER"));
        db->params().setValue("PASSWORD", qEnvironmentVariable("VORN_PG_PASSWORD"));
        db->params().setValue("APPLICATION NAME", "vorn_lost_test");
        db->open();
        *profile = "Сервер";
        return db->isOpen();
    }
    void StartMessageReceiver() override {}
    void ShowCatalogue() override { ++catalogueShown; }
};

static void killSession(const QString &application)
{
    {
        QSqlDatabase k = QSqlDatabase::addDatabase("QPSQL", "killer");
        k.setHostName(qEnvironmentVariable("VORN_PG_HOST"));
        k.setPort(qEnvironmentVariable("VORN_PG_PORT").toInt());
        k.setUserName(qEnvironmentVariable("VORN_PG_USER"));
        k.setPassword(qEnvironmentVariable("VORN_PG_PASSWORD"));
        k.setDatabaseName("postgres");
        QVERIFY(k.open());
        QSqlQuery q(k);
        QVERIFY(q.exec("select count(pg_terminate_backend(pid)) from pg_stat_activity where application_name = '" + application + "'"));
        QVERIFY(q.next() && q.value(0).toInt() == 1);
        k.close();
    }
    QSqlDatabase::removeDatabase("killer");
}

void TstShell::lostConnection_data()
{
    QTest::addColumn<bool>("reconnect");  // the answer to "connect again?"
    QTest::newRow("user declines") << false;
    QTest::newRow("user reconnects") << true;
}

void TstShell::lostConnection()
{
    // The server drops the connection (an administrator ends the session): the
    // failing action says so, then the window is not connected and can connect again.
    if (qEnvironmentVariableIsEmpty("VORN_PG_PORT"))
        QSKIP("VORN_PG_* not set: no PostgreSQL cluster");
    QFETCH(bool, reconnect);
    MessageLog log;
    log.answer = reconnect ? TMsgButton::Yes : TMsgButton::No;
    auto services = std::make_unique<PgServices>();
    PgServices *pg = services.get();
    VornCmndLine().Clear();
    TfrmVornGenAppMDImain w(std::move(services));
    QVERIFY(w.FormLoad(false));  // the login at start-up connects
    QVERIFY(w.IsConnected());
    QCOMPARE(w.windowTitle(), QString("Генератор отчётов Vorn /Сервер/"));
    QVERIFY(w.Action("mnuCloseDB")->isEnabled());
    killSession("vorn_lost_test");

    QString error;
    try {
        pg->Db()->execute("select 1");
    } catch (const vorn::DataError &e) {
        error = e.message();
    }
    QVERIFY2(error.startsWith("Соединение с сервером потеряно"), qPrintable(error));
    QTRY_VERIFY(log.texts.contains("Соединение с базой данных потеряно. Подключиться снова?"));
    if (reconnect) {
        QTRY_VERIFY(w.IsConnected());
        QCOMPARE(w.windowTitle(), QString("Генератор отчётов Vorn /Сервер/"));
        QCOMPARE(w.ConnectionName(), QString("Сервер"));
        QVERIFY(w.Action("mnuCloseDB")->isEnabled());
        QCOMPARE(pg->Db()->selectValue("select 41 + 1").toInt(), 42);
    } else {
        QVERIFY(!w.IsConnected());
        QCOMPARE(w.windowTitle(), QString("Генератор отчётов Vorn"));
        QCOMPARE(w.ConnectionName(), QString());
        QVERIFY(w.VornStatusBar()->Panel(0)->text().isEmpty());
        QVERIFY(w.Action("mnuOpenDB")->isEnabled());
        QVERIFY(!w.Action("mnuCloseDB")->isEnabled());
        QVERIFY(!w.Action("mnuReports")->isEnabled());
        // and the user opens it again from the menu
        w.OpenDatabase();
        QVERIFY(w.IsConnected());
        QCOMPARE(w.ConnectionName(), QString("Сервер"));
    }
    w.CloseDatabase();
    QVERIFY(!w.IsConnected());
}

void TstShell::qtTextsInRussian()
{
    // Standard buttons and Qt's dialogs speak Russian once the locale rule is applied.
    vorn::applyWorkstationLocale(QCoreApplication::instance());
    QDialogButtonBox after(QDialogButtonBox::Yes | QDialogButtonBox::Cancel);
    QCOMPARE(after.button(QDialogButtonBox::Yes)->text().remove('&'), QString("Да"));
    QCOMPARE(after.button(QDialogButtonBox::Cancel)->text().remove('&'), QString("Отмена"));
    QCOMPARE(QLocale().language(), QLocale::Russian);  // the tests run with LANG=ru_RU.UTF-8
}

void TstShell::helpOnStandardOutput()
{
    // The keys the program really accepts, printed without any window.
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("VORN_BINARY_DIR") + "/bin/VornGen", {"--help"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    for (const char *key : {"/cn:", "/u:", "/l:", "/p:", "/RunScript:", "/RunImport:", "/ImportFile:", "/h", "--help", ".vrp"})
        QVERIFY2(out.contains(QLatin1String(key)), key);
    QVERIFY(out.startsWith("Использование: VornGen"));
}

void TstShell::savedReportFromFileManager()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Отчёт за май.vrp");
    {
        vorn::report::ReportPages pages;
        pages.setTitle("Отчёт за май");
        vorn::report::ReportPage page;
        page.size = QSizeF(210, 297);
        vorn::report::PageItem item;
        item.rect = QRectF(20, 20, 100, 10);
        item.text = "Итого: 80 551 747,36";
        item.font = pages.fontIndex({"Arial", 10});
        page.items << item;
        pages.appendPage(page);
        pages.finish();
        QString error;
        QVERIFY2(pages.saveFile(file, &error), qPrintable(error));
    }
    // Only a saved report alone on the command line opens the preview.
    QCOMPARE(SavedReportArgument({file}), QFileInfo(file).absoluteFilePath());
    QCOMPARE(SavedReportArgument({file, "/cn:Демо"}), QString());
    QCOMPARE(SavedReportArgument({"/cn:Демо"}), QString());
    QCOMPARE(SavedReportArgument({dir.filePath("missing.vrp")}), QString());
    MessageLog log;
    QPointer<TQRRussianPreview> preview = ShowSavedReport(file);
    QVERIFY(preview);
    QVERIFY(preview->isVisible());
    QCOMPARE(preview->Pages()->pageCount(), 1);
    QCOMPARE(preview->Pages()->pageTexts(0), QStringList{"Итого: 80 551 747,36"});
    for (vorn::Database *db : vorn::Database::databases())
        QVERIFY(!db->isOpen());  // no connection was needed
    QVERIFY(log.texts.isEmpty());
    preview->close();
    QTRY_VERIFY(preview.isNull());
    QVERIFY(!ShowSavedReport(dir.filePath("missing.vrp")));
    QCOMPARE(log.texts.size(), 1);
}

void TstShell::automationShape()
{
    MessageLog log;
    VornCmndLine().Clear();
    QStringList calls;
    auto services = std::make_unique<FakeServices>(&calls);
    services->connected = true;
    TfrmVornGenAppMDImain w(std::move(services));
    QVERIFY(w.FormLoad(true));
    QCoreApplication::sendPostedEvents(&w);
    QCOMPARE(calls, QStringList{"close"});  // no login, no receiver, no catalogue
    QCOMPARE(w.menuBar()->actions().size(), 1);
    QCOMPARE(w.menuBar()->actions().first()->text(), QString("В&ыход"));
    QVERIFY(w.windowState() & Qt::WindowMinimized);
}

void TstShell::statusBar()
{
    MessageLog log;
    VornCmndLine().Clear();
    QStringList calls;
    TfrmVornGenAppMDImain w(std::make_unique<FakeServices>(&calls));
    w.FormLoad(false);
    w.resize(900, 600);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    TVornStatusBar *bar = w.VornStatusBar();
    QVERIFY(bar->isVisible());
    const int before = bar->PanelWidth(1);
    w.SetStatusText(1, "x");
    QCOMPARE(bar->PanelWidth(1), before);  // wide enough already
    const QString longText = "Сервер: очень-длинное-имя-сервера-базы-данных.example";
    w.SetStatusText(1, longText);
    QCOMPARE(bar->PanelWidth(1), bar->Panel(1)->fontMetrics().horizontalAdvance(longText) + 6);

    TSBctrl *ctrl = w.StatusMessage();
    bar->showMessage("simple");
    ctrl->SetColor(Qt::red);
    ctrl->SetFontStyle(fsBold | fsItalic);
    ctrl->SetText("Идёт загрузка");
    QVERIFY(bar->currentMessage().isEmpty());
    auto redPixels = [&] {
        const QImage img = bar->MessagePanel()->grab().toImage();
        int n = 0, minX = img.width();
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.red() > 150 && c.green() < 90 && c.blue() < 90) {
                    ++n;
                    minX = std::min(minX, x);
                }
            }
        return std::pair(n, minX);
    };
    const auto [n, minX] = redPixels();
    QVERIFY(n > 20);
    QVERIFY(minX >= 3);
    ctrl->SetText("   ");
    QCOMPARE(redPixels().first, 0);
}

void TstShell::dataDispatch()
{
    MessageLog log;
    VornCmndLine().Clear();
    QStringList calls;
    TfrmVornGenAppMDImain w(std::make_unique<FakeServices>(&calls));
    w.FormLoad(false);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *child = new QWidget;
    auto *grid = new QLineEdit(child);
    grid->setProperty("vornDataControl", "grid");
    auto *edit = new QLineEdit(child);
    edit->setProperty("vornDataControl", "edit");
    auto *plain = new QLineEdit(child);
    edit->move(0, 30);
    plain->move(0, 60);
    QMdiSubWindow *sub = w.Mdi()->addSubWindow(child);
    sub->show();
    w.Mdi()->setActiveSubWindow(sub);
    QList<QPair<TDataCommand, QWidget *>> got;
    SetDataCommandHandler([&](TDataCommand c, QWidget *t) { got << qMakePair(c, t); });
    auto run = [&](QWidget *focus, TDataCommand c) -> QWidget * {
        got.clear();
        QApplication::setActiveWindow(&w);
        focus->setFocus();
        (void)QTest::qWaitFor([&] { return QApplication::focusWidget() == focus; });
        if (QApplication::focusWidget() != focus)
            return focus;  // makes the comparison fail loudly
        w.ExecuteDataCommand(c);
        return got.isEmpty() ? nullptr : got.first().second;
    };
    QCOMPARE(run(grid, TDataCommand::Filter), static_cast<QWidget *>(grid));
    QCOMPARE(run(edit, TDataCommand::Find), static_cast<QWidget *>(edit));
    QCOMPARE(run(edit, TDataCommand::Filter), static_cast<QWidget *>(nullptr));     // grids only
    QCOMPARE(run(edit, TDataCommand::SumColumn), static_cast<QWidget *>(nullptr));
    QCOMPARE(run(plain, TDataCommand::Sort), static_cast<QWidget *>(nullptr));      // not a data control
    QCOMPARE(run(plain, TDataCommand::RefreshAll), child);  // the active window
    QCOMPARE(run(grid, TDataCommand::Info), static_cast<QWidget *>(nullptr));       // no action
    SetDataCommandHandler({});
}

void TstShell::childForms()
{
    MessageLog log;
    VornCmndLine().Clear();
    QStringList calls;
    TfrmVornGenAppMDImain w(std::make_unique<FakeServices>(&calls));
    w.FormLoad(false);
    Child *a = ShowChildForm<Child>();
    Child *b = ShowChildForm<Child>();
    QCOMPARE(a, b);
    OtherChild *o = ShowChildForm<OtherChild>();
    QVERIFY(static_cast<QWidget *>(o) != static_cast<QWidget *>(a));
    QCOMPARE(w.Mdi()->subWindowList().size(), 2);
    ShowChildForm<Child>();
    QCOMPARE(w.Mdi()->activeSubWindow()->widget(), static_cast<QWidget *>(a));
    NotifyCatalogueChanged();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(a->changed, 1);
    w.Mdi()->closeAllSubWindows();
}

void TstShell::deleteSettings()
{
    const QString legacy = vorn::SettingsStore::defaultDirectory() + "/" + vorn::sysinfo::executableBaseName() + ".INI";
    {
        vorn::SettingsStore s(vorn::sysinfo::executableBaseName());
        s.writeString("VORN_PARAMS_VALUE", "1a0", "x");
        QFile f(legacy);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    MessageLog log;
    VornCmndLine().Clear();
    QStringList calls;
    {
        TfrmVornGenAppMDImain w(std::make_unique<FakeServices>(&calls));
        w.FormLoad(false);
        w.Action("mnuDeleteSettingsOnClose")->trigger();
        QVERIFY(w.Action("mnuDeleteSettingsOnClose")->isChecked());
        QVERIFY(QFile::exists(legacy));
    }  // destroyed with the mark set
    QVERIFY(!QFile::exists(legacy));
    vorn::SettingsStore s(vorn::sysinfo::executableBaseName());
    QVERIFY(!s.keyExists("VORN_PARAMS_VALUE"));

    // the menu command asks first; No keeps everything
    s.writeString("VORN_PARAMS_VALUE", "1a0", "x");
    TfrmVornGenAppMDImain w(std::make_unique<FakeServices>(&calls));
    w.FormLoad(false);
    log.texts.clear();
    log.answer = TMsgButton::No;
    w.Action("mnuDeleteSettings")->trigger();
    QCOMPARE(log.texts, QStringList{"Удалить настройки пользователя (расположение окон, последние подключения, "
                                    "запомненные значения параметров)?"});
    s.reload();
    QVERIFY(s.keyExists("VORN_PARAMS_VALUE"));
    log.answer = TMsgButton::Yes;
    w.Action("mnuDeleteSettings")->trigger();
    s.reload();
    QVERIFY(!s.keyExists("VORN_PARAMS_VALUE"));
}

void TstShell::about()
{
    TfrAboutMe a;
    QCOMPARE(a.windowTitle(), QString("О программе и авторе"));
    QCOMPARE(a.findChild<QLabel *>("lblVersion")->text(), QString("Версия " VORN_VERSION));
}

QTEST_MAIN(TstShell)
#include "tst_shell.moc"
