// Late-bound invocation from member declarations, enumerators and the collection
// index rules shared by every collection object.
#include "platform/automation/Dispatch.h"
#include "platform/automation/VariantOps.h"

namespace vorn {

int MemberInfo::requiredArgs() const
{
    int n = 0;
    for (const ParamInfo &p : params) {
        if (p.optional) break;
        ++n;
    }
    return n;
}

TypeInfo::TypeInfo(const QString &n, const QUuid &i, const QString &d) : name(n), iid(i), doc(d) {}

void TypeInfo::add(MemberInfo m)
{
    const QString key = m.name.toLower();
    auto it = m_byId.find(m.dispId);
    if (it != m_byId.end()) {
        // a second declaration of the same id adds kinds (property get + put)
        MemberInfo &e = members[*it];
        e.kinds |= m.kinds;
        if (m.get) e.get = m.get;
        if (m.put) e.put = m.put;
        if (m.putRef) e.putRef = m.putRef;
        if (m.call) e.call = m.call;
        return;
    }
    m_byName.insert(key, m.dispId);
    m_byId.insert(m.dispId, int(members.size()));
    if (m.dispId >= -8 && m.dispId < 120) {
        if (m_small.empty()) m_small.assign(128, 0);
        m_small[size_t(m.dispId + 8)] = int(members.size()) + 1;
    }
    members.append(std::move(m));
}

int TypeInfo::findName(const QString &n) const
{
    auto it = m_byName.constFind(n.toLower());
    return it == m_byName.constEnd() ? DISPID_UNKNOWN : *it;
}

const MemberInfo *TypeInfo::member(int id) const
{
    if (id >= -8 && id < 120) {
        if (m_small.empty()) return nullptr;
        int k = m_small[size_t(id + 8)];
        return k ? &members[k - 1] : nullptr;
    }
    auto it = m_byId.constFind(id);
    return it == m_byId.constEnd() ? nullptr : &members[*it];
}

void DispatchObject::release()
{
    if (m_ref.fetch_sub(1, std::memory_order_acq_rel) == 1) finalRelease();
}

QString DispatchObject::className() const
{
    const TypeInfo *ti = typeInfo();
    if (!ti) return QStringLiteral("Object");
    QString n = ti->name;
    // interface names read as class names ("IDictionary" -> "Dictionary")
    if (n.size() > 1 && n.at(0) == QLatin1Char('I') && n.at(1).isUpper()) n.remove(0, 1);
    return n;
}

int DispatchObject::memberId(const QString &name) const
{
    const TypeInfo *ti = typeInfo();
    return ti ? ti->findName(name) : DISPID_UNKNOWN;
}

Variant DispatchObject::invoke(int dispId, int kind, CallArgs &args)
{
    const TypeInfo *ti = typeInfo();
    const MemberInfo *m = ti ? ti->member(dispId) : nullptr;
    if (!m) throw AutomationError(438);
    return invokeDeclared(*m, kind, args);
}

Variant DispatchObject::invokeDeclared(const MemberInfo &m, int kind, CallArgs &args)
{
    const MemberFn *fn = nullptr;
    bool isPut = false;
    if (kind & (InvokePut | InvokePutRef)) {
        isPut = true;
        if ((kind & InvokePutRef) && m.putRef) fn = &m.putRef;
        else if (m.put) fn = &m.put;
        else if (m.putRef) fn = &m.putRef;
        if (!fn) throw AutomationError(m.get || m.call ? 450 : 438);
    } else {
        if ((kind & InvokeMethod) && m.call) fn = &m.call;
        else if ((kind & InvokeGet) && m.get) fn = &m.get;
        else if (m.call && (kind & InvokeGet)) fn = &m.call;
        if (!fn) throw AutomationError(438);
    }
    const int given = isPut ? args.n - 1 : args.n;
    if (!isPut && given > 0 && m.params.isEmpty() && fn == &m.get) {
        // coll.Items(0): the arguments index what the property returns
        CallArgs none;
        Variant r = (*fn)(*this, none);
        const Variant &rv = r.deref();
        if (rv.isArray()) {
            QVector<int> ix(args.n);
            for (int i = 0; i < args.n; ++i) ix[i] = args[i].toLong();
            int off = rv.rawArray()->offset(ix.data(), int(ix.size()));
            if (off < 0) throw AutomationError(9);
            return rv.rawArray()->at(off);
        }
        if (rv.isObject() && rv.rawObject()) return rv.rawObject()->invoke(DISPID_VALUE, InvokeGet | InvokeMethod, args);
        throw AutomationError(450);
    }
    if (given < m.requiredArgs() || given > m.params.size()) throw AutomationError(450);
    for (int i = 0; i < given; ++i)
        if (args[i].isMissing() && !m.params[i].optional) throw AutomationError(449);
    auto run = [&](CallArgs &a) -> Variant {
        try {
            return (*fn)(*this, a);
        } catch (const AutomationError &) {
            throw;
        } catch (const std::exception &e) {
            throw AutomationError(AutomationError::Unexpected, QString::fromUtf8(e.what()), className());
        }
    };
    if (given == m.params.size() && [&] { for (int i = 0; i < given; ++i) if (args[i].isMissing() && !m.params[i].defaultValue.isEmpty()) return false; return true; }())
        return run(args);
    // fill left-out optional arguments with their defaults or the missing marker
    QVector<Variant> full;
    full.reserve(m.params.size() + 1);
    for (int i = 0; i < m.params.size(); ++i) {
        if (i < given && !args[i].isMissing()) full.append(args.raw(i));
        else full.append(m.params[i].defaultValue.isEmpty() ? Variant::missing() : m.params[i].defaultValue);
    }
    if (isPut) full.append(args.raw(args.n - 1));
    CallArgs a{full.data(), int(full.size())};
    return run(a);
}

Variant DispatchObject::get(const QString &name, QVector<Variant> args)
{
    int id = memberId(name);
    if (id == DISPID_UNKNOWN) throw AutomationError(438, name);
    CallArgs a{args.data(), int(args.size())};
    return invoke(id, InvokeGet | InvokeMethod, a);
}

void DispatchObject::put(const QString &name, const Variant &value, QVector<Variant> args)
{
    int id = memberId(name);
    if (id == DISPID_UNKNOWN) throw AutomationError(438, name);
    args.append(value);
    CallArgs a{args.data(), int(args.size())};
    invoke(id, value.isObject() ? InvokePutRef : InvokePut, a);
}

Variant DispatchObject::call(const QString &name, QVector<Variant> args)
{
    int id = memberId(name);
    if (id == DISPID_UNKNOWN) throw AutomationError(438, name);
    CallArgs a{args.data(), int(args.size())};
    return invoke(id, InvokeMethod | InvokeGet, a);
}

bool Enumerator::skip(int n)
{
    Variant v;
    for (int i = 0; i < n; ++i)
        if (!next(v)) return false;
    return true;
}

ListEnumerator::ListEnumerator(QVector<Variant> items, DispatchObject *owner)
    : m_items(std::move(items)), m_owner(owner)
{
}

bool ListEnumerator::next(Variant &out)
{
    if (m_pos >= m_items.size()) return false;
    out = m_items[m_pos++];
    return true;
}

bool ListEnumerator::skip(int n)
{
    m_pos += n;
    if (m_pos > m_items.size()) { m_pos = int(m_items.size()); return false; }
    return true;
}

Enumerator *ListEnumerator::clone() const
{
    auto *e = new ListEnumerator(m_items, m_owner.get());
    e->m_pos = m_pos;
    return e;
}

Enumerator *enumeratorFor(const Variant &v0)
{
    const Variant &v = v0.deref();
    if (v.isArray()) {
        const SafeArray *a = v.rawArray();
        QVector<Variant> items(a->count());
        for (int i = 0; i < a->count(); ++i) items[i] = a->at(i);
        Enumerator *e = new ListEnumerator(std::move(items));
        e->addRef();
        return e;
    }
    if (!v.isObject()) throw AutomationError(451);
    DispatchObject *o = v.rawObject();
    if (!o) throw AutomationError(91);
    if (auto *e = dynamic_cast<Enumerator *>(o)) {
        Enumerator *c = e->clone();
        c->addRef();
        return c;
    }
    CallArgs none;
    Variant r;
    try {
        r = o->invoke(DISPID_NEWENUM, InvokeGet | InvokeMethod, none);
    } catch (const AutomationError &e) {
        if (e.number() == 438) throw AutomationError(451);
        throw;
    }
    auto *e = r.isObject() ? dynamic_cast<Enumerator *>(r.rawObject()) : nullptr;
    if (!e) throw AutomationError(451);
    e->addRef();   // the caller owns the returned reference
    r.clear();
    return e;
}

int collectionPosition(const Variant &index0, const QVector<Variant> &elements,
                       const std::function<QString(int)> &nameOf)
{
    const Variant &index = index0.deref();
    switch (index.type()) {
    case VarType::Integer: case VarType::Long: case VarType::Single: case VarType::Double:
    case VarType::Currency: case VarType::Byte: {
        int pos = index.toLong() - 1;
        if (pos < 0 || pos >= elements.size()) throw AutomationError(AutomationError::Unexpected, QStringLiteral("Invalid index value"), QString());
        return pos;
    }
    case VarType::String:
        for (int i = 0; i < elements.size(); ++i)
            if (nameOf(i) == index.rawString()) return i;
        throw AutomationError(AutomationError::Unexpected, QStringLiteral("Invalid index value"), QString());
    case VarType::Object:
        for (int i = 0; i < elements.size(); ++i)
            if (elements[i].isObject() && index.rawObject() && elements[i].rawObject()
                && elements[i].rawObject()->identity() == index.rawObject()->identity())
                return i;
        throw AutomationError(AutomationError::Unexpected, QStringLiteral("List index out of bounds (-1)"), QString());
    default:
        throw AutomationError(AutomationError::Unexpected, QStringLiteral("Invalid index type"), QString());
    }
}

} // namespace vorn
