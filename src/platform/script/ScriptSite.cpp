// Default host dialogs of a script site: hosts without a window write the
// prompt to standard output and answer OK (or the default text).
#include "platform/script/ScriptEngine.h"
#include <QTextStream>

namespace vorn::script {

int ScriptSite::messageBox(const QString &prompt, int, const QString &)
{
    QTextStream out(stdout);
    out << prompt << Qt::endl;
    return 1;
}

QString ScriptSite::inputBox(const QString &prompt, const QString &, const QString &defaultText, bool *cancelled)
{
    QTextStream out(stdout);
    out << prompt << Qt::endl;
    if (cancelled) *cancelled = false;
    return defaultText;
}

} // namespace vorn::script
