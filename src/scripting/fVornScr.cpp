// The script editor window (a catalogue script, its engine and text).
// ShowItem reports every call to the entry tracer, which is how tests follow the tree.
#include "scripting/fVornScr.h"
#include "catalogue/VornEntryTrace.h"

TfrmVornScript::TfrmVornScript(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TfrmVornScript"));
    setWindowTitle(QStringLiteral("Скрипты (макросы)"));
}

void TfrmVornScript::ShowItem(int scriptId)
{
    TraceEntry(QStringLiteral("TfrmVornScript::ShowItem"), {scriptId});
}
