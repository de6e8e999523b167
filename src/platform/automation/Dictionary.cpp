// Scripting.Dictionary members and their declarations.
#include "platform/automation/Dictionary.h"
#include "platform/automation/VariantOps.h"
#include <cmath>

namespace vorn {

Dictionary::Key Dictionary::keyOf(const Variant &v0) const
{
    const Variant &v = v0.deref();
    switch (v.type()) {
    case VarType::String: return {0, 0, m_compareMode ? v.rawString().toLower() : v.rawString(), nullptr};
    case VarType::Object: return {2, 0, QString(), v.rawObject() ? v.rawObject()->identity() : nullptr};
    case VarType::Empty: return {3, 0, QString(), nullptr};
    case VarType::Null: return {4, 0, QString(), nullptr};
    case VarType::Array: throw AutomationError(13);
    default: return {1, v.toDouble(), QString(), nullptr};
    }
}

int Dictionary::find(const Variant &key) const
{
    auto it = m_index.constFind(keyOf(key));
    return it == m_index.constEnd() ? -1 : *it;
}

void Dictionary::add(const Variant &key, const Variant &item)
{
    Key k = keyOf(key);
    if (m_index.contains(k)) throw AutomationError(457);
    m_index.insert(k, int(m_entries.size()));
    m_entries.append({key.deref(), item.deref()});
}

bool Dictionary::exists(const Variant &key) const { return find(key) >= 0; }

Variant &Dictionary::item(const Variant &key)
{
    int i = find(key);
    if (i < 0) {
        add(key, Variant());
        i = int(m_entries.size()) - 1;
    }
    return m_entries[i].item;
}

void Dictionary::setItem(const Variant &key, const Variant &value) { item(key) = value.deref(); }

void Dictionary::rename(const Variant &key, const Variant &newKey)
{
    int i = find(key);
    if (i < 0) throw AutomationError(32811);
    Key nk = keyOf(newKey);
    if (m_index.contains(nk)) throw AutomationError(457);
    m_index.remove(keyOf(key));
    m_index.insert(nk, i);
    m_entries[i].key = newKey.deref();
}

void Dictionary::remove(const Variant &key)
{
    int i = find(key);
    if (i < 0) throw AutomationError(32811);
    m_index.remove(keyOf(key));
    m_entries.remove(i);
    for (auto it = m_index.begin(); it != m_index.end(); ++it)
        if (*it > i) --*it;
}

void Dictionary::removeAll()
{
    m_entries.clear();
    m_index.clear();
}

QVector<Variant> Dictionary::keys() const
{
    QVector<Variant> r;
    r.reserve(m_entries.size());
    for (const Entry &e : m_entries) r.append(e.key);
    return r;
}

QVector<Variant> Dictionary::items() const
{
    QVector<Variant> r;
    r.reserve(m_entries.size());
    for (const Entry &e : m_entries) r.append(e.item);
    return r;
}

void Dictionary::setCompareMode(int mode)
{
    if (!m_entries.isEmpty()) throw AutomationError(5);
    if (mode < 0) throw AutomationError(5);
    m_compareMode = mode == 0 ? 0 : 1;
}

const TypeInfo *Dictionary::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IDictionary"), QUuid(QStringLiteral("{42C642C1-97E1-11CF-978F-00A02463E06F}")),
                               QStringLiteral("Scripting.Dictionary"));
        const ParamInfo key{QStringLiteral("Key")};
        TypeBuilder<Dictionary>(t)
            .property(QStringLiteral("Item"), DISPID_VALUE, {key}, VarType::Variant,
                      [](Dictionary &d, CallArgs &a) { return d.item(a[0]); },
                      [](Dictionary &d, CallArgs &a) { d.setItem(a[0], a[1]); return Variant(); },
                      QStringLiteral("Set or get the item for a given key"))
            .property(QStringLiteral("Item"), DISPID_VALUE, {key}, VarType::Variant, nullptr,
                      [](Dictionary &d, CallArgs &a) { d.setItem(a[0], a[1]); return Variant(); }, QString(), true)
            .method(QStringLiteral("Add"), 1, {key, {QStringLiteral("Item")}}, VarType::Empty,
                    [](Dictionary &d, CallArgs &a) { d.add(a[0], a[1]); return Variant(); }, QStringLiteral("Add a new key and item to the dictionary."))
            .property(QStringLiteral("Count"), 2, {}, VarType::Long,
                      [](Dictionary &d, CallArgs &) { return Variant(d.count()); }, nullptr, QStringLiteral("Get the number of items in the dictionary."))
            .method(QStringLiteral("Exists"), 3, {key}, VarType::Boolean,
                    [](Dictionary &d, CallArgs &a) { return Variant(d.exists(a[0])); }, QStringLiteral("Determine if a given key is in the dictionary."))
            .method(QStringLiteral("Items"), 4, {}, VarType::Variant,
                    [](Dictionary &d, CallArgs &) { return makeArray(d.items()); }, QStringLiteral("Get an array containing all items in the dictionary."))
            .property(QStringLiteral("Key"), 5, {key}, VarType::Empty, nullptr,
                      [](Dictionary &d, CallArgs &a) { d.rename(a[0], a[1]); return Variant(); }, QStringLiteral("Change a key to a different key."))
            .method(QStringLiteral("Keys"), 6, {}, VarType::Variant,
                    [](Dictionary &d, CallArgs &) { return makeArray(d.keys()); }, QStringLiteral("Get an array containing all keys in the dictionary."))
            .method(QStringLiteral("Remove"), 7, {key}, VarType::Empty,
                    [](Dictionary &d, CallArgs &a) { d.remove(a[0]); return Variant(); }, QStringLiteral("Remove a given key from the dictionary."))
            .method(QStringLiteral("RemoveAll"), 8, {}, VarType::Empty,
                    [](Dictionary &d, CallArgs &) { d.removeAll(); return Variant(); }, QStringLiteral("Remove all information from the dictionary."))
            .property(QStringLiteral("CompareMode"), 9, {}, VarType::Long,
                      [](Dictionary &d, CallArgs &) { return Variant(d.compareMode()); },
                      [](Dictionary &d, CallArgs &a) { d.setCompareMode(a[0].toLong()); return Variant(); },
                      QStringLiteral("Set or get the string comparison method."))
            .property(QStringLiteral("_NewEnum"), DISPID_NEWENUM, {}, VarType::Object,
                      [](Dictionary &d, CallArgs &) { return Variant(static_cast<DispatchObject *>(new ListEnumerator(d.keys(), &d))); });
        t->members.last().hidden = true;
        return t;
    }();
    return ti;
}

} // namespace vorn
