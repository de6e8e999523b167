// The parameter model: built-in starting values, remembered values, macro scanning
// and substitution, display texts. The database-facing half (loading, DefSQL, binding,
// the parameter dataset) works through the dataset layer.
#include "execution/ParamAskMe.h"

#include "platform/core/SettingsStore.h"

#include <QLocale>

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

QString SubstituteMacros(const QString &sql, const TParamAskMeList &list)
{
    QString text = sql;
    for (const QString &name : ScanMacros(sql)) {
        const TParamAskMe *p = list.FindOrNull(name);
        if (!p)
            continue;
        QString value;
        if (p->ValueKind == vkString)
            value = p->Value.toString();
        else if (p->ValueKind == vkInteger)
            value = QString::number(p->Value.toLongLong());
        else
            continue;
        text.replace(QStringLiteral("%%") + name + QStringLiteral("%%"), value, Qt::CaseInsensitive);
    }
    return text;
}

// -- display text

QString ParamValueText(const TParamAskMe &p)
{
    QLocale loc;
    switch (p.ValueKind) {
    case vkString: return p.Value.toString();
    case vkDate: return loc.toString(p.Value.toDate(), QLocale::ShortFormat);
    case vkCurrency: return loc.toString(p.Value.toDouble(), 'f', 2);
    case vkFloat: {
        loc.setNumberOptions(QLocale::OmitGroupSeparator);
        return loc.toString(p.Value.toDouble(), 'g', 15);
    }
    case vkInteger: return QString::number(p.Value.toLongLong());
    case vkDateTime: {
        const QDateTime dt = p.Value.toDateTime();
        return loc.toString(dt.date(), QLocale::ShortFormat) + u' ' + dt.time().toString(QStringLiteral("H:mm:ss"));
    }
    default: return {};
    }
}
