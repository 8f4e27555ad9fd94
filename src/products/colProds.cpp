#include "products/colProds.h"

namespace kulvera {

clsProds *colProds::Add(clsProds record, const QString &key)
{
    return Add(std::make_shared<clsProds>(std::move(record)), key);
}

clsProds *colProds::Add(Item_t record, const QString &key)
{
    if (!record)
        return nullptr;
    const QString folded = key.toCaseFolded();
    if (!folded.isEmpty()) {
        if (index_.contains(folded))
            return nullptr;
        index_.insert(folded, Count());
    }
    items_.push_back({std::move(record), folded});
    return items_.back().record.get();
}

clsProds *colProds::Item(int index) const
{
    if (index < 1 || index > Count())
        return nullptr;
    return items_[static_cast<std::size_t>(index - 1)].record.get();
}

clsProds *colProds::Item(const QString &key) const
{
    const auto it = index_.constFind(key.toCaseFolded());
    return it == index_.constEnd() ? nullptr : items_[static_cast<std::size_t>(*it)].record.get();
}

bool colProds::Remove(int index)
{
    if (index < 1 || index > Count())
        return false;
    const auto position = static_cast<std::size_t>(index - 1);
    if (!items_[position].key.isEmpty())
        index_.remove(items_[position].key);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(position));
    reindexFrom(index - 1);
    return true;
}

bool colProds::Remove(const QString &key)
{
    const auto it = index_.constFind(key.toCaseFolded());
    return it != index_.constEnd() && Remove(*it + 1);
}

void colProds::Clear()
{
    items_.clear();
    index_.clear();
}

void colProds::reserve(int n)
{
    items_.reserve(static_cast<std::size_t>(n));
    index_.reserve(n);
}

void colProds::reindexFrom(int position)
{
    for (std::size_t n = static_cast<std::size_t>(position); n < items_.size(); ++n) {
        if (!items_[n].key.isEmpty())
            index_[items_[n].key] = static_cast<int>(n);
    }
}

} // namespace kulvera
