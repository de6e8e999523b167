// The script host entry point; every call is reported to the entry tracer first.
#include "scripting/fVornActScpSite.h"
#include "catalogue/VornEntryTrace.h"

#include <QWidget>

void ExecuteScript(const QString &engineName, const QString &scriptText, int scriptId, QWidget *editor,
                   const QString &scriptName)
{
    TraceEntry(QStringLiteral("ExecuteScript"), {engineName, scriptText, scriptId, editor != nullptr, scriptName});
}
