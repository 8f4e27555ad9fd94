#pragma once

#include "products/clsProds.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace kulvera {

// An ordered, optionally keyed collection of product records, as the recipe,
// menu and warehouse rows hold them. Positions are one-based, as everywhere
// the program counts rows; keys compare without regard to letter case. Items
// are held by shared pointer, so a reference to one stays valid while others
// are added or removed.
class colProds
{
public:
    using Item_t = std::shared_ptr<clsProds>;

    // Appends a record; returns it, or nullptr when the key is already taken
    // (the collection is then unchanged).
    clsProds *Add(clsProds record, const QString &key = {});
    clsProds *Add(Item_t record, const QString &key = {});

    int Count() const { return static_cast<int>(items_.size()); }
    // One-based position; nullptr when out of range or the key is unknown.
    clsProds *Item(int index) const;
    clsProds *Item(const QString &key) const;
    bool Contains(const QString &key) const { return index_.contains(key.toCaseFolded()); }
    bool Remove(int index);
    bool Remove(const QString &key);
    void Clear();
    void reserve(int n);

    // Enumeration in insertion order.
    auto begin() const { return RecordIterator {items_.begin()}; }
    auto end() const { return RecordIterator {items_.end()}; }

private:
    struct Entry {
        Item_t record;
        QString key; // case-folded; empty when added without a key
    };

    struct RecordIterator {
        std::vector<Entry>::const_iterator it;
        clsProds &operator*() const { return *it->record; }
        clsProds *operator->() const { return it->record.get(); }
        RecordIterator &operator++()
        {
            ++it;
            return *this;
        }
        bool operator==(const RecordIterator &other) const { return it == other.it; }
        bool operator!=(const RecordIterator &other) const { return it != other.it; }
    };

    void reindexFrom(int position);

    std::vector<Entry> items_;
    QHash<QString, int> index_; // key -> zero-based position
};

} // namespace kulvera
