// The command-line key table: parsed once at start-up, read by every part of the
// program that takes a command-line key (connection, batch runs).
#pragma once
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// The value a key carries when the argument gave none ("/p", "/p:").
inline const QString kCmdNoValue = QStringLiteral("DB640652807911D39BB3004095A0A2B2");

class TVornCmndLine
{
public:
    // Parses the arguments (without the program path) into the table. Warnings go
    // through the message helpers; an error stops parsing, the program still starts.
    void Parse(const QStringList &arguments);
    void Clear() { m_keys.clear(); }

    bool Contains(const QString &key) const;
    QString Value(const QString &key) const;    // the no-value marker or "" when absent
    bool IsGiven(const QString &key) const;     // present and carrying a value
    int Count() const { return int(m_keys.size()); }
    const std::vector<std::pair<QString, QString>> &Keys() const { return m_keys; }

    static QString SyntaxText(const QString &programName);

private:
    std::vector<std::pair<QString, QString>> m_keys;  // upper-cased key, value; in argument order
};

// The program's one table, filled at start-up.
TVornCmndLine &VornCmndLine();
