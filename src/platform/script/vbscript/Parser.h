// VBScript parser: tokens to a syntax tree, with the syntax error numbers and
// positions VBScript reports (1002 syntax error, 1025 expected end of statement ...).
#pragma once
#include "platform/script/vbscript/Ast.h"
#include "platform/script/vbscript/Lexer.h"

namespace vorn::vbs {

struct SyntaxError {
    int number;          // 1002, 1010, 1025 ...
    int line, column;    // zero-based position of the offending token
};

class Parser
{
public:
    explicit Parser(const QVector<Token> &tokens) : t(tokens) {}
    std::unique_ptr<Unit> parseUnit();     // whole program text; throws SyntaxError
    ExprP parseStandaloneExpression();     // Eval text

private:
    const Token &cur() const { return t[p]; }
    const Token &peek(int k = 1) const { return t[std::min<int>(p + k, int(t.size()) - 1)]; }
    bool is(Tok k) const { return t[p].type == k; }
    bool isKw(Kw k) const { return (t[p].type == Tok::Keyword || t[p].type == Tok::Ident) && t[p].kw == k; }
    bool atEnd() const { return t[p].type == Tok::Newline || t[p].type == Tok::Eof; }
    [[noreturn]] void fail(int number) const;
    [[noreturn]] void failAt(int number, const Token &tk) const;
    void expect(Tok k, int number);
    void expectKw(Kw k, int number);
    QString identifier();                  // a name (reserved words rejected)
    void endOfStatement();                 // Newline or Eof, else 1025
    void skipNewlines();

    void parseTopLevel(Unit &u);
    StmtP parseStatement(bool inProc);
    void parseBlockUntil(Block &b, bool inProc, const std::function<bool()> &stop);
    void parseSingleLineBody(Block &b, bool inProc, bool allowElse);
    StmtP parseIf(bool inProc);
    StmtP parseSelect(bool inProc);
    StmtP parseFor(bool inProc);
    StmtP parseDo(bool inProc);
    StmtP parseWhile(bool inProc);
    StmtP parseWith(bool inProc);
    StmtP parseDim(Stmt::Kind kind);
    StmtP parseConst();
    StmtP parseAssignOrCall();
    std::unique_ptr<ProcDecl> parseProc(bool isPublic, bool isDefault);
    std::unique_ptr<ClassDecl> parseClass();
    Decl parseDecl(bool allowDims);

    ExprP expr();
    ExprP binaryLevel(int level);
    ExprP unary();
    ExprP power();
    ExprP postfix(int *lastParen = nullptr);   // lastParen: where a trailing call's '(' stood
    ExprP primary();
    void argList(std::vector<ExprP> &args, Tok close);
    ExprP make(Expr::Kind k, const Token &at) const;

    const QVector<Token> &t;   // all tokens, ending with Eof
    int p = 0;                 // current token
    bool m_explicit = false;   // Option Explicit seen
    int m_procDepth = 0;       // inside a Sub/Function/Property
    int m_withDepth = 0;       // inside With blocks (.member allowed)
    int m_singleLine = 0;      // inside a one-line If (Else ends a statement)
    int m_nest = 0;            // nesting of expressions and statements (stack guard)
    struct Nest {
        Parser &p;
        explicit Nest(Parser &parser) : p(parser) { if (++p.m_nest > 200) { --p.m_nest; p.fail(1001); } }
        ~Nest() { --p.m_nest; }
    };
};

} // namespace vorn::vbs
