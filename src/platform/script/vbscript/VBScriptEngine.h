// The VBScript engine behind the engine interface: parse (lexer, parser,
// compiler), run the pending global code, report errors to the site.
#pragma once
#include "platform/script/ScriptEngine.h"
#include "platform/script/vbscript/Vm.h"

namespace vorn::vbs {

class VBScriptEngine : public script::ScriptEngine
{
public:
    VBScriptEngine();
    ~VBScriptEngine() override;
    QString name() const override { return QStringLiteral("VBScript"); }
    void setSite(script::ScriptSite *site) override;
    script::ScriptSite *site() const override { return m_site; }
    void initNew() override;
    void addNamedItem(const QString &name, int flags) override;
    bool addTypeLib(const QUuid &libId, int major, int minor, int flags = 0) override;
    bool parseScriptText(const QString &code, const QString &itemName = QString(), int startLine = 0, quint32 cookie = 0) override;
    Variant evaluate(const QString &expression, bool *ok = nullptr) override;
    bool run() override;
    script::ScriptState state() const override { return m_state; }
    void close() override;

    Vm &vm() { return *m_vm; }
    // Checks a text for syntax errors only (the fuzz target and editors use it).
    static bool checkSyntax(const QString &code, int *number = nullptr, int *line = nullptr, int *column = nullptr);

private:
    bool runProc(Proc *p, Variant *result = nullptr);
    void report(const script::ScriptErrorInfo &info);
    void setState(script::ScriptState s);
    Proc *compileDynamic(const QString &text, bool expression, Proc *scope);

    std::unique_ptr<Vm> m_vm;                     // the machine and its globals
    script::ScriptSite *m_site = nullptr;         // host callbacks
    script::ScriptState m_state = script::ScriptState::Uninitialized;
    std::vector<Proc *> m_pending;                // global code parsed before the engine ran
};

} // namespace vorn::vbs
