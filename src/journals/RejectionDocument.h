#pragma once

#include "common/Result.h"
#include "documents/ListDocuments.h"
#include "documents/XlsxWorkbook.h"
#include "journals/RejectionJournal.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace kulvera {

class Prompter;
class SettingsAccess;

inline constexpr QStringView kRejectionTemplateKey = u"sRejTempl";
inline constexpr QStringView kRejectionTemplateFile = u"rejec.xlsx";
inline constexpr QStringView kRejectionPrintTitle = u"Просмотр бракеражного журнала в Excel";
inline constexpr QStringView kRejectionEmpty = u"Заполните бракеражный журнал!";
inline constexpr QStringView kRejectionTemplateMissing
    = u"Не найден шаблон бракеражного журнала, обратитесь к поставщику программного обеспечения";
inline constexpr QStringView kRejectionPrinted = u"Просмотр бракеражного журнала. ОК";

// The named cells a rejection journal template must have: the heading cells,
// the start row, the column of each value and the signature block.
const QStringList &rejectionTemplateNames();
// "Шаблон не совместим с текущей версией программы. Не найдена ячейка '<name>'"
QString rejectionIncompatibleText(const QString &name);

// The template our program makes ("rejec.xlsx") when the folder lacks it.
XlsxWorkbook rejectionTemplate();

// Fills the template (`sRejTempl`): the establishment (`Name_POP`), the
// document's date, the commission (`sRejComission`), one row per entry from
// "Старт" in the columns of the value names, and the signature block
// "Подписи" moved below the last row. Refused (and shown under the print's
// title) for an empty journal, a missing template and a template lacking one
// of the names; nothing is written then.
Result<ListOutcome> printRejectionJournal(const std::vector<RejectionEntry> &entries, const QString &documentDate,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter);

} // namespace kulvera
