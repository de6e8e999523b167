// The report group editor window (groups and their report and script members).
// ShowItem reports every call to the entry tracer, which is how tests follow the tree.
#include "catalogue/fVornGrp.h"
#include "catalogue/VornEntryTrace.h"

TfrmVornGrpFrm::TfrmVornGrpFrm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TfrmVornGrpFrm"));
    setWindowTitle(QStringLiteral("Группы отчётов"));
}

void TfrmVornGrpFrm::ShowItem(int groupId, int formId, int scriptId)
{
    TraceEntry(QStringLiteral("TfrmVornGrpFrm::ShowItem"), {groupId, formId, scriptId});
}
