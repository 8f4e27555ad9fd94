#pragma once

#include "common/Result.h"
#include "recipes/DishBase.h"
#include "recipes/Microbiology.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace kulvera {

class HeatTreatmentTables;
class MicrobiologyBase;
class Prompter;
class SettingsAccess;
class colBludo;

// One line of the card's position table.
struct CardLine {
    enum class Kind { Product, SemiFinished, Retention };
    Kind kind = Kind::Product;
    int number = 0; // running number of the product lines; 0 on the other lines
    QString nd;
    QString name;
    std::optional<double> brutto;
    std::optional<double> netto;
    // The position's composition (amounts in its net mass).
    double sv = 0, bel = 0, belAnimal = 0, gir = 0, girVegetable = 0, md = 0, kr = 0;
    double ca = 0, fe = 0, b1 = 0, b2 = 0, c = 0;
};

// Everything a card shows, as plain values: the writers never look at a
// recipe slot.
struct CardData {
    int cardType = 1; // 1 culinary, 2 confectionery, 3 technological, 4 alcoholic drink
    QString name;
    QString number;
    QString enterprise;
    QString source; // the recipe's normative document
    QString sanitaryRule;
    QString unit = QStringLiteral("г"); // of the output
    double output = 0;
    QString outputText;
    double nettoTotal = 0;
    QString composition; // "картофель, морковь."
    CardTexts texts; // technology, requirements, appearance, colour, consistency, taste, smell
    std::vector<CardLine> lines;
    // Physico-chemical fractions, %.
    double dryMatter = 0, fat = 0, sugar = 0, moisture = 0, fatOnDryMatter = 0, sugarOnDryMatter = 0;
    std::optional<IndicatorSet> microbiology;
    QStringList microbiologyLines;
    // Per 100 g of the dish.
    double bel = 0, gir = 0, carbohydrates = 0, md = 0, kr = 0, kcal = 0;
    QString engineer, executor, head;
    QStringList problems; // the plausibility messages
    clsProds per100; // every value per 100 g, for the plausibility check
};

// Options of one card.
struct CardOptions {
    std::optional<int> cardType; // the recipe's own when not given
    bool fullComposition = false;
};

// Computes the recipe (composition, losses, totals) and forms the card's
// values. Refuses an output of 0 and a recipe with more table lines than the
// template has rows (`tableRows`), with the messages the user knows.
Result<CardData> buildCardData(colBludo &slot, const QString &name, const QString &outputText, int tableRows,
    const HeatTreatmentTables &losses, const MicrobiologyBase *microbiology, const SettingsAccess &settings,
    Prompter &prompter, const CardOptions &options = {});

// "Необходимо расширить возможности шаблонов" + line break + "В рецептуре: " ...
QString tooManyPositionsText(int count);

} // namespace kulvera
