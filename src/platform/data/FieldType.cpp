// Field type code helpers: classification, mapping from Qt value types and from
// declared SQL column types, value conversion to the type a field holds.
#include "platform/data/FieldType.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QVariant>
#include <cmath>
#include <limits>

namespace vorn::fieldtype {

int adoType(FieldType t)
{
    switch (t) {
    case ftString: return 129;
    case ftSmallint: return 2;
    case ftInteger: case ftAutoInc: return 3;
    case ftBoolean: return 11;
    case ftFloat: return 5;
    case ftLargeint: return 20;
    case ftCurrency: return 6;
    case ftDate: return 133;
    case ftTime: return 134;
    case ftDateTime: return 7;
    case ftWideString: return 130;
    default: return 0;
    }
}

bool isBlob(FieldType t)
{
    switch (t) {
    case ftBlob: case ftMemo: case ftGraphic: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle:
    case ftTypedBinary: case ftOraBlob: case ftOraClob: return true;
    default: return false;
    }
}

bool isInteger(FieldType t)
{
    return t == ftSmallint || t == ftInteger || t == ftWord || t == ftAutoInc || t == ftLargeint;
}

bool isFloat(FieldType t) { return t == ftFloat || t == ftCurrency || t == ftBCD; }
bool isString(FieldType t) { return t == ftString || t == ftFixedChar || t == ftWideString || t == ftGuid; }
bool isDateTime(FieldType t) { return t == ftDate || t == ftTime || t == ftDateTime; }

QString name(FieldType t)
{
    static const char *const names[] = {
        "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean", "ftFloat",
        "ftCurrency", "ftBCD", "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes",
        "ftAutoInc", "ftBlob", "ftMemo", "ftGraphic", "ftFmtMemo", "ftParadoxOle", "ftDBaseOle",
        "ftTypedBinary", "ftCursor", "ftFixedChar", "ftWideString", "ftLargeint", "ftADT",
        "ftArray", "ftReference", "ftDataSet", "ftOraBlob", "ftOraClob", "ftVariant",
        "ftInterface", "ftIDispatch", "ftGuid"};
    return (t >= 0 && t <= ftGuid) ? QString::fromLatin1(names[t]) : QString();
}

FieldType fromMetaType(int id)
{
    switch (id) {
    case QMetaType::Bool: return ftBoolean;
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::SChar: case QMetaType::UChar: return ftSmallint;
    case QMetaType::Int: case QMetaType::UInt: return ftInteger;
    case QMetaType::LongLong: case QMetaType::ULongLong: case QMetaType::Long: case QMetaType::ULong: return ftLargeint;
    case QMetaType::Double: case QMetaType::Float: return ftFloat;
    case QMetaType::QString: case QMetaType::QChar: return ftString;
    case QMetaType::QByteArray: return ftBlob;
    case QMetaType::QDate: return ftDate;
    case QMetaType::QTime: return ftTime;
    case QMetaType::QDateTime: return ftDateTime;
    case QMetaType::QUuid: return ftGuid;
    default: return ftUnknown;
    }
}

FieldType fromDeclaredType(const QString &decl, int *size)
{
    static const QRegularExpression re(QStringLiteral("^\\s*([a-z_ ]+?)\\s*(?:\\(\\s*(\\d+)\\s*(?:,\\s*\\d+\\s*)?\\))?\\s*$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(decl);
    const QString base = m.hasMatch() ? m.captured(1).toLower() : decl.trimmed().toLower();
    const int n = m.hasMatch() && !m.captured(2).isEmpty() ? m.captured(2).toInt() : 0;
    if (size)
        *size = 0;
    auto sized = [&](FieldType t) { if (size) *size = n; return t; };
    if (base == u"int" || base == u"integer" || base == u"int4" || base == u"mediumint") return ftInteger;
    if (base == u"smallint" || base == u"int2" || base == u"tinyint") return ftSmallint;
    if (base == u"bigint" || base == u"int8") return ftLargeint;
    if (base == u"bool" || base == u"boolean" || base == u"bit") return ftBoolean;
    if (base == u"real" || base == u"float" || base == u"double" || base == u"double precision"
        || base == u"float8" || base == u"float4") return ftFloat;
    if (base == u"money" || base == u"smallmoney" || base == u"currency") return ftCurrency;
    if (base == u"numeric" || base == u"decimal") return ftBCD;
    if (base == u"date") return ftDate;
    if (base == u"time") return ftTime;
    if (base == u"datetime" || base == u"timestamp" || base == u"smalldatetime" || base == u"datetime2") return ftDateTime;
    if (base == u"varchar" || base == u"nvarchar" || base == u"character varying" || base == u"string") return sized(ftString);
    if (base == u"char" || base == u"nchar" || base == u"character") return sized(ftFixedChar);
    if (base == u"text" || base == u"ntext" || base == u"clob" || base == u"memo") return ftMemo;
    if (base == u"blob" || base == u"image" || base == u"bytea" || base == u"varbinary" || base == u"binary") return ftBlob;
    if (base == u"uniqueidentifier" || base == u"uuid") return ftGuid;
    return ftUnknown;
}

int metaTypeOf(FieldType t)
{
    switch (t) {
    case ftBoolean: return QMetaType::Bool;
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: return QMetaType::Int;
    case ftLargeint: return QMetaType::LongLong;
    case ftFloat: case ftCurrency: case ftBCD: return QMetaType::Double;
    case ftDate: return QMetaType::QDate;
    case ftTime: return QMetaType::QTime;
    case ftDateTime: return QMetaType::QDateTime;
    case ftBlob: case ftGraphic: case ftBytes: case ftVarBytes: case ftTypedBinary: case ftOraBlob:
    case ftParadoxOle: case ftDBaseOle: return QMetaType::QByteArray;
    case ftUnknown: case ftVariant: return QMetaType::UnknownType;
    default: return QMetaType::QString;
    }
}

// Dates arrive from SQLite as text in ISO form, possibly with a 'T' or a blank.
// "yyyy-MM-dd" and "yyyy-MM-dd HH:mm:ss[.zzz]" are read by hand: whole columns of
// them arrive from SQLite, and the general parser costs more than the fetch.
static bool digits(const QString &s, int from, int n, int *out)
{
    int v = 0;
    for (int i = from; i < from + n; ++i) {
        const char16_t c = s.at(i).unicode();
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c - u'0');
    }
    *out = v;
    return true;
}

static QDateTime fastDateTime(const QString &s)
{
    int y, mo, d, h = 0, mi = 0, sec = 0, ms = 0;
    const int n = int(s.size());
    if (n < 10 || s.at(4) != u'-' || s.at(7) != u'-' || !digits(s, 0, 4, &y) || !digits(s, 5, 2, &mo)
        || !digits(s, 8, 2, &d))
        return {};
    if (n > 10) {
        if (n < 19 || (s.at(10) != u' ' && s.at(10) != u'T') || s.at(13) != u':' || s.at(16) != u':'
            || !digits(s, 11, 2, &h) || !digits(s, 14, 2, &mi) || !digits(s, 17, 2, &sec))
            return {};
        if (n > 19) {
            if (s.at(19) != u'.' || n > 23 || !digits(s, 20, n - 20, &ms))
                return {};
            for (int k = n - 20; k < 3; ++k) ms *= 10;
        }
    }
    const QDate date(y, mo, d);
    const QTime time(h, mi, sec, ms);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

static QDateTime parseDateTime(const QString &s)
{
    if (const QDateTime fast = fastDateTime(s); fast.isValid())
        return fast;
    QDateTime dt = QDateTime::fromString(s, Qt::ISODateWithMs);
    if (!dt.isValid())
        dt = QDateTime::fromString(QString(s).replace(u' ', u'T'), Qt::ISODateWithMs);
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(s.left(10), Qt::ISODate);
        if (d.isValid())
            dt = QDateTime(d, QTime(0, 0));
    }
    return dt;
}

QVariant convert(const QVariant &v, FieldType t, bool *ok)
{
    if (ok)
        *ok = true;
    if (v.isNull() || !v.isValid())
        return QVariant();
    const int target = metaTypeOf(t);
    if (target == QMetaType::UnknownType || v.metaType().id() == target)
        return v;
    bool good = true;
    QVariant r;
    switch (target) {
    case QMetaType::QDate:
        if (v.metaType().id() == QMetaType::QString) {
            const QString &str = *static_cast<const QString *>(v.constData());
            int y, mo, d;
            if (str.size() == 10 && str.at(4) == u'-' && str.at(7) == u'-' && digits(str, 0, 4, &y)
                && digits(str, 5, 2, &mo) && digits(str, 8, 2, &d) && QDate(y, mo, d).isValid()) {
                r = QDate(y, mo, d);
                break;
            }
            const QDateTime dt = parseDateTime(v.toString());
            good = dt.isValid();
            r = dt.date();
        } else {
            r = v.toDate();
            good = r.toDate().isValid();
        }
        break;
    case QMetaType::QDateTime:
        if (v.metaType().id() == QMetaType::QString) {
            const QDateTime dt = parseDateTime(v.toString());
            good = dt.isValid();
            r = dt;
        } else {
            r = v.toDateTime();
            good = r.toDateTime().isValid();
        }
        break;
    case QMetaType::QTime:
        r = v.toTime();
        good = r.toTime().isValid();
        break;
    case QMetaType::Int: {
        // a value past 32 bits is refused, never cut to its low bits
        qint64 i = 0;
        if (v.metaType().id() == QMetaType::Double) {
            const double d = std::round(v.toDouble());
            good = d >= -2147483648.0 && d <= 2147483647.0;
            i = good ? qint64(d) : 0;
        } else {
            i = v.toLongLong(&good);
            good = good && i >= std::numeric_limits<qint32>::min() && i <= std::numeric_limits<qint32>::max();
        }
        r = int(i);
        break;
    }
    case QMetaType::LongLong: r = v.toLongLong(&good); break;
    case QMetaType::Double:
        if (v.metaType().id() == QMetaType::QString) {
            QString s = v.toString().trimmed();
            double d = s.toDouble(&good);
            if (!good) {
                s.replace(u',', u'.');
                d = s.toDouble(&good);
            }
            r = d;
        } else {
            r = v.toDouble(&good);
        }
        break;
    case QMetaType::Bool:
        if (v.metaType().id() == QMetaType::QString) {
            const QString s = v.toString().trimmed().toLower();
            good = s == u"true" || s == u"false" || s == u"1" || s == u"0";
            r = s == u"true" || s == u"1";
        } else {
            r = v.toBool();
        }
        break;
    case QMetaType::QByteArray: r = v.toByteArray(); break;
    default:
        if (v.metaType().id() == QMetaType::QDate)
            r = v.toDate().toString(Qt::ISODate);
        else
            r = v.toString();
    }
    if (ok)
        *ok = good;
    return good ? r : QVariant();
}

} // namespace vorn::fieldtype
