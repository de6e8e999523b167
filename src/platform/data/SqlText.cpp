// SQL text scanner. One loop walks the text and skips the parts where a prefix
// character or a ';' means nothing: '...' strings (with '' inside), "..." quoted
// identifiers, -- line comments, /* */ block comments and PostgreSQL $tag$ quoting.
#include "platform/data/SqlText.h"

namespace vorn::sqltext {

namespace {

bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// Returns the index just past a quoted/commented region starting at i, or i when
// the text at i does not start one.
int skipInert(const QString &s, int i)
{
    const int n = s.size();
    const QChar c = s.at(i);
    if (c == u'\'' || c == u'"') {
        int j = i + 1;
        while (j < n) {
            if (s.at(j) == c) {
                if (j + 1 < n && s.at(j + 1) == c) { j += 2; continue; }
                return j + 1;
            }
            ++j;
        }
        return n;
    }
    if (c == u'-' && i + 1 < n && s.at(i + 1) == u'-') {
        const int e = s.indexOf(u'\n', i);
        return e < 0 ? n : e + 1;
    }
    if (c == u'/' && i + 1 < n && s.at(i + 1) == u'*') {
        const int e = s.indexOf(QLatin1String("*/"), i + 2);
        return e < 0 ? n : e + 2;
    }
    if (c == u'$' && (i == 0 || !isNameChar(s.at(i - 1)))) {
        int j = i + 1;
        while (j < n && (s.at(j).isLetter() || s.at(j) == u'_')) ++j;
        if (j < n && s.at(j) == u'$') {
            const QString tag = s.mid(i, j - i + 1);
            const int e = s.indexOf(tag, j + 1);
            return e < 0 ? n : e + tag.size();
        }
    }
    return i;
}

} // namespace

QList<ParamRef> findParams(const QString &sql, QChar prefix)
{
    QList<ParamRef> out;
    const int n = sql.size();
    int i = 0;
    while (i < n) {
        const int j = skipInert(sql, i);
        if (j != i) { i = j; continue; }
        const QChar c = sql.at(i);
        if (c == prefix) {
            if (i + 1 < n && (sql.at(i + 1) == prefix || sql.at(i + 1) == u'=')) {
                i += 2;  // "::type", ":=" or "@@global"
                while (i < n && isNameChar(sql.at(i))) ++i;
                continue;
            }
            if (i > 0 && sql.at(i - 1) == prefix) { ++i; continue; }
            int k = i + 1;
            while (k < n && isNameChar(sql.at(k))) ++k;
            if (k > i + 1) {
                out.append({sql.mid(i + 1, k - i - 1), i, k - i});
                i = k;
                continue;
            }
        }
        ++i;
    }
    return out;
}

QStringList paramNames(const QString &sql, QChar prefix)
{
    QStringList names;
    for (const ParamRef &r : findParams(sql, prefix))
        if (!names.contains(r.name, Qt::CaseInsensitive))
            names.append(r.name);
    return names;
}

QString toPositional(const QString &sql, const QList<ParamRef> &refs)
{
    QString out;
    out.reserve(sql.size());
    int last = 0;
    for (const ParamRef &r : refs) {
        out += QStringView(sql).mid(last, r.pos - last);
        out += u'?';
        last = r.pos + r.length;
    }
    out += QStringView(sql).mid(last);
    return out;
}

QStringList splitStatements(const QString &sql)
{
    QStringList out;
    const int n = sql.size();
    int start = 0, i = 0;
    while (i < n) {
        const int j = skipInert(sql, i);
        if (j != i) { i = j; continue; }
        if (sql.at(i) == u';') {
            const QString st = sql.mid(start, i - start).trimmed();
            if (!st.isEmpty()) out.append(st);
            start = i + 1;
        }
        ++i;
    }
    const QString st = sql.mid(start).trimmed();
    if (!st.isEmpty()) out.append(st);
    return out;
}

QString stripComments(const QString &sql)
{
    QString out;
    const int n = sql.size();
    int i = 0;
    while (i < n) {
        const int j = skipInert(sql, i);
        if (j != i) {
            const QChar c = sql.at(i);
            if (c == u'-' || c == u'/')
                out += u' ';
            else
                out += QStringView(sql).mid(i, j - i);
            i = j;
            continue;
        }
        out += sql.at(i++);
    }
    return out;
}

} // namespace vorn::sqltext
