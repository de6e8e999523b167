// Dataset, field and query-collection objects of scripts. They read the live dataset
// and move its one cursor; they only watch the dataset (QPointer), so an object kept
// after its report object or single query was released raises instead of touching
// freed memory.
#pragma once
#include "scripting/Impl_VornCollection.h"

#include <QPointer>
#include <memory>

namespace vorn {
class Dataset;
class Field;
}

class TVornDataSet : public TVornObject
{
public:
    // TVornSimpleDataSet (any dataset), TVornQueryObject (a database query: the table
    // file kinds too), TVornSingleQuery (a query the object owns).
    enum Kind { Simple, QueryObject, SingleQuery };
    TVornDataSet(Kind kind, int number, const QString &name, vorn::Dataset *dataset);
    ~TVornDataSet() override;
    static const vorn::TypeInfo *staticTypeInfo();
    const vorn::TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override;

    vorn::Dataset *DataSet() const;      // raises when the dataset is gone
    int Number() const { return m_number; }
    QString Name() const { return m_name; }
    QString ShortName() const;
    vorn::Variant Values() const;
    vorn::Variant Rows() const;
    vorn::Variant RowsAsText() const;
    vorn::Variant DisplayLabels() const;
    vorn::Variant FieldNames() const;
    vorn::Variant Fields() const;
    bool SaveToFile(const QString &fileName, int kind, bool delimited);

private:
    Kind m_kind;
    int m_number;                        // 1-based position in a report's list; 0 otherwise
    QString m_name;                      // catalogue name of the query; "" otherwise
    QPointer<vorn::Dataset> m_dataset;   // not owned unless SingleQuery
};

// A field seen through its dataset: found again by position and name on every use.
class TVornField : public TVornObject
{
public:
    TVornField(vorn::Dataset *dataset, int index);
    static const vorn::TypeInfo *staticTypeInfo();
    const vorn::TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("TVornField"); }

    vorn::Field *Field() const;          // raises when the dataset or the field is gone
    QString FieldName() const { return m_name; }
    void SaveToFile(const QString &fileName) const;

private:
    QPointer<vorn::Dataset> m_dataset;
    int m_index;
    QString m_name;
};

class TVornFields : public TVornCollection
{
public:
    explicit TVornFields(vorn::Dataset *dataset);
    static const vorn::TypeInfo *staticTypeInfo();
    const vorn::TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("TVornFields"); }
    vorn::Variant Item(const vorn::Variant &index) override;

protected:
    QString ItemName(int i) const override;
};

class TVornQuerys : public TVornCollection
{
public:
    void Append(TVornDataSet *dataset);
    static const vorn::TypeInfo *staticTypeInfo();
    const vorn::TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("TVornQuerys"); }
    bool SaveToExcel(const QString &fileName);

protected:
    QString ItemName(int i) const override;
};

// The workbook of Excel export: one sheet per dataset named by its short name, the
// display labels in row 1 (bold) and every row's values as text below.
void WriteScriptWorkbook(const QList<TVornDataSet *> &datasets, const QString &fileName);
