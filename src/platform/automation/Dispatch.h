// Dispatch objects: reference-counted automation objects whose members are declared
// once (name, dispatch id, kinds, parameters, result, documentation); the declaration
// serves late-bound calls by name or id, the default member, _NewEnum and type info.
#pragma once
#include "platform/automation/AutomationError.h"
#include "platform/automation/Variant.h"
#include <QHash>
#include <QUuid>
#include <QVector>
#include <atomic>
#include <functional>

namespace vorn {

enum InvokeKind : int { InvokeMethod = 1, InvokeGet = 2, InvokePut = 4, InvokePutRef = 8 };
constexpr int DISPID_VALUE = 0;
constexpr int DISPID_UNKNOWN = -1;
constexpr int DISPID_NEWENUM = -4;

// Arguments of one call in source order; a put's new value is the last one.
// Elements may be ByRef variants pointing at the caller's variables.
struct CallArgs {
    Variant *v = nullptr;   // first argument
    int n = 0;              // number of arguments
    int count() const { return n; }
    Variant &operator[](int i) { return v[i].deref(); }
    const Variant &operator[](int i) const { return v[i].deref(); }
    Variant &raw(int i) { return v[i]; }            // possibly a ByRef variant
    bool has(int i) const { return i < n && !v[i].deref().isMissing(); }
    Variant value(int i, const Variant &def = Variant()) const { return has(i) ? v[i].deref() : def; }
};

class DispatchObject;
using MemberFn = std::function<Variant(DispatchObject &, CallArgs &)>;

struct ParamInfo {
    ParamInfo() = default;
    ParamInfo(const QString &n, VarType t = VarType::Variant, bool opt = false, const Variant &def = Variant(), bool ref = false)
        : name(n), type(t), optional(opt), defaultValue(def), byRef(ref) {}
    QString name;                         // as shown in type information
    VarType type = VarType::Variant;      // declared type
    bool optional = false;                // may be left out
    Variant defaultValue;                 // Empty: a left-out argument arrives as missing()
    bool byRef = false;                   // the member writes back to it
};

struct MemberInfo {
    QString name;                         // case kept for type information
    int dispId = 0;                       // DISPID_VALUE marks the default member
    int kinds = 0;                        // InvokeKind bits the member answers
    QVector<ParamInfo> params;            // without the value of a put
    VarType resultType = VarType::Empty;  // Empty: a Sub (no result)
    QString doc;                          // one-line documentation
    bool hidden = false;                  // not shown by the object browser
    MemberFn get, put, putRef, call;      // handlers per kind
    int requiredArgs() const;
};

class TypeInfo
{
public:
    TypeInfo(const QString &name, const QUuid &iid = QUuid(), const QString &doc = QString());
    QString name;                          // interface name
    QUuid iid;                             // interface identifier
    QString doc;                           // documentation string
    QVector<MemberInfo> members;           // declaration order = slot order

    void add(MemberInfo m);
    int findName(const QString &name) const;           // dispatch id, DISPID_UNKNOWN if none
    const MemberInfo *member(int dispId) const;
    int defaultMember() const { return member(DISPID_VALUE) ? DISPID_VALUE : DISPID_UNKNOWN; }

private:
    QHash<QString, int> m_byName;          // lower-case name -> dispatch id
    QHash<int, int> m_byId;                // dispatch id -> index into members
    std::vector<int> m_small;              // dispatch ids -8..119 -> index (+1), the common case
};

class DispatchObject
{
public:
    DispatchObject() = default;
    DispatchObject(const DispatchObject &) = delete;
    DispatchObject &operator=(const DispatchObject &) = delete;
    virtual ~DispatchObject() = default;

    void addRef() { m_ref.fetch_add(1, std::memory_order_relaxed); }
    void release();
    int refCount() const { return m_ref.load(); }

    virtual QString className() const;
    virtual const TypeInfo *typeInfo() const { return nullptr; }
    // Case-insensitive name to dispatch id; DISPID_UNKNOWN when the object has no such member.
    virtual int memberId(const QString &name) const;
    // Late-bound call; throws AutomationError (438 unknown member, 450 argument count ...).
    virtual Variant invoke(int dispId, int kind, CallArgs &args);
    // Identity for Is and collection lookups (an aggregate answers its outer object).
    virtual const void *identity() const { return this; }

    // Conveniences for C++ callers.
    Variant get(const QString &name, QVector<Variant> args = {});
    void put(const QString &name, const Variant &value, QVector<Variant> args = {});
    Variant call(const QString &name, QVector<Variant> args = {});

protected:
    // Called when the last reference goes; script classes run Class_Terminate here.
    virtual void finalRelease() { delete this; }
    // Invocation from a declaration, shared by typeInfo()-based objects.
    Variant invokeDeclared(const MemberInfo &m, int kind, CallArgs &args);

private:
    std::atomic<int> m_ref{0};
};

// Intrusive smart pointer for dispatch objects.
template<class T>
class ObjectPtr
{
public:
    ObjectPtr() = default;
    ObjectPtr(T *p) : m_p(p) { if (m_p) m_p->addRef(); }
    ObjectPtr(const ObjectPtr &o) : ObjectPtr(o.m_p) {}
    ObjectPtr(ObjectPtr &&o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
    ~ObjectPtr() { if (m_p) m_p->release(); }
    ObjectPtr &operator=(ObjectPtr o) { std::swap(m_p, o.m_p); return *this; }
    T *get() const { return m_p; }
    T *operator->() const { return m_p; }
    T &operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }
private:
    T *m_p = nullptr;
};

// Enumerator (IEnumVARIANT): what _NewEnum hands out.
class Enumerator : public DispatchObject
{
public:
    virtual bool next(Variant &out) = 0;   // false at the end
    virtual void reset() = 0;
    virtual bool skip(int n);              // false when it ran past the end
    virtual Enumerator *clone() const = 0;
    QString className() const override { return QStringLiteral("Enumerator"); }
};

// Enumerator over its own copy of an element list; keeps the owner alive.
class ListEnumerator : public Enumerator
{
public:
    ListEnumerator(QVector<Variant> items, DispatchObject *owner = nullptr);
    bool next(Variant &out) override;
    void reset() override { m_pos = 0; }
    bool skip(int n) override;
    Enumerator *clone() const override;
private:
    QVector<Variant> m_items;              // the elements at the time of _NewEnum
    int m_pos = 0;                         // 0 = before the first element
    ObjectPtr<DispatchObject> m_owner;     // the collection
};

// Makes an enumerator for a variant holding an object with _NewEnum or an array,
// holding one reference the caller releases; throws 451 otherwise.
Enumerator *enumeratorFor(const Variant &v);

// Collection Item(index): position from a numeric (1-based), string or object index.
// names gives the element names for string lookups; throws "Invalid index type" /
// "Invalid index value" as the object model's collections do.
int collectionPosition(const Variant &index, const QVector<Variant> &elements,
                       const std::function<QString(int)> &nameOf);

// Declaration helper for C++ classes: members are lambdas on the concrete type.
template<class T>
class TypeBuilder
{
public:
    explicit TypeBuilder(TypeInfo *ti) : m_ti(ti) {}
    using Fn = std::function<Variant(T &, CallArgs &)>;

    TypeBuilder &method(const QString &name, int id, QVector<ParamInfo> params, VarType result,
                        Fn fn, const QString &doc = QString())
    {
        MemberInfo m = make(name, id, InvokeMethod, std::move(params), result, doc);
        m.call = wrap(fn);
        m_ti->add(std::move(m));
        return *this;
    }
    TypeBuilder &property(const QString &name, int id, QVector<ParamInfo> params, VarType result,
                          Fn getter, Fn setter = nullptr, const QString &doc = QString(), bool setIsRef = false)
    {
        MemberInfo m = make(name, id, 0, std::move(params), result, doc);
        if (getter) { m.kinds |= InvokeGet; m.get = wrap(getter); }
        if (setter) {
            m.kinds |= setIsRef ? InvokePutRef : InvokePut;
            (setIsRef ? m.putRef : m.put) = wrap(setter);
        }
        m_ti->add(std::move(m));
        return *this;
    }
private:
    static MemberInfo make(const QString &name, int id, int kinds, QVector<ParamInfo> params, VarType result, const QString &doc)
    {
        MemberInfo m;
        m.name = name; m.dispId = id; m.kinds = kinds; m.params = std::move(params); m.resultType = result; m.doc = doc;
        return m;
    }
    static MemberFn wrap(Fn f)
    {
        return [f](DispatchObject &o, CallArgs &a) { return f(static_cast<T &>(o), a); };
    }
    TypeInfo *m_ti;
};

// Builds a Variant array (lower bound 0 unless given) from values.
Variant makeArray(const QVector<Variant> &items, int lower = 0);

} // namespace vorn
