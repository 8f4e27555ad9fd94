#include "JournalFixture.h"

#include "journals/JournalMonth.h"
#include "shell/DbStructure.h"
#include "shell/SqlDialect.h"

using namespace kulvera;
using test::JournalFixture;

namespace {

const QDate kDay(2028, 2, 10);

} // namespace

TEST(JournalMonth, DaysFollowTheCalendarAndBadMonthsAreRefused)
{
    EXPECT_EQ((JournalMonth {2028, 2}).days(), 29); // a leap year
    EXPECT_EQ((JournalMonth {2027, 2}).days(), 28);
    EXPECT_EQ((JournalMonth {2100, 2}).days(), 28); // a century that is no leap year
    EXPECT_EQ((JournalMonth {2026, 12}).days(), 31);
    EXPECT_EQ((JournalMonth {2026, 12}).last(), QDate(2026, 12, 31));

    const auto february = parseJournalMonth(QStringLiteral("02.2028"));
    ASSERT_TRUE(february.ok());
    EXPECT_EQ(*february, (JournalMonth {2028, 2}));
    EXPECT_EQ(february->caption(), QStringLiteral("Февраль 2028"));
    for (const char *bad : {"13.2026", "0.2026", "2026", "02.20x6", "02.", "-1.2026"})
        EXPECT_FALSE(parseJournalMonth(QString::fromLatin1(bad)).ok()) << bad;
    EXPECT_FALSE(parseJournalYear(QStringLiteral("20a6")).ok());
    EXPECT_EQ(parseJournalYear(QStringLiteral("20a6")).error(), QStringLiteral("Не удалось установить год!"));
    EXPECT_EQ(dayFromColumnKey(QStringLiteral("d_29")), 29);
    EXPECT_FALSE(dayFromColumnKey(QStringLiteral("work_n")).has_value());
    EXPECT_FALSE(dayFromColumnKey(QStringLiteral("d_32")).has_value());
}

TEST(JournalsBaseFile, IsCreatedWithTablesNamedBySettingsAndTheFiveMarks)
{
    test::TempBases bases;
    // A renamed table is created under its setting's name, and the journal uses it.
    bases.settings().save(Section::Losses, QStringLiteral("tbResults"), QStringLiteral("marks_of_health"));
    ASSERT_NE(bases.create(BaseId::Journals), Connections::kFailed);
    const QSqlDatabase db = bases.connections().database(BaseId::Journals);
    const QStringList tables = SqlDialect::of(db).tables(db);
    for (const char *t : {"jur_h", "obor", "struc", "jur_z", "post", "marks_of_health", "work"})
        EXPECT_TRUE(tables.contains(QString::fromLatin1(t))) << t;
    EXPECT_FALSE(tables.contains(QStringLiteral("results")));

    FixedClock clock(kDay);
    AppContext context {
        bases.prompter(), bases.settings(), bases.shared(), clock, bases.connections(), bases.errorLog()};
    JournalsBase base(context);
    const auto marks = JournalList::marks(base).items();
    ASSERT_TRUE(marks.ok());
    QStringList texts;
    for (const JournalListItem &m : *marks)
        texts << m.text;
    EXPECT_EQ(texts,
        (QStringList {QStringLiteral("зд"), QStringLiteral("отс"), QStringLiteral("отп"), QStringLiteral("в"),
            QStringLiteral("б/л")}));
}

TEST_F(JournalFixture, ACellIsWrittenOnceAndRewrittenInPlace)
{
    ASSERT_TRUE(created);
    const qint64 cook = subject(health, QStringLiteral("Повар"));
    ASSERT_TRUE(health.writeCell(cook, kDay, QStringLiteral("зд")).ok());
    ASSERT_TRUE(health.writeCell(cook, kDay, QStringLiteral("б/л")).ok());
    EXPECT_EQ(healthCells(cook, kDay), QStringList {QStringLiteral("б/л")});
    // A cleared mark keeps a single space, never an empty value.
    ASSERT_TRUE(health.writeCell(cook, kDay, QString()).ok());
    EXPECT_EQ(healthCells(cook, kDay), QStringList {QStringLiteral(" ")});
    // A temperature is kept as typed.
    const qint64 fridge = subject(fridges, QStringLiteral("Шкаф"));
    ASSERT_TRUE(fridges.writeCell(fridge, kDay, QStringLiteral("+4")).ok());
    ASSERT_TRUE(fridges.writeCell(fridge, kDay, QString()).ok());
    EXPECT_EQ(temperatureCells(fridge, kDay), QStringList {QString()});

    const auto month = health.entries({2028, 2});
    ASSERT_TRUE(month.ok());
    EXPECT_EQ(month->at(cook).at(10), QStringLiteral(" "));
    // The month's bounds hold whole days: the 29th is in, the 1st of March is not.
    ASSERT_TRUE(health.writeCell(cook, QDate(2028, 2, 29), QStringLiteral("в")).ok());
    ASSERT_TRUE(health.writeCell(cook, QDate(2028, 3, 1), QStringLiteral("зд")).ok());
    const auto again = health.entries({2028, 2});
    EXPECT_EQ(again->at(cook).size(), 2u);
    EXPECT_EQ(again->at(cook).at(29), QStringLiteral("в"));
}

TEST_F(JournalFixture, ADayWithTwoEntriesRefusesTheWriteAndKeepsBoth)
{
    ASSERT_TRUE(created);
    const qint64 cook = subject(health, QStringLiteral("Повар"));
    ASSERT_TRUE(health.writeCell(cook, kDay, QStringLiteral("зд")).ok());
    addDuplicate(QStringLiteral("jur_z"), QStringLiteral("work_id"), cook, kDay, QStringLiteral("отс"));
    const Status s = health.writeCell(cook, kDay, QStringLiteral("в"));
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error(), QStringLiteral("Идентифицировано несколько строк! Запись остановлена!"));
    EXPECT_EQ(healthCells(cook, kDay), (QStringList {QStringLiteral("зд"), QStringLiteral("отс")}));

    // A subject the table does not hold is refused before anything is looked at.
    EXPECT_EQ(health.writeCell(cook + 100, kDay, QStringLiteral("зд")).error(),
        QStringLiteral("Не идентифицирован персонал в таблице"));
    EXPECT_EQ(
        fridges.writeCell(0, kDay, QStringLiteral("+2")).error(), QStringLiteral("Не идентифицировано оборудование"));
    EXPECT_EQ(count(QStringLiteral("jur_z")), 2);
    EXPECT_EQ(count(QStringLiteral("jur_h")), 0);
}

TEST_F(JournalFixture, CopyingThePreviousDayRewritesEveryRowButNeverDayOne)
{
    ASSERT_TRUE(created);
    const JournalMonth february {2028, 2};
    const qint64 a = subject(fridges, QStringLiteral("Шкаф 1"), QStringLiteral("Холодный цех"));
    const qint64 b = subject(fridges, QStringLiteral("Шкаф 2"));
    ASSERT_TRUE(fridges.writeCell(a, february.day(1), QStringLiteral("+3")).ok());
    const Status first = fridges.copyPreviousDay(february, 1);
    EXPECT_EQ(first.error(), QStringLiteral("Первый день заполняется без копирования"));
    EXPECT_EQ(count(QStringLiteral("jur_h")), 1);

    // Day 2 of b held a value; its empty day 1 is copied over it.
    ASSERT_TRUE(fridges.writeCell(b, february.day(2), QStringLiteral("+8")).ok());
    ASSERT_TRUE(fridges.copyPreviousDay(february, 2).ok());
    EXPECT_EQ(temperatureCells(a, february.day(2)), QStringList {QStringLiteral("+3")});
    EXPECT_EQ(temperatureCells(b, february.day(2)), QStringList {QString()});

    // The health journal copies a day without a mark as a cell without a mark.
    const qint64 cook = subject(health, QStringLiteral("Повар"));
    const qint64 porter = subject(health, QStringLiteral("Грузчик"));
    ASSERT_TRUE(health.writeCell(cook, february.day(28), QStringLiteral("отп")).ok());
    ASSERT_TRUE(health.copyPreviousDay(february, 29).ok());
    EXPECT_EQ(healthCells(cook, february.day(29)), QStringList {QStringLiteral("отп")});
    EXPECT_EQ(healthCells(porter, february.day(29)), QStringList {QStringLiteral(" ")});
    EXPECT_FALSE(health.copyPreviousDay(february, 30).ok()); // February has no 30th
}

TEST_F(JournalFixture, ACopyThatMeetsTwoEntriesWritesNothingAtAll)
{
    ASSERT_TRUE(created);
    const JournalMonth february {2028, 2};
    const qint64 a = subject(fridges, QStringLiteral("Шкаф 1"));
    const qint64 b = subject(fridges, QStringLiteral("Шкаф 2"));
    ASSERT_TRUE(fridges.writeCell(a, february.day(4), QStringLiteral("+2")).ok());
    ASSERT_TRUE(fridges.writeCell(b, february.day(4), QStringLiteral("+5")).ok());
    addDuplicate(QStringLiteral("jur_h"), QStringLiteral("obor_id"), b, february.day(5), QStringLiteral("+1"));
    addDuplicate(QStringLiteral("jur_h"), QStringLiteral("obor_id"), b, february.day(5), QStringLiteral("+1"));
    const Status s = fridges.copyPreviousDay(february, 5);
    EXPECT_EQ(s.error(), QStringLiteral("Идентифицировано несколько строк! Запись остановлена!"));
    // a comes first and would have been written: the transaction took it back.
    EXPECT_TRUE(temperatureCells(a, february.day(5)).isEmpty());
}

TEST_F(JournalFixture, DeletingASubjectTakesItsEntriesOfEveryMonthAfterTheWarning)
{
    ASSERT_TRUE(created);
    const qint64 cook = subject(health, QStringLiteral("Петров"), QStringLiteral("Повар"));
    const qint64 other = subject(health, QStringLiteral("Сидоров"));
    for (const QDate &d : {QDate(2028, 1, 31), kDay, QDate(2028, 3, 1)}) {
        ASSERT_TRUE(health.writeCell(cook, d, QStringLiteral("зд")).ok());
        ASSERT_TRUE(health.writeCell(other, d, QStringLiteral("зд")).ok());
    }
    // No keeps everything.
    bases.prompter().expect(QStringLiteral("Удалить из базы персонала 'Петров'?"), Prompter::Answer::No);
    EXPECT_FALSE(health.removeSubject(cook).ok());
    EXPECT_EQ(count(QStringLiteral("jur_z")), 6);

    bases.prompter().expect(QStringLiteral("Персонал будет удален из всех предыдущих журналов"), Prompter::Answer::Yes);
    ASSERT_TRUE(health.removeSubject(cook).ok());
    EXPECT_FALSE(health.findSubject(cook).has_value());
    EXPECT_EQ(count(QStringLiteral("jur_z")), 3); // the other's entries stay
    EXPECT_EQ(health.entries({2028, 3})->count(other), 1u);
    EXPECT_EQ(health.removeSubject(cook).error(), QStringLiteral("Персонал не идентифицировано"));
    EXPECT_TRUE(bases.prompter().unexpected().isEmpty());
}

TEST_F(JournalFixture, SubjectsWithAPlaceComeFirstAndADeletedPlaceLosesNobody)
{
    ASSERT_TRUE(created);
    const qint64 loose = subject(fridges, QStringLiteral("Ларь"));
    const qint64 placed = subject(fridges, QStringLiteral("Камера"), QStringLiteral("Кладовая"));
    auto rows = fridges.subjects();
    ASSERT_EQ(rows->size(), 2u);
    EXPECT_EQ((*rows)[0].id, placed);
    EXPECT_EQ((*rows)[0].placeName, QStringLiteral("Кладовая"));
    EXPECT_EQ((*rows)[1].id, loose);

    JournalList premises = JournalList::places(base, JournalKind::Temperature);
    bases.prompter().expect(QStringLiteral("Удалить 'Кладовая'?"), Prompter::Answer::Yes);
    ASSERT_TRUE(premises.remove((*rows)[0].place.value()).ok());
    rows = fridges.subjects();
    ASSERT_EQ(rows->size(), 2u);
    EXPECT_TRUE((*rows)[1].placeName.isEmpty());
}
