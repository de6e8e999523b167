// Compiled VBScript: the instruction format, procedures (each an instruction list
// with its slot count and statement positions) and classes.
#pragma once
#include "platform/automation/Dispatch.h"
#include "platform/script/vbscript/Ast.h"
#include <QStringList>
#include <memory>
#include <vector>

namespace vorn::vbs {

// Where a variable lives; the scope byte of variable instructions.
enum Scope : uint8_t {
    ScLocal = 0,    // frame slot (may hold a by-reference argument)
    ScGlobal = 1,   // global variable
    ScField = 2,    // member variable of Me
    ScUp = 3,       // slot of the frame that ran Execute / Eval
    ScName = 4,     // resolved by name when first run (then patched to ScGlobal)
};

enum Op : uint8_t {
    OpPushConst,    // a = constant index
    OpPushEmpty,
    OpPop,
    OpDup,
    OpLoad,         // sc, a
    OpStore,        // sc, a: pops; objects give their default value (Let)
    OpStoreRaw,     // sc, a: pops as it is (For Each, With)
    OpSet,          // sc, a: pops an object (Set)
    OpRef,          // sc, a: pushes a reference to the variable
    OpIndex,        // sc, a, n args: array element or default member of the variable
    OpStoreIndex,   // sc, a, n args, value on top
    OpSetIndex,     // same with Set
    OpBinary,       // sc = ops::Op, n = literal flags (1 left, 2 right)
    OpNeg,
    OpNot,
    OpJmp,          // a = target
    OpJmpBack,      // a = target; checks for an interrupt
    OpJmpFalse,     // a = target; pops the condition
    OpJmpTrue,      // a = target; pops the condition
    OpCallProc,     // a = procedure, n = args, sc bit 0 = discard result
    OpCallBuiltin,  // a = builtin, n = args, sc bit 0 = discard result
    OpCallMember,   // a = name, n = args (object below them), sc bit 0 = discard
    OpPutMember,    // a = name, n = args (object below, value on top), sc = 1 for Set
    OpCallValue,    // n = args, value below them: index it or call its default member
    OpPutValue,     // n = args: default member put on the value below
    OpCallName,     // a = name, n = args, sc bit 0 = discard: resolved at run time
    OpNew,          // a = class index
    OpNewName,      // a = name (RegExp, classes from later Execute)
    OpMe,
    OpForCheck,     // sc, a = counter; n = first of two temps (limit, step); pushes continue?
    OpForNext,      // sc, a = counter; n = temps; next instruction's a = loop start
    OpForEachInit,  // n = temp slot for the enumerator; pops the collection
    OpForEachNext,  // sc, a = variable, n = enumerator slot; next instruction's a = exit target
    OpReDim,        // sc, a, n = dims | 0x8000 preserve | 0x4000 fixed (Dim)
    OpDimEmpty,     // sc, a: Dim a() (an array without elements)
    OpErase,        // sc, a
    OpOnErrorResume,
    OpOnErrorGoto0,
    OpCaseTo,       // pops high, low, value: pushes low <= value <= high
    OpRaise,        // a = error number (compile-time detected run-time error)
    OpRet,
    OpNop,          // data slot for OpForNext / OpForEachNext
    OpConcatAssign, // sc, a: variable &= popped value (s = s & x appends in place)
    OpWriteBack,    // sc, a, n args, value on top: store into the element if the variable is an array
};

struct Ins {
    uint8_t op;     // Op
    uint8_t sc;     // scope or flags
    uint16_t n;     // argument count or slot
    int32_t a;      // operand
};

struct StmtPos {
    int pc;         // first instruction of the statement
    int line;       // zero-based line
    int col;        // zero-based column
};

// The text a procedure was compiled from, for the failing line of an error.
struct SourceText {
    QStringList lines;      // the text split into lines
    int startLine = 0;      // line number of its first line
    quint32 cookie = 0;     // source context of the parse
    QString lineText(int line) const { int i = line - startLine; return i >= 0 && i < lines.size() ? lines[i] : QString(); }
};

struct ClassDef;

// Inline cache of one member-call instruction.
struct MemberCache {
    const void *key = nullptr;   // object's binding key (type information)
    int dispId = 0;              // member found for it
};

struct Proc {
    int id = -1;                         // index in the engine's procedure list
    QString name;                        // as declared ("" for global code)
    ProcKind kind = ProcSub;             // Sub, Function or property accessor
    bool isPublic = true;                // visible from outside the class
    int nparams = 0;                     // formal parameters (slots 0..nparams-1)
    std::vector<uint8_t> byVal;          // per parameter: ByVal
    int resultSlot = -1;                 // function result slot, -1 for a Sub
    int nlocals = 0;                     // all slots: parameters, result, locals, temporaries
    std::vector<QString> localNames;     // lower-case names of named slots (Execute sees them)
    std::vector<Ins> code;               // instructions
    std::vector<StmtPos> stmts;          // statement starts, ascending pc
    std::vector<Variant> consts;         // constants
    std::vector<QString> names;          // member and variable names used by name
    std::vector<MemberCache> caches;     // one per instruction (member calls)
    ClassDef *cls = nullptr;             // class of a method
    Proc *parentScope = nullptr;         // Execute/Eval code: the procedure whose slots ScUp names
    std::shared_ptr<SourceText> source;  // text it came from
    QHash<QString, Variant> localConsts; // Const inside the procedure
    const StmtPos *statementAt(int pc) const;
    int nextStatement(int pc) const;     // pc of the statement after the one holding pc; -1 at the end
};

struct ClassMember {
    QString name;            // as declared
    bool isPublic = true;    // visible from outside
    int field = -1;          // member variable index, or -1
    Proc *method = nullptr;  // Sub / Function
    Proc *get = nullptr;     // Property Get
    Proc *let = nullptr;     // Property Let
    Proc *set = nullptr;     // Property Set
};

struct ClassDef {
    QString name;                          // class name
    std::vector<ClassMember> members;      // dispatch id = index + 1
    QHash<QString, int> byName;            // lower-case name -> index in members
    int fieldCount = 0;                    // member variables
    std::vector<std::vector<int>> fieldDims; // per field: fixed array upper bounds (empty: scalar)
    std::vector<bool> fieldIsArray;        // per field: declared with ()
    int defaultMember = -1;                // index of the Default member
    Proc *initialize = nullptr;            // Class_Initialize
    Proc *terminate = nullptr;             // Class_Terminate
    TypeInfo typeInfo{QString()};          // for the object browser and type-library files
};

} // namespace vorn::vbs
