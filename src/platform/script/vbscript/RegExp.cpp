// RegExp, Matches, Match and SubMatches objects.
#include "platform/script/vbscript/RegExp.h"
#include "platform/automation/VariantOps.h"

namespace vorn::vbs {

namespace {

class SubMatches : public DispatchObject
{
public:
    explicit SubMatches(QVector<Variant> items) : m_items(std::move(items)) {}
    static const TypeInfo *staticTypeInfo()
    {
        static TypeInfo *ti = [] {
            auto *t = new TypeInfo(QStringLiteral("ISubMatches"));
            TypeBuilder<SubMatches>(t)
                .property(QStringLiteral("Item"), DISPID_VALUE, {ParamInfo(QStringLiteral("index"), VarType::Long)}, VarType::Variant,
                          [](SubMatches &m, CallArgs &a) {
                              int i = a[0].toLong();
                              if (i < 0 || i >= m.m_items.size()) throw AutomationError(5);
                              return m.m_items[i];
                          })
                .property(QStringLiteral("Count"), 1, {}, VarType::Long, [](SubMatches &m, CallArgs &) { return Variant(int(m.m_items.size())); })
                .property(QStringLiteral("_NewEnum"), DISPID_NEWENUM, {}, VarType::Object,
                          [](SubMatches &m, CallArgs &) { return Variant(static_cast<DispatchObject *>(new ListEnumerator(m.m_items, &m))); });
            return t;
        }();
        return ti;
    }
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("ISubMatches"); }
    QVector<Variant> m_items;   // captured groups (Empty when a group took no part)
};

class Match : public DispatchObject
{
public:
    static const TypeInfo *staticTypeInfo()
    {
        static TypeInfo *ti = [] {
            auto *t = new TypeInfo(QStringLiteral("IMatch2"));
            TypeBuilder<Match>(t)
                .property(QStringLiteral("Value"), DISPID_VALUE, {}, VarType::String, [](Match &m, CallArgs &) { return Variant(m.value); })
                .property(QStringLiteral("FirstIndex"), 10001, {}, VarType::Long, [](Match &m, CallArgs &) { return Variant(m.firstIndex); })
                .property(QStringLiteral("Length"), 10002, {}, VarType::Long, [](Match &m, CallArgs &) { return Variant(int(m.value.size())); })
                .property(QStringLiteral("SubMatches"), 10003, {}, VarType::Object, [](Match &m, CallArgs &) { return Variant(static_cast<DispatchObject *>(new SubMatches(m.subs))); });
            return t;
        }();
        return ti;
    }
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("IMatch2"); }
    QString value;              // matched text
    int firstIndex = 0;         // zero-based position
    QVector<Variant> subs;      // groups
};

class Matches : public DispatchObject
{
public:
    static const TypeInfo *staticTypeInfo()
    {
        static TypeInfo *ti = [] {
            auto *t = new TypeInfo(QStringLiteral("IMatchCollection2"));
            TypeBuilder<Matches>(t)
                .property(QStringLiteral("Item"), DISPID_VALUE, {ParamInfo(QStringLiteral("index"), VarType::Long)}, VarType::Object,
                          [](Matches &m, CallArgs &a) {
                              int i = a[0].toLong();
                              if (i < 0 || i >= m.items.size()) throw AutomationError(5);
                              return m.items[i];
                          })
                .property(QStringLiteral("Count"), 1, {}, VarType::Long, [](Matches &m, CallArgs &) { return Variant(int(m.items.size())); })
                .property(QStringLiteral("_NewEnum"), DISPID_NEWENUM, {}, VarType::Object,
                          [](Matches &m, CallArgs &) { return Variant(static_cast<DispatchObject *>(new ListEnumerator(m.items, &m))); });
            return t;
        }();
        return ti;
    }
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("IMatchCollection2"); }
    QVector<Variant> items;     // Match objects
};

} // namespace

QRegularExpression RegExpObject::compiled()
{
    QRegularExpression::PatternOptions o = QRegularExpression::NoPatternOption;
    if (ignoreCase) o |= QRegularExpression::CaseInsensitiveOption;
    if (multiline) o |= QRegularExpression::MultilineOption;
    QRegularExpression re(pattern, o);
    if (!re.isValid()) throw AutomationError(5017);
    return re;
}

// The first match at or after from. A pattern that backtracks past the matcher's
// limit gives no answer at all (Qt marks the match invalid); taking that for "no
// match" would be a wrong answer when a match exists, so the script gets error 28
// (out of stack space), as a recursive matcher would have given.
static QRegularExpressionMatch matchFrom(const QRegularExpression &re, const QString &s, qsizetype from)
{
    QRegularExpressionMatch m = re.match(s, from);
    if (!m.isValid()) throw AutomationError(28);
    return m;
}

// Calls f for each match in order; with global, the search goes on after each
// match, one character further after an empty one (as JScript's lastIndex does).
template<class F>
static void forEachMatch(const QRegularExpression &re, const QString &s, bool global, F f)
{
    qsizetype pos = 0;
    while (pos <= s.size()) {
        const QRegularExpressionMatch m = matchFrom(re, s, pos);
        if (!m.hasMatch()) break;
        f(m);
        if (!global) break;
        const qsizetype end = m.capturedEnd(0);
        pos = end > m.capturedStart(0) ? end : end + 1;
        if (pos < s.size() && pos > 0 && s.at(pos - 1).isHighSurrogate() && s.at(pos).isLowSurrogate()) ++pos;
    }
}

bool RegExpObject::test(const QString &s) { return matchFrom(compiled(), s, 0).hasMatch(); }

Variant RegExpObject::execute(const QString &s)
{
    QRegularExpression re = compiled();
    auto *ms = new Matches;
    Variant result(static_cast<DispatchObject *>(ms));
    forEachMatch(re, s, global, [&](const QRegularExpressionMatch &m) {
        auto *mo = new Match;
        mo->value = m.captured(0);
        mo->firstIndex = int(m.capturedStart(0));
        for (int g = 1; g <= re.captureCount(); ++g)
            mo->subs.append(m.capturedStart(g) < 0 ? Variant() : Variant(m.captured(g)));
        ms->items.append(Variant(static_cast<DispatchObject *>(mo)));
    });
    return result;
}

QString RegExpObject::replace(const QString &s, const QString &rep)
{
    QRegularExpression re = compiled();
    QString out;
    qsizetype last = 0;
    forEachMatch(re, s, global, [&](const QRegularExpressionMatch &m) {
        out += s.mid(last, m.capturedStart(0) - last);
        // $1..$99, $&, $`, $', $$ as in JScript replacement strings
        for (int i = 0; i < rep.size(); ++i) {
            QChar c = rep.at(i);
            if (c == QLatin1Char('$') && i + 1 < rep.size()) {
                QChar d = rep.at(i + 1);
                if (d == QLatin1Char('$')) { out += QLatin1Char('$'); ++i; continue; }
                if (d == QLatin1Char('&')) { out += m.captured(0); ++i; continue; }
                if (d == QLatin1Char('`')) { out += s.left(m.capturedStart(0)); ++i; continue; }
                if (d == QLatin1Char('\'')) { out += s.mid(m.capturedEnd(0)); ++i; continue; }
                if (d.isDigit()) {
                    int g = d.digitValue(), used = 1;
                    if (i + 2 < rep.size() && rep.at(i + 2).isDigit() && g * 10 + rep.at(i + 2).digitValue() <= re.captureCount()) {
                        g = g * 10 + rep.at(i + 2).digitValue();
                        used = 2;
                    }
                    if (g >= 1 && g <= re.captureCount()) { out += m.captured(g); i += used; continue; }
                }
            }
            out += c;
        }
        checkScriptStringLength(qint64(out.size()) + (s.size() - m.capturedEnd(0)));
        last = m.capturedEnd(0);
    });
    if (last < s.size()) out += s.mid(last);
    return out;
}

const TypeInfo *RegExpObject::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IRegExp2"), QUuid(QStringLiteral("{3F4DACB0-160D-11D2-A8E9-00104B365C9F}")));
        TypeBuilder<RegExpObject>(t)
            .property(QStringLiteral("Pattern"), 10001, {}, VarType::String,
                      [](RegExpObject &r, CallArgs &) { return Variant(r.pattern); },
                      [](RegExpObject &r, CallArgs &a) { r.pattern = a[0].toString(); return Variant(); })
            .property(QStringLiteral("IgnoreCase"), 10002, {}, VarType::Boolean,
                      [](RegExpObject &r, CallArgs &) { return Variant(r.ignoreCase); },
                      [](RegExpObject &r, CallArgs &a) { r.ignoreCase = a[0].toBool(); return Variant(); })
            .property(QStringLiteral("Global"), 10003, {}, VarType::Boolean,
                      [](RegExpObject &r, CallArgs &) { return Variant(r.global); },
                      [](RegExpObject &r, CallArgs &a) { r.global = a[0].toBool(); return Variant(); })
            .property(QStringLiteral("Multiline"), 10005, {}, VarType::Boolean,
                      [](RegExpObject &r, CallArgs &) { return Variant(r.multiline); },
                      [](RegExpObject &r, CallArgs &a) { r.multiline = a[0].toBool(); return Variant(); })
            .method(QStringLiteral("Execute"), 10004, {ParamInfo(QStringLiteral("sourceString"), VarType::String)}, VarType::Object,
                    [](RegExpObject &r, CallArgs &a) { return r.execute(a[0].toString()); })
            .method(QStringLiteral("Test"), 10006, {ParamInfo(QStringLiteral("sourceString"), VarType::String)}, VarType::Boolean,
                    [](RegExpObject &r, CallArgs &a) { return Variant(r.test(a[0].toString())); })
            .method(QStringLiteral("Replace"), 10007, {ParamInfo(QStringLiteral("sourceString"), VarType::String), ParamInfo(QStringLiteral("replaceVar"))}, VarType::String,
                    [](RegExpObject &r, CallArgs &a) { return Variant(r.replace(a[0].toString(), a[1].toString())); });
        return t;
    }();
    return ti;
}

} // namespace vorn::vbs
