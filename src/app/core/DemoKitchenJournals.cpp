#include "DemoKitchenJournals.h"

#include "DemoKitchen.h"
#include "common/Clock.h"
#include "journals/JournalList.h"
#include "journals/JournalsBase.h"
#include "journals/MonthJournal.h"
#include "shell/AppContext.h"
#include "shell/Connections.h"
#include "shell/SqlStatement.h"

#include <map>

namespace kulvera {
namespace {

struct DemoSubject {
    const char16_t *name;
    const char16_t *place;
};

constexpr DemoSubject kStaff[] = {
    {u"Иванова Мария Петровна", u"Заведующий производством"},
    {u"Смирнов Алексей Иванович", u"Повар"},
    {u"Кузнецова Ольга Сергеевна", u"Повар"},
    {u"Попова Наталья Викторовна", u"Кухонный рабочий"},
    {u"Волков Дмитрий Андреевич", u"Кладовщик"},
    {u"Соколова Анна Николаевна", u"Мойщик посуды"},
};

constexpr DemoSubject kEquipment[] = {
    {u"Холодильный шкаф ШХ-0,7 №1", u"Холодный цех"},
    {u"Холодильный шкаф ШХ-0,7 №2", u"Мясо-рыбный цех"},
    {u"Холодильная камера КХН-6", u"Кладовая"},
    {u"Морозильный ларь МЛК-400", u"Кладовая"},
    {u"Холодильный стол СХС-1500", u"Горячий цех"},
};

// Positions or premises by name, each added once.
Result<std::map<QString, qint64>> addPlaces(JournalList places, const DemoSubject *first, const DemoSubject *end)
{
    std::map<QString, qint64> keys;
    for (const DemoSubject *s = first; s != end; ++s) {
        const QString place = QString::fromUtf16(s->place);
        if (keys.count(place))
            continue;
        const auto key = places.add(place);
        if (!key)
            return Result<std::map<QString, qint64>>::failure(key.error());
        keys[place] = *key;
    }
    return keys;
}

Result<std::vector<qint64>> addSubjects(MonthJournal &journal, const DemoSubject *first, const DemoSubject *end)
{
    using R = Result<std::vector<qint64>>;
    const auto places = addPlaces(JournalList::places(journal.base(), journal.rules().kind), first, end);
    if (!places)
        return R::failure(places.error());
    std::vector<qint64> ids;
    for (const DemoSubject *s = first; s != end; ++s) {
        const auto id = journal.addSubject(QString::fromUtf16(s->name));
        if (!id)
            return R::failure(id.error());
        if (const Status p = journal.setSubjectPlace(*id, places->at(QString::fromUtf16(s->place))); !p)
            return R::failure(p.error());
        ids.push_back(*id);
    }
    return ids;
}

// A mark of the seeded list: days off at weekends, one cook on leave for a
// week, the storekeeper on sick leave for three days.
QString healthMark(std::size_t employee, const QDate &day, const QDate &first)
{
    const qint64 n = first.daysTo(day);
    if (employee == 2 && n >= 10 && n < 17)
        return QStringLiteral("отп");
    if (employee == 4 && n >= 20 && n < 23)
        return QStringLiteral("б/л");
    if (day.dayOfWeek() >= 6)
        return QStringLiteral("в");
    if (employee == 5 && n == 5)
        return QStringLiteral("отс");
    return QStringLiteral("зд");
}

// A plausible reading: the freezer near −18 °C, the others from +2 to +6 °C.
QString temperature(std::size_t piece, const QDate &day)
{
    const int wobble = static_cast<int>((day.dayOfYear() * 7 + static_cast<int>(piece) * 3) % 5);
    if (piece == 3)
        return QString::number(-20 + wobble);
    return u'+' + QString::number(2 + wobble);
}

} // namespace

Status addDemoJournals(DemoKitchen &kitchen)
{
    Connections &c = kitchen.connections;
    if (c.connectBase(BaseId::Journals, kitchen.shared, true) == Connections::kFailed)
        return Status::failure(kJournalsNotConnected.toString());
    const FixedClock clock(kitchen.today);
    AppContext context {kitchen.prompter, kitchen.settings, kitchen.shared, clock, c, c.errorLog()};
    JournalsBase base(context);
    MonthJournal health(base, JournalKind::Health);
    MonthJournal fridges(base, JournalKind::Temperature);
    Transaction transaction(base.database(), base.errorLog());
    const auto staff = addSubjects(health, std::begin(kStaff), std::end(kStaff));
    if (!staff)
        return Status::failure(staff.error());
    const auto equipment = addSubjects(fridges, std::begin(kEquipment), std::end(kEquipment));
    if (!equipment)
        return Status::failure(equipment.error());
    const QDate first = kitchen.today.addDays(-29);
    for (QDate day = first; day <= kitchen.today; day = day.addDays(1)) {
        for (std::size_t i = 0; i < staff->size(); ++i) {
            if (const Status s = health.writeCell((*staff)[i], day, healthMark(i, day, first)); !s)
                return s;
        }
        for (std::size_t i = 0; i < equipment->size(); ++i) {
            if (const Status s = fridges.writeCell((*equipment)[i], day, temperature(i, day)); !s)
                return s;
        }
    }
    return transaction.commit();
}

} // namespace kulvera
