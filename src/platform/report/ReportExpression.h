// The report expression language: values, the function registry the program
// extends (NUMTORUS, USERFIO), and compiled expressions with aggregate slots.
// Evaluation never throws: faults travel as error values that print as text.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

namespace vorn::report {

class ReportValue
{
public:
    enum Type { Null, Boolean, Integer, Float, String, DateTime, Binary, Error };

    ReportValue() = default;
    ReportValue(bool b) : m_type(Boolean), m_int(b) {}
    ReportValue(int i) : m_type(Integer), m_int(i) {}
    ReportValue(qint64 i) : m_type(Integer), m_int(i) {}
    ReportValue(double d) : m_type(Float), m_float(d) {}
    ReportValue(const QString &s) : m_type(String), m_string(s) {}
    ReportValue(const char *) = delete;
    ReportValue(const QDateTime &d) : m_type(DateTime), m_date(d) {}
    static ReportValue error(const QString &message);
    static ReportValue fromVariant(const QVariant &v);

    Type type() const { return m_type; }
    bool isNull() const { return m_type == Null; }
    bool isError() const { return m_type == Error; }
    bool isNumber() const { return m_type == Integer || m_type == Float; }
    bool toBool() const;
    double toDouble() const;
    qint64 toInteger() const;
    QString toString() const;                         // display text in the program's locale; errors give their message
    QDateTime toDateTime() const { return m_date; }
    QString errorMessage() const { return m_type == Error ? m_string : QString(); }
    QVariant toVariant() const;
    QString typeName() const;                         // as TYPEOF answers

private:
    Type m_type = Null;
    qint64 m_int = 0;
    double m_float = 0;
    QString m_string;
    QDateTime m_date;
    QByteArray m_bytes;                               // Binary: BLOB fields (images)
};

// What a running expression can ask of its surroundings.
class ExpressionContext
{
public:
    virtual ~ExpressionContext();
    // A name such as Query1.Field, usrPARAM.Name or a bare field; false when unknown.
    virtual bool resolve(const QString &name, ReportValue *value) = 0;
    virtual ReportValue aggregate(int slot) = 0;
    virtual ReportValue pageNumber() { return ReportValue(0); }
    virtual ReportValue pageCount() { return ReportValue(0); }
};

struct FunctionSignature
{
    QString name;                                     // upper case
    QString description;                              // "NUMTORUS(<X>)| ..." as shown to the designer
    QString arguments;                                // argument signature such as "7N"
};

using ReportFunction = std::function<ReportValue(const QList<ReportValue> &args)>;

// Functions known to expressions. Builtins come from standard(); the program
// copies it, adds its own and hands the result to the engine.
class FunctionRegistry
{
public:
    static const FunctionRegistry &standard();

    void add(const QString &name, const QString &description, const QString &arguments, ReportFunction f);
    bool contains(const QString &name) const { return m_functions.contains(name.toUpper()); }
    const ReportFunction *function(const QString &name) const;
    FunctionSignature signature(const QString &name) const;
    QStringList names() const;

    static QString wrongArgumentCount();              // "Неверное кол-во аргументов"

private:
    struct Entry
    {
        FunctionSignature signature;
        ReportFunction function;
    };
    QHash<QString, Entry> m_functions;
};

enum class AggregateKind { Sum, Count, Min, Max, Average };

// Where an aggregate starts again from empty.
enum class AggregateScope {
    Default,                                          // decided by the band the item is on
    Band,                                             // after the band holding the item prints
    Group,                                            // when the enclosing (or named) group starts
    Page,                                             // at every new page
    Report                                            // never
};

class ExpressionNode;

class Expression
{
public:
    struct Aggregate
    {
        AggregateKind kind;
        AggregateScope scope;
        QString groupName;                            // Group scope naming a group header band
        ExpressionNode *argument;                     // null for COUNT()
        ExpressionNode *node;                         // the aggregate call itself
    };

    Expression();
    ~Expression();
    Expression(Expression &&) noexcept;
    Expression &operator=(Expression &&) noexcept;

    // Compile; on a syntax error the expression evaluates to the error value.
    static Expression compile(const QString &text, const FunctionRegistry &functions);

    bool isValid() const { return m_root != nullptr; }
    QString errorMessage() const { return m_error; }
    QString text() const { return m_text; }
    ReportValue evaluate(ExpressionContext &ctx) const;
    static ReportValue evaluateNode(const ExpressionNode *node, ExpressionContext &ctx);
    static QStringList namesUnder(const ExpressionNode *node);

    const QList<Aggregate> &aggregates() const { return m_aggregates; }
    void setAggregateSlot(int aggregate, int slot);   // the engine's accumulator for it
    bool usesPageCount() const { return m_usesPageCount; }
    bool usesPageNumber() const { return m_usesPageNumber; }
    QStringList referencedNames() const { return m_names; }

private:
    friend class ExpressionParser;
    QString m_text;
    QString m_error;
    ExpressionNode *m_root = nullptr;                 // owned through m_pool
    std::vector<std::unique_ptr<ExpressionNode>> m_pool;
    QList<Aggregate> m_aggregates;
    QStringList m_names;
    bool m_usesPageCount = false;
    bool m_usesPageNumber = false;
};

// Delphi-style display formats, which layouts carry ("#,##0.00", "dd.mm.yyyy").
// Rounds on the decimal digits of the value, halves away from zero.
QString formatNumber(const QString &format, double value);
QString formatNumber(const QString &format, qint64 value);
QString formatDateTime(const QString &format, const QDateTime &value);

} // namespace vorn::report
