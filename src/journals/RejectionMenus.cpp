#include "journals/RejectionMenus.h"

#include "common/Prompter.h"
#include "common/TextDate.h"
#include "journals/RejectionDocument.h"
#include "journals/RejectionJournal.h"
#include "menus/MenuBase.h"
#include "menus/Ration.h"

#include <set>

namespace kulvera {

QStringList rationDishNames(const Ration &ration)
{
    QStringList names;
    for (int m = 1; m <= ration.mealCount(); ++m) {
        const colRation *meal = ration.meal(m);
        const int entries = meal ? meal->Count() : 0;
        for (int e = 1; e <= entries; ++e) {
            const int dish = ration.dishAt(m, e);
            const QString name = dish > 0 ? ration.dishName(dish).trimmed() : QString();
            if (!name.isEmpty() && !names.contains(name))
                names << name;
        }
    }
    return names;
}

Result<int> saveRationToJournal(RejectionJournal &journal, const Ration &ration)
{
    return journal.saveMenuDay(ration.date(), ration.group(), rationDishNames(ration));
}

Result<std::vector<RejectionEntry>> summaryRejectionEntries(
    const MenuBase &menu, const RejectionJournal &journal, const std::vector<QDate> &days, const QString &group)
{
    using R = Result<std::vector<RejectionEntry>>;
    std::vector<RejectionEntry> out;
    for (const QDate &day : std::set<QDate>(days.begin(), days.end())) {
        Result<std::vector<RejectionEntry>> kept = journal.entries(day, group);
        if (!kept)
            return R::failure(kept.error());
        if (kept->empty()) {
            const Result<Ration> ration = menu.load({day, group});
            if (!ration)
                return R::failure(ration.error());
            for (const QString &dish : rationDishNames(*ration))
                kept.value().push_back(journal.blank(day, group, dish));
        }
        for (RejectionEntry &e : kept.value())
            out.push_back(std::move(e));
    }
    return out;
}

Result<ListOutcome> produceSummaryRejection(const MenuBase &menu, const RejectionJournal &journal,
    const QStringList &days, const QString &group, const QString &templatesFolder, const SettingsAccess &settings,
    const QString &outputPath, Prompter &prompter)
{
    using R = Result<ListOutcome>;
    const auto refuse = [&](const QString &text) {
        prompter.warning(text);
        return R::failure(text);
    };
    prompter.status(kSummaryRejectionStatus.toString());
    const Result<std::vector<RationListEntry>> saved = menu.list();
    if (!saved)
        return refuse(saved.error());
    if (saved->empty())
        return refuse(kSummaryRejectionNoMenus.toString());
    if (days.isEmpty())
        return refuse(kSummaryRejectionNoDates.toString());
    std::vector<QDate> chosen;
    QStringList shown;
    for (const QString &typed : days) {
        const std::optional<QDate> d = parseTextDate(typed.trimmed());
        if (!d)
            return refuse(QStringLiteral("Не является датой: ") + typed);
        chosen.push_back(*d);
    }
    for (const QDate &d : std::set<QDate>(chosen.begin(), chosen.end()))
        shown << formatTextDate(d);
    if (const Status s = journal.requireConnected(); !s)
        return refuse(s.error());
    const Result<std::vector<RejectionEntry>> entries = summaryRejectionEntries(menu, journal, chosen, group);
    if (!entries)
        return refuse(entries.error());
    // The print shows its own refusals.
    Result<ListOutcome> printed = printRejectionJournal(
        *entries, shown.join(QStringLiteral(", ")), templatesFolder, settings, outputPath, prompter);
    if (printed)
        prompter.status(kSummaryRejectionDone.toString());
    return printed;
}

} // namespace kulvera
