// The run's side of the parameter machinery: the prompt and the parameter model
// with the program's per-user store, and starting values with some of them given
// as text (the batch run), where a lookup is positioned on the given key.
#include "execution/VornRunParams.h"

#include "execution/Askme.h"
#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "execution/ParamAskMe.h"
#include "platform/data/DataSource.h"
#include "platform/data/Database.h"
#include "platform/data/MemoryTable.h"
#include "platform/data/Query.h"
#include "platform/core/DecimalText.h"
#include "platform/core/SettingsStore.h"
#include "platform/core/SystemInfo.h"

#include <QLocale>

using vorn::Query;

namespace {

vorn::SettingsStore *g_store = nullptr;

vorn::SettingsStore *paramStore()
{
    if (!g_store) {
        static vorn::SettingsStore programStore(vorn::sysinfo::executableBaseName());
        g_store = &programStore;
    }
    return g_store;
}

std::unique_ptr<Query> openQuery(const QString &sql, const TParamAskMeList *list)
{
    auto q = std::make_unique<Query>();
    q->setDatabase(vorn::Database::defaultDatabase());
    q->setSql(sql);
    if (list)
        ApplyParamsToQuery(*q, *list);
    q->open();
    return q;
}

quint8 kindOfColumn(vorn::FieldType t)
{
    using namespace vorn;
    switch (t) {
    case ftString: case ftFixedChar: case ftWideString: case ftMemo: return vkString;
    case ftSmallint: case ftInteger: case ftAutoInc: case ftWord: case ftLargeint: return vkInteger;
    case ftFloat: case ftCurrency: case ftBCD: return vkFloat;
    case ftDate: case ftDateTime: return vkDate;
    default: return vkNone;
    }
}

// Takes a lookup parameter's value from its list: the row of KeyValue, else the first.
void readLookup(TParamAskMe &p, const TParamAskMeList *list)
{
    TDBLookupAskMe &l = *p.Lookup;
    auto q = openQuery(l.SQL, list);
    vorn::Field *key = q->findField(l.LookupField);
    vorn::Field *shown = q->findField(l.LookupDisplay.section(u';', 0, 0));
    if (!key)
        return;
    if (p.IdParTyp == ptMultiLookup) {
        QStringList keys, texts;
        for (q->first(); !q->eof(); q->next()) {
            keys << key->asString();
            texts << (shown ? shown->asString() : key->asString());
        }
        p.Value = keys.join(QStringLiteral(", "));
        p.ValueKind = vkString;
        l.KeyValue = p.Value.toString();
        l.DisplayText = (q->recordCount() > 0 ? QStringLiteral("{ВСЕ} ") : QString()) + texts.join(QStringLiteral(", "));
        return;
    }
    if (q->isEmpty())
        return;
    if (l.KeyValue.isEmpty() || !q->locate(l.LookupField, l.KeyValue))
        q->first();
    p.Value = key->value();
    if (const quint8 k = kindOfColumn(key->dataType()); k != vkNone)
        p.ValueKind = k;
    l.KeyValue = key->asString();
    l.DisplayText = shown ? shown->asString() : l.KeyValue;
}

} // namespace

void RunSetParamStore(vorn::SettingsStore *store) { g_store = store; }

bool RunSetParamText(TParamAskMe &p, const QString &text)
{
    const QString t = text.trimmed();
    QLocale c = QLocale::c();
    bool ok = true;
    switch (p.IdParTyp) {
    case ptDate: {
        QDate d = QDate::fromString(t, Qt::ISODate);
        if (!d.isValid()) d = QDate::fromString(t, QStringLiteral("dd.MM.yyyy"));
        ok = d.isValid();
        if (ok) p.Value = d;
        break;
    }
    case ptDateTime: {
        QDateTime d = QDateTime::fromString(t, Qt::ISODate);
        if (!d.isValid()) d = QDateTime::fromString(t, QStringLiteral("dd.MM.yyyy HH:mm:ss"));
        if (!d.isValid()) d = QDateTime::fromString(t, QStringLiteral("dd.MM.yyyy"));
        ok = d.isValid();
        if (ok) p.Value = d;
        break;
    }
    case ptMoney: case ptNumber: {
        const QString plain = QString(t).replace(u',', u'.').remove(u' ');
        const double v = c.toDouble(plain, &ok);
        // more digits than a double keeps would be cut without a word
        ok = ok && vorn::decimal::normalized(plain) == vorn::decimal::plain(v);
        if (ok) p.Value = v;
        break;
    }
    case ptInteger: {
        // the integer type is 32 bits wide, as in the prompt
        const int v = t.toInt(&ok);
        if (ok) p.Value = qint64(v);
        break;
    }
    case ptLookup:
        if (p.Lookup) p.Lookup->KeyValue = t;
        break;
    case ptMultiLookup:
        p.Value = t;
        if (p.Lookup) p.Lookup->KeyValue = p.Lookup->DisplayText = t;
        break;
    default: p.Value = text; break;
    }
    return ok;
}

std::unique_ptr<TParamAskMeList> RunBuildParamList(int objectId, int objectKind)
{
    return std::make_unique<TParamAskMeList>(vorn::Database::defaultDatabase(), objectId, objectKind, paramStore());
}

void RunApplyDefaults(TParamAskMeList *list, const QHash<QString, QString> &given)
{
    if (given.isEmpty()) {
        ApplyDefaults(list);
        return;
    }
    for (int i = 0; i < list->Count(); ++i) {
        TParamAskMe &p = *list->Items(i);
        const auto g = given.constFind(p.ParName);
        if (g != given.constEnd()) {
            if (!RunSetParamText(p, *g))
                throw EParamAskMe(QStringLiteral("Неверное значение параметра %1: %2").arg(p.ParName, *g));
            if (p.IdParTyp == ptLookup && p.Lookup) {
                readLookup(p, list);
                if (p.Lookup->KeyValue != g->trimmed())
                    throw EParamAskMe(QStringLiteral("Параметр %1: в списке нет значения %2").arg(p.ParName, *g));
            }
            continue;
        }
        LoadStartValue(p, *list);
        if (p.Lookup)
            readLookup(p, list);  // a multiple choice starts with every row
    }
}

std::unique_ptr<TParamAskMeList> RunPrepareParams(int objectId, int objectKind, const QString &caption, bool *proceed)
{
    return PrepareParams(objectId, objectKind, caption, proceed, vorn::Database::defaultDatabase(), paramStore());
}

bool RunApplyParamsToQuery(Query *query, const TParamAskMeList *list) { return ApplyParamsToQuery(*query, *list); }

void RunFillParamDataSet(QObject *owner, const TParamAskMeList *list) { FillParamDataSet(owner, *list); }

std::unique_ptr<TParamAskMeList> RunCopyParamList(const TParamAskMeList &list)
{
    auto copy = std::make_unique<TParamAskMeList>();
    copy->SetDatabase(list.Database());
    copy->SetSettings(list.Settings());
    for (int i = 0; i < list.Count(); ++i) {
        const TParamAskMe *p = list.Items(i);
        auto c = std::make_unique<TParamAskMe>(p->ParName, p->ParLabel, p->IdParTyp);
        c->Id = p->Id;
        c->Width = p->Width;
        c->IdTypDefVal = p->IdTypDefVal;
        c->DefSQL = p->DefSQL;
        c->Value = p->Value;
        c->ValueKind = p->ValueKind;
        c->Changed = p->Changed;
        if (p->Lookup)
            c->Lookup = std::make_unique<TDBLookupAskMe>(*p->Lookup);
        copy->Add(std::move(c));
    }
    return copy;
}
