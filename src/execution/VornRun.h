// The road of a report run: the query list of a catalogue object, the datasets a
// layout or a result window gets (SQL, parameters, master links, remote modules),
// the output choice, and the entry points the tree, the editors and scripts call.
#pragma once
#include "execution/ParamAskMe.h"
#include "execution/VornReportRun.h"

#include <QString>
#include <memory>
#include <vector>

class QObject;
class QWidget;
class TParamAskMeList;
namespace vorn {
class Dataset;
class MemoryTable;
}

// IdTypExec
enum : int { etLayout = 1, etGrids = 1000 };
// IdDestination
enum : int { dsScreen = 0, dsAsk = 1, dsPrinter = 2, dsFile = 3 };

// One data source of a run.
class TQueryListItem
{
public:
    int Id = 0;                     // VornQuery.Id or VornRemoteData.Id
    QString Name;                   // catalogue name (result window tab caption)
    QString Description;
    bool IsMaster = false;          // VornFrm2Qry.IsMaster > 0
    QString QueryShortName;         // component name of its dataset in a layout
    int ItemKind = 0;               // 0 SQL query, 1 remote data module
    QString SQLtext;                // kind 0
    int IdRemtServerType = 0;       // kind 1
    int IdRemtProtocol = 0;         // carried, unused
    int Port = 0;
    QString ServerName;             // ProgID
    QString ServerGUID;             // class id
    QString ComputerName;           // "" = this computer
};

// The ordered data sources of one run; owns its items.
class TQueryList
{
public:
    int Count() const { return int(m_items.size()); }
    TQueryListItem *Items(int i) const { return m_items.at(size_t(i)).get(); }
    TQueryListItem *Add(std::unique_ptr<TQueryListItem> item);
    // Exact name; raises "Invalid Query (TQueryList) : "<name>"".
    TQueryListItem *FindByShortName(const QString &name) const;

private:
    std::vector<std::unique_ptr<TQueryListItem>> m_items;
};

// Reads the data sources of an object (kind 1 report, 3 query, 9 remote module).
std::unique_ptr<TQueryList> BuildQueryList(int objectId, int objectKind);

// One dataset per item on owner, opened; for a layout the layout's own datasets are
// left to the before-open hook, an open failure is a warning, and "usrPARAM" is filled.
void OpenReportDataSets(QObject *owner, TParamAskMeList *params, TQueryList *queries, bool forLayout);
// Makes the first master of the list present on owner the master of dataset.
void LinkMaster(QObject *owner, vorn::Dataset *dataset, TQueryList *queries);
// Fills a memory table from a remote data module's "GetData" result.
void FetchRemoteData(vorn::MemoryTable *dataset, const TQueryListItem *item, const TParamAskMeList *params);

// "Выбор вывода отчета": destination in (its index chosen first), the chosen index out.
bool ChooseOutput(int &destination);

// Shows an object's data sources as grids (mode 5 with the object kind).
bool ShowAsGrids(int objectId, int objectKind, const QString &caption);

// The result window for an object: takes both lists; an open one for the same id and
// kind is brought forward instead and these lists are freed.
void ShowQueryBrowser(int objectId, int objectKind, const QString &caption, std::unique_ptr<TQueryList> queries,
                      TParamAskMeList *params, bool ownsParams);
// The open result window of an object, nullptr when none.
QWidget *FindQueryBrowser(int objectId, int objectKind);
