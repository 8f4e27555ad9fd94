#pragma once

#include "common/Result.h"
#include "products/ProductRow.h"
#include "products/UnitBase.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kulvera {

class DishBase;
class Prompter;
class SettingsAccess;

// One line of the product statement: a group heading or a product of it.
struct StatementLine {
    bool group = false;
    qint64 key = 0; // the product's key
    QString name;
    QString unit; // the unit of the price
    double price = 0; // per unit
};

// Groups in their order, each followed by its products in the order given;
// products of a group the base does not know come last under "Без группы",
// so the statement never drops a product.
std::vector<StatementLine> productStatementLines(
    const std::vector<UnitGroup> &groups, const std::vector<Unit> &units, const std::vector<ProductRow> &products);

// One line of the register of recipes.
struct RegisterLine {
    QString number; // card number
    QString name;
    QString output; // as stored: "200" or "150/50"
    QString source; // normative document of the recipe
};

// Every recipe of a table, loaded for its stored output; a recipe that does
// not load is named in `skipped` and left out.
std::vector<RegisterLine> recipeRegisterLines(DishBase &base, const QString &table, QStringList *skipped = nullptr);

struct ListOutcome {
    QString path;
    QString templateUsed;
    int rows = 0; // table lines written
    int errors = 0; // cells that could not be written
    QStringList problems;
};

// Fill the statement's template (setting `Shablon_Excel_Ved_Prod`) and the
// register's (`sDReestr`) from the cell the template names "Старт" (A4 when
// it names none) down, save atomically and report the export message. A
// template that is missing or cannot be read is refused and nothing is written.
Result<ListOutcome> produceProductStatement(const std::vector<StatementLine> &lines, const QString &templatesFolder,
    const SettingsAccess &settings, const QString &outputPath, Prompter &prompter);
Result<ListOutcome> produceRecipeRegister(const std::vector<RegisterLine> &lines, const QString &templatesFolder,
    const SettingsAccess &settings, const QString &outputPath, Prompter &prompter);

inline constexpr QStringView kTableStartName = u"Старт";
QString statementExportedText(int errors); // "Ведомость продуктов экспортирована. Ошибок при экспорте - N"
QString registerExportedText(int errors); // "Реестр блюд экспортирован. Ошибок при экспорте - N"

} // namespace kulvera
