#pragma once

#include "common/Result.h"
#include "documents/ListDocuments.h"
#include "documents/XlsxWorkbook.h"
#include "warehouse/ProductBook.h"
#include "warehouse/StockTurnover.h"

#include <QString>

#include <vector>

namespace kulvera {

class Prompter;
class SettingsAccess;

// The templates' files in the templates folder (a configured ".xlt" name
// finds the file of the same stem).
inline constexpr QStringView kTurnoverTemplateFile = u"in_out_p.xlt";
inline constexpr QStringView kProductBookTemplateFile = u"prods_book.xlt";

// What the report was made for, printed under its two free heading lines.
struct TurnoverHeading {
    QString warehouse; // the name, or "все склады"
    QDate from;
    QDate to;
    bool movements = true;
};

// The templates our program makes when the folder lacks them: the title in
// A1, the two free lines in A2 and A3, what the report covers in A4, the
// column captions in row 5 and the table from the cell named "Старт" (A6).
XlsxWorkbook turnoverTemplate();
XlsxWorkbook productBookTemplate();

// Fill the turnover report (heading lines `FirstLineOtchProd`,
// `SecondLineOtchProd`) into its template, made first when missing, and save
// it atomically at `outputPath`; quantities with three decimals.
Result<ListOutcome> printTurnover(const std::vector<TurnoverRow> &rows, const TurnoverHeading &heading,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter);

// The product book: `FirstLineProdsBook` (default "Книга учета продуктов")
// and `SecondLineProdsBook` followed by the period, its words from
// `SecondLineProdsBookFrom` ("<Str>"-joined, default " с " and " по "). Each
// product: its name and opening quantity, the receipts (date, number,
// quantity), the outgoing quantities, the closing quantity.
Result<ListOutcome> printProductBook(const std::vector<ProductBookSection> &sections, const TurnoverHeading &heading,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter);

// "с 01.06.2026 по 30.06.2026" with the words of `SecondLineProdsBookFrom`.
QString productBookPeriod(const SettingsAccess &settings, const QDate &from, const QDate &to);

} // namespace kulvera
