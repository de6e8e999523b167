// The catalogue procedure contract, run through the dataset layer on a real catalogue:
// every procedure's outputs and effects, the parameter prefix, ids that grow after
// deletes, the rights views for an administrator, an ordinary login and a role member,
// and the demo catalogue's logins. Built twice: on SQLite and on the PostgreSQL cluster.
#include "platform/data/DataError.h"
#include "platform/data/Database.h"
#include "platform/data/StoredProc.h"
#include "tools/vorncatalogue/CatalogueBuilder.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace vorn;
using vorn::catalogue::CatalogueBuilder;
using vorn::catalogue::Dialect;

namespace {

using Inputs = QList<QPair<QString, QVariant>>;

// One fresh catalogue on the backend the suite was built for, with its logins.
class Backend
{
public:
    virtual ~Backend() = default;
    virtual bool available(QString *why) const = 0;
    virtual void create(bool demo) = 0;                 // a fresh catalogue
    virtual void drop() = 0;
    virtual QString adminLogin() const = 0;             // the catalogue's creator
    virtual QString adminPassword() const = 0;
    // Logins for the rights cases; names already unique on the server.
    virtual QString name(const QString &base) const = 0;
    virtual void addLogin(const QString &login, const QString &password, bool admin) = 0;
    virtual void addRole(const QString &role) = 0;
    virtual void addMember(const QString &login, const QString &role) = 0;
    virtual ConnectionParams params(const QString &login, const QString &password) const = 0;
    virtual QString driver() const = 0;
};

#ifdef VORN_CONTRACT_PG
class PgBackend : public Backend
{
public:
    PgBackend()
        : m_host(qEnvironmentVariable("VORN_PG_HOST")), m_port(qEnvironmentVariable("VORN_PG_PORT")),
          m_user(qEnvironmentVariable("VORN_PG_USER")), m_password(qEnvironmentVariable("VORN_PG_PASSWORD")),
          m_prefix(QStringLiteral("vorn_ct%1_").arg(QCoreApplication::applicationPid()))
    {
    }
    ~PgBackend() override
    {
        drop();
        if (!m_roles.isEmpty()) {
            QSqlDatabase su = server(QStringLiteral("postgres"), QStringLiteral("ct_roles"));
            if (su.open())
                for (const QString &r : std::as_const(m_roles))
                    QSqlQuery(su).exec(QStringLiteral("DROP ROLE IF EXISTS \"%1\"").arg(r));
            su = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("ct_roles"));
        }
    }
    bool available(QString *why) const override
    {
        *why = QStringLiteral("VORN_PG_* not set: no PostgreSQL cluster");
        return !m_host.isEmpty() && !m_port.isEmpty();
    }
    QString driver() const override { return QStringLiteral("POSTGRESQL"); }
    void create(bool demo) override
    {
        drop();
        m_db = m_prefix + QString::number(++m_serial);
        {
            QSqlDatabase su = server(QStringLiteral("postgres"), QStringLiteral("ct_admin"));
            QVERIFY2(su.open(), qPrintable(su.lastError().text()));
            QSqlQuery q(su);
            QVERIFY2(q.exec(QStringLiteral("CREATE DATABASE ") + m_db), qPrintable(q.lastError().text()));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("ct_admin"));
        {
            QSqlDatabase db = server(m_db, QStringLiteral("ct_build"));
            QVERIFY2(db.open(), qPrintable(db.lastError().text()));
            CatalogueBuilder(Dialect::PostgreSql).build(db, demo);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("ct_build"));
    }
    void drop() override
    {
        if (m_db.isEmpty())
            return;
        {
            QSqlDatabase su = server(QStringLiteral("postgres"), QStringLiteral("ct_admin"));
            if (su.open())
                QSqlQuery(su).exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_db));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("ct_admin"));
        m_db.clear();
    }
    QString adminLogin() const override { return m_user; }
    QString adminPassword() const override { return m_password; }
    QString name(const QString &base) const override { return m_prefix + base; }
    void addLogin(const QString &login, const QString &password, bool admin) override
    {
        su(QStringLiteral("DROP ROLE IF EXISTS %1").arg(login));
        su(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(login, password));
        if (admin)
            su(QStringLiteral("GRANT vorn_admin TO %1").arg(login));
        m_roles << login;
    }
    void addRole(const QString &role) override
    {
        su(QStringLiteral("DROP ROLE IF EXISTS %1").arg(role));
        su(QStringLiteral("CREATE ROLE %1 NOLOGIN").arg(role));
        m_roles << role;
    }
    void addMember(const QString &login, const QString &role) override
    {
        su(QStringLiteral("GRANT %1 TO %2").arg(role, login));
    }
    ConnectionParams params(const QString &login, const QString &password) const override
    {
        ConnectionParams p = Database::defaultParams(driver());
        p.setValue(QStringLiteral("SERVER NAME"), m_host + u':' + m_port);
        p.setValue(QStringLiteral("DATABASE NAME"), m_db);
        p.setValue(QStringLiteral("USER NAME"), login);
        p.setValue(QStringLiteral("PASSWORD"), password);
        p.setValue(QStringLiteral("APPLICATION NAME"), QStringLiteral("VORNGEN"));
        p.setValue(QStringLiteral("HOST NAME"), QStringLiteral("WS-TEST"));
        return p;
    }

private:
    QSqlDatabase server(const QString &database, const QString &connection) const
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(m_host);
        db.setPort(m_port.toInt());
        db.setUserName(m_user);
        db.setPassword(m_password);
        db.setDatabaseName(database);
        return db;
    }
    void su(const QString &sql)
    {
        {
            QSqlDatabase db = server(QStringLiteral("postgres"), QStringLiteral("ct_su"));
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY2(q.exec(sql), qPrintable(sql + u' ' + q.lastError().text()));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("ct_su"));
    }

    QString m_host, m_port, m_user, m_password;
    QString m_prefix;      // keeps this run's databases and roles apart on the shared cluster
    QString m_db;          // current catalogue database
    int m_serial = 0;
    QStringList m_roles;   // roles to drop at the end
};
using TheBackend = PgBackend;
#else
class SqliteBackend : public Backend
{
public:
    bool available(QString *) const override { return m_dir.isValid(); }
    QString driver() const override { return QStringLiteral("SQLITE"); }
    void create(bool demo) override
    {
        m_file = m_dir.filePath(QStringLiteral("catalogue%1.sqlite").arg(++m_serial));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("ct_build"));
            db.setDatabaseName(m_file);
            QVERIFY(db.open());
            CatalogueBuilder(Dialect::Sqlite).build(db, demo, adminLogin(), adminPassword());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("ct_build"));
    }
    void drop() override
    {
        if (!m_file.isEmpty())
            QFile::remove(m_file);
        m_file.clear();
    }
    QString adminLogin() const override { return QStringLiteral("admin"); }
    QString adminPassword() const override { return QStringLiteral("пароль админа"); }
    QString name(const QString &base) const override { return base; }
    void addLogin(const QString &login, const QString &password, bool admin) override
    {
        const QString salt = QStringLiteral("s%1").arg(login.size());
        const QString hash = QString::fromLatin1(
            QCryptographicHash::hash((salt + password).toUtf8(), QCryptographicHash::Sha256).toHex());
        raw(QStringLiteral("INSERT INTO VornLogin (LoginName, IsRole, IsAdmin, PwdSalt, PwdHash) VALUES ('%1', 0, %2, '%3', '%4')")
                .arg(login).arg(admin ? 1 : 0).arg(salt, hash));
    }
    void addRole(const QString &role) override
    {
        raw(QStringLiteral("INSERT INTO VornLogin (LoginName, IsRole) VALUES ('%1', 1)").arg(role));
    }
    void addMember(const QString &login, const QString &role) override
    {
        raw(QStringLiteral("INSERT INTO VornLoginMember (LoginName, RoleName) VALUES ('%1', '%2')").arg(login, role));
    }
    ConnectionParams params(const QString &login, const QString &password) const override
    {
        ConnectionParams p = Database::defaultParams(driver());
        p.setValue(QStringLiteral("DATABASE NAME"), m_file);
        p.setValue(QStringLiteral("USER NAME"), login);
        p.setValue(QStringLiteral("PASSWORD"), password);
        p.setValue(QStringLiteral("APPLICATION NAME"), QStringLiteral("VORNGEN"));
        p.setValue(QStringLiteral("HOST NAME"), QStringLiteral("WS-TEST"));
        return p;
    }

private:
    void raw(const QString &sql)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("ct_raw"));
            db.setDatabaseName(m_file);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY2(q.exec(sql), qPrintable(q.lastError().text()));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("ct_raw"));
    }

    QTemporaryDir m_dir;
    QString m_file;
    int m_serial = 0;
};
using TheBackend = SqliteBackend;
#endif

} // namespace

class TestCatalogueContract : public QObject
{
    Q_OBJECT

public:
    // The catalogue operations' way of calling: names are ParamPrefix + bare name,
    // strings and ids as typed inputs, the results as integer outputs read back by name.
    QVariantMap call(const QString &proc, const Inputs &inputs, const QStringList &outputs = {},
                     Database *on = nullptr, bool prepared = true)
    {
        StoredProc sp;
        sp.setDatabase(on ? on : m_db.get());
        sp.setStoredProcName(proc);
        for (const auto &[name, value] : inputs) {
            Param &p = sp.params().add(Param(m_prefix + name, ftUnknown, ParamDirection::Input));
            if (value.typeId() == QMetaType::QString)
                p.setAsString(value.toString());
            else
                p.setAsInteger(value.toLongLong());
        }
        for (const QString &o : outputs)
            sp.params().add(Param(m_prefix + o, ftInteger, ParamDirection::Output));
        // as the program's ExecCatalogueProc: the caller's list copied in, prepared, executed
        if (prepared)
            sp.prepare();
        sp.execProc();
        QVariantMap out;
        for (const QString &o : outputs)
            out.insert(o, sp.paramByName(m_prefix + o).value());
        return out;
    }
    // An unexpected database error fails the test here instead of ending the whole run.
    int add(const QString &proc, const Inputs &inputs, const QString &output, bool prepared = true)
    {
        try {
            return call(proc, inputs, {output}, nullptr, prepared).value(output).toInt();
        } catch (const DataError &e) {
            QTest::qFail(qPrintable(proc + QStringLiteral(": ") + e.message()), __FILE__, __LINE__);
            return -1;
        }
    }
    // Plain statements go straight to the connection's Qt handle (the session functions
    // are registered on it): the suite checks the catalogue, not the query layer.
    static ResultSet run(Database *db, const QString &sql)
    {
        QSqlQuery q(db->sqlDatabase());
        if (!q.exec(sql))
            throw DataError(q.lastError().text());
        ResultSet rs;
        if (!q.isSelect())
            return rs;
        const int cols = q.record().count();
        for (int c = 0; c < cols; ++c) {
            ResultColumn col;
            col.name = q.record().fieldName(c);
            rs.columns.append(col);
        }
        rs.data.resize(cols);
        while (q.next()) {
            for (int c = 0; c < cols; ++c)
                rs.data[c].append(q.value(c));
            ++rs.rowCount;
        }
        return rs;
    }
    static QVariant first(Database *db, const QString &sql)
    {
        const ResultSet rs = run(db, sql);
        return rs.rowCount > 0 ? rs.value(0, 0) : QVariant();
    }
    int value(const QString &sql) { return first(m_db.get(), sql).toInt(); }
    QStringList column(const QString &sql, Database *on = nullptr)
    {
        const ResultSet rs = run(on ? on : m_db.get(), sql);
        QStringList out;
        for (int r = 0; r < rs.rowCount; ++r)
            out << rs.value(r, 0).toString();
        return out;
    }
    std::unique_ptr<Database> connect(const QString &login, const QString &password)
    {
        auto db = std::make_unique<Database>();
        db->setDatabaseName(QStringLiteral("ct_%1").arg(++m_connections));
        db->setDriverName(m_backend.driver());
        db->params() = m_backend.params(login, password);
        db->open();
        return db;
    }
    QString readPrefix(Database *db)
    {
        const QVariant v = first(db, QStringLiteral("select Item from Lookups where Teg='Vorn_prmPrefix'"));
        return v.typeId() == QMetaType::QString ? v.toString().trimmed() : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QString why;
        if (!m_backend.available(&why))
            QSKIP(qPrintable(why));
    }

    void init()
    {
        try {
            m_backend.create(false);
            m_db = connect(m_backend.adminLogin(), m_backend.adminPassword());
            m_prefix = readPrefix(m_db.get());
        } catch (const catalogue::BuildError &e) {
            QFAIL(qPrintable(e.message()));
        } catch (const DataError &e) {
            QFAIL(qPrintable(e.message()));
        }
    }

    void cleanup()
    {
        m_db.reset();
        m_backend.drop();
    }

    void prefixOfTheDialect()
    {
        QCOMPARE(m_prefix, m_backend.driver() == u"SQLITE" ? QStringLiteral("@") : QStringLiteral("p_"));
    }

    void isAdminForTheCreator()
    {
        QCOMPARE(call(QStringLiteral("spVornGetIsAdmin"), {}, {QStringLiteral("IsAdmin")}).value("IsAdmin").toInt(), 1);
    }

    // Next number, then add: the new row has the proposed number and the largest id.
    void addAndNextNumber_data()
    {
        QTest::addColumn<QString>("addProc");
        QTest::addColumn<QString>("nameParam");
        QTest::addColumn<QString>("extraParam");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("nummProc");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("nameColumn");
        QTest::newRow("group") << "spVornGrpAdd" << "GrpName" << "" << "IdGrp" << "spVornGrpNumm" << "VornGroup" << "GrpName";
        QTest::newRow("report") << "spVornFormAdd" << "Name" << "IdQuery" << "IdForm" << "spVornFormNumm" << "VornForm" << "Name";
        QTest::newRow("query") << "spVornQueryAdd" << "Name" << "IdForm" << "IdQuery" << "spVornQueryNumm" << "VornQuery" << "Name";
        QTest::newRow("script") << "spVornScriptAdd" << "Name" << "" << "IdScript" << "spVornScriptNumm" << "VornScript" << "Name";
        QTest::newRow("data module") << "spVornRemoteDataAdd" << "Name" << "" << "IdRemoteData" << "spVornRemoteDataNumm"
                                     << "VornRemoteData" << "Name";
    }
    void addAndNextNumber()
    {
        QFETCH(QString, addProc);
        QFETCH(QString, nameParam);
        QFETCH(QString, extraParam);
        QFETCH(QString, output);
        QFETCH(QString, nummProc);
        QFETCH(QString, table);
        QFETCH(QString, nameColumn);
        const auto addOne = [&](const QString &name) {
            Inputs in{{nameParam, name}};
            if (!extraParam.isEmpty())
                in.append({extraParam, 0});
            return add(addProc, in, output);
        };
        const auto numm = [&] { return add(nummProc, {}, QStringLiteral("Numm")); };
        QCOMPARE(numm(), 1);
        const int one = addOne(QStringLiteral("Первый «объект»; с ';'"));
        QCOMPARE(one, value(QStringLiteral("select max(Id) from ") + table));
        QCOMPARE(first(m_db.get(), QStringLiteral("select %1 from %2 where Id=%3").arg(nameColumn, table).arg(one)).toString(),
                 QStringLiteral("Первый «объект»; с ';'"));
        QCOMPARE(value(QStringLiteral("select Numm from %1 where Id=%2").arg(table).arg(one)), 1);
        QCOMPARE(numm(), 2);
        const int second = addOne(QStringLiteral("Второй"));
        QVERIFY(second > one);
        QCOMPARE(value(QStringLiteral("select Numm from %1 where Id=%2").arg(table).arg(second)), 2);
    }

    void importsNextNumber()
    {
        QCOMPARE(add(QStringLiteral("spVornImportsNumm"), {}, QStringLiteral("Numm")), 1);
        run(m_db.get(), QStringLiteral("insert into VornImports (Numm, Name, IdScrEng) values (7, 'Импорт', 1)"));
        QCOMPARE(add(QStringLiteral("spVornImportsNumm"), {}, QStringLiteral("Numm")), 8);
    }

    // Ids keep growing after the newest row is deleted: max(Id) finds the new row.
    void idsGrowAfterDeletes_data()
    {
        QTest::addColumn<QString>("addProc");
        QTest::addColumn<QString>("nameParam");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("delProc");
        QTest::addColumn<QString>("table");
        QTest::newRow("group") << "spVornGrpAdd" << "GrpName" << "IdGrp" << "spVornGrpDel" << "VornGroup";
        QTest::newRow("report") << "spVornFormAdd" << "Name" << "IdForm" << "spVornFormDel" << "VornForm";
        QTest::newRow("query") << "spVornQueryAdd" << "Name" << "IdQuery" << "spVornQueryDel" << "VornQuery";
        QTest::newRow("script") << "spVornScriptAdd" << "Name" << "IdScript" << "spVornScriptDel" << "VornScript";
        QTest::newRow("data module") << "spVornRemoteDataAdd" << "Name" << "IdRemoteData" << "spVornRemoteDataDel"
                                     << "VornRemoteData";
    }
    void idsGrowAfterDeletes()
    {
        QFETCH(QString, addProc);
        QFETCH(QString, nameParam);
        QFETCH(QString, output);
        QFETCH(QString, delProc);
        QFETCH(QString, table);
        Inputs in{{nameParam, QStringLiteral("А")}};
        if (addProc == u"spVornFormAdd")
            in.append({QStringLiteral("IdQuery"), 0});
        if (addProc == u"spVornQueryAdd")
            in.append({QStringLiteral("IdForm"), 0});
        const int a = add(addProc, in, output);
        const int b = add(addProc, in, output);
        call(delProc, {{output, b}});
        QCOMPARE(value(QStringLiteral("select count(*) from %1 where Id=%2").arg(table).arg(b)), 0);
        const int c = add(addProc, in, output);
        QVERIFY2(c > b, qPrintable(QStringLiteral("%1 after %2").arg(c).arg(b)));
        QCOMPARE(value(QStringLiteral("select max(Id) from ") + table), c);
        QVERIFY(a < b);
    }

    void reportHoldsItsQueryAsFirstSource()
    {
        const int q = add(QStringLiteral("spVornQueryAdd"), {{"Name", "Продажи"}, {"IdForm", 0}}, "IdQuery");
        QCOMPARE(value("select count(*) from VornFrm2Qry"), 0);   // a free-standing query
        const int f = add(QStringLiteral("spVornFormAdd"), {{"Name", "Продажи"}, {"IdQuery", q}}, "IdForm");
        const ResultSet rs = run(m_db.get(), QStringLiteral(
            "select IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName from VornFrm2Qry"));
        QCOMPARE(rs.rowCount, 1);
        QCOMPARE(rs.value(0, 0).toInt(), f);
        QCOMPARE(rs.value(0, 1).toInt(), 1);
        QCOMPARE(rs.value(0, 2).toInt(), q);
        QVERIFY(rs.value(0, 3).isNull());
        QCOMPARE(rs.value(0, 4).toInt(), 0);
        QCOMPARE(rs.value(0, 5).toString(), QStringLiteral("Query1"));
        QCOMPARE(value(QStringLiteral("select IdTypExec from VornForm where Id=%1").arg(f)), 1);
        QCOMPARE(add(QStringLiteral("spVornFrm2QryNumm"), {{"IdForm", f}}, "Numm"), 2);
    }

    // The kind of the first source is passed, not guessed: query and data-module ids
    // overlap, and a query whose name begins the report's name must not win over the
    // data module the report was made from.
    void reportFromDataModule()
    {
        const int q = add(QStringLiteral("spVornQueryAdd"), {{"Name", "Склад"}, {"IdForm", 0}}, "IdQuery");
        const int m = add(QStringLiteral("spVornRemoteDataAdd"), {{"Name", "Склад"}}, "IdRemoteData");
        QCOMPARE(q, m);   // both tables start at 1: the ambiguous case
        const int fm = add(QStringLiteral("spVornFormAdd"), {{"Name", "Склад 2"}, {"IdQuery", 0}, {"IdRemoteData", m}}, "IdForm");
        QCOMPARE(value(QStringLiteral("select IdRemoteData from VornFrm2Qry where IdForm=%1").arg(fm)), m);
        QCOMPARE(value(QStringLiteral("select count(*) from VornFrm2Qry where IdForm=%1 and IdQuery is null").arg(fm)), 1);
        const int fq = add(QStringLiteral("spVornFormAdd"), {{"Name", "Склад 3"}, {"IdQuery", q}, {"IdRemoteData", 0}}, "IdForm");
        QCOMPARE(value(QStringLiteral("select IdQuery from VornFrm2Qry where IdForm=%1").arg(fq)), q);
        QCOMPARE(value(QStringLiteral("select count(*) from VornFrm2Qry where IdForm=%1 and IdRemoteData is null").arg(fq)), 1);
        // a caller that passes only the query keeps working
        const int f2 = add(QStringLiteral("spVornFormAdd"), {{"Name", "Склад"}, {"IdQuery", q}}, "IdForm");
        QCOMPARE(value(QStringLiteral("select IdQuery from VornFrm2Qry where IdForm=%1").arg(f2)), q);
        const int empty = add(QStringLiteral("spVornFormAdd"), {{"Name", "Пустой"}, {"IdQuery", 0}, {"IdRemoteData", 0}}, "IdForm");
        QCOMPARE(value(QStringLiteral("select count(*) from VornFrm2Qry where IdForm=%1").arg(empty)), 0);
    }

    void queryAddedToReportIsLinkedNext()
    {
        const int q1 = add(QStringLiteral("spVornQueryAdd"), {{"Name", "Шапка"}, {"IdForm", 0}}, "IdQuery");
        const int f = add(QStringLiteral("spVornFormAdd"), {{"Name", "Шапка"}, {"IdQuery", q1}}, "IdForm");
        const int q2 = add(QStringLiteral("spVornQueryAdd"), {{"Name", "Строки"}, {"IdForm", f}}, "IdQuery");
        const ResultSet rs = run(m_db.get(), QStringLiteral(
            "select Numm, QueryShortName, IsMaster from VornFrm2Qry where IdQuery=%1 and IdForm=%2").arg(q2).arg(f));
        QCOMPARE(rs.rowCount, 1);
        QCOMPARE(rs.value(0, 0).toInt(), 2);
        QCOMPARE(rs.value(0, 1).toString(), QStringLiteral("Query2"));
        QCOMPARE(rs.value(0, 2).toInt(), 0);
        QCOMPARE(add(QStringLiteral("spVornFrm2QryNumm"), {{"IdForm", f}}, "Numm"), 3);
        QCOMPARE(add(QStringLiteral("spVornFrm2QryNumm"), {{"IdForm", f + 100}}, "Numm"), 1);
    }

    void parameterAdd_data()
    {
        QTest::addColumn<bool>("ofQuery");
        QTest::newRow("of a query") << true;
        QTest::newRow("of a data module") << false;
    }
    void parameterAdd()
    {
        QFETCH(bool, ofQuery);
        const int q = add(QStringLiteral("spVornQueryAdd"), {{"Name", "З"}, {"IdForm", 0}}, "IdQuery");
        const int m = add(QStringLiteral("spVornRemoteDataAdd"), {{"Name", "М"}}, "IdRemoteData");
        const int owner = ofQuery ? q : m;
        const Inputs in = {{"ParName", "DateFrom"}, {"IdQuery", ofQuery ? q : 0}, {"IdRemoteData", ofQuery ? 0 : m}};
        const Inputs numIn = {{"IdQuery", ofQuery ? q : 0}, {"IdRemoteData", ofQuery ? 0 : m}};
        QCOMPARE(add(QStringLiteral("spVornParamNumm"), numIn, "Numm"), 1);
        const int p1 = add(QStringLiteral("spVornParamAdd"), in, "IdParam");
        QCOMPARE(p1, value("select max(Id) from VornParam"));
        QCOMPARE(add(QStringLiteral("spVornParamNumm"), numIn, "Numm"), 2);
        const int p2 = add(QStringLiteral("spVornParamAdd"), in, "IdParam");
        const ResultSet rs = run(m_db.get(), QStringLiteral(
            "select IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, IdTypDefVal from VornParam where Id=%1").arg(p2));
        QCOMPARE(rs.rowCount, 1);
        QCOMPARE(rs.value(0, ofQuery ? 0 : 1).toInt(), owner);
        QVERIFY(rs.value(0, ofQuery ? 1 : 0).isNull());
        QCOMPARE(rs.value(0, 2).toInt(), 2);
        QCOMPARE(rs.value(0, 3).toString(), QStringLiteral("DateFrom"));
        QCOMPARE(rs.value(0, 4).toString(), QStringLiteral("DateFrom"));
        QCOMPARE(rs.value(0, 5).toInt(), 0);
        QCOMPARE(rs.value(0, 6).toInt(), 0);
        // the other kind of owner with the same id has its own numbering
        const Inputs otherNum = {{"IdQuery", ofQuery ? 0 : q}, {"IdRemoteData", ofQuery ? m : 0}};
        QCOMPARE(add(QStringLiteral("spVornParamNumm"), otherNum, "Numm"), 1);
    }

    void parameterWithoutOwnerIsRefused()
    {
        QVERIFY_THROWS_EXCEPTION(DataError, call(QStringLiteral("spVornParamAdd"),
                                                 {{"ParName", "X"}, {"IdQuery", 0}, {"IdRemoteData", 0}},
                                                 {QStringLiteral("IdParam")}));
        QCOMPARE(value("select count(*) from VornParam"), 0);
    }

    void parametersCopy_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("expected");   // target's names in Numm order
        QTest::newRow("all to a query") << "all" << QStringList{"Own", "A", "B"};
        QTest::newRow("one to a query") << "one" << QStringList{"Own", "B"};
        QTest::newRow("all to a data module") << "module" << QStringList{"A", "B"};
        QTest::newRow("names the target has are skipped") << "twice" << QStringList{"Own", "A", "B"};
        QTest::newRow("unknown target") << "nowhere" << QStringList{};
    }
    void parametersCopy()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, expected);
        const int src = add(QStringLiteral("spVornQueryAdd"), {{"Name", "Источник"}, {"IdForm", 0}}, "IdQuery");
        // data module ids 1 and 2 are taken by fillers so that no query shares the target's id
        add(QStringLiteral("spVornRemoteDataAdd"), {{"Name", "заполнитель"}}, "IdRemoteData");
        add(QStringLiteral("spVornRemoteDataAdd"), {{"Name", "заполнитель"}}, "IdRemoteData");
        const int module = add(QStringLiteral("spVornRemoteDataAdd"), {{"Name", "Цель"}}, "IdRemoteData");
        const int dst = add(QStringLiteral("spVornQueryAdd"), {{"Name", "Цель"}, {"IdForm", 0}}, "IdQuery");
        QVERIFY(module > dst && dst > src);
        add(QStringLiteral("spVornParamAdd"), {{"ParName", "A"}, {"IdQuery", src}, {"IdRemoteData", 0}}, "IdParam");
        const int b = add(QStringLiteral("spVornParamAdd"), {{"ParName", "B"}, {"IdQuery", src}, {"IdRemoteData", 0}}, "IdParam");
        run(m_db.get(), QStringLiteral("update VornParam set IdParTyp=5, SQL='select Id, Name from Regions', "
                                     "LookupField='Id', DefSQL='select 1' where Id=%1").arg(b));
        if (mode != u"module")
            add(QStringLiteral("spVornParamAdd"), {{"ParName", "Own"}, {"IdQuery", dst}, {"IdRemoteData", 0}}, "IdParam");
        const auto copy = [&](int oldQuery, int oldParam, int target) {
            call(QStringLiteral("spVornParamsCopy"), {{"OldIdQuery", oldQuery}, {"OldIdParam", oldParam}, {"NewIdQuery", target}});
        };
        int target = dst;
        if (mode == u"all" || mode == u"twice")
            copy(src, 0, dst);
        if (mode == u"twice")
            copy(src, 0, dst);
        if (mode == u"one")
            copy(0, b, dst);
        if (mode == u"module") {
            target = module;
            copy(src, 0, module);
        }
        if (mode == u"nowhere") {
            target = 999;
            copy(src, 0, 999);
        }
        const QString owner = mode == u"module" ? QStringLiteral("IdRemoteData") : QStringLiteral("IdQuery");
        QCOMPARE(column(QStringLiteral("select ParName from VornParam where %1=%2 order by Numm, Id").arg(owner).arg(target)), expected);
        if (expected.contains(QStringLiteral("B"))) {
            const ResultSet rs = run(m_db.get(), QStringLiteral(
                "select IdParTyp, SQL, LookupField, DefSQL from VornParam where %1=%2 and ParName='B'").arg(owner).arg(target));
            QCOMPARE(rs.value(0, 0).toInt(), 5);
            QCOMPARE(rs.value(0, 1).toString(), QStringLiteral("select Id, Name from Regions"));
            QCOMPARE(rs.value(0, 2).toString(), QStringLiteral("Id"));
            QCOMPARE(rs.value(0, 3).toString(), QStringLiteral("select 1"));
        }
        QCOMPARE(value(QStringLiteral("select count(*) from VornParam where IdQuery=%1").arg(src)), 2);
        QCOMPARE(value("select count(*) from VornParam where IdQuery is null and IdRemoteData is null"), 0);
    }

    // Deleting an object removes what depends on it alone; nothing is left dangling.
    void deletesCascade()
    {
        const int q1 = add(QStringLiteral("spVornQueryAdd"), {{"Name", "Q1"}, {"IdForm", 0}}, "IdQuery");
        const int f1 = add(QStringLiteral("spVornFormAdd"), {{"Name", "Q1"}, {"IdQuery", q1}}, "IdForm");
        const int q2 = add(QStringLiteral("spVornQueryAdd"), {{"Name", "Q2"}, {"IdForm", f1}}, "IdQuery");
        const int f2 = add(QStringLiteral("spVornFormAdd"), {{"Name", "Q2"}, {"IdQuery", q2}}, "IdForm");
        const int m = add(QStringLiteral("spVornRemoteDataAdd"), {{"Name", "M"}}, "IdRemoteData");
        run(m_db.get(), QStringLiteral("insert into VornFrm2Qry (IdForm, Numm, IdRemoteData, IsMaster, QueryShortName) "
                                     "values (%1, 3, %2, 0, 'Query3')").arg(f1).arg(m));
        add(QStringLiteral("spVornParamAdd"), {{"ParName", "P"}, {"IdQuery", q2}, {"IdRemoteData", 0}}, "IdParam");
        add(QStringLiteral("spVornParamAdd"), {{"ParName", "P"}, {"IdQuery", 0}, {"IdRemoteData", m}}, "IdParam");
        const int g = add(QStringLiteral("spVornGrpAdd"), {{"GrpName", "G"}}, "IdGrp");
        const int s = add(QStringLiteral("spVornScriptAdd"), {{"Name", "S"}}, "IdScript");
        run(m_db.get(), QStringLiteral("insert into VornGrpBody (IdGroup, IdForm, Numm) values (%1, %2, 1)").arg(g).arg(f1));
        run(m_db.get(), QStringLiteral("insert into VornGrpBody (IdGroup, IdScript, Numm) values (%1, %2, 2)").arg(g).arg(s));
        run(m_db.get(), QStringLiteral("insert into VornUsers (IdTypObj, IdObj, LoginName) values (1, %1, 'x'), (2, %2, 'x'), "
                                     "(5, %3, 'x'), (2, %4, 'x')").arg(g).arg(f1).arg(s).arg(f2));

        call(QStringLiteral("spVornQueryDel"), {{"IdQuery", q2}});   // used by two reports
        QCOMPARE(value(QStringLiteral("select count(*) from VornFrm2Qry where IdQuery=%1").arg(q2)), 0);
        QCOMPARE(value(QStringLiteral("select count(*) from VornParam where IdQuery=%1").arg(q2)), 0);
        QCOMPARE(value(QStringLiteral("select count(*) from VornFrm2Qry where IdForm=%1").arg(f1)), 2);

        call(QStringLiteral("spVornRemoteDataDel"), {{"IdRemoteData", m}});
        QCOMPARE(value(QStringLiteral("select count(*) from VornFrm2Qry where IdRemoteData=%1").arg(m)), 0);
        QCOMPARE(value(QStringLiteral("select count(*) from VornParam where IdRemoteData=%1").arg(m)), 0);

        call(QStringLiteral("spVornFormDel"), {{"IdForm", f1}});
        QCOMPARE(value(QStringLiteral("select count(*) from VornFrm2Qry where IdForm=%1").arg(f1)), 0);
        QCOMPARE(value(QStringLiteral("select count(*) from VornGrpBody where IdForm=%1").arg(f1)), 0);
        QCOMPARE(value(QStringLiteral("select count(*) from VornUsers where IdTypObj=2 and IdObj=%1").arg(f1)), 0);
        QCOMPARE(value(QStringLiteral("select count(*) from VornQuery where Id=%1").arg(q1)), 1);   // the dialog decides
        QCOMPARE(value(QStringLiteral("select count(*) from VornUsers where IdTypObj=2 and IdObj=%1").arg(f2)), 1);

        call(QStringLiteral("spVornScriptDel"), {{"IdScript", s}});
        QCOMPARE(value(QStringLiteral("select count(*) from VornGrpBody where IdScript=%1").arg(s)), 0);
        QCOMPARE(value(QStringLiteral("select count(*) from VornUsers where IdTypObj=5")), 0);

        run(m_db.get(), QStringLiteral("insert into VornGrpBody (IdGroup, IdForm, Numm) values (%1, %2, 1)").arg(g).arg(f2));
        call(QStringLiteral("spVornGrpDel"), {{"IdGrp", g}});
        QCOMPARE(value("select count(*) from VornGroup"), 0);
        QCOMPARE(value("select count(*) from VornGrpBody"), 0);
        QCOMPARE(value("select count(*) from VornUsers where IdTypObj=1"), 0);
        QCOMPARE(value(QStringLiteral("select count(*) from VornForm where Id=%1").arg(f2)), 1);
    }

    void failingProcedureLeavesNothing()
    {
        // The second statement of the add fails (no owner): the first must not stay.
        const int before = value("select count(*) from VornParam");
        QVERIFY_THROWS_EXCEPTION(DataError, call(QStringLiteral("spVornParamAdd"),
                                                 {{"ParName", "X"}, {"IdQuery", 0}, {"IdRemoteData", 0}},
                                                 {QStringLiteral("IdParam")}));
        QCOMPARE(value("select count(*) from VornParam"), before);
        // and the connection goes on working
        QCOMPARE(add(QStringLiteral("spVornGrpNumm"), {}, "Numm"), 1);
    }

    void prefixWithBlanksIsTrimmed()
    {
        run(m_db.get(), QStringLiteral("update Lookups set Item='  %1 ' where Teg='Vorn_prmPrefix'").arg(m_prefix));
        QCOMPARE(readPrefix(m_db.get()), m_prefix);
        QVERIFY(add(QStringLiteral("spVornGrpAdd"), {{"GrpName", "G"}}, "IdGrp") > 0);
    }

    void noPrefixRowGivesBareNames()
    {
        const QString dialectPrefix = m_prefix;
        run(m_db.get(), QStringLiteral("delete from Lookups where Teg='Vorn_prmPrefix'"));
        m_prefix = readPrefix(m_db.get());
        QCOMPARE(m_prefix, QString());
        if (dialectPrefix == u"@") {
            // the SQLite executor takes names with or without the at-sign (called unprepared:
            // prepare would replace the bare names by the declared @ names)
            const int g = add(QStringLiteral("spVornGrpAdd"), {{"GrpName", "Без префикса"}}, "IdGrp", false);
            QCOMPARE(g, value("select max(Id) from VornGroup"));
        } else {
            // PostgreSQL arguments are p_ names: bare names do not match, as with a wrong prefix
            QVERIFY_THROWS_EXCEPTION(DataError, call(QStringLiteral("spVornGrpAdd"), {{"GrpName", "Без префикса"}},
                                                     {QStringLiteral("IdGrp")}));
        }
        run(m_db.get(), QStringLiteral("insert into Lookups (Teg, Ival, Item) values ('Vorn_prmPrefix', NULL, NULL)"));
        QCOMPARE(readPrefix(m_db.get()), QString());
    }

    void logActionRecordsTheLogin()
    {
        const QString clerk = m_backend.name(QStringLiteral("clerk"));
        m_backend.addLogin(clerk, QStringLiteral("секрет"), false);
        auto db = connect(clerk, QStringLiteral("секрет"));
        call(QStringLiteral("spVornLogAction"), {{"IdAction", 3}, {"ValueId", 17}, {"Name", "Сводка продаж"}}, {}, db.get());
        const ResultSet rs = run(m_db.get(), QStringLiteral(
            "select LoginName, HostName, AppName, IdAction, ValueId, Name from VornActionLog"));
        QCOMPARE(rs.rowCount, 1);
        QCOMPARE(rs.value(0, 0).toString(), clerk);
        QCOMPARE(rs.value(0, 1).toString(), QStringLiteral("WS-TEST"));
        QCOMPARE(rs.value(0, 2).toString(), QStringLiteral("VORNGEN"));
        QCOMPARE(rs.value(0, 3).toInt(), 3);
        QCOMPARE(rs.value(0, 4).toInt(), 17);
        QCOMPARE(rs.value(0, 5).toString(), QStringLiteral("Сводка продаж"));
    }

    // The server list and the message recipients: other logins' sessions of the program.
    void sessionsOfOtherLogins()
    {
        const QString clerk = m_backend.name(QStringLiteral("clerk"));
        m_backend.addLogin(clerk, QStringLiteral("c"), false);
        run(m_db.get(), QStringLiteral("insert into VornLogins (LoginName, FullName) values ('%1', 'Клерк Иван')").arg(clerk));
        auto db = connect(clerk, QStringLiteral("c"));
        // the embedded catalogue knows sessions from the log only
        call(QStringLiteral("spVornLogAction"), {{"IdAction", 1}, {"ValueId", 1}, {"Name", "Отчёт"}}, {}, db.get());
        const QString expectedHost = m_backend.driver() == u"SQLITE" ? QStringLiteral("WS-TEST") : QStringLiteral("127.0.0.1");
        const ResultSet rs = run(m_db.get(), QStringLiteral(
            "select distinct Host from vwVornSessions where ProgramName = 'VORNGEN' and IsOwnLogin = 0 and LoginName = '%1'").arg(clerk));
        QCOMPARE(rs.rowCount, 1);
        QCOMPARE(rs.value(0, 0).toString(), expectedHost);
        QVERIFY(column(QStringLiteral("select FullName from vwVornRecipients where Host = '%1'").arg(expectedHost))
                    .contains(QStringLiteral("Клерк Иван")));
        // seen from the clerk's side the same session is its own
        QCOMPARE(first(db.get(), QStringLiteral("select max(IsOwnLogin) from vwVornSessions where LoginName = '%1'").arg(clerk)).toInt(), 1);
    }

    // Only an administrator changes the catalogue; asking still works for everyone.
    void ordinaryLoginCannotChangeCatalogue_data()
    {
        QTest::addColumn<QString>("proc");
        QTest::addColumn<QString>("what");
        QTest::newRow("add group") << "spVornGrpAdd" << "";
        QTest::newRow("add report") << "spVornFormAdd" << "";
        QTest::newRow("delete query") << "spVornQueryDel" << "query";
        QTest::newRow("delete report") << "spVornFormDel" << "report";
        QTest::newRow("copy parameters") << "spVornParamsCopy" << "query";
    }
    void ordinaryLoginCannotChangeCatalogue()
    {
        QFETCH(QString, proc);
        QFETCH(QString, what);
        const int q = add(QStringLiteral("spVornQueryAdd"), {{"Name", "Q"}, {"IdForm", 0}}, "IdQuery");
        const int f = add(QStringLiteral("spVornFormAdd"), {{"Name", "Q"}, {"IdQuery", q}}, "IdForm");
        add(QStringLiteral("spVornParamAdd"), {{"ParName", "P"}, {"IdQuery", q}, {"IdRemoteData", 0}}, "IdParam");
        const QString clerk = m_backend.name(QStringLiteral("clerk"));
        m_backend.addLogin(clerk, QStringLiteral("c"), false);
        auto db = connect(clerk, QStringLiteral("c"));
        const auto state = [&] {
            return column("select count(*) from VornGroup union all select count(*) from VornForm union all "
                          "select count(*) from VornQuery union all select count(*) from VornFrm2Qry union all "
                          "select count(*) from VornParam");
        };
        const QStringList before = state();
        Inputs in;
        QStringList out;
        if (proc == u"spVornGrpAdd") {
            in = {{"GrpName", "G"}};
            out = {"IdGrp"};
        } else if (proc == u"spVornFormAdd") {
            in = {{"Name", "F"}, {"IdQuery", q}};
            out = {"IdForm"};
        } else if (proc == u"spVornParamsCopy") {
            in = {{"OldIdQuery", q}, {"OldIdParam", 0}, {"NewIdQuery", q}};
        } else {
            in = {{what == u"query" ? "IdQuery" : "IdForm", what == u"query" ? q : f}};
        }
        QVERIFY_THROWS_EXCEPTION(DataError, call(proc, in, out, db.get()));
        QCOMPARE(state(), before);
        QCOMPARE(call("spVornGetIsAdmin", {}, {"IsAdmin"}, db.get()).value("IsAdmin").toInt(), 0);
        QCOMPARE(call("spVornFrm2QryNumm", {{"IdForm", f}}, {"Numm"}, db.get()).value("Numm").toInt(), 2);
    }

    void rightsViews_data()
    {
        QTest::addColumn<QString>("who");
        QTest::addColumn<int>("isAdmin");
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<QStringList>("reports");
        QTest::addColumn<QStringList>("scripts");
        QTest::addColumn<QStringList>("imports");
        QTest::newRow("administrator") << "boss" << 1 << QStringList{"G1", "G2"} << QStringList{"R1", "R2", "R3"}
                                       << QStringList{"S1", "S2"} << QStringList{"I1", "I2"};
        QTest::newRow("ordinary login") << "clerk" << 0 << QStringList{"G2"} << QStringList{"R2", "R3"}
                                        << QStringList{} << QStringList{"I1"};
        QTest::newRow("role member") << "member" << 0 << QStringList{"G1"} << QStringList{"R1"}
                                     << QStringList{"S1"} << QStringList{"I2"};
        QTest::newRow("nobody") << "stranger" << 0 << QStringList{} << QStringList{} << QStringList{} << QStringList{};
    }
    void rightsViews()
    {
        QFETCH(QString, who);
        QFETCH(int, isAdmin);
        QFETCH(QStringList, groups);
        QFETCH(QStringList, reports);
        QFETCH(QStringList, scripts);
        QFETCH(QStringList, imports);
        const QString boss = m_backend.name("boss"), clerk = m_backend.name("clerk"),
                      member = m_backend.name("member"), stranger = m_backend.name("stranger"),
                      role = m_backend.name("team");
        m_backend.addLogin(boss, QStringLiteral("b"), true);
        m_backend.addLogin(clerk, QStringLiteral("c"), false);
        m_backend.addLogin(member, QStringLiteral("m"), false);
        m_backend.addLogin(stranger, QStringLiteral("s"), false);
        m_backend.addRole(role);
        m_backend.addMember(member, role);
        // G1 holds R1 and S1 and is granted to the role; G2 holds R2; R3 is in no group.
        const int g1 = add("spVornGrpAdd", {{"GrpName", "G1"}}, "IdGrp");
        const int g2 = add("spVornGrpAdd", {{"GrpName", "G2"}}, "IdGrp");
        int r[4], s[3], i[3];
        for (int k = 1; k <= 3; ++k)
            r[k] = add("spVornFormAdd", {{"Name", QStringLiteral("R%1").arg(k)}, {"IdQuery", 0}}, "IdForm");
        for (int k = 1; k <= 2; ++k) {
            s[k] = add("spVornScriptAdd", {{"Name", QStringLiteral("S%1").arg(k)}}, "IdScript");
            run(m_db.get(), QStringLiteral("insert into VornImports (Numm, Name, IdScrEng) values (%1, 'I%1', 1)").arg(k));
            i[k] = value(QStringLiteral("select max(Id) from VornImports"));
        }
        run(m_db.get(), QStringLiteral("insert into VornGrpBody (IdGroup, IdForm, Numm) values (%1, %2, 1), (%3, %4, 1)")
                          .arg(g1).arg(r[1]).arg(g2).arg(r[2]));
        run(m_db.get(), QStringLiteral("insert into VornGrpBody (IdGroup, IdScript, Numm) values (%1, %2, 2)").arg(g1).arg(s[1]));
        // clerk: report R2 directly (its group shows), R3 directly, import I1; the role: G1, I2
        run(m_db.get(), QStringLiteral("insert into VornUsers (IdTypObj, IdObj, LoginName) values "
                                     "(2, %1, '%2'), (2, %3, '%2'), (6, %4, '%2'), (1, %5, '%6'), (6, %7, '%6')")
                          .arg(r[2]).arg(clerk).arg(r[3]).arg(i[1]).arg(g1).arg(role).arg(i[2]));
        run(m_db.get(), QStringLiteral("insert into VornLogins (LoginName, FullName) values ('%1', 'Клерк Иван')").arg(clerk));

        const QString login = m_backend.name(who);
        auto db = connect(login, who.left(1));
        QCOMPARE(call("spVornGetIsAdmin", {}, {"IsAdmin"}, db.get()).value("IsAdmin").toInt(), isAdmin);
        QCOMPARE(column("select GrpName from vwVornGroup order by GrpName", db.get()), groups);
        QCOMPARE(column("select Name from vwVornForm order by Name", db.get()), reports);
        QCOMPARE(column("select Name from vwVornScript order by Name", db.get()), scripts);
        QCOMPARE(column("select Name from vwVornImports order by Name", db.get()), imports);

        // the logins list, as the rights windows and the full-name lookup read it
        const ResultSet ls = run(db.get(), QStringLiteral("select LoginName, FullName, IsRole from vwVornLogins"));
        QMap<QString, QPair<QString, int>> logins;
        for (int k = 0; k < ls.rowCount; ++k)
            logins.insert(ls.value(k, 0).toString(), {ls.value(k, 1).toString(), ls.value(k, 2).toInt()});
        QCOMPARE(logins.value(clerk), qMakePair(QStringLiteral("Клерк Иван"), 0));
        QCOMPARE(logins.value(member), qMakePair(member, 0));
        QCOMPARE(logins.value(role).second, 1);
        QCOMPARE(first(db.get(), QStringLiteral("select count(*) from vwVornLogins where LoginName='%1' and IsRole=0")
                                     .arg(role)).toInt(), 0);

        // rights by user: one row per object, IdRight set exactly where the login has a right
        const ResultSet rb = run(m_db.get(), QStringLiteral(
            "select IdTypObj, ObjName, IdRight, TypObjName, Id from vwVornRightsByUser where LoginName='%1' "
            "order by IdTypObj, Numm, ObjName").arg(clerk));
        QCOMPARE(rb.rowCount, 2 + 3 + 2 + 2);
        QStringList granted;
        QSet<int> ids;
        for (int k = 0; k < rb.rowCount; ++k) {
            ids << rb.value(k, 4).toInt();
            if (rb.value(k, 2).toInt() > 0)
                granted << rb.value(k, 0).toString() + u':' + rb.value(k, 1).toString();
        }
        QCOMPARE(ids.size(), rb.rowCount);   // Id keys the list
        QCOMPARE(granted, (QStringList{"2:R2", "2:R3", "6:I1"}));
        QCOMPARE(rb.value(0, 3).toString(), QStringLiteral("Группа отчётов"));
        QCOMPARE(value(QStringLiteral("select count(*) from vwVornObjects where IdTypObj=5")), 2);
    }

    void wrongPasswordIsRefused()
    {
        const QString clerk = m_backend.name(QStringLiteral("clerk"));
        m_backend.addLogin(clerk, QStringLiteral("верный"), false);
        QVERIFY_THROWS_EXCEPTION(DataError, connect(clerk, QStringLiteral("неверный")));
        QVERIFY(connect(clerk, QStringLiteral("верный"))->isOpen());
    }

    // The demo catalogue: its logins connect with their passwords and see their share.
    void demoCatalogue_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<int>("isAdmin");
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<int>("reports");
        QTest::addColumn<QStringList>("scripts");
        QTest::newRow("director") << "director" << 1 << QStringList{"Продажи", "Справочники", "Сервис"} << 9
                                  << QStringList{"Сводка продаж", "Оборот по регионам"};
        QTest::newRow("ivanov through managers") << "ivanov" << 0 << QStringList{"Продажи", "Сервис"} << 5
                                                 << QStringList{"Сводка продаж"};
        QTest::newRow("petrova") << "petrova" << 0 << QStringList{"Продажи", "Справочники"} << 5 << QStringList{};
    }
    void demoCatalogue()
    {
        QFETCH(QString, login);
        QFETCH(int, isAdmin);
        QFETCH(QStringList, groups);
        QFETCH(int, reports);
        QFETCH(QStringList, scripts);
        m_db.reset();
        m_backend.drop();
        m_backend.create(true);
        auto db = connect(login, login);
        QCOMPARE(call("spVornGetIsAdmin", {}, {"IsAdmin"}, db.get()).value("IsAdmin").toInt(), isAdmin);
        QCOMPARE(column("select GrpName from vwVornGroup order by Numm", db.get()), groups);
        QCOMPARE(first(db.get(), "select count(*) from vwVornForm").toInt(), reports);
        QCOMPARE(column("select Name from vwVornScript order by Numm", db.get()), scripts);
        QVERIFY(first(db.get(), "select count(*) from InvoiceLines").toInt() > 3000);
        QCOMPARE(first(db.get(), QStringLiteral("select count(*) from vwVornLogins where LoginName='%1' and IsRole=0")
                                     .arg(login)).toInt(), 1);
        // every report's first source holds the report's parameters
        QCOMPARE(first(db.get(), "select count(*) from VornForm f where not exists "
                                 "(select 1 from VornFrm2Qry l where l.IdForm=f.Id and l.Numm=1)").toInt(), 0);
    }

    // Every demo query, lookup list and default SQL runs on the dialect with typical
    // values (macros substituted, named parameters bound) and the main ones find rows.
    void demoQueriesRun()
    {
        m_db.reset();
        m_backend.drop();
        m_backend.create(true);
        auto db = connect(QStringLiteral("director"), QStringLiteral("director"));
        const QVariantMap values = {
            {"DateFrom", QDate(2025, 1, 1)}, {"DateTo", QDate(2026, 12, 31)}, {"Client", 1}, {"Invoice", 1},
            {"MinTotal", 1000.5}, {"MinCount", 2}, {"Discount", 5.5}, {"SinceTime", QDateTime(QDate(2025, 1, 1), QTime(0, 0))},
            {"Password", QStringLiteral("закупка")}, {"OnDate", QDate(2026, 11, 1)}, {"Id", 1}};
        QStringList texts;
        ResultSet rs = run(db.get(), "select Name, SQLtext from VornQuery");
        for (int r = 0; r < rs.rowCount; ++r)
            texts << rs.value(r, 1).toString();
        rs = run(db.get(), "select SQL from VornParam where SQL is not null union all "
                           "select DefSQL from VornParam where DefSQL is not null");
        for (int r = 0; r < rs.rowCount; ++r)
            texts << rs.value(r, 0).toString();
        QCOMPARE(texts.size(), 9 + 4 + 3);   // queries, lookup lists, default SQL
        static const QRegularExpression named(QStringLiteral(":([A-Za-z]\\w*)"));
        for (QString sql : std::as_const(texts)) {
            sql.replace(QLatin1String("%%Regions%%"), QLatin1String("1, 2, 3"));
            sql.replace(QLatin1String("%%GoodsGroup%%"), QStringLiteral("Бак"));
            QSqlQuery q(db->sqlDatabase());
            QStringList names;
            for (auto it = named.globalMatch(sql); it.hasNext();)
                names << it.next().captured(1);
            QVERIFY2(q.prepare(sql), qPrintable(sql + u'\n' + q.lastError().text()));
            for (const QString &n : std::as_const(names)) {
                QVERIFY2(values.contains(n), qPrintable(n));
                q.bindValue(u':' + n, values.value(n));
            }
            QVERIFY2(q.exec(), qPrintable(sql + u'\n' + q.lastError().text()));
            int rows = 0;
            while (q.next())
                ++rows;
            if (!sql.contains(QLatin1String("InvoiceId = :Id")) && !sql.contains(QLatin1String("i.Id = :Invoice")))
                QVERIFY2(rows > 0, qPrintable(sql));
        }
    }

private:
    TheBackend m_backend;
    std::unique_ptr<Database> m_db;   // the administrator's connection to the current catalogue
    QString m_prefix;                 // ParamPrefix as the program reads it
    int m_connections = 0;
};

QTEST_GUILESS_MAIN(TestCatalogueContract)
#include "tst_catalogue_contract.moc"
