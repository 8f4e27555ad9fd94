#pragma once

#include "recipes/clsBludo.h"

#include <QDate>
#include <QString>

#include <memory>
#include <vector>

namespace kulvera {

// Which ration: a day and a menu variant (group). An empty group is the ration
// without a group, whether its rows hold NULL or "".
struct RationKey {
    QDate date;
    QString group;
    bool operator==(const RationKey &other) const = default;
};

// One open ration: the meals array (one `colRation` per meal, in display
// order) and the dishes array (one `colBludo` per dish, the positions of
// its recipe copy). A meal's entries are `clsRation` items whose dish record
// carries in `Id` the dish number, in `FullName` the recipe name and in `Out`
// the dish output. Copying a ration copies every position, so a copy is a
// snapshot the editor can keep for undo.
class Ration
{
public:
    Ration() = default;
    explicit Ration(RationKey key)
        : key_(std::move(key))
    {
    }
    Ration(const Ration &other);
    Ration &operator=(const Ration &other);
    Ration(Ration &&) noexcept = default;
    Ration &operator=(Ration &&) noexcept = default;
    ~Ration() = default;

    const RationKey &key() const { return key_; }
    void setKey(RationKey key) { key_ = std::move(key); }
    QDate date() const { return key_.date; }
    QString group() const { return key_.group; }
    // The physiological-norm record attached to the ration (l29), as stored.
    QString normCode() const { return normCode_; }
    void setNormCode(const QString &code) { normCode_ = code; }

    // Meals, 1 ... mealCount().
    int mealCount() const { return static_cast<int>(meals_.size()); }
    QString mealName(int meal) const;
    colRation *meal(int meal) const;
    int mealIndex(const QString &name) const; // 0 when the ration has no such meal
    // The meal's index; appended (empty) when the ration has none of that name.
    int ensureMeal(const QString &name);
    void renameMeal(int meal, const QString &name);

    // Dishes, 1 ... dishCount().
    int dishCount() const { return static_cast<int>(dishes_.size()); }
    colBludo *dish(int number) const;
    QString dishName(int number) const;
    QString dishOutput(int number) const;
    // Where a dish is listed: meal index and entry index, {0, 0} when nowhere.
    std::pair<int, int> placeOf(int number) const;
    // The dish number of an entry of a meal; 0 when there is none.
    int dishAt(int meal, int entry) const;

    // Appends a dish to the end of a meal; returns its number.
    int appendDish(int meal, const QString &name, const QString &output, colBludo positions);
    // Replaces the positions and output of a dish.
    void replaceDish(int number, const QString &output, colBludo positions);
    // Removes an entry of a meal and its dish; later dishes are renumbered.
    bool removeDish(int meal, int entry);
    // Swaps an entry with its previous (up) or next neighbour in the meal.
    bool moveDish(int meal, int entry, bool up);

    bool isEmpty() const { return dishes_.empty(); }
    int positionCount() const;

private:
    struct Meal {
        QString name;
        std::shared_ptr<colRation> entries;
    };
    void copyFrom(const Ration &other);
    RationKey key_;
    QString normCode_;
    std::vector<Meal> meals_;
    std::vector<std::shared_ptr<colBludo>> dishes_;
};

// A copy of every position of a recipe (colBludo itself shares its items).
colBludo copyPositions(const colBludo &positions);

} // namespace kulvera
