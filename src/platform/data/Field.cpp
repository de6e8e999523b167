// Field value access and display formatting.
#include "platform/data/Field.h"
#include "platform/data/DataError.h"
#include "platform/data/Dataset.h"
#include "platform/core/DecimalText.h"

#include <QLocale>
#include <cmath>

namespace vorn {

Field::Field(Dataset *dataset, const QString &name, FieldType type, int size, FieldKind kind)
    : m_dataset(dataset), m_name(name), m_type(type), m_size(size), m_kind(kind)
{
}

void Field::setLookup(const QString &keyFields, Dataset *lookupDataset, const QString &lookupKeyFields,
                      const QString &lookupResultField)
{
    m_keyFields = keyFields;
    m_lookupDataset = lookupDataset;
    m_lookupKeyFields = lookupKeyFields;
    m_lookupResultField = lookupResultField;
}

QVariant Field::value() const { return m_dataset->currentValue(m_index); }
QVariant Field::oldValue() const { return m_dataset->currentOldValue(m_index); }
void Field::setValue(const QVariant &v) { m_dataset->setCurrentValue(m_index, v); }

QString Field::asString() const
{
    const QVariant v = value();
    if (v.isNull())
        return {};
    switch (v.metaType().id()) {
    case QMetaType::QDate: return QLocale().toString(v.toDate(), QLocale::ShortFormat);
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        if (m_type == ftDate || dt.time() == QTime(0, 0))
            return QLocale().toString(dt.date(), QLocale::ShortFormat);
        return QLocale().toString(dt, QStringLiteral("dd.MM.yyyy H:mm:ss"));
    }
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double: return QLocale().toString(v.toDouble(), 'g', 15).remove(QLocale().groupSeparator());
    default: return v.toString();
    }
}

qint64 Field::asInteger() const
{
    const QVariant v = value();
    if (v.isNull())
        return 0;
    if (v.metaType().id() == QMetaType::Double) {
        const double d = std::round(v.toDouble());
        if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0))
            throw DataError(QStringLiteral("'%1' is not a valid integer value").arg(v.toDouble()));
        return qint64(d);
    }
    bool ok = false;
    const qint64 i = v.toLongLong(&ok);
    if (!ok)
        throw DataError(QStringLiteral("\"%1\" - неверное целое число").arg(v.toString()));
    return i;
}

double Field::asFloat() const
{
    const QVariant v = value();
    if (v.isNull())
        return 0;
    bool ok = false;
    double d = v.toDouble(&ok);
    if (!ok && v.metaType().id() == QMetaType::QString)
        d = QLocale().toDouble(v.toString(), &ok);
    if (!ok)
        throw DataError(QStringLiteral("\"%1\" - неверное число с плавающей точкой").arg(v.toString()));
    return d;
}

bool Field::asBoolean() const
{
    const QVariant v = value();
    if (v.metaType().id() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        return s == u"true" || s == u"1" || s == u"t" || s == u"y" || s == u"yes";
    }
    return v.toBool();
}

QDate Field::asDate() const { return asDateTime().date(); }

QDateTime Field::asDateTime() const
{
    const QVariant v = value();
    if (v.isNull())
        return {};
    bool ok = false;
    const QVariant c = fieldtype::convert(v, ftDateTime, &ok);
    if (!ok)
        throw DataError(QStringLiteral("\"%1\" - неверные дата и время").arg(v.toString()));
    return c.toDateTime();
}

QByteArray Field::asBytes() const
{
    const QVariant v = value();
    return v.metaType().id() == QMetaType::QString ? v.toString().toUtf8() : v.toByteArray();
}

// Delphi-style number formats ("#,##0.00", "0.###", ",0.00;-,0.00"): thousands
// grouping when a ',' is present, fixed decimals by '0', optional ones by '#'.
static QString formatNumber(const QVariant &v, const QString &format)
{
    // whole numbers keep all 64 bits; a double holds only 53 of them
    const int id = v.metaType().id();
    const bool whole = id == QMetaType::Int || id == QMetaType::LongLong || id == QMetaType::UInt
                    || id == QMetaType::Short || id == QMetaType::UShort || id == QMetaType::Long;
    QString f = format;
    const int semi = f.indexOf(u';');
    if (semi >= 0) {
        if (whole ? v.toLongLong() < 0 : v.toDouble() < 0) {
            f = f.mid(semi + 1);
            const QVariant magnitude = whole ? QVariant(qint64(0) - v.toLongLong()) : QVariant(-v.toDouble());
            const QString neg = formatNumber(magnitude, f.section(u';', 0, 0).remove(u'-'));
            return f.startsWith(u'-') ? u'-' + neg : neg;
        }
        f = f.left(semi);
    }
    const bool group = f.contains(u',');
    const int dot = f.indexOf(u'.');
    int fixed = 0, optional = 0;
    if (dot >= 0)
        for (int i = dot + 1; i < f.size(); ++i) {
            if (f.at(i) == u'0') ++fixed;
            else if (f.at(i) == u'#') ++optional;
        }
    // rounded on the decimal digits, halves away from zero, as the report formats do
    QString s = whole ? decimal::rounded(qint64(v.toLongLong()), fixed + optional)
                      : decimal::rounded(v.toDouble(), fixed + optional);
    if (optional > 0) {
        int end = int(s.size());
        const int p = int(s.indexOf(u'.'));
        while (end > p + 1 + fixed && s.at(end - 1) == u'0') --end;
        if (end == p + 1) end = p;
        s.truncate(end);
    }
    const QLocale loc;
    return decimal::localized(s, group ? loc.groupSeparator() : QString(), loc.decimalPoint());
}

// Money: two places; a BCD value shows at least two and every further place it has,
// so a quantity of 1.125 is not shown as 1,13.
static QString formatMoney(double d, FieldType type)
{
    const QString s = decimal::plain(d);
    const qsizetype point = s.indexOf(u'.');
    const int places = point < 0 ? 0 : int(s.size() - point - 1);
    const QLocale loc;
    return decimal::localized(decimal::roundedText(s, type == ftCurrency ? 2 : std::max(2, places)),
                              loc.groupSeparator(), loc.decimalPoint());
}

QString Field::formatValue(const QVariant &v, FieldType type, const QString &displayFormat)
{
    if (v.isNull())
        return {};
    if (!displayFormat.isEmpty()) {
        if (fieldtype::isInteger(type) || fieldtype::isFloat(type))
            return formatNumber(v, displayFormat);
        if (fieldtype::isDateTime(type))
            return QLocale().toString(v.toDateTime(), displayFormat);
    }
    switch (v.metaType().id()) {
    case QMetaType::QDate: return QLocale().toString(v.toDate(), QLocale::ShortFormat);
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        if (type == ftDate || dt.time() == QTime(0, 0))
            return QLocale().toString(dt.date(), QLocale::ShortFormat);
        return QLocale().toString(dt, QStringLiteral("dd.MM.yyyy H:mm:ss"));
    }
    case QMetaType::Double:
        if (type == ftCurrency || type == ftBCD)
            return formatMoney(v.toDouble(), type);
        return QLocale().toString(v.toDouble(), 'g', 15).remove(QLocale().groupSeparator());
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QByteArray: return QStringLiteral("(BLOB)");
    default: return v.toString();
    }
}

QString Field::displayText() const { return formatValue(value(), m_type, m_displayFormat); }

} // namespace vorn
