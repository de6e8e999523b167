// VBScript syntax tree: what the parser builds and the compiler walks.
#pragma once
#include "platform/automation/Variant.h"
#include <memory>
#include <vector>

namespace vorn::vbs {

struct Expr;
using ExprP = std::unique_ptr<Expr>;

enum UnaryOp { UnNeg = 100, UnNot = 101 };

struct Expr {
    enum Kind { Literal, Name, Member, Call, Unary, Binary, New, Me, Paren, Missing } kind;
    int line = 0, col = 0;        // where it starts
    Variant value;                // Literal
    QString name;                 // Name, Member (member name), New (class name)
    ExprP a, b;                   // Member: a = object (null: the With object); Unary: a; Binary: a, b; Call: a = callee; Paren: a
    std::vector<ExprP> args;      // Call arguments (Missing for left-out ones)
    int op = 0;                   // ops::Op or UnaryOp
    explicit Expr(Kind k) : kind(k) {}
};

struct Stmt;
using StmtP = std::unique_ptr<Stmt>;
using Block = std::vector<StmtP>;

struct Decl {
    QString name;                 // variable name
    std::vector<ExprP> dims;      // upper bounds for arrays
    bool isArray = false;         // written with parentheses (possibly empty: dynamic)
    int line = 0, col = 0;        // position of the name
};

struct CaseItem {
    int kind = 0;                 // 0 value, 1 Is <op> value, 2 value To value
    int op = 0;                   // comparison for Is
    ExprP e1, e2;                 // values
};

struct CaseClause {
    std::vector<CaseItem> items;  // empty for Case Else
    bool isElse = false;          // Case Else
    Block body;                   // statements of the case
    int line = 0, col = 0;        // position of the Case
};

struct Stmt {
    enum Kind { Assign, Set, CallS, Dim, ReDim, Const, Erase, If, Select, For, ForEach, Do, While,
                Exit, With, OnErrorResume, OnErrorGoto0, Nop } kind;
    int line = 0, col = 0;        // where the statement starts
    ExprP target;                 // Assign/Set/For/ForEach: variable; CallS: the callee
    ExprP value;                  // Assign/Set: value; Select/With/ForEach: subject; Do/While: condition; For: start
    ExprP to, step;               // For
    std::vector<ExprP> args;      // CallS arguments; Erase targets
    std::vector<Decl> decls;      // Dim, ReDim, Const (const value in dims[0])
    bool preserve = false;        // ReDim Preserve
    bool callKeyword = false;     // CallS written with Call
    std::vector<ExprP> conds;     // If / ElseIf conditions
    std::vector<Block> blocks;    // If: one per condition plus Else; loops and With: blocks[0]
    std::vector<CaseClause> cases;// Select
    int condKind = 0;             // Do: 0 none, 1 While, 2 Until
    bool condAtEnd = false;       // Do ... Loop While
    int exitKind = 0;             // Exit: Kw value of Do / For / Function / Sub / Property
    int endLine = 0, endCol = 0;  // position of Next / Loop / Wend (errors in the step belong there)
    explicit Stmt(Kind k) : kind(k) {}
};

struct Param {
    QString name;                 // parameter name
    bool byVal = false;           // ByVal (ByRef is the default)
    bool isArray = false;         // written as name()
};

enum ProcKind { ProcSub, ProcFunction, ProcGet, ProcLet, ProcSet };

struct ProcDecl {
    QString name;                 // procedure name
    ProcKind kind = ProcSub;      // Sub, Function or a property accessor
    bool isPublic = true;         // Public (default) or Private
    bool isDefault = false;       // Public Default
    std::vector<Param> params;    // formal parameters
    Block body;                   // statements
    int line = 0, col = 0;        // position of the declaration
};

struct FieldDecl {
    Decl decl;                    // name and array dimensions
    bool isPublic = true;         // Public or Private (Dim is public)
};

struct ClassDecl {
    QString name;                 // class name
    std::vector<FieldDecl> fields;// member variables
    std::vector<std::unique_ptr<ProcDecl>> procs;   // methods and properties
    int line = 0, col = 0;        // position of Class
};

struct Unit {
    Block top;                    // global code in order
    std::vector<std::unique_ptr<ProcDecl>> procs;    // global procedures
    std::vector<std::unique_ptr<ClassDecl>> classes; // classes
    bool optionExplicit = false;  // Option Explicit seen
};

} // namespace vorn::vbs
