// Stored procedure datasets: typed in/out parameters, ExecProc and Open (the rows the
// procedure returns), through the connection's dialect: SQL Server EXEC with OUTPUT
// parameters, PostgreSQL functions in named notation, SQLite procedure bodies kept
// in the catalogue database. A parameter named "@parSortPart" (or "p_parSortPart")
// orders the returned rows.
#pragma once
#include "platform/data/Dataset.h"
#include "platform/data/Param.h"
#include "platform/data/Database.h"

#include <QPointer>

namespace vorn {

class Database;

class StoredProc : public Dataset
{
    Q_OBJECT
    Q_PROPERTY(QString databaseName READ databaseName WRITE setDatabaseName)
    Q_PROPERTY(QString storedProcName READ storedProcName WRITE setStoredProcName)

public:
    explicit StoredProc(QObject *parent = nullptr);

    QString databaseName() const { return m_databaseName; }
    void setDatabaseName(const QString &name) { m_databaseName = name; }
    void setDatabase(Database *db) { m_database = db; }
    Database *database() const;     // by name, given, or the default connection

    QString storedProcName() const { return m_name; }
    void setStoredProcName(const QString &name);

    ParamList &params() { return m_params; }
    const ParamList &params() const { return m_params; }
    Param &paramByName(const QString &name) { return m_params.paramByName(name); }
    void prepare();                 // reads the parameter list from the server
    bool isPrepared() const { return m_prepared; }
    void execProc();                // runs it; output parameters receive their values

    Param *sortPartParam();         // "@parSortPart" / "p_parSortPart", nullptr when absent
    // The statement sent to SQL Server / PostgreSQL (empty on SQLite).
    QString callSql() const;

protected:
    void internalOpen(RowData &out) override;
    void internalAfterOpen() override;

private:
    ResultSet run();
    ResultSet runWithOutputBinding(Database *db, const QString &sql, const QList<int> &bound);

    QString m_databaseName;        // connection name
    QPointer<Database> m_database; // given connection
    QString m_name;                // procedure name
    ParamList m_params;            // declared parameters
    bool m_prepared = false;       // parameter list read from the server
};

} // namespace vorn
