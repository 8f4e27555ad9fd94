#pragma once

#include "common/Result.h"
#include "costing/MenuRequisition.h"
#include "documents/ListDocuments.h"
#include "documents/XlsxWorkbook.h"

#include <QString>

#include <utility>
#include <vector>

namespace kulvera {

class Connections;
class Prompter;
class Ration;
class SettingsAccess;

// The requisition template's file is named by this setting (section Documents).
inline constexpr QStringView kRequisitionTemplateKey = u"sTrebTempl";
inline constexpr QStringView kRequisitionTitle = u"МЕНЮ-ТРЕБОВАНИЕ НА ВЫДАЧУ ПРОДУКТОВ ПИТАНИЯ";

// Where the requisition goes in its template. The template's own cells name
// them, so a user may move the table: "Дата" and "Группа" (one cell each),
// "Приемы" (the caption of the first meal; the other meals follow to the
// right, then the totals column), "Рецептуры" (the places for the recipes of
// the first meal: as many places as the range has rows) and "Коды" (the
// column of product codes; every filled cell of it is a row of the document).
struct RequisitionCells {
    CellRef date {3, 2};
    CellRef group {4, 2};
    CellRef meals {6, 3};
    CellRef firstPlace {7, 3};
    int places = 5;
    std::vector<std::pair<QString, int>> codeRows; // code, sheet row; in the template's order
    RequisitionLayout layout() const;
};

// Reads the cells from the template; a name the template lacks keeps the
// default above, a name that points nowhere is refused with its reason.
Result<RequisitionCells> readRequisitionCells(const XlsxWorkbook &book);

// The template our program makes when the folder has none: the title, the
// organisation line left for the user, the date and group, one column per
// meal (at most four) with five places for recipes, the totals column, and
// one row per product of the product base (code and name, by code).
XlsxWorkbook requisitionTemplate(const std::vector<std::pair<QString, QString>> &products);

// Fills the requisition of a ration into its template (made first when the
// folder lacks it) and saves it atomically at `outputPath`: gross masses per
// meal and totals at `lRoundBrutto` decimals, the recipes in their places,
// the product's name where the template leaves it empty; rows of codes the
// day does not use are hidden. The notices of the requisition go through the
// prompter; more than four meals is refused and nothing is written.
Result<ListOutcome> printRequisition(const Ration &ration, const Connections &connections,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter);

// The document's file name for a ration: "Требование 02.03.2026 Ясли.xlsx".
QString requisitionFileName(const Ration &ration);

} // namespace kulvera
