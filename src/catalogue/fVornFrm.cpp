// The report editor window (a report, its ordered sources, layout and output settings).
// ShowItem reports every call to the entry tracer, which is how tests follow the tree.
#include "catalogue/fVornFrm.h"
#include "catalogue/VornEntryTrace.h"

TfrmVornForm::TfrmVornForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TfrmVornForm"));
    setWindowTitle(QStringLiteral("Формы отчётов"));
}

void TfrmVornForm::ShowItem(int formId, int queryId, int remoteDataId)
{
    TraceEntry(QStringLiteral("TfrmVornForm::ShowItem"), {formId, queryId, remoteDataId});
}
