// The parameter model: built-in starting values, remembered values, macro scanning
// and substitution, display texts. The database-facing half (loading, DefSQL, binding,
// the parameter dataset) works through the dataset layer.
#include "execution/ParamAskMe.h"

#include "platform/core/DecimalText.h"
#include "platform/core/SettingsStore.h"
#include "platform/data/DataError.h"
#include "platform/data/Database.h"
#include "platform/data/DataSource.h"
#include "platform/data/MemoryTable.h"
#include "platform/data/Query.h"
#include "platform/data/SqlDialect.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <limits>

const char *const kParamsValueSection = "VORN_PARAMS_VALUE";

EParamAskMeNotFound::EParamAskMeNotFound(const QString &name)
    : EParamAskMe(QStringLiteral("Invalid Parametr (AskMeParam) : \"") + name + u'"')
{
}

TParamAskMe::TParamAskMe(const QString &parName, const QString &parLabel, int idParTyp)
    : ParName(parName), ParLabel(parLabel), IdParTyp(quint8(idParTyp)), Value(BuiltInValue(idParTyp)),
      ValueKind(BuiltInKind(idParTyp))
{
}

QVariant TParamAskMe::BuiltInValue(int idParTyp)
{
    switch (idParTyp) {
    case ptText:
    case ptPassword: return QString();
    case ptDate: return QDate::currentDate();
    case ptMoney:
    case ptNumber: return 0.0;
    case ptInteger: return qint64(0);
    case ptDateTime: return QDateTime(QDate::currentDate(), QTime(0, 0));
    default: return {};
    }
}

quint8 TParamAskMe::BuiltInKind(int idParTyp)
{
    switch (idParTyp) {
    case ptText:
    case ptPassword:
    case ptMultiLookup: return vkString;
    case ptDate: return vkDate;
    case ptMoney: return vkCurrency;
    case ptNumber: return vkFloat;
    case ptInteger: return vkInteger;
    case ptDateTime: return vkDateTime;
    default: return vkNone;  // type 5 takes its kind from the key column when read
    }
}

QString TParamAskMe::RememberKey() const
{
    return QString::number(Id) + ParName + QString::number(IdParTyp);
}

TParamAskMe *TParamAskMeList::FindOrNull(const QString &name) const
{
    for (const auto &p : m_items)
        if (p->ParName == name)
            return p.get();
    return nullptr;
}

TParamAskMe *TParamAskMeList::Find(const QString &name) const
{
    if (TParamAskMe *p = FindOrNull(name))
        return p;
    throw EParamAskMeNotFound(name);
}

int TParamAskMeList::IndexOf(const TParamAskMe *p) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == p)
            return int(i);
    return -1;
}

TParamAskMe *TParamAskMeList::Add(std::unique_ptr<TParamAskMe> p)
{
    if ((p->IdParTyp == ptLookup || p->IdParTyp == ptMultiLookup) && !p->Lookup)
        p->Lookup = std::make_unique<TDBLookupAskMe>();
    m_items.push_back(std::move(p));
    return m_items.back().get();
}

TParamAskMe *TParamAskMeList::Add(const QString &parName, const QString &parLabel, int idParTyp)
{
    return Add(std::make_unique<TParamAskMe>(parName, parLabel, idParTyp));
}

// -- remembered values

void ReadRememberedValue(TParamAskMe &p, const vorn::SettingsStore &store)
{
    const QString sec = QLatin1String(kParamsValueSection);
    const QString key = p.RememberKey();
    switch (p.IdParTyp) {
    case ptText: p.Value = store.readString(sec, key, p.Value.toString()); break;
    case ptDate: {
        const QDateTime d = store.readDateTime(sec, key, QDateTime(p.Value.toDate(), QTime(0, 0)));
        p.Value = d.date();
        break;
    }
    case ptMoney:
    case ptNumber: p.Value = store.readFloat(sec, key, p.Value.toDouble()); break;
    case ptInteger: p.Value = store.readInteger(sec, key, p.Value.toLongLong()); break;
    case ptLookup:
        if (p.Lookup)
            p.Lookup->KeyValue = store.readString(sec, key, p.Lookup->KeyValue);
        break;
    case ptDateTime: p.Value = store.readDateTime(sec, key, p.Value.toDateTime()); break;
    default: break;  // a multiple choice always starts with every row; passwords are never kept
    }
}

void StoreRememberedValue(const TParamAskMe &p, vorn::SettingsStore &store)
{
    if (p.IdTypDefVal != dvRemembered)
        return;
    const QString sec = QLatin1String(kParamsValueSection);
    const QString key = p.RememberKey();
    switch (p.IdParTyp) {
    case ptText: store.writeString(sec, key, p.Value.toString()); break;
    case ptDate: store.writeDateTime(sec, key, QDateTime(p.Value.toDate(), QTime(0, 0))); break;
    case ptMoney:
    case ptNumber: store.writeFloat(sec, key, p.Value.toDouble()); break;
    case ptInteger: store.writeInteger(sec, key, p.Value.toLongLong()); break;
    case ptLookup:
    case ptMultiLookup:
        if (p.Lookup)
            store.writeString(sec, key, p.Lookup->KeyValue);
        break;
    // Kept too, although it used to be skipped: reading it back for default kind 1
    // would otherwise never find anything.
    case ptDateTime: store.writeDateTime(sec, key, p.Value.toDateTime()); break;
    default: break;  // passwords are never written to disk
    }
}

// -- macros

static QString delphiTrim(const QString &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s.at(b).unicode() <= 0x20)
        ++b;
    while (e > b && s.at(e - 1).unicode() <= 0x20)
        --e;
    return s.mid(b, e - b);
}

QStringList ScanMacros(const QString &sql)
{
    static const QString pair = QStringLiteral("%%");
    QStringList names;
    qsizetype at = 0;
    for (;;) {
        const qsizetype open = sql.indexOf(pair, at);
        if (open < 0)
            break;
        const qsizetype start = open + 2;
        const qsizetype close = sql.indexOf(pair, start);
        const QString name = close < 0 ? QString() : sql.mid(start, close - start);
        if (close < 0 || name.isEmpty() || name != delphiTrim(name))
            throw EParamAskMe(QStringLiteral("Error of syntax of macro"));
        names << name;
        at = close + 2;
    }
    return names;
}

// Macro substitution. A macro is plain text insertion, but what a user typed must
// stay data: the SQL text is cut into regions by the server's quoting rules, and each
// value is made safe for the region its macro stands in. Inside a literal or quoted
// name the closing quote is doubled; inside a comment a value may not end the comment.
// In code, a value of a free-typed parameter (text, password) must be a number, a date
// or a list of numbers and quoted literals; lookup values (the author's own data) and
// integers go in as they are. Last, the statement must keep the shape its author gave
// it: as many statements, comments and literals (plus those of list values) as before.

static QString macroError(const QString &name)
{
    return QStringLiteral("Значение параметра %1 нельзя подставить в текст SQL: оно меняет структуру запроса "
                          "(закрывает кавычки или комментарий, добавляет оператор)").arg(name);
}

// A number, a date, or a comma-separated list of numbers and complete '...' literals.
static bool isPlainValueList(const QString &value)
{
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?\d+(\.\d+)?([eE][+-]?\d+)?$)"));
    static const QRegularExpression date(QStringLiteral(R"(^\d{1,4}[./-]\d{1,2}[./-]\d{1,4}( \d{1,2}:\d{2}(:\d{2})?)?$)"));
    static const QRegularExpression literal(QStringLiteral(R"(^N?'([^']|'')*'$)"));
    const QString v = value.trimmed();
    if (v.isEmpty() || number.match(v).hasMatch() || date.match(v).hasMatch())
        return true;
    // Commas inside a literal do not separate items: walk the text.
    QStringList items;
    QString current;
    bool inQuote = false;
    for (const QChar c : v) {
        if (c == u'\'')
            inQuote = !inQuote;  // a doubled quote toggles twice
        if (c == u',' && !inQuote) {
            items << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    items << current.trimmed();
    for (const QString &item : items)
        if (!number.match(item).hasMatch() && !literal.match(item).hasMatch())
            return false;
    return true;
}

static bool isFreeTyped(const TParamAskMe &p)
{
    return p.IdParTyp == ptText || p.IdParTyp == ptPassword || p.IdParTyp > ptPassword;
}

QString SubstituteMacros(const QString &sql, const TParamAskMeList &list)
{
    vorn::Database::Dialect d = vorn::Database::Dialect::Sqlite;
    try {
        if (vorn::Database *db = list.Database())
            d = db->dialect();
    } catch (const vorn::DataError &) {
    }
    return SubstituteMacros(sql, list, vorn::dialect::quoting(d));
}

QString SubstituteMacros(const QString &sql, const TParamAskMeList &list, vorn::sqltext::Quoting quoting)
{
    using vorn::sqltext::RegionKind;
    // Which parameter a macro name stands for: names match the text without regard to
    // case, so the first name of the text found in the list serves every spelling.
    QHash<QString, const TParamAskMe *> byName;
    for (const QString &name : ScanMacros(sql)) {
        const QString key = name.toLower();
        if (byName.contains(key))
            continue;
        const TParamAskMe *p = list.FindOrNull(name);
        if (p && (p->ValueKind == vkString || p->ValueKind == vkInteger))
            byName.insert(key, p);
    }
    if (byName.isEmpty())
        return sql;

    const QList<vorn::sqltext::Region> regions = vorn::sqltext::regions(sql, quoting);
    auto regionAt = [&](qsizetype pos) -> const vorn::sqltext::Region & {
        for (const auto &r : regions)
            if (pos >= r.begin && pos < r.end)
                return r;
        return regions.last();
    };
    QString out;
    out.reserve(sql.size());
    int addedLiterals = 0;
    qsizetype at = 0;
    for (;;) {
        const qsizetype open = sql.indexOf(QStringLiteral("%%"), at);
        if (open < 0)
            break;
        const qsizetype close = sql.indexOf(QStringLiteral("%%"), open + 2);  // ScanMacros vouched for it
        const QString name = sql.mid(open + 2, close - open - 2);
        out += QStringView(sql).mid(at, open - at);
        at = close + 2;
        const TParamAskMe *p = byName.value(name.toLower());
        if (!p) {
            out += QStringView(sql).mid(open, at - open);
            continue;
        }
        QString value = p->ValueKind == vkInteger ? QString::number(p->Value.toLongLong()) : p->Value.toString();
        const vorn::sqltext::Region &r = regionAt(open);
        const bool within = at <= r.end;  // the macro lies inside one region
        switch (within ? r.kind : RegionKind::Code) {
        case RegionKind::String:
            value.replace(u'\'', QStringLiteral("''"));
            break;
        case RegionKind::EscapeString:
            value.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("''"));
            break;
        case RegionKind::QuotedName: {
            const QChar q = sql.at(r.begin);
            value.replace(q, QString(2, q));
            break;
        }
        case RegionKind::BracketName:
            if (quoting == vorn::sqltext::Quoting::MsSql)
                value.replace(u']', QStringLiteral("]]"));
            else if (value.contains(u']'))
                throw EParamAskMe(macroError(p->ParName));
            break;
        case RegionKind::DollarString: {
            const qsizetype tagEnd = sql.indexOf(u'$', r.begin + 1);
            if (value.contains(sql.mid(r.begin, tagEnd - r.begin + 1)))
                throw EParamAskMe(macroError(p->ParName));
            break;
        }
        case RegionKind::LineComment:
            if (value.contains(u'\n') || value.contains(u'\r'))
                throw EParamAskMe(macroError(p->ParName));
            break;
        case RegionKind::BlockComment:
            if (value.contains(QStringLiteral("*/")) || value.contains(QStringLiteral("/*")))
                throw EParamAskMe(macroError(p->ParName));
            break;
        case RegionKind::Code:
            if (p->ValueKind == vkString && isFreeTyped(*p) && !isPlainValueList(value))
                throw EParamAskMe(QStringLiteral("Значение параметра %1 подставляется в текст SQL вне кавычек: "
                                                 "допускаются только число, дата или список значений в кавычках")
                                      .arg(p->ParName));
            addedLiterals += vorn::sqltext::shape(value, quoting).literals;
            break;
        }
        out += value;
    }
    out += QStringView(sql).mid(at);

    const vorn::sqltext::Shape before = vorn::sqltext::shape(sql, quoting);
    const vorn::sqltext::Shape after = vorn::sqltext::shape(out, quoting);
    if (after.statements != before.statements || after.comments != before.comments ||
        after.literals != before.literals + addedLiterals || (after.unterminated && !before.unterminated)) {
        // name the parameters that were substituted; the check cannot tell which one did it
        QStringList names;
        for (const TParamAskMe *p : byName)
            names << p->ParName;
        names.sort();
        throw EParamAskMe(macroError(names.join(QStringLiteral(", "))));
    }
    return out;
}

// -- display text

QString ParamValueText(const TParamAskMe &p)
{
    QLocale loc;
    switch (p.ValueKind) {
    case vkString: return p.Value.toString();
    case vkDate: return loc.toString(p.Value.toDate(), QLocale::ShortFormat);
    case vkCurrency:
        return vorn::decimal::localized(vorn::decimal::rounded(p.Value.toDouble(), 2), loc.groupSeparator(),
                                        loc.decimalPoint());
    // every digit the value has, never an exponent
    case vkFloat: return vorn::decimal::localized(vorn::decimal::plain(p.Value.toDouble()), QString(), loc.decimalPoint());
    case vkInteger: return QString::number(p.Value.toLongLong());
    case vkDateTime: {
        const QDateTime dt = p.Value.toDateTime();
        return loc.toString(dt.date(), QLocale::ShortFormat) + u' ' + dt.time().toString(QStringLiteral("H:mm:ss"));
    }
    default: return {};
    }
}

QString ParamShownText(const TParamAskMe &p)
{
    const QString text = ParamValueText(p);
    return p.IdParTyp == ptPassword ? QString(text.size(), u'*') : text;
}

// -- loading and binding

vorn::Database *TParamAskMeList::Database() const
{
    if (m_database)
        return m_database;
    if (vorn::Database *db = vorn::Database::findDatabase(QStringLiteral("dbMain")))
        return db;
    return vorn::Database::defaultDatabase();
}

TParamAskMeList::TParamAskMeList(vorn::Database *db, int objectId, int objectKind, vorn::SettingsStore *settings)
    : m_database(db), m_settings(settings)
{
    switch (objectKind) {
    case okQuery: Load(objectId, false); break;
    case okRemoteData: Load(objectId, true); break;
    case okReport: {
        const QString id = QString::number(objectId);
        const vorn::ResultSet r = Database()->execute(
            QStringLiteral("select IdQuery, IdRemoteData from VornFrm2Qry where IdForm=") + id + QStringLiteral(" and ") +
            QStringLiteral("Numm=(select min(Numm) from VornFrm2Qry ") + QStringLiteral("where IdForm=") + id + u')');
        // Without data sources both read as 0, and no parameter belongs to data module 0.
        const qint64 idQuery = r.rowCount > 0 ? r.value(0, 0).toLongLong() : 0;
        const qint64 idRemote = r.rowCount > 0 ? r.value(0, 1).toLongLong() : 0;
        if (idQuery > 0)
            Load(int(idQuery), false);
        else
            Load(int(idRemote), true);
        break;
    }
    default: break;
    }
}

void TParamAskMeList::Load(int objectId, bool ofRemoteData)
{
    const QString sql = QStringLiteral("SELECT Id, IdQuery, Numm, ParName, IdParTyp, ParLabel,  SQL, Width, LookupField, "
                                       "LookupDisplay, LookupDisplayIndex,  IdTypDefVal, DefSQL FROM VornParam where ") +
                        (ofRemoteData ? QStringLiteral("IdRemoteData=") : QStringLiteral("IdQuery=")) +
                        QString::number(objectId) + QStringLiteral(" order by Numm");
    const vorn::ResultSet r = Database()->execute(sql);
    for (int row = 0; row < r.rowCount; ++row) {
        auto v = [&](int c) { return r.value(row, c); };
        auto p = std::make_unique<TParamAskMe>(v(3).toString(), v(5).toString(), v(4).toInt());
        if (p->IdParTyp == ptDate)
            p->Value = QDate::currentDate();
        p->Width = std::max(0, v(7).toInt());
        p->Id = v(0).toInt();
        p->IdTypDefVal = v(11).toInt();
        p->DefSQL = v(12).toString();
        if (p->IdParTyp == ptLookup || p->IdParTyp == ptMultiLookup) {
            p->Lookup = std::make_unique<TDBLookupAskMe>();
            p->Lookup->SQL = v(6).toString();
            p->Lookup->LookupField = v(8).toString();
            p->Lookup->LookupDisplay = v(9).toString();
            p->Lookup->LookupDisplayIndex = v(10).toInt();
        }
        Add(std::move(p));
    }
}

quint8 ValueKindOfFieldType(int fieldType, quint8 current)
{
    switch (fieldType) {
    case vorn::ftString:
    case vorn::ftFixedChar:
    case vorn::ftWideString: return vkString;
    // Large integers and words too: SQLite and PostgreSQL keys often come back as
    // 64-bit integers, which would otherwise be left unbound.
    case vorn::ftSmallint:
    case vorn::ftInteger:
    case vorn::ftWord:
    case vorn::ftAutoInc:
    case vorn::ftLargeint: return vkInteger;
    case vorn::ftFloat:
    case vorn::ftCurrency:
    case vorn::ftBCD: return vkFloat;
    case vorn::ftDate:
    case vorn::ftDateTime: return vkDate;
    default: return current;
    }
}

QVariant CoerceToParamType(const QVariant &v, int idParTyp)
{
    if (v.isNull() || !v.isValid())
        return QVariant();
    QVariant out;
    bool ok = true;
    switch (idParTyp) {
    case ptText:
    case ptPassword: return v.toString();
    case ptDate: {
        const QDate d = v.typeId() == QMetaType::QString ? QDate::fromString(v.toString().left(10), Qt::ISODate)
                                                           : v.toDate();
        return d.isValid() ? QVariant(d) : v;
    }
    case ptDateTime: {
        const QDateTime d = v.typeId() == QMetaType::QString ? QDateTime::fromString(v.toString(), Qt::ISODate)
                                                               : v.toDateTime();
        return d.isValid() ? QVariant(d) : v;
    }
    case ptMoney:
    case ptNumber: out = v.toDouble(&ok); break;
    case ptInteger:
        if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int || v.typeId() == QMetaType::UInt) {
            out = v.toLongLong(&ok);
        } else {
            // halves to even, as the dialog rounds; a value past 64 bits stays as it
            // came, for the dialog to refuse
            const double d = std::nearbyint(v.toDouble(&ok));
            ok = ok && d >= -9223372036854775808.0 && d < 9223372036854775808.0;
            if (ok)
                out = qint64(d);
        }
        break;
    default: return v;
    }
    return ok ? out : v;
}

bool ApplyParamsToQuery(vorn::Query &query, const TParamAskMeList &list)
{
    vorn::Database::Dialect d = vorn::Database::Dialect::Sqlite;
    try {
        d = query.database()->dialect();
    } catch (const vorn::DataError &) {
    }
    query.setSql(SubstituteMacros(query.sqlText(), list, vorn::dialect::quoting(d)));
    query.prepare();
    bool allFound = true;
    for (vorn::Param &qp : query.params()) {
        const TParamAskMe *p = list.FindOrNull(qp.name());
        if (!p) {
            allFound = false;
            continue;
        }
        if (p->ValueKind == vkNone)
            continue;
        if (p->Value.isNull() || !p->Value.isValid()) {
            qp.setNull();
            continue;
        }
        switch (p->ValueKind) {
        case vkString: qp.setAsString(p->Value.toString()); break;
        case vkDate: qp.setAsDate(CoerceToParamType(p->Value, ptDate).toDate()); break;
        case vkCurrency:
        case vkFloat: qp.setAsFloat(p->Value.toDouble()); break;
        case vkInteger: qp.setAsInteger(p->Value.toLongLong()); break;
        case vkDateTime: qp.setAsDateTime(CoerceToParamType(p->Value, ptDateTime).toDateTime()); break;
        default: break;
        }
    }
    return allFound;
}

QVariant EvalDefaultSQL(const QString &sql, const TParamAskMeList &list)
{
    vorn::Query q;
    q.setDatabase(list.Database());
    q.setSql(sql);
    ApplyParamsToQuery(q, list);
    q.open();
    if (q.isEmpty() || q.fieldCount() == 0)
        return QVariant();
    q.first();
    return q.field(0)->value();
}

void LoadStartValue(TParamAskMe &p, const TParamAskMeList &list)
{
    switch (p.IdTypDefVal) {
    case dvRemembered:
        if (list.Settings())
            ReadRememberedValue(p, *list.Settings());
        break;
    case dvSql: {
        const QVariant v = EvalDefaultSQL(p.DefSQL, list);
        if (p.IdParTyp == ptLookup) {
            if (p.Lookup)
                p.Lookup->KeyValue = v.toString();
        } else {
            p.Value = CoerceToParamType(v, p.IdParTyp);
        }
        break;
    }
    default: break;
    }
}

void StoreRememberedValue(const TParamAskMe &p, const TParamAskMeList &list)
{
    if (list.Settings())
        StoreRememberedValue(p, *list.Settings());
}

// -- the parameter dataset

static vorn::FieldType fieldTypeOfKind(quint8 kind)
{
    switch (kind) {
    case vkString: return vorn::ftString;
    case vkDate: return vorn::ftDate;
    case vkCurrency: return vorn::ftCurrency;
    case vkFloat: return vorn::ftFloat;
    case vkInteger: return vorn::ftInteger;
    case vkDateTime: return vorn::ftDateTime;
    default: return vorn::ftUnknown;
    }
}

void FillParamDataSet(QObject *owner, const TParamAskMeList &list)
{
    if (list.Count() == 0)
        return;
    const QString name = QStringLiteral("usrPARAM");
    auto *table = owner->findChild<vorn::MemoryTable *>(name, Qt::FindDirectChildrenOnly);
    const bool created = !table;
    if (table) {
        table->close();
    } else {
        table = new vorn::MemoryTable(owner);
        table->setObjectName(name);
    }

    auto hasDef = [table](const QString &n) {
        for (const vorn::FieldDef &d : table->fieldDefs())
            if (d.name.compare(n, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    for (int i = 0; i < list.Count(); ++i) {
        const TParamAskMe *p = list.Items(i);
        vorn::FieldType t = fieldTypeOfKind(p->ValueKind);
        // a key past 32 bits (a bigint list column) gets a field that holds it
        if (t == vorn::ftInteger && (p->Value.toLongLong() > std::numeric_limits<qint32>::max()
                                     || p->Value.toLongLong() < std::numeric_limits<qint32>::min()))
            t = vorn::ftLargeint;
        if (t != vorn::ftUnknown && !hasDef(p->ParName))
            table->addFieldDef(p->ParName, t, t == vorn::ftString ? 255 : 0);
        const QString display = p->ParName + QStringLiteral("_Display");
        if (p->IdParTyp == ptLookup && !hasDef(display))
            table->addFieldDef(display, vorn::ftString, 255);
        else if (p->IdParTyp == ptMultiLookup && !hasDef(display))
            table->addFieldDef(display, vorn::ftString, 2048);
    }

    table->createTable();
    table->append();
    for (int i = 0; i < list.Count(); ++i) {
        const TParamAskMe *p = list.Items(i);
        // a value the field does not take is left out rather than failing the run
        if (vorn::Field *f = table->findField(p->ParName); f && fieldTypeOfKind(p->ValueKind) != vorn::ftUnknown) {
            try {
                f->setValue(p->Value);
            } catch (const std::exception &) {
            }
        }
        if (p->Lookup && (p->IdParTyp == ptLookup || p->IdParTyp == ptMultiLookup)) {
            if (vorn::Field *f = table->findField(p->ParName + QStringLiteral("_Display"))) {
                try {
                    f->setValue(p->Lookup->DisplayText);
                } catch (const std::exception &) {
                }
            }
        }
    }
    table->post();

    const QString dsName = QStringLiteral("dsusrPARAM");
    if (created && !owner->findChild<QObject *>(dsName, Qt::FindDirectChildrenOnly)) {
        auto *ds = new vorn::DataSource(table, owner);
        ds->setObjectName(dsName);
        ds->setTag(-1);
    }
}
