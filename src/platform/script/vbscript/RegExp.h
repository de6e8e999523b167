// VBScript's RegExp object (Pattern, Global, IgnoreCase, Multiline, Test, Execute,
// Replace) with its Matches / Match / SubMatches collections, on QRegularExpression.
#pragma once
#include "platform/automation/Dispatch.h"
#include <QRegularExpression>

namespace vorn::vbs {

class RegExpObject : public DispatchObject
{
public:
    static const TypeInfo *staticTypeInfo();
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("IRegExp2"); }

    QString pattern;          // the expression in VBScript (JScript) syntax
    bool global = false;      // all matches instead of the first
    bool ignoreCase = false;  // case-insensitive
    bool multiline = false;   // ^ and $ at line breaks

    bool test(const QString &s);
    Variant execute(const QString &s);
    QString replace(const QString &s, const QString &replacement);

private:
    QRegularExpression compiled();   // throws 5017 for a bad pattern
};

} // namespace vorn::vbs
