// The query editor window (a catalogue query with its SQL text and the reports using it).
// ShowItem reports every call to the entry tracer, which is how tests follow the tree.
#include "catalogue/fVornQry.h"
#include "catalogue/VornEntryTrace.h"

TfrmVornQuery::TfrmVornQuery(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TfrmVornQuery"));
    setWindowTitle(QStringLiteral("Запросы и процедуры"));
}

void TfrmVornQuery::ShowItem(int queryId)
{
    TraceEntry(QStringLiteral("TfrmVornQuery::ShowItem"), {queryId});
}
