// The run's side of the parameter machinery over the dataset layer: loading the
// definitions, starting values (remembered, DefSQL, lookup rows), typed binding,
// the "usrPARAM" table, and a plain prompt used until the generated dialog exists.
#include "execution/VornRunParams.h"

#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "execution/ParamAskMe.h"
#include "platform/data/DataSource.h"
#include "platform/data/Database.h"
#include "platform/data/MemoryTable.h"
#include "platform/data/Query.h"
#include "platform/core/SettingsStore.h"
#include "platform/core/SystemInfo.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
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
        RunApplyParamsToQuery(q.get(), list);
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

void loadStartValue(TParamAskMe &p, const TParamAskMeList *list)
{
    if (p.IdTypDefVal == dvRemembered && list->Settings())
        ReadRememberedValue(p, *list->Settings());
    else if (p.IdTypDefVal == dvSql && !p.DefSQL.trimmed().isEmpty()) {
        auto q = openQuery(p.DefSQL, list);
        const QVariant v = q->isEmpty() || q->fieldCount() == 0 ? QVariant() : q->field(0)->value();
        if (p.IdParTyp == ptLookup && p.Lookup)
            p.Lookup->KeyValue = v.toString();
        else
            p.Value = v;
    }
}

// A plain prompt: one edit per parameter, text in the program's locale.
class TdlgRunParams : public QDialog
{
public:
    TdlgRunParams(const QString &caption, TParamAskMeList *list) : m_list(list)
    {
        setObjectName(QStringLiteral("frmAskMe"));
        setWindowTitle(caption);
        auto *form = new QFormLayout(this);
        for (int i = 0; i < list->Count(); ++i) {
            TParamAskMe *p = list->Items(i);
            QWidget *w = nullptr;
            if (p->Lookup && p->IdParTyp == ptLookup) {
                auto *cb = new QComboBox(this);
                try {
                    auto q = openQuery(p->Lookup->SQL, list);
                    vorn::Field *key = q->findField(p->Lookup->LookupField);
                    vorn::Field *shown = q->findField(p->Lookup->LookupDisplay.section(u';', 0, 0));
                    for (q->first(); key && !q->eof(); q->next())
                        cb->addItem(shown ? shown->asString() : key->asString(), key->value());
                } catch (const std::exception &) {
                }
                cb->setCurrentIndex(qMax(0, cb->findData(p->Value)));
                w = cb;
            } else {
                auto *ed = new QLineEdit(this);
                ed->setText(p->IdParTyp == ptMultiLookup && p->Lookup ? p->Lookup->KeyValue : ParamValueText(*p));
                if (p->IdParTyp == ptPassword)
                    ed->setEchoMode(QLineEdit::Password);
                w = ed;
            }
            w->setObjectName(p->ParName);
            form->addRow(p->ParLabel, w);
        }
        auto *bb = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(bb, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(bb, &QDialogButtonBox::rejected, this, &QDialog::reject);
        form->addRow(bb);
    }

    void accept() override
    {
        QLocale loc;
        for (int i = 0; i < m_list->Count(); ++i) {
            TParamAskMe *p = m_list->Items(i);
            const QVariant before = p->Value;
            if (auto *cb = findChild<QComboBox *>(p->ParName)) {
                p->Value = cb->currentData();
                if (p->Lookup) {
                    p->Lookup->KeyValue = p->Value.toString();
                    p->Lookup->DisplayText = cb->currentText();
                }
                if (p->ValueKind == vkNone)
                    p->ValueKind = p->Value.typeId() == QMetaType::QString ? vkString : vkInteger;
            } else if (auto *ed = findChild<QLineEdit *>(p->ParName)) {
                const QString t = ed->text().trimmed();
                switch (p->IdParTyp) {
                case ptDate: {
                    QDate d = loc.toDate(t, QLocale::ShortFormat);
                    if (!d.isValid()) d = QDate::fromString(t, Qt::ISODate);
                    if (d.isValid()) p->Value = d;
                    break;
                }
                case ptDateTime: {
                    QDateTime d = QDateTime::fromString(t, Qt::ISODate);
                    if (!d.isValid()) d = loc.toDateTime(t, QLocale::ShortFormat);
                    if (d.isValid()) p->Value = d;
                    break;
                }
                case ptMoney: case ptNumber: {
                    bool ok = false;
                    const double v = loc.toDouble(t, &ok);
                    p->Value = ok ? v : t.toDouble();
                    break;
                }
                case ptInteger: p->Value = qint64(qRound64(loc.toDouble(t))); break;
                case ptMultiLookup:
                    if (p->Lookup && t != p->Lookup->KeyValue) {
                        p->Value = t;
                        p->Lookup->KeyValue = p->Lookup->DisplayText = t;
                    }
                    break;
                default: p->Value = ed->text(); break;
                }
            }
            p->Changed = p->Value != before;
            if (m_list->Settings())
                StoreRememberedValue(*p, *m_list->Settings());
        }
        QDialog::accept();
    }

private:
    TParamAskMeList *m_list;
};

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
        const double v = c.toDouble(QString(t).replace(u',', u'.').remove(u' '), &ok);
        if (ok) p.Value = v;
        break;
    }
    case ptInteger: {
        const qint64 v = t.toLongLong(&ok);
        if (ok) p.Value = v;
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
    auto list = std::make_unique<TParamAskMeList>();
    list->SetSettings(paramStore());
    QString where;
    if (objectKind == 3)
        where = QStringLiteral("where IdQuery=") + QString::number(objectId);
    else if (objectKind == 9)
        where = QStringLiteral("where IdRemoteData=") + QString::number(objectId);
    else if (objectKind == 1) {
        const QString id = QString::number(objectId);
        auto q = openQuery(QStringLiteral("select IdQuery, IdRemoteData from VornFrm2Qry where IdForm=") + id +
                               QStringLiteral(" and Numm=(select min(Numm) from VornFrm2Qry where IdForm=") + id +
                               u')',
                           nullptr);
        const int idQuery = q->isEmpty() ? 0 : q->fieldByName(QStringLiteral("IdQuery"))->value().toInt();
        const int idRemote = q->isEmpty() ? 0 : q->fieldByName(QStringLiteral("IdRemoteData"))->value().toInt();
        where = idQuery > 0 ? QStringLiteral("where IdQuery=") + QString::number(idQuery)
                            : QStringLiteral("where IdRemoteData=") + QString::number(idRemote);
    } else
        return list;
    auto q = openQuery(QStringLiteral("SELECT Id, IdQuery, Numm, ParName, IdParTyp, ParLabel,  SQL, Width, LookupField, "
                                      "LookupDisplay, LookupDisplayIndex,  IdTypDefVal, DefSQL FROM VornParam ") +
                           where + QStringLiteral(" order by Numm"),
                       nullptr);
    for (q->first(); !q->eof(); q->next()) {
        auto v = [&](const char *n) { return q->fieldByName(QLatin1String(n))->value(); };
        TParamAskMe *p = list->Add(v("ParName").toString(), v("ParLabel").toString(), v("IdParTyp").toInt());
        if (p->IdParTyp == ptDate)
            p->Value = QDate::currentDate();
        p->Width = qMax(0, v("Width").toInt());
        p->Id = v("Id").toInt();
        p->IdTypDefVal = v("IdTypDefVal").toInt();
        p->DefSQL = v("DefSQL").toString();
        if (p->IdParTyp == ptLookup || p->IdParTyp == ptMultiLookup) {
            p->Lookup = std::make_unique<TDBLookupAskMe>();
            p->Lookup->SQL = v("SQL").toString();
            p->Lookup->LookupField = v("LookupField").toString();
            p->Lookup->LookupDisplay = v("LookupDisplay").toString();
            p->Lookup->LookupDisplayIndex = v("LookupDisplayIndex").toInt();
        }
    }
    return list;
}

void RunApplyDefaults(TParamAskMeList *list, const QHash<QString, QString> &given)
{
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
        loadStartValue(p, list);
        if (p.Lookup)
            readLookup(p, list);  // a multiple choice starts with every row
    }
}

std::unique_ptr<TParamAskMeList> RunPrepareParams(int objectId, int objectKind, const QString &caption, bool *proceed)
{
    auto list = RunBuildParamList(objectId, objectKind);
    if (list->Count() == 0) {
        *proceed = ShowMessage(TMsgKind::Confirmation, QStringLiteral("Выполнить :") + caption,
                               int(TMsgButton::Ok) | int(TMsgButton::Cancel), QStringLiteral("Запрос")) == TMsgButton::Ok;
        return list;
    }
    RunApplyDefaults(list.get());
    TdlgRunParams dlg(caption, list.get());
    *proceed = ExecDialog(&dlg) == QDialog::Accepted;
    return list;
}

bool RunApplyParamsToQuery(Query *query, const TParamAskMeList *list)
{
    query->setSql(SubstituteMacros(query->sqlText(), *list));
    bool all = true;
    for (vorn::Param &qp : query->params()) {
        const TParamAskMe *p = list->FindOrNull(qp.name());
        if (!p) {
            all = false;
            continue;
        }
        const QVariant &v = p->Value;
        switch (p->ValueKind) {
        case vkString: qp.setAsString(v.toString()); break;
        case vkDate: qp.setAsDate(v.toDate().isValid() ? v.toDate() : v.toDateTime().date()); break;
        case vkCurrency:
        case vkFloat: qp.setAsFloat(v.toDouble()); break;
        case vkInteger: qp.setAsInteger(v.toLongLong()); break;
        case vkDateTime: qp.setAsDateTime(v.toDateTime()); break;
        default: break;
        }
    }
    return all;
}

void RunFillParamDataSet(QObject *owner, const TParamAskMeList *list)
{
    vorn::MemoryTable *t = nullptr;
    for (vorn::MemoryTable *m : owner->findChildren<vorn::MemoryTable *>())
        if (m->objectName().compare(QLatin1String("usrPARAM"), Qt::CaseInsensitive) == 0)
            t = m;
    const bool created = !t;
    if (t)
        t->close();
    else {
        t = new vorn::MemoryTable(owner);
        t->setObjectName(QStringLiteral("usrPARAM"));
    }
    auto hasDef = [t](const QString &n) {
        for (const vorn::FieldDef &d : t->fieldDefs())
            if (d.name.compare(n, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    for (int i = 0; i < list->Count(); ++i) {
        const TParamAskMe *p = list->Items(i);
        vorn::FieldType ft = vorn::ftUnknown;
        int size = 0;
        switch (p->ValueKind) {
        case vkString: ft = vorn::ftString; size = 255; break;
        case vkDate: ft = vorn::ftDate; break;
        case vkCurrency: ft = vorn::ftCurrency; break;
        case vkFloat: ft = vorn::ftFloat; break;
        case vkInteger: ft = vorn::ftInteger; break;
        case vkDateTime: ft = vorn::ftDateTime; break;
        default: break;
        }
        if (ft != vorn::ftUnknown && !hasDef(p->ParName))
            t->addFieldDef(p->ParName, ft, size);
        const QString disp = p->ParName + QStringLiteral("_Display");
        if (p->IdParTyp == ptLookup && !hasDef(disp))
            t->addFieldDef(disp, vorn::ftString, 255);
        if (p->IdParTyp == ptMultiLookup && !hasDef(disp))
            t->addFieldDef(disp, vorn::ftString, 2048);
    }
    t->createTable();
    t->emptyTable();
    t->append();
    for (int i = 0; i < list->Count(); ++i) {
        const TParamAskMe *p = list->Items(i);
        auto set = [t](const QString &name, const QVariant &v) {
            if (vorn::Field *f = t->findField(name)) {
                try {
                    f->setValue(v);
                } catch (const std::exception &) {
                    // a value the field does not take is left out
                }
            }
        };
        if (p->ValueKind != vkNone)
            set(p->ParName, p->Value);
        if (p->Lookup)
            set(p->ParName + QStringLiteral("_Display"), p->Lookup->DisplayText);
    }
    t->post();
    if (created && !owner->findChild<QObject *>(QStringLiteral("dsusrPARAM"))) {
        auto *ds = new vorn::DataSource(t, owner);
        ds->setObjectName(QStringLiteral("dsusrPARAM"));
        ds->setTag(-1);
    }
}
