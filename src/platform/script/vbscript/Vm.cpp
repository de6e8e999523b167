// The instruction loop, calls between procedures, script class instances and the
// error handling of On Error Resume Next (continue with the next statement).
#include "platform/script/vbscript/Vm.h"
#include "platform/automation/VariantOps.h"
#include "platform/script/ScriptEngine.h"
#include "platform/script/vbscript/RegExp.h"
#include "platform/script/vbscript/Runtime.h"
#include <cmath>
#include <pthread.h>

namespace vorn::vbs {

static constexpr int StackSize = 1 << 17;   // variants; references into it stay valid
static constexpr int MaxDepth = 3000;       // nested calls before "out of stack space"

const StmtPos *Proc::statementAt(int pc) const
{
    const StmtPos *best = nullptr;
    for (const StmtPos &s : stmts) {
        if (s.pc > pc) break;
        best = &s;
    }
    return best;
}

int Proc::nextStatement(int pc) const
{
    for (const StmtPos &s : stmts)
        if (s.pc > pc) return s.pc;
    return -1;
}

Variant defaultValue(const Variant &v0)
{
    const Variant &v = v0.deref();
    if (!v.isObject()) return v;
    DispatchObject *o = v.rawObject();
    if (!o) throw AutomationError(91);
    CallArgs none;
    Variant r;
    try {
        r = o->invoke(DISPID_VALUE, InvokeGet | InvokeMethod, none);
    } catch (const AutomationError &e) {
        if (e.number() == 438) throw AutomationError(438);
        throw;
    }
    if (r.isObject()) return defaultValue(r);
    return r;
}

// ---- script objects ----------------------------------------------------------------

ScriptObject::ScriptObject(Vm *vm, ClassDef *cls) : m_vm(vm), m_alive(vm->alive), m_cls(cls), m_fields(size_t(cls->fieldCount))
{
    for (int i = 0; i < cls->fieldCount; ++i) {
        if (!cls->fieldIsArray[i]) continue;
        const auto &dims = cls->fieldDims[i];
        QVector<SafeArray::Bound> b;
        for (int ub : dims) b.append({0, ub + 1});
        auto *a = new SafeArray(b);
        if (!dims.empty()) a->setFixed(true);
        m_fields[i] = Variant::array(a);
    }
}

ScriptObject::~ScriptObject() = default;

QString ScriptObject::className() const { return m_cls->name; }
const TypeInfo *ScriptObject::typeInfo() const { return &m_cls->typeInfo; }

int ScriptObject::memberId(const QString &name) const
{
    auto it = m_cls->byName.constFind(name.toLower());
    if (it == m_cls->byName.constEnd() || !m_cls->members[*it].isPublic) return DISPID_UNKNOWN;
    return *it + 1;
}

void ScriptObject::initialize()
{
    if (m_cls->initialize) m_vm->call(m_cls->initialize, this, nullptr, 0);
}

Variant ScriptObject::invoke(int dispId, int kind, CallArgs &args)
{
    if (!m_alive->load()) throw AutomationError(AutomationError::Unexpected, QStringLiteral("Сценарий завершен"), QString());
    int idx = dispId == DISPID_VALUE ? m_cls->defaultMember : dispId - 1;
    if (idx < 0 || idx >= int(m_cls->members.size())) throw AutomationError(438);
    const ClassMember &m = m_cls->members[idx];
    if (kind & (InvokePut | InvokePutRef)) {
        if (m.field >= 0) {
            Variant &f = m_fields[m.field];
            Variant value = args.v[args.n - 1].deref();
            if (!(kind & InvokePutRef) && value.isObject()) value = defaultValue(value);
            if (args.n == 1) { f = std::move(value); return Variant(); }
            CallArgs idxArgs{args.v, args.n - 1};
            if (!f.isArray()) throw AutomationError(13);
            SafeArray *a = f.arrayForWrite();
            QVector<int> ix(idxArgs.n);
            for (int i = 0; i < idxArgs.n; ++i) ix[i] = idxArgs[i].toLong();
            int off = a->offset(ix.data(), int(ix.size()));
            if (off < 0) throw AutomationError(9);
            a->at(off) = std::move(value);
            return Variant();
        }
        Proc *p = (kind & InvokePutRef) && m.set ? m.set : m.let ? m.let : m.set;
        if (!p) throw AutomationError(438);
        return m_vm->call(p, this, args.v, args.n);
    }
    if (m.field >= 0) {
        const Variant &f = m_fields[m.field];
        if (args.n == 0) return f;
        if (!f.isArray()) throw AutomationError(13);
        QVector<int> ix(args.n);
        for (int i = 0; i < args.n; ++i) ix[i] = args[i].toLong();
        int off = f.rawArray()->offset(ix.data(), int(ix.size()));
        if (off < 0) throw AutomationError(9);
        return f.rawArray()->at(off);
    }
    Proc *p = m.method ? m.method : m.get;
    if (!p) throw AutomationError(438);
    return m_vm->call(p, this, args.v, args.n);
}

void ScriptObject::finalRelease()
{
    if (m_cls->terminate && m_alive->load()) {
        addRef();   // alive while Class_Terminate runs
        try {
            m_vm->call(m_cls->terminate, this, nullptr, 0);
        } catch (...) {
            // errors inside Class_Terminate are not reported
        }
        if (refCount() > 1) { release(); return; }
    }
    for (Variant &f : m_fields) f.clear();
    delete this;
}

// ---- the machine -----------------------------------------------------------------------

Vm::Vm()
    : alive(std::make_shared<std::atomic<bool>>(true)),
      m_stack(new Variant[StackSize]), m_sp(m_stack.get()), m_stackEnd(m_stack.get() + StackSize)
{
    registerConstants(constants);
    m_err = newErrObject(this);
}

Vm::~Vm()
{
    alive->store(false);
}

int Vm::globalSlot(const QString &name, bool create)
{
    auto it = globalIndex.constFind(name);
    if (it != globalIndex.constEnd()) return *it;
    if (!create) return -1;
    int i = int(m_globals.size());
    m_globals.emplace_back();
    globalIndex.insert(name, i);
    return i;
}

DispatchObject *Vm::errObject() { return m_err.get(); }

ScriptObject *Vm::newObject(ClassDef *cls)
{
    auto *o = new ScriptObject(this, cls);
    ObjectPtr<ScriptObject> hold(o);
    o->initialize();
    o->addRef();      // the caller's reference
    return o;         // hold drops its own reference, leaving the caller's
}

void Vm::raiseIfInterrupted() const
{
    if (interruptFlag && interruptFlag->load(std::memory_order_relaxed) && stopRequested())
        throw Interrupted{};
}

static void prepareArgs(Proc *p, Variant *args, int n)
{
    if (n != p->nparams) throw AutomationError(450, p->name);
    for (int i = 0; i < n; ++i)
        if (p->byVal[i] && args[i].isRef()) args[i] = Variant(*args[i].refTarget());
}

Variant Vm::call(Proc *proc, ScriptObject *me, Variant *args, int n)
{
    Variant *base = m_sp;
    if (base + n + proc->nlocals + 64 > m_stackEnd) throw AutomationError(28);
    for (int i = 0; i < n; ++i) base[i] = args[i];
    m_sp = base + n;
    try {
        prepareArgs(proc, base, n);
    } catch (...) {
        for (int i = n - 1; i >= 0; --i) base[i].clear();
        m_sp = base;
        throw;
    }
    return execute(proc, base, me);
}

Variant Vm::callWithParent(Proc *proc, ScriptObject *me, Variant *parentBase)
{
    m_upBase = parentBase;
    return execute(proc, m_sp, me);
}

Variant &Vm::resolveName(Ins &ins, Proc *proc)
{
    const QString &name = proc->names[ins.a];
    QString l = name.toLower();
    int g = globalSlot(l, false);
    if (g < 0) {
        if (optionExplicit) throw AutomationError(500, name);
        g = globalSlot(l, true);
    }
    ins.sc = ScGlobal;
    ins.a = g;
    return m_globals[g];
}

static Variant *arrayElement(SafeArray *a, Variant *args, int n)
{
    int ix[60];
    if (n > 60 || n != a->dimensions()) throw AutomationError(9);
    for (int i = 0; i < n; ++i) {
        const Variant &v = args[i].deref();
        ix[i] = (v.type() == VarType::Integer || v.type() == VarType::Long) ? v.rawInt() : v.toLong();
    }
    int off = a->offset(ix, n);
    if (off < 0) throw AutomationError(9);
    return &a->at(off);
}

Variant Vm::index(Variant &var0, Variant *args, int n)
{
    Variant &var = var0.deref();
    if (n == 0) return var;
    if (var.isArray()) return *arrayElement(var.rawArray(), args, n);
    if (var.isObject()) {
        DispatchObject *o = var.rawObject();
        if (!o) throw AutomationError(91);
        CallArgs a{args, n};
        return o->invoke(DISPID_VALUE, InvokeGet | InvokeMethod, a);
    }
    throw AutomationError(13);
}

void Vm::storeIndex(Variant &var0, Variant *args, int n, Variant &value, bool isSet)
{
    Variant &var = var0.deref();
    if (var.isArray()) {
        if (isSet && !value.isObject()) throw AutomationError(424);
        if (!isSet && value.isObject()) value = defaultValue(value);
        SafeArray *a = var.arrayForWrite();
        *arrayElement(a, args, n) = std::move(value);
        return;
    }
    if (var.isObject()) {
        DispatchObject *o = var.rawObject();
        if (!o) throw AutomationError(91);
        std::vector<Variant> all(args, args + n);
        all.push_back(value);
        CallArgs a{all.data(), int(all.size())};
        o->invoke(DISPID_VALUE, isSet ? InvokePutRef : InvokePut, a);
        return;
    }
    throw AutomationError(13);
}

void Vm::redim(Variant &var0, Variant *dims, int n, bool preserve, bool fixed)
{
    Variant &var = var0.deref();
    QVector<SafeArray::Bound> b(n);
    for (int i = 0; i < n; ++i) {
        int ub = dims[i].deref().toLong();
        if (ub < -1) throw AutomationError(9);
        b[i] = {0, ub + 1};
    }
    if (var.isArray() && var.rawArray()->fixed()) throw AutomationError(10);
    if (var.isArray() && var.rawArray()->locked()) throw AutomationError(10);
    if (preserve && var.isArray() && var.rawArray()->dimensions() > 0) {
        var.arrayForWrite()->redimPreserve(b);
        return;
    }
    auto *a = new SafeArray(b);
    a->setFixed(fixed);
    var = Variant::array(a);
}

Variant Vm::callMember(Proc *proc, int pc, const Variant &target0, int nameIdx, int kind, Variant *args, int n)
{
    const Variant &target = target0.deref();
    if (!target.isObject()) throw AutomationError(424, proc->names[nameIdx]);
    DispatchObject *o = target.rawObject();
    if (!o) throw AutomationError(424, proc->names[nameIdx]);
    MemberCache &c = proc->caches[pc];
    const void *key = o->typeInfo();
    int id;
    if (key && c.key == key) {
        id = c.dispId;
    } else {
        id = o->memberId(proc->names[nameIdx]);
        if (id == DISPID_UNKNOWN) throw AutomationError(438, proc->names[nameIdx]);
        if (key) { c.key = key; c.dispId = id; }
    }
    CallArgs a{args, n};
    return o->invoke(id, kind, a);
}

void Vm::putMember(Proc *proc, int pc, const Variant &target0, int nameIdx, bool isSet, Variant *args, int n)
{
    const Variant &target = target0.deref();
    if (!target.isObject() || !target.rawObject()) throw AutomationError(424, proc->names[nameIdx]);
    Variant &value = args[n].deref();
    if (!isSet && value.isObject()) value = defaultValue(value);
    if (isSet && !value.isObject()) throw AutomationError(424);
    callMember(proc, pc, target, nameIdx, isSet ? InvokePutRef : InvokePut, args, n + 1);
}

Variant Vm::callName(Proc *proc, Ins &ins, Variant *args, int n, ScriptObject *, Variant *)
{
    const QString &name = proc->names[ins.a];
    QString l = name.toLower();
    auto pi = procIndex.constFind(l);
    if (pi != procIndex.constEnd()) {
        Proc *p = procs[*pi].get();
        prepareArgs(p, args, n);
        // the arguments already sit where the callee's frame begins
        return execute(p, args, nullptr);
    }
    int g = globalSlot(l, false);
    if (g >= 0) return index(m_globals[g], args, n);
    for (const NamedItem &it : items) {
        if (!(it.flags & script::ItemGlobalMembers)) continue;
        const Variant &o = m_globals[it.global];
        if (o.isObject() && o.rawObject()) {
            int id = o.rawObject()->memberId(name);
            if (id != DISPID_UNKNOWN) {
                CallArgs a{args, n};
                return o.rawObject()->invoke(id, InvokeMethod | InvokeGet, a);
            }
        }
    }
    throw AutomationError(optionExplicit ? 500 : 13, name);
}

static inline bool truthy(const Variant &v0)
{
    const Variant &v = v0.deref();
    if (v.type() == VarType::Boolean) return v.rawBool();
    if (v.isNull()) return false;
    return v.toBool();
}

static inline Variant intResult(qint64 r, bool narrow)
{
    if (narrow && r >= -32768 && r <= 32767) return Variant::integer(int16_t(r));
    if (r >= INT32_MIN && r <= INT32_MAX) return Variant(int(r));
    return Variant(double(r));
}

// Binary operator with the common integer and double cases done inline.
static inline void binaryOp(int op, Variant &a, Variant &b, int lit)
{
    VarType ta = a.type(), tb = b.type();
    if ((ta == VarType::Integer || ta == VarType::Long) && (tb == VarType::Integer || tb == VarType::Long)) {
        qint64 x = a.rawInt(), y = b.rawInt();
        bool narrow = ta == VarType::Integer && tb == VarType::Integer;
        switch (op) {
        case ops::Add: a = intResult(x + y, narrow); return;
        case ops::Sub: a = intResult(x - y, narrow); return;
        case ops::Mul: a = intResult(x * y, narrow); return;
        case ops::Eq: a = Variant(x == y); return;
        case ops::Ne: a = Variant(x != y); return;
        case ops::Lt: a = Variant(x < y); return;
        case ops::Le: a = Variant(x <= y); return;
        case ops::Gt: a = Variant(x > y); return;
        case ops::Ge: a = Variant(x >= y); return;
        case ops::Mod: if (y) { a = intResult(x % y, narrow); return; } break;
        case ops::IntDiv: if (y) { a = intResult(x / y, narrow); return; } break;
        default: break;
        }
    } else if (ta == VarType::Double && tb == VarType::Double) {
        double x = a.rawDouble(), y = b.rawDouble();
        switch (op) {
        case ops::Add: a = Variant(x + y); if (!std::isinf(a.rawDouble())) return; break;
        case ops::Sub: a = Variant(x - y); if (!std::isinf(a.rawDouble())) return; break;
        case ops::Mul: a = Variant(x * y); if (!std::isinf(a.rawDouble())) return; break;
        case ops::Lt: a = Variant(x < y); return;
        case ops::Gt: a = Variant(x > y); return;
        case ops::Le: a = Variant(x <= y); return;
        case ops::Ge: a = Variant(x >= y); return;
        case ops::Eq: a = Variant(x == y); return;
        case ops::Ne: a = Variant(x != y); return;
        default: break;
        }
        a = Variant(x);
    } else if (op == ops::Concat && ta == VarType::String && !b.isNull()) {
        const QString t = tb == VarType::String ? b.rawString() : b.deref().toString();
        checkScriptStringLength(qint64(a.rawString().size()) + t.size());
        a.rawStringRef() += t;
        return;
    }
    switch (op) {
    case ops::Eq: case ops::Ne: case ops::Lt: case ops::Le: case ops::Gt: case ops::Ge:
        a = ops::compareOp(ops::Op(op), a, b, false, lit & 1, lit & 2);
        return;
    case ops::Is: a = Variant(ops::sameObject(a, b)); return;
    default: a = ops::binary(ops::Op(op), a, b); return;
    }
}

static bool forContinues(const Variant &counter, const Variant &limit, const Variant &step)
{
    if (counter.type() <= VarType::Long && limit.type() <= VarType::Long && step.type() <= VarType::Long
        && counter.type() >= VarType::Integer && limit.type() >= VarType::Integer && step.type() >= VarType::Integer)
        return step.rawInt() >= 0 ? counter.rawInt() <= limit.rawInt() : counter.rawInt() >= limit.rawInt();
    double c = counter.toDouble(), l = limit.toDouble(), s = step.toDouble();
    return s >= 0 ? c <= l : c >= l;
}

// The lowest address this thread's stack may grow to, less a margin for the
// library code a call runs (a deep script recursion ends with error 28 instead).
static const char *stackLimitOfThisThread()
{
    pthread_attr_t attr;
    void *addr = nullptr;
    size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attr) != 0) return nullptr;
    pthread_attr_getstack(&attr, &addr, &size);
    pthread_attr_destroy(&attr);
    return static_cast<const char *>(addr) + std::min<size_t>(size / 4, 1024 * 1024);
}

Variant Vm::execute(Proc *proc, Variant *base, ScriptObject *me)
{
    char probe;
    if (m_depth == 0) m_stackLimit = stackLimitOfThisThread();
    if (m_depth >= MaxDepth || base + proc->nlocals + 256 > m_stackEnd || (m_stackLimit && &probe < m_stackLimit))
        throw AutomationError(28);
    Variant *upBase = m_upBase;
    m_upBase = nullptr;
    ++m_depth;
    m_frames.push_back(Frame{proc, base, me});
    Variant *&sp = m_sp;
    sp = base + proc->nlocals;
    bool resumeNext = false;
    int pc = 0;
    Ins *code = proc->code.data();
    Variant *consts = proc->consts.data();

    // Variable of an instruction; ScName is resolved (and the instruction patched) here.
    auto var = [&](Ins &ins) -> Variant & {
        switch (ins.sc) {
        case ScLocal: return base[ins.a];
        case ScGlobal: return m_globals[ins.a];
        case ScField: if (!me) throw AutomationError(424); return me->field(ins.a);
        case ScUp: if (!upBase) throw AutomationError(500); return upBase[ins.a];
        default: return resolveName(ins, proc);
        }
    };
    auto finish = [&]() {
        // locals go from the top down; sp stays above what is being released
        Variant *top = sp;
        while (top > base) { --top; Variant v = std::move(*top); }
        sp = base;
        m_frames.pop_back();
        --m_depth;
    };

    for (;;) {
        try {
            for (;;) {
                Ins &ins = code[pc++];
                switch (Op(ins.op)) {
                case OpPushConst: *sp++ = consts[ins.a]; break;
                case OpPushEmpty: ++sp; break;
                case OpPop: { Variant v = std::move(*--sp); break; }
                case OpDup: *sp = sp[-1]; ++sp; break;
                case OpLoad: {
                    Variant &v = var(ins);
                    *sp++ = v.deref();
                    break;
                }
                case OpStore: {
                    Variant value = std::move(*--sp);
                    if (value.isObject()) value = defaultValue(value);
                    else if (value.isRef()) value = Variant(value.deref());
                    var(ins).deref() = std::move(value);
                    break;
                }
                case OpStoreRaw: {
                    Variant value = std::move(*--sp);
                    var(ins).deref() = std::move(value);
                    break;
                }
                case OpSet: {
                    Variant value = std::move(*--sp);
                    if (!value.deref().isObject()) throw AutomationError(424);
                    var(ins).deref() = Variant(value.deref());
                    break;
                }
                case OpRef: {
                    Variant &v = var(ins);
                    *sp++ = v.isRef() ? v : Variant::ref(&v);
                    break;
                }
                case OpIndex: {
                    Variant &v = var(ins).deref();
                    if (ins.n == 1 && v.isArray() && v.rawArray()->dimensions() == 1) {
                        // one-dimensional element with an integer index
                        const Variant &ix = sp[-1].deref();
                        if (ix.type() == VarType::Integer || ix.type() == VarType::Long) {
                            SafeArray *arr = v.rawArray();
                            const int k = ix.rawInt() - arr->lowerBound(0);
                            if (k < 0 || k >= arr->count()) throw AutomationError(9);
                            sp[-1] = arr->at(k);
                            break;
                        }
                    }
                    Variant r = index(v, sp - ins.n, ins.n);
                    for (int i = 0; i < ins.n; ++i) { Variant x = std::move(*--sp); }
                    *sp++ = std::move(r);
                    break;
                }
                case OpStoreIndex: case OpSetIndex: {
                    Variant &v = var(ins);
                    if (ins.op == OpStoreIndex && ins.n == 1) {
                        // one-dimensional element with an integer index, plain value
                        Variant &arrVar = v.deref();
                        const Variant &ix = sp[-2].deref();
                        const VarType vt = sp[-1].type();
                        if (arrVar.isArray() && arrVar.rawArray()->dimensions() == 1 && (ix.type() == VarType::Integer || ix.type() == VarType::Long)
                            && vt != VarType::Object && vt != VarType::ByRef) {
                            SafeArray *arr = arrVar.arrayForWrite();
                            const int k = ix.rawInt() - arr->lowerBound(0);
                            if (k < 0 || k >= arr->count()) throw AutomationError(9);
                            arr->at(k) = std::move(sp[-1]);
                            --sp;
                            Variant x = std::move(*--sp);
                            break;
                        }
                    }
                    Variant value = std::move(*--sp);
                    if (value.isRef()) value = Variant(value.deref());
                    storeIndex(v, sp - ins.n, ins.n, value, ins.op == OpSetIndex);
                    for (int i = 0; i < ins.n; ++i) { Variant x = std::move(*--sp); }
                    break;
                }
                case OpBinary: {
                    Variant &b = sp[-1], &a = sp[-2];
                    if (a.isRef()) a = Variant(a.deref());
                    const VarType ta = a.type(), tb = b.type();
                    if ((ta == VarType::Integer || ta == VarType::Long) && (tb == VarType::Integer || tb == VarType::Long)
                        && ins.sc >= ops::Eq && ins.sc <= ops::Ge) {
                        // integer comparison, usually followed by the jump that tests it
                        const int32_t x = a.rawInt(), y = b.rawInt();
                        bool r;
                        switch (ins.sc) {
                        case ops::Eq: r = x == y; break;
                        case ops::Ne: r = x != y; break;
                        case ops::Lt: r = x < y; break;
                        case ops::Le: r = x <= y; break;
                        case ops::Gt: r = x > y; break;
                        default: r = x >= y; break;
                        }
                        sp -= 2;
                        const Ins &nx = code[pc];
                        if (nx.op == OpJmpFalse) { pc = r ? pc + 1 : nx.a; break; }
                        if (nx.op == OpJmpTrue) { pc = r ? nx.a : pc + 1; break; }
                        *sp++ = Variant(r);
                        break;
                    }
                    if ((ta == VarType::Integer || ta == VarType::Long) && (tb == VarType::Integer || tb == VarType::Long)
                        && (ins.sc == ops::Add || ins.sc == ops::Sub)) {
                        const qint64 r = ins.sc == ops::Add ? qint64(a.rawInt()) + b.rawInt() : qint64(a.rawInt()) - b.rawInt();
                        a = intResult(r, ta == VarType::Integer && tb == VarType::Integer);
                        --sp;
                        break;
                    }
                    binaryOp(ins.sc, a, b, ins.n);
                    Variant drop = std::move(*--sp);
                    break;
                }
                case OpNeg: sp[-1] = ops::neg(sp[-1]); break;
                case OpNot: sp[-1] = ops::logicalNot(sp[-1]); break;
                case OpJmp: pc = ins.a; break;
                case OpJmpBack:
                    pc = ins.a;
                    if (interruptFlag && interruptFlag->load(std::memory_order_relaxed) && stopRequested()) throw Interrupted{};
                    break;
                case OpJmpFalse: {
                    Variant c = std::move(*--sp);
                    if (!truthy(c)) pc = ins.a;
                    break;
                }
                case OpJmpTrue: {
                    Variant c = std::move(*--sp);
                    if (truthy(c)) pc = ins.a;
                    break;
                }
                case OpCallProc: {
                    // recursion without loops must be stoppable too
                    if (interruptFlag && interruptFlag->load(std::memory_order_relaxed) && stopRequested()) throw Interrupted{};
                    Proc *p = procs[ins.a].get();
                    Variant *args = sp - ins.n;
                    prepareArgs(p, args, ins.n);
                    Variant r = execute(p, args, p->cls ? me : nullptr);
                    if (!(ins.sc & 1)) *sp++ = std::move(r);
                    break;
                }
                case OpCallBuiltin: {
                    const Builtin &b = builtins()[ins.a];
                    if (ins.n < b.minArgs || ins.n > b.maxArgs) throw AutomationError(450, QString::fromLatin1(b.name));
                    Variant r = b.fn(*this, sp - ins.n, ins.n);
                    for (int i = 0; i < ins.n; ++i) { Variant x = std::move(*--sp); }
                    if (!(ins.sc & 1)) *sp++ = std::move(r);
                    break;
                }
                case OpCallMember: {
                    Variant *args = sp - ins.n;
                    Variant r = callMember(proc, pc - 1, args[-1], ins.a, InvokeMethod | InvokeGet, args, ins.n);
                    for (int i = 0; i <= ins.n; ++i) { Variant x = std::move(*--sp); }
                    if (!(ins.sc & 1)) *sp++ = std::move(r);
                    if (interruptFlag && interruptFlag->load(std::memory_order_relaxed) && stopRequested()) throw Interrupted{};
                    break;
                }
                case OpPutMember: {
                    Variant *args = sp - ins.n - 1;
                    putMember(proc, pc - 1, args[-1], ins.a, ins.sc & 1, args, ins.n);
                    for (int i = 0; i <= ins.n + 1; ++i) { Variant x = std::move(*--sp); }
                    break;
                }
                case OpCallValue: {
                    Variant *args = sp - ins.n;
                    Variant r = index(args[-1], args, ins.n);
                    for (int i = 0; i <= ins.n; ++i) { Variant x = std::move(*--sp); }
                    if (!(ins.sc & 1)) *sp++ = std::move(r);
                    break;
                }
                case OpPutValue: {
                    Variant *args = sp - ins.n - 1;
                    Variant value = std::move(*--sp);
                    storeIndex(args[-1], args, ins.n, value, ins.sc & 1);
                    for (int i = 0; i <= ins.n; ++i) { Variant x = std::move(*--sp); }
                    break;
                }
                case OpCallName: {
                    Variant *args = sp - ins.n;
                    QString l = proc->names[ins.a].toLower();
                    bool isProc = procIndex.contains(l);
                    Variant r = callName(proc, ins, args, ins.n, me, base);
                    if (!isProc)
                        for (int i = 0; i < ins.n; ++i) { Variant x = std::move(*--sp); }
                    else
                        sp = args;   // the callee released its frame
                    if (!(ins.sc & 1)) *sp++ = std::move(r);
                    break;
                }
                case OpNew: {
                    ScriptObject *o = newObject(classes[ins.a].get());
                    *sp = Variant(static_cast<DispatchObject *>(o));
                    o->release();
                    ++sp;
                    break;
                }
                case OpNewName: {
                    const QString &n = proc->names[ins.a];
                    QString l = n.toLower();
                    auto ci = classIndex.constFind(l);
                    if (ci != classIndex.constEnd()) {
                        ScriptObject *o = newObject(classes[*ci].get());
                        *sp = Variant(static_cast<DispatchObject *>(o));
                        o->release();
                    } else if (l == QLatin1String("regexp")) {
                        *sp = Variant(static_cast<DispatchObject *>(new RegExpObject));
                    } else {
                        throw AutomationError(506, n);
                    }
                    ++sp;
                    break;
                }
                case OpMe:
                    if (!me) throw AutomationError(424);
                    *sp++ = Variant(static_cast<DispatchObject *>(me));
                    break;
                case OpForCheck: {
                    Variant &c = var(ins).deref();
                    *sp++ = Variant(forContinues(c, base[ins.n], base[ins.n + 1]));
                    break;
                }
                case OpForNext: {
                    Variant &c = var(ins).deref();
                    const Variant &step = base[ins.n + 1];
                    if (c.type() == VarType::Long && step.type() <= VarType::Long && step.type() >= VarType::Integer) {
                        qint64 r = qint64(c.rawInt()) + step.rawInt();
                        c = intResult(r, false);
                    } else if (c.type() == VarType::Integer && step.type() == VarType::Integer) {
                        c = intResult(qint64(c.rawInt()) + step.rawInt(), true);
                    } else {
                        c = ops::add(c, step);
                    }
                    if (forContinues(c, base[ins.n], step)) {
                        pc = code[pc].a;
                        if (interruptFlag && interruptFlag->load(std::memory_order_relaxed) && stopRequested()) throw Interrupted{};
                    } else {
                        ++pc;
                    }
                    break;
                }
                case OpForEachInit: {
                    Variant coll = std::move(*--sp);
                    Enumerator *e = enumeratorFor(coll);
                    base[ins.n] = Variant(static_cast<DispatchObject *>(e));
                    e->release();
                    break;
                }
                case OpForEachNext: {
                    auto *e = base[ins.n].isObject() ? static_cast<Enumerator *>(base[ins.n].rawObject()) : nullptr;
                    Variant v;
                    if (e && e->next(v)) {
                        var(ins).deref() = std::move(v);
                        ++pc;
                    } else {
                        pc = code[pc].a;
                    }
                    break;
                }
                case OpReDim: {
                    int n = ins.n & 0x3FFF;
                    Variant &v = var(ins);
                    redim(v, sp - n, n, ins.n & 0x8000, ins.n & 0x4000);
                    for (int i = 0; i < n; ++i) { Variant x = std::move(*--sp); }
                    break;
                }
                case OpDimEmpty: var(ins).deref() = Variant::array(new SafeArray(QVector<SafeArray::Bound>{})); break;
                case OpErase: {
                    Variant &v = var(ins).deref();
                    if (!v.isArray()) throw AutomationError(13);
                    if (v.rawArray()->locked()) throw AutomationError(10);
                    if (v.rawArray()->fixed()) {
                        SafeArray *a = v.arrayForWrite();
                        for (int i = 0; i < a->count(); ++i) a->at(i).clear();
                    } else {
                        v = Variant::array(new SafeArray(QVector<SafeArray::Bound>{}));
                    }
                    break;
                }
                case OpOnErrorResume: resumeNext = true; clearError(); break;
                case OpOnErrorGoto0: resumeNext = false; clearError(); break;
                case OpCaseTo: {
                    Variant hi = std::move(*--sp), lo = std::move(*--sp), v = std::move(*--sp);
                    int c1 = ops::compare(v, lo), c2 = ops::compare(v, hi);
                    *sp++ = Variant(c1 != 2 && c2 != 2 && c1 >= 0 && c2 <= 0);
                    break;
                }
                case OpRaise: throw AutomationError(ins.a);
                case OpNop: break;
                case OpWriteBack: {
                    Variant &v = var(ins).deref();
                    Variant value = std::move(*--sp);
                    if (v.isArray()) storeIndex(v, sp - ins.n, ins.n, value, value.isObject());
                    for (int i = 0; i < ins.n; ++i) { Variant x = std::move(*--sp); }
                    break;
                }
                case OpConcatAssign: {
                    Variant rhs = std::move(*--sp);
                    Variant &v = var(ins).deref();
                    const Variant &r = rhs.deref();
                    if (v.isString() && !r.isNull()) {
                        const QString t = r.isString() ? r.rawString() : r.toString();
                        checkScriptStringLength(qint64(v.rawString().size()) + t.size());
                        v.rawStringRef() += t;
                    } else {
                        v = ops::concat(v, r);
                    }
                    break;
                }
                case OpRet: {
                    Variant r;
                    if (proc->resultSlot >= 0) r = std::move(base[proc->resultSlot]);
                    finish();
                    return r;
                }
                }
            }
        } catch (const AutomationError &e) {
            if (resumeNext) {
                setError(e);
            } else {
                const StmtPos *at = proc->statementAt(pc - 1);
                RuntimeError re{e, at ? at->line : 0, at ? at->col : 0, proc->source};
                finish();
                throw re;
            }
        } catch (const RuntimeError &re) {
            if (resumeNext) {
                setError(re.error);
            } else {
                finish();
                throw;
            }
        } catch (const std::bad_alloc &) {
            // Memory ran out inside the statement: the script's error 7, not the
            // program's end. The statement's own temporaries are freed by now.
            const AutomationError e(7);
            if (resumeNext) {
                setError(e);
            } else {
                const StmtPos *at = proc->statementAt(pc - 1);
                RuntimeError re{e, at ? at->line : 0, at ? at->col : 0, proc->source};
                finish();
                throw re;
            }
        } catch (...) {
            finish();
            throw;
        }
        // On Error Resume Next: drop the statement's operands, go on with the next one
        Variant *floor = base + proc->nlocals;
        while (sp > floor) { Variant v = std::move(*--sp); }
        int next = proc->nextStatement(pc - 1);
        if (next < 0) {
            Variant r;
            if (proc->resultSlot >= 0) r = std::move(base[proc->resultSlot]);
            finish();
            return r;
        }
        pc = next;
    }
}

} // namespace vorn::vbs
