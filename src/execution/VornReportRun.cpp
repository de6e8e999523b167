// The report run entry points; every call is reported to the entry tracer first.
#include "execution/VornReportRun.h"
#include "catalogue/VornEntryTrace.h"

bool ExecuteReport(int objectId, const QString &caption, TParamAskMeList *params, bool ownsParams, int execType,
                   int destination, const QString &fileName, int runMode)
{
    TraceEntry(QStringLiteral("ExecuteReport"), {objectId, caption, params != nullptr, ownsParams, execType,
                                                  destination, fileName, runMode});
    return true;
}

bool RunReport(int reportId, const QString &caption, int destination, int execType)
{
    TraceEntry(QStringLiteral("RunReport"), {reportId, caption, destination, execType});
    return ExecuteReport(reportId, caption, nullptr, true, execType, destination, QString(), vrmRun);
}

bool DesignReport(int reportId, const QString &caption)
{
    TraceEntry(QStringLiteral("DesignReport"), {reportId, caption});
    return ExecuteReport(reportId, caption, nullptr, true, 0, 0, QString(), vrmDesign);
}
