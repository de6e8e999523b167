// The automation variant: the value type every script, dispatch member and the
// database boundary exchange, with the subtypes and arrays of OLE Automation.
#pragma once
#include <QDateTime>
#include <QJsonValue>
#include <QString>
#include <QVariant>
#include <QVector>
#include <atomic>
#include <cstdint>
#include <cstring>

namespace vorn {

class DispatchObject;
class SafeArray;

// Subtype codes are those of VARTYPE so that VarType() and type libraries agree.
enum class VarType : uint16_t {
    Empty = 0, Null = 1, Integer = 2, Long = 3, Single = 4, Double = 5, Currency = 6,
    Date = 7, String = 8, Object = 9, Error = 10, Boolean = 11, Variant = 12,
    DataObject = 13, Byte = 17, Array = 0x2000,
    ByRef = 0x4000   // internal: a reference to another variant (by-reference argument)
};

constexpr int32_t DISP_E_PARAMNOTFOUND = int32_t(0x80020004);

// Currency: a 64-bit integer counting ten-thousandths.
struct Currency {
    qint64 value = 0;  // amount * 10000
    static Currency fromDouble(double d);
    double toDouble() const { return double(value) / 10000.0; }
    bool operator==(const Currency &o) const { return value == o.value; }
};

// Automation dates are days since 30 Dec 1899; the fraction is the time of day
// (for negative dates the fraction still counts forward from midnight).
namespace automationdate {
double fromDateTime(const QDateTime &dt);
QDateTime toDateTime(double d);
double fromParts(int y, int m, int d, int hh = 0, int mm = 0, double ss = 0);
void toParts(double d, int *y, int *m, int *day, int *hh, int *mi, int *ss);
}

class Variant
{
public:
    Variant() : m_type(VarType::Empty) { m_u.i64 = 0; }
    Variant(bool b) : m_type(VarType::Boolean) { m_u.i64 = 0; m_u.b = b; }
    Variant(int v) : m_type(VarType::Long) { m_u.i64 = 0; m_u.i32 = v; }
    Variant(double v) : m_type(VarType::Double) { m_u.d = v; }
    Variant(const QString &s) : m_type(VarType::String) { new (&m_u.str) QString(s); }
    Variant(QString &&s) : m_type(VarType::String) { new (&m_u.str) QString(std::move(s)); }
    Variant(const char *s) : Variant(QString::fromUtf8(s)) {}
    Variant(DispatchObject *obj);  // adds a reference; null pointer is Nothing
    Variant(const Variant &o) : m_type(o.m_type)
    {
        if (o.needsCleanup()) copyFrom(o);
        else m_u.i64 = o.m_u.i64;
    }
    Variant(Variant &&o) noexcept : m_type(o.m_type) { moveFrom(o); }
    ~Variant() { if (needsCleanup()) clear(); }
    Variant &operator=(const Variant &o)
    {
        if (!needsCleanup() && !o.needsCleanup()) {
            m_type = o.m_type;
            m_u.i64 = o.m_u.i64;
            return *this;
        }
        return assignSlow(o);
    }
    Variant &operator=(Variant &&o) noexcept
    {
        if (this == &o) return *this;
        if (needsCleanup()) return moveAssignSlow(std::move(o));
        m_type = o.m_type;
        moveFrom(o);
        return *this;
    }

    static Variant null() { Variant v; v.m_type = VarType::Null; return v; }
    static Variant integer(int16_t v) { Variant r; r.m_type = VarType::Integer; r.m_u.i32 = v; return r; }
    static Variant byte(uint8_t v) { Variant r; r.m_type = VarType::Byte; r.m_u.i32 = v; return r; }
    static Variant single(float v) { Variant r; r.m_type = VarType::Single; r.m_u.d = v; return r; }
    static Variant currency(Currency c) { Variant r; r.m_type = VarType::Currency; r.m_u.i64 = c.value; return r; }
    static Variant date(double d) { Variant r; r.m_type = VarType::Date; r.m_u.d = d; return r; }
    static Variant dateTime(const QDateTime &dt) { return date(automationdate::fromDateTime(dt)); }
    static Variant error(int32_t code) { Variant r; r.m_type = VarType::Error; r.m_u.i32 = code; return r; }
    static Variant missing() { return error(DISP_E_PARAMNOTFOUND); }
    static Variant nothing() { Variant r; r.m_type = VarType::Object; r.m_u.obj = nullptr; return r; }
    static Variant array(SafeArray *a);       // takes the array over (its first reference)
    static Variant ref(Variant *target) { Variant r; r.m_type = VarType::ByRef; r.m_u.ref = target; return r; }

    VarType type() const { return m_type; }
    int varType() const;                    // VarType() result: arrays give 0x2000 | 12
    bool isEmpty() const { return m_type == VarType::Empty; }
    bool isNull() const { return m_type == VarType::Null; }
    bool isObject() const { return m_type == VarType::Object; }
    bool isNothing() const { return m_type == VarType::Object && !m_u.obj; }
    bool isString() const { return m_type == VarType::String; }
    bool isArray() const { return m_type == VarType::Array; }
    bool isRef() const { return m_type == VarType::ByRef; }
    bool isMissing() const { return m_type == VarType::Error && m_u.i32 == DISP_E_PARAMNOTFOUND; }
    bool isNumeric() const;                 // Integer..Currency, Byte, Boolean, Date excluded? see .cpp
    QString typeName() const;               // TypeName() of VBScript

    // The referenced variant for ByRef, this one otherwise.
    const Variant &deref() const { return m_type == VarType::ByRef ? *m_u.ref : *this; }
    Variant &deref() { return m_type == VarType::ByRef ? *m_u.ref : *this; }
    Variant *refTarget() const { return m_type == VarType::ByRef ? m_u.ref : nullptr; }

    // Raw payload access; callers check type() first.
    bool rawBool() const { return m_u.b; }
    int32_t rawInt() const { return m_u.i32; }
    double rawDouble() const { return m_u.d; }
    qint64 rawCurrency() const { return m_u.i64; }
    const QString &rawString() const { return m_u.str; }
    QString &rawStringRef() { return m_u.str; }   // in-place append (s = s & x)
    DispatchObject *rawObject() const { return m_u.obj; }
    SafeArray *rawArray() const { return m_u.arr; }
    SafeArray *arrayForWrite();             // detaches a shared array (value semantics)

    // Coercions with VBScript rules; they throw AutomationError (13, 6, 94 ...).
    bool toBool() const;
    int16_t toInteger() const;
    int32_t toLong() const;
    uint8_t toByte() const;
    float toSingle() const;
    double toDouble() const;
    Currency toCurrency() const;
    double toDate() const;
    QString toString() const;               // locale of the running script (see VariantOps)
    DispatchObject *toObject() const;       // 424 when not an object; may be null (Nothing)
    Variant convertTo(VarType t) const;

    // Database and remote boundary.
    QVariant toQVariant() const;
    static Variant fromQVariant(const QVariant &v);
    QJsonValue toJson() const;
    static Variant fromJson(const QJsonValue &v);

    void clear();

private:
    bool needsCleanup() const {
        return m_type == VarType::String || m_type == VarType::Object || m_type == VarType::Array;
    }
    void copyFrom(const Variant &o);
    // Qt's strings are relocatable, so every payload moves as raw bytes.
    void moveFrom(Variant &o) noexcept
    {
        std::memcpy(static_cast<void *>(&m_u), static_cast<const void *>(&o.m_u), sizeof(U));
        o.m_type = VarType::Empty;
        o.m_u.i64 = 0;
    }
    Variant &assignSlow(const Variant &o);
    Variant &moveAssignSlow(Variant &&o) noexcept;

    VarType m_type;
    union U {
        U() : i64(0) {}
        ~U() {}
        bool b;
        int32_t i32;
        qint64 i64;
        double d;
        QString str;
        DispatchObject *obj;
        SafeArray *arr;
        Variant *ref;
    } m_u;
};

// A safe array: any number of dimensions, each with its own lower bound; elements
// are stored with the first index varying fastest as OLE Automation stores them.
class SafeArray
{
public:
    struct Bound { int lower; int count; };
    explicit SafeArray(const QVector<Bound> &bounds);
    SafeArray(const SafeArray &o) : m_bounds(o.m_bounds), m_data(o.m_data), m_fixed(o.m_fixed) {}
    SafeArray &operator=(const SafeArray &) = delete;
    static SafeArray *vector(const QVector<Variant> &items, int lower = 0);

    int dimensions() const { return int(m_bounds.size()); }
    int lowerBound(int dim) const { return m_bounds[dim].lower; }   // dim zero-based
    int upperBound(int dim) const { return m_bounds[dim].lower + m_bounds[dim].count - 1; }
    int count() const { return int(m_data.size()); }
    const QVector<Bound> &bounds() const { return m_bounds; }
    bool fixed() const { return m_fixed; }
    void setFixed(bool f) { m_fixed = f; }
    int locked() const { return m_locks; }
    void lock() { ++m_locks; }
    void unlock() { --m_locks; }

    // Flat offset of an index list; -1 when any index is out of range.
    int offset(const int *indices, int n) const;
    Variant &at(int flat) { return m_data[flat]; }
    const Variant &at(int flat) const { return m_data[flat]; }
    Variant *data() { return m_data.data(); }
    // ReDim Preserve: only the last dimension may change.
    void redimPreserve(const QVector<Bound> &bounds);

    void addRef() { m_ref.fetch_add(1, std::memory_order_relaxed); }
    bool release() { return m_ref.fetch_sub(1, std::memory_order_acq_rel) == 1; }
    int refCount() const { return m_ref.load(); }

private:
    std::atomic<int> m_ref{1};    // shared by variants until one writes
    QVector<Bound> m_bounds;      // per dimension: lower bound and element count
    QVector<Variant> m_data;      // elements, first index fastest
    bool m_fixed = false;         // declared with Dim a(n): ReDim not allowed
    int m_locks = 0;              // For Each in progress: Erase / ReDim forbidden
};

} // namespace vorn
