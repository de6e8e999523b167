// The engine layer that stands in for Active Scripting: an engine interface with
// site callbacks, named items and type libraries, and a registry of engines by name.
#pragma once
#include "platform/automation/Dispatch.h"
#include <QObject>
#include <QUuid>
#include <atomic>
#include <functional>
#include <memory>

namespace vorn::script {

// Named item flags, values as SCRIPTITEM_*.
enum NamedItemFlag : int {
    ItemIsVisible = 0x2,       // scripts see the item by its name
    ItemIsSource = 0x4,        // the item fires events
    ItemGlobalMembers = 0x8,   // the item's members are global names
};

enum class ScriptState { Uninitialized, Initialized, Started, Connected, Disconnected, Closed };

// What the engine knows about a failure, as IActiveScriptError gives it.
struct ScriptErrorInfo {
    int number = 0;            // Err.Number (VBScript numbering; HRESULT-like for member failures)
    QString source;            // "Ошибка выполнения Microsoft VBScript", a member's ProgID ...
    QString description;       // message text
    int line = 0;              // zero-based line in the parsed text (plus its starting line)
    int column = 0;            // zero-based column
    QString sourceLine;        // the failing line's text; empty when unknown
    quint32 cookie = 0;        // source context given to parse
    bool syntax = false;       // a compile error (nothing of the text ran)
};

// The host side of an engine (IActiveScriptSite and IActiveScriptSiteWindow).
class ScriptSite
{
public:
    virtual ~ScriptSite() = default;
    // GetItemInfo: the object behind a named item, or null (TYPE_E_ELEMENTNOTFOUND).
    virtual DispatchObject *itemObject(const QString &name) = 0;
    // GetWindow: the window message boxes are modal to; null for none.
    virtual QObject *parentWindow() { return nullptr; }
    // OnScriptError; the engine waits inside this call.
    virtual void onScriptError(const ScriptErrorInfo &error) = 0;
    virtual void onStateChange(ScriptState) {}
    virtual void onEnterScript() {}
    virtual void onLeaveScript() {}
    // Called on the engine's thread between statements after requestPoll(): a host
    // whose thread is busy in the script lets its windows react here (a stop button).
    virtual void onPoll() {}
    // MsgBox and InputBox of the scripts; the defaults write to standard output and
    // answer OK / the default text, for hosts without a window.
    virtual int messageBox(const QString &prompt, int buttons, const QString &title);
    virtual QString inputBox(const QString &prompt, const QString &title, const QString &defaultText, bool *cancelled);
};

class ScriptEngine
{
public:
    virtual ~ScriptEngine() = default;
    virtual QString name() const = 0;

    virtual void setSite(ScriptSite *site) = 0;
    virtual ScriptSite *site() const = 0;
    virtual void initNew() = 0;
    // Adds a named item; its object is asked from the site.
    virtual void addNamedItem(const QString &name, int flags) = 0;
    // Makes a library's enumeration constants visible; false when the library is unknown.
    virtual bool addTypeLib(const QUuid &libId, int major, int minor, int flags = 0) = 0;
    // Compiles a text; its global code runs when the engine is connected (or at once
    // when already connected). A syntax error goes to the site and gives false.
    virtual bool parseScriptText(const QString &code, const QString &itemName = QString(),
                                 int startLine = 0, quint32 cookie = 0) = 0;
    // Evaluates an expression (SCRIPTTEXT_ISEXPRESSION); errors go to the site.
    virtual Variant evaluate(const QString &expression, bool *ok = nullptr) = 0;
    // SetScriptState(CONNECTED): runs pending global code; false when it ended with an error.
    virtual bool run() = 0;
    virtual ScriptState state() const = 0;
    virtual void close() = 0;
    // The host's way to stop a running script; may be called from any thread.
    virtual void interrupt() { m_interrupt.store(true); m_attention.store(true); }
    bool interruptRequested() const { return m_interrupt.load(std::memory_order_relaxed); }
    void clearInterrupt() { m_interrupt.store(false); m_pollDue.store(false); m_attention.store(false); }
    // Asks the running script to call the site's onPoll() soon; any thread.
    void requestPoll() { m_pollDue.store(true); m_attention.store(true); }
    // Number given to the error a stopped script reports.
    static constexpr int InterruptedError = int(0x80020101);

protected:
    // Engines watch this flag at loop ends and calls, and then ask takeAttention().
    const std::atomic<bool> *interruptFlag() const { return &m_attention; }
    // Runs a requested poll; true when the script is to stop.
    bool takeAttention()
    {
        m_attention.store(false);
        if (m_pollDue.exchange(false) && site())
            site()->onPoll();
        if (!m_interrupt.load())
            return false;
        m_attention.store(true);
        return true;
    }

private:
    std::atomic<bool> m_interrupt{false};   // stop asked
    std::atomic<bool> m_pollDue{false};     // onPoll asked
    std::atomic<bool> m_attention{false};   // either of them: what running code checks
};

// Engines by name: "VBScript" and "JScript" (with their usual aliases) are built in;
// names are compared after trimming, without regard to letter case.
class ScriptEngineRegistry
{
public:
    using Factory = std::function<std::unique_ptr<ScriptEngine>()>;
    static ScriptEngineRegistry &instance();
    void registerEngine(const QString &name, Factory factory);
    bool contains(const QString &name) const;
    std::unique_ptr<ScriptEngine> create(const QString &name) const;   // null when unknown
    QStringList names() const;
    static QString normalized(const QString &name);

private:
    ScriptEngineRegistry();
    QHash<QString, Factory> m_factories;   // normalized name -> factory
    QStringList m_names;                   // as registered
};

} // namespace vorn::script
