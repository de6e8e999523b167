// VBScript compiler: syntax tree to instruction lists. Names are resolved to slots
// here (locals, globals, members, constants, procedures, builtins); only names no
// scope knows are left for the VM to look up when they first run.
#pragma once
#include "platform/script/vbscript/Parser.h"
#include "platform/script/vbscript/Vm.h"

namespace vorn::vbs {

class Compiler
{
public:
    Compiler(Vm &vm, std::shared_ptr<SourceText> source) : m_vm(vm), m_source(std::move(source)) {}
    // Registers the unit's classes, procedures and globals and returns its global
    // code. scope: the procedure whose locals Execute code sees (null for global).
    Proc *compileUnit(Unit &u, Proc *scope = nullptr);
    // Eval: an expression whose value the procedure returns.
    Proc *compileExpression(Expr &e, Proc *scope);

private:
    struct LoopCtx { int kind; std::vector<int> exits; };   // kind: Kw::Do or Kw::For
    struct Fn {
        Proc *proc = nullptr;                 // being compiled
        QHash<QString, int> locals;           // lower-case name -> slot
        ClassDef *cls = nullptr;              // class of a method
        Proc *up = nullptr;                   // Execute scope
        std::vector<LoopCtx> loops;           // open Do / For loops
        std::vector<int> exitProc;            // jumps to the end of the procedure
        std::vector<int> withSlots;           // open With objects
        bool isGlobal = false;                // global code of a unit
    };
    enum RK { RLocal, RGlobal, RField, RUp, RConst, RProc, RMember, RBuiltin, RItem, RUnknown };
    struct R { RK k = RUnknown; int idx = 0; Variant value; int item = -1; };

    R resolve(const QString &lname);
    int nameIndex(const QString &name);
    int constIndex(const Variant &v);
    int gen(Op op, uint8_t sc = 0, int n = 0, int a = 0);
    void patch(int at) { cur().proc->code[at].a = int(cur().proc->code.size()); }
    int here() const { return int(m_fns.back().proc->code.size()); }
    Fn &cur() { return m_fns.back(); }
    int newTemp();
    void stmtMark(int line, int col);
    [[noreturn]] void fail(int number, int line, int col);

    void compileProc(Proc *proc, ProcDecl &d, ClassDef *cls);
    void compileClass(ClassDecl &c);
    void collectDims(const Block &b, std::vector<const Decl *> &out, bool intoProcs) const;
    void collectAssigned(const Block &b, std::vector<QString> &out) const;
    void collectConsts(const Block &b, bool topOnly);
    Variant fold(const Expr &e);

    void block(const Block &b);
    void statement(const Stmt &s);
    void assign(const Stmt &s, bool isSet);
    void callStatement(const Stmt &s);
    void forStmt(const Stmt &s);
    void forEachStmt(const Stmt &s);
    void selectStmt(const Stmt &s);
    void doStmt(const Stmt &s);
    void dimStmt(const Stmt &s);
    void redimStmt(const Stmt &s);

    void expr(const Expr &e);
    size_t pushArgs(const std::vector<ExprP> &args, Proc *target);   // returns the write-back mark
    void pushArg(const Expr &e, bool byRef);
    void writeBack(size_t mark);     // after a call: elements passed by reference get their values back
    bool varAccess(const R &r, uint8_t *sc, int *a) const;
    void loadName(const Expr &e);
    void callExpr(const Expr &e, bool discard);
    void memberObject(const Expr &member);   // pushes the object a Member applies to
    bool isLiteral(const Expr &e) const;

    // An array element passed to a ByRef parameter travels in a temporary that is
    // stored back into the element after the call.
    struct WriteBack { uint8_t sc; int a; int firstTemp; int n; int valueTemp; };
    std::vector<WriteBack> m_writeBacks;

    Vm &m_vm;
    std::shared_ptr<SourceText> m_source;
    std::vector<Fn> m_fns;                   // procedure being compiled (innermost last)
};

} // namespace vorn::vbs
