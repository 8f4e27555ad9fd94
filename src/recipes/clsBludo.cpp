#include "recipes/clsBludo.h"

#include <algorithm>

namespace kulvera {

clsBludo *colBludo::Add(clsBludo item, const QString &key)
{
    const QString folded = key.toCaseFolded();
    if (!folded.isEmpty() && this->item(key))
        return nullptr;
    items_.emplace_back(std::make_shared<clsBludo>(std::move(item)), folded);
    return items_.back().first.get();
}

clsBludo *colBludo::item(int index) const
{
    if (index < 1 || index > Count())
        return nullptr;
    return items_[index - 1].first.get();
}

clsBludo *colBludo::item(const QString &key) const
{
    if (key.isEmpty())
        return nullptr;
    const QString folded = key.toCaseFolded();
    const auto found = std::find_if(items_.begin(), items_.end(), [&](const auto &e) { return e.second == folded; });
    return found == items_.end() ? nullptr : found->first.get();
}

bool colBludo::Remove(int index)
{
    if (index < 1 || index > Count())
        return false;
    items_.erase(items_.begin() + (index - 1));
    return true;
}

void colBludo::Clear()
{
    items_.clear();
}

colBludo &colRation::colBludo()
{
    if (!dishes_)
        dishes_ = std::make_unique<Dishes>();
    return *dishes_;
}

clsRation *colRation::Add(const kulvera::clsBludo &dish, const QString &key)
{
    const QString folded = key.toCaseFolded();
    if (!folded.isEmpty() && item(key))
        return nullptr;
    auto entry = std::make_shared<clsRation>();
    entry->setClsBludo(dish);
    items_.push_back(entry);
    keys_.push_back(folded);
    return entry.get();
}

clsRation *colRation::item(int index) const
{
    if (index < 1 || index > Count())
        return nullptr;
    return items_[index - 1].get();
}

clsRation *colRation::item(const QString &key) const
{
    if (key.isEmpty())
        return nullptr;
    const auto found = std::find(keys_.begin(), keys_.end(), key.toCaseFolded());
    return found == keys_.end() ? nullptr : items_[found - keys_.begin()].get();
}

bool colRation::Remove(int index)
{
    if (index < 1 || index > Count())
        return false;
    items_.erase(items_.begin() + (index - 1));
    keys_.erase(keys_.begin() + (index - 1));
    return true;
}

colBludo *RecipeSlots::at(std::vector<std::unique_ptr<colBludo>> &array, int n)
{
    if (n < 1)
        return nullptr;
    while (static_cast<int>(array.size()) < n)
        array.push_back(std::make_unique<colBludo>());
    return array[n - 1].get();
}

clsBaseBlud *colBaseBlud::Add(clsBaseBlud item)
{
    items_.push_back(std::move(item));
    return &items_.back();
}

clsBaseBlud *colBaseBlud::item(int index)
{
    if (index < 1 || index > Count())
        return nullptr;
    return &items_[index - 1];
}

bool colBaseBlud::Remove(int index)
{
    if (index < 1 || index > Count())
        return false;
    items_.erase(items_.begin() + (index - 1));
    return true;
}

} // namespace kulvera
