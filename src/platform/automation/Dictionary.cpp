// Scripting.Dictionary members and their declarations.
#include "platform/automation/Dictionary.h"
#include "platform/automation/VariantOps.h"
#include <cmath>

namespace vorn {

int Dictionary::kindOf(const Variant &v)
{
    switch (v.type()) {
    case VarType::String: return 0;
    case VarType::Object: return 2;
    case VarType::Empty: return 3;
    case VarType::Null: return 4;
    case VarType::Array: throw AutomationError(13);
    default: return 1;
    }
}

size_t Dictionary::hashOf(const Variant &key0) const
{
    const Variant &key = key0.deref();
    switch (kindOf(key)) {
    case 0: return m_compareMode ? qHash(key.rawString().toLower()) : qHash(key.rawString());
    case 1: { double d = key.toDouble(); if (d == 0) d = 0; return qHash(d) ^ 0x9e3779b9u; }
    case 2: return qHash(key.rawObject() ? key.rawObject()->identity() : nullptr) ^ 0x85ebca6bu;
    default: return size_t(kindOf(key)) * 0xc2b2ae35u;
    }
}

bool Dictionary::matches(const Variant &stored, const Variant &key0) const
{
    const Variant &key = key0.deref();
    int k = kindOf(key);
    if (kindOf(stored) != k) return false;
    switch (k) {
    case 0: return m_compareMode ? stored.rawString().compare(key.rawString(), Qt::CaseInsensitive) == 0 : stored.rawString() == key.rawString();
    case 1: return stored.toDouble() == key.toDouble();
    case 2: {
        const void *a = stored.rawObject() ? stored.rawObject()->identity() : nullptr;
        const void *b = key.rawObject() ? key.rawObject()->identity() : nullptr;
        return a == b;
    }
    default: return true;
    }
}

int Dictionary::find(const Variant &key, size_t hash) const
{
    if (m_slots.empty()) return -1;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        int e = m_slots[i];
        if (!e) return -1;
        const Entry &en = m_entries[e - 1];
        if (en.hash == hash && matches(en.key, key)) return e - 1;
    }
}

void Dictionary::insertSlot(int entry)
{
    const size_t mask = m_slots.size() - 1;
    size_t i = m_entries[entry].hash & mask;
    while (m_slots[i]) i = (i + 1) & mask;
    m_slots[i] = entry + 1;
}

void Dictionary::rebuild(size_t capacity)
{
    m_slots.assign(capacity, 0);
    for (int i = 0; i < m_entries.size(); ++i) insertSlot(i);
}

void Dictionary::add(const Variant &key, const Variant &item)
{
    size_t h = hashOf(key);
    if (find(key, h) >= 0) throw AutomationError(457);
    m_entries.append({key.deref(), item.deref(), h});
    if ((m_entries.size() + 1) * 2 > qsizetype(m_slots.size())) rebuild(std::max<size_t>(16, m_slots.size() * 2));
    else insertSlot(int(m_entries.size()) - 1);
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
    if (find(newKey) >= 0) throw AutomationError(457);
    m_entries[i].key = newKey.deref();
    m_entries[i].hash = hashOf(newKey);
    rebuild(m_slots.size());
}

void Dictionary::remove(const Variant &key)
{
    int i = find(key);
    if (i < 0) throw AutomationError(32811);
    m_entries.remove(i);
    rebuild(m_slots.size());
}

void Dictionary::removeAll()
{
    m_entries.clear();
    m_slots.clear();
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
