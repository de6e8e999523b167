#include "shell/VornCmndLine.h"

#include "database/VornMessages.h"
#include "platform/core/SystemInfo.h"

#include <stdexcept>

TVornCmndLine &VornCmndLine()
{
    static TVornCmndLine table;
    return table;
}

QString TVornCmndLine::SyntaxText(const QString &programName)
{
    static const char *const forms[] = {
        "[/s:<server>] [/db:<database>] [/l:<login> [/p:<password>]]",
        "[-s:<server>] [-db:<database>] [-l:<login> [-p:<password>]]",
        "[s:<server>] [db:<database>] [l:<login> [p:<password>]]",
        "[/h]", "[-h]", "[h]", "[/?]", "[-?]", "[?]"};
    QString text = QStringLiteral("Синтаксис командной строки:\n\r") + QString(10, u' ') + u'"';
    bool first = true;
    for (const char *form : forms) {
        if (!first)
            text += QStringLiteral("   или    \"");
        first = false;
        text += programName + u' ' + QLatin1String(form) + QLatin1String("\"\n\r");
    }
    return text;
}

void TVornCmndLine::Parse(const QStringList &arguments)
{
    try {
        for (const QString &arg : arguments) {
            const qsizetype colon = arg.indexOf(u':');
            QString key = colon < 0 ? arg : arg.left(colon);
            if (key.startsWith(u'-') || key.startsWith(u'/'))
                key.remove(0, 1);
            key = key.toUpper();
            const bool hasValue = colon > 0 && colon < arg.size() - 1;
            const QString value = hasValue ? arg.mid(colon + 1) : kCmdNoValue;
            if (key == u"?" || key == u"H") {
                ShowWarning(SyntaxText(vorn::sysinfo::programName()));
                continue;
            }
            if (key.isEmpty())
                throw std::runtime_error(("Неверный аргумент командной строки: \"" + arg.toStdString() + "\"").c_str());
            if (Contains(key)) {
                ShowWarning(QStringLiteral("Дублирование ключей командной строки"));
                continue;
            }
            m_keys.emplace_back(key, value);
        }
    } catch (const std::exception &e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

bool TVornCmndLine::Contains(const QString &key) const
{
    const QString k = key.toUpper();
    for (const auto &[name, value] : m_keys)
        if (name == k)
            return true;
    return false;
}

QString TVornCmndLine::Value(const QString &key) const
{
    const QString k = key.toUpper();
    for (const auto &[name, value] : m_keys)
        if (name == k)
            return value;
    return {};
}

bool TVornCmndLine::IsGiven(const QString &key) const { return Contains(key) && Value(key) != kCmdNoValue; }
