#include "menus/Ration.h"

namespace kulvera {
namespace {

clsBludo entryFor(int number, const QString &name, const QString &output)
{
    clsBludo entry;
    entry.clsProds().Id = QString::number(number);
    entry.clsProds().FullName = name;
    entry.clsProds().Out = output;
    return entry;
}

int entryNumber(const clsRation &entry)
{
    return entry.clsBludo().clsProds().Id.toInt();
}

} // namespace

colBludo copyPositions(const colBludo &positions)
{
    colBludo out;
    out.reserve(positions.Count());
    for (const clsBludo &b : positions)
        out.Add(clsBludo(b.clsProds()));
    return out;
}

Ration::Ration(const Ration &other)
{
    copyFrom(other);
}

Ration &Ration::operator=(const Ration &other)
{
    if (this != &other)
        copyFrom(other);
    return *this;
}

void Ration::copyFrom(const Ration &other)
{
    key_ = other.key_;
    normCode_ = other.normCode_;
    meals_.clear();
    for (const Meal &m : other.meals_) {
        auto entries = std::make_shared<colRation>();
        for (const auto &e : *m.entries)
            entries->Add(e->clsBludo());
        meals_.push_back({m.name, std::move(entries)});
    }
    dishes_.clear();
    for (const auto &d : other.dishes_)
        dishes_.push_back(std::make_shared<colBludo>(copyPositions(*d)));
}

QString Ration::mealName(int meal) const
{
    return meal >= 1 && meal <= mealCount() ? meals_[meal - 1].name : QString();
}

colRation *Ration::meal(int meal) const
{
    return meal >= 1 && meal <= mealCount() ? meals_[meal - 1].entries.get() : nullptr;
}

int Ration::mealIndex(const QString &name) const
{
    for (int i = 0; i < mealCount(); ++i) {
        if (meals_[i].name == name)
            return i + 1;
    }
    return 0;
}

int Ration::ensureMeal(const QString &name)
{
    if (const int found = mealIndex(name))
        return found;
    meals_.push_back({name, std::make_shared<colRation>()});
    return mealCount();
}

void Ration::renameMeal(int meal, const QString &name)
{
    if (meal >= 1 && meal <= mealCount())
        meals_[meal - 1].name = name;
}

colBludo *Ration::dish(int number) const
{
    return number >= 1 && number <= dishCount() ? dishes_[number - 1].get() : nullptr;
}

std::pair<int, int> Ration::placeOf(int number) const
{
    for (int m = 1; m <= mealCount(); ++m) {
        const colRation &entries = *meals_[m - 1].entries;
        for (int e = 1; e <= entries.Count(); ++e) {
            if (entryNumber(*entries.item(e)) == number)
                return {m, e};
        }
    }
    return {0, 0};
}

int Ration::dishAt(int meal, int entry) const
{
    const colRation *entries = this->meal(meal);
    const clsRation *e = entries ? entries->item(entry) : nullptr;
    return e ? entryNumber(*e) : 0;
}

QString Ration::dishName(int number) const
{
    const auto [m, e] = placeOf(number);
    return m ? meal(m)->item(e)->clsBludo().clsProds().FullName : QString();
}

QString Ration::dishOutput(int number) const
{
    const auto [m, e] = placeOf(number);
    return m ? meal(m)->item(e)->clsBludo().clsProds().Out : QString();
}

int Ration::appendDish(int meal, const QString &name, const QString &output, colBludo positions)
{
    colRation *entries = this->meal(meal);
    if (!entries)
        return 0;
    dishes_.push_back(std::make_shared<colBludo>(std::move(positions)));
    entries->Add(entryFor(dishCount(), name, output));
    return dishCount();
}

void Ration::replaceDish(int number, const QString &output, colBludo positions)
{
    if (!dish(number))
        return;
    dishes_[number - 1] = std::make_shared<colBludo>(std::move(positions));
    const auto [m, e] = placeOf(number);
    if (m)
        meal(m)->item(e)->clsBludo().clsProds().Out = output;
}

bool Ration::removeDish(int meal, int entry)
{
    const int number = dishAt(meal, entry);
    if (number == 0)
        return false;
    this->meal(meal)->Remove(entry);
    dishes_.erase(dishes_.begin() + (number - 1));
    for (const Meal &m : meals_) {
        for (const auto &e : *m.entries) {
            QString &id = e->clsBludo().clsProds().Id;
            if (id.toInt() > number)
                id = QString::number(id.toInt() - 1);
        }
    }
    return true;
}

bool Ration::moveDish(int meal, int entry, bool up)
{
    colRation *entries = this->meal(meal);
    const int other = up ? entry - 1 : entry + 1;
    if (!entries || entry < 1 || entry > entries->Count() || other < 1 || other > entries->Count())
        return false;
    // The collection has no insertion: it is rebuilt in the new order.
    std::vector<clsBludo> order;
    for (const auto &e : *entries)
        order.push_back(e->clsBludo());
    std::swap(order[entry - 1], order[other - 1]);
    auto rebuilt = std::make_shared<colRation>();
    for (const clsBludo &b : order)
        rebuilt->Add(b);
    meals_[meal - 1].entries = std::move(rebuilt);
    return true;
}

int Ration::positionCount() const
{
    int n = 0;
    for (const auto &d : dishes_)
        n += d->Count();
    return n;
}

} // namespace kulvera
