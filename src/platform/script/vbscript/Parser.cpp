// Recursive-descent VBScript parser: statements, procedures, classes and the
// operator precedence of the language (^, unary -, * /, \, Mod, + -, &, comparisons,
// Not, And, Or, Xor, Eqv, Imp).
#include "platform/script/vbscript/Parser.h"
#include "platform/automation/VariantOps.h"

namespace vorn::vbs {

void Parser::fail(int number) const { failAt(number, t[p]); }
void Parser::failAt(int number, const Token &tk) const { throw SyntaxError{number, tk.line, tk.column}; }

void Parser::expect(Tok k, int number)
{
    if (!is(k)) fail(number);
    ++p;
}

void Parser::expectKw(Kw k, int number)
{
    if (!isKw(k)) fail(number);
    ++p;
}

QString Parser::identifier()
{
    if (!is(Tok::Ident)) fail(1010);
    return t[p++].text;
}

void Parser::endOfStatement()
{
    if (is(Tok::Newline)) { ++p; return; }
    if (is(Tok::Eof)) return;
    if (m_singleLine && isKw(Kw::Else)) return;
    fail(1025);
}

void Parser::skipNewlines()
{
    while (is(Tok::Newline)) ++p;
}

ExprP Parser::make(Expr::Kind k, const Token &at) const
{
    auto e = std::make_unique<Expr>(k);
    e->line = at.line;
    e->col = at.column;
    return e;
}

std::unique_ptr<Unit> Parser::parseUnit()
{
    auto u = std::make_unique<Unit>();
    parseTopLevel(*u);
    u->optionExplicit = m_explicit;
    return u;
}

ExprP Parser::parseStandaloneExpression()
{
    skipNewlines();
    ExprP e = expr();
    skipNewlines();
    if (!is(Tok::Eof)) fail(1025);
    return e;
}

void Parser::parseTopLevel(Unit &u)
{
    for (;;) {
        skipNewlines();
        if (is(Tok::Eof)) return;
        const Token &st = cur();
        if (isKw(Kw::Option)) {
            ++p;
            if (!isKw(Kw::Explicit)) fail(1010);
            ++p;
            m_explicit = true;
            endOfStatement();
            continue;
        }
        if (isKw(Kw::Class)) { u.classes.push_back(parseClass()); continue; }
        bool isPublic = true, isDefault = false;
        if (isKw(Kw::Public) || isKw(Kw::Private)) {
            int save = p;
            isPublic = isKw(Kw::Public);
            ++p;
            if (isKw(Kw::Default)) { isDefault = true; ++p; }
            if (!(isKw(Kw::Sub) || isKw(Kw::Function) || isKw(Kw::Property))) {
                if (isDefault) fail(1058);
                p = save;   // Public / Private variables: a statement
            }
        }
        if (isKw(Kw::Sub) || isKw(Kw::Function) || isKw(Kw::Property)) {
            if (isDefault) failAt(1048, st);
            u.procs.push_back(parseProc(isPublic, false));
            continue;
        }
        u.top.push_back(parseStatement(false));
    }
}

std::unique_ptr<ClassDecl> Parser::parseClass()
{
    auto c = std::make_unique<ClassDecl>();
    c->line = cur().line;
    c->col = cur().column;
    ++p;
    c->name = identifier();
    endOfStatement();
    bool hasDefault = false;
    for (;;) {
        skipNewlines();
        if (is(Tok::Eof)) fail(1014);
        if (isKw(Kw::End)) {
            ++p;
            expectKw(Kw::Class, 1047);
            endOfStatement();
            return c;
        }
        bool isPublic = true, isDefault = false, modifier = false;
        if (isKw(Kw::Public) || isKw(Kw::Private)) { isPublic = isKw(Kw::Public); modifier = true; ++p; }
        if (isKw(Kw::Default)) {
            if (!isPublic || !modifier) fail(1057);
            isDefault = true;
            ++p;
        }
        if (isKw(Kw::Sub) || isKw(Kw::Function) || isKw(Kw::Property)) {
            auto proc = parseProc(isPublic, isDefault);
            if (isDefault) {
                if (hasDefault) failAt(1052, t[p - 1]);
                hasDefault = true;
            }
            c->procs.push_back(std::move(proc));
            continue;
        }
        if (isDefault) fail(1058);
        if (isKw(Kw::Dim)) { ++p; modifier = true; }
        if (!modifier) fail(1024);
        if (isKw(Kw::Const)) fail(1024);
        for (;;) {
            FieldDecl f;
            f.isPublic = isPublic;
            f.decl = parseDecl(true);
            c->fields.push_back(std::move(f));
            if (!is(Tok::Comma)) break;
            ++p;
        }
        endOfStatement();
    }
}

std::unique_ptr<ProcDecl> Parser::parseProc(bool isPublic, bool isDefault)
{
    if (m_procDepth) fail(1024);
    auto pr = std::make_unique<ProcDecl>();
    pr->line = cur().line;
    pr->col = cur().column;
    pr->isPublic = isPublic;
    pr->isDefault = isDefault;
    Kw endKw;
    if (isKw(Kw::Sub)) { pr->kind = ProcSub; endKw = Kw::Sub; }
    else if (isKw(Kw::Function)) { pr->kind = ProcFunction; endKw = Kw::Function; }
    else {
        ++p;
        endKw = Kw::Property;
        if (isKw(Kw::Get)) pr->kind = ProcGet;
        else if (isKw(Kw::Let)) pr->kind = ProcLet;
        else if (isKw(Kw::Set)) pr->kind = ProcSet;
        else fail(1049);
    }
    if (isDefault && pr->kind != ProcGet && pr->kind != ProcFunction && pr->kind != ProcSub) fail(1058);
    ++p;
    pr->name = identifier();
    if (is(Tok::LParen)) {
        ++p;
        while (!is(Tok::RParen)) {
            Param prm;
            if (isKw(Kw::ByVal)) { prm.byVal = true; ++p; }
            else if (isKw(Kw::ByRef)) ++p;
            prm.name = identifier();
            if (is(Tok::LParen)) { ++p; expect(Tok::RParen, 1006); prm.isArray = true; }
            pr->params.push_back(prm);
            if (is(Tok::Comma)) { ++p; continue; }
            if (!is(Tok::RParen)) fail(1006);
        }
        ++p;
    }
    if ((pr->kind == ProcLet || pr->kind == ProcSet) && pr->params.empty()) fail(1054);
    QString lname = pr->name.toLower();
    if ((lname == QLatin1String("class_initialize") || lname == QLatin1String("class_terminate")) && !pr->params.empty()) fail(1053);
    endOfStatement();
    ++m_procDepth;
    parseBlockUntil(pr->body, true, [&] { return isKw(Kw::End) && peek().kw == endKw; });
    --m_procDepth;
    p += 2;
    endOfStatement();
    return pr;
}

void Parser::parseBlockUntil(Block &b, bool inProc, const std::function<bool()> &stop)
{
    for (;;) {
        skipNewlines();
        if (is(Tok::Eof)) fail(1014);
        if (stop()) return;
        if (isKw(Kw::Sub) || isKw(Kw::Function) || isKw(Kw::Class) || (isKw(Kw::Property) && !inProc)) fail(1024);
        if (isKw(Kw::End)) {
            // "End" of something that is not open here
            fail(1024);
        }
        b.push_back(parseStatement(inProc));
    }
}

StmtP Parser::parseStatement(bool inProc)
{
    Nest guard(*this);
    const Token &st = cur();
    auto mk = [&](Stmt::Kind k) {
        auto s = std::make_unique<Stmt>(k);
        s->line = st.line;
        s->col = st.column;
        return s;
    };
    if (st.type == Tok::Keyword) {
        switch (st.kw) {
        case Kw::Dim: { ++p; auto s = parseDim(Stmt::Dim); s->line = st.line; s->col = st.column; endOfStatement(); return s; }
        case Kw::Public: case Kw::Private: {
            if (inProc) fail(1024);
            ++p;
            if (isKw(Kw::Const)) { auto s = parseConst(); s->line = st.line; s->col = st.column; endOfStatement(); return s; }
            auto s = parseDim(Stmt::Dim);
            s->line = st.line; s->col = st.column;
            endOfStatement();
            return s;
        }
        case Kw::Const: { auto s = parseConst(); s->line = st.line; s->col = st.column; endOfStatement(); return s; }
        case Kw::ReDim: {
            ++p;
            bool preserve = false;
            if (isKw(Kw::Preserve)) { preserve = true; ++p; }
            auto s = parseDim(Stmt::ReDim);
            s->line = st.line; s->col = st.column;
            s->preserve = preserve;
            for (auto &d : s->decls) if (d.dims.empty()) failAt(1005, st);
            endOfStatement();
            return s;
        }
        case Kw::Erase: {
            ++p;
            auto s = mk(Stmt::Erase);
            for (;;) {
                s->args.push_back(postfix());
                if (!is(Tok::Comma)) break;
                ++p;
            }
            endOfStatement();
            return s;
        }
        case Kw::If: return parseIf(inProc);
        case Kw::Select: return parseSelect(inProc);
        case Kw::For: return parseFor(inProc);
        case Kw::Do: return parseDo(inProc);
        case Kw::While: return parseWhile(inProc);
        case Kw::With: return parseWith(inProc);
        case Kw::Exit: {
            ++p;
            auto s = mk(Stmt::Exit);
            if (!(isKw(Kw::Do) || isKw(Kw::For) || isKw(Kw::Function) || isKw(Kw::Sub) || isKw(Kw::Property))) fail(1039);
            s->exitKind = int(cur().kw);
            ++p;
            endOfStatement();
            return s;
        }
        case Kw::On: {
            ++p;
            expectKw(Kw::Error, 1002);
            if (isKw(Kw::Resume)) {
                ++p;
                expectKw(Kw::Next, 1020);
                auto s = mk(Stmt::OnErrorResume);
                endOfStatement();
                return s;
            }
            expectKw(Kw::GoTo, 1002);
            if (!is(Tok::Number) || cur().value.toLong() != 0) fail(1026);
            ++p;
            auto s = mk(Stmt::OnErrorGoto0);
            endOfStatement();
            return s;
        }
        case Kw::Set: {
            ++p;
            auto s = mk(Stmt::Set);
            s->target = postfix();
            expect(Tok::Eq, 1011);
            s->value = expr();
            endOfStatement();
            return s;
        }
        case Kw::Call: {
            ++p;
            auto s = mk(Stmt::CallS);
            s->callKeyword = true;
            ExprP callee = postfix();
            if (callee->kind == Expr::Call) {
                s->target = std::move(callee->a);
                s->args = std::move(callee->args);
            } else {
                s->target = std::move(callee);
            }
            endOfStatement();
            return s;
        }
        case Kw::Me: return parseAssignOrCall();
        case Kw::Option: fail(1042);
        case Kw::Loop: fail(1038);
        case Kw::Next: fail(1055);
        default: fail(1024);
        }
    }
    if (st.type == Tok::Ident && st.kw == Kw::Let && peek().type == Tok::Ident) {
        ++p;
        return parseAssignOrCall();
    }
    if (st.type == Tok::Ident || (st.type == Tok::Dot && m_withDepth > 0)) return parseAssignOrCall();
    if (st.type == Tok::Dot) fail(1024);
    fail(1024);
}

StmtP Parser::parseAssignOrCall()
{
    const Token &st = cur();
    int lastParen = -1;
    ExprP target = postfix(&lastParen);
    if (is(Tok::Eq)) {
        ++p;
        auto s = std::make_unique<Stmt>(Stmt::Assign);
        s->line = st.line;
        s->col = st.column;
        if (target->kind != Expr::Name && target->kind != Expr::Member && target->kind != Expr::Call) failAt(1002, st);
        s->target = std::move(target);
        s->value = expr();
        endOfStatement();
        return s;
    }
    auto s = std::make_unique<Stmt>(Stmt::CallS);
    s->line = st.line;
    s->col = st.column;
    if (atEnd()) {
        if (target->kind == Expr::Call) {
            // name(a) as a statement passes a parenthesised (by value) argument;
            // name(a, b) needs Call
            if (target->args.size() > 1 && lastParen >= 0) failAt(1044, t[lastParen]);
            s->target = std::move(target->a);
            s->args = std::move(target->args);
            if (s->args.size() == 1 && s->args[0]->kind != Expr::Missing) {
                auto par = std::make_unique<Expr>(Expr::Paren);
                par->line = s->args[0]->line;
                par->col = s->args[0]->col;
                par->a = std::move(s->args[0]);
                s->args[0] = std::move(par);
            }
        } else {
            s->target = std::move(target);
        }
        endOfStatement();
        return s;
    }
    // arguments follow without parentheses; a '(' after a blank started the first one
    if (target->kind == Expr::Call && lastParen >= 0 && t[lastParen].spaceBefore) {
        p = lastParen;
        s->target = std::move(target->a);
    } else if (target->kind == Expr::Call && lastParen >= 0) {
        fail(1025);
    } else {
        s->target = std::move(target);
    }
    for (;;) {
        if (is(Tok::Comma)) {
            auto m = make(Expr::Missing, cur());
            s->args.push_back(std::move(m));
            ++p;
            continue;
        }
        s->args.push_back(expr());
        if (!is(Tok::Comma)) break;
        ++p;
        if (atEnd()) { s->args.push_back(make(Expr::Missing, cur())); break; }
    }
    endOfStatement();
    return s;
}

Decl Parser::parseDecl(bool allowDims)
{
    Decl d;
    d.line = cur().line;
    d.col = cur().column;
    d.name = identifier();
    if (is(Tok::LParen)) {
        if (!allowDims) fail(1025);
        ++p;
        d.isArray = true;
        if (!is(Tok::RParen)) {
            for (;;) {
                d.dims.push_back(expr());
                if (!is(Tok::Comma)) break;
                ++p;
            }
        }
        expect(Tok::RParen, 1006);
    }
    return d;
}

StmtP Parser::parseDim(Stmt::Kind kind)
{
    auto s = std::make_unique<Stmt>(kind);
    for (;;) {
        s->decls.push_back(parseDecl(true));
        if (!is(Tok::Comma)) break;
        ++p;
    }
    return s;
}

StmtP Parser::parseConst()
{
    ++p;   // Const
    auto s = std::make_unique<Stmt>(Stmt::Const);
    for (;;) {
        Decl d;
        d.line = cur().line;
        d.col = cur().column;
        d.name = identifier();
        expect(Tok::Eq, 1011);
        d.dims.push_back(expr());
        s->decls.push_back(std::move(d));
        if (!is(Tok::Comma)) break;
        ++p;
    }
    return s;
}

void Parser::parseSingleLineBody(Block &b, bool inProc, bool allowElse)
{
    // statements separated by ':' up to the end of the line (or Else)
    ++m_singleLine;
    struct Guard { int &d; ~Guard() { --d; } } guard{m_singleLine};
    for (;;) {
        if (is(Tok::Newline) && cur().colon) { ++p; continue; }
        if (atEnd()) return;
        if (allowElse && (isKw(Kw::Else) || isKw(Kw::ElseIf))) return;
        if (isKw(Kw::If)) {
            b.push_back(parseIf(inProc));
            return;
        }
        // parseStatement eats its terminator; a ':' is fine, but the line end must
        // stay for the If, so step back over it
        StmtP s = parseStatement(inProc);
        if (p > 0 && t[p - 1].type == Tok::Newline && !t[p - 1].colon) --p;
        b.push_back(std::move(s));
    }
}

StmtP Parser::parseIf(bool inProc)
{
    auto s = std::make_unique<Stmt>(Stmt::If);
    s->line = cur().line;
    s->col = cur().column;
    ++p;
    s->conds.push_back(expr());
    expectKw(Kw::Then, 1017);
    if (!atEnd()) {
        // single-line form; Else stops the Then part, end of line ends all
        s->blocks.emplace_back();
        parseSingleLineBody(s->blocks.back(), inProc, true);
        if (isKw(Kw::Else)) {
            ++p;
            s->blocks.emplace_back();
            parseSingleLineBody(s->blocks.back(), inProc, false);
        } else if (isKw(Kw::ElseIf)) {
            fail(1025);
        }
        if (isKw(Kw::End) && peek().kw == Kw::If) { p += 2; }   // tolerated "End If" after a one-liner
        if (!atEnd()) fail(1025);
        if (is(Tok::Newline)) ++p;
        return s;
    }
    endOfStatement();
    s->blocks.emplace_back();
    parseBlockUntil(s->blocks.back(), inProc, [&] { return isKw(Kw::ElseIf) || isKw(Kw::Else) || (isKw(Kw::End) && peek().kw == Kw::If); });
    while (isKw(Kw::ElseIf)) {
        ++p;
        s->conds.push_back(expr());
        expectKw(Kw::Then, 1017);
        if (is(Tok::Newline)) ++p;
        else {
            s->blocks.emplace_back();
            parseSingleLineBody(s->blocks.back(), inProc, false);
            endOfStatement();
            parseBlockUntil(s->blocks.back(), inProc, [&] { return isKw(Kw::ElseIf) || isKw(Kw::Else) || (isKw(Kw::End) && peek().kw == Kw::If); });
            continue;
        }
        s->blocks.emplace_back();
        parseBlockUntil(s->blocks.back(), inProc, [&] { return isKw(Kw::ElseIf) || isKw(Kw::Else) || (isKw(Kw::End) && peek().kw == Kw::If); });
    }
    if (isKw(Kw::Else)) {
        ++p;
        if (is(Tok::Newline)) ++p;
        s->blocks.emplace_back();
        parseBlockUntil(s->blocks.back(), inProc, [&] { return isKw(Kw::End) && peek().kw == Kw::If; });
    }
    p += 2;
    endOfStatement();
    return s;
}

StmtP Parser::parseSelect(bool inProc)
{
    auto s = std::make_unique<Stmt>(Stmt::Select);
    s->line = cur().line;
    s->col = cur().column;
    ++p;
    expectKw(Kw::Case, 1021);
    s->value = expr();
    endOfStatement();
    skipNewlines();
    while (!(isKw(Kw::End) && peek().kw == Kw::Select)) {
        if (!isKw(Kw::Case)) fail(1021);
        CaseClause c;
        c.line = cur().line;
        c.col = cur().column;
        ++p;
        if (isKw(Kw::Else)) {
            ++p;
            c.isElse = true;
        } else {
            for (;;) {
                CaseItem it;
                if (isKw(Kw::Is)) {
                    ++p;
                    it.kind = 1;
                    switch (cur().type) {
                    case Tok::Eq: it.op = ops::Eq; break;
                    case Tok::Ne: it.op = ops::Ne; break;
                    case Tok::Lt: it.op = ops::Lt; break;
                    case Tok::Le: it.op = ops::Le; break;
                    case Tok::Gt: it.op = ops::Gt; break;
                    case Tok::Ge: it.op = ops::Ge; break;
                    default: fail(1002);
                    }
                    ++p;
                    it.e1 = binaryLevel(7);   // the operand of a comparison
                } else {
                    it.e1 = expr();
                    if (isKw(Kw::To)) { ++p; it.kind = 2; it.e2 = expr(); }
                }
                c.items.push_back(std::move(it));
                if (!is(Tok::Comma)) break;
                ++p;
            }
        }
        if (is(Tok::Newline)) ++p;
        else if (!is(Tok::Eof)) fail(1025);
        parseBlockUntil(c.body, inProc, [&] { return isKw(Kw::Case) || (isKw(Kw::End) && peek().kw == Kw::Select); });
        bool isElse = c.isElse;
        s->cases.push_back(std::move(c));
        if (isElse && !(isKw(Kw::End) && peek().kw == Kw::Select)) fail(1014);
    }
    p += 2;
    endOfStatement();
    return s;
}

StmtP Parser::parseFor(bool inProc)
{
    const Token &st = cur();
    ++p;
    if (isKw(Kw::Each)) {
        ++p;
        auto s = std::make_unique<Stmt>(Stmt::ForEach);
        s->line = st.line;
        s->col = st.column;
        const Token &vt = cur();
        s->target = make(Expr::Name, vt);
        s->target->name = identifier();
        expectKw(Kw::In, 1046);
        s->value = expr();
        endOfStatement();
        s->blocks.emplace_back();
        parseBlockUntil(s->blocks[0], inProc, [&] { return isKw(Kw::Next); });
        s->endLine = cur().line;
        s->endCol = cur().column;
        ++p;
        if (is(Tok::Ident)) ++p;
        endOfStatement();
        return s;
    }
    auto s = std::make_unique<Stmt>(Stmt::For);
    s->line = st.line;
    s->col = st.column;
    const Token &vt = cur();
    if (!is(Tok::Ident)) fail(1040);
    s->target = make(Expr::Name, vt);
    s->target->name = identifier();
    expect(Tok::Eq, 1011);
    s->value = expr();
    expectKw(Kw::To, 1013);
    s->to = expr();
    if (isKw(Kw::Step)) { ++p; s->step = expr(); }
    endOfStatement();
    s->blocks.emplace_back();
    parseBlockUntil(s->blocks[0], inProc, [&] { return isKw(Kw::Next); });
    s->endLine = cur().line;
    s->endCol = cur().column;
    ++p;
    if (is(Tok::Ident)) ++p;
    else if (is(Tok::Comma)) fail(1025);
    endOfStatement();
    return s;
}

StmtP Parser::parseDo(bool inProc)
{
    auto s = std::make_unique<Stmt>(Stmt::Do);
    s->line = cur().line;
    s->col = cur().column;
    ++p;
    if (isKw(Kw::While) || isKw(Kw::Until)) {
        s->condKind = isKw(Kw::While) ? 1 : 2;
        ++p;
        s->value = expr();
    }
    endOfStatement();
    s->blocks.emplace_back();
    parseBlockUntil(s->blocks[0], inProc, [&] { return isKw(Kw::Loop); });
    s->endLine = cur().line;
    s->endCol = cur().column;
    ++p;
    if (isKw(Kw::While) || isKw(Kw::Until)) {
        if (s->condKind) fail(1025);
        s->condKind = isKw(Kw::While) ? 1 : 2;
        s->condAtEnd = true;
        ++p;
        s->value = expr();
    }
    endOfStatement();
    return s;
}

StmtP Parser::parseWhile(bool inProc)
{
    auto s = std::make_unique<Stmt>(Stmt::While);
    s->line = cur().line;
    s->col = cur().column;
    ++p;
    s->value = expr();
    endOfStatement();
    s->blocks.emplace_back();
    parseBlockUntil(s->blocks[0], inProc, [&] { return isKw(Kw::Wend); });
    s->endLine = cur().line;
    s->endCol = cur().column;
    ++p;
    endOfStatement();
    return s;
}

StmtP Parser::parseWith(bool inProc)
{
    auto s = std::make_unique<Stmt>(Stmt::With);
    s->line = cur().line;
    s->col = cur().column;
    ++p;
    s->value = expr();
    endOfStatement();
    ++m_withDepth;
    s->blocks.emplace_back();
    parseBlockUntil(s->blocks[0], inProc, [&] { return isKw(Kw::End) && peek().kw == Kw::With; });
    --m_withDepth;
    p += 2;
    endOfStatement();
    return s;
}

// ---- expressions -------------------------------------------------------------------

ExprP Parser::expr()
{
    Nest guard(*this);
    return binaryLevel(0);
}

// Levels from loosest: 0 Imp, 1 Eqv, 2 Xor, 3 Or, 4 And, 5 Not, 6 comparison,
// 7 &, 8 + -, 9 Mod, 10 \, 11 * /, then unary minus and ^.
ExprP Parser::binaryLevel(int level)
{
    if (level == 5) {
        Nest guard(*this);
        if (isKw(Kw::Not)) {
            auto e = make(Expr::Unary, cur());
            ++p;
            e->op = UnNot;
            e->a = binaryLevel(5);
            return e;
        }
        return binaryLevel(6);
    }
    if (level == 12) return unary();
    ExprP left = binaryLevel(level + 1);
    int chain = 0;
    for (;;) {
        int op = -1;
        const Token &tk = cur();
        switch (level) {
        case 0: if (isKw(Kw::Imp)) op = ops::Imp; break;
        case 1: if (isKw(Kw::Eqv)) op = ops::Eqv; break;
        case 2: if (isKw(Kw::Xor)) op = ops::Xor; break;
        case 3: if (isKw(Kw::Or)) op = ops::Or; break;
        case 4: if (isKw(Kw::And)) op = ops::And; break;
        case 6:
            switch (tk.type) {
            case Tok::Eq: op = ops::Eq; break;
            case Tok::Ne: op = ops::Ne; break;
            case Tok::Lt: op = ops::Lt; break;
            case Tok::Le: op = ops::Le; break;
            case Tok::Gt: op = ops::Gt; break;
            case Tok::Ge: op = ops::Ge; break;
            default: if (isKw(Kw::Is)) op = ops::Is; break;
            }
            break;
        case 7: if (tk.type == Tok::Amp) op = ops::Concat; break;
        case 8: if (tk.type == Tok::Plus) op = ops::Add; else if (tk.type == Tok::Minus) op = ops::Sub; break;
        case 9: if (isKw(Kw::Mod)) op = ops::Mod; break;
        case 10: if (tk.type == Tok::Backslash) op = ops::IntDiv; break;
        case 11: if (tk.type == Tok::Star) op = ops::Mul; else if (tk.type == Tok::Slash) op = ops::Div; break;
        }
        if (op < 0) return left;
        // a left-deep chain is walked recursively later: keep it within the stack
        if (++chain > 4000) fail(1001);
        ++p;
        auto e = make(Expr::Binary, tk);
        e->line = left->line;
        e->col = left->col;
        e->op = op;
        e->a = std::move(left);
        // Not may start the right operand of a comparison or a logical operator
        e->b = (level <= 6 && isKw(Kw::Not)) ? binaryLevel(5) : binaryLevel(level + 1);
        left = std::move(e);
    }
}

ExprP Parser::unary()
{
    Nest guard(*this);
    if (is(Tok::Minus)) {
        auto e = make(Expr::Unary, cur());
        ++p;
        e->op = UnNeg;
        e->a = unary();
        return e;
    }
    if (is(Tok::Plus)) { ++p; return unary(); }
    if (isKw(Kw::Not)) return binaryLevel(5);
    return power();
}

ExprP Parser::power()
{
    ExprP left = postfix();
    while (is(Tok::Caret)) {
        const Token &tk = cur();
        ++p;
        ExprP right;
        if (is(Tok::Minus) || is(Tok::Plus)) {
            bool neg = is(Tok::Minus);
            const Token &mt = cur();
            ++p;
            right = postfix();
            if (neg) {
                auto n = make(Expr::Unary, mt);
                n->op = UnNeg;
                n->a = std::move(right);
                right = std::move(n);
            }
        } else {
            right = postfix();
        }
        auto e = make(Expr::Binary, tk);
        e->op = ops::Pow;
        e->line = left->line;
        e->col = left->col;
        e->a = std::move(left);
        e->b = std::move(right);
        left = std::move(e);
    }
    return left;
}

void Parser::argList(std::vector<ExprP> &args, Tok close)
{
    if (is(close)) { ++p; return; }
    for (;;) {
        if (is(Tok::Comma)) {
            args.push_back(make(Expr::Missing, cur()));
            ++p;
            if (is(close)) { args.push_back(make(Expr::Missing, cur())); ++p; return; }
            continue;
        }
        args.push_back(expr());
        if (is(Tok::Comma)) {
            ++p;
            if (is(close)) { args.push_back(make(Expr::Missing, cur())); ++p; return; }
            continue;
        }
        expect(close, 1006);
        return;
    }
}

ExprP Parser::postfix(int *lastParen)
{
    ExprP e = primary();
    for (;;) {
        if (is(Tok::Dot) && !cur().spaceBefore) {
            const Token &dt = cur();
            ++p;
            if (!is(Tok::Ident) && !is(Tok::Keyword)) fail(1010);
            auto m = make(Expr::Member, dt);
            m->line = e->line;
            m->col = e->col;
            m->name = cur().text;
            ++p;
            m->a = std::move(e);
            e = std::move(m);
            if (lastParen) *lastParen = -1;
            continue;
        }
        if (is(Tok::LParen)) {
            if (e->kind == Expr::Literal || e->kind == Expr::Paren) return e;
            if (lastParen) *lastParen = p;
            ++p;
            auto c = make(Expr::Call, t[p - 1]);
            c->line = e->line;
            c->col = e->col;
            c->a = std::move(e);
            argList(c->args, Tok::RParen);
            e = std::move(c);
            continue;
        }
        return e;
    }
}

ExprP Parser::primary()
{
    const Token &tk = cur();
    switch (tk.type) {
    case Tok::Number: case Tok::Date: {
        auto e = make(Expr::Literal, tk);
        e->value = tk.value;
        ++p;
        return e;
    }
    case Tok::String: {
        auto e = make(Expr::Literal, tk);
        e->value = Variant(tk.text);
        ++p;
        return e;
    }
    case Tok::Ident: {
        auto e = make(Expr::Name, tk);
        e->name = tk.text;
        ++p;
        return e;
    }
    case Tok::LParen: {
        ++p;
        auto e = make(Expr::Paren, tk);
        e->a = expr();
        expect(Tok::RParen, 1006);
        return e;
    }
    case Tok::Dot: {
        if (m_withDepth == 0) fail(1002);
        ++p;
        if (!is(Tok::Ident) && !is(Tok::Keyword)) fail(1010);
        auto e = make(Expr::Member, tk);
        e->name = cur().text;
        ++p;
        return e;   // a == null: member of the With object
    }
    case Tok::Keyword:
        switch (tk.kw) {
        case Kw::True: case Kw::False: {
            auto e = make(Expr::Literal, tk);
            e->value = Variant(tk.kw == Kw::True);
            ++p;
            return e;
        }
        case Kw::Empty: { auto e = make(Expr::Literal, tk); ++p; return e; }
        case Kw::Null: { auto e = make(Expr::Literal, tk); e->value = Variant::null(); ++p; return e; }
        case Kw::Nothing: { auto e = make(Expr::Literal, tk); e->value = Variant::nothing(); ++p; return e; }
        case Kw::Me: { auto e = make(Expr::Me, tk); ++p; return e; }
        case Kw::New: {
            ++p;
            auto e = make(Expr::New, tk);
            e->name = identifier();
            return e;
        }
        default: break;
        }
        break;
    default: break;
    }
    fail(1023);
}

} // namespace vorn::vbs
