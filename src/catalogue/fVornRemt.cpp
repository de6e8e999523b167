// The remote data module editor window (an automation server feeding a report).
// ShowItem reports every call to the entry tracer, which is how tests follow the tree.
#include "catalogue/fVornRemt.h"
#include "catalogue/VornEntryTrace.h"

TfrmVornRemoteData::TfrmVornRemoteData(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TfrmVornRemoteData"));
    setWindowTitle(QStringLiteral("Удалённые модули доступа к данным"));
}

void TfrmVornRemoteData::ShowItem(int remoteDataId)
{
    TraceEntry(QStringLiteral("TfrmVornRemoteData::ShowItem"), {remoteDataId});
}
