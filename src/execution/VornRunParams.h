// What the report run needs of the parameter machinery, in one place: building an
// object's list from the catalogue, the prompt, starting values without a prompt,
// binding into a query and the "usrPARAM" dataset of a layout.
#pragma once
#include <QHash>
#include <QString>
#include <functional>
#include <memory>

class QObject;
class TParamAskMe;
class TParamAskMeList;
namespace vorn {
class Query;
class SettingsStore;
}

// Where remembered parameter values live (default: the program's per-user store).
void RunSetParamStore(vorn::SettingsStore *store);

// The parameters of an object (1 report: its first data source, 3 query, 9 module).
std::unique_ptr<TParamAskMeList> RunBuildParamList(int objectId, int objectKind);
// Builds the list and prompts ("Выполнить :" + caption when it is empty); the list is
// returned either way; proceed tells whether the user confirmed.
std::unique_ptr<TParamAskMeList> RunPrepareParams(int objectId, int objectKind, const QString &caption, bool *proceed);
// Every starting value computed as the prompt would start, without showing it;
// parameters named in given take that text instead (dates ISO or dd.MM.yyyy, a
// lookup's key), and the later ones' defaults see it.
void RunApplyDefaults(TParamAskMeList *list, const QHash<QString, QString> &given = {});
// A copy of a list with every value, for a result window that outlives the caller's list.
std::unique_ptr<TParamAskMeList> RunCopyParamList(const TParamAskMeList &list);
// A parameter's value from text by its type; false when the text does not fit.
bool RunSetParamText(TParamAskMe &p, const QString &text);
// Macros, then named parameters by kind; true when each one was in the list.
bool RunApplyParamsToQuery(vorn::Query *query, const TParamAskMeList *list);
// The one-row "usrPARAM" memory table (and "dsusrPARAM") on owner.
void RunFillParamDataSet(QObject *owner, const TParamAskMeList *list);
