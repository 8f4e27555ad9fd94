#pragma once

#include "common/Result.h"
#include "documents/XlsxWorkbook.h"
#include "journals/JournalMonth.h"
#include "journals/MonthJournalKind.h"

#include <QString>

namespace kulvera {

class MonthJournal;
class Prompter;
class SettingsAccess;

// The defined names a journal template carries. Only the table's two are
// required; a heading name the template lacks is simply not written.
inline constexpr QStringView kJournalMonthName = u"Т_Месяц";
inline constexpr QStringView kJournalOrganisationName = u"Т_Орг";
inline constexpr QStringView kJournalLegalAddressName = u"Т_Юр";
inline constexpr QStringView kJournalActualAddressName = u"Т_ФактА";
inline constexpr QStringView kJournalHeadName = u"Т_Рук";
inline constexpr QStringView kJournalResponsibleName = u"Т_Отв";
inline constexpr QStringView kJournalPlaceHeadingName = u"Т_Пом";
inline constexpr QStringView kJournalSubjectHeadingName = u"Т_Об";
inline constexpr QStringView kJournalTableStartName = u"Т_ТаблСтарт";
inline constexpr QStringView kJournalTableEndName = u"Т_ТаблКонец";

// Who keeps the journal, from the user's settings (section User): the
// organisation (`Name_Org`), the legal and the actual address (index,
// country, region, city, street, house, building, office: the keys ending in
// "U" and in "F"), the head (`tFDir`) and the responsible person (`tFOtv`).
struct JournalHeading {
    QString organisation;
    QString legalAddress;
    QString actualAddress;
    QString head;
    QString responsible;
};
JournalHeading journalHeading(const SettingsAccess &settings);

// Our template of a journal, made in the templates folder when it has none:
// the heading cells, the captions of the table with the days 1 to 31, and
// 60 table lines between "Т_ТаблСтарт" and "Т_ТаблКонец".
XlsxWorkbook monthJournalTemplate(JournalKind kind);

struct JournalPrintOutcome {
    QString path;
    QString templateUsed;
    int rows = 0;
    int errors = 0; // cells that could not be written
};

// Fills the journal's template (setting `sJur_Z` / `sJur_H`) with a month:
// the heading cells, "Т_Пом" and "Т_Об" with the captions of the place and
// subject columns, and from "Т_ТаблСтарт" one line per subject (its name, its
// place, one cell per day). Table lines left over are hidden, and so are the
// day columns the month does not have. An empty journal, a template that
// cannot be made or read, or one with fewer table lines than subjects is
// refused and nothing is saved. The steps are told through the status line.
Result<JournalPrintOutcome> printMonthJournal(const MonthJournal &journal, const JournalMonth &month,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter);

} // namespace kulvera
