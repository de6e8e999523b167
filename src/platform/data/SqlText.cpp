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

// The region scanner is separate from skipInert above: it must know each server's
// quoting exactly, because a macro value is escaped by the rules of the region it
// lands in, and a wrong guess there is what lets a value end a literal.
namespace {

// Index just past a quoted run opened at i by `open` and closed by `close`; a doubled
// closing character stands for itself; backslash escapes when `backslash`.
int quotedEnd(const QString &s, int i, QChar close, bool backslash, bool *closed)
{
    const int n = s.size();
    int j = i + 1;
    while (j < n) {
        const QChar c = s.at(j);
        if (backslash && c == u'\\') {
            j += 2;
            continue;
        }
        if (c == close) {
            if (j + 1 < n && s.at(j + 1) == close) {
                j += 2;
                continue;
            }
            *closed = true;
            return j + 1;
        }
        ++j;
    }
    *closed = false;
    return n;
}

int blockCommentEnd(const QString &s, int i, bool nested, bool *closed)
{
    const int n = s.size();
    int depth = 1, j = i + 2;
    while (j < n) {
        if (s.at(j) == u'*' && j + 1 < n && s.at(j + 1) == u'/') {
            j += 2;
            if (--depth == 0) {
                *closed = true;
                return j;
            }
            continue;
        }
        if (nested && s.at(j) == u'/' && j + 1 < n && s.at(j + 1) == u'*') {
            ++depth;
            j += 2;
            continue;
        }
        ++j;
    }
    *closed = false;
    return n;
}

} // namespace

QList<Region> regions(const QString &sql, Quoting q)
{
    QList<Region> out;
    const int n = sql.size();
    int codeStart = 0, i = 0;
    auto push = [&](RegionKind kind, int begin, int end, bool closed) {
        if (begin > codeStart)
            out.append({RegionKind::Code, codeStart, begin, true});
        out.append({kind, begin, end, closed});
        codeStart = end;
    };
    while (i < n) {
        const QChar c = sql.at(i);
        const QChar next = i + 1 < n ? sql.at(i + 1) : QChar();
        bool closed = true;
        if (c == u'\'') {
            // E'...' in PostgreSQL: the E must stand alone, not end a name.
            const bool escape = q == Quoting::PostgreSql && i > 0 && (sql.at(i - 1) == u'E' || sql.at(i - 1) == u'e') &&
                                (i < 2 || !isNameChar(sql.at(i - 2)));
            const int e = quotedEnd(sql, i, u'\'', escape, &closed);
            push(escape ? RegionKind::EscapeString : RegionKind::String, i, e, closed);
            i = e;
        } else if (c == u'"' || (c == u'`' && q == Quoting::Sqlite)) {
            const int e = quotedEnd(sql, i, c, false, &closed);
            push(RegionKind::QuotedName, i, e, closed);
            i = e;
        } else if (c == u'[' && q != Quoting::PostgreSql) {
            int e;
            if (q == Quoting::MsSql) {
                e = quotedEnd(sql, i, u']', false, &closed);
            } else {  // SQLite: no escape, the first ] closes
                const int k = sql.indexOf(u']', i + 1);
                closed = k >= 0;
                e = closed ? k + 1 : n;
            }
            push(RegionKind::BracketName, i, e, closed);
            i = e;
        } else if (c == u'-' && next == u'-') {
            const int k = sql.indexOf(u'\n', i);
            const int e = k < 0 ? n : k;
            push(RegionKind::LineComment, i, e, true);
            i = e;
        } else if (c == u'/' && next == u'*') {
            const int e = blockCommentEnd(sql, i, q != Quoting::Sqlite, &closed);
            push(RegionKind::BlockComment, i, e, closed);
            i = e;
        } else if (c == u'$' && q == Quoting::PostgreSql && (i == 0 || !isNameChar(sql.at(i - 1)))) {
            int j = i + 1;
            if (j < n && (sql.at(j).isLetter() || sql.at(j) == u'_'))
                while (j < n && isNameChar(sql.at(j)))
                    ++j;
            if (j < n && sql.at(j) == u'$') {
                const QString tag = sql.mid(i, j - i + 1);
                const int k = sql.indexOf(tag, j + 1);
                closed = k >= 0;
                const int e = closed ? k + int(tag.size()) : n;
                push(RegionKind::DollarString, i, e, closed);
                i = e;
            } else {
                ++i;
            }
        } else {
            ++i;
        }
    }
    if (n > codeStart)
        out.append({RegionKind::Code, codeStart, n, true});
    return out;
}

Shape shape(const QString &sql, Quoting q)
{
    Shape s;
    bool partHasContent = false;
    for (const Region &r : regions(sql, q)) {
        if (!r.closed)
            s.unterminated = true;
        switch (r.kind) {
        case RegionKind::LineComment:
        case RegionKind::BlockComment: ++s.comments; break;
        case RegionKind::String:
        case RegionKind::EscapeString:
        case RegionKind::DollarString:
            ++s.literals;
            partHasContent = true;
            break;
        case RegionKind::QuotedName:
        case RegionKind::BracketName: partHasContent = true; break;
        case RegionKind::Code:
            for (int i = r.begin; i < r.end; ++i) {
                const QChar c = sql.at(i);
                if (c == u';') {
                    if (partHasContent)
                        ++s.statements;
                    partHasContent = false;
                } else if (!c.isSpace()) {
                    partHasContent = true;
                }
            }
            break;
        }
    }
    if (partHasContent)
        ++s.statements;
    return s;
}

} // namespace vorn::sqltext
