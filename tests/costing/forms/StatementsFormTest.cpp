#include "DemoKitchen.h"
#include "documents/DocumentTestSupport.h"

#include "common/TextDate.h"
#include "costing/PeriodStatement.h"
#include "costing/SummaryMenu.h"
#include "costing/forms/StatementsForm.h"
#include "shell/SettingDefaults.h"

#include <QComboBox>
#include <QFileInfo>
#include <QListWidget>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

const QString kOlder = QStringLiteral("Дети 12-18 лет");

template <typename W> W *child(QWidget *form, const char *name)
{
    W *w = form->findChild<W *>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

struct StatementsKitchen : test::DemoKitchen {
    StatementsForm form {context};
};

} // namespace

TEST(StatementsForm, OneDayPeriodGivesOneDayRowAndATotalsRowEqualToIt)
{
    StatementsKitchen k;
    ASSERT_TRUE(k.made);
    k.form.show();
    const auto [first, last] = k.span();
    k.form.setPeriod(first, first);
    ASSERT_TRUE(k.form.selectGroup(test::kDemoGroup));
    ASSERT_TRUE(k.form.build()) << k.prompter.texts().join(u'\n').toStdString();

    auto *grid = child<QTableWidget>(&k.form, "statementGrid");
    ASSERT_EQ(grid->rowCount(), 2);
    ASSERT_GT(grid->columnCount(), 3);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), kPeriodFirstColumn.toString());
    EXPECT_EQ(grid->item(0, 0)->text(), u"1 день.");
    EXPECT_EQ(grid->item(1, 0)->text(), u"Итого");
    for (int c = 1; c < grid->columnCount(); ++c) {
        EXPECT_FALSE(grid->item(0, c)->text().isEmpty()) << "every product column was met on the day";
        EXPECT_EQ(grid->item(1, c)->text(), grid->item(0, c)->text()) << c;
    }

    k.form.setPeriod(last, first);
    EXPECT_FALSE(k.form.build());
    EXPECT_TRUE(k.prompter.saw(kEndBeforeStartText.toString()));
    EXPECT_TRUE(k.prompter.unexpected().isEmpty()) << k.prompter.unexpected().join(u'\n').toStdString();
}

TEST(StatementsForm, CumulativeStatementGivesAPairOfColumnsPerChosenDate)
{
    StatementsKitchen k;
    ASSERT_TRUE(k.made);
    const auto [first, last] = k.span();
    k.form.setKind(StatementsForm::Kind::Cumulative);
    ASSERT_TRUE(k.form.selectGroup(test::kDemoGroup));
    k.form.chooseDates({});
    EXPECT_FALSE(k.form.build());
    EXPECT_TRUE(k.prompter.saw(QStringLiteral("Не выбраны даты для формирования отчета!")));

    k.form.chooseDates({first, last});
    ASSERT_TRUE(k.form.build());
    auto *grid = child<QTableWidget>(&k.form, "statementGrid");
    ASSERT_EQ(grid->columnCount(), 10);
    EXPECT_EQ(grid->horizontalHeaderItem(4)->text(), QStringLiteral("Брутто (") + formatTextDate(first) + u')');
    EXPECT_EQ(grid->horizontalHeaderItem(7)->text(), QStringLiteral("Нетто (") + formatTextDate(last) + u')');
    EXPECT_EQ(grid->horizontalHeaderItem(9)->text(), u"Итого нетто");
    EXPECT_GT(grid->rowCount(), 3);

    const QString file = k.dir.filePath(QStringLiteral("svod.xlsx"));
    ASSERT_TRUE(k.form.exportTo(file));
    const test::Sheet sheet = test::readSheet(file);
    EXPECT_EQ(sheet.cell(QStringLiteral("I5")).toString(), u"Итого брутто");
    EXPECT_EQ(sheet.cell(QStringLiteral("B6")).toString(), grid->item(0, 1)->text());
}

TEST(StatementsForm, SummaryMenuNeedsTwoVariants)
{
    StatementsKitchen k;
    ASSERT_TRUE(k.made);
    const auto [first, last] = k.span();
    k.form.setKind(StatementsForm::Kind::SummaryMenu);
    k.form.chooseDates({first});
    k.form.chooseVariants({test::kDemoGroup});
    const QString file = k.dir.filePath(QStringLiteral("menu.xlsx"));
    EXPECT_FALSE(k.form.exportTo(file));
    EXPECT_TRUE(k.prompter.saw(kTwoVariantsText.toString()));
    EXPECT_FALSE(QFileInfo::exists(file));

    // Every product at one price, so each dish costs by its masses.
    QSqlQuery priced(k.connections.database(BaseId::Products));
    ASSERT_TRUE(priced.exec(QStringLiteral("UPDATE \"%1\" SET \"Цена\" = 250")
                                .arg(readSetting(k.settings, Section::Prod, QStringLiteral("tbProd")))));
    k.form.chooseVariants({test::kDemoGroup, kOlder});
    ASSERT_TRUE(k.form.exportTo(file)) << k.prompter.texts().join(u'\n').toStdString();
    const test::Sheet sheet = test::readSheet(file);
    EXPECT_EQ(sheet.cell(QStringLiteral("B3")).toString(), formatTextDate(first));
    const QStringList names {sheet.cell(QStringLiteral("C5")).toString(), sheet.cell(QStringLiteral("E5")).toString()};
    EXPECT_TRUE(names.contains(test::kDemoGroup) && names.contains(kOlder)) << names.join(u';').toStdString();
    EXPECT_FALSE(sheet.cell(QStringLiteral("B7")).toString().isEmpty());
    EXPECT_GT(sheet.cell(QStringLiteral("D7")).toDouble(), 0.0);
}

TEST(StatementsForm, SummaryRejectionJournalOfTheChosenDaysOfAVariant)
{
    StatementsKitchen k;
    ASSERT_TRUE(k.made);
    ASSERT_NE(k.connections.connectBase(BaseId::Rejection, k.shared, true), Connections::kFailed);
    auto *kind = child<QComboBox>(&k.form, "statementKind");
    const auto *model = qobject_cast<QStandardItemModel *>(kind->model());
    ASSERT_NE(model, nullptr);
    EXPECT_TRUE(model->item(static_cast<int>(StatementsForm::Kind::RejectionJournal))->isEnabled());

    const auto [first, last] = k.span();
    k.form.setKind(StatementsForm::Kind::RejectionJournal);
    ASSERT_TRUE(k.form.selectGroup(test::kDemoGroup));
    const QString file = k.dir.filePath(QStringLiteral("brak.xlsx"));
    k.form.chooseDates({});
    EXPECT_FALSE(k.form.exportTo(file));
    EXPECT_TRUE(k.prompter.saw(QStringLiteral("Необходимо выбрать даты для формирования бракеражного журнала.")));
    k.form.chooseDates({first, last});
    ASSERT_TRUE(k.form.exportTo(file)) << k.prompter.texts().join(u'\n').toStdString();
    const test::Sheet sheet = test::readSheet(file);
    EXPECT_EQ(sheet.cell(QStringLiteral("B3")).toString(),
        formatTextDate(first) + QStringLiteral(", ") + formatTextDate(last));
    EXPECT_TRUE(sheet.cell(QStringLiteral("A7")).toString().startsWith(formatTextDate(first)));
    EXPECT_FALSE(sheet.cell(QStringLiteral("C7")).toString().isEmpty());
    EXPECT_TRUE(k.prompter.statuses().contains(QStringLiteral("Бракеражный журнал сформирован")));
}
