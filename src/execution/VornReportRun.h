// The report run: ExecuteReport and its two shorthands RunReport and DesignReport,
// called by the catalogue tree, the editors and the script report object.
#pragma once
#include <QString>

class TParamAskMeList;

// Run modes of ExecuteReport.
enum : int { vrmDesign = 0, vrmRun = 1, vrmGrids = 5 };

// In run mode 5 execType carries the object kind (1 report, 3 query, 9 data module).
// False only when the user cancelled the parameter prompt.
bool ExecuteReport(int objectId, const QString &caption, TParamAskMeList *params, bool ownsParams, int execType,
                   int destination, const QString &fileName, int runMode);
bool RunReport(int reportId, const QString &caption, int destination, int execType);
bool DesignReport(int reportId, const QString &caption);
