#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace kulvera {

class Prompter;
class Ration;
class SettingsAccess;

inline constexpr int kRequisitionMeals = 4;

// What the requisition template offers: the places for recipes on each meal
// (0: as many as the ration has) and the product codes it lists (nothing:
// every product gets a row).
struct RequisitionLayout {
    int placesPerMeal = 0;
    std::optional<QSet<QString>> codes;
};

struct RequisitionRow {
    QString code;
    QString name;
    std::array<double, kRequisitionMeals> meals {}; // gross mass per meal × KoefMenuSum
    double total = 0; // sum of the meals × KoefMenuItog
};

struct MenuRequisition {
    QStringList meals; // the ration's meals, at most four
    std::array<QStringList, kRequisitionMeals> recipes; // recipes placed on each meal
    std::vector<RequisitionRow> rows; // by product code as met
    QStringList missing; // "code name" of products the layout does not list
    QStringList notices; // what the user was told
    double koefSum = 1;
    double koefItog = 1;
};

inline constexpr QStringView kTooManyMealsText = u"Программа поддерживает до 4 приемов за день в меню!";

// The requirement of products for the day: the gross masses of every product
// position of the ration's dishes, meal by meal, and their totals. Refused
// with the message when the ration has more than four meals; recipes beyond
// the places of a meal are skipped after a notice; products the layout does
// not list are reported together afterwards. `KoefMenuSum` multiplies the
// meal sums and `KoefMenuItog` the totals (1 when not a number).
std::optional<MenuRequisition> buildRequisition(
    const Ration &ration, const RequisitionLayout &layout, const SettingsAccess &settings, Prompter &prompter);

} // namespace kulvera
