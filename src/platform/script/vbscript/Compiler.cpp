// VBScript compiler: scope resolution, statement and expression code generation.
#include "platform/script/vbscript/Compiler.h"
#include "platform/automation/VariantOps.h"
#include "platform/script/ScriptEngine.h"

namespace vorn::vbs {

void Compiler::fail(int number, int line, int col) { throw SyntaxError{number, line, col}; }

int Compiler::gen(Op op, uint8_t sc, int n, int a)
{
    auto &code = cur().proc->code;
    code.push_back(Ins{uint8_t(op), sc, uint16_t(n), int32_t(a)});
    return int(code.size()) - 1;
}

int Compiler::nameIndex(const QString &name)
{
    auto &names = cur().proc->names;
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return int(i);
    names.push_back(name);
    return int(names.size()) - 1;
}

int Compiler::constIndex(const Variant &v)
{
    auto &c = cur().proc->consts;
    c.push_back(v);
    return int(c.size()) - 1;
}

int Compiler::newTemp()
{
    Proc *p = cur().proc;
    p->localNames.emplace_back();
    return p->nlocals++;
}

void Compiler::stmtMark(int line, int col)
{
    auto &st = cur().proc->stmts;
    int pc = here();
    if (!st.empty() && st.back().pc == pc) { st.back().line = line; st.back().col = col; return; }
    st.push_back(StmtPos{pc, line, col});
}

Compiler::R Compiler::resolve(const QString &n)
{
    Fn &f = cur();
    R r;
    auto li = f.locals.constFind(n);
    if (li != f.locals.constEnd()) { r.k = RLocal; r.idx = *li; return r; }
    auto lc = f.proc->localConsts.constFind(n);
    if (lc != f.proc->localConsts.constEnd()) { r.k = RConst; r.value = *lc; return r; }
    if (f.up) {
        for (size_t i = 0; i < f.up->localNames.size(); ++i)
            if (f.up->localNames[i] == n) { r.k = RUp; r.idx = int(i); return r; }
        auto uc = f.up->localConsts.constFind(n);
        if (uc != f.up->localConsts.constEnd()) { r.k = RConst; r.value = *uc; return r; }
    }
    if (f.cls) {
        auto mi = f.cls->byName.constFind(n);
        if (mi != f.cls->byName.constEnd()) {
            const ClassMember &m = f.cls->members[*mi];
            if (m.field >= 0) { r.k = RField; r.idx = m.field; return r; }
            r.k = RMember;
            r.idx = *mi;
            return r;
        }
    }
    auto gc = m_vm.constants.constFind(n);
    if (gc != m_vm.constants.constEnd()) { r.k = RConst; r.value = *gc; return r; }
    auto gi = m_vm.globalIndex.constFind(n);
    if (gi != m_vm.globalIndex.constEnd()) { r.k = RGlobal; r.idx = *gi; return r; }
    auto pi = m_vm.procIndex.constFind(n);
    if (pi != m_vm.procIndex.constEnd()) { r.k = RProc; r.idx = *pi; return r; }
    int b = Vm::findBuiltin(n);
    if (b >= 0) { r.k = RBuiltin; r.idx = b; return r; }
    for (size_t i = 0; i < m_vm.items.size(); ++i) {
        const NamedItem &it = m_vm.items[i];
        if (!(it.flags & script::ItemGlobalMembers)) continue;
        const Variant &o = m_vm.global(it.global);
        if (o.isObject() && o.rawObject() && o.rawObject()->memberId(n) != DISPID_UNKNOWN) {
            r.k = RItem;
            r.item = int(i);
            return r;
        }
    }
    return r;
}

bool Compiler::varAccess(const R &r, uint8_t *sc, int *a) const
{
    switch (r.k) {
    case RLocal: *sc = ScLocal; *a = r.idx; return true;
    case RGlobal: *sc = ScGlobal; *a = r.idx; return true;
    case RField: *sc = ScField; *a = r.idx; return true;
    case RUp: *sc = ScUp; *a = r.idx; return true;
    default: return false;
    }
}

// ---- declarations --------------------------------------------------------------------

void Compiler::collectDims(const Block &b, std::vector<const Decl *> &out, bool) const
{
    for (const StmtP &s : b) {
        if (s->kind == Stmt::Dim || s->kind == Stmt::ReDim)
            for (const Decl &d : s->decls) out.push_back(&d);
        for (const Block &inner : s->blocks) collectDims(inner, out, false);
        for (const CaseClause &c : s->cases) collectDims(c.body, out, false);
    }
}

void Compiler::collectAssigned(const Block &b, std::vector<QString> &out) const
{
    for (const StmtP &s : b) {
        if ((s->kind == Stmt::Assign || s->kind == Stmt::Set || s->kind == Stmt::For || s->kind == Stmt::ForEach)
            && s->target && s->target->kind == Expr::Name)
            out.push_back(s->target->name.toLower());
        for (const Block &inner : s->blocks) collectAssigned(inner, out);
        for (const CaseClause &c : s->cases) collectAssigned(c.body, out);
    }
}

Variant Compiler::fold(const Expr &e)
{
    switch (e.kind) {
    case Expr::Literal: return e.value;
    case Expr::Paren: return fold(*e.a);
    case Expr::Unary: {
        Variant v = fold(*e.a);
        return e.op == UnNeg ? ops::neg(v) : ops::logicalNot(v);
    }
    case Expr::Binary: {
        Variant a = fold(*e.a), b = fold(*e.b);
        try { return ops::binary(ops::Op(e.op), a, b); } catch (const AutomationError &) { fail(1045, e.line, e.col); }
    }
    case Expr::Name: {
        R r = resolve(e.name.toLower());
        if (r.k == RConst) return r.value;
        break;
    }
    default: break;
    }
    fail(1045, e.line, e.col);
}

void Compiler::collectConsts(const Block &b, bool)
{
    for (const StmtP &s : b) {
        if (s->kind != Stmt::Const) continue;
        for (const Decl &d : s->decls) {
            Variant v = fold(*d.dims[0]);
            QString n = d.name.toLower();
            if (cur().isGlobal) m_vm.constants.insert(n, v);
            else cur().proc->localConsts.insert(n, v);
        }
    }
}

Proc *Compiler::compileUnit(Unit &u, Proc *scope)
{
    m_vm.optionExplicit = m_vm.optionExplicit || u.optionExplicit;
    // classes and procedures first: global code may call what is defined below it
    for (auto &c : u.classes) {
        auto def = std::make_unique<ClassDef>();
        def->name = c->name;
        def->typeInfo.name = c->name;
        m_vm.classIndex.insert(c->name.toLower(), int(m_vm.classes.size()));
        m_vm.classes.push_back(std::move(def));
    }
    std::vector<Proc *> globalsProcs;
    for (auto &d : u.procs) {
        auto p = std::make_unique<Proc>();
        p->id = int(m_vm.procs.size());
        p->name = d->name;
        p->kind = d->kind;
        p->source = m_source;
        // a later text may define a procedure again: the new one replaces it
        m_vm.procIndex.insert(d->name.toLower(), p->id);
        globalsProcs.push_back(p.get());
        m_vm.procs.push_back(std::move(p));
    }
    auto main = std::make_unique<Proc>();
    main->id = int(m_vm.procs.size());
    main->source = m_source;
    main->parentScope = scope;
    Proc *mainP = main.get();
    m_vm.procs.push_back(std::move(main));

    m_fns.push_back(Fn{});
    cur().proc = mainP;
    cur().isGlobal = scope == nullptr;
    cur().up = scope;
    if (scope && scope->cls) cur().cls = scope->cls;
    collectConsts(u.top, true);
    // global variables: declared ones and those the global code assigns
    std::vector<const Decl *> dims;
    collectDims(u.top, dims, false);
    for (const Decl *d : dims) {
        QString n = d->name.toLower();
        if (scope && resolve(n).k != RUnknown && resolve(n).k != RBuiltin) continue;
        m_vm.globalSlot(n, true);
    }
    std::vector<QString> assigned;
    collectAssigned(u.top, assigned);
    if (!m_vm.optionExplicit)
        for (const QString &n : assigned)
            if (resolve(n).k == RUnknown) m_vm.globalSlot(n, true);
    m_fns.pop_back();

    for (size_t i = 0; i < u.classes.size(); ++i) compileClass(*u.classes[i]);
    for (size_t i = 0; i < u.procs.size(); ++i) compileProc(globalsProcs[i], *u.procs[i], nullptr);

    m_fns.push_back(Fn{});
    cur().proc = mainP;
    cur().isGlobal = scope == nullptr;
    cur().up = scope;
    if (scope && scope->cls) cur().cls = scope->cls;
    block(u.top);
    stmtMark(u.top.empty() ? 0 : u.top.back()->line, 0);
    gen(OpRet);
    mainP->caches.resize(mainP->code.size());
    m_fns.pop_back();
    return mainP;
}

Proc *Compiler::compileExpression(Expr &e, Proc *scope)
{
    auto p = std::make_unique<Proc>();
    p->id = int(m_vm.procs.size());
    p->source = m_source;
    p->parentScope = scope;
    p->kind = ProcFunction;
    Proc *pp = p.get();
    m_vm.procs.push_back(std::move(p));
    m_fns.push_back(Fn{});
    cur().proc = pp;
    cur().up = scope;
    cur().isGlobal = scope == nullptr;
    if (scope && scope->cls) cur().cls = scope->cls;
    pp->resultSlot = newTemp();
    stmtMark(e.line, e.col);
    expr(e);
    gen(OpStoreRaw, ScLocal, 0, pp->resultSlot);
    gen(OpRet);
    pp->caches.resize(pp->code.size());
    m_fns.pop_back();
    return pp;
}

void Compiler::compileClass(ClassDecl &c)
{
    ClassDef *def = m_vm.classes[m_vm.classIndex.value(c.name.toLower())].get();
    auto addMember = [&](const QString &name, bool isPublic) -> ClassMember & {
        QString l = name.toLower();
        auto it = def->byName.constFind(l);
        if (it != def->byName.constEnd()) return def->members[*it];
        def->byName.insert(l, int(def->members.size()));
        def->members.push_back(ClassMember{name, isPublic});
        return def->members.back();
    };
    for (FieldDecl &f : c.fields) {
        QString l = f.decl.name.toLower();
        if (def->byName.contains(l)) fail(1041, f.decl.line, f.decl.col);
        ClassMember &m = addMember(f.decl.name, f.isPublic);
        m.field = def->fieldCount++;
        std::vector<int> bounds;
        m_fns.push_back(Fn{});
        Proc tmp;
        cur().proc = &tmp;
        for (auto &d : f.decl.dims) bounds.push_back(fold(*d).toLong());
        m_fns.pop_back();
        def->fieldDims.push_back(bounds);
        def->fieldIsArray.push_back(f.decl.isArray);
        MemberInfo mi;
        mi.name = f.decl.name;
        mi.dispId = int(def->byName.value(l)) + 1;
        mi.kinds = InvokeGet | InvokePut | InvokePutRef;
        mi.resultType = VarType::Variant;
        if (f.isPublic) def->typeInfo.add(mi);
    }
    std::vector<std::pair<Proc *, ProcDecl *>> todo;
    for (auto &d : c.procs) {
        auto p = std::make_unique<Proc>();
        p->id = int(m_vm.procs.size());
        p->name = d->name;
        p->kind = d->kind;
        p->isPublic = d->isPublic;
        p->cls = def;
        p->source = m_source;
        ClassMember &m = addMember(d->name, d->isPublic);
        if (m.field >= 0) fail(1041, d->line, d->col);
        Proc **slot = d->kind == ProcGet ? &m.get : d->kind == ProcLet ? &m.let : d->kind == ProcSet ? &m.set : &m.method;
        if (*slot || ((d->kind == ProcSub || d->kind == ProcFunction) && (m.get || m.let || m.set))) fail(1041, d->line, d->col);
        *slot = p.get();
        if (d->isPublic) m.isPublic = true;
        if (d->isDefault) def->defaultMember = def->byName.value(d->name.toLower());
        QString l = d->name.toLower();
        if (l == QLatin1String("class_initialize")) def->initialize = p.get();
        if (l == QLatin1String("class_terminate")) def->terminate = p.get();
        todo.emplace_back(p.get(), d.get());
        MemberInfo mi;
        mi.name = d->name;
        mi.dispId = d->isDefault ? DISPID_VALUE : int(def->byName.value(l)) + 1;
        mi.kinds = d->kind == ProcGet ? InvokeGet : d->kind == ProcLet ? InvokePut : d->kind == ProcSet ? InvokePutRef : InvokeMethod;
        mi.resultType = d->kind == ProcSub || d->kind == ProcLet || d->kind == ProcSet ? VarType::Empty : VarType::Variant;
        size_t np = d->params.size() - ((d->kind == ProcLet || d->kind == ProcSet) ? 1 : 0);
        for (size_t i = 0; i < np; ++i) mi.params.append(ParamInfo(d->params[i].name, VarType::Variant, false, Variant(), !d->params[i].byVal));
        if (d->isPublic) def->typeInfo.add(mi);
        m_vm.procs.push_back(std::move(p));
    }
    for (auto &[p, d] : todo) compileProc(p, *d, def);
}

void Compiler::compileProc(Proc *proc, ProcDecl &d, ClassDef *cls)
{
    m_fns.push_back(Fn{});
    Fn &f = cur();
    f.proc = proc;
    f.cls = cls;
    proc->nparams = int(d.params.size());
    for (const Param &p : d.params) {
        QString n = p.name.toLower();
        if (f.locals.contains(n)) fail(1041, d.line, d.col);
        f.locals.insert(n, proc->nlocals++);
        proc->localNames.push_back(n);
        proc->byVal.push_back(p.byVal);
    }
    if (d.kind == ProcFunction || d.kind == ProcGet) {
        proc->resultSlot = proc->nlocals++;
        QString n = d.name.toLower();
        proc->localNames.push_back(n);
        f.locals.insert(n, proc->resultSlot);
    }
    collectConsts(d.body, true);
    std::vector<const Decl *> dims;
    collectDims(d.body, dims, false);
    for (const Decl *dd : dims) {
        QString n = dd->name.toLower();
        if (f.locals.contains(n)) continue;   // a parameter or the result
        f.locals.insert(n, proc->nlocals++);
        proc->localNames.push_back(n);
    }
    if (!m_vm.optionExplicit) {
        std::vector<QString> assigned;
        collectAssigned(d.body, assigned);
        for (const QString &n : assigned) {
            if (resolve(n).k != RUnknown) continue;
            f.locals.insert(n, proc->nlocals++);
            proc->localNames.push_back(n);
        }
    }
    stmtMark(d.line, d.col);
    block(d.body);
    for (int j : f.exitProc) patch(j);
    gen(OpRet);
    proc->caches.resize(proc->code.size());
    m_fns.pop_back();
}

// ---- statements --------------------------------------------------------------------

void Compiler::block(const Block &b)
{
    for (const StmtP &s : b) statement(*s);
}

void Compiler::statement(const Stmt &s)
{
    stmtMark(s.line, s.col);
    switch (s.kind) {
    case Stmt::Assign: assign(s, false); break;
    case Stmt::Set: assign(s, true); break;
    case Stmt::CallS: callStatement(s); break;
    case Stmt::Dim: dimStmt(s); break;
    case Stmt::ReDim: redimStmt(s); break;
    case Stmt::Const:
        for (const Decl &d : s.decls) {
            Variant v = fold(*d.dims[0]);
            if (cur().isGlobal) m_vm.constants.insert(d.name.toLower(), v);
            else cur().proc->localConsts.insert(d.name.toLower(), v);
        }
        break;
    case Stmt::Erase:
        for (const ExprP &e : s.args) {
            uint8_t sc; int a;
            if (e->kind != Expr::Name || !varAccess(resolve(e->name.toLower()), &sc, &a)) {
                if (e->kind == Expr::Name) { gen(OpErase, ScName, 0, nameIndex(e->name)); continue; }
                fail(1002, e->line, e->col);
            }
            gen(OpErase, sc, 0, a);
        }
        break;
    case Stmt::If: {
        std::vector<int> ends;
        for (size_t i = 0; i < s.conds.size(); ++i) {
            if (i > 0) stmtMark(s.conds[i]->line, s.conds[i]->col);
            expr(*s.conds[i]);
            int jf = gen(OpJmpFalse);
            block(s.blocks[i]);
            if (i + 1 < s.blocks.size()) ends.push_back(gen(OpJmp));
            patch(jf);
        }
        if (s.blocks.size() > s.conds.size()) block(s.blocks.back());
        for (int j : ends) patch(j);
        break;
    }
    case Stmt::Select: selectStmt(s); break;
    case Stmt::For: forStmt(s); break;
    case Stmt::ForEach: forEachStmt(s); break;
    case Stmt::Do: doStmt(s); break;
    case Stmt::While: {
        int top = here();
        cur().loops.push_back(LoopCtx{int(Kw::While), {}});
        expr(*s.value);
        int jf = gen(OpJmpFalse);
        block(s.blocks[0]);
        gen(OpJmpBack, 0, 0, top);
        patch(jf);
        cur().loops.pop_back();
        break;
    }
    case Stmt::Exit: {
        Kw k = Kw(s.exitKind);
        if (k == Kw::Do || k == Kw::For) {
            for (auto it = cur().loops.rbegin(); it != cur().loops.rend(); ++it)
                if (it->kind == int(k)) { it->exits.push_back(gen(OpJmp)); return; }
            fail(1039, s.line, s.col);
        }
        ProcKind pk = cur().proc->kind;
        bool ok = cur().proc->name.isEmpty() ? false
                  : (k == Kw::Sub && pk == ProcSub) || (k == Kw::Function && pk == ProcFunction)
                        || (k == Kw::Property && (pk == ProcGet || pk == ProcLet || pk == ProcSet));
        if (!ok) fail(1039, s.line, s.col);
        cur().exitProc.push_back(gen(OpJmp));
        break;
    }
    case Stmt::With: {
        int slot = newTemp();
        expr(*s.value);
        gen(OpStoreRaw, ScLocal, 0, slot);
        cur().withSlots.push_back(slot);
        block(s.blocks[0]);
        cur().withSlots.pop_back();
        gen(OpPushEmpty);
        gen(OpStoreRaw, ScLocal, 0, slot);
        break;
    }
    case Stmt::OnErrorResume: gen(OpOnErrorResume); break;
    case Stmt::OnErrorGoto0: gen(OpOnErrorGoto0); break;
    case Stmt::Nop: break;
    }
}

void Compiler::dimStmt(const Stmt &s)
{
    for (const Decl &d : s.decls) {
        if (!d.isArray) continue;
        R r = resolve(d.name.toLower());
        uint8_t sc; int a;
        if (!varAccess(r, &sc, &a)) { sc = ScName; a = nameIndex(d.name); }
        if (d.dims.empty()) { gen(OpDimEmpty, sc, 0, a); continue; }
        for (const ExprP &e : d.dims) expr(*e);
        gen(OpReDim, sc, int(d.dims.size()) | 0x4000, a);
    }
}

void Compiler::redimStmt(const Stmt &s)
{
    for (const Decl &d : s.decls) {
        R r = resolve(d.name.toLower());
        uint8_t sc; int a;
        if (!varAccess(r, &sc, &a)) { sc = ScName; a = nameIndex(d.name); }
        for (const ExprP &e : d.dims) expr(*e);
        gen(OpReDim, sc, int(d.dims.size()) | (s.preserve ? 0x8000 : 0), a);
    }
}

void Compiler::assign(const Stmt &s, bool isSet)
{
    const Expr &t = *s.target;
    if (t.kind == Expr::Name) {
        QString n = t.name.toLower();
        R r = resolve(n);
        uint8_t sc; int a;
        if (varAccess(r, &sc, &a)) {
            if (!isSet && s.value->kind == Expr::Binary && s.value->op == ops::Concat) {
                // s = s & a & b: append to the variable instead of copying it each time
                std::vector<const Expr *> rights;
                const Expr *e = s.value.get();
                while (e->kind == Expr::Binary && e->op == ops::Concat) { rights.push_back(e->b.get()); e = e->a.get(); }
                if (e->kind == Expr::Name && e->name.toLower() == n) {
                    for (auto it = rights.rbegin(); it != rights.rend(); ++it) {
                        expr(**it);
                        gen(OpConcatAssign, sc, 0, a);
                    }
                    return;
                }
            }
            expr(*s.value);
            gen(isSet ? OpSet : OpStore, sc, 0, a);
            return;
        }
        if (r.k == RMember) {
            // a property of Me assigned by its bare name
            const ClassMember &m = cur().cls->members[r.idx];
            Proc *p = isSet ? (m.set ? m.set : m.let) : (m.let ? m.let : m.set);
            if (!p) { gen(OpRaise, 0, 0, 450); return; }
            expr(*s.value);
            gen(OpCallProc, 1, 1, p->id);
            return;
        }
        if (r.k == RItem) {
            gen(OpLoad, ScGlobal, 0, m_vm.items[r.item].global);
            expr(*s.value);
            gen(OpPutMember, isSet ? 1 : 0, 0, nameIndex(t.name));
            return;
        }
        if (r.k == RConst || r.k == RProc || r.k == RBuiltin) {
            expr(*s.value);
            gen(OpPop);
            gen(OpRaise, 0, 0, 501);
            return;
        }
        expr(*s.value);
        gen(isSet ? OpSet : OpStore, ScName, 0, nameIndex(t.name));
        return;
    }
    if (t.kind == Expr::Member) {
        if (t.a && t.a->kind == Expr::Me && cur().cls) {
            R r = resolve(t.name.toLower());
            if (r.k == RField) {
                expr(*s.value);
                gen(isSet ? OpSet : OpStore, ScField, 0, r.idx);
                return;
            }
        }
        memberObject(t);
        expr(*s.value);
        gen(OpPutMember, isSet ? 1 : 0, 0, nameIndex(t.name));
        return;
    }
    if (t.kind == Expr::Call) {
        const Expr &callee = *t.a;
        if (callee.kind == Expr::Name) {
            R r = resolve(callee.name.toLower());
            uint8_t sc; int a;
            bool var = varAccess(r, &sc, &a);
            if (!var && r.k == RUnknown) { sc = ScName; a = nameIndex(callee.name); var = true; }
            if (var) {
                for (const ExprP &e : t.args) expr(*e);
                expr(*s.value);
                gen(isSet ? OpSetIndex : OpStoreIndex, sc, int(t.args.size()), a);
                return;
            }
            if (r.k == RMember) {
                const ClassMember &m = cur().cls->members[r.idx];
                Proc *p = isSet ? (m.set ? m.set : m.let) : (m.let ? m.let : m.set);
                if (!p) { gen(OpRaise, 0, 0, 450); return; }
                for (const ExprP &e : t.args) expr(*e);
                expr(*s.value);
                gen(OpCallProc, 1, int(t.args.size()) + 1, p->id);
                return;
            }
            if (r.k == RItem) {
                gen(OpLoad, ScGlobal, 0, m_vm.items[r.item].global);
                for (const ExprP &e : t.args) expr(*e);
                expr(*s.value);
                gen(OpPutMember, isSet ? 1 : 0, int(t.args.size()), nameIndex(callee.name));
                return;
            }
            gen(OpRaise, 0, 0, 501);
            return;
        }
        if (callee.kind == Expr::Member) {
            memberObject(callee);
            for (const ExprP &e : t.args) expr(*e);
            expr(*s.value);
            gen(OpPutMember, isSet ? 1 : 0, int(t.args.size()), nameIndex(callee.name));
            return;
        }
        expr(callee);
        for (const ExprP &e : t.args) expr(*e);
        expr(*s.value);
        gen(OpPutValue, isSet ? 1 : 0, int(t.args.size()));
        return;
    }
    fail(1002, t.line, t.col);
}

void Compiler::pushArg(const Expr &e, bool byRef)
{
    if (byRef && e.kind == Expr::Name) {
        R r = resolve(e.name.toLower());
        uint8_t sc; int a;
        if (varAccess(r, &sc, &a)) { gen(OpRef, sc, 0, a); return; }
        if (r.k == RUnknown) { gen(OpRef, ScName, 0, nameIndex(e.name)); return; }
    }
    if (byRef && e.kind == Expr::Call && e.a->kind == Expr::Name && !e.args.empty()) {
        R r = resolve(e.a->name.toLower());
        uint8_t sc; int a;
        bool recursion = r.k == RLocal && cur().proc->resultSlot == r.idx;
        if (!recursion && varAccess(r, &sc, &a)) {
            const int n = int(e.args.size());
            const int first = cur().proc->nlocals;
            for (int k = 0; k < n; ++k) newTemp();
            for (int k = 0; k < n; ++k) {
                expr(*e.args[k]);
                gen(OpStoreRaw, ScLocal, 0, first + k);
            }
            for (int k = 0; k < n; ++k) gen(OpLoad, ScLocal, 0, first + k);
            gen(OpIndex, sc, n, a);
            const int value = newTemp();
            gen(OpStoreRaw, ScLocal, 0, value);
            gen(OpRef, ScLocal, 0, value);
            m_writeBacks.push_back(WriteBack{sc, a, first, n, value});
            return;
        }
    }
    if (e.kind == Expr::Paren) { expr(*e.a); return; }
    expr(e);
}

size_t Compiler::pushArgs(const std::vector<ExprP> &args, Proc *target)
{
    const size_t mark = m_writeBacks.size();
    for (size_t i = 0; i < args.size(); ++i) {
        bool byRef = true;
        if (target && int(i) < target->nparams) byRef = !target->byVal[i];
        // elements go by reference only to script procedures
        if (!target && args[i]->kind == Expr::Call) byRef = false;
        pushArg(*args[i], byRef);
    }
    return mark;
}

void Compiler::writeBack(size_t mark)
{
    for (size_t i = mark; i < m_writeBacks.size(); ++i) {
        const WriteBack &w = m_writeBacks[i];
        for (int k = 0; k < w.n; ++k) gen(OpLoad, ScLocal, 0, w.firstTemp + k);
        gen(OpLoad, ScLocal, 0, w.valueTemp);
        gen(OpWriteBack, w.sc, w.n, w.a);
        for (int k = 0; k <= w.n; ++k) {
            gen(OpPushEmpty);
            gen(OpStoreRaw, ScLocal, 0, k < w.n ? w.firstTemp + k : w.valueTemp);
        }
    }
    m_writeBacks.resize(mark);
}

void Compiler::memberObject(const Expr &m)
{
    if (!m.a) {
        if (cur().withSlots.empty()) fail(1002, m.line, m.col);
        gen(OpLoad, ScLocal, 0, cur().withSlots.back());
        return;
    }
    expr(*m.a);
}

void Compiler::callStatement(const Stmt &s)
{
    const Expr &t = *s.target;
    if (t.kind == Expr::Name) {
        R r = resolve(t.name.toLower());
        switch (r.k) {
        case RProc: {
            Proc *p = m_vm.procs[r.idx].get();
            size_t mark = pushArgs(s.args, p);
            gen(OpCallProc, 1, int(s.args.size()), p->id);
            writeBack(mark);
            return;
        }
        case RMember: {
            const ClassMember &m = cur().cls->members[r.idx];
            Proc *p = m.method ? m.method : m.get;
            if (!p) { gen(OpRaise, 0, 0, 438); return; }
            size_t mark = pushArgs(s.args, p);
            gen(OpCallProc, 1, int(s.args.size()), p->id);
            writeBack(mark);
            return;
        }
        case RBuiltin:
            for (const ExprP &e : s.args) pushArg(*e, false);
            gen(OpCallBuiltin, 1, int(s.args.size()), r.idx);
            return;
        case RItem:
            gen(OpLoad, ScGlobal, 0, m_vm.items[r.item].global);
            pushArgs(s.args, nullptr);
            gen(OpCallMember, 1, int(s.args.size()), nameIndex(t.name));
            return;
        case RUnknown:
            pushArgs(s.args, nullptr);
            gen(OpCallName, 1, int(s.args.size()), nameIndex(t.name));
            return;
        default: {
            uint8_t sc; int a;
            if (varAccess(r, &sc, &a)) {
                for (const ExprP &e : s.args) pushArg(*e, false);
                gen(OpIndex, sc, int(s.args.size()), a);
                gen(OpPop);
                return;
            }
            gen(OpRaise, 0, 0, 13);
            return;
        }
        }
    }
    if (t.kind == Expr::Member) {
        if (t.a && t.a->kind == Expr::Me && cur().cls) {
            R r = resolve(t.name.toLower());
            if (r.k == RMember) {
                const ClassMember &m = cur().cls->members[r.idx];
                Proc *p = m.method ? m.method : m.get;
                if (p) {
                    pushArgs(s.args, p);
                    gen(OpCallProc, 1, int(s.args.size()), p->id);
                    return;
                }
            }
        }
        memberObject(t);
        pushArgs(s.args, nullptr);
        gen(OpCallMember, 1, int(s.args.size()), nameIndex(t.name));
        return;
    }
    expr(t);
    pushArgs(s.args, nullptr);
    gen(OpCallValue, 1, int(s.args.size()));
}

void Compiler::forStmt(const Stmt &s)
{
    R r = resolve(s.target->name.toLower());
    uint8_t sc; int a;
    if (!varAccess(r, &sc, &a)) {
        if (r.k != RUnknown) fail(1040, s.target->line, s.target->col);
        sc = ScName;
        a = nameIndex(s.target->name);
    }
    int temps = newTemp();
    newTemp();
    expr(*s.value);
    gen(OpStore, sc, 0, a);
    expr(*s.to);
    gen(OpStore, ScLocal, 0, temps);
    if (s.step) expr(*s.step);
    else gen(OpPushConst, 0, 0, constIndex(Variant::integer(1)));
    gen(OpStore, ScLocal, 0, temps + 1);
    gen(OpForCheck, sc, temps, a);
    int jf = gen(OpJmpFalse);
    int top = here();
    cur().loops.push_back(LoopCtx{int(Kw::For), {}});
    block(s.blocks[0]);
    stmtMark(s.endLine, s.endCol);
    gen(OpForNext, sc, temps, a);
    gen(OpNop, 0, 0, top);
    patch(jf);
    for (int j : cur().loops.back().exits) patch(j);
    cur().loops.pop_back();
}

void Compiler::forEachStmt(const Stmt &s)
{
    R r = resolve(s.target->name.toLower());
    uint8_t sc; int a;
    if (!varAccess(r, &sc, &a)) {
        if (r.k != RUnknown) fail(1040, s.target->line, s.target->col);
        sc = ScName;
        a = nameIndex(s.target->name);
    }
    int en = newTemp();
    expr(*s.value);
    gen(OpForEachInit, 0, en);
    int top = here();
    gen(OpForEachNext, sc, en, a);
    int exitSlot = gen(OpNop);
    cur().loops.push_back(LoopCtx{int(Kw::For), {}});
    block(s.blocks[0]);
    stmtMark(s.endLine, s.endCol);
    gen(OpJmpBack, 0, 0, top);
    patch(exitSlot);
    for (int j : cur().loops.back().exits) patch(j);
    cur().loops.pop_back();
    gen(OpPushEmpty);
    gen(OpStoreRaw, ScLocal, 0, en);
}

void Compiler::doStmt(const Stmt &s)
{
    cur().loops.push_back(LoopCtx{int(Kw::Do), {}});
    int top = here();
    int jexit = -1;
    if (s.condKind && !s.condAtEnd) {
        expr(*s.value);
        jexit = gen(s.condKind == 1 ? OpJmpFalse : OpJmpTrue);
    }
    block(s.blocks[0]);
    stmtMark(s.endLine, s.endCol);
    if (s.condKind && s.condAtEnd) {
        expr(*s.value);
        // loop back while the condition holds (While) or fails (Until)
        int jout = gen(s.condKind == 1 ? OpJmpFalse : OpJmpTrue);
        gen(OpJmpBack, 0, 0, top);
        patch(jout);
    } else {
        gen(OpJmpBack, 0, 0, top);
    }
    if (jexit >= 0) patch(jexit);
    for (int j : cur().loops.back().exits) patch(j);
    cur().loops.pop_back();
}

void Compiler::selectStmt(const Stmt &s)
{
    int subj = newTemp();
    expr(*s.value);
    gen(OpStoreRaw, ScLocal, 0, subj);
    std::vector<int> ends;
    for (const CaseClause &c : s.cases) {
        stmtMark(c.line, c.col);
        if (c.isElse) {
            block(c.body);
            break;
        }
        std::vector<int> toBody;
        for (const CaseItem &it : c.items) {
            gen(OpLoad, ScLocal, 0, subj);
            if (it.kind == 2) {
                expr(*it.e1);
                expr(*it.e2);
                gen(OpCaseTo);
            } else {
                expr(*it.e1);
                gen(OpBinary, uint8_t(it.kind == 1 ? it.op : ops::Eq), isLiteral(*it.e1) ? 2 : 0);
            }
            toBody.push_back(gen(OpJmpTrue));
        }
        int skip = gen(OpJmp);
        for (int j : toBody) patch(j);
        block(c.body);
        ends.push_back(gen(OpJmp));
        patch(skip);
    }
    for (int j : ends) patch(j);
    gen(OpPushEmpty);
    gen(OpStoreRaw, ScLocal, 0, subj);
}

// ---- expressions -------------------------------------------------------------------

bool Compiler::isLiteral(const Expr &e) const
{
    if (e.kind == Expr::Literal) return !e.value.isEmpty() && !e.value.isNull() && !e.value.isObject();
    if (e.kind == Expr::Unary && e.op == UnNeg) return isLiteral(*e.a);
    return false;
}

void Compiler::loadName(const Expr &e)
{
    QString n = e.name.toLower();
    R r = resolve(n);
    uint8_t sc; int a;
    if (varAccess(r, &sc, &a)) { gen(OpLoad, sc, 0, a); return; }
    switch (r.k) {
    case RConst:
        if (r.value.isEmpty()) gen(OpPushEmpty);
        else gen(OpPushConst, 0, 0, constIndex(r.value));
        return;
    case RProc: gen(OpCallProc, 0, 0, m_vm.procs[r.idx]->id); return;
    case RMember: {
        const ClassMember &m = cur().cls->members[r.idx];
        Proc *p = m.get ? m.get : m.method;
        if (!p) { gen(OpRaise, 0, 0, 450); return; }
        gen(OpCallProc, 0, 0, p->id);
        return;
    }
    case RBuiltin: gen(OpCallBuiltin, 0, 0, r.idx); return;
    case RItem:
        gen(OpLoad, ScGlobal, 0, m_vm.items[r.item].global);
        gen(OpCallMember, 0, 0, nameIndex(e.name));
        return;
    default: gen(OpLoad, ScName, 0, nameIndex(e.name)); return;
    }
}

void Compiler::callExpr(const Expr &e, bool discard)
{
    const Expr &callee = *e.a;
    const uint8_t d = discard ? 1 : 0;
    const int n = int(e.args.size());
    if (callee.kind == Expr::Name) {
        R r = resolve(callee.name.toLower());
        uint8_t sc; int a;
        if (varAccess(r, &sc, &a)) {
            if (r.k == RLocal && cur().proc->resultSlot == a && n > 0) {
                // recursive call of the function being compiled
                Proc *self = cur().proc;
                size_t mark = pushArgs(e.args, self);
                gen(OpCallProc, d, n, self->id);
                writeBack(mark);
                return;
            }
            for (const ExprP &x : e.args) pushArg(*x, false);
            gen(OpIndex, sc, n, a);
            return;
        }
        switch (r.k) {
        case RProc: {
            Proc *p = m_vm.procs[r.idx].get();
            size_t mark = pushArgs(e.args, p);
            gen(OpCallProc, d, n, p->id);
            writeBack(mark);
            return;
        }
        case RMember: {
            const ClassMember &m = cur().cls->members[r.idx];
            Proc *p = m.get ? m.get : m.method;
            if (!p) { gen(OpRaise, 0, 0, 450); return; }
            size_t mark = pushArgs(e.args, p);
            gen(OpCallProc, d, n, p->id);
            writeBack(mark);
            return;
        }
        case RBuiltin:
            for (const ExprP &x : e.args) pushArg(*x, false);
            gen(OpCallBuiltin, d, n, r.idx);
            return;
        case RItem:
            gen(OpLoad, ScGlobal, 0, m_vm.items[r.item].global);
            pushArgs(e.args, nullptr);
            gen(OpCallMember, d, n, nameIndex(callee.name));
            return;
        case RConst:
            gen(OpPushConst, 0, 0, constIndex(r.value));
            for (const ExprP &x : e.args) pushArg(*x, false);
            gen(OpCallValue, d, n);
            return;
        default:
            pushArgs(e.args, nullptr);
            gen(OpCallName, d, n, nameIndex(callee.name));
            return;
        }
    }
    if (callee.kind == Expr::Member) {
        if (callee.a && callee.a->kind == Expr::Me && cur().cls) {
            R r = resolve(callee.name.toLower());
            if (r.k == RMember) {
                const ClassMember &m = cur().cls->members[r.idx];
                Proc *p = m.get ? m.get : m.method;
                if (p) {
                    pushArgs(e.args, p);
                    gen(OpCallProc, d, n, p->id);
                    return;
                }
            }
        }
        memberObject(callee);
        pushArgs(e.args, nullptr);
        gen(OpCallMember, d, n, nameIndex(callee.name));
        return;
    }
    expr(callee);
    for (const ExprP &x : e.args) pushArg(*x, false);
    gen(OpCallValue, d, n);
}

void Compiler::expr(const Expr &e)
{
    switch (e.kind) {
    case Expr::Literal:
        if (e.value.isEmpty()) gen(OpPushEmpty);
        else gen(OpPushConst, 0, 0, constIndex(e.value));
        return;
    case Expr::Missing: gen(OpPushConst, 0, 0, constIndex(Variant::missing())); return;
    case Expr::Name: loadName(e); return;
    case Expr::Paren: expr(*e.a); return;
    case Expr::Me:
        if (!cur().cls) fail(1037, e.line, e.col);
        gen(OpMe);
        return;
    case Expr::New: {
        auto ci = m_vm.classIndex.constFind(e.name.toLower());
        if (ci != m_vm.classIndex.constEnd()) gen(OpNew, 0, 0, *ci);
        else gen(OpNewName, 0, 0, nameIndex(e.name));
        return;
    }
    case Expr::Member:
        if (e.a && e.a->kind == Expr::Me && cur().cls) {
            R r = resolve(e.name.toLower());
            if (r.k == RField) { gen(OpLoad, ScField, 0, r.idx); return; }
            if (r.k == RMember) {
                const ClassMember &m = cur().cls->members[r.idx];
                Proc *p = m.get ? m.get : m.method;
                if (p) { gen(OpCallProc, 0, 0, p->id); return; }
            }
        }
        memberObject(e);
        gen(OpCallMember, 0, 0, nameIndex(e.name));
        return;
    case Expr::Call: callExpr(e, false); return;
    case Expr::Unary:
        if (e.op == UnNeg && e.a->kind == Expr::Literal && !e.a->value.isEmpty()) {
            try {
                gen(OpPushConst, 0, 0, constIndex(ops::neg(e.a->value)));
                return;
            } catch (const AutomationError &) {}
        }
        expr(*e.a);
        gen(e.op == UnNeg ? OpNeg : OpNot);
        return;
    case Expr::Binary:
        expr(*e.a);
        expr(*e.b);
        gen(OpBinary, uint8_t(e.op), (isLiteral(*e.a) ? 1 : 0) | (isLiteral(*e.b) ? 2 : 0));
        return;
    }
}

} // namespace vorn::vbs
