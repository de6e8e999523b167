// The WScript object of the command-line host: Echo, Arguments, Quit, ScriptName,
// ScriptFullName, StdIn/StdOut/StdErr, Sleep, CreateObject.
#pragma once
#include "platform/automation/Dispatch.h"
#include "platform/script/ScriptEngine.h"
#include <QStringList>

class WScriptObject : public vorn::DispatchObject
{
public:
    WScriptObject(const QString &scriptPath, const QStringList &args);
    static const vorn::TypeInfo *staticTypeInfo();
    const vorn::TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("IHost"); }

    QString scriptPath;                 // absolute path of the running script
    QStringList arguments;              // arguments after the script name
    vorn::script::ScriptEngine *engine = nullptr;   // stopped by Quit
    bool quitting = false;              // Quit was called
    int exitCode = 0;                   // Quit's code
};
