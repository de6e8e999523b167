// Object-model base: member failures as automation errors, and collections.
#include "scripting/Impl_VornCollection.h"
#include "scripting/fVornActScpSite.h"

using namespace vorn;

QString VornObjectGoneText() { return QStringLiteral("Объект больше не доступен"); }

void RaiseVornError(const QString &message)
{
    throw AutomationError(AutomationError::Unexpected, message, QString());
}

Variant TVornObject::invoke(int dispId, int kind, CallArgs &args)
{
    ScriptHostPoll();
    try {
        return DispatchObject::invoke(dispId, kind, args);
    } catch (const AutomationError &) {
        throw;
    } catch (const std::exception &e) {
        RaiseVornError(QString::fromUtf8(e.what()));
    }
}

Variant TVornCollection::Item(const Variant &index)
{
    const int pos = collectionPosition(index, m_items, [this](int i) { return ItemName(i); });
    return m_items.at(pos);
}

Variant TVornCollection::NewEnum()
{
    return Variant(static_cast<DispatchObject *>(new ListEnumerator(m_items, this)));
}
