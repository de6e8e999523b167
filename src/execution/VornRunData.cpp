// The data side of a run: the query list read from the catalogue, one dataset per
// data source on the window or layout form that shows it, and the master links
// between them.
#include "execution/VornRun.h"

#include "database/VornMessages.h"
#include "execution/ParamAskMe.h"
#include "execution/VornRunParams.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/Database.h"
#include "platform/data/MemoryTable.h"
#include "platform/data/Query.h"

#include <QApplication>
#include <QCursor>
#include <QScopeGuard>

using vorn::DataError;
using vorn::Dataset;
using vorn::DataSource;
using vorn::Query;

TQueryListItem *TQueryList::Add(std::unique_ptr<TQueryListItem> item)
{
    m_items.push_back(std::move(item));
    return m_items.back().get();
}

TQueryListItem *TQueryList::FindByShortName(const QString &name) const
{
    for (const auto &i : m_items)
        if (i->QueryShortName == name)
            return i.get();
    throw DataError(QStringLiteral("Invalid Query (TQueryList) : \"") + name + u'"');
}

namespace {

std::unique_ptr<Query> select(const QString &sql)
{
    auto q = std::make_unique<Query>();
    q->setDatabase(vorn::Database::defaultDatabase());
    q->setSql(sql);
    q->open();
    return q;
}

std::unique_ptr<TQueryListItem> queryItem(int id, bool master, const QString &shortName)
{
    auto item = std::make_unique<TQueryListItem>();
    item->Id = id;
    item->IsMaster = master;
    item->QueryShortName = shortName;
    item->ItemKind = 0;
    auto q = select(QStringLiteral("select Name, Description, SQLtext from VornQuery where Id=") + QString::number(id));
    if (!q->isEmpty()) {
        item->Name = q->fieldByName(QStringLiteral("Name"))->asString();
        item->Description = q->fieldByName(QStringLiteral("Description"))->asString();
        item->SQLtext = q->fieldByName(QStringLiteral("SQLtext"))->asString();
    }
    return item;
}

std::unique_ptr<TQueryListItem> moduleItem(int id, bool master, const QString &shortName)
{
    auto item = std::make_unique<TQueryListItem>();
    item->Id = id;
    item->IsMaster = master;
    item->QueryShortName = shortName;
    item->ItemKind = 1;
    auto q = select(QStringLiteral("select Name, Description, IdRemtServerType, ServerName, ServerGUID, ComputerName, "
                                   "IdRemtProtocol, Port from VornRemoteData where Id=") + QString::number(id));
    if (!q->isEmpty()) {
        auto f = [&](const char *n) { return q->fieldByName(QLatin1String(n)); };
        item->Name = f("Name")->asString();
        item->Description = f("Description")->asString();
        item->IdRemtServerType = f("IdRemtServerType")->value().toInt();
        item->ServerName = f("ServerName")->asString().trimmed();
        item->ServerGUID = f("ServerGUID")->asString().trimmed();
        item->ComputerName = f("ComputerName")->asString().trimmed();
        item->IdRemtProtocol = f("IdRemtProtocol")->value().toInt();
        item->Port = f("Port")->value().toInt();
    }
    return item;
}

QObject *findComponent(QObject *owner, const QString &name)
{
    for (QObject *o : owner->findChildren<QObject *>())
        if (o->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return o;
    return nullptr;
}

DataSource *sourceOf(QObject *owner, Dataset *ds)
{
    for (DataSource *s : owner->findChildren<DataSource *>())
        if (s->dataset() == ds)
            return s;
    return nullptr;
}

} // namespace

std::unique_ptr<TQueryList> BuildQueryList(int objectId, int objectKind)
{
    auto list = std::make_unique<TQueryList>();
    if (objectKind == okReport) {
        auto q = select(QStringLiteral("select IsMaster, QueryShortName, IdQuery, IdRemoteData from VornFrm2Qry where IdForm=") +
                        QString::number(objectId) + QStringLiteral(" order by Numm"));
        for (q->first(); !q->eof(); q->next()) {
            const bool master = q->fieldByName(QStringLiteral("IsMaster"))->value().toInt() > 0;
            const QString shortName = q->fieldByName(QStringLiteral("QueryShortName"))->asString();
            const int idQuery = q->fieldByName(QStringLiteral("IdQuery"))->value().toInt();
            const int idRemote = q->fieldByName(QStringLiteral("IdRemoteData"))->value().toInt();
            if (idQuery > 0)
                list->Add(queryItem(idQuery, master, shortName));
            else if (idRemote > 0)
                list->Add(moduleItem(idRemote, master, shortName));
        }
    } else if (objectKind == okQuery)
        list->Add(queryItem(objectId, false, QStringLiteral("Query1")));
    else if (objectKind == okRemoteData)
        list->Add(moduleItem(objectId, false, QStringLiteral("Query1")));
    return list;
}

void LinkMaster(QObject *owner, Dataset *dataset, TQueryList *queries)
{
    if (!queries)
        return;
    // A master leads and never follows another master: were the second linked to
    // the first, a reopen would link the first to the second as well, and two
    // masters leading each other re-query each other for ever.
    for (int i = 0; i < queries->Count(); ++i)
        if (queries->Items(i)->IsMaster && queries->Items(i)->QueryShortName.compare(dataset->objectName(), Qt::CaseInsensitive) == 0)
            return;
    for (int i = 0; i < queries->Count(); ++i) {
        const TQueryListItem *it = queries->Items(i);
        if (!it->IsMaster || it->QueryShortName.compare(dataset->objectName(), Qt::CaseInsensitive) == 0)
            continue;
        auto *masterDs = qobject_cast<Dataset *>(findComponent(owner, it->QueryShortName));
        if (!masterDs)
            continue;
        auto *q = qobject_cast<Query *>(dataset);
        if (!q)
            throw DataError(QStringLiteral("Vorn: Can not set master DataSource"));
        DataSource *src = sourceOf(owner, masterDs);
        if (!src) {
            // A master the layout holds without a data source still leads its details.
            src = new DataSource(masterDs, owner);
            src->setObjectName(QStringLiteral("ds") + masterDs->objectName());
            src->setTag(masterDs->tag());
        }
        q->setMasterSource(src);
        return;
    }
}

void OpenReportDataSets(QObject *owner, TParamAskMeList *params, TQueryList *queries, bool forLayout)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    TParamAskMeList empty;
    const TParamAskMeList *list = params ? params : &empty;
    for (int i = 0; i < queries->Count(); ++i) {
        const TQueryListItem *it = queries->Items(i);
        QObject *existing = findComponent(owner, it->QueryShortName);
        Dataset *ds = nullptr;
        if (it->ItemKind == 0) {
            if (forLayout && existing)
                continue;  // the layout's own: the before-open hook prepares it
            auto *q = qobject_cast<Query *>(existing);
            if (existing && !q)
                throw DataError(QStringLiteral("Vorn: \"%1\" is not a query").arg(it->QueryShortName));
            if (!q) {
                q = new Query(owner);
                q->setObjectName(it->QueryShortName);
            }
            q->setDatabaseName(QStringLiteral("dbMain"));
            q->close();
            q->setSql(it->SQLtext);
            q->setTag(it->Id);
            LinkMaster(owner, q, queries);
            if (forLayout) {
                // preparing checks the statement on the server: its failure is an open failure
                try {
                    RunApplyParamsToQuery(q, list);
                    q->open();
                } catch (const std::exception &e) {
                    q->setProperty("vornOpenFailed", true);
                    ShowWarning(QString::fromUtf8(e.what()));
                }
            } else {
                RunApplyParamsToQuery(q, list);
                q->open();
            }
            ds = q;
        } else {
            auto *m = qobject_cast<vorn::MemoryTable *>(existing);
            if (existing && !m)
                throw DataError(QStringLiteral("Vorn: \"%1\" is not a client dataset").arg(it->QueryShortName));
            if (!m) {
                m = new vorn::MemoryTable(owner);
                m->setObjectName(it->QueryShortName);
            }
            m->setTag(it->Id);
            FetchRemoteData(m, it, list);
            ds = m;
        }
        if (!sourceOf(owner, ds)) {
            auto *src = new DataSource(ds, owner);
            src->setObjectName(QStringLiteral("ds") + it->QueryShortName);
            src->setTag(it->Id);
        }
    }
    if (forLayout && list->Count() > 0)
        RunFillParamDataSet(owner, list);
}
