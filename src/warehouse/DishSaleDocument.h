#pragma once

#include "common/Result.h"
#include "documents/ListDocuments.h"
#include "documents/XlsxWorkbook.h"
#include "warehouse/DishSales.h"

#include <QString>

#include <vector>

namespace kulvera {

class Prompter;
class SettingsAccess;

// The template's file in the templates folder; our own "nakl_di.xlsx" is made
// when the folder lacks it.
inline constexpr QStringView kDishSaleTemplateFile = u"nakl_di.xlt";

// The template our program makes: the title in A1, the organisation
// (`Name_POP`) in A2, the invoice's number, date and buyer in A3 and A4, the
// captions of the grid in row 5 and the table from the cell named "Старт".
XlsxWorkbook dishSaleTemplate();

// One dish sales invoice: a row per dish (name, portions, output, price,
// total) and the total row as a SUM formula over the totals.
Result<ListOutcome> printDishSale(const DishSaleHeader &header, const std::vector<DishSaleLine> &lines,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter);

} // namespace kulvera
