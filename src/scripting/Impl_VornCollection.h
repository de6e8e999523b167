// The base of every object-model object (failures become script errors, the host
// gets a chance to see "Прервать"), and the collection pattern shared by all
// collections: _NewEnum over a copy of the elements, Count, Item by number/name/object.
#pragma once
#include "platform/automation/Dispatch.h"

#include <QVector>

// The message an object gives when what it stood for has been closed or released.
QString VornObjectGoneText();
[[noreturn]] void RaiseVornError(const QString &message);

class TVornObject : public vorn::DispatchObject
{
public:
    // Exceptions of members (data layer, parameter model) reach scripts as automation
    // errors whose description is the exception's message.
    vorn::Variant invoke(int dispId, int kind, vorn::CallArgs &args) override;
};

class TVornCollection : public TVornObject
{
public:
    int Count() const { return int(m_items.size()); }
    virtual vorn::Variant Item(const vorn::Variant &index);
    vorn::Variant NewEnum();
    const QVector<vorn::Variant> &Items() const { return m_items; }

protected:
    // The name a string index is compared with (exactly).
    virtual QString ItemName(int i) const = 0;
    // Adds _NewEnum, Count and Item (the default member) to a collection's declaration.
    template<class T>
    static void DeclareCollection(vorn::TypeInfo *t, const QString &elementDoc)
    {
        using namespace vorn;
        TypeBuilder<T>(t)
            .property(QStringLiteral("_NewEnum"), DISPID_NEWENUM, {}, VarType::Object,
                      [](T &c, CallArgs &) { return c.NewEnum(); })
            .property(QStringLiteral("Count"), 1, {}, VarType::Long,
                      [](T &c, CallArgs &) { return Variant(c.Count()); }, nullptr, QStringLiteral("Number of elements"))
            .method(QStringLiteral("Item"), DISPID_VALUE, {ParamInfo(QStringLiteral("Index"))}, VarType::Object,
                    [](T &c, CallArgs &a) { return c.Item(a.value(0)); }, elementDoc);
        t->members.first().hidden = true;
    }
    QVector<vorn::Variant> m_items;   // element objects, fixed when the collection is made
};
