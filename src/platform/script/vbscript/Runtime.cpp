// VBScript's function library: conversions, strings, math, dates, arrays, type
// tests, objects (CreateObject, GetRef, Eval, Execute), host dialogs, locale; its
// named constants; and the Err object.
#include "platform/script/vbscript/Runtime.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/VariantOps.h"
#include "platform/script/ScriptEngine.h"
#include "platform/core/CodePage.h"
#include <QDateTime>
#include <QRegularExpression>
#include <QUrl>
#include <cmath>

namespace vorn::vbs {

namespace {

inline const Variant &A(Variant *a, int i) { return a[i].deref(); }
inline bool has(Variant *a, int n, int i) { return i < n && !a[i].deref().isMissing(); }

// ---- Err ----------------------------------------------------------------------------

class ErrObject : public DispatchObject
{
public:
    int number = 0;
    QString description, source, helpFile;
    int helpContext = 0;
    static const TypeInfo *staticTypeInfo()
    {
        static TypeInfo *ti = [] {
            auto *t = new TypeInfo(QStringLiteral("IErrObject"));
            TypeBuilder<ErrObject>(t)
                .property(QStringLiteral("Number"), DISPID_VALUE, {}, VarType::Long,
                          [](ErrObject &e, CallArgs &) { return Variant(e.number); },
                          [](ErrObject &e, CallArgs &a) { e.number = a[0].toLong(); return Variant(); })
                .property(QStringLiteral("Description"), 1, {}, VarType::String,
                          [](ErrObject &e, CallArgs &) { return Variant(e.description); },
                          [](ErrObject &e, CallArgs &a) { e.description = a[0].toString(); return Variant(); })
                .property(QStringLiteral("Source"), 2, {}, VarType::String,
                          [](ErrObject &e, CallArgs &) { return Variant(e.source); },
                          [](ErrObject &e, CallArgs &a) { e.source = a[0].toString(); return Variant(); })
                .property(QStringLiteral("HelpFile"), 3, {}, VarType::String,
                          [](ErrObject &e, CallArgs &) { return Variant(e.helpFile); },
                          [](ErrObject &e, CallArgs &a) { e.helpFile = a[0].toString(); return Variant(); })
                .property(QStringLiteral("HelpContext"), 4, {}, VarType::Long,
                          [](ErrObject &e, CallArgs &) { return Variant(e.helpContext); },
                          [](ErrObject &e, CallArgs &a) { e.helpContext = a[0].toLong(); return Variant(); })
                .method(QStringLiteral("Raise"), 5,
                        {ParamInfo(QStringLiteral("Number"), VarType::Long), ParamInfo(QStringLiteral("Source"), VarType::Variant, true),
                         ParamInfo(QStringLiteral("Description"), VarType::Variant, true), ParamInfo(QStringLiteral("HelpFile"), VarType::Variant, true),
                         ParamInfo(QStringLiteral("HelpContext"), VarType::Variant, true)},
                        VarType::Empty, [](ErrObject &, CallArgs &a) -> Variant {
                            int num = a[0].toLong();
                            if (num == 0) throw AutomationError(5);
                            AutomationError base(num);
                            QString desc = a.has(2) ? a[2].toString() : base.description();
                            if (!a.has(2) && errorDescription(num).isEmpty()) desc = QStringLiteral("Неизвестная ошибка выполнения");
                            QString src = a.has(1) ? a[1].toString() : runtimeErrorSource();
                            throw AutomationError(num, desc, src);
                        })
                .method(QStringLiteral("Clear"), 6, {}, VarType::Empty, [](ErrObject &e, CallArgs &) {
                    e.number = 0; e.description.clear(); e.source.clear(); e.helpFile.clear(); e.helpContext = 0;
                    return Variant(); });
            return t;
        }();
        return ti;
    }
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("ErrObject"); }
};

// Function reference from GetRef: its default member calls the procedure.
class ProcRef : public DispatchObject
{
public:
    ProcRef(Vm *vm, Proc *p) : m_vm(vm), m_alive(vm->alive), m_proc(p) {}
    QString className() const override { return QStringLiteral("Object"); }
    int memberId(const QString &) const override { return DISPID_UNKNOWN; }
    Variant invoke(int dispId, int, CallArgs &args) override
    {
        if (dispId != DISPID_VALUE || !m_alive->load()) throw AutomationError(438);
        return m_vm->call(m_proc, nullptr, args.v, args.n);
    }
private:
    Vm *m_vm;
    std::shared_ptr<std::atomic<bool>> m_alive;
    Proc *m_proc;
};

// ---- helpers ----------------------------------------------------------------------

QString str(Variant *a, int i)
{
    const Variant &v = A(a, i);
    if (v.isNull()) throw AutomationError(94);
    return v.toString();
}

int compareMode(Variant *a, int n, int i)
{
    return has(a, n, i) ? A(a, i).toLong() : 0;
}


double dateArg(Variant *a, int i) { return A(a, i).toDate(); }

void parts(double d, int *y, int *m, int *day, int *hh = nullptr, int *mi = nullptr, int *ss = nullptr)
{
    automationdate::toParts(d, y, m, day, hh, mi, ss);
}

int weekdayOf(double d, int firstDay)
{
    // 30 Dec 1899 was a Saturday (7 with Sunday first)
    qint64 days = qint64(std::floor(d));
    int wd = int(((days % 7) + 7 + 6) % 7) + 1;   // 1 = Sunday
    if (firstDay <= 0) firstDay = 1;
    return ((wd - firstDay + 7) % 7) + 1;
}

QString monthName(int m, bool abbrev)
{
    const QLocale &l = scriptLocale();
    return abbrev ? l.monthName(m, QLocale::ShortFormat) : l.standaloneMonthName(m, QLocale::LongFormat);
}

QString weekdayName(int wd, bool abbrev, int firstDay)
{
    if (firstDay <= 0) firstDay = 1;
    int sunBased = ((wd - 1 + firstDay - 1) % 7) + 1;   // 1 = Sunday
    int qtDay = sunBased == 1 ? 7 : sunBased - 1;        // Qt: 1 = Monday
    return scriptLocale().dayName(qtDay, abbrev ? QLocale::ShortFormat : QLocale::LongFormat);
}

Variant makeStringArray(const QStringList &l)
{
    QVector<Variant> items;
    items.reserve(l.size());
    for (const QString &s : l) items.append(Variant(s));
    return makeArray(items);
}

SafeArray *arrayArg(Variant *a, int i)
{
    const Variant &v = A(a, i);
    if (!v.isArray()) throw AutomationError(13);
    return v.rawArray();
}

QString formatNumberText(double v, int digits, int leading, int parens, int group, bool currency, bool percent)
{
    const QLocale &l = scriptLocale();
    if (digits < 0) digits = 2;
    if (percent) v *= 100;
    bool neg = v < 0;
    double av = std::fabs(v);
    QLocale fmt = l;
    QString s;
    if (group == 0) fmt.setNumberOptions(QLocale::OmitGroupSeparator);
    s = fmt.toString(av, 'f', digits);
    if (leading == 0 && s.startsWith(QLatin1Char('0')) && s.size() > 1 && !s.at(1).isDigit()) s.remove(0, 1);
    if (currency) {
        QString sym = l.currencySymbol();
        QString t = l.toCurrencyString(1.0);
        s = t.startsWith(sym) ? sym + s : s + QChar(0xA0) + sym;
    }
    if (percent) s += QLatin1Char('%');
    if (neg && s.contains(QRegularExpression(QStringLiteral("[1-9]")))) s = parens == -1 ? QLatin1Char('(') + s + QLatin1Char(')') : QLatin1Char('-') + s;
    return s;
}

QString formatDateTimeText(double d, int fmt)
{
    const QLocale &l = scriptLocale();
    int y, m, dd, hh, mi, ss;
    parts(d, &y, &m, &dd, &hh, &mi, &ss);
    switch (fmt) {
    case 1: return l.toString(QDate(y, m, dd), QLocale::LongFormat);
    case 2: { Variant v = Variant::date(std::floor(d)); return v.toString(); }
    case 3: {
        QTime t(hh, mi, ss);
        bool ampm = l.timeFormat(QLocale::ShortFormat).contains(QLatin1String("AP"), Qt::CaseInsensitive);
        return t.toString(ampm ? QStringLiteral("h:mm:ss AP") : QStringLiteral("H:mm:ss"));
    }
    case 4: return QTime(hh, mi).toString(QStringLiteral("HH:mm"));
    default: return formatDate(d);
    }
}

double addInterval(const QString &iv0, double n, double d)
{
    QString iv = iv0.toLower();
    int y, m, dd, hh, mi, ss;
    parts(d, &y, &m, &dd, &hh, &mi, &ss);
    auto rebuild = [&](int yy, int mm) {
        int dim = QDate(yy + (mm - 1 < 0 ? (mm - 12) / 12 : (mm - 1) / 12), ((mm - 1) % 12 + 12) % 12 + 1, 1).daysInMonth();
        int day = std::min(dd, dim);
        return automationdate::fromParts(yy, mm, day, hh, mi, ss);
    };
    int k = int(n);
    if (iv == QLatin1String("yyyy")) return rebuild(y + k, m);
    if (iv == QLatin1String("q")) return rebuild(y, m + 3 * k);
    if (iv == QLatin1String("m")) return rebuild(y, m + k);
    if (iv == QLatin1String("d") || iv == QLatin1String("y") || iv == QLatin1String("w")) return d + k;
    if (iv == QLatin1String("ww")) return d + 7 * k;
    double whole = std::floor(d);
    double secs = std::round((d - whole) * 86400.0);
    double total = whole * 86400.0 + secs;
    if (iv == QLatin1String("h")) total += 3600.0 * k;
    else if (iv == QLatin1String("n")) total += 60.0 * k;
    else if (iv == QLatin1String("s")) total += k;
    else throw AutomationError(5);
    double nd = std::floor(total / 86400.0);
    return nd + (total - nd * 86400.0) / 86400.0;
}

Variant diffInterval(const QString &iv0, double d1, double d2, int firstDay)
{
    QString iv = iv0.toLower();
    int y1, m1, dd1, y2, m2, dd2;
    parts(d1, &y1, &m1, &dd1);
    parts(d2, &y2, &m2, &dd2);
    auto secs = [](double d) { double w = std::floor(d); return w * 86400.0 + std::round((d - w) * 86400.0); };
    if (iv == QLatin1String("yyyy")) return Variant(y2 - y1);
    if (iv == QLatin1String("q")) return Variant((y2 * 4 + (m2 - 1) / 3) - (y1 * 4 + (m1 - 1) / 3));
    if (iv == QLatin1String("m")) return Variant((y2 * 12 + m2) - (y1 * 12 + m1));
    if (iv == QLatin1String("d") || iv == QLatin1String("y")) return Variant(int(std::floor(d2) - std::floor(d1)));
    if (iv == QLatin1String("w")) return Variant(int((std::floor(d2) - std::floor(d1)) / 7));
    if (iv == QLatin1String("ww")) {
        // weeks counted by the first day of the week crossed
        double a = std::floor(d1) - (weekdayOf(d1, firstDay) - 1);
        double b = std::floor(d2) - (weekdayOf(d2, firstDay) - 1);
        return Variant(int((b - a) / 7));
    }
    if (iv == QLatin1String("h")) return Variant(int(std::floor(secs(d2) / 3600) - std::floor(secs(d1) / 3600)));
    if (iv == QLatin1String("n")) return Variant(int(std::floor(secs(d2) / 60) - std::floor(secs(d1) / 60)));
    if (iv == QLatin1String("s")) return Variant(int(secs(d2) - secs(d1)));
    throw AutomationError(5);
}

Variant datePart(const QString &iv0, double d, int firstDay)
{
    QString iv = iv0.toLower();
    int y, m, dd, hh, mi, ss;
    parts(d, &y, &m, &dd, &hh, &mi, &ss);
    if (iv == QLatin1String("yyyy")) return Variant(y);
    if (iv == QLatin1String("q")) return Variant((m - 1) / 3 + 1);
    if (iv == QLatin1String("m")) return Variant(m);
    if (iv == QLatin1String("y")) return Variant(QDate(y, m, dd).dayOfYear());
    if (iv == QLatin1String("d")) return Variant(dd);
    if (iv == QLatin1String("w")) return Variant(weekdayOf(d, firstDay));
    if (iv == QLatin1String("ww")) {
        QDate jan1(y, 1, 1);
        double j = automationdate::fromParts(y, 1, 1);
        int offset = weekdayOf(j, firstDay) - 1;
        return Variant(int((jan1.daysTo(QDate(y, m, dd)) + offset) / 7 + 1));
    }
    if (iv == QLatin1String("h")) return Variant(hh);
    if (iv == QLatin1String("n")) return Variant(mi);
    if (iv == QLatin1String("s")) return Variant(ss);
    throw AutomationError(5);
}

// Rnd: the linear congruential generator VBScript uses (24-bit state).
float nextRnd(Vm &vm)
{
    vm.rndSeed = (vm.rndSeed * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
    return float(vm.rndSeed) / float(0x1000000);
}

Variant runDynamic(Vm &vm, const QString &text, bool expression, bool global)
{
    const Vm::Frame *f = vm.currentFrame();
    Proc *scope = (!global && f && f->proc && !f->proc->name.isEmpty()) ? f->proc : nullptr;
    if (!global && f && f->proc && f->proc->parentScope) scope = nullptr;
    Proc *p = vm.compileDynamic(text, expression, scope);
    return vm.callWithParent(p, scope ? f->me : (global ? nullptr : (f ? f->me : nullptr)), scope ? f->base : nullptr);
}

// ---- the table ----------------------------------------------------------------------

#define FN(name) static Variant name(Vm &vm, Variant *a, int n)
#define UNUSED (void)vm; (void)a; (void)n

FN(fAbs) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v; if (v.isEmpty()) return Variant::integer(0);
    switch (v.type()) {
    case VarType::Integer: return v.rawInt() < 0 ? ops::neg(v) : v;
    case VarType::Long: return v.rawInt() < 0 ? ops::neg(v) : v;
    case VarType::Currency: return Variant::currency(Currency{std::llabs(v.rawCurrency())});
    case VarType::Single: return Variant::single(std::fabs(float(v.rawDouble())));
    default: return Variant(std::fabs(v.toDouble()));
    } }
FN(fArray) { UNUSED; QVector<Variant> items; for (int i = 0; i < n; ++i) items.append(A(a, i)); return makeArray(items); }
FN(fAsc) { UNUSED; QString s = str(a, 0); if (s.isEmpty()) throw AutomationError(5);
    QByteArray b = vorn::codepage::toCp1251(s.left(1)); return Variant::integer(int16_t(uint8_t(b.isEmpty() ? '?' : b.at(0)))); }
FN(fAscW) { UNUSED; QString s = str(a, 0); if (s.isEmpty()) throw AutomationError(5); return Variant::integer(int16_t(s.at(0).unicode())); }
FN(fAtn) { UNUSED; if (A(a, 0).isNull()) return A(a, 0); return Variant(std::atan(A(a, 0).toDouble())); }
FN(fCBool) { UNUSED; return Variant(A(a, 0).toBool()); }
FN(fCByte) { UNUSED; return Variant::byte(A(a, 0).toByte()); }
FN(fCCur) { UNUSED; return Variant::currency(A(a, 0).toCurrency()); }
FN(fCDate) { UNUSED; return Variant::date(A(a, 0).toDate()); }
FN(fCDbl) { UNUSED; return Variant(A(a, 0).toDouble()); }
FN(fChr) { UNUSED; int c = A(a, 0).toLong(); if (c < 0 || c > 255) throw AutomationError(5);
    if (c < 128) return Variant(QString(QChar(c)));
    return Variant(vorn::codepage::fromCp1251(QByteArray(1, char(c)))); }
FN(fChrW) { UNUSED; int c = A(a, 0).toLong(); if (c < -32768 || c > 65535) throw AutomationError(5); return Variant(QString(QChar(char16_t(c & 0xFFFF)))); }
FN(fCInt) { UNUSED; return Variant::integer(A(a, 0).toInteger()); }
FN(fCLng) { UNUSED; return Variant(int(A(a, 0).toLong())); }
FN(fCos) { UNUSED; return Variant(std::cos(A(a, 0).toDouble())); }
FN(fCreateObject) { UNUSED; DispatchObject *o = ClassRegistry::instance().create(str(a, 0)); return Variant(o); }
FN(fCSng) { UNUSED; return Variant::single(A(a, 0).toSingle()); }
FN(fCStr) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) throw AutomationError(94); return Variant(v.toString()); }
FN(fDate) { UNUSED; return Variant::date(std::floor(automationdate::fromDateTime(QDateTime::currentDateTime()))); }
FN(fDateAdd) { UNUSED; return Variant::date(addInterval(str(a, 0), A(a, 1).toDouble(), dateArg(a, 2))); }
FN(fDateDiff) { UNUSED; if (A(a, 1).isNull() || A(a, 2).isNull()) return Variant::null();
    return diffInterval(str(a, 0), dateArg(a, 1), dateArg(a, 2), has(a, n, 3) ? A(a, 3).toLong() : 1); }
FN(fDatePart) { UNUSED; if (A(a, 1).isNull()) return Variant::null(); return datePart(str(a, 0), dateArg(a, 1), has(a, n, 2) ? A(a, 2).toLong() : 1); }
FN(fDateSerial) { UNUSED; return Variant::date(automationdate::fromParts(A(a, 0).toInteger(), A(a, 1).toInteger(), A(a, 2).toInteger())); }
FN(fDateValue) { UNUSED; return Variant::date(std::floor(A(a, 0).toDate())); }
FN(fDay) { UNUSED; if (A(a, 0).isNull()) return Variant::null(); int y, m, d; parts(dateArg(a, 0), &y, &m, &d); return Variant::integer(int16_t(d)); }
FN(fErr) { UNUSED; return Variant(vm.errObject()); }
FN(fEscape) { UNUSED; QString s = str(a, 0), out;
    for (QChar c : s) {
        ushort u = c.unicode();
        if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || QStringLiteral("@*_+-./").contains(c)) out += c;
        else if (u < 256) out += QLatin1Char('%') + QStringLiteral("%1").arg(u, 2, 16, QLatin1Char('0')).toUpper();
        else out += QStringLiteral("%u") + QStringLiteral("%1").arg(u, 4, 16, QLatin1Char('0')).toUpper();
    }
    return Variant(out); }
FN(fEval) { UNUSED; return runDynamic(vm, str(a, 0), true, false); }
FN(fExecute) { UNUSED; runDynamic(vm, str(a, 0), false, false); return Variant(); }
FN(fExecuteGlobal) { UNUSED; runDynamic(vm, str(a, 0), false, true); return Variant(); }
FN(fExp) { UNUSED; double r = std::exp(A(a, 0).toDouble()); if (std::isinf(r)) throw AutomationError(6); return Variant(r); }
FN(fFilter) { UNUSED; SafeArray *arr = arrayArg(a, 0); if (arr->dimensions() != 1) throw AutomationError(5);
    QString match = str(a, 1); bool include = has(a, n, 2) ? A(a, 2).toBool() : true; int cmp = compareMode(a, n, 3);
    QVector<Variant> out;
    for (int i = 0; i < arr->count(); ++i) {
        QString s = arr->at(i).toString();
        bool found = s.contains(match, cmp ? Qt::CaseInsensitive : Qt::CaseSensitive);
        if (found == include) out.append(Variant(s));
    }
    return makeArray(out); }
FN(fFix) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v;
    if (v.type() == VarType::Integer || v.type() == VarType::Long || v.type() == VarType::Byte) return v;
    double d = std::trunc(v.toDouble()); return v.type() == VarType::Currency ? Variant::currency(Currency::fromDouble(d)) : Variant(d); }
FN(fFormatCurrency) { UNUSED; return Variant(formatNumberText(A(a, 0).toDouble(), has(a, n, 1) ? A(a, 1).toLong() : -1, has(a, n, 2) ? A(a, 2).toLong() : -2,
    has(a, n, 3) ? A(a, 3).toLong() : -2, has(a, n, 4) ? A(a, 4).toLong() : -2, true, false)); }
FN(fFormatDateTime) { UNUSED; return Variant(formatDateTimeText(dateArg(a, 0), has(a, n, 1) ? A(a, 1).toLong() : 0)); }
FN(fFormatNumber) { UNUSED; return Variant(formatNumberText(A(a, 0).toDouble(), has(a, n, 1) ? A(a, 1).toLong() : -1, has(a, n, 2) ? A(a, 2).toLong() : -2,
    has(a, n, 3) ? A(a, 3).toLong() : -2, has(a, n, 4) ? A(a, 4).toLong() : -2, false, false)); }
FN(fFormatPercent) { UNUSED; return Variant(formatNumberText(A(a, 0).toDouble(), has(a, n, 1) ? A(a, 1).toLong() : -1, has(a, n, 2) ? A(a, 2).toLong() : -2,
    has(a, n, 3) ? A(a, 3).toLong() : -2, has(a, n, 4) ? A(a, 4).toLong() : -2, false, true)); }
FN(fGetLocale) { UNUSED; return Variant(vm.localeId); }
FN(fGetObject) { UNUSED; throw AutomationError(429, has(a, n, 1) ? str(a, 1) : (has(a, n, 0) ? str(a, 0) : QString())); }
FN(fGetRef) { UNUSED; QString name = str(a, 0); auto it = vm.procIndex.constFind(name.toLower());
    if (it == vm.procIndex.constEnd()) throw AutomationError(5);
    return Variant(static_cast<DispatchObject *>(new ProcRef(&vm, vm.procs[*it].get()))); }
FN(fHex) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v; int x = v.toLong();
    if ((v.type() == VarType::Integer || v.type() == VarType::Byte || v.type() == VarType::Boolean || v.type() == VarType::Empty) && x < 0) x &= 0xFFFF;
    return Variant(QString::number(uint32_t(x), 16).toUpper()); }
FN(fHour) { UNUSED; if (A(a, 0).isNull()) return Variant::null(); int y, m, d, h; parts(dateArg(a, 0), &y, &m, &d, &h); return Variant::integer(int16_t(h)); }
FN(fInputBox) { UNUSED; bool cancelled = false;
    QString r = vm.site ? vm.site->inputBox(str(a, 0), has(a, n, 1) ? str(a, 1) : QString(), has(a, n, 2) ? str(a, 2) : QString(), &cancelled) : QString();
    return cancelled ? Variant() : Variant(r); }
FN(fInStr) { UNUSED;
    int start = 1, si = 0;
    if (n >= 3) { if (A(a, 0).isNull()) throw AutomationError(94); start = A(a, 0).toLong(); si = 1; }
    if (start < 1) throw AutomationError(5);
    const Variant &s1 = A(a, si), &s2 = A(a, si + 1);
    if (s1.isNull() || s2.isNull()) return Variant::null();
    int cmp = n >= 4 ? compareMode(a, n, 3) : 0;
    QString h = s1.toString(), nd = s2.toString();
    if (start > h.size()) return Variant(0);
    if (nd.isEmpty()) return Variant(start);
    return Variant(int(h.indexOf(nd, start - 1, cmp ? Qt::CaseInsensitive : Qt::CaseSensitive)) + 1); }
FN(fInStrRev) { UNUSED; const Variant &s1 = A(a, 0), &s2 = A(a, 1);
    if (s1.isNull() || s2.isNull()) return Variant::null();
    QString h = s1.toString(), nd = s2.toString();
    int start = has(a, n, 2) ? A(a, 2).toLong() : -1;
    int cmp = compareMode(a, n, 3);
    if (start == 0 || start < -1) throw AutomationError(5);
    if (start == -1) start = int(h.size());
    if (nd.isEmpty()) return Variant(start);
    if (start > h.size()) return Variant(0);
    int from = start - int(nd.size());
    if (from < 0) return Variant(0);
    return Variant(int(h.lastIndexOf(nd, from, cmp ? Qt::CaseInsensitive : Qt::CaseSensitive)) + 1); }
FN(fInt) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v;
    if (v.type() == VarType::Integer || v.type() == VarType::Long || v.type() == VarType::Byte) return v;
    double d = std::floor(v.toDouble()); return v.type() == VarType::Currency ? Variant::currency(Currency::fromDouble(d)) : Variant(d); }
FN(fIsArray) { UNUSED; return Variant(A(a, 0).isArray()); }
FN(fIsDate) { UNUSED; const Variant &v = A(a, 0); if (v.type() == VarType::Date) return Variant(true);
    if (v.isString()) { double d; return Variant(parseDate(v.rawString(), &d)); } return Variant(false); }
FN(fIsEmpty) { UNUSED; return Variant(A(a, 0).isEmpty()); }
FN(fIsNull) { UNUSED; return Variant(A(a, 0).isNull()); }
FN(fIsNumeric) { UNUSED; const Variant &v = A(a, 0);
    if (v.type() == VarType::Date || v.isArray() || v.isObject() || v.isNull()) return Variant(false);
    return Variant(v.isNumeric()); }
FN(fIsObject) { UNUSED; return Variant(A(a, 0).isObject()); }
FN(fJoin) { UNUSED; SafeArray *arr = arrayArg(a, 0); if (arr->dimensions() > 1) throw AutomationError(5);
    QString sep = has(a, n, 1) ? str(a, 1) : QStringLiteral(" ");
    QString out;
    for (int i = 0; i < arr->count(); ++i) { if (i) out += sep; const Variant &e = arr->at(i); if (!e.isNull()) out += e.toString(); }
    return Variant(out); }
FN(fLBound) { UNUSED; SafeArray *arr = arrayArg(a, 0); int d = has(a, n, 1) ? A(a, 1).toLong() : 1;
    if (d < 1 || d > arr->dimensions()) throw AutomationError(9);
    return Variant(arr->lowerBound(d - 1)); }
FN(fLCase) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v; return Variant(v.toString().toLower()); }
FN(fLeft) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v; int k = A(a, 1).toLong(); if (k < 0) throw AutomationError(5); return Variant(v.toString().left(k)); }
FN(fLen) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v; return Variant(int(v.toString().size())); }
FN(fLenB) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v; return Variant(int(v.toString().size() * 2)); }
FN(fLog) { UNUSED; double d = A(a, 0).toDouble(); if (d <= 0) throw AutomationError(5); return Variant(std::log(d)); }
FN(fLTrim) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v; QString s = v.toString(); int i = 0; while (i < s.size() && s.at(i) == QLatin1Char(' ')) ++i; return Variant(s.mid(i)); }
FN(fRTrim) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v; QString s = v.toString(); int i = int(s.size()); while (i > 0 && s.at(i - 1) == QLatin1Char(' ')) --i; return Variant(s.left(i)); }
FN(fTrim) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v; QString s = v.toString(); int b = 0, e = int(s.size());
    while (b < e && s.at(b) == QLatin1Char(' ')) ++b;
    while (e > b && s.at(e - 1) == QLatin1Char(' ')) --e;
    return Variant(s.mid(b, e - b)); }
FN(fMid) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v; int st = A(a, 1).toLong(); if (st < 1) throw AutomationError(5);
    QString s = v.toString(); if (has(a, n, 2)) { int k = A(a, 2).toLong(); if (k < 0) throw AutomationError(5); return Variant(s.mid(st - 1, k)); }
    return Variant(s.mid(st - 1)); }
FN(fMinute) { UNUSED; if (A(a, 0).isNull()) return Variant::null(); int y, m, d, h, mi; parts(dateArg(a, 0), &y, &m, &d, &h, &mi); return Variant::integer(int16_t(mi)); }
FN(fMonth) { UNUSED; if (A(a, 0).isNull()) return Variant::null(); int y, m, d; parts(dateArg(a, 0), &y, &m, &d); return Variant::integer(int16_t(m)); }
FN(fMonthName) { UNUSED; int m = A(a, 0).toLong(); if (m < 1 || m > 12) throw AutomationError(5); return Variant(monthName(m, has(a, n, 1) && A(a, 1).toBool())); }
FN(fMsgBox) { UNUSED; int buttons = has(a, n, 1) ? A(a, 1).toLong() : 0; QString title = has(a, n, 2) ? str(a, 2) : QStringLiteral("VBScript");
    int r = vm.site ? vm.site->messageBox(A(a, 0).isNull() ? QString() : A(a, 0).toString(), buttons, title) : 1; return Variant::integer(int16_t(r)); }
FN(fNow) { UNUSED; return Variant::date(automationdate::fromDateTime(QDateTime::currentDateTime().addMSecs(-QDateTime::currentDateTime().time().msec()))); }
FN(fOct) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v; int x = v.toLong();
    if ((v.type() == VarType::Integer || v.type() == VarType::Byte) && x < 0) x &= 0xFFFF;
    return Variant(QString::number(uint32_t(x), 8)); }
FN(fRandomize) { UNUSED;
    double seed = has(a, n, 0) ? A(a, 0).toDouble() : QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
    union { float f; uint32_t u; } conv; conv.f = float(seed);
    uint32_t x = conv.u; x ^= x >> 16;
    vm.rndSeed = (vm.rndSeed & 0xFF00FFu) | ((x & 0xFFFF) << 8);
    vm.rndSeed &= 0xFFFFFFu;
    return Variant(); }
FN(fReplace) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v;
    QString s = v.toString(), f = str(a, 1), r = str(a, 2);
    int start = has(a, n, 3) ? A(a, 3).toLong() : 1, count = has(a, n, 4) ? A(a, 4).toLong() : -1, cmp = compareMode(a, n, 5);
    if (start < 1 || count < -1) throw AutomationError(5);
    QString src = s.mid(start - 1);
    if (f.isEmpty() || count == 0) return Variant(src);
    QString out; int pos = 0, done = 0;
    Qt::CaseSensitivity cs = cmp ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (;;) {
        int k = int(src.indexOf(f, pos, cs));
        if (k < 0 || (count >= 0 && done >= count)) break;
        out += src.mid(pos, k - pos); out += r; pos = k + int(f.size()); ++done;
    }
    out += src.mid(pos);
    return Variant(out); }
FN(fRGB) { UNUSED; int r = A(a, 0).toLong(), g = A(a, 1).toLong(), b = A(a, 2).toLong();
    auto c = [](int x) { return x < 0 ? 0 : x > 255 ? 255 : x; };
    return Variant(c(r) | (c(g) << 8) | (c(b) << 16)); }
FN(fRight) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v; int k = A(a, 1).toLong(); if (k < 0) throw AutomationError(5); return Variant(v.toString().right(k)); }
FN(fRnd) { UNUSED; if (has(a, n, 0)) { double x = A(a, 0).toDouble();
        if (x == 0) return Variant::single(float(vm.rndLast));
        if (x < 0) { union { float f; uint32_t u; } conv; conv.f = float(x); vm.rndSeed = (conv.u + (conv.u >> 24)) & 0xFFFFFFu; } }
    float r = nextRnd(vm); vm.rndLast = r; return Variant::single(r); }
FN(fRound) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v; int digits = has(a, n, 1) ? A(a, 1).toLong() : 0;
    if (digits < 0) throw AutomationError(5);
    if (digits == 0 && (v.type() == VarType::Integer || v.type() == VarType::Long || v.type() == VarType::Byte)) return v;
    double d = v.toDouble(); double p = std::pow(10.0, digits);
    double r = roundHalfEven(d * p) / p;
    // decimal ties that binary cannot hold exactly (2.675) stay as typed
    if (std::fabs(d * p - std::trunc(d * p)) != 0.5) r = std::round(d * p) / p;
    if (v.type() == VarType::Currency) return Variant::currency(Currency::fromDouble(r));
    if (v.type() == VarType::Single) return Variant::single(float(r));
    return Variant(r); }
FN(fScriptEngine) { UNUSED; return Variant(QStringLiteral("VBScript")); }
FN(fScriptEngineMajorVersion) { UNUSED; return Variant(5); }
FN(fScriptEngineMinorVersion) { UNUSED; return Variant(8); }
FN(fScriptEngineBuildVersion) { UNUSED; return Variant(16384); }
FN(fSecond) { UNUSED; if (A(a, 0).isNull()) return Variant::null(); int y, m, d, h, mi, s; parts(dateArg(a, 0), &y, &m, &d, &h, &mi, &s); return Variant::integer(int16_t(s)); }
FN(fSetLocale) { UNUSED; int old = vm.localeId;
    if (n == 0 || A(a, 0).isEmpty()) return Variant(old);
    const Variant &v = A(a, 0);
    QLocale loc;
    if (v.isString() && !v.isNumeric()) {
        loc = QLocale(QString(v.rawString()).replace(QLatin1Char('-'), QLatin1Char('_')));
        if (loc.language() == QLocale::C) throw AutomationError(5);
    } else {
        int id = v.toLong();
        if (id == 0 || id == 1024 || id == 2048) loc = QLocale();  // the host's default regional settings
        else if (!localeFromLcid(id, &loc)) throw AutomationError(5);
    }
    vm.locale = loc;
    vm.localeId = lcidOf(loc);
    setScriptLocale(loc);
    return Variant(old); }
FN(fSgn) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) throw AutomationError(94); double d = v.toDouble(); return Variant::integer(int16_t(d > 0 ? 1 : d < 0 ? -1 : 0)); }
FN(fSin) { UNUSED; return Variant(std::sin(A(a, 0).toDouble())); }
FN(fSpace) { UNUSED; int k = A(a, 0).toLong(); if (k < 0) throw AutomationError(5); checkScriptStringLength(k); return Variant(QString(k, QLatin1Char(' '))); }
FN(fSplit) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) throw AutomationError(94);
    QString s = v.toString(); QString d = has(a, n, 1) ? str(a, 1) : QStringLiteral(" ");
    int limit = has(a, n, 2) ? A(a, 2).toLong() : -1; int cmp = compareMode(a, n, 3);
    if (s.isEmpty()) return makeArray({});
    if (d.isEmpty()) return makeStringArray({s});
    QStringList out; int pos = 0;
    Qt::CaseSensitivity cs = cmp ? Qt::CaseInsensitive : Qt::CaseSensitive;
    while (limit < 0 || out.size() < limit - 1) {
        int k = int(s.indexOf(d, pos, cs));
        if (k < 0) break;
        out << s.mid(pos, k - pos); pos = k + int(d.size());
    }
    if (limit != 0) out << s.mid(pos);
    return makeStringArray(out); }
FN(fSqr) { UNUSED; double d = A(a, 0).toDouble(); if (d < 0) throw AutomationError(5); return Variant(std::sqrt(d)); }
FN(fStrComp) { UNUSED; const Variant &x = A(a, 0), &y = A(a, 1); if (x.isNull() || y.isNull()) return Variant::null();
    int c = x.toString().compare(y.toString(), compareMode(a, n, 2) ? Qt::CaseInsensitive : Qt::CaseSensitive);
    return Variant::integer(int16_t(c < 0 ? -1 : c > 0 ? 1 : 0)); }
FN(fString) { UNUSED; int k = A(a, 0).toLong(); if (k < 0) throw AutomationError(5); checkScriptStringLength(k); const Variant &c = A(a, 1);
    QChar ch; if (c.isString()) { if (c.rawString().isEmpty()) throw AutomationError(5); ch = c.rawString().at(0); }
    else { int code = c.toLong() % 256; if (code < 0) code += 256; ch = code < 128 ? QChar(code) : vorn::codepage::fromCp1251(QByteArray(1, char(code))).at(0); }
    return Variant(QString(k, ch)); }
FN(fStrReverse) { UNUSED; QString s = str(a, 0); std::reverse(s.begin(), s.end()); return Variant(s); }
FN(fTan) { UNUSED; return Variant(std::tan(A(a, 0).toDouble())); }
FN(fTime) { UNUSED; QTime t = QTime::currentTime(); return Variant::date((t.hour() * 3600 + t.minute() * 60 + t.second()) / 86400.0); }
FN(fTimer) { UNUSED; QTime t = QTime::currentTime(); return Variant::single(float(t.msecsSinceStartOfDay() / 1000.0)); }
FN(fTimeSerial) { UNUSED; int h = A(a, 0).toInteger(), m = A(a, 1).toInteger(), s = A(a, 2).toInteger();
    double secs = h * 3600.0 + m * 60.0 + s; double days = std::floor(secs / 86400.0); double frac = (secs - days * 86400.0) / 86400.0;
    return Variant::date(days < 0 ? days - frac + 1 - 1 : days + frac); }
FN(fTimeValue) { UNUSED; double d = A(a, 0).toDate(); return Variant::date(std::fabs(d - std::trunc(d))); }
FN(fTypeName) { UNUSED; return Variant(A(a, 0).typeName()); }
FN(fUBound) { UNUSED; SafeArray *arr = arrayArg(a, 0); int d = has(a, n, 1) ? A(a, 1).toLong() : 1;
    if (d < 1 || d > arr->dimensions()) throw AutomationError(9);
    return Variant(arr->upperBound(d - 1)); }
FN(fUCase) { UNUSED; const Variant &v = A(a, 0); if (v.isNull()) return v; return Variant(v.toString().toUpper()); }
FN(fUnescape) { UNUSED; QString s = str(a, 0), out;
    for (int i = 0; i < s.size(); ++i) {
        if (s.at(i) == QLatin1Char('%')) {
            bool ok = false;
            if (i + 5 < s.size() + 0 && s.at(i + 1) == QLatin1Char('u')) { int c = s.mid(i + 2, 4).toInt(&ok, 16); if (ok) { out += QChar(c); i += 5; continue; } }
            if (i + 2 < s.size()) { int c = s.mid(i + 1, 2).toInt(&ok, 16); if (ok) { out += QChar(c); i += 2; continue; } }
        }
        out += s.at(i);
    }
    return Variant(out); }
FN(fVarType) { UNUSED; const Variant &v = A(a, 0); if (v.isObject() && v.rawObject()) {
        try { CallArgs none; Variant d = v.rawObject()->invoke(DISPID_VALUE, InvokeGet, none); if (!d.isObject()) return Variant::integer(int16_t(d.varType())); } catch (const AutomationError &) {}
    }
    return Variant::integer(int16_t(v.varType())); }
FN(fWeekday) { UNUSED; if (A(a, 0).isNull()) return Variant::null(); return Variant::integer(int16_t(weekdayOf(dateArg(a, 0), has(a, n, 1) ? A(a, 1).toLong() : 1))); }
FN(fWeekdayName) { UNUSED; int wd = A(a, 0).toLong(); if (wd < 1 || wd > 7) throw AutomationError(5);
    return Variant(weekdayName(wd, has(a, n, 1) && A(a, 1).toBool(), has(a, n, 2) ? A(a, 2).toLong() : 1)); }
FN(fYear) { UNUSED; if (A(a, 0).isNull()) return Variant::null(); int y, m, d; parts(dateArg(a, 0), &y, &m, &d); return Variant::integer(int16_t(y)); }

const Builtin table[] = {
    {"Abs", 1, 1, fAbs}, {"Array", 0, 10000, fArray}, {"Asc", 1, 1, fAsc}, {"AscB", 1, 1, fAsc}, {"AscW", 1, 1, fAscW},
    {"Atn", 1, 1, fAtn}, {"CBool", 1, 1, fCBool}, {"CByte", 1, 1, fCByte}, {"CCur", 1, 1, fCCur}, {"CDate", 1, 1, fCDate},
    {"CDbl", 1, 1, fCDbl}, {"Chr", 1, 1, fChr}, {"ChrB", 1, 1, fChr}, {"ChrW", 1, 1, fChrW}, {"CInt", 1, 1, fCInt},
    {"CLng", 1, 1, fCLng}, {"Cos", 1, 1, fCos}, {"CreateObject", 1, 2, fCreateObject}, {"CSng", 1, 1, fCSng},
    {"CStr", 1, 1, fCStr}, {"Date", 0, 0, fDate}, {"DateAdd", 3, 3, fDateAdd}, {"DateDiff", 3, 5, fDateDiff},
    {"DatePart", 2, 4, fDatePart}, {"DateSerial", 3, 3, fDateSerial}, {"DateValue", 1, 1, fDateValue}, {"Day", 1, 1, fDay},
    {"Err", 0, 0, fErr}, {"Escape", 1, 1, fEscape}, {"Eval", 1, 1, fEval}, {"Execute", 1, 1, fExecute},
    {"ExecuteGlobal", 1, 1, fExecuteGlobal}, {"Exp", 1, 1, fExp}, {"Filter", 2, 4, fFilter}, {"Fix", 1, 1, fFix},
    {"FormatCurrency", 1, 5, fFormatCurrency}, {"FormatDateTime", 1, 2, fFormatDateTime}, {"FormatNumber", 1, 5, fFormatNumber},
    {"FormatPercent", 1, 5, fFormatPercent}, {"GetLocale", 0, 0, fGetLocale}, {"GetObject", 0, 2, fGetObject}, {"GetRef", 1, 1, fGetRef},
    {"Hex", 1, 1, fHex}, {"Hour", 1, 1, fHour}, {"InputBox", 1, 7, fInputBox}, {"InStr", 2, 4, fInStr}, {"InStrB", 2, 4, fInStr},
    {"InStrRev", 2, 4, fInStrRev}, {"Int", 1, 1, fInt}, {"IsArray", 1, 1, fIsArray}, {"IsDate", 1, 1, fIsDate},
    {"IsEmpty", 1, 1, fIsEmpty}, {"IsNull", 1, 1, fIsNull}, {"IsNumeric", 1, 1, fIsNumeric}, {"IsObject", 1, 1, fIsObject},
    {"Join", 1, 2, fJoin}, {"LBound", 1, 2, fLBound}, {"LCase", 1, 1, fLCase}, {"Left", 2, 2, fLeft}, {"LeftB", 2, 2, fLeft},
    {"Len", 1, 1, fLen}, {"LenB", 1, 1, fLenB}, {"Log", 1, 1, fLog}, {"LTrim", 1, 1, fLTrim}, {"Mid", 2, 3, fMid},
    {"MidB", 2, 3, fMid}, {"Minute", 1, 1, fMinute}, {"Month", 1, 1, fMonth}, {"MonthName", 1, 2, fMonthName},
    {"MsgBox", 1, 5, fMsgBox}, {"Now", 0, 0, fNow}, {"Oct", 1, 1, fOct}, {"Randomize", 0, 1, fRandomize},
    {"Replace", 3, 6, fReplace}, {"RGB", 3, 3, fRGB}, {"Right", 2, 2, fRight}, {"RightB", 2, 2, fRight}, {"Rnd", 0, 1, fRnd},
    {"Round", 1, 2, fRound}, {"RTrim", 1, 1, fRTrim}, {"ScriptEngine", 0, 0, fScriptEngine},
    {"ScriptEngineBuildVersion", 0, 0, fScriptEngineBuildVersion}, {"ScriptEngineMajorVersion", 0, 0, fScriptEngineMajorVersion},
    {"ScriptEngineMinorVersion", 0, 0, fScriptEngineMinorVersion}, {"Second", 1, 1, fSecond}, {"SetLocale", 0, 1, fSetLocale},
    {"Sgn", 1, 1, fSgn}, {"Sin", 1, 1, fSin}, {"Space", 1, 1, fSpace}, {"Split", 1, 4, fSplit}, {"Sqr", 1, 1, fSqr},
    {"StrComp", 2, 3, fStrComp}, {"String", 2, 2, fString}, {"StrReverse", 1, 1, fStrReverse}, {"Tan", 1, 1, fTan},
    {"Time", 0, 0, fTime}, {"Timer", 0, 0, fTimer}, {"TimeSerial", 3, 3, fTimeSerial}, {"TimeValue", 1, 1, fTimeValue},
    {"Trim", 1, 1, fTrim}, {"TypeName", 1, 1, fTypeName}, {"UBound", 1, 2, fUBound}, {"UCase", 1, 1, fUCase},
    {"Unescape", 1, 1, fUnescape}, {"VarType", 1, 1, fVarType}, {"Weekday", 1, 2, fWeekday}, {"WeekdayName", 1, 3, fWeekdayName},
    {"Year", 1, 1, fYear},
    {nullptr, 0, 0, nullptr},
};

} // namespace

const Builtin *Vm::builtins() { return table; }
int Vm::builtinCount() { return int(sizeof(table) / sizeof(table[0])) - 1; }

int Vm::findBuiltin(const QString &lowerName)
{
    static const QHash<QString, int> index = [] {
        QHash<QString, int> h;
        for (int i = 0; table[i].name; ++i) h.insert(QString::fromLatin1(table[i].name).toLower(), i);
        return h;
    }();
    return index.value(lowerName, -1);
}

ObjectPtr<DispatchObject> newErrObject(Vm *) { return ObjectPtr<DispatchObject>(new ErrObject); }

void Vm::setError(const AutomationError &e)
{
    auto *err = static_cast<ErrObject *>(m_err.get());
    err->number = e.number();
    err->description = e.description();
    err->source = e.source();
}

void Vm::clearError()
{
    auto *err = static_cast<ErrObject *>(m_err.get());
    err->number = 0;
    err->description.clear();
    err->source.clear();
}

int lcidOf(const QLocale &l)
{
    struct { QLocale::Language lang; QLocale::Territory terr; int id; } map[] = {
        {QLocale::Russian, QLocale::Russia, 1049}, {QLocale::English, QLocale::UnitedStates, 1033},
        {QLocale::English, QLocale::UnitedKingdom, 2057}, {QLocale::German, QLocale::Germany, 1031},
        {QLocale::French, QLocale::France, 1036}, {QLocale::Ukrainian, QLocale::Ukraine, 1058},
        {QLocale::Belarusian, QLocale::Belarus, 1059}, {QLocale::Kazakh, QLocale::Kazakhstan, 1087},
    };
    for (auto &m : map)
        if (m.lang == l.language() && m.terr == l.territory()) return m.id;
    for (auto &m : map)
        if (m.lang == l.language()) return m.id;
    return 1033;
}

bool localeFromLcid(int id, QLocale *out)
{
    switch (id) {
    case 1049: *out = QLocale(QLocale::Russian, QLocale::Russia); return true;
    case 1033: *out = QLocale(QLocale::English, QLocale::UnitedStates); return true;
    case 2057: *out = QLocale(QLocale::English, QLocale::UnitedKingdom); return true;
    case 1031: *out = QLocale(QLocale::German, QLocale::Germany); return true;
    case 1036: *out = QLocale(QLocale::French, QLocale::France); return true;
    case 1058: *out = QLocale(QLocale::Ukrainian, QLocale::Ukraine); return true;
    case 1059: *out = QLocale(QLocale::Belarusian, QLocale::Belarus); return true;
    case 1087: *out = QLocale(QLocale::Kazakh, QLocale::Kazakhstan); return true;
    default: return false;
    }
}

void registerConstants(QHash<QString, Variant> &c)
{
    auto I = [&](const char *name, int v) { c.insert(QString::fromLatin1(name).toLower(), v >= -32768 && v <= 32767 ? Variant::integer(int16_t(v)) : Variant(v)); };
    auto L = [&](const char *name, int v) { c.insert(QString::fromLatin1(name).toLower(), Variant(v)); };
    auto S = [&](const char *name, const QString &v) { c.insert(QString::fromLatin1(name).toLower(), Variant(v)); };
    S("vbCrLf", QStringLiteral("\r\n")); S("vbNewLine", QStringLiteral("\r\n")); S("vbCr", QStringLiteral("\r"));
    S("vbLf", QStringLiteral("\n")); S("vbTab", QStringLiteral("\t")); S("vbNullString", QString());
    S("vbNullChar", QString(QChar(0))); S("vbBack", QStringLiteral("\b")); S("vbFormFeed", QStringLiteral("\f"));
    S("vbVerticalTab", QStringLiteral("\v"));
    L("vbObjectError", int(0x80040000));
    I("vbBinaryCompare", 0); I("vbTextCompare", 1); I("vbDatabaseCompare", 2);
    I("vbUseSystemDayOfWeek", 0); I("vbSunday", 1); I("vbMonday", 2); I("vbTuesday", 3); I("vbWednesday", 4);
    I("vbThursday", 5); I("vbFriday", 6); I("vbSaturday", 7);
    I("vbUseSystem", 0); I("vbFirstJan1", 1); I("vbFirstFourDays", 2); I("vbFirstFullWeek", 3);
    I("vbGeneralDate", 0); I("vbLongDate", 1); I("vbShortDate", 2); I("vbLongTime", 3); I("vbShortTime", 4);
    I("vbUseDefault", -2); I("vbTrue", -1); I("vbFalse", 0);
    I("vbEmpty", 0); I("vbNull", 1); I("vbInteger", 2); I("vbLong", 3); I("vbSingle", 4); I("vbDouble", 5);
    I("vbCurrency", 6); I("vbDate", 7); I("vbString", 8); I("vbObject", 9); I("vbError", 10); I("vbBoolean", 11);
    I("vbVariant", 12); I("vbDataObject", 13); I("vbDecimal", 14); I("vbByte", 17); I("vbArray", 8192);
    I("vbOKOnly", 0); I("vbOKCancel", 1); I("vbAbortRetryIgnore", 2); I("vbYesNoCancel", 3); I("vbYesNo", 4);
    I("vbRetryCancel", 5); I("vbCritical", 16); I("vbQuestion", 32); I("vbExclamation", 48); I("vbInformation", 64);
    I("vbDefaultButton1", 0); I("vbDefaultButton2", 256); I("vbDefaultButton3", 512); I("vbDefaultButton4", 768);
    I("vbApplicationModal", 0); I("vbSystemModal", 4096);
    I("vbOK", 1); I("vbCancel", 2); I("vbAbort", 3); I("vbRetry", 4); I("vbIgnore", 5); I("vbYes", 6); I("vbNo", 7);
    L("vbBlack", 0); L("vbRed", 0xFF); L("vbGreen", 0xFF00); L("vbYellow", 0xFFFF); L("vbBlue", 0xFF0000);
    L("vbMagenta", 0xFF00FF); L("vbCyan", 0xFFFF00); L("vbWhite", 0xFFFFFF);
}

} // namespace vorn::vbs
