#pragma once

#include "products/clsProds.h"

#include <QHash>
#include <QString>

#include <deque>
#include <memory>
#include <vector>

namespace kulvera {

// One recipe position: it owns one product record (the position's product,
// masses, composition and the recipe header fields).
class clsBludo
{
public:
    using Record = kulvera::clsProds;

    clsBludo() = default;
    explicit clsBludo(Record record)
        : record_(std::move(record))
    {
    }

    Record &clsProds() { return record_; }
    const Record &clsProds() const { return record_; }
    void setClsProds(Record record) { record_ = std::move(record); }

private:
    Record record_;
};

// An ordered, one-based collection of positions: one recipe in memory (a
// recipe slot) or one dish of a ration. Keys, when given, compare without
// regard to letter case. Items are held by shared pointer, so a pointer to
// one stays valid while others are added or removed.
class colBludo
{
public:
    // Appends a position; nullptr when the key is already taken.
    clsBludo *Add(clsBludo item = {}, const QString &key = {});
    int Count() const { return static_cast<int>(items_.size()); }
    clsBludo *item(int index) const; // one-based; nullptr when out of range
    clsBludo *item(const QString &key) const;
    bool Remove(int index);
    void Clear();
    void reserve(int n) { items_.reserve(n); }

    struct Iterator {
        std::vector<std::pair<std::shared_ptr<clsBludo>, QString>>::const_iterator it;
        clsBludo &operator*() const { return *it->first; }
        clsBludo *operator->() const { return it->first.get(); }
        Iterator &operator++()
        {
            ++it;
            return *this;
        }
        bool operator==(const Iterator &other) const { return it == other.it; }
        bool operator!=(const Iterator &other) const { return it != other.it; }
    };
    Iterator begin() const { return {items_.begin()}; }
    Iterator end() const { return {items_.end()}; }

private:
    std::vector<std::pair<std::shared_ptr<clsBludo>, QString>> items_; // item, case-folded key
};

// One dish entry of a meal: holds the dish (a position object whose record
// carries in `Id` the dish's number in the ration's dish array).
class clsRation
{
public:
    using Dish = kulvera::clsBludo;
    Dish &clsBludo() { return dish_; }
    const Dish &clsBludo() const { return dish_; }
    void setClsBludo(Dish dish) { dish_ = std::move(dish); }

private:
    Dish dish_;
};

// One meal of an open ration: its dish entries, and the positions
// (`colBludo`, created empty on first access) that belong to the meal.
class colRation
{
public:
    using Dishes = kulvera::colBludo;

    Dishes &colBludo();
    void setColBludo(Dishes dishes) { dishes_ = std::make_unique<Dishes>(std::move(dishes)); }

    // Creates an entry holding `dish`; keyed when `key` is not empty.
    // nullptr when the key is already taken.
    clsRation *Add(const kulvera::clsBludo &dish, const QString &key = {});
    int Count() const { return static_cast<int>(items_.size()); }
    clsRation *item(int index) const;
    clsRation *item(const QString &key) const;
    bool Remove(int index);

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::unique_ptr<Dishes> dishes_;
    std::vector<std::shared_ptr<clsRation>> items_;
    std::vector<QString> keys_;
};

// The recipes in memory: one-based arrays of slots, addressed by number, that
// grow on demand keeping their contents; a second array holds the summary
// recipes.
class RecipeSlots
{
public:
    // The slot, created (with every slot before it) when missing; nullptr for n < 1.
    colBludo *slot(int n) { return at(slots_, n); }
    colBludo *summary(int n) { return at(summaries_, n); }
    int slotCount() const { return static_cast<int>(slots_.size()); }
    int summaryCount() const { return static_cast<int>(summaries_.size()); }

private:
    static colBludo *at(std::vector<std::unique_ptr<colBludo>> &array, int n);
    std::vector<std::unique_ptr<colBludo>> slots_;
    std::vector<std::unique_ptr<colBludo>> summaries_;
};

// Where a list of dishes was taken from: base, table and two parameters.
struct clsHarBase {
    QString NameBase;
    QString Table;
    QString Param1;
    QString Param2;
};

// A dish by name with its output.
struct clsBaseBlud {
    QString NameBlud;
    QString Out;
};

// A list of dishes together with the description of its source.
class colBaseBlud
{
public:
    clsBaseBlud *Add(clsBaseBlud item);
    int Count() const { return static_cast<int>(items_.size()); }
    clsBaseBlud *item(int index); // one-based
    bool Remove(int index);
    clsHarBase &HarBase() { return har_; }
    const clsHarBase &HarBase() const { return har_; }
    void setHarBase(clsHarBase har) { har_ = std::move(har); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::deque<clsBaseBlud> items_; // pointers from Add stay valid
    clsHarBase har_;
};

} // namespace kulvera
