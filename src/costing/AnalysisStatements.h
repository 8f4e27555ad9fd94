#pragma once

#include "common/Result.h"
#include "costing/NormAnalysis.h"
#include "documents/ListDocuments.h"
#include "documents/XlsxWorkbook.h"

#include <QDate>
#include <QString>

#include <vector>

namespace kulvera {

class Prompter;
class SettingsAccess;

inline constexpr QStringView kNutrientStatementTitle = u"ВЕДОМОСТЬ ВЫПОЛНЕНИЯ НОРМ ПОТРЕБЛЕНИЯ ПИЩЕВЫХ ВЕЩЕСТВ";
inline constexpr QStringView kProductSetStatementTitle = u"ВЕДОМОСТЬ ВЫПОЛНЕНИЯ НОРМ ПРОДУКТОВОГО НАБОРА";
// The templates' files in the templates folder: the nutrient statement's
// name may be changed by `sAnalysHSTemplate` (section Documents).
inline constexpr QStringView kNutrientTemplateFile = u"an_hs.xlsx";
inline constexpr QStringView kProductSetTemplateFile = u"an_prod.xlsx";

// What the statement was computed for, printed above its table with the two
// free lines `FirstLineMenuAnalysHS` and `SecondLineMenuAnalysHS`.
struct AnalysisHeading {
    QString norm;
    QString group; // as the form shows it
    QDate from;
    QDate to;
    int days = 0;
};

// The templates our program makes when the folder lacks them: the title in
// A1, the two free lines in A2 and A3, what was analysed in A4, the column
// captions in row 5, and the table from the cell named "Старт" (A6).
XlsxWorkbook nutrientStatementTemplate();
XlsxWorkbook productSetStatementTemplate();

// Fill the statement's template (made first when missing) and save it
// atomically at `outputPath`. Out-of-range rows are printed in bold; a row
// without a norm leaves its norm and fulfilment cells empty.
Result<ListOutcome> printNutrientStatement(const std::vector<NutrientRow> &rows, const AnalysisHeading &heading,
    int decimals, const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath,
    Prompter &prompter);
// The missing-codes report, when there is one, follows the table.
Result<ListOutcome> printProductSetStatement(const std::vector<ProductSetRow> &rows, const QString &missing,
    const AnalysisHeading &heading, int decimals, const QString &templatesFolder, const SettingsAccess &settings,
    const QString &outputPath, Prompter &prompter);

} // namespace kulvera
