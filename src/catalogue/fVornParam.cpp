// The parameter editor window (the parameters of one query or data module).
// ShowItem reports every call to the entry tracer, which is how tests follow the tree.
#include "catalogue/fVornParam.h"
#include "catalogue/VornEntryTrace.h"

TfrmVornParam::TfrmVornParam(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TfrmVornParam"));
    setWindowTitle(QStringLiteral("Параметры"));
}

void TfrmVornParam::ShowItem(int ownerKind, int ownerId, int paramId)
{
    TraceEntry(QStringLiteral("TfrmVornParam::ShowItem"), {ownerKind, ownerId, paramId});
}
