// Table files from a dataset. Each column gets a plan from the data it holds (kind,
// width, decimals) so that every value is written whole; dBASE and FoxPro go through
// shapelib, ASCII tables are written here with their BDE-style schema file.
#include "platform/tables/TableFile.h"
#include "platform/core/CodePage.h"
#include "platform/data/DataError.h"
#include "platform/data/Dataset.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QSet>
#include <climits>
#include <cstdlib>
#include <cstring>
extern "C" {
#include <paradox.h>
}
#include <shapefil.h>

namespace vorn::tables {

namespace {

enum class ColKind { Text, Integer, Number, Boolean, Date, DateTime, Time };

struct Column {
    QString name;        // field name
    QByteArray dbfName;  // at most 10 bytes, unique
    ColKind kind = ColKind::Text;
    int width = 1;       // characters (bytes in the code page)
    int decimals = 0;    // Number: digits after the point
};

// The shortest decimal text that reads back as the same double.
QString shortest(double d) { return QString::number(d, 'f', QLocale::FloatingPointShortest); }

int decimalsOf(const QString &text)
{
    const int dot = text.indexOf(u'.');
    return dot < 0 ? 0 : int(text.size()) - dot - 1;
}

ColKind kindOf(FieldType t)
{
    if (fieldtype::isInteger(t)) return ColKind::Integer;
    if (fieldtype::isFloat(t)) return ColKind::Number;
    switch (t) {
    case ftBoolean: return ColKind::Boolean;
    case ftDate: return ColKind::Date;
    case ftTime: return ColKind::Time;
    case ftDateTime: return ColKind::DateTime;
    default: return ColKind::Text;
    }
}

// The value as the table's text; Number is padded to the column's decimals later.
QByteArray valueText(const Column &c, const QVariant &v)
{
    switch (c.kind) {
    case ColKind::Integer: return QByteArray::number(v.toLongLong());
    case ColKind::Number:
        return (v.typeId() == QMetaType::QString ? v.toString().trimmed() : shortest(v.toDouble())).toLatin1();
    case ColKind::Boolean: return v.toBool() ? "T" : "F";
    case ColKind::Date: return v.toDate().toString(QStringLiteral("yyyyMMdd")).toLatin1();
    case ColKind::Time: return v.toTime().toString(QStringLiteral("hh:mm:ss")).toLatin1();
    case ColKind::DateTime: {
        const QDateTime dt = v.toDateTime();
        return dt.toString(dt.time().msec() ? QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz") : QStringLiteral("yyyy-MM-dd hh:mm:ss")).toLatin1();
    }
    case ColKind::Text: return codepage::toCp1251(v.toString());
    }
    return {};
}

QByteArray padNumber(QByteArray text, int decimals)
{
    const int have = decimalsOf(QString::fromLatin1(text));
    if (decimals > 0 && have == 0)
        text += '.';
    return text + QByteArray(decimals - have, '0');
}

QVector<Column> planColumns(const Dataset &ds, bool dbf)
{
    QVector<Column> cols;
    QSet<QByteArray> taken;
    for (int f = 0; f < ds.fieldCount(); ++f) {
        const Field *field = ds.field(f);
        if (field->isBlob() && field->dataType() != ftMemo && field->dataType() != ftFmtMemo)
            throw DataError(QStringLiteral("Поле %1 (двоичные данные) нельзя записать в таблицу этого вида").arg(field->fieldName()));
        Column c;
        c.name = field->fieldName();
        c.kind = kindOf(field->dataType());
        // datetimes and times have no column type in dBASE: they are kept as text
        if (dbf && (c.kind == ColKind::DateTime || c.kind == ColKind::Time))
            c.kind = ColKind::Text;
        int intDigits = 1;
        for (int r = 0; r < ds.recordCount(); ++r) {
            const QVariant v = ds.valueAt(r, f);
            if (v.isNull())
                continue;
            const QByteArray t = c.kind == ColKind::Text && dbf && kindOf(field->dataType()) != ColKind::Text
                ? valueText(Column{c.name, {}, kindOf(field->dataType())}, v)
                : valueText(c, v);
            if (c.kind == ColKind::Number) {
                const int dec = decimalsOf(QString::fromLatin1(t));
                c.decimals = std::max(c.decimals, dec);
                intDigits = std::max(intDigits, int(t.size()) - (dec ? dec + 1 : 0));
            } else
                c.width = std::max(c.width, int(t.size()));
        }
        if (c.kind == ColKind::Number)
            c.width = intDigits + (c.decimals ? c.decimals + 1 : 0);
        if (c.kind == ColKind::Date)
            c.width = 8;
        if (c.kind == ColKind::Boolean)
            c.width = 1;
        if (dbf) {
            if (c.kind == ColKind::Text && c.width > 254)
                throw DataError(QStringLiteral("Значение поля %1 длиннее 254 символов: в таблице оно не поместится").arg(c.name));
            if ((c.kind == ColKind::Number || c.kind == ColKind::Integer) && c.width > 255)
                throw DataError(QStringLiteral("Число поля %1 не помещается в таблицу").arg(c.name));
            QByteArray base = codepage::toCp1251(c.name).left(10);
            QByteArray n = base;
            for (int i = 1; taken.contains(n.toUpper()); ++i) {
                const QByteArray suffix = "_" + QByteArray::number(i);
                n = base.left(10 - suffix.size()) + suffix;
            }
            taken.insert(n.toUpper());
            c.dbfName = n;
        }
        cols << c;
    }
    return cols;
}

// Writes through a temporary file beside the target and renames it over at the end.
// A table is written to a temporary name and takes the real name only when complete,
// so a failed export never leaves half a file where the old one was.
void replaceWithTemp(const QString &temp, const QString &fileName, bool written)
{
    if (written) {
        QFile::remove(fileName);
        if (QFile::rename(temp, fileName))
            return;
    }
    QFile::remove(temp);
    throw DataError(QStringLiteral("Не удалось записать файл ") + fileName);
}

void writeDbf(const Dataset &ds, const QString &fileName, bool foxPro)
{
    const QVector<Column> cols = planColumns(ds, true);
    const QFileInfo target(fileName);
    const QString temp = target.absoluteDir().filePath(QStringLiteral(".%1.%2.dbf").arg(target.completeBaseName()).arg(QCoreApplication::applicationPid()));
    const QByteArray tempName = QFile::encodeName(temp);
    DBFHandle h = DBFCreateEx(tempName.constData(), "LDID/201");   // Russian Windows code page
    if (!h)
        throw DataError(QStringLiteral("Не удалось создать файл ") + fileName);
    bool ok = true;
    for (const Column &c : cols) {
        char type = 'C';
        switch (c.kind) {
        case ColKind::Integer: type = 'N'; break;
        case ColKind::Number: type = foxPro ? 'F' : 'N'; break;
        case ColKind::Boolean: type = 'L'; break;
        case ColKind::Date: type = 'D'; break;
        default: break;
        }
        ok = ok && DBFAddNativeFieldType(h, c.dbfName.constData(), type, c.width, c.decimals) >= 0;
    }
    for (int r = 0; ok && r < ds.recordCount(); ++r)
        for (int f = 0; ok && f < cols.size(); ++f) {
            const Column &c = cols[f];
            const QVariant v = ds.valueAt(r, f);
            if (v.isNull()) {
                ok = DBFWriteNULLAttribute(h, r, f);
                continue;
            }
            const Column as{c.name, {}, kindOf(ds.field(f)->dataType())};
            QByteArray t = valueText(c.kind == ColKind::Text ? as : c, v);
            // written byte for byte: shapelib would reformat numbers through a double
            if (c.kind == ColKind::Number)
                t = padNumber(t, c.decimals).rightJustified(c.width, ' ');
            else if (c.kind == ColKind::Integer)
                t = t.rightJustified(c.width, ' ');
            else
                t = t.leftJustified(c.width, ' ');
            ok = DBFWriteAttributeDirectly(h, r, f, t.data());
        }
    DBFClose(h);
    replaceWithTemp(temp, fileName, ok);
}

void writeAscii(const Dataset &ds, const QString &fileName, bool delimited)
{
    const QVector<Column> cols = planColumns(ds, false);
    QSaveFile data(fileName);
    QSaveFile schema(AsciiSchemaFileName(fileName));
    if (!data.open(QIODevice::WriteOnly) || !schema.open(QIODevice::WriteOnly))
        throw DataError(QStringLiteral("Не удалось создать файл ") + fileName);
    for (int r = 0; r < ds.recordCount(); ++r) {
        QByteArray line;
        for (int f = 0; f < cols.size(); ++f) {
            const Column &c = cols[f];
            const QVariant v = ds.valueAt(r, f);
            QByteArray t = v.isNull() ? QByteArray() : valueText(c, v);
            if (c.kind == ColKind::Number && !v.isNull())
                t = padNumber(t, c.decimals);
            if (delimited) {
                if (f)
                    line += ',';
                line += c.kind == ColKind::Text ? '"' + QByteArray(t).replace('"', "\"\"") + '"' : t;
            } else {
                const bool right = c.kind == ColKind::Number || c.kind == ColKind::Integer;
                line += right ? t.rightJustified(c.width, ' ') : t.leftJustified(c.width, ' ');
            }
        }
        data.write(line + "\r\n");
    }
    QByteArray sch = "[" + codepage::toCp1251(QFileInfo(fileName).completeBaseName()).toUpper() + "]\r\n";
    sch += delimited ? "FILETYPE = VARYING\r\n" : "FILETYPE = FIXED\r\n";
    sch += "CHARSET = ascii\r\n";
    if (delimited)
        sch += "DELIMITER = \"\r\nSEPARATOR = ,\r\n";
    int offset = 0;
    for (int f = 0; f < cols.size(); ++f) {
        const Column &c = cols[f];
        const char *type = "CHAR";
        switch (c.kind) {
        case ColKind::Integer: type = "LONGINT"; break;
        case ColKind::Number: type = "FLOAT"; break;
        case ColKind::Boolean: type = "BOOL"; break;
        case ColKind::Date: type = "DATE"; break;
        case ColKind::Time: type = "TIME"; break;
        case ColKind::DateTime: type = "TIMESTAMP"; break;
        default: break;
        }
        sch += "Field" + QByteArray::number(f + 1) + " = " + codepage::toCp1251(c.name) + "," + type + ","
               + QByteArray::number(c.width) + "," + QByteArray::number(c.decimals).rightJustified(2, '0') + ","
               + QByteArray::number(delimited ? 0 : offset).rightJustified(2, '0') + "\r\n";
        offset += c.width;
    }
    schema.write(sch);
    if (!data.commit() || !schema.commit())
        throw DataError(QStringLiteral("Не удалось записать файл ") + fileName);
}

// Paradox through pxlib; null fields are all zero bytes, as Paradox stores them.
void writeParadox(const Dataset &ds, const QString &fileName)
{
    const QVector<Column> cols = planColumns(ds, false);
    std::vector<QByteArray> names;
    std::vector<pxfield_t> fields(size_t(std::max<qsizetype>(cols.size(), 1)));
    for (int f = 0; f < cols.size(); ++f) {
        const Column &c = cols[f];
        names.push_back(codepage::toCp1251(c.name).left(25));
        pxfield_t &pf = fields[size_t(f)];
        pf.px_fname = names.back().data();
        pf.px_fdc = 0;
        switch (c.kind) {
        case ColKind::Integer: {
            // beyond 32 bits a whole number goes to a floating column, exact up to 2^53
            bool wide = false;
            for (int r = 0; r < ds.recordCount(); ++r) {
                const QVariant v = ds.valueAt(r, f);
                if (v.isNull())
                    continue;
                const qint64 n = v.toLongLong();
                if (n > (1LL << 53) || n < -(1LL << 53))
                    throw DataError(QStringLiteral("Число %1 поля %2 не помещается в таблицу Paradox без потери точности")
                                        .arg(n).arg(c.name));
                wide = wide || n > INT_MAX || n <= INT_MIN;
            }
            pf.px_ftype = wide ? pxfNumber : pxfLong;
            pf.px_flen = wide ? 8 : 4;
            break;
        }
        case ColKind::Number: pf.px_ftype = pxfNumber; pf.px_flen = 8; break;
        case ColKind::Boolean: pf.px_ftype = pxfLogical; pf.px_flen = 1; break;
        case ColKind::Date: pf.px_ftype = pxfDate; pf.px_flen = 4; break;
        case ColKind::Time: pf.px_ftype = pxfTime; pf.px_flen = 4; break;
        case ColKind::DateTime: pf.px_ftype = pxfTimestamp; pf.px_flen = 8; break;
        case ColKind::Text:
            if (c.width > 255)
                throw DataError(QStringLiteral("Значение поля %1 длиннее 255 символов: в таблице оно не поместится").arg(c.name));
            pf.px_ftype = pxfAlpha;
            pf.px_flen = c.width;
            break;
        }
    }
    // the names must outlive the document: they are kept in `names`
    for (int f = 0; f < cols.size(); ++f)
        fields[size_t(f)].px_fname = names[size_t(f)].data();
    const QFileInfo target(fileName);
    const QString temp = target.absoluteDir().filePath(QStringLiteral(".%1.%2.db").arg(target.completeBaseName()).arg(QCoreApplication::applicationPid()));
    pxdoc_t *doc = PX_new();
    if (!doc)
        throw DataError(QStringLiteral("Не удалось создать файл ") + fileName);
    // pxlib frees the field list it is given: hand it a malloc'ed copy
    auto *owned = static_cast<pxfield_t *>(malloc(sizeof(pxfield_t) * fields.size()));
    for (size_t i = 0; i < fields.size(); ++i) {
        owned[i] = fields[i];
        owned[i].px_fname = strdup(fields[i].px_fname);
    }
    bool ok = PX_create_file(doc, owned, int(cols.size()), QFile::encodeName(temp).constData(), pxfFileTypNonIndexDB) >= 0;
    if (ok) {
        PX_set_targetencoding(doc, "CP1251");
        PX_set_inputencoding(doc, "CP1251");
        PX_set_tablename(doc, codepage::toCp1251(target.completeBaseName()).constData());
    }
    int recordSize = 0;
    for (int f = 0; f < cols.size(); ++f)
        recordSize += fields[size_t(f)].px_flen;
    QByteArray record(std::max(recordSize, 1), '\0');
    for (int r = 0; ok && r < ds.recordCount(); ++r) {
        record.fill('\0');
        char *at = record.data();
        for (int f = 0; f < cols.size(); ++f) {
            const pxfield_t &pf = fields[size_t(f)];
            const QVariant v = ds.valueAt(r, f);
            if (!v.isNull()) {
                switch (pf.px_ftype) {
                case pxfLong: PX_put_data_long(doc, at, 4, int(v.toLongLong())); break;
                case pxfNumber: PX_put_data_double(doc, at, 8, v.toDouble()); break;
                case pxfLogical: PX_put_data_byte(doc, at, 1, v.toBool() ? 1 : 0); break;
                case pxfDate: {
                    const QDate d = v.toDate();
                    PX_put_data_long(doc, at, 4, int(PX_GregorianToSdn(d.year(), d.month(), d.day()) - 1721425));
                    break;
                }
                case pxfTime: PX_put_data_long(doc, at, 4, v.toTime().msecsSinceStartOfDay()); break;
                case pxfTimestamp: {
                    const QDateTime dt = v.toDateTime();
                    const QDate d = dt.date();
                    const double days = double(PX_GregorianToSdn(d.year(), d.month(), d.day()) - 1721425);
                    PX_put_data_double(doc, at, 8, days * 86400000.0 + dt.time().msecsSinceStartOfDay());
                    break;
                }
                default: {
                    QByteArray text = codepage::toCp1251(v.toString());
                    PX_put_data_alpha(doc, at, pf.px_flen, text.data());
                    break;
                }
                }
            }
            at += pf.px_flen;
        }
        ok = PX_put_record(doc, record.data()) >= 0;
    }
    PX_close(doc);
    PX_delete(doc);
    replaceWithTemp(temp, fileName, ok);
}

} // namespace

QString AsciiSchemaFileName(const QString &tableFile)
{
    const QFileInfo fi(tableFile);
    return fi.dir().filePath(fi.completeBaseName() + QStringLiteral(".sch"));
}

void WriteTable(const Dataset &dataset, const QString &fileName, TableKind kind, bool delimited)
{
    switch (kind) {
    case TableKind::DBase: writeDbf(dataset, fileName, false); break;
    case TableKind::FoxPro: writeDbf(dataset, fileName, true); break;
    case TableKind::Ascii: writeAscii(dataset, fileName, delimited); break;
    case TableKind::Paradox: writeParadox(dataset, fileName); break;
    }
}

} // namespace vorn::tables
