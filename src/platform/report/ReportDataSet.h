// Data the band engine walks: a small cursor interface over named datasets, with
// an implementation over Qt SQL and an in-memory table (parameters, loop data).
// The dataset layer adapts its own queries to this interface.
#pragma once

#include <QList>
#include <QMetaType>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

namespace vorn::report {

// One dataset as the engine sees it. The engine only reads forward; a detail
// that follows a master is told to re-read when the master's current row moves.
class ReportDataSet
{
public:
    virtual ~ReportDataSet();

    virtual QString name() const = 0;                 // component name the layout refers to
    virtual bool open(QString *error = nullptr) = 0;  // (re)fetch; false with *error on failure
    virtual bool isOpen() const = 0;
    virtual QStringList fieldNames() const = 0;
    virtual QMetaType fieldType(int field) const = 0;
    virtual bool first() = 0;                         // false when there are no rows
    virtual bool next() = 0;                          // false past the last row
    virtual bool eof() const = 0;
    virtual QVariant value(int field) const = 0;      // current row; null QVariant when eof
    virtual int recordCount() const { return -1; }    // -1 when not known in advance
    virtual int recordNumber() const = 0;             // 1-based number of the current row

    int fieldIndex(const QString &field) const;       // case-insensitive; -1 when absent
    QVariant value(const QString &field) const;

    // Master link: the detail takes its unset parameters (or key fields) from the
    // master's current row and is re-read by masterChanged().
    void setMaster(ReportDataSet *master) { m_master = master; }
    ReportDataSet *master() const { return m_master; }
    virtual bool masterChanged(QString *error = nullptr) { return open(error); }

private:
    ReportDataSet *m_master = nullptr;
};

// A query on a Qt SQL connection. Named parameters (:Name) take their values
// from setParameter(), else from the master's same-named column.
class SqlReportDataSet : public ReportDataSet
{
public:
    SqlReportDataSet(const QString &name, const QSqlDatabase &db, const QString &sql);
    ~SqlReportDataSet() override;

    QString name() const override { return m_name; }
    QString sql() const { return m_sql; }
    void setSql(const QString &sql) { m_sql = sql; }
    void setDatabase(const QSqlDatabase &db) { m_db = db; }
    void setParameter(const QString &name, const QVariant &value);
    QStringList parameterNames() const;               // in order of first use in the SQL

    bool open(QString *error = nullptr) override;
    bool isOpen() const override { return m_open; }
    QStringList fieldNames() const override { return m_fields; }
    QMetaType fieldType(int field) const override;
    bool first() override;
    bool next() override;
    bool eof() const override { return m_pos >= m_rows.size(); }
    QVariant value(int field) const override;
    int recordCount() const override { return m_open ? int(m_rows.size()) : -1; }
    int recordNumber() const override { return m_pos + 1; }

private:
    QString m_name;
    QSqlDatabase m_db;
    QString m_sql;
    QList<QPair<QString, QVariant>> m_params;         // explicitly set values
    QStringList m_fields;
    QList<QMetaType> m_types;
    QVector<QVector<QVariant>> m_rows;                // client-side copy of the result
    int m_pos = 0;
    bool m_open = false;
};

// An in-memory table: fields defined up front, rows appended. An optional key
// link (detail field = master field) filters rows by the master's current row.
class MemoryReportDataSet : public ReportDataSet
{
public:
    explicit MemoryReportDataSet(const QString &name);

    QString name() const override { return m_name; }
    void addField(const QString &name, QMetaType type = QMetaType(QMetaType::QString));
    void appendRow(const QVariantList &values);
    void clearRows() { m_rows.clear(); }
    int rowCount() const { return int(m_rows.size()); }
    QVariantList row(int i) const { return m_rows.value(i); }
    void setMasterLink(const QString &detailField, const QString &masterField);

    bool open(QString *error = nullptr) override;
    bool isOpen() const override { return m_open; }
    QStringList fieldNames() const override { return m_fields; }
    QMetaType fieldType(int field) const override { return m_types.value(field); }
    bool first() override;
    bool next() override;
    bool eof() const override { return m_pos >= m_visible.size(); }
    QVariant value(int field) const override;
    int recordCount() const override { return int(m_visible.size()); }
    int recordNumber() const override { return m_pos + 1; }

private:
    QString m_name;
    QStringList m_fields;
    QList<QMetaType> m_types;
    QList<QVariantList> m_rows;
    QVector<int> m_visible;                           // row indexes that pass the master link
    QString m_linkDetail, m_linkMaster;
    int m_pos = 0;
    bool m_open = false;
};

} // namespace vorn::report
