// Variant storage, safe arrays, coercions between subtypes and the conversions to
// QVariant (database boundary) and JSON (remote data).
#include "platform/automation/Variant.h"
#include "platform/automation/AutomationError.h"
#include "platform/automation/Dispatch.h"
#include "platform/automation/VariantOps.h"
#include <QJsonArray>
#include <QJsonObject>
#include <cmath>
#include <limits>

namespace vorn {

// ---- automation dates -------------------------------------------------------

namespace automationdate {
static const QDate epoch(1899, 12, 30);

double fromParts(int y, int m, int d, int hh, int mm, double ss)
{
    // Months and days out of range roll over as DateSerial does.
    y += (m - 1) / 12;
    m = (m - 1) % 12;
    if (m < 0) { m += 12; --y; }
    QDate base(y, m + 1, 1);
    if (!base.isValid()) throw AutomationError(5);
    double days = double(epoch.daysTo(base)) + (d - 1);
    double t = (hh * 3600.0 + mm * 60.0 + ss) / 86400.0;
    // The time part counts away from zero for dates before the epoch.
    if (days < 0 && t > 0) return days - t;
    return days + t;
}

void toParts(double v, int *y, int *m, int *day, int *hh, int *mi, int *ss)
{
    double whole = std::trunc(v);
    double frac = std::fabs(v - whole);
    qint64 secs = qint64(std::llround(frac * 86400.0));
    if (secs >= 86400) { secs -= 86400; whole += (v < 0 ? -1 : 1); }
    QDate d = epoch.addDays(qint64(whole));
    if (y) *y = d.year();
    if (m) *m = d.month();
    if (day) *day = d.day();
    if (hh) *hh = int(secs / 3600);
    if (mi) *mi = int((secs / 60) % 60);
    if (ss) *ss = int(secs % 60);
}

double fromDateTime(const QDateTime &dt)
{
    QTime t = dt.time();
    return fromParts(dt.date().year(), dt.date().month(), dt.date().day(), t.hour(), t.minute(),
                     t.second() + t.msec() / 1000.0);
}

QDateTime toDateTime(double v)
{
    int y, m, d, hh, mi, ss;
    toParts(v, &y, &m, &d, &hh, &mi, &ss);
    return QDateTime(QDate(y, m, d), QTime(hh, mi, ss));
}
} // namespace automationdate

Currency Currency::fromDouble(double d)
{
    double scaled = roundHalfEven(d * 10000.0);
    if (!(std::fabs(scaled) < 9.2233720368547758e18)) throw AutomationError(6);
    return Currency{qint64(scaled)};
}

// ---- storage ----------------------------------------------------------------

Variant::Variant(DispatchObject *obj) : m_type(VarType::Object)
{
    m_u.obj = obj;
    if (obj) obj->addRef();
}

Variant Variant::array(SafeArray *a)
{
    Variant r;
    r.m_type = VarType::Array;
    r.m_u.arr = a;
    return r;
}

void Variant::copyFrom(const Variant &o)
{
    switch (o.m_type) {
    case VarType::String: new (&m_u.str) QString(o.m_u.str); break;
    case VarType::Object: m_u.obj = o.m_u.obj; if (m_u.obj) m_u.obj->addRef(); break;
    case VarType::Array: m_u.arr = o.m_u.arr; m_u.arr->addRef(); break;
    default: m_u.i64 = o.m_u.i64; break;
    }
}

void Variant::clear()
{
    switch (m_type) {
    case VarType::String: m_u.str.~QString(); break;
    case VarType::Object: if (m_u.obj) { DispatchObject *o = m_u.obj; m_u.obj = nullptr; m_type = VarType::Empty; o->release(); } break;
    case VarType::Array: {
        // emptied before the elements go: their Class_Terminate may reuse this slot
        SafeArray *a = m_u.arr;
        m_type = VarType::Empty;
        m_u.i64 = 0;
        if (a->release()) delete a;
        return;
    }
    default: break;
    }
    m_type = VarType::Empty;
    m_u.i64 = 0;
}

Variant &Variant::assignSlow(const Variant &o)
{
    if (this == &o) return *this;
    Variant tmp(o);   // o may live inside what clear() releases
    clear();
    m_type = tmp.m_type;
    moveFrom(tmp);
    return *this;
}

Variant &Variant::moveAssignSlow(Variant &&o) noexcept
{
    Variant old(std::move(*this));
    m_type = o.m_type;
    moveFrom(o);
    return *this;   // old released here, after the new value is in place
}

SafeArray *Variant::arrayForWrite()
{
    if (m_type != VarType::Array) return nullptr;
    if (m_u.arr->refCount() > 1) {
        SafeArray *copy = new SafeArray(*m_u.arr);
        if (m_u.arr->release()) delete m_u.arr;
        m_u.arr = copy;
    }
    return m_u.arr;
}

int Variant::varType() const
{
    if (m_type == VarType::ByRef) return m_u.ref->varType();
    if (m_type == VarType::Array) return 0x2000 | 12;
    return int(m_type);
}

bool Variant::isNumeric() const
{
    switch (m_type) {
    case VarType::Integer: case VarType::Long: case VarType::Single: case VarType::Double:
    case VarType::Currency: case VarType::Byte: case VarType::Boolean: case VarType::Empty:
        return true;
    case VarType::String: { double d; return parseNumber(m_u.str, &d); }
    case VarType::ByRef: return m_u.ref->isNumeric();
    default: return false;
    }
}

QString Variant::typeName() const
{
    switch (m_type) {
    case VarType::Empty: return QStringLiteral("Empty");
    case VarType::Null: return QStringLiteral("Null");
    case VarType::Integer: return QStringLiteral("Integer");
    case VarType::Long: return QStringLiteral("Long");
    case VarType::Single: return QStringLiteral("Single");
    case VarType::Double: return QStringLiteral("Double");
    case VarType::Currency: return QStringLiteral("Currency");
    case VarType::Date: return QStringLiteral("Date");
    case VarType::String: return QStringLiteral("String");
    case VarType::Object: return m_u.obj ? m_u.obj->className() : QStringLiteral("Nothing");
    case VarType::Error: return QStringLiteral("Error");
    case VarType::Boolean: return QStringLiteral("Boolean");
    case VarType::Byte: return QStringLiteral("Byte");
    case VarType::Array: return QStringLiteral("Variant()");
    case VarType::ByRef: return m_u.ref->typeName();
    default: return QStringLiteral("Unknown");
    }
}

// ---- coercions --------------------------------------------------------------

static double stringToDouble(const QString &s)
{
    double d;
    if (parseNumber(s, &d)) return d;
    throw AutomationError(13);   // date texts are numbers only through CDate
}

double Variant::toDouble() const
{
    switch (m_type) {
    case VarType::Empty: return 0;
    case VarType::Integer: case VarType::Long: case VarType::Byte: return m_u.i32;
    case VarType::Boolean: return m_u.b ? -1 : 0;
    case VarType::Single: case VarType::Double: case VarType::Date: return m_u.d;
    case VarType::Currency: return double(m_u.i64) / 10000.0;
    case VarType::String: return stringToDouble(m_u.str);
    case VarType::Null: throw AutomationError(94);
    case VarType::Object: {
        if (!m_u.obj) throw AutomationError(91);
        CallArgs none;
        return m_u.obj->invoke(DISPID_VALUE, InvokeGet, none).toDouble();
    }
    case VarType::ByRef: return m_u.ref->toDouble();
    default: throw AutomationError(13);
    }
}

static int32_t toLongChecked(double d)
{
    double r = roundHalfEven(d);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw AutomationError(6);
    return int32_t(r);
}

int32_t Variant::toLong() const
{
    switch (m_type) {
    case VarType::Empty: return 0;
    case VarType::Integer: case VarType::Long: case VarType::Byte: return m_u.i32;
    case VarType::Boolean: return m_u.b ? -1 : 0;
    case VarType::Currency: return toLongChecked(double(m_u.i64) / 10000.0);
    case VarType::ByRef: return m_u.ref->toLong();
    default: return toLongChecked(toDouble());
    }
}

int16_t Variant::toInteger() const
{
    int32_t v = toLong();
    if (v < -32768 || v > 32767) throw AutomationError(6);
    return int16_t(v);
}

uint8_t Variant::toByte() const
{
    int32_t v = toLong();
    if (v < 0 || v > 255) throw AutomationError(6);
    return uint8_t(v);
}

float Variant::toSingle() const
{
    double d = toDouble();
    if (std::fabs(d) > 3.402823466e38) throw AutomationError(6);
    return float(d);
}

Currency Variant::toCurrency() const
{
    if (m_type == VarType::Currency) return Currency{m_u.i64};
    if (m_type == VarType::ByRef) return m_u.ref->toCurrency();
    return Currency::fromDouble(toDouble());
}

double Variant::toDate() const
{
    switch (m_type) {
    case VarType::Date: return m_u.d;
    case VarType::String: {
        double d;
        if (parseDate(m_u.str, &d)) return d;
        if (parseNumber(m_u.str, &d)) return d;
        throw AutomationError(13);
    }
    case VarType::ByRef: return m_u.ref->toDate();
    default: {
        double d = toDouble();
        if (d < -657434.0 || d >= 2958466.0) throw AutomationError(6);
        return d;
    }
    }
}

bool Variant::toBool() const
{
    switch (m_type) {
    case VarType::Boolean: return m_u.b;
    case VarType::Empty: return false;
    case VarType::Integer: case VarType::Long: case VarType::Byte: return m_u.i32 != 0;
    case VarType::Single: case VarType::Double: case VarType::Date: return m_u.d != 0;
    case VarType::Currency: return m_u.i64 != 0;
    case VarType::String: {
        if (m_u.str.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
        if (m_u.str.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
        double d;
        if (parseNumber(m_u.str, &d)) return d != 0;
        throw AutomationError(13);
    }
    case VarType::Null: throw AutomationError(94);
    case VarType::ByRef: return m_u.ref->toBool();
    default: return toDouble() != 0;
    }
}

QString Variant::toString() const
{
    switch (m_type) {
    case VarType::Empty: return QString();
    case VarType::String: return m_u.str;
    case VarType::Integer: case VarType::Long: case VarType::Byte: return QString::number(m_u.i32);
    case VarType::Boolean: return m_u.b ? QStringLiteral("True") : QStringLiteral("False");
    case VarType::Single: return formatDouble(m_u.d, 7);
    case VarType::Double: return formatDouble(m_u.d, 15);
    case VarType::Currency: return formatDouble(double(m_u.i64) / 10000.0, 19);
    case VarType::Date: return formatDate(m_u.d);
    case VarType::Null: throw AutomationError(94);
    case VarType::Error: return QStringLiteral("Error %1").arg(m_u.i32);
    case VarType::Object: {
        if (!m_u.obj) throw AutomationError(91);
        CallArgs none;
        Variant v = m_u.obj->invoke(DISPID_VALUE, InvokeGet, none);
        if (v.isObject()) throw AutomationError(13);
        return v.toString();
    }
    case VarType::ByRef: return m_u.ref->toString();
    default: throw AutomationError(13);
    }
}

DispatchObject *Variant::toObject() const
{
    if (m_type == VarType::Object) return m_u.obj;
    if (m_type == VarType::ByRef) return m_u.ref->toObject();
    throw AutomationError(424);
}

Variant Variant::convertTo(VarType t) const
{
    const Variant &s = deref();
    switch (t) {
    case VarType::Empty: return Variant();
    case VarType::Null: return Variant::null();
    case VarType::Boolean: return Variant(s.toBool());
    case VarType::Byte: return Variant::byte(s.toByte());
    case VarType::Integer: return Variant::integer(s.toInteger());
    case VarType::Long: return Variant(int(s.toLong()));
    case VarType::Single: return Variant::single(s.toSingle());
    case VarType::Double: return Variant(s.toDouble());
    case VarType::Currency: return Variant::currency(s.toCurrency());
    case VarType::Date: return Variant::date(s.toDate());
    case VarType::String: return Variant(s.toString());
    case VarType::Object: return Variant(s.toObject());
    case VarType::Variant: return s;
    default: throw AutomationError(13);
    }
}

// ---- QVariant and JSON ----------------------------------------------------------

QVariant Variant::toQVariant() const
{
    switch (m_type) {
    case VarType::Empty: return QVariant();
    case VarType::Null: return QVariant(QMetaType(QMetaType::QString));   // a null value of some type
    case VarType::Boolean: return QVariant(m_u.b);
    case VarType::Byte: case VarType::Integer: case VarType::Long: return QVariant(int(m_u.i32));
    case VarType::Single: return QVariant(float(m_u.d));
    case VarType::Double: return QVariant(m_u.d);
    case VarType::Currency: return QVariant(double(m_u.i64) / 10000.0);
    case VarType::Date: return QVariant(automationdate::toDateTime(m_u.d));
    case VarType::String: return QVariant(m_u.str);
    case VarType::Error: return QVariant();
    case VarType::Array: {
        QVariantList l;
        for (int i = 0; i < m_u.arr->count(); ++i) l.append(m_u.arr->at(i).toQVariant());
        return l;
    }
    case VarType::ByRef: return m_u.ref->toQVariant();
    default: return QVariant();
    }
}

Variant Variant::fromQVariant(const QVariant &v)
{
    if (!v.isValid()) return Variant();
    if (v.isNull()) return Variant::null();
    switch (v.typeId()) {
    case QMetaType::Bool: return Variant(v.toBool());
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Char: case QMetaType::SChar:
        return Variant::integer(int16_t(v.toInt()));
    case QMetaType::UChar: return Variant::byte(uint8_t(v.toUInt()));
    case QMetaType::Int: return Variant(v.toInt());
    case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong: case QMetaType::Long: {
        qlonglong x = v.toLongLong();
        if (x >= INT32_MIN && x <= INT32_MAX) return Variant(int(x));
        return Variant(double(x));
    }
    case QMetaType::Float: return Variant::single(v.toFloat());
    case QMetaType::Double: return Variant(v.toDouble());
    case QMetaType::QDate: return Variant::date(automationdate::fromDateTime(QDateTime(v.toDate(), QTime(0, 0))));
    case QMetaType::QTime: {
        QTime t = v.toTime();
        return Variant::date((t.hour() * 3600 + t.minute() * 60 + t.second()) / 86400.0);
    }
    case QMetaType::QDateTime: return Variant::dateTime(v.toDateTime());
    case QMetaType::QByteArray: {
        QByteArray b = v.toByteArray();
        QVector<Variant> items;
        items.reserve(b.size());
        for (char c : b) items.append(Variant::byte(uint8_t(c)));
        return makeArray(items);
    }
    case QMetaType::QVariantList: case QMetaType::QStringList: {
        QVector<Variant> items;
        for (const QVariant &x : v.toList()) items.append(fromQVariant(x));
        return makeArray(items);
    }
    default: return Variant(v.toString());
    }
}

// JSON carries the subtype where plain JSON would lose it: dates, currency and
// typed integers travel as {"$t": code, "v": value}.
QJsonValue Variant::toJson() const
{
    auto tagged = [](int t, const QJsonValue &v) {
        QJsonObject o;
        o.insert(QStringLiteral("$t"), t);
        o.insert(QStringLiteral("v"), v);
        return QJsonValue(o);
    };
    switch (m_type) {
    case VarType::Empty: return tagged(0, QJsonValue());
    case VarType::Null: return QJsonValue(QJsonValue::Null);
    case VarType::Boolean: return QJsonValue(m_u.b);
    case VarType::Long: return QJsonValue(m_u.i32);
    case VarType::Double: return QJsonValue(m_u.d);
    case VarType::String: return QJsonValue(m_u.str);
    case VarType::Integer: case VarType::Byte: return tagged(int(m_type), m_u.i32);
    case VarType::Single: return tagged(int(m_type), m_u.d);
    case VarType::Currency: return tagged(int(m_type), QString::number(m_u.i64));
    case VarType::Date: return tagged(int(m_type), automationdate::toDateTime(m_u.d).toString(Qt::ISODate));
    case VarType::Error: return tagged(int(m_type), m_u.i32);
    case VarType::Array: {
        const SafeArray *a = m_u.arr;
        QJsonArray items;
        for (int i = 0; i < a->count(); ++i) items.append(a->at(i).toJson());
        if (a->dimensions() == 1 && a->lowerBound(0) == 0) return items;
        QJsonArray bounds;
        for (const auto &b : a->bounds()) bounds.append(QJsonArray{b.lower, b.count});
        QJsonObject o;
        o.insert(QStringLiteral("$t"), 0x200C);
        o.insert(QStringLiteral("bounds"), bounds);
        o.insert(QStringLiteral("v"), items);
        return o;
    }
    case VarType::ByRef: return m_u.ref->toJson();
    default: throw AutomationError(13);
    }
}

Variant Variant::fromJson(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::Null: return Variant::null();
    case QJsonValue::Bool: return Variant(v.toBool());
    case QJsonValue::Double: {
        double d = v.toDouble();
        if (d == std::trunc(d) && d >= INT32_MIN && d <= INT32_MAX) return Variant(int(d));
        return Variant(d);
    }
    case QJsonValue::String: return Variant(v.toString());
    case QJsonValue::Array: {
        QVector<Variant> items;
        for (const QJsonValue &x : v.toArray()) items.append(fromJson(x));
        return makeArray(items);
    }
    case QJsonValue::Object: {
        QJsonObject o = v.toObject();
        int t = o.value(QStringLiteral("$t")).toInt(-1);
        QJsonValue x = o.value(QStringLiteral("v"));
        switch (t) {
        case 0: return Variant();
        case 2: return Variant::integer(int16_t(x.toInt()));
        case 17: return Variant::byte(uint8_t(x.toInt()));
        case 4: return Variant::single(float(x.toDouble()));
        case 6: return Variant::currency(Currency{x.toString().toLongLong()});
        case 7: return Variant::dateTime(QDateTime::fromString(x.toString(), Qt::ISODate));
        case 10: return Variant::error(x.toInt());
        case 0x200C: {
            QVector<SafeArray::Bound> bounds;
            for (const QJsonValue &b : o.value(QStringLiteral("bounds")).toArray())
                bounds.append({b.toArray().at(0).toInt(), b.toArray().at(1).toInt()});
            auto *a = new SafeArray(bounds);
            QJsonArray items = x.toArray();
            for (int i = 0; i < a->count() && i < items.size(); ++i) a->at(i) = fromJson(items.at(i));
            return Variant::array(a);
        }
        default: return Variant();
        }
    }
    default: return Variant();
    }
}

// ---- safe arrays ----------------------------------------------------------------

SafeArray::SafeArray(const QVector<Bound> &bounds) : m_bounds(bounds)
{
    qint64 n = 1;
    for (const Bound &b : bounds) {
        if (b.count < 0) throw AutomationError(9);
        n *= b.count;
        if (n > kMaxScriptArrayElements) throw AutomationError(7);
    }
    m_data.resize(int(bounds.isEmpty() ? 0 : n));
}

SafeArray *SafeArray::vector(const QVector<Variant> &items, int lower)
{
    auto *a = new SafeArray({{lower, int(items.size())}});
    for (int i = 0; i < items.size(); ++i) a->m_data[i] = items[i];
    return a;
}

int SafeArray::offset(const int *idx, int n) const
{
    if (n != m_bounds.size()) return -1;
    int off = 0, mult = 1;
    for (int i = 0; i < n; ++i) {
        int k = idx[i] - m_bounds[i].lower;
        if (k < 0 || k >= m_bounds[i].count) return -1;
        off += k * mult;
        mult *= m_bounds[i].count;
    }
    return off;
}

void SafeArray::redimPreserve(const QVector<Bound> &nb)
{
    if (nb.size() != m_bounds.size()) throw AutomationError(9);
    for (int i = 0; i + 1 < nb.size(); ++i)
        if (nb[i].count != m_bounds[i].count || nb[i].lower != m_bounds[i].lower) throw AutomationError(9);
    // The last dimension varies slowest, so its elements are a prefix of the data.
    qint64 n = 1;
    for (const Bound &b : nb) {
        n *= b.count;
        if (n > kMaxScriptArrayElements) throw AutomationError(7);
    }
    m_data.resize(int(n));
    m_bounds = nb;
}

Variant makeArray(const QVector<Variant> &items, int lower)
{
    return Variant::array(SafeArray::vector(items, lower));
}

} // namespace vorn
