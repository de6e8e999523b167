// SQL query datasets. Query: SQL lines with ":Name" parameters, open (all rows fetched
// into the cursor), exec, a master data source, and two ways of writing edits back:
// "live" single-table UPDATE/INSERT/DELETE by key, or editable lists with explicit
// modify/insert/delete statements that re-read and reposition after each statement.
#pragma once
#include "platform/data/Dataset.h"
#include "platform/data/Param.h"
#include "platform/data/DataSource.h"

#include <QPointer>
#include <QStringList>

namespace vorn {

class Database;
class DataSource;

class Query : public Dataset
{
    Q_OBJECT
    Q_PROPERTY(QString databaseName READ databaseName WRITE setDatabaseName)
    Q_PROPERTY(QString DatabaseConnName READ databaseName WRITE setDatabaseName)
    Q_PROPERTY(QStringList sql READ sql WRITE setSql)
    Q_PROPERTY(bool requestLive READ requestLive WRITE setRequestLive)

public:
    explicit Query(QObject *parent = nullptr);
    ~Query() override;

    // The connection: by name (looked up among the session's databases when used) or
    // given directly; with neither, the default connection.
    QString databaseName() const { return m_databaseName; }
    void setDatabaseName(const QString &name) { m_databaseName = name; }
    void setDatabase(Database *db) { m_database = db; }
    Database *database() const;   // raises when none is found

    QStringList sql() const { return m_sql; }
    void setSql(const QStringList &lines);
    void setSql(const QString &text) { setSql(text.split(u'\n')); }
    QString sqlText() const { return m_sql.join(u'\n'); }
    void addSql(const QString &line) { setSql(m_sql + QStringList{line}); }
    void clearSql() { setSql(QStringList()); }

    ParamList &params() { return m_params; }
    const ParamList &params() const { return m_params; }
    Param &paramByName(const QString &name) { return m_params.paramByName(name); }
    int paramCount() const { return m_params.count(); }
    void prepare();                // checks the statement on the server
    void unprepare() { m_prepared = false; }
    bool isPrepared() const { return m_prepared; }
    qint64 execSql();              // runs a statement without rows; returns rows affected
    qint64 rowsAffected() const { return m_rowsAffected; }

    // Master/detail: unbound parameters take the master's same-named columns; the
    // detail re-queries when the master's current row changes.
    bool supportsMaster() const override { return true; }
    DataSource *masterSource() const { return m_master; }
    void setMasterSource(DataSource *master);

    // Live single-table write-back.
    bool requestLive() const { return m_requestLive; }
    void setRequestLive(bool live) { m_requestLive = live; }
    QString updateTable() const;   // the table written to ("" when not single-table)
    void setUpdateTable(const QString &t) { m_updateTable = t; }
    QStringList keyFields() const; // primary key columns (default: the table's primary key, else "Id")
    void setKeyFields(const QStringList &k) { m_keyFields = k; }

    // Editable list statements; a non-empty one makes the list editable.
    QString modifySql() const { return m_modifySql; }
    void setModifySql(const QString &s) { m_modifySql = s; }
    QString insertSql() const { return m_insertSql; }
    void setInsertSql(const QString &s) { m_insertSql = s; }
    QString deleteSql() const { return m_deleteSql; }
    void setDeleteSql(const QString &s) { m_deleteSql = s; }
    bool isEditableList() const { return !m_modifySql.isEmpty() || !m_insertSql.isEmpty() || !m_deleteSql.isEmpty(); }

protected:
    void internalOpen(RowData &out) override;
    bool internalPost(DatasetState state, const QVariantList &oldRow, QVariantList &newRow) override;
    bool internalDelete(const QVariantList &row) override;
    void checkCanModify(bool forEdit) override;

private:
    void masterChanged();
    ParamList effectiveParams() const;
    ParamList statementParams(const QString &sql, const QVariantList &row, const QVariantList &oldRow) const;
    void rereadAndLocate(const QVariant &id);
    QString quoteName(const QString &name) const;
    QString columnName(const Field *f) const;

    QString m_databaseName;          // connection name ("dbMain")
    QPointer<Database> m_database;   // given connection, overrides the name
    QStringList m_sql;               // SQL text lines
    ParamList m_params;              // from the SQL's ":Name" references
    bool m_prepared = false;         // prepare() succeeded for this text
    qint64 m_rowsAffected = -1;      // last execSql
    QPointer<DataSource> m_master;   // master data source
    QList<QMetaObject::Connection> m_masterLinks; // connections to it
    QVariantList m_masterValues;     // master values used by the last open
    bool m_requestLive = false;      // live single-table write-back
    QString m_updateTable;           // table override
    QStringList m_keyFields;         // key override
    QString m_modifySql, m_insertSql, m_deleteSql; // editable list statements
};

} // namespace vorn
