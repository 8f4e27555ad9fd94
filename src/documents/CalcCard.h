#pragma once

#include "common/Result.h"
#include "documents/CalcCardLayout.h"
#include "documents/XlsxWorkbook.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kulvera {

class Prompter;
class SettingsAccess;
class SheetWriter;

// A product position of the costed dish: its gross mass per portion and what
// that mass costs.
struct CalcCardPosition {
    QString name;
    double gross = 0; // g per portion
    double cost = 0; // of the gross mass
};

// What a calculation card is made from: the dish as costed.
struct CalcCardInput {
    QString dishName;
    QString source; // the dish's normative document
    QString number; // the card's number; the calculation carries the same
    QDate date; // the calculation date
    QString output; // the dish's output as written ("200", "150/50")
    double markupPercent = 0;
    std::vector<CalcCardPosition> positions;
};

struct CalcCardLine {
    int number = 0;
    QString name;
    double norm = 0; // gross per 100 dishes ÷ the norm coefficient
    double price = 0; // per kilogram of gross × the price coefficient
    double sum = 0; // cost for 100 dishes
};

// The card's figures. Money is rounded to the price decimals (RoundPrice).
struct CalcCard {
    std::vector<CalcCardLine> lines;
    double dishCost = 0; // one dish: the sum of the position costs
    double total = 0; // 100 dishes
    double markup = 0; // on 100 dishes; no markup line when the percent is 0
    double sellingPrice = 0; // one dish with the markup
    std::optional<double> vatPrice; // the selling price with VAT, when VAT is on
};

CalcCard computeCalcCard(const CalcCardInput &input, const CalcCardRules &rules);

// "#.##": at most two decimals, none written when there are none ("25", "12,5").
QString markupPercentText(double percent);
// The label of the markup line: label + " (" + percent + "%):".
QString markupLineText(const QString &label, double percent);

// Our own template "calc.xlsx": captions around the default cells.
XlsxWorkbook calcCardTemplate();

// Writes the card onto a sheet laid out by `layout`: header cells, one table
// row per position from the first row, the totals below with their labels in
// bold, then the signature lines (bold italic); the approval line stands
// above the table at the top right.
void fillCalcCard(SheetWriter &out, const CalcCardInput &input, const CalcCard &card, const CalcCardLayout &layout,
    const CalcCardRules &rules, const QString &organisation, const QString &unit);

inline constexpr QStringView kCalcCardMissingTemplate
    = u"Не найден шаблон калькуляционной карты, обратитесь к поставщику программного обеспечения";
inline constexpr QStringView kCalcCardDefaultTemplate = u"calc.xlsx";
inline constexpr QStringView kCalcCardTemplateKey = u"sCalcTempl";

struct CalcCardOutcome {
    QString path;
    QString templateUsed;
    CalcCard card;
    int errors = 0; // cells that could not be written
    QStringList problems;
};

// Produces the card into `outputPath` through the template of `sCalcTempl`
// (ours made when the setting names "calc.xlsx" and the folder lacks it; any
// other missing name is refused with the missing-template message and nothing
// is written), saved atomically, with the status texts of each step.
Result<CalcCardOutcome> produceCalcCard(const CalcCardInput &input, const CalcCardRules &rules,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter);

} // namespace kulvera
