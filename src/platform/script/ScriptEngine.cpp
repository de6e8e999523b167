// Engine registry and the default host dialogs of the script site.
#include "platform/script/ScriptEngine.h"
#include "platform/script/jscript/JScriptEngine.h"
#include "platform/script/vbscript/VBScriptEngine.h"

namespace vorn::script {

QString ScriptEngineRegistry::normalized(const QString &name)
{
    // trimmed of blanks and control characters at both ends
    int b = 0, e = int(name.size());
    while (b < e && name.at(b).unicode() <= 32) ++b;
    while (e > b && name.at(e - 1).unicode() <= 32) --e;
    return name.mid(b, e - b).toLower();
}

ScriptEngineRegistry &ScriptEngineRegistry::instance()
{
    static ScriptEngineRegistry r;
    return r;
}

ScriptEngineRegistry::ScriptEngineRegistry()
{
    auto vbs = [] { return std::unique_ptr<ScriptEngine>(new vbs::VBScriptEngine); };
    auto js = [] { return std::unique_ptr<ScriptEngine>(new js::JScriptEngine); };
    registerEngine(QStringLiteral("VBScript"), vbs);
    registerEngine(QStringLiteral("VBS"), vbs);
    registerEngine(QStringLiteral("JScript"), js);
    registerEngine(QStringLiteral("JavaScript"), js);
    registerEngine(QStringLiteral("ECMAScript"), js);
}

void ScriptEngineRegistry::registerEngine(const QString &name, Factory factory)
{
    m_factories.insert(normalized(name), std::move(factory));
    m_names.append(name);
}

bool ScriptEngineRegistry::contains(const QString &name) const { return m_factories.contains(normalized(name)); }

std::unique_ptr<ScriptEngine> ScriptEngineRegistry::create(const QString &name) const
{
    auto it = m_factories.constFind(normalized(name));
    if (it == m_factories.constEnd()) return nullptr;
    return (*it)();
}

QStringList ScriptEngineRegistry::names() const { return m_names; }

} // namespace vorn::script
