// The rights editor window (rights per object and per login).
// ShowItem reports every call to the entry tracer, which is how tests follow the tree.
#include "rights/fVornRights.h"
#include "catalogue/VornEntryTrace.h"

TfrmVornRights::TfrmVornRights(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TfrmVornRights"));
    setWindowTitle(QStringLiteral("Права пользователей"));
}

void TfrmVornRights::ShowItem(int objectKind, int objectId)
{
    TraceEntry(QStringLiteral("TfrmVornRights::ShowItem"), {objectKind, objectId});
}
