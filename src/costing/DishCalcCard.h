#pragma once

#include "common/Result.h"
#include "costing/DishCost.h"
#include "documents/CalcCard.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kulvera {

struct AppContext;
class Connections;
class PriceSources;
class Prompter;
class Ration;
class SettingsAccess;

// A dish of a ration costed for its calculation card: the card's input and
// the priced lines it came from.
struct DishCalculation {
    CalcCardInput input;
    DishCost cost;
};

// Dish `number` of the ration (1 … dishCount) priced as the menu prices it:
// each product position at the gross mass priced and the cost of that mass.
// The card number is the recipe's card number, or the dish's number in the
// ration when the recipe has none; the date is the ration's.
DishCalculation calculateDish(const Ration &ration, int number, double markupPercent, PriceSources &prices,
    SeasonalOutputs &seasonal, qint64 warehouse);

// Keeps the card in the warehouse base (`КК_Заголовки` and its `КК_Позиции`)
// in one transaction; a card kept earlier for the same dish and date is
// replaced with its positions, so printing again never doubles it.
Result<qint64> saveCalcCard(Connections &connections, const DishCalculation &dish, const CalcCard &card,
    const CalcCardRules &rules, qint64 warehouse, PriceSources &prices);

struct CalcCardJob {
    QString templatesFolder;
    double markupPercent = 0;
    qint64 warehouse = 1;
};

struct PrintedCalcCard {
    DishCalculation dish;
    CalcCardOutcome outcome;
    bool kept = false; // saved into the warehouse base
};

// Prices the dish, produces its card into `outputPath` and keeps it in the
// warehouse base. A card not kept is reported to the prompter; the workbook stays.
Result<PrintedCalcCard> printDishCalcCard(const Ration &ration, int number, const CalcCardJob &job,
    const QString &outputPath, Connections &connections, const SettingsAccess &settings, Prompter &prompter,
    PriceSources &prices, SeasonalOutputs &seasonal);

// "Экспорт всех калькуляционных карт.": one workbook per dish of the ration
// in `folder`, named by the dish; returns the files written. The first card
// that fails stops the export with its reason.
Result<QStringList> printAllCalcCards(const Ration &ration, const CalcCardJob &job, const QString &folder,
    Connections &connections, const SettingsAccess &settings, Prompter &prompter, PriceSources &prices,
    SeasonalOutputs &seasonal);

// The cards of a ration as the program prints them, priced with the program's
// settings (stock prices from warehouse 1) into `folder`: dish `number`
// alone, or every dish when `number` is 0. Returns the files written; a
// failure is shown through the prompter as well.
Result<QStringList> printRationCalcCards(
    const Ration &ration, int number, double markupPercent, const QString &folder, AppContext &context);

// The markup percent offered for a card (`GlobalNac`, 0 when it is no number).
double defaultMarkupPercent(const SettingsAccess &settings);
// A typed markup percent: a number of 0 or more; nothing for anything else.
std::optional<double> parseMarkupPercent(const QString &text);
inline constexpr QStringView kBadMarkupText = u"Наценка должна быть неотрицательным числом процентов.";

inline constexpr QStringView kExportAllCalcCardsText = u"Экспорт всех калькуляционных карт.";

// "КК 07.12.2026 Суп" as a file name (".xlsx"), with the characters files cannot hold replaced.
QString calcCardFileName(const Ration &ration, int number);

} // namespace kulvera
