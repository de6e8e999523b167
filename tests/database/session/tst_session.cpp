// Login, profiles, password change and the data module's helpers on real catalogues:
// a fresh SQLite demo catalogue, and a PostgreSQL one when the test cluster is there.
#include "catalogue/VornCatProcs.h"
#include "VornTestCatalogue.h"
#include "VornTestMessages.h"
#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "database/fLoginDB.h"
#include "database/fPasswrd.h"
#include "platform/core/SettingsStore.h"
#include "platform/data/DataError.h"
#include "platform/data/Database.h"
#include "platform/data/DataSource.h"
#include "platform/data/Query.h"
#include "tools/vorncatalogue/CatalogueBuilder.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlError>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

using vorn::Database;

namespace {

using vorntest::MessageLog;

struct DialogScript
{
    QList<std::function<int(QDialog *)>> steps;  // one per dialog shown
    int shown = 0;
    TDialogRunner previous;
    DialogScript()
    {
        previous = SetDialogRunner([this](QDialog *d) {
            ++shown;
            return steps.isEmpty() ? int(QDialog::Rejected) : steps.takeFirst()(d);
        });
    }
    ~DialogScript() { SetDialogRunner(previous); }
};

std::function<int(QDialog *)> login(const QString &user, const QString &password)
{
    return [=](QDialog *d) {
        auto *dlg = qobject_cast<TfLoginDB *>(d);
        dlg->SetLogin(user);
        dlg->SetPassword(password);
        return int(QDialog::Accepted);
    };
}

std::function<int(QDialog *)> newPassword(const QString &pw)
{
    return [=](QDialog *d) {
        auto *dlg = qobject_cast<TfPasswrd *>(d);
        dlg->SetPasswords(QString(), pw, pw);
        return int(QDialog::Accepted);
    };
}

using vorntest::createSqliteCatalogue;
using vorntest::pgAvailable;
using vorntest::pgServer;

struct PgCatalogue : vorntest::PgCatalogue
{
    PgCatalogue() : vorntest::PgCatalogue(QStringLiteral("vorn_session_")) {}
};

} // namespace

class TstSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void profileSelection_data();
    void profileSelection();
    void loginListRule();
    void saveQuestionOnSwitch();
    void newAndDeleteProfile();
    void newProfileKeepsEdits();
    void profileWithoutDriver();
    void loginDialogAttempts_data();
    void loginDialogAttempts();
    void emptyPasswordForcesChange();
    void cancelledForcedChangeLeavesNotConnected();
    void connectFromProfile();
    void passwordWithQuote();
    void dataModule_data();
    void dataModule();
    void reopenKeepingPosition();
    void quoting();
    void catalogueGuard_data();
    void catalogueGuard();

private:
    void writeIni(const QString &text);
    QTemporaryDir m_dir;
    QString m_catalogue;
    QString m_ini;
};

void TstSession::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
    m_catalogue = m_dir.filePath("demo.sqlite");
    QCOMPARE(createSqliteCatalogue(m_catalogue), QString());
    m_ini = m_dir.filePath("VornConn.ini");
}

void TstSession::writeIni(const QString &text)
{
    QFile f(m_ini);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

void TstSession::profileSelection_data()
{
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("recent");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("editAllowed");
    const QString three = "[Connections]\nBeta=Beta\nAlpha=Alpha\nDefConnection=Alpha\nGamma=Gamma\n"
                          "[Alpha]\nDriver=SQLITE\n[Beta]\nDriver=SQLITE\n[Gamma]\nDriver=SQLITE\n";
    QTest::newRow("recent") << three << "Gamma" << "Gamma" << false;
    QTest::newRow("recent gone, DefConnection") << three << "Old" << "Alpha" << false;
    QTest::newRow("no DefConnection, first key") << QString(three).replace("DefConnection=Alpha\n", "") << "" << "Beta" << false;
    QTest::newRow("editing allowed") << QString(three).replace("[Alpha]", "EditConnections=true\n[Alpha]") << "" << "Alpha" << true;
    QTest::newRow("no profiles") << "[Connections]\nEditConnections=False\n" << "" << "" << true;
}

void TstSession::profileSelection()
{
    QFETCH(QString, ini);
    QFETCH(QString, recent);
    QFETCH(QString, expected);
    QFETCH(bool, editAllowed);
    writeIni(ini);
    vorn::SettingsStore store("tst_session", m_dir.filePath("store1"));
    store.writeString("ResentConnections", "ResentConnection", recent);
    Database db;
    TLoginProfiles p(&db, &store, m_ini);
    p.Load();
    QCOMPARE(p.InitialProfile(), expected);
    QCOMPARE(p.EditAllowed(), editAllowed);
    if (!p.Profiles().isEmpty())
        QVERIFY(!p.Profiles().contains("DefConnection"));
    TfLoginDB dlg(&p);
    QCOMPARE(dlg.Unfolded(), expected.isEmpty());
    if (!expected.isEmpty())
        QCOMPARE(dlg.windowTitle(), "Подсоединение к базе данных /" + expected + "/");
}

void TstSession::loginListRule()
{
    writeIni("[Connections]\nDemo=Demo\n[Demo]\nDriver=SQLITE\nDATABASE NAME=" + m_catalogue + "\n");
    vorn::SettingsStore store("tst_session", m_dir.filePath("store2"));
    Database db;
    TLoginProfiles p(&db, &store, m_ini);
    p.Load();
    p.SelectProfile("Demo");
    auto use = [&](const QString &l) { p.SaveAfterConnect(l); };
    use("a");
    use("b");
    use("c");
    QCOMPARE(p.LoginList("Demo"), (QStringList{"c", "b", "a"}));
    use("a");  // known login: becomes last, the former last takes its place
    QCOMPARE(p.LoginList("Demo"), (QStringList{"a", "b", "c"}));
    QCOMPARE(store.readString("ResentConnections\\Demo", "0"), QString("c"));
    for (const char *l : {"d", "e", "f", "g", "h", "i"})
        use(l);
    QCOMPARE(p.LoginList("Demo").size(), 9);
    use("j");  // a tenth distinct login overwrites entry "8"
    QCOMPARE(p.LoginList("Demo").size(), 9);
    QCOMPARE(store.readString("ResentConnections\\Demo", "8"), QString("j"));
    QCOMPARE(store.readString("ResentConnections", "ResentConnection"), QString("Demo"));
}

void TstSession::saveQuestionOnSwitch()
{
    writeIni("[Connections]\nEditConnections=True\nOne=One\nTwo=Two\n[One]\nDriver=SQLITE\nDATABASE NAME=a.db\n"
             "SERVER NAME=srv\n[Two]\nDriver=SQLITE\nDATABASE NAME=b.db\n");
    vorn::SettingsStore store("tst_session", m_dir.filePath("store3"));
    Database db;
    TLoginProfiles p(&db, &store, m_ini);
    p.Load();
    p.SelectProfile("One");
    p.SetParam("DATABASE NAME", "changed.db");
    p.SetParam("SERVER NAME", "");
    QVERIFY(p.Modified());
    MessageLog log;
    log.answers = {TMsgButton::Yes};
    p.SelectProfile("Two");
    QCOMPARE(log.texts, QStringList{"Параметры подключения были изменены. Сохранить изменения?"});
    QCOMPARE(db.params().value("DATABASE NAME"), QString("b.db"));
    vorn::IniFile saved(m_ini);
    QCOMPARE(saved.value("One", "DATABASE NAME"), QString("changed.db"));
    QCOMPARE(saved.value("One", "SERVER NAME"), QString(" "));  // an emptied edit is stored as a blank
    QCOMPARE(saved.keys("One"), (QStringList{"Driver", "DATABASE NAME", "SERVER NAME"}));
    log.texts.clear();
    p.SelectProfile("One");  // nothing changed: no question
    QVERIFY(log.texts.isEmpty());
}

void TstSession::newAndDeleteProfile()
{
    writeIni("[Connections]\n");
    vorn::SettingsStore store("tst_session", m_dir.filePath("store4"));
    Database db;
    TLoginProfiles p(&db, &store, m_ini);
    p.Load();
    QVERIFY(p.EditAllowed());
    QVERIFY(!p.NewProfile("  ", "SQLITE"));
    QVERIFY(p.NewProfile("Новая база", "POSTGRESQL"));
    QCOMPARE(p.CurrentProfile(), QString("Новая база"));
    QCOMPARE(p.Profiles(), QStringList{"Новая база"});
    vorn::IniFile ini(m_ini);
    QCOMPARE(ini.value("Connections", "EditConnections"), QString("True"));
    QCOMPARE(ini.value("Новая база", "Driver"), QString("POSTGRESQL"));
    QVERIFY(!ini.hasKey("Новая база", "USER NAME"));
    QVERIFY(!ini.hasKey("Новая база", "PASSWORD"));
    QVERIFY(p.NewProfile("Вторая", "SQLITE"));
    MessageLog log;
    log.answers = {TMsgButton::Yes};
    p.DeleteCurrentProfile();
    QCOMPARE(log.texts, QStringList{"Удалить подключение?"});
    QCOMPARE(p.Profiles(), QStringList{"Новая база"});
    QCOMPARE(p.CurrentProfile(), QString("Новая база"));
    QVERIFY(!vorn::IniFile(m_ini).hasSection("Вторая"));
}

void TstSession::newProfileKeepsEdits()
{
    writeIni("[Connections]\nEditConnections=True\nOne=One\n[One]\nDriver=SQLITE\nDATABASE NAME=a.db\n");
    vorn::SettingsStore store("tst_session", m_dir.filePath("store7"));
    Database db;
    TLoginProfiles p(&db, &store, m_ini);
    p.Load();
    p.SelectProfile("One");
    p.SetParam("DATABASE NAME", "edited.db");
    MessageLog log;
    log.answers = {TMsgButton::Yes};
    QVERIFY(p.NewProfile("Две", "SQLITE"));
    QCOMPARE(log.texts, QStringList{"Параметры подключения были изменены. Сохранить изменения?"});
    QCOMPARE(p.CurrentProfile(), QString("Две"));
    const vorn::IniFile ini(m_ini);
    QCOMPARE(ini.value("One", "DATABASE NAME"), QString("edited.db"));
    QCOMPARE(ini.value("One", "Driver"), QString("SQLITE"));
    QCOMPARE(p.Profiles(), (QStringList{"One", "Две"}));
}

void TstSession::profileWithoutDriver()
{
    // A profile that lost its Driver line must not create an empty SQLite file in
    // the current directory.
    QTemporaryDir work;
    const QString cwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work.path()));
    writeIni("[Connections]\nBroken=Broken\n[Broken]\nDATABASE NAME=stray.db\n");
    vorn::SettingsStore store("tst_session", m_dir.filePath("store8"));
    MessageLog log;
    Database db;
    QVERIFY(!ConnectFromProfileWith(&db, m_ini, "Broken", "director", "director"));
    QCOMPARE(log.texts, QStringList{"В подключении \"Broken\" не указан драйвер базы данных (Driver)"});
    DialogScript dialogs;
    dialogs.steps << login("director", "director");
    QCOMPARE(LoginDialogWith(&db, &store, m_ini), QString());
    QCOMPARE(log.texts.size(), 2);
    QCOMPARE(log.texts.last(), log.texts.first());
    QVERIFY(!db.isOpen());
    QVERIFY(!QFile::exists(work.filePath("stray.db")));
    QVERIFY(QDir::setCurrent(cwd));
}

void TstSession::loginDialogAttempts_data()
{
    QTest::addColumn<QStringList>("passwords");  // typed at each showing; "-" = Cancel
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("errors");
    QTest::newRow("first try") << QStringList{"director"} << true << 1 << 0;
    QTest::newRow("second try") << QStringList{"bad", "director"} << true << 2 << 1;
    QTest::newRow("three failures") << QStringList{"x", "y", "z", "director"} << false << 3 << 3;
    QTest::newRow("cancel") << QStringList{"-"} << false << 1 << 0;
}

void TstSession::loginDialogAttempts()
{
    QFETCH(QStringList, passwords);
    QFETCH(bool, connected);
    QFETCH(int, shown);
    QFETCH(int, errors);
    writeIni("[Connections]\nDemo=Demo\n[Demo]\nDriver=SQLITE\nDATABASE NAME=" + m_catalogue + "\nAPPLICATION NAME=x\n");
    vorn::SettingsStore store("tst_session", m_dir.filePath("store5"));
    MessageLog log;
    DialogScript dialogs;
    for (const QString &pw : passwords)
        dialogs.steps << (pw == "-" ? std::function<int(QDialog *)>([](QDialog *) { return int(QDialog::Rejected); })
                                    : login("director", pw));
    Database db;
    const QString profile = LoginDialogWith(&db, &store, m_ini);
    QCOMPARE(db.isOpen(), connected);
    QCOMPARE(profile, connected ? QString("Demo") : QString());
    QCOMPARE(dialogs.shown, shown);
    QCOMPARE(log.texts.size(), errors);
    if (errors)
        QVERIFY2(log.texts.first().contains("director"), qPrintable(log.texts.first()));
    if (connected) {
        QCOMPARE(db.params().value("APPLICATION NAME"), TdmVorn::ProgramName());  // replaced at connect
        QCOMPARE(store.readString("ResentConnections\\Demo", "0"), QString("director"));
    }
}

// A copy of the demo catalogue with an administrator "novice" created without a password.
static QString catalogueWithPasswordlessAdmin(const QString &demo, const QString &path)
{
    QFile::remove(path);
    if (!QFile::copy(demo, path))
        return QString();
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase("QSQLITE", "novice");
        raw.setDatabaseName(path);
        raw.open();
        QSqlQuery(raw).exec("INSERT INTO VornLogin (LoginName, IsRole, IsAdmin, PwdSalt, PwdHash) VALUES ('novice', 0, 1, '', '')");
        raw.close();
    }
    QSqlDatabase::removeDatabase("novice");
    return path;
}

void TstSession::emptyPasswordForcesChange()
{
    // "novice" has an empty password: a typed one fails, the empty retry connects,
    // and the password dialog follows at once.
    const QString catalogue = catalogueWithPasswordlessAdmin(m_catalogue, m_dir.filePath("novice.sqlite"));
    writeIni("[Connections]\nDemo=Demo\n[Demo]\nDriver=SQLITE\nDATABASE NAME=" + catalogue + "\n");
    vorn::SettingsStore store("tst_session", m_dir.filePath("store6"));
    MessageLog log;
    DialogScript dialogs;
    dialogs.steps << login("novice", "guess") << newPassword("S3cret'");
    {
        Database db;
        QCOMPARE(LoginDialogWith(&db, &store, m_ini), QString("Demo"));
        QCOMPARE(dialogs.shown, 2);
        QVERIFY(log.texts.isEmpty());
    }
    Database db;
    db.setDriverName("SQLITE");
    db.params().setValue("DATABASE NAME", catalogue);
    db.params().setValue("USER NAME", "novice");
    db.params().setValue("PASSWORD", "");
    QVERIFY_THROWS_EXCEPTION(vorn::DataError, db.open());
    db.params().setValue("PASSWORD", "S3cret'");
    db.open();
    QVERIFY(db.isOpen());
    // Cancelling the forced change asks the program to end.
    ClearProgramEndRequest();
    DialogScript cancel;
    QVERIFY(!ChangePassword(&db, false, true));
    QVERIFY(ProgramEndRequested());
    ClearProgramEndRequest();
}

void TstSession::cancelledForcedChangeLeavesNotConnected()
{
    // Cancelling (or failing) the forced change leaves no connection, whether the
    // dialog ran at start-up or from the menu.
    const QString catalogue = catalogueWithPasswordlessAdmin(m_catalogue, m_dir.filePath("novice2.sqlite"));
    writeIni("[Connections]\nDemo=Demo\n[Demo]\nDriver=SQLITE\nDATABASE NAME=" + catalogue + "\n");
    vorn::SettingsStore store("tst_session", m_dir.filePath("store9"));
    ClearProgramEndRequest();
    MessageLog log;
    DialogScript dialogs;
    dialogs.steps << login("novice", "") << [](QDialog *d) {
        return qobject_cast<TfPasswrd *>(d) ? int(QDialog::Rejected) : int(QDialog::Accepted);
    };
    Database db;
    QCOMPARE(LoginDialogWith(&db, &store, m_ini), QString());
    QCOMPARE(dialogs.shown, 2);
    QVERIFY(!db.isOpen());
    QVERIFY(ProgramEndRequested());  // honoured at start-up only
    ClearProgramEndRequest();
    QVERIFY(!store.valueExists("ResentConnections\\Demo", "0"));
}

void TstSession::connectFromProfile()
{
    writeIni("[Connections]\nDemo=Demo\n[Demo]\nDriver=SQLITE\nDATABASE NAME=" + m_catalogue + "\nHOST NAME=x\n");
    MessageLog log;
    Database db;
    QVERIFY(!ConnectFromProfileWith(&db, m_ini, "Demo", "ivanov", "wrong"));
    QCOMPARE(log.texts.size(), 1);
    QVERIFY(ConnectFromProfileWith(&db, m_ini, "Demo", "ivanov", "ivanov"));
    QCOMPARE(db.params().value("HOST NAME"), TdmVorn::ComputerName());
    QVERIFY(!ConnectFromProfileWith(&db, m_ini, "Nope", "ivanov", "ivanov") && log.texts.size() == 2);
}

void TstSession::passwordWithQuote()
{
    QCOMPARE(SpPasswordStatement(true, "o'ld", "n'ew"), QString("Exec sp_password N'o''ld', N'n''ew'"));
    QCOMPARE(SpPasswordStatement(false, "", "пароль"), QString("Exec sp_password NULL, N'пароль'"));
    MessageLog log;
    {
        // The password dialog refuses what it must refuse.
        TfPasswrd d(true);
        d.SetPasswords("a", "", "");
        d.accept();
        QCOMPARE(d.result(), int(QDialog::Rejected));
        d.SetPasswords("a", "b", "c");
        d.accept();
        QCOMPARE(log.texts, (QStringList{"Введите пароль!", "Повтор должен совпадать с паролем!"}));
    }
    if (!pgAvailable())
        return;
    // A role of our own, so that parallel tests keep their demo passwords.
    const QString role = "vorn_pw_" + QUuid::createUuid().toString(QUuid::Id128).left(8);
    Database su;
    su.setDriverName("POSTGRESQL");
    su.params().setValue("SERVER NAME", pgServer());
    su.params().setValue("DATABASE NAME", "postgres");
    su.params().setValue("USER NAME", qEnvironmentVariable("VORN_PG_USER"));
    su.params().setValue("PASSWORD", qEnvironmentVariable("VORN_PG_PASSWORD"));
    su.open();
    su.execSql("create role " + role + " login password 'first'");
    {
        Database db;
        db.setDriverName("POSTGRESQL");
        db.params() = su.params();
        db.params().setValue("USER NAME", role);
        db.params().setValue("PASSWORD", "first");
        db.open();
        QVERIFY_THROWS_EXCEPTION(vorn::DataError, SetServerPassword(&db, true, "not it", "x"));
        SetServerPassword(&db, true, "first", "it's'; drop role x; --");
        db.close();
        db.params().setValue("PASSWORD", "it's'; drop role x; --");
        db.open();
        QVERIFY(db.isOpen());
    }
    su.execSql("drop role " + role);
}

void TstSession::dataModule_data()
{
    QTest::addColumn<QString>("driver");
    QTest::newRow("sqlite") << "SQLITE";
    QTest::newRow("postgresql") << "POSTGRESQL";
}

void TstSession::dataModule()
{
    QFETCH(QString, driver);
    std::unique_ptr<PgCatalogue> pg;
    Database db;
    db.setDatabaseName("dbMain");
    db.setDriverName(driver);
    if (driver == "POSTGRESQL") {
        if (!pgAvailable())
            QSKIP("no PostgreSQL test cluster");
        pg = std::make_unique<PgCatalogue>();
        QVERIFY2(pg->error.isEmpty(), qPrintable(pg->error));
        db.params().setValue("SERVER NAME", pgServer());
        db.params().setValue("DATABASE NAME", pg->name);
        db.params().setValue("USER NAME", "director");
        db.params().setValue("PASSWORD", "director");
    } else {
        db.params().setValue("DATABASE NAME", m_catalogue);
        db.params().setValue("USER NAME", "director");
        db.params().setValue("PASSWORD", "director");
    }
    db.open();
    MessageLog log;
    TdmVorn dm;
    dm.ReadParamPrefix();
    QCOMPARE(dm.ParamPrefix, driver == "POSTGRESQL" ? QString("p_") : QString("@"));
    QVERIFY(dm.IsAdmin(true));
    QCOMPARE(dm.LoginName(), QString("director"));
    QVERIFY(!dm.UserFullName().isEmpty());

    // Sort keys: groups by name, memberships by name within each group.
    dm.CatalogueSortKey = 1;
    dm.OpenSorted(dm.qGroup);
    QVERIFY(dm.qGroup->sqlText().endsWith("ORDER BY GrpName"));
    QStringList names;
    for (dm.qGroup->first(); !dm.qGroup->eof(); dm.qGroup->next())
        names << dm.qGroup->fieldValue("GrpName").toString();
    QVERIFY(names.size() >= 3);
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) { return QString::localeAwareCompare(a, b) < 0; });
    QCOMPARE(names, sorted);
    dm.OpenSorted(dm.qGrpBody);
    QVERIFY(dm.qGrpBody->sqlText().endsWith("ORDER BY 2, 6"));
    int lastGroup = -1;
    QString lastName;
    for (dm.qGrpBody->first(); !dm.qGrpBody->eof(); dm.qGrpBody->next()) {
        const int g = dm.qGrpBody->fieldValue("IdGroup").toInt();
        const QString n = dm.qGrpBody->fieldValue("Name").toString();
        QVERIFY(g >= lastGroup);
        if (g == lastGroup)
            QVERIFY2(QString::localeAwareCompare(lastName, n) <= 0 || driver == "SQLITE", qPrintable(lastName + " / " + n));
        lastGroup = g;
        lastName = n;
    }
    dm.CatalogueSortKey = 0;
    dm.OpenSorted(dm.qForm);
    QVERIFY(dm.qForm->recordCount() > 0);

    // The procedure layer returns new ids; an apostrophe in a name is harmless.
    const int idGrp = CatGrpAdd("Группа д'Артаньяна");
    QVERIFY(idGrp > 0);
    QCOMPARE(SelectValue("select GrpName from VornGroup where Id=" + QString::number(idGrp)).toString(),
             QString("Группа д'Артаньяна"));
    QCOMPARE(SelectValue("select count(*) from VornGroup where GrpName=" + QuotedSql("Группа д'Артаньяна")).toInt(), 1);
    const int idQuery = CatQueryAdd("Запрос'1", 0);
    const int idForm = CatFormAdd("Отчёт", idQuery);
    QCOMPARE(SelectValue("select IdQuery from VornFrm2Qry where IdForm=" + QString::number(idForm)).toInt(), idQuery);
    const int idParam = CatParamAdd("P1", idQuery, 0);
    CatParamDel(idParam);
    QVERIFY(SelectValue("select Id from VornParam where Id=" + QString::number(idParam)).isNull());
    dm.LogAction(1, idForm, "Отчёт");

    // A failing administrator check leaves no administrator behind, and says why.
    QVERIFY(dm.IsAdmin(true));
    dm.ParamPrefix = "wrong_";
    QVERIFY(!dm.IsAdmin(true));
    QCOMPARE(log.texts.size(), 1);
    QVERIFY2(log.texts.first().startsWith("Error Execute spVornGetIsAdmin\r\n"), qPrintable(log.texts.first()));
    log.texts.clear();

    // No prefix: bare names, which this catalogue's procedures do not declare.
    dm.ParamPrefix.clear();
    QVERIFY_THROWS_EXCEPTION(std::exception, CatGrpAdd("x"));
    ExecSql("delete from Lookups where Teg='Vorn_prmPrefix'");
    dm.ReadParamPrefix();
    QCOMPARE(dm.ParamPrefix, QString());
    ExecSql(QString("insert into Lookups (Teg, Ival, Item) values ('Vorn_prmPrefix', 0, '  %1 ')")
                .arg(driver == "POSTGRESQL" ? "p_" : "@"));
    dm.ReadParamPrefix();
    QCOMPARE(dm.ParamPrefix, driver == "POSTGRESQL" ? QString("p_") : QString("@"));
    QVERIFY(log.texts.isEmpty());

    // An ordinary login is no administrator; a login without a full name gets its login.
    ExecSql("delete from VornLogins where LoginName='ivanov'");
    db.close();
    db.params().setValue("USER NAME", "ivanov");
    db.params().setValue("PASSWORD", "ivanov");
    db.open();
    QVERIFY(!dm.IsAdmin(true));
    dm.ForgetUserFullName();
    QCOMPARE(dm.UserFullName(), QString("ivanov"));
    dm.CloseAll();
    db.close();
}

void TstSession::reopenKeepingPosition()
{
    MessageLog log;
    Database db;
    db.setDatabaseName("dbMain");
    db.setDriverName("SQLITE");
    db.params().setValue("DATABASE NAME", m_catalogue);
    db.params().setValue("USER NAME", "director");
    db.params().setValue("PASSWORD", "director");
    db.open();
    vorn::Query q;
    q.setObjectName("qProbe");
    q.setDatabase(&db);
    q.setSql("select Id, Name from VornQuery order by Id");
    int afterScroll = 0;
    q.events.afterScroll = [&](vorn::Dataset *) { ++afterScroll; };
    ReopenKeepingPosition(&q);  // closed: the largest Id
    QCOMPARE(afterScroll, 1);
    const int maxId = SelectValue("select max(Id) from VornQuery").toInt();
    QCOMPARE(q.fieldValue("Id").toInt(), maxId);
    q.first();
    q.next();
    const int second = q.fieldValue("Id").toInt();
    ReopenKeepingPosition(&q);
    QCOMPARE(q.fieldValue("Id").toInt(), second);
    ExecSql("delete from VornQuery where Id=" + QString::number(second));  // someone else deletes it
    ReopenKeepingPosition(&q);
    QCOMPARE(q.recNo(), 1);
    try {
        ReopenKeepingPosition(&q, "select Id from NoSuchTable");
        QFAIL("no error");
    } catch (const vorn::DataError &e) {
        QVERIFY(e.message().endsWith("\n\rDataSet.Name=\"qProbe\""));
        QVERIFY(e.message().contains("NoSuchTable"));
    }
    // A modified edit: Cancel aborts with the error box, the row stays in edit.
    q.setSql("select Id, Name from VornQuery order by Id");
    q.open();
    q.setRequestLive(true);
    q.edit();
    q.fieldByName("Name")->setValue("изменено");
    log.answers = {TMsgButton::Cancel};
    ReopenKeepingPosition(&q);
    QCOMPARE(log.texts.last(), QString("Предыдущая строка не сохранена\n\rОбновить данные невозможно"));
    QCOMPARE(int(q.state()), int(vorn::DatasetState::Edit));
    q.cancel();
}

void TstSession::quoting()
{
    QCOMPARE(QuotedSql("abc"), QString("'abc'"));
    QCOMPARE(QuotedSql("д'Артаньян"), QString("'д''Артаньян'"));
    QCOMPARE(QuotedSql("' or 1=1 --"), QString("''' or 1=1 --'"));
}

// On SQLite every login opens the same file: a login that is not an administrator may
// not change the catalogue with its own SQL, while the program's operations still work.
void TstSession::catalogueGuard_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("make itself administrator") << "UPDATE VornLogin SET IsAdmin = 1 WHERE LoginName = 'ivanov'";
    QTest::newRow("as a report query's second statement")
        << "SELECT 1; UPDATE VornLogin SET IsAdmin = 1 WHERE LoginName = vorn_login()";
    QTest::newRow("grant itself a report") << "INSERT INTO VornUsers (IdTypObj, IdObj, LoginName) VALUES (2, 1, 'ivanov')";
    QTest::newRow("empty the action log") << "DELETE FROM VornActionLog";
    QTest::newRow("rewrite a procedure") << "UPDATE VornProcedure SET Body = 'SELECT 1 AS IsAdmin' WHERE Name = 'spVornGetIsAdmin'";
    QTest::newRow("change a code list") << "UPDATE Lookups SET Item = 'x' WHERE Teg = 'Vorn_prmPrefix'";
    QTest::newRow("shadow the rights view") << "CREATE TEMP VIEW vwVornIsAdmin AS SELECT 1 AS IsAdmin";
    QTest::newRow("shadow the procedures") << "CREATE TEMP TABLE VornProcedure (Name, Params, Body)";
    QTest::newRow("trigger on the log")
        << "CREATE TEMP TRIGGER t AFTER INSERT ON VornActionLog BEGIN UPDATE VornLogin SET IsAdmin = 1; END";
    QTest::newRow("drop a table") << "DROP TABLE VornUsers";
    QTest::newRow("alter a table") << "ALTER TABLE VornLogin ADD COLUMN X int";
    QTest::newRow("writable schema") << "PRAGMA writable_schema = 1";
}

void TstSession::catalogueGuard()
{
    QFETCH(QString, sql);
    const QString fingerprint =
        "SELECT (SELECT group_concat(LoginName || IsAdmin || PwdHash) FROM VornLogin) || "
        "(SELECT count(*) FROM VornUsers) || '/' || (SELECT count(*) FROM VornActionLog) || "
        "(SELECT group_concat(Body) FROM VornProcedure) || (SELECT group_concat(Item) FROM Lookups)";
    Database db;
    db.setDatabaseName("dbMain");
    db.params().setValue("DATABASE NAME", m_catalogue);
    db.params().setValue("USER NAME", "ivanov");
    db.params().setValue("PASSWORD", "ivanov");
    db.open();
    QVERIFY(db.catalogueGuarded());
    MessageLog log;
    TdmVorn dm;
    dm.ReadParamPrefix();
    const QString before = db.selectValue(fingerprint).toString();
    QString error;
    try {
        vorn::Query q;
        q.setDatabase(&db);
        q.setSql(sql);
        q.open();
    } catch (const vorn::DataError &e) {
        error = e.message();
    }
    QCOMPARE(error, QString("Изменять таблицы каталога может только администратор"));
    QCOMPARE(db.selectValue(fingerprint).toString(), before);
    QVERIFY(!dm.IsAdmin(true));

    // the login's own data and the program's operations are not in the way
    db.execSql("CREATE TEMP TABLE Scratch (A int)");
    db.execSql("UPDATE Goods SET Price = Price WHERE Id = 1");
    const int logged = db.selectValue("SELECT count(*) FROM VornActionLog").toInt();
    dm.LogAction(1, 1, "Отчёт");
    QCOMPARE(db.selectValue("SELECT count(*) FROM VornActionLog").toInt(), logged + 1);
    SetServerPassword(&db, true, "ivanov", "новый");
    SetServerPassword(&db, true, "новый", "ivanov");
    QVERIFY_THROWS_EXCEPTION(std::exception, CatGrpAdd("Своя группа"));  // the procedure's own check
    QVERIFY(log.texts.isEmpty());
    dm.CloseAll();
    db.close();

    // an administrator is not guarded
    db.params().setValue("USER NAME", "director");
    db.params().setValue("PASSWORD", "director");
    db.open();
    QVERIFY(!db.catalogueGuarded());
    db.execSql("UPDATE Lookups SET Item = Item WHERE Teg = 'Vorn_prmPrefix'");
    db.close();
}

QTEST_MAIN(TstSession)
#include "tst_session.moc"
