#pragma once

#include "common/Result.h"
#include "documents/ListDocuments.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace kulvera {

class MenuBase;
class Prompter;
class Ration;
class RejectionJournal;
class SettingsAccess;
struct RejectionEntry;

inline constexpr QStringView kSummaryRejectionStatus = u"Сводный документ :: Бракеражный журнал";
inline constexpr QStringView kSummaryRejectionNoMenus
    = u"В базе нет охраненных меню! Зайдите: Действия - Меню и соханите меню в базе.";
inline constexpr QStringView kSummaryRejectionNoDates
    = u"Необходимо выбрать даты для формирования бракеражного журнала.";
inline constexpr QStringView kSummaryRejectionDone = u"Бракеражный журнал сформирован";

// The dish names of a ration, meal by meal, each once.
QStringList rationDishNames(const Ration &ration);

// Saves the dishes of a ration into the journal of its day and group (see
// RejectionJournal::saveMenuDay). Returns the rows added.
Result<int> saveRationToJournal(RejectionJournal &journal, const Ration &ration);

// The journal of several days: for each day its rows of the group; a day the
// journal has no rows for takes the dishes of that day's ration with the
// defaults, as saving the menu would write them (nothing is written here).
Result<std::vector<RejectionEntry>> summaryRejectionEntries(
    const MenuBase &menu, const RejectionJournal &journal, const std::vector<QDate> &days, const QString &group);

// The summary rejection journal of the chosen days (typed "dd.mm.yyyy"),
// printed through the journal's template. Refused, with the message shown:
// no saved menus, no days, a value that is not a date ("Не является датой:
// <value>"), an empty journal; at the end "Бракеражный журнал сформирован".
Result<ListOutcome> produceSummaryRejection(const MenuBase &menu, const RejectionJournal &journal,
    const QStringList &days, const QString &group, const QString &templatesFolder, const SettingsAccess &settings,
    const QString &outputPath, Prompter &prompter);

} // namespace kulvera
