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

} // namespace vorn::sqltext
