// A named database connection ("dbMain"): a driver name and an ordered parameter list
// mapped onto a Qt SQL connection (SQLITE, POSTGRESQL, MSSQL over FreeTDS, generic ODBC),
// transactions, the session's default connection, and statement execution into a
// client-side result that the datasets keep.
#pragma once
#include "platform/data/DataError.h"
#include "platform/data/FieldType.h"
#include "platform/data/Param.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSqlError;
struct sqlite3;

namespace vorn {

// Connection parameters in their given order; names compared case-insensitively.
class ConnectionParams
{
public:
    QString value(const QString &name) const;          // "" when absent
    bool contains(const QString &name) const;
    void setValue(const QString &name, const QString &value); // appended when new
    void remove(const QString &name);
    void clear() { m_items.clear(); }
    int count() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.isEmpty(); }
    QString nameAt(int i) const { return m_items.at(i).first; }
    QString valueAt(int i) const { return m_items.at(i).second; }
    QStringList names() const;
    QStringList toStringList() const;                  // "NAME=value" lines
    static ConnectionParams fromStringList(const QStringList &lines);

private:
    QList<QPair<QString, QString>> m_items; // name, value
};

// One column of a fetched result.
struct ResultColumn
{
    QString name;                // column name as the server reports it
    FieldType type = ftUnknown;  // field type code
    int size = 0;                // declared length for strings, 0 when unknown
    QString origin;              // "Table.Column" when the driver knows it
    bool nullable = true;        // false when the column is declared NOT NULL
};

// A whole result fetched into memory, column by column.
struct ResultSet
{
    QList<ResultColumn> columns;  // in select order
    QList<QList<QVariant>> data;  // one list of rowCount values per column
    const QVariant &value(int row, int col) const { return data.at(col).at(row); }
    int rowCount = 0;             // rows fetched
    qint64 rowsAffected = -1;     // for statements without a result
    QVariant lastInsertId;        // the key the server gave a new row, where known
};

class Database : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString databaseName READ databaseName WRITE setDatabaseName)
    Q_PROPERTY(QString driverName READ driverName WRITE setDriverName)
    Q_PROPERTY(bool connected READ isOpen)

public:
    enum class Dialect { None, Sqlite, PostgreSql, MsSql };

    explicit Database(QObject *parent = nullptr);
    ~Database() override;

    QString databaseName() const { return m_name; }    // the name datasets refer to
    void setDatabaseName(const QString &name) { m_name = name; }
    QString driverName() const { return m_driver; }     // "SQLITE", "POSTGRESQL", "MSSQL", "ODBC"
    void setDriverName(const QString &driver) { m_driver = driver.trimmed().toUpper(); }
    ConnectionParams &params() { return m_params; }
    const ConnectionParams &params() const { return m_params; }

    void open();        // raises the server's error text; the connection stays closed
    void close();
    bool isOpen() const;
    Dialect dialect() const;  // SQL flavour of the open (or configured) connection

    void startTransaction();
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }

    // Runs one statement with ":Name" parameters taken from params (by name;
    // raises for a name not in the list). fetch = read the rows it returns.
    ResultSet execute(const QString &sql, const ParamList &params = {}, bool fetch = true);
    qint64 execSql(const QString &sql, const ParamList &params = {}) { return execute(sql, params, false).rowsAffected; }
    void checkSql(const QString &sql);      // compiles the statement; raises the server's error
    QVariant selectValue(const QString &sql, const ParamList &params = {}); // first column of the first row

    // Raises unless the connection is usable: "not open", or, when the server has
    // dropped it since it opened, the lost-connection error (see serverError).
    void requireOpen();
    // The error to raise for a failed statement. When the server has dropped the
    // connection, the connection is closed, connectionLost() is emitted and the text
    // says so; otherwise it carries the server's text.
    DataError serverError(const QSqlError &error);

    QSqlDatabase sqlDatabase() const;       // the underlying Qt connection
    sqlite3 *sqliteHandle() const;          // SQLite only, else nullptr
    QString connectionName() const { return m_qtName; } // Qt's connection name

    // SQLite catalogues are one file for every login, so the session stands in for
    // a server's rights: a login that is not an administrator may not write, create,
    // drop or shadow the catalogue's own objects (names beginning "Vorn", "vwVorn",
    // "spVorn", and "Lookups"). The program's own catalogue operations run inside a
    // CatalogueWrites scope; its procedures make their own administrator checks.
    bool catalogueGuarded() const;          // the guard is on for this session
    class CatalogueWrites
    {
    public:
        explicit CatalogueWrites(Database *db);
        ~CatalogueWrites();
        CatalogueWrites(const CatalogueWrites &) = delete;
        CatalogueWrites &operator=(const CatalogueWrites &) = delete;

    private:
        Database *m_db;
    };

    // Drivers offered for new profiles and each one's default parameter list.
    static QStringList driverNames();
    static ConnectionParams defaultParams(const QString &driver);
    // The ODBC connection string built for the "MSSQL" driver (FreeTDS).
    static QString mssqlConnectionString(const ConnectionParams &params);

    // The first open connection of the session; raises "Не удалось получить
    // дефолтную коннекцию" when there is none.
    static Database *defaultDatabase();
    // A connection object as a Database; raises "This connection is not TDatabase".
    static Database *asDatabase(QObject *connection);
    // The connection a dataset uses: the one given, else the one named (raises
    // "Unknown database: <name>" when there is none), else the default connection.
    static Database *resolve(Database *given, const QString &name);
    // A connection by its databaseName (case-insensitive), nullptr when unknown.
    static Database *findDatabase(const QString &name);
    static QList<Database *> databases();   // all of the session, in creation order

Q_SIGNALS:
    void opened();
    void closed();
    void connectionLost();   // the server dropped the connection (emitted after closed())

private:
    void openSqlite();
    DataError lost(const QString &detail);
    void registerSessionFunctions();
    void checkSqliteLogin();
    void installCatalogueGuard();
    static int authorizeCatalogue(void *session, int action, const char *a1, const char *a2, const char *, const char *);
    ResultSet executeQt(const QString &sql, const QList<QVariant> &values, bool fetch);

    QString m_name;                // databaseName ("dbMain")
    QString m_driver;              // driver name, upper case
    ConnectionParams m_params;     // connection parameters
    QString m_qtName;              // unique Qt connection name
    bool m_inTransaction = false;  // between startTransaction and commit/rollback
    struct Session;
    Session *m_session = nullptr;  // values the SQLite session functions return
};

// Statement execution on a raw SQLite handle with "@Name"/":Name"/"?" parameters bound
// natively by name lookup; shared by queries and the stored-procedure executor.
namespace sqlite {
QString errorText(sqlite3 *db);
// values: by parameter name without prefix (case-insensitive); positional '?' take
// positional[i] in order.
ResultSet run(sqlite3 *db, const QString &sql, const ParamList *named, const QList<QVariant> &positional, bool fetch);
} // namespace sqlite

} // namespace vorn
