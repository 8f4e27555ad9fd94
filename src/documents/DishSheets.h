#pragma once

#include "documents/CardDocument.h"
#include "documents/CardLayout.h"
#include "documents/SheetWriter.h"

namespace kulvera {

// The sheet of positions: rows 14 to 62 hold the positions (net masses in
// column F, framed), rows 63 to 65 the totals "Итого", "Потери безвозвратные"
// and "Выход". With `ShowBrutto_To_Coc` on, the net masses move to column E
// ("нетто, г" in E13) and the gross masses stand beside them in F
// ("брутто, г" in F13); the totals stay under the net masses.
inline constexpr int kCompositionFirstRow = 14;
inline constexpr int kCompositionLastRow = 62;
XlsxWorkbook compositionSheet(const CardData &card, const CardFormats &formats, bool showBrutto, int &errors);

// The full chemical composition of the dish on the template `full_hs`: every
// composition field by group, its amount in the dish and per 100 g, then the
// energy value; the dish's name in the cell named "Рец_Имя".
void fillFullComposition(SheetWriter &out, const CardData &card, const CardFormats &formats, const CellRef &start);

// Both produce from a recipe slot with the refusals of the card (output 0,
// more positions than the sheet holds), save atomically and report the
// export message. The full table needs its template: without it the table
// is refused with "Не найден шаблон таблицы расчета хим. состава: " and the
// advice, and nothing is written.
Result<CardOutcome> produceCompositionSheet(colBludo &slot, const QString &name, const QString &outputText,
    const QString &outputPath, const HeatTreatmentTables &losses, const SettingsAccess &settings, Prompter &prompter,
    const std::function<void(const QString &)> &log = {});
Result<CardOutcome> produceFullComposition(colBludo &slot, const QString &name, const QString &outputText,
    const QString &templatesFolder, const QString &outputPath, const HeatTreatmentTables &losses,
    const SettingsAccess &settings, Prompter &prompter, const std::function<void(const QString &)> &log = {});

QString missingFullCompositionTemplateText(const QString &file);

} // namespace kulvera
