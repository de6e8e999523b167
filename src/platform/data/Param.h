// Query and stored-procedure parameters: a name, a field type code, a direction and
// a value, with the typed setters the program binds values through. A parameter is
// "bound" once a value (null included) was given; master/detail links fill only the
// unbound ones.
#pragma once
#include "platform/data/FieldType.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

namespace vorn {

enum class ParamDirection { Unknown, Input, Output, InputOutput, Result };

class Param
{
public:
    Param() = default;
    Param(const QString &name, FieldType type = ftUnknown, ParamDirection dir = ParamDirection::Input)
        : m_name(name), m_dataType(type), m_direction(dir) {}

    QString name() const { return m_name; }
    void setName(const QString &n) { m_name = n; }
    FieldType dataType() const { return m_dataType; }
    void setDataType(FieldType t) { m_dataType = t; }
    ParamDirection direction() const { return m_direction; }
    void setDirection(ParamDirection d) { m_direction = d; }
    bool isBound() const { return m_bound; }
    void setBound(bool b) { m_bound = b; }

    QVariant value() const { return m_value; }
    void setValue(const QVariant &v);          // type taken from the value when unknown
    bool isNull() const { return m_value.isNull(); }
    void setNull() { m_value = QVariant(); m_bound = true; }
    void clear() { m_value = QVariant(); m_bound = false; }  // back to "not given"

    void setAsString(const QString &v) { set(ftString, v); }
    void setAsInteger(qint64 v) { set(v > INT_MAX || v < INT_MIN ? ftLargeint : ftInteger, v); }
    void setAsSmallInt(int v) { set(ftSmallint, v); }
    void setAsFloat(double v) { set(ftFloat, v); }
    void setAsCurrency(double v) { set(ftCurrency, v); }
    void setAsBoolean(bool v) { set(ftBoolean, v); }
    void setAsDate(const QDate &v) { set(ftDate, v); }
    void setAsDateTime(const QDateTime &v) { set(ftDateTime, v); }
    void setAsMemo(const QString &v) { set(ftMemo, v); }
    void setAsBlob(const QByteArray &v) { set(ftBlob, v); }
    void loadFromFile(const QString &fileName, FieldType type = ftBlob); // raises when unreadable

    QString asString() const { return m_value.toString(); }
    qint64 asInteger() const { return m_value.toLongLong(); }
    double asFloat() const { return m_value.toDouble(); }
    QDateTime asDateTime() const { return m_value.toDateTime(); }

    // The value converted to the parameter's type; raises a conversion error
    // naming the parameter when the value does not fit.
    QVariant typedValue() const;

private:
    void set(FieldType t, const QVariant &v) { m_dataType = t; m_value = v; m_bound = true; }

    QString m_name;                                    // without prefix for queries, as declared for procedures
    FieldType m_dataType = ftUnknown;                  // field type code
    ParamDirection m_direction = ParamDirection::Input; // in / out / in-out
    QVariant m_value;                                  // null when not given
    bool m_bound = false;                              // a value was given
};

// Ordered parameters; names compared case-insensitively.
class ParamList
{
public:
    int count() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.isEmpty(); }
    Param &operator[](int i) { return m_items[i]; }
    const Param &operator[](int i) const { return m_items[i]; }
    Param *findParam(const QString &name);
    const Param *findParam(const QString &name) const;
    Param &paramByName(const QString &name);   // raises "Parameter '<name>' not found"
    Param &add(const Param &p) { m_items.append(p); return m_items.last(); }
    void clear() { m_items.clear(); }
    void removeAt(int i) { m_items.removeAt(i); }
    // Replaces the list by these names, keeping the values of names that stay.
    void assignNames(const QStringList &names);
    QList<Param>::iterator begin() { return m_items.begin(); }
    QList<Param>::iterator end() { return m_items.end(); }
    QList<Param>::const_iterator begin() const { return m_items.begin(); }
    QList<Param>::const_iterator end() const { return m_items.end(); }

private:
    QList<Param> m_items; // in order of first appearance / declaration
};

} // namespace vorn
