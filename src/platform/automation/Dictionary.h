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
    struct Key {
        int kind;        // 0 string, 1 number, 2 object, 3 empty, 4 null
        double num;      // numeric keys (all numeric subtypes compare by value)
        QString str;     // string keys, lower-cased in text mode
        const void *obj; // object identity
        bool operator==(const Key &o) const { return kind == o.kind && num == o.num && obj == o.obj && str == o.str; }
    };
    friend size_t qHash(const Key &k, size_t seed)
    {
        switch (k.kind) {
        case 0: return qHash(k.str, seed);
        case 1: return qHash(k.num, seed) ^ 1;
        case 2: return qHash(k.obj, seed) ^ 2;
        default: return size_t(k.kind) ^ seed;
        }
    }
    Key keyOf(const Variant &v) const;
    int find(const Variant &key) const;

    struct Entry { Variant key; Variant item; };
    QVector<Entry> m_entries;          // insertion order
    QHash<Key, int> m_index;           // key -> position in m_entries
    int m_compareMode = 0;             // 0 binary, 1 text
};

} // namespace vorn
