// VBScript engine: the engine interface over the lexer, parser, compiler and VM.
#include "platform/script/vbscript/VBScriptEngine.h"
#include "platform/automation/TypeLibrary.h"
#include "platform/automation/VariantOps.h"
#include "platform/script/vbscript/Compiler.h"
#include "platform/script/vbscript/Runtime.h"

namespace vorn::vbs {

VBScriptEngine::VBScriptEngine() : m_vm(std::make_unique<Vm>())
{
    m_vm->interruptFlag = nullptr;
    // every engine starts with the host's regional settings (the default locale the
    // program or tool set); SetLocale changes only its own
    m_vm->locale = QLocale();
    m_vm->localeId = lcidOf(m_vm->locale);
    m_vm->compileDynamic = [this](const QString &t, bool e, Proc *s) { return compileDynamic(t, e, s); };
}

VBScriptEngine::~VBScriptEngine() { close(); }

void VBScriptEngine::setState(script::ScriptState s)
{
    m_state = s;
    if (m_site) m_site->onStateChange(s);
}

void VBScriptEngine::setSite(script::ScriptSite *site)
{
    m_site = site;
    m_vm->site = site;
}

void VBScriptEngine::initNew() { setState(script::ScriptState::Initialized); }

void VBScriptEngine::addNamedItem(const QString &name, int flags)
{
    DispatchObject *obj = m_site ? m_site->itemObject(name) : nullptr;
    int g = m_vm->globalSlot(name.toLower(), true);
    m_vm->global(g) = obj ? Variant(obj) : Variant::nothing();
    m_vm->items.push_back(NamedItem{name, flags, g});
}

bool VBScriptEngine::addTypeLib(const QUuid &libId, int major, int minor, int)
{
    auto lib = TypeLibraryRegistry::instance().find(libId, major, minor);
    if (!lib) return false;
    for (const EnumConstant &c : lib->allConstants()) m_vm->constants.insert(c.name.toLower(), Variant(c.value));
    return true;
}

static std::shared_ptr<SourceText> sourceOf(const QString &code, int startLine, quint32 cookie)
{
    auto src = std::make_shared<SourceText>();
    QString t = code;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    src->lines = t.split(QLatin1Char('\n'));
    src->startLine = startLine;
    src->cookie = cookie;
    return src;
}

bool VBScriptEngine::checkSyntax(const QString &code, int *number, int *line, int *column)
{
    try {
        QVector<Token> toks = tokenize(code, 0);
        Parser parser(toks);
        auto unit = parser.parseUnit();
        Vm vm;
        Compiler c(vm, sourceOf(code, 0, 0));
        c.compileUnit(*unit);
        return true;
    } catch (const LexError &e) {
        if (number) *number = e.number;
        if (line) *line = e.line;
        if (column) *column = e.column;
    } catch (const SyntaxError &e) {
        if (number) *number = e.number;
        if (line) *line = e.line;
        if (column) *column = e.column;
    }
    return false;
}

bool VBScriptEngine::parseScriptText(const QString &code, const QString &, int startLine, quint32 cookie)
{
    auto src = sourceOf(code, startLine, cookie);
    Proc *p = nullptr;
    int number = 0, line = 0, col = 0;
    try {
        QVector<Token> toks = tokenize(code, startLine);
        Parser parser(toks);
        auto unit = parser.parseUnit();
        Compiler c(*m_vm, src);
        p = c.compileUnit(*unit);
    } catch (const LexError &e) {
        number = e.number; line = e.line; col = e.column;
    } catch (const SyntaxError &e) {
        number = e.number; line = e.line; col = e.column;
    }
    if (!p) {
        script::ScriptErrorInfo info;
        info.number = number;
        info.description = errorDescription(number);
        info.source = syntaxErrorSource();
        info.line = line;
        info.column = col;
        info.sourceLine = src->lineText(line);
        info.cookie = cookie;
        info.syntax = true;
        report(info);
        return false;
    }
    if (m_state == script::ScriptState::Connected || m_state == script::ScriptState::Started) return runProc(p);
    m_pending.push_back(p);
    return true;
}

Proc *VBScriptEngine::compileDynamic(const QString &text, bool expression, Proc *scope)
{
    auto src = sourceOf(text, 0, 0);
    try {
        QVector<Token> toks = tokenize(text, 0);
        Parser parser(toks);
        Compiler c(*m_vm, src);
        if (expression) {
            ExprP e = parser.parseStandaloneExpression();
            return c.compileExpression(*e, scope);
        }
        auto unit = parser.parseUnit();
        return c.compileUnit(*unit, scope);
    } catch (const LexError &e) {
        throw AutomationError(e.number);
    } catch (const SyntaxError &e) {
        throw AutomationError(e.number);
    }
}

void VBScriptEngine::report(const script::ScriptErrorInfo &info)
{
    if (m_site) m_site->onScriptError(info);
}

bool VBScriptEngine::runProc(Proc *p, Variant *result)
{
    const QLocale hostLocale = scriptLocale();
    setScriptLocale(m_vm->locale);
    m_vm->interruptFlag = interruptFlag();
    m_vm->onAttention = [this] { return takeAttention(); };
    if (m_site) m_site->onEnterScript();
    bool ok = true;
    script::ScriptErrorInfo info;
    try {
        Variant r = m_vm->call(p, nullptr, nullptr, 0);
        if (result) *result = r;
    } catch (const RuntimeError &re) {
        ok = false;
        info.number = re.error.number();
        info.description = re.error.fullDescription();
        info.source = re.error.source();
        info.line = re.line;
        info.column = re.col;
        info.sourceLine = re.source ? re.source->lineText(re.line) : QString();
        info.cookie = re.source ? re.source->cookie : 0;
    } catch (const AutomationError &e) {
        ok = false;
        info.number = e.number();
        info.description = e.fullDescription();
        info.source = e.source();
    } catch (const std::bad_alloc &) {
        ok = false;
        const AutomationError e(7);
        info.number = e.number();
        info.description = e.fullDescription();
        info.source = runtimeErrorSource();
    } catch (const Interrupted &) {
        ok = false;
        info.number = InterruptedError;
        info.description = QStringLiteral("Выполнение сценария прервано");
        info.source = runtimeErrorSource();
    }
    m_vm->locale = scriptLocale();
    setScriptLocale(hostLocale);
    if (m_site) m_site->onLeaveScript();
    if (!ok) report(info);
    return ok;
}

bool VBScriptEngine::run()
{
    clearInterrupt();
    setState(script::ScriptState::Started);
    setState(script::ScriptState::Connected);
    bool ok = true;
    std::vector<Proc *> todo;
    todo.swap(m_pending);
    for (Proc *p : todo) ok = runProc(p) && ok;
    return ok;
}

Variant VBScriptEngine::evaluate(const QString &expression, bool *ok)
{
    Variant r;
    Proc *p = nullptr;
    try {
        p = compileDynamic(expression, true, nullptr);
    } catch (const AutomationError &e) {
        script::ScriptErrorInfo info;
        info.number = e.number();
        info.description = e.description();
        info.source = syntaxErrorSource();
        info.sourceLine = expression;
        info.syntax = true;
        report(info);
        if (ok) *ok = false;
        return r;
    }
    bool good = runProc(p, &r);
    if (ok) *ok = good;
    return r;
}

void VBScriptEngine::close()
{
    if (m_state == script::ScriptState::Closed) return;
    // globals go in order, so Class_Terminate of objects they hold still runs
    if (m_vm) {
        try {
            // named items last: Class_Terminate code may still call them
            std::vector<bool> isItem(size_t(m_vm->globalCount()), false);
            for (const NamedItem &it : m_vm->items) isItem[size_t(it.global)] = true;
            for (int i = 0; i < m_vm->globalCount(); ++i)
                if (!isItem[size_t(i)]) m_vm->global(i).clear();
            for (int i = 0; i < m_vm->globalCount(); ++i) m_vm->global(i).clear();
        } catch (...) {
        }
        m_vm->alive->store(false);
    }
    m_pending.clear();
    setState(script::ScriptState::Closed);
}

} // namespace vorn::vbs
