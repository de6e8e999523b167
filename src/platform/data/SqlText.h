// Scanning of SQL text: named parameters (":Name" in queries, "@Name" in stored
// procedure bodies) found outside quoted strings, quoted identifiers and comments,
// statement splitting at ';', and rewriting parameters into positional markers.
#pragma once
#include <QList>
#include <QString>
#include <QStringList>

namespace vorn::sqltext {

struct ParamRef
{
    QString name;  // without the prefix character
    int pos = 0;   // index of the prefix character in the text
    int length = 0; // prefix + name
};

// All parameter references in order of appearance (repeats included). PostgreSQL
// casts ("::int") and assignments (":=") are not parameters; neither is "@@name".
QList<ParamRef> findParams(const QString &sql, QChar prefix = u':');

// Distinct parameter names in order of first appearance (compared case-insensitively).
QStringList paramNames(const QString &sql, QChar prefix = u':');

// The text with each reference replaced by '?' (the driver's positional marker).
QString toPositional(const QString &sql, const QList<ParamRef> &refs);

// Statements separated by ';' outside quotes and comments; blank ones dropped.
QStringList splitStatements(const QString &sql);

// The text with comments removed (quotes kept), for keyword searches.
QString stripComments(const QString &sql);

// Quoting and comment rules of a server's SQL, for the region scanner below.
//   all:        '...' ('' inside), "..." names, -- and /* */ comments
//   SQLite:     also [...] and `...` names
//   PostgreSQL: also E'...' (backslash escapes), $tag$...$tag$, nested /* */
//   SQL Server: also [...] names (]] inside), nested /* */
enum class Quoting { Sqlite, PostgreSql, MsSql };

enum class RegionKind {
    Code,          // everything outside the kinds below
    String,        // '...' (N'...' counts from the quote)
    EscapeString,  // PostgreSQL E'...'
    DollarString,  // PostgreSQL $tag$...$tag$
    QuotedName,    // "..." or `...`
    BracketName,   // [...]
    LineComment,   // -- up to the line break
    BlockComment   // /* ... */
};

struct Region
{
    RegionKind kind = RegionKind::Code;
    int begin = 0;        // first character (the opening quote or comment mark)
    int end = 0;          // one past the last character
    bool closed = true;   // false when the text ends inside the region
};

// The text cut into consecutive regions covering all of it.
QList<Region> regions(const QString &sql, Quoting q);

// What a text is made of, as far as a substitution could change it.
struct Shape
{
    int statements = 0;      // ';'-separated parts holding more than blanks and comments
    int literals = 0;        // string literals of every kind
    int comments = 0;
    bool unterminated = false; // the text ends inside a literal, name or comment
};
Shape shape(const QString &sql, Quoting q);

} // namespace vorn::sqltext
