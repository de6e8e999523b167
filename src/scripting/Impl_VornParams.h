// Parameter objects of scripts: a report's own parameter list (Params / Param), free
// lists of named query parameters (NewQueryParams), and the one binding of a query's
// named parameters from such a list or from a dictionary.
#pragma once
#include "scripting/Impl_VornCollection.h"

#include <memory>

class TParamAskMe;
class TParamAskMeList;
namespace vorn {
class Query;
}

// One entry of a report's list; the list belongs to the report object, so the
// parameter only watches it and refuses to work once the report object is gone.
class TVornParam : public TVornObject
{
public:
    TVornParam(std::weak_ptr<TParamAskMeList> list, int number);
    static const vorn::TypeInfo *staticTypeInfo();
    const vorn::TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("TVornParam"); }

    TParamAskMe *Param() const;   // raises when the report object is gone
    int Number() const { return m_number; }
    vorn::Variant Value() const;
    void SetValue(const vorn::Variant &v);

private:
    std::weak_ptr<TParamAskMeList> m_list;
    int m_number;                 // 1-based position in the list
};

class TVornParams : public TVornCollection
{
public:
    explicit TVornParams(const std::shared_ptr<TParamAskMeList> &list);
    static const vorn::TypeInfo *staticTypeInfo();
    const vorn::TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("TVornParams"); }

protected:
    QString ItemName(int i) const override;
};

class TVornQueryParam : public TVornObject
{
public:
    TVornQueryParam(const QString &name, const vorn::Variant &value, int dataType, const QString &fileName)
        : Name(name), Value(value), DataType(dataType), FileName(fileName) {}
    static const vorn::TypeInfo *staticTypeInfo();
    const vorn::TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("TVornQueryParam"); }

    const QString Name;           // fixed at creation
    vorn::Variant Value;
    int DataType;                 // field type code
    QString FileName;             // a BLOB value is read from this file when set
};

class TVornQueryParams : public TVornCollection
{
public:
    static const vorn::TypeInfo *staticTypeInfo();
    const vorn::TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("TVornQueryParams"); }

    vorn::Variant Item(const vorn::Variant &index) override;   // names without regard to case
    vorn::Variant Add(const QString &name, const vorn::Variant &value, int dataType, const QString &fileName);
    void Clear();
    TVornQueryParam *At(int i) const;

protected:
    QString ItemName(int i) const override;
};

// Binds every named parameter of a prepared query from a Scripting.Dictionary (or any
// object answering Exists and Item), from a TVornQueryParams list, or nothing for
// an empty, null or missing source.
void BindQueryParams(vorn::Query *query, const vorn::Variant &source);
