// The VBScript virtual machine: global state of one engine (variables, procedures,
// classes, named items, the Err object, the locale) and the instruction loop.
#pragma once
#include "platform/script/vbscript/Code.h"
#include <QLocale>
#include <atomic>
#include <deque>
#include <functional>

namespace vorn::script { class ScriptSite; }

namespace vorn::vbs {

class Vm;

// Thrown when the host interrupts a running script; On Error does not catch it.
struct Interrupted {};

// A run-time error with the position of the statement that raised it.
struct RuntimeError {
    AutomationError error;               // number, description, source
    int line = 0, col = 0;               // zero-based position
    std::shared_ptr<SourceText> source;  // text of the failing procedure
};

// Instance of a script class.
class ScriptObject : public DispatchObject
{
public:
    ScriptObject(Vm *vm, ClassDef *cls);
    ~ScriptObject() override;
    QString className() const override;
    const TypeInfo *typeInfo() const override;
    int memberId(const QString &name) const override;
    Variant invoke(int dispId, int kind, CallArgs &args) override;
    ClassDef *classDef() const { return m_cls; }
    Variant &field(int i) { return m_fields[i]; }
    void initialize();          // runs Class_Initialize
protected:
    void finalRelease() override;
private:
    Vm *m_vm;                               // engine (null once it has closed)
    std::shared_ptr<std::atomic<bool>> m_alive;   // false after the engine closed
    ClassDef *m_cls;                        // class
    std::vector<Variant> m_fields;          // member variables
    friend class Vm;
};

struct NamedItem {
    QString name;                 // as added
    int flags = 0;                // NamedItemFlag bits
    int global = -1;              // global variable holding the object
};

// Builtin function: arguments may be references; n already checked against the table.
using BuiltinFn = Variant (*)(Vm &vm, Variant *args, int n);
struct Builtin {
    const char *name;   // as VBScript spells it
    int minArgs;        // required arguments
    int maxArgs;        // at most
    BuiltinFn fn;       // implementation
};

class Vm
{
public:
    Vm();
    ~Vm();

    // ---- symbol tables (the compiler fills them) ----
    int globalSlot(const QString &name, bool create);   // -1 when absent and not created
    Variant &global(int i) { return m_globals[i]; }
    int globalCount() const { return int(m_globals.size()); }
    QHash<QString, int> globalIndex;                 // lower-case name -> global
    QHash<QString, Variant> constants;               // lower-case: script, library and language constants
    QHash<QString, int> procIndex;                   // lower-case name -> global procedure
    std::vector<std::unique_ptr<Proc>> procs;        // every procedure, class methods too
    QHash<QString, int> classIndex;                  // lower-case name -> class
    std::vector<std::unique_ptr<ClassDef>> classes;  // classes
    std::vector<NamedItem> items;                    // named items
    bool optionExplicit = false;                     // Option Explicit in any parsed text
    std::vector<int> readOnlyGlobals;                // named items cannot be assigned

    // ---- execution ----
    // Runs a procedure with arguments (values or references); me for class methods.
    Variant call(Proc *proc, ScriptObject *me, Variant *args, int n);
    Variant callWithParent(Proc *proc, ScriptObject *me, Variant *parentBase);
    DispatchObject *errObject();
    void setError(const AutomationError &e);   // Err.Number/Description/Source
    void clearError();
    ScriptObject *newObject(ClassDef *cls);

    // ---- host ----
    script::ScriptSite *site = nullptr;             // MsgBox / InputBox
    const std::atomic<bool> *interruptFlag = nullptr;
    // Asked when the flag is up: true to stop, false when it was only a poll.
    std::function<bool()> onAttention;
    bool stopRequested() const { return !onAttention || onAttention(); }
    // Compiles Execute / ExecuteGlobal / Eval text (set by the engine).
    std::function<Proc *(const QString &text, bool expression, Proc *scope)> compileDynamic;
    // Current frame for Execute/Eval (locals of the caller).
    struct Frame { Proc *proc; Variant *base; ScriptObject *me; };
    const Frame *currentFrame() const { return m_frames.empty() ? nullptr : &m_frames.back(); }
    QLocale locale;                                  // SetLocale
    int localeId = 1049;                             // GetLocale
    double rndLast = 0;                              // last Rnd result
    uint32_t rndSeed = 0x50000;                      // Rnd generator state
    std::shared_ptr<std::atomic<bool>> alive;        // shared with script objects

    static const Builtin *builtins();                // table ending with a null name
    static int builtinCount();
    static int findBuiltin(const QString &lowerName);   // -1 if none

    void raiseIfInterrupted() const;

private:
    Variant execute(Proc *proc, Variant *base, ScriptObject *me);
    Variant &slot(const Ins &ins, Variant *base, ScriptObject *me);
    Variant &resolveName(Ins &ins, Proc *proc);
    Variant callName(Proc *proc, Ins &ins, Variant *args, int n, ScriptObject *me, Variant *base);
    Variant callMember(Proc *proc, int pc, const Variant &target, int nameIdx, int kind, Variant *args, int n);
    void putMember(Proc *proc, int pc, const Variant &target, int nameIdx, bool isSet, Variant *args, int n);
    Variant index(Variant &var, Variant *args, int n);
    void storeIndex(Variant &var, Variant *args, int n, Variant &value, bool isSet);
    void redim(Variant &var, Variant *dims, int n, bool preserve, bool fixed);

    std::deque<Variant> m_globals;                   // stable addresses (references point here)
    std::unique_ptr<Variant[]> m_stack;              // operand stack and frames
    Variant *m_sp;                                   // first free stack entry
    Variant *m_stackEnd;                             // end of the stack
    int m_depth = 0;                                 // nested calls
    Variant *m_upBase = nullptr;                     // caller slots for the next Execute frame
    const char *m_stackLimit = nullptr;              // lowest C++ stack address calls may reach
    std::vector<Frame> m_frames;                     // running procedures
    ObjectPtr<DispatchObject> m_err;                 // the Err object
    friend class ScriptObject;
};

// Variant value of an object's default member; 438 when it has none.
Variant defaultValue(const Variant &v);

} // namespace vorn::vbs
