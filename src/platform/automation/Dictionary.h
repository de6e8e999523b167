// Scripting.Dictionary: an insertion-ordered map from variant keys to variant
// items with binary or text key comparison.
#pragma once
#include "platform/automation/Dispatch.h"

namespace vorn {

class Dictionary : public DispatchObject
{
public:
    static const TypeInfo *staticTypeInfo();
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("Dictionary"); }

    void add(const Variant &key, const Variant &item);     // 457 if the key exists
    bool exists(const Variant &key) const;
    Variant &item(const Variant &key);                      // adds an Empty item when absent
    void setItem(const Variant &key, const Variant &item);
    void rename(const Variant &key, const Variant &newKey); // Key property put
    void remove(const Variant &key);                        // 32811 if absent
    void removeAll();
    int count() const { return int(m_entries.size()); }
    QVector<Variant> keys() const;
    QVector<Variant> items() const;
    int compareMode() const { return m_compareMode; }
    void setCompareMode(int mode);                          // only while empty

private:
    // Open addressing over the entry list: a slot holds entry index + 1 (0 = free).
    // Lookups hash the variant in place, so a string key is never copied to look it up.
    static int kindOf(const Variant &v);        // 0 string, 1 number, 2 object, 3 empty, 4 null
    size_t hashOf(const Variant &key) const;
    bool matches(const Variant &stored, const Variant &key) const;
    int find(const Variant &key, size_t hash) const;
    int find(const Variant &key) const { return find(key, hashOf(key)); }
    void insertSlot(int entry);
    void rebuild(size_t capacity);

    struct Entry { Variant key; Variant item; size_t hash; };
    QVector<Entry> m_entries;          // insertion order
    std::vector<int> m_slots;          // hash table of entry indices + 1
    int m_compareMode = 0;             // 0 binary, 1 text
};

} // namespace vorn
