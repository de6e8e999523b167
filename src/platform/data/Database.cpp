// Database connections. SQLite statements run on the QSQLITE handle through the
// SQLite API (native binding by name, declared column types and origins, the session
// functions); PostgreSQL and ODBC statements run through QSqlQuery with positional
// binding after the ":Name" references were rewritten to '?'.
#include "platform/data/Database.h"
#include "platform/data/DataError.h"
#include "platform/data/SqlText.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include <sqlite3.h>

namespace vorn {

// ---- ConnectionParams ---------------------------------------------------------

QString ConnectionParams::value(const QString &name) const
{
    for (const auto &p : m_items)
        if (p.first.compare(name, Qt::CaseInsensitive) == 0)
            return p.second;
    return {};
}

bool ConnectionParams::contains(const QString &name) const
{
    for (const auto &p : m_items)
        if (p.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void ConnectionParams::setValue(const QString &name, const QString &value)
{
    for (auto &p : m_items)
        if (p.first.compare(name, Qt::CaseInsensitive) == 0) {
            p.second = value;
            return;
        }
    m_items.append({name, value});
}

void ConnectionParams::remove(const QString &name)
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i].first.compare(name, Qt::CaseInsensitive) == 0) {
            m_items.removeAt(i);
            return;
        }
}

QStringList ConnectionParams::names() const
{
    QStringList out;
    for (const auto &p : m_items)
        out << p.first;
    return out;
}

QStringList ConnectionParams::toStringList() const
{
    QStringList out;
    for (const auto &p : m_items)
        out << p.first + u'=' + p.second;
    return out;
}

ConnectionParams ConnectionParams::fromStringList(const QStringList &lines)
{
    ConnectionParams p;
    for (const QString &l : lines) {
        const int eq = l.indexOf(u'=');
        if (eq > 0)
            p.setValue(l.left(eq), l.mid(eq + 1));
    }
    return p;
}

// ---- session ------------------------------------------------------------------

struct Database::Session
{
    QByteArray login;  // USER NAME
    QByteArray app;    // APPLICATION NAME
    QByteArray host;   // HOST NAME
    bool guarded = false;  // the login may not write the catalogue's own objects
    int ownWrites = 0;     // open CatalogueWrites scopes
};

static QList<Database *> &allDatabases()
{
    static QList<Database *> list;  // the session's connections, in creation order
    return list;
}

Database::Database(QObject *parent) : QObject(parent)
{
    static int counter = 0;
    m_qtName = QStringLiteral("vorn_db_%1").arg(++counter);
    allDatabases().append(this);
}

Database::~Database()
{
    close();
    allDatabases().removeAll(this);
    delete m_session;
}

QList<Database *> Database::databases() { return allDatabases(); }

Database *Database::defaultDatabase()
{
    for (Database *d : allDatabases())
        if (d->isOpen())
            return d;
    throw DataError(QStringLiteral("Не удалось получить дефолтную коннекцию"));
}

Database *Database::asDatabase(QObject *connection)
{
    if (auto *d = qobject_cast<Database *>(connection))
        return d;
    throw DataError(QStringLiteral("This connection is not TDatabase"));
}

Database *Database::resolve(Database *given, const QString &name)
{
    if (given)
        return given;
    if (!name.trimmed().isEmpty()) {
        if (Database *d = findDatabase(name.trimmed()))
            return d;
        throw DataError(QStringLiteral("Неизвестная база данных: %1").arg(name));
    }
    return defaultDatabase();
}

Database *Database::findDatabase(const QString &name)
{
    Database *found = nullptr;  // an open connection of that name wins over a closed one
    for (Database *d : allDatabases())
        if (d->databaseName().compare(name, Qt::CaseInsensitive) == 0) {
            if (d->isOpen())
                return d;
            if (!found)
                found = d;
        }
    return found;
}

QStringList Database::driverNames()
{
    return {QStringLiteral("SQLITE"), QStringLiteral("POSTGRESQL"), QStringLiteral("MSSQL"), QStringLiteral("ODBC")};
}

ConnectionParams Database::defaultParams(const QString &driver)
{
    QStringList names;
    const QString d = driver.trimmed().toUpper();
    if (d == u"MSSQL")
        names = {"DATABASE NAME", "SERVER NAME", "USER NAME", "OPEN MODE", "SCHEMA CACHE SIZE",
                 "BLOB EDIT LOGGING", "LANGDRIVER", "SQLQRYMODE", "SQLPASSTHRU MODE", "DATE MODE",
                 "SCHEMA CACHE TIME", "MAX QUERY TIME", "MAX ROWS", "BATCH COUNT",
                 "ENABLE SCHEMA CACHE", "SCHEMA CACHE DIR", "HOST NAME", "APPLICATION NAME",
                 "NATIONAL LANG NAME", "ENABLE BCD", "TDS PACKET SIZE", "BLOBS TO CACHE",
                 "BLOB SIZE", "PASSWORD"};
    else if (d == u"POSTGRESQL")
        names = {"SERVER NAME", "DATABASE NAME", "USER NAME", "HOST NAME", "APPLICATION NAME", "PASSWORD"};
    else if (d == u"SQLITE")
        names = {"DATABASE NAME", "USER NAME", "HOST NAME", "APPLICATION NAME", "PASSWORD"};
    else if (d == u"ODBC")
        names = {"DATABASE NAME", "SQL DIALECT", "USER NAME", "PASSWORD"};
    ConnectionParams p;
    for (const QString &n : names)
        p.setValue(n, QString());
    return p;
}

// ODBC attribute values with separators must be braced, with '}' doubled inside.
static QString odbcValue(const QString &v)
{
    if (v.contains(u';') || v.contains(u'{') || v.contains(u'}') || v.contains(u'=') || v.startsWith(u' ')
        || v.endsWith(u' '))
        return u'{' + QString(v).replace(QStringLiteral("}"), QStringLiteral("}}")) + u'}';
    return v;
}

QString Database::mssqlConnectionString(const ConnectionParams &p)
{
    QString server = p.value(QStringLiteral("SERVER NAME")).trimmed();
    QString port;
    const int sep = server.lastIndexOf(QRegularExpression(QStringLiteral("[:,]")));
    if (sep > 0) {
        port = server.mid(sep + 1).trimmed();
        server = server.left(sep).trimmed();
    }
    QStringList parts;
    parts << QStringLiteral("DRIVER={FreeTDS}") << QStringLiteral("Server=") + odbcValue(server);
    if (!port.isEmpty())
        parts << QStringLiteral("Port=") + odbcValue(port);
    const QString db = p.value(QStringLiteral("DATABASE NAME")).trimmed();
    if (!db.isEmpty())
        parts << QStringLiteral("Database=") + odbcValue(db);
    parts << QStringLiteral("UID=") + odbcValue(p.value(QStringLiteral("USER NAME")))
          << QStringLiteral("PWD=") + odbcValue(p.value(QStringLiteral("PASSWORD")));
    const QString app = p.value(QStringLiteral("APPLICATION NAME")).trimmed();
    if (!app.isEmpty())
        parts << QStringLiteral("APP=") + odbcValue(app);
    const QString host = p.value(QStringLiteral("HOST NAME")).trimmed();
    if (!host.isEmpty())
        parts << QStringLiteral("WSID=") + odbcValue(host);
    const QString packet = p.value(QStringLiteral("TDS PACKET SIZE")).trimmed();
    if (!packet.isEmpty() && packet.toInt() > 0)
        parts << QStringLiteral("PacketSize=") + packet;
    parts << QStringLiteral("TDS_Version=7.4") << QStringLiteral("ClientCharset=UTF-8");
    return parts.join(u';');
}

static QString sqlErrorText(const QSqlError &e)
{
    const QString db = e.databaseText().trimmed();
    return db.isEmpty() ? e.text().trimmed() : db;
}

// libpq conninfo values: single-quoted with backslash escapes.
static QString conninfoValue(const QString &v)
{
    QString s = v;
    s.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + s + u'\'';
}

bool Database::isOpen() const
{
    return QSqlDatabase::contains(m_qtName) && QSqlDatabase::database(m_qtName, false).isOpen();
}

Database::Dialect Database::dialect() const
{
    if (m_driver == u"SQLITE" || m_driver.isEmpty())
        return Dialect::Sqlite;
    if (m_driver == u"POSTGRESQL")
        return Dialect::PostgreSql;
    if (m_driver == u"ODBC")
        return m_params.value(QStringLiteral("SQL DIALECT")).trimmed().toUpper() == u"POSTGRESQL" ? Dialect::PostgreSql
                                                                                                   : Dialect::MsSql;
    return Dialect::MsSql;
}

QSqlDatabase Database::sqlDatabase() const { return QSqlDatabase::database(m_qtName, false); }

sqlite3 *Database::sqliteHandle() const
{
    if (!isOpen() || dialect() != Dialect::Sqlite || m_driver == u"ODBC")
        return nullptr;
    const QVariant h = sqlDatabase().driver()->handle();
    if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(h.constData());
    return nullptr;
}

void Database::open()
{
    if (isOpen())
        return;
    const auto value = [this](const char *n) { return m_params.value(QLatin1String(n)); };
    QSqlDatabase db;
    if (m_driver == u"SQLITE" || m_driver.isEmpty()) {
        openSqlite();
        Q_EMIT opened();
        return;
    }
    if (m_driver == u"POSTGRESQL") {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_qtName);
        QString server = value("SERVER NAME").trimmed();
        const int colon = server.lastIndexOf(u':');
        if (colon > 0) {
            db.setPort(server.mid(colon + 1).toInt());
            server = server.left(colon);
        }
        db.setHostName(server);
        db.setDatabaseName(value("DATABASE NAME").trimmed());
        db.setUserName(value("USER NAME"));
        db.setPassword(value("PASSWORD"));
        QStringList opts;
        if (!value("APPLICATION NAME").trimmed().isEmpty())
            opts << QStringLiteral("application_name=") + conninfoValue(value("APPLICATION NAME").trimmed());
        // The PostgreSQL protocol has no workstation field: the host name travels as a
        // session setting the server side can read with current_setting('vorn.host').
        const QString host = value("HOST NAME").trimmed();
        if (!host.isEmpty() && !host.contains(u' ') && !host.contains(u'\'') && !host.contains(u'\\'))
            opts << QStringLiteral("options=") + conninfoValue(QStringLiteral("-c vorn.host=") + host);
        db.setConnectOptions(opts.join(u';'));
    } else if (m_driver == u"MSSQL") {
        db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_qtName);
        db.setDatabaseName(mssqlConnectionString(m_params));
    } else if (m_driver == u"ODBC") {
        db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_qtName);
        db.setDatabaseName(value("DATABASE NAME"));
        db.setUserName(value("USER NAME"));
        db.setPassword(value("PASSWORD"));
    } else {
        throw DataError(QStringLiteral("Неизвестный драйвер базы данных \"%1\"").arg(m_driver));
    }
    if (!db.open()) {
        const QString err = sqlErrorText(db.lastError());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_qtName);
        throw DataError(err);
    }
    Q_EMIT opened();
}

void Database::openSqlite()
{
    const QString file = m_params.value(QStringLiteral("DATABASE NAME")).trimmed();
    if (file.isEmpty())
        throw DataError(QStringLiteral("Не задан файл базы данных (DATABASE NAME)"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_qtName);
        db.setDatabaseName(file);
        if (!db.open()) {
            const QString err = sqlErrorText(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_qtName);
            throw DataError(err);
        }
    }
    try {
        registerSessionFunctions();
        sqlite3_busy_timeout(sqliteHandle(), 5000);
        sqlite::run(sqliteHandle(), QStringLiteral("PRAGMA foreign_keys = ON"), nullptr, {}, false);
        checkSqliteLogin();
        installCatalogueGuard();
    } catch (...) {
        close();
        throw;
    }
}

static void textResult(sqlite3_context *ctx, const QByteArray &v)
{
    sqlite3_result_text(ctx, v.constData(), int(v.size()), SQLITE_TRANSIENT);
}

void Database::registerSessionFunctions()
{
    if (!m_session)
        m_session = new Session;
    m_session->login = m_params.value(QStringLiteral("USER NAME")).toUtf8();
    m_session->app = m_params.value(QStringLiteral("APPLICATION NAME")).toUtf8();
    m_session->host = m_params.value(QStringLiteral("HOST NAME")).toUtf8();
    sqlite3 *h = sqliteHandle();
    const auto reg = [h, this](const char *name, int nargs, void (*fn)(sqlite3_context *, int, sqlite3_value **)) {
        if (sqlite3_create_function_v2(h, name, nargs, SQLITE_UTF8, m_session, fn, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw DataError(sqlite::errorText(h));
    };
    reg("vorn_login", 0, [](sqlite3_context *c, int, sqlite3_value **) {
        textResult(c, static_cast<Session *>(sqlite3_user_data(c))->login);
    });
    reg("vorn_app", 0, [](sqlite3_context *c, int, sqlite3_value **) {
        textResult(c, static_cast<Session *>(sqlite3_user_data(c))->app);
    });
    reg("vorn_host", 0, [](sqlite3_context *c, int, sqlite3_value **) {
        textResult(c, static_cast<Session *>(sqlite3_user_data(c))->host);
    });
    reg("vorn_hash", 2, [](sqlite3_context *c, int, sqlite3_value **argv) {
        QByteArray data;
        for (int i = 0; i < 2; ++i) {
            const unsigned char *t = sqlite3_value_text(argv[i]);
            if (t)
                data.append(reinterpret_cast<const char *>(t), sqlite3_value_bytes(argv[i]));
        }
        textResult(c, QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
    });
}

void Database::checkSqliteLogin()
{
    sqlite3 *h = sqliteHandle();
    const ResultSet t = sqlite::run(
        h, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'VornLogin' COLLATE NOCASE"),
        nullptr, {}, true);
    if (t.rowCount == 0)
        return;  // a plain data file: any login
    const QString login = m_params.value(QStringLiteral("USER NAME"));
    const QString pwd = m_params.value(QStringLiteral("PASSWORD"));
    const ResultSet r = sqlite::run(
        h,
        QStringLiteral("SELECT 1 FROM VornLogin WHERE LoginName = ? AND IsRole = 0 AND "
                       "((PwdHash = '' AND ? = '') OR PwdHash = vorn_hash(PwdSalt, ?))"),
        nullptr, {login, pwd, pwd}, true);
    if (r.rowCount == 0)
        throw DataError(QStringLiteral("Ошибка входа пользователя \"%1\".").arg(login));
}

// ---- catalogue guard (SQLite) --------------------------------------------------
//
// SQLite asks the authorizer while it compiles each statement, trigger bodies
// included, so a denial stops the statement before anything runs. Besides writes,
// creating an object with a catalogue name is refused too: a temporary table or view
// of that name would shadow the real one for the rest of the session, and the
// program's own procedures (which run unguarded) would then read the login's copy.

static bool isCatalogueName(const char *name)
{
    if (!name)
        return false;
    const QByteArray n = QByteArray(name).toLower();
    return n.startsWith("vorn") || n.startsWith("vwvorn") || n.startsWith("spvorn") || n == "lookups";
}

int Database::authorizeCatalogue(void *session, int action, const char *a1, const char *a2, const char *, const char *)
{
    const auto *s = static_cast<const Session *>(session);
    if (!s->guarded || s->ownWrites > 0)
        return SQLITE_OK;
    switch (action) {
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
    case SQLITE_CREATE_TABLE:
    case SQLITE_CREATE_TEMP_TABLE:
    case SQLITE_CREATE_VIEW:
    case SQLITE_CREATE_TEMP_VIEW:
    case SQLITE_DROP_TABLE:
    case SQLITE_DROP_TEMP_TABLE:
    case SQLITE_DROP_VIEW:
    case SQLITE_DROP_TEMP_VIEW:
    case SQLITE_CREATE_VTABLE:
    case SQLITE_DROP_VTABLE:
        return isCatalogueName(a1) ? SQLITE_DENY : SQLITE_OK;
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_CREATE_TEMP_TRIGGER:
    case SQLITE_DROP_TRIGGER:
    case SQLITE_DROP_TEMP_TRIGGER:
    case SQLITE_CREATE_INDEX:
    case SQLITE_CREATE_TEMP_INDEX:
    case SQLITE_DROP_INDEX:
    case SQLITE_DROP_TEMP_INDEX:
        return isCatalogueName(a1) || isCatalogueName(a2) ? SQLITE_DENY : SQLITE_OK;
    case SQLITE_ALTER_TABLE:
        return isCatalogueName(a2) ? SQLITE_DENY : SQLITE_OK;
    case SQLITE_PRAGMA:
        return a1 && qstricmp(a1, "writable_schema") == 0 ? SQLITE_DENY : SQLITE_OK;
    default:
        return SQLITE_OK;
    }
}

void Database::installCatalogueGuard()
{
    sqlite3 *h = sqliteHandle();
    m_session->guarded = false;
    m_session->ownWrites = 0;
    const ResultSet t = sqlite::run(
        h, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'VornLogin' COLLATE NOCASE"),
        nullptr, {}, true);
    if (t.rowCount == 0)
        return;  // not a catalogue
    // The rights view says it for the whole catalogue (roles included); a file that
    // lacks it falls back to the login's own flag, and anything unreadable grants nothing.
    bool admin = false;
    for (const char *sql : {"SELECT IsAdmin FROM vwVornIsAdmin",
                            "SELECT IsAdmin FROM VornLogin WHERE LoginName = vorn_login() COLLATE NOCASE"}) {
        try {
            const ResultSet r = sqlite::run(h, QString::fromLatin1(sql), nullptr, {}, true);
            admin = r.rowCount > 0 && r.value(0, 0).toInt() > 0;
            break;
        } catch (const DataError &) {
        }
    }
    m_session->guarded = !admin;
    if (sqlite3_set_authorizer(h, authorizeCatalogue, m_session) != SQLITE_OK)
        throw DataError(sqlite::errorText(h));
}

bool Database::catalogueGuarded() const { return m_session && m_session->guarded && sqliteHandle(); }

Database::CatalogueWrites::CatalogueWrites(Database *db) : m_db(db)
{
    if (m_db && m_db->m_session)
        ++m_db->m_session->ownWrites;
}

Database::CatalogueWrites::~CatalogueWrites()
{
    if (m_db && m_db->m_session)
        --m_db->m_session->ownWrites;
}

void Database::close()
{
    if (!QSqlDatabase::contains(m_qtName))
        return;
    const bool wasOpen = isOpen();
    {
        QSqlDatabase db = QSqlDatabase::database(m_qtName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_qtName);
    m_inTransaction = false;
    if (wasOpen)
        Q_EMIT closed();
}

DataError Database::lost(const QString &detail)
{
    close();
    Q_EMIT connectionLost();
    return DataError(QStringLiteral("Соединение с сервером потеряно: ") + detail);
}

void Database::requireOpen()
{
    if (isOpen())
        return;
    // Still registered but no longer open: the driver saw the server go away.
    if (QSqlDatabase::contains(m_qtName))
        throw lost(sqlErrorText(sqlDatabase().lastError()));
    throw DataError(QStringLiteral("База данных \"%1\" не открыта").arg(m_name.isEmpty() ? m_qtName : m_name));
}

// SQLSTATE classes of a broken connection: 08 (connection exception) and the
// PostgreSQL shutdown and termination codes 57P01-57P03.
static bool connectionGone(const QSqlDatabase &db, const QSqlError &e)
{
    if (!db.isOpen())
        return true;
    const QString code = e.nativeErrorCode();
    if (code.startsWith(QLatin1String("08")) || code == u"57P01" || code == u"57P02" || code == u"57P03")
        return true;
    const QString text = e.text();
    return text.contains(QLatin1String("server closed the connection"), Qt::CaseInsensitive)
           || text.contains(QLatin1String("no connection to the server"), Qt::CaseInsensitive)
           || text.contains(QLatin1String("terminating connection"), Qt::CaseInsensitive)
           || text.contains(QLatin1String("Communication link failure"), Qt::CaseInsensitive);
}

DataError Database::serverError(const QSqlError &error)
{
    const QString text = sqlErrorText(error);
    if (QSqlDatabase::contains(m_qtName) && connectionGone(sqlDatabase(), error))
        return lost(text);
    return DataError(text);
}

void Database::startTransaction()
{
    requireOpen();
    if (m_inTransaction)
        throw DataError(QStringLiteral("Транзакция уже начата"));
    if (sqlite3 *h = sqliteHandle())
        sqlite::run(h, QStringLiteral("BEGIN"), nullptr, {}, false);
    else if (!sqlDatabase().transaction())
        throw serverError(sqlDatabase().lastError());
    m_inTransaction = true;
}

void Database::commit()
{
    if (!m_inTransaction)
        throw DataError(QStringLiteral("Транзакция не начата"));
    if (sqlite3 *h = sqliteHandle())
        sqlite::run(h, QStringLiteral("COMMIT"), nullptr, {}, false);
    else if (!sqlDatabase().commit())
        throw serverError(sqlDatabase().lastError());
    m_inTransaction = false;
}

void Database::rollback()
{
    if (!m_inTransaction)
        throw DataError(QStringLiteral("Транзакция не начата"));
    m_inTransaction = false;
    if (sqlite3 *h = sqliteHandle())
        sqlite::run(h, QStringLiteral("ROLLBACK"), nullptr, {}, false);
    else if (!sqlDatabase().rollback())
        throw serverError(sqlDatabase().lastError());
}

ResultSet Database::execute(const QString &sql, const ParamList &params, bool fetch)
{
    requireOpen();
    const QList<sqltext::ParamRef> refs = sqltext::findParams(sql);
    QList<QVariant> values;
    values.reserve(refs.size());
    for (const sqltext::ParamRef &r : refs) {
        const Param *p = params.findParam(r.name);
        if (!p)
            throw DataError(QStringLiteral("Параметр \"%1\" не найден").arg(r.name));
        values.append(p->typedValue());
    }
    const QString text = refs.isEmpty() ? sql : sqltext::toPositional(sql, refs);
    if (sqlite3 *h = sqliteHandle())
        return sqlite::run(h, text, nullptr, values, fetch);
    return executeQt(text, values, fetch);
}

void Database::checkSql(const QString &sql)
{
    requireOpen();
    const QString text = sqltext::toPositional(sql, sqltext::findParams(sql));
    if (sqlite3 *h = sqliteHandle()) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_stmt *st = nullptr;
        const int rc = sqlite3_prepare_v2(h, utf8.constData(), int(utf8.size()), &st, nullptr);
        sqlite3_finalize(st);
        if (rc != SQLITE_OK)
            throw DataError(sqlite::errorText(h));
        return;
    }
    QSqlQuery q(sqlDatabase());
    if (!q.prepare(text))
        throw serverError(q.lastError());
}

QVariant Database::selectValue(const QString &sql, const ParamList &params)
{
    const ResultSet r = execute(sql, params, true);
    return r.rowCount > 0 && !r.columns.isEmpty() ? r.value(0, 0) : QVariant();
}

ResultSet Database::executeQt(const QString &sql, const QList<QVariant> &values, bool fetch)
{
    QSqlDatabase db = sqlDatabase();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // Server-side prepared statements cannot hold DDL on PostgreSQL: a statement
    // without parameters is sent as it is.
    bool ok;
    if (values.isEmpty()) {
        ok = q.exec(sql);
    } else {
        if (!q.prepare(sql))
            throw serverError(q.lastError());
        for (const QVariant &v : values) {
            // Qt SQL needs a typed null to bind a NULL.
            q.addBindValue(v.isValid() ? v : QVariant(QMetaType::fromType<QString>()));
        }
        ok = q.exec();
    }
    if (!ok)
        throw serverError(q.lastError());
    ResultSet rs;
    rs.rowsAffected = q.numRowsAffected();
    if (!q.isSelect() || !fetch)
        return rs;
    const QSqlRecord rec = q.record();
    const int cols = rec.count();
    for (int i = 0; i < cols; ++i) {
        const QSqlField f = rec.field(i);
        ResultColumn c;
        c.name = f.name();
        c.type = fieldtype::fromMetaType(f.metaType().id());
        if (c.type == ftUnknown)
            c.type = ftString;
        // exact decimals arrive as doubles; the server's column type tells them from
        // floats (PostgreSQL numeric and money, ODBC SQL_NUMERIC and SQL_DECIMAL)
        if (c.type == ftFloat) {
            const bool pg = db.driverName() == QLatin1String("QPSQL");
            const bool odbc = db.driverName() == QLatin1String("QODBC");
            if ((pg && f.typeID() == 1700) || (odbc && (f.typeID() == 2 || f.typeID() == 3)))
                c.type = ftBCD;
            else if (pg && f.typeID() == 790)
                c.type = ftCurrency;
        }
        if (fieldtype::isString(c.type) && f.length() > 0 && f.length() < 65536)
            c.size = f.length();
        if (!f.tableName().isEmpty())
            c.origin = f.tableName() + u'.' + f.name();
        c.nullable = f.requiredStatus() != QSqlField::Required;
        rs.columns.append(c);
    }
    rs.data.resize(cols);
    while (q.next()) {
        for (int i = 0; i < cols; ++i)
        {
            QVariant v = q.value(i);
            if (v.isNull())  // one kind of NULL whatever the driver: an empty variant
                v = QVariant();
            rs.data[i].append(std::move(v));
        }
        ++rs.rowCount;
    }
    if (q.lastError().isValid())
        throw serverError(q.lastError());
    return rs;
}

// ---- SQLite API execution -----------------------------------------------------

namespace sqlite {

QString errorText(sqlite3 *db)
{
    // The only authorizer installed is the catalogue guard.
    if (sqlite3_errcode(db) == SQLITE_AUTH)
        return QStringLiteral("Изменять таблицы каталога может только администратор");
    return QString::fromUtf8(sqlite3_errmsg(db));
}

static void bindValue(sqlite3 *db, sqlite3_stmt *st, int idx, const QVariant &v)
{
    int rc = SQLITE_OK;
    if (!v.isValid() || v.isNull()) {
        rc = sqlite3_bind_null(st, idx);
    } else {
        switch (v.metaType().id()) {
        case QMetaType::Bool: rc = sqlite3_bind_int(st, idx, v.toBool() ? 1 : 0); break;
        case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
        case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
            rc = sqlite3_bind_int64(st, idx, v.toLongLong()); break;
        case QMetaType::Double: case QMetaType::Float: rc = sqlite3_bind_double(st, idx, v.toDouble()); break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob64(st, idx, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDate: {
            const QByteArray t = v.toDate().toString(Qt::ISODate).toUtf8();
            rc = sqlite3_bind_text(st, idx, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDateTime: {
            const QByteArray t = v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toUtf8();
            rc = sqlite3_bind_text(st, idx, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray t = v.toString().toUtf8();
            rc = sqlite3_bind_text(st, idx, t.constData(), int(t.size()), SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        throw DataError(errorText(db));
}

// One statement from text; *tail receives where the next one starts, pos the next
// positional value. A null statement (only blanks or comments) gives *empty.
static ResultSet runOne(sqlite3 *db, const char *text, int len, const char **tail, const ParamList *named,
                        const QList<QVariant> &positional, int &pos, bool fetch, bool *empty)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, text, len, &st, tail) != SQLITE_OK)
        throw DataError(errorText(db));
    struct Finalizer { sqlite3_stmt *s; ~Finalizer() { sqlite3_finalize(s); } } fin{st};
    ResultSet rs;
    *empty = !st;
    if (!st)
        return rs;
    const int nparams = sqlite3_bind_parameter_count(st);
    for (int i = 1; i <= nparams; ++i) {
        const char *pname = sqlite3_bind_parameter_name(st, i);
        if (!pname || pname[0] == '?') {
            if (pos >= positional.size())
                throw DataError(QStringLiteral("Число параметров не совпадает с запросом"));
            bindValue(db, st, i, positional.at(pos++));
        } else if (named) {
            const Param *p = named->findParam(QString::fromUtf8(pname + 1));
            if (!p)
                p = named->findParam(QString::fromUtf8(pname));
            bindValue(db, st, i, p ? p->typedValue() : QVariant());
        } else {
            bindValue(db, st, i, QVariant());
        }
    }
    const int cols = sqlite3_column_count(st);
    QList<int> declared;      // field type from the declaration, ftUnknown when none
    rs.columns.reserve(cols);
    declared.reserve(cols);
    for (int i = 0; i < cols; ++i) {
        ResultColumn c;
        c.name = QString::fromUtf8(sqlite3_column_name(st, i));
        const char *decl = sqlite3_column_decltype(st, i);
        FieldType t = ftUnknown;
        if (decl) {
            const QString d = QString::fromUtf8(decl);
            t = fieldtype::fromDeclaredType(d, &c.size);
            // TEXT is SQLite's ordinary string type, not a memo.
            if (t == ftMemo && d.trimmed().compare(QLatin1String("text"), Qt::CaseInsensitive) == 0)
                t = ftString;
            if (t == ftUnknown)
                t = ftString;
        }
        const char *table = sqlite3_column_table_name(st, i);
        const char *origin = sqlite3_column_origin_name(st, i);
        if (table && origin)
            c.origin = QString::fromUtf8(table) + u'.' + QString::fromUtf8(origin);
        c.type = t;
        declared.append(t);
        rs.columns.append(c);
    }
    rs.data.resize(cols);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        if (!fetch || cols == 0)
            continue;
        for (int i = 0; i < cols; ++i) {
            QList<QVariant> &col = rs.data[i];
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_INTEGER: {
                const sqlite3_int64 v = sqlite3_column_int64(st, i);
                const int t = declared.at(i);
                if (t == ftBoolean)
                    col.append(QVariant(v != 0));
                else if (t == ftLargeint || v > INT_MAX || v < INT_MIN)
                    col.append(QVariant(qlonglong(v)));
                else if (t == ftFloat || t == ftCurrency || t == ftBCD)
                    col.append(QVariant(double(v)));
                else
                    col.append(QVariant(int(v)));
                break;
            }
            case SQLITE_FLOAT: col.append(QVariant(sqlite3_column_double(st, i))); break;
            case SQLITE_TEXT: {
                const char *t = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
                QString s = QString::fromUtf8(t, sqlite3_column_bytes(st, i));
                const int ft = declared.at(i);
                if (ft == ftDate || ft == ftDateTime || ft == ftTime || ft == ftBoolean) {
                    bool ok = false;
                    QVariant c = fieldtype::convert(s, FieldType(ft), &ok);
                    col.append(ok ? c : QVariant(s));
                } else {
                    col.append(QVariant(std::move(s)));
                }
                break;
            }
            case SQLITE_BLOB: {
                const void *b = sqlite3_column_blob(st, i);
                col.append(QVariant(QByteArray(static_cast<const char *>(b), sqlite3_column_bytes(st, i))));
                break;
            }
            default: col.append(QVariant());
            }
        }
        ++rs.rowCount;
    }
    if (rc != SQLITE_DONE)
        throw DataError(errorText(db));
    // Expression columns have no declaration: the first value decides, except for
    // numbers with a fraction. Sums and products of NUMERIC columns (money, quantities)
    // come back as REAL, mixed with INTEGER where a sum happens to be whole, and a sum
    // of REALs carries binary noise (1278298.6000000001). Read at the 15 significant
    // digits SQLite itself prints REAL values with, no value having more than four
    // places means exact decimals: the column is BCD and holds those decimals.
    // Otherwise (an average, a ratio) it is floating point. Either way one column
    // holds one kind of number.
    for (int i = 0; i < cols; ++i) {
        if (rs.columns[i].type != ftUnknown)
            continue;
        FieldType t = ftString;
        for (int r = 0; r < rs.rowCount; ++r) {
            const QVariant &v = rs.data[i].at(r);
            if (v.isNull())
                continue;
            t = fieldtype::fromMetaType(v.metaType().id());
            if (t == ftUnknown) t = ftString;
            break;
        }
        if (fieldtype::isInteger(t) || t == ftFloat) {
            bool real = false, numbers = true, fixedPoint = true;
            for (const QVariant &v : std::as_const(rs.data[i])) {
                const int id = v.metaType().id();
                if (v.isNull() || id == QMetaType::Int || id == QMetaType::LongLong)
                    continue;
                if (id != QMetaType::Double) {
                    numbers = false;
                    break;
                }
                real = true;
                if (fixedPoint) {
                    const QString text = QString::number(v.toDouble(), 'g', 15);
                    const qsizetype point = text.indexOf(u'.');
                    fixedPoint = !text.contains(u'e') && (point < 0 || text.size() - point - 1 <= 4);
                }
            }
            if (numbers && real) {
                t = fixedPoint ? ftBCD : ftFloat;
                for (QVariant &v : rs.data[i]) {
                    if (v.isNull())
                        continue;
                    if (fixedPoint)
                        v = QVariant(QString::number(v.toDouble(), 'g', 15).toDouble());
                    else if (v.metaType().id() != QMetaType::Double)
                        v = QVariant(v.toDouble());
                }
            }
        }
        rs.columns[i].type = t;
    }
    rs.rowsAffected = cols == 0 ? sqlite3_changes(db) : 0;
    rs.lastInsertId = qlonglong(sqlite3_last_insert_rowid(db));
    return rs;
}

// A text of several statements (a schema script, triggers included) runs them all in
// order; the result is the last one that returns columns, rows affected are summed.
ResultSet run(sqlite3 *db, const QString &sql, const ParamList *named, const QList<QVariant> &positional, bool fetch)
{
    const QByteArray text = sql.toUtf8();
    const char *at = text.constData();
    const char *const end = at + text.size();
    int pos = 0;
    ResultSet result;
    bool haveColumns = false;
    qint64 affected = 0;
    while (at < end) {
        const char *tail = nullptr;
        bool empty = false;
        ResultSet rs = runOne(db, at, int(end - at), &tail, named, positional, pos, fetch, &empty);
        at = tail ? tail : end;
        if (empty)
            continue;
        affected += qMax<qint64>(0, rs.rowsAffected);
        if (!rs.columns.isEmpty()) {
            result = std::move(rs);
            haveColumns = true;
        } else if (!haveColumns) {
            result.lastInsertId = rs.lastInsertId;
        }
    }
    if (!haveColumns)
        result.rowsAffected = affected;
    return result;
}

} // namespace sqlite

} // namespace vorn
