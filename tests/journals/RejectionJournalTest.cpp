#include "journals/RejectionFixture.h"

#include "journals/RejectionMenus.h"

namespace kulvera::test {
namespace {

using Answer = Prompter::Answer;

TEST(RejectionJournal, SavingAMenuDayTwiceKeepsOneRowPerDishAndTheCommissionsChecks)
{
    RejectionFixture f;
    const Ration ration = f.lunch(QString());
    const auto first = saveRationToJournal(f.journal, ration);
    ASSERT_TRUE(first) << first.error().toStdString();
    EXPECT_EQ(*first, 2) << "stewed fruit is served twice but checked once";
    EXPECT_EQ(f.dishes(f.day, QString()), (QStringList {QStringLiteral("Борщ"), QStringLiteral("Компот")}));

    const RejectionEntry borscht = f.journal.entries(f.day, QString())->at(0);
    EXPECT_EQ(borscht.result, u"соответствует");
    EXPECT_EQ(borscht.permission, u"допускается к реализации");
    EXPECT_EQ(borscht.timeMade, QTime(10, 0));
    ASSERT_TRUE(f.journal.edit(borscht.id, RejectionField::Result, QStringLiteral("пересолен")));

    const auto second = saveRationToJournal(f.journal, ration);
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, 0);
    EXPECT_EQ(f.journalRows(), 2);
    EXPECT_EQ(f.journal.entry(borscht.id)->result, u"пересолен");

    // The same menu of a group is another journal.
    ASSERT_TRUE(saveRationToJournal(f.journal, f.lunch(QStringLiteral("Дети"))));
    EXPECT_EQ(f.journalRows(), 4);
    EXPECT_EQ(f.dishes(f.day, QStringLiteral("Дети")).size(), 2);

    // An empty menu day writes nothing and says so.
    EXPECT_EQ(saveRationToJournal(f.journal, Ration({f.day.addDays(1), QString()})).value(), 0);
    EXPECT_TRUE(f.t.prompter().statuses().contains(kRejectionNothingToSave.toString()));
}

TEST(RejectionJournal, RowsWithoutAGroupAreShownWhenNoGroupIsChosenWhetherEmptyOrNull)
{
    RejectionFixture f;
    const QSqlDatabase db = f.t.connections().database(BaseId::Rejection);
    const QDateTime day(f.day, QTime(0, 0));
    for (const QVariant &group : {QVariant(), QVariant(QString()), QVariant(QStringLiteral("Дети"))}) {
        ASSERT_TRUE(execSql(db,
            QStringLiteral("INSERT INTO base (date_r, dish_name, date_made, Group_Name) VALUES (?, ?, ?, ?)"),
            {day, group.isNull() ? QStringLiteral("null") : QStringLiteral("'") + group.toString() + u'\'', day,
                group}));
    }
    EXPECT_EQ(f.dishes(f.day, QString()), (QStringList {QStringLiteral("null"), QStringLiteral("''")}));
    EXPECT_EQ(f.dishes(f.day, QStringLiteral("Дети")), QStringList {QStringLiteral("'Дети'")});
    EXPECT_TRUE(f.dishes(f.day.addDays(1), QString()).isEmpty());

    // Clearing the journal without a group takes both and leaves the group's.
    f.t.prompter().expect(kRejectionClearQuestion.toString(), Answer::No);
    EXPECT_FALSE(f.journal.clear(f.day, QString()));
    EXPECT_EQ(f.journalRows(), 3);
    f.t.prompter().expect(kRejectionClearQuestion.toString(), Answer::Yes);
    EXPECT_EQ(f.journal.clear(f.day, QString()).value(), 2);
    EXPECT_EQ(f.dishes(f.day, QStringLiteral("Дети")).size(), 1);
}

TEST(RejectionJournal, BadInputIsRefusedWithItsMessageAndWritesNothing)
{
    RejectionFixture f;
    const qint64 id = f.journal.add(f.day, QString(), QStringLiteral("Борщ")).value();
    const RejectionEntry before = *f.journal.entry(id);

    const auto refused = [&](RejectionField field, const QString &typed, QStringView message) {
        const Status s = f.journal.edit(id, field, typed);
        EXPECT_FALSE(s);
        EXPECT_EQ(s.error(), message) << typed.left(20).toStdString();
    };
    refused(RejectionField::DateMade, QStringLiteral("31.02.2026"), kRejectionDateFormat);
    refused(RejectionField::DateMade, QStringLiteral("завтра"), kRejectionDateFormat);
    refused(RejectionField::TimeMade, QStringLiteral("25:00"), kRejectionTimeFormat);
    refused(RejectionField::Notes, QString(256, u'ж'), kRejectionTooLong);
    refused(RejectionField::Dish, QString(256, u'ж'), kRejectionTooLong);
    const RejectionEntry after = *f.journal.entry(id);
    EXPECT_EQ(after.dish, before.dish);
    EXPECT_EQ(after.dateMade, before.dateMade);
    EXPECT_EQ(after.timeMade, before.timeMade);
    EXPECT_TRUE(after.notes.isEmpty());

    // 255 characters are allowed; a row that is gone is not saved.
    EXPECT_TRUE(f.journal.edit(id, RejectionField::Notes, QString(255, u'ж')));
    EXPECT_EQ(f.journal.edit(id + 100, RejectionField::Notes, QStringLiteral("x")).error(), kRejectionNotSaved);

    // A new row whose typed cells fail is not written at all.
    const auto added = f.journal.addFilled(f.day, QString(),
        {{RejectionField::Dish, QStringLiteral("Компот")}, {RejectionField::TimeChecked, QStringLiteral("ночью")}});
    EXPECT_EQ(added.error(), kRejectionTimeFormat);
    EXPECT_EQ(f.journalRows(), 1);

    // A day moved by editing moves the row to that day's journal.
    ASSERT_TRUE(f.journal.edit(id, RejectionField::DateMade, QStringLiteral("03.03.2026")));
    EXPECT_TRUE(f.dishes(f.day, QString()).isEmpty());
    EXPECT_EQ(f.journal.dates().value(), std::vector<QDate> {QDate(2026, 3, 3)});
    EXPECT_FALSE(rejectionDate(QStringLiteral("32.01.2026")));
}

TEST(RejectionJournal, DeletingAsksWithTheDishNameAndANotConnectedBaseIsSaid)
{
    RejectionFixture f;
    const qint64 id = f.journal.add(f.day, QString(), QStringLiteral("Суп 'Весенний'")).value();
    f.t.prompter().expect(QStringLiteral("Удаляем из бракеражного журнала рецептуру 'Суп 'Весенний''?"), Answer::No);
    EXPECT_FALSE(f.journal.remove(id));
    EXPECT_EQ(f.journalRows(), 1);
    f.t.prompter().expect(QStringLiteral("рецептуру 'Суп"), Answer::Yes);
    EXPECT_TRUE(f.journal.remove(id));
    EXPECT_EQ(f.journalRows(), 0);
    EXPECT_TRUE(f.t.prompter().unexpected().isEmpty());

    f.t.connections().disconnect(static_cast<int>(BaseId::Rejection));
    EXPECT_EQ(f.journal.entries(f.day, QString()).error(), kRejectionNotConnected);
    EXPECT_FALSE(saveRationToJournal(f.journal, f.lunch(QString())));
    EXPECT_TRUE(f.t.prompter().statuses().contains(kRejectionNoBaseToSave.toString()));
    EXPECT_TRUE(f.journal.reconnect());
    EXPECT_TRUE(f.journal.entries(f.day, QString()));
}

} // namespace
} // namespace kulvera::test
