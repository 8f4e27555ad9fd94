#include "DemoKitchen.h"
#include "documents/DocumentTestSupport.h"

#include "common/TextDate.h"
#include "costing/DishCalcCard.h"
#include "menus/forms/MenuEditorForm.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlStatement.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

int kept(test::DemoKitchen &k, const QString &dish)
{
    SqlStatement q(k.connections.database(BaseId::Warehouse),
        QStringLiteral("SELECT COUNT(*) FROM \"КК_Заголовки\" WHERE \"Имя_Карты\" = ?"));
    EXPECT_TRUE(q.exec({dish}));
    return q.next() ? q.value(0).toInt() : -1;
}

} // namespace

TEST(MenuEditorCalcCards, TheChosenDishAndEveryDishArePrintedAtTheTypedMarkup)
{
    test::DemoKitchen k;
    ASSERT_TRUE(k.made);
    {
        MenuEditorForm without(k.context);
        EXPECT_FALSE(without.findChild<QPushButton *>(QStringLiteral("printCalcCard"))->isEnabled());
        EXPECT_FALSE(without.findChild<QPushButton *>(QStringLiteral("printAllCalcCards"))->isEnabled());
    }
    // As the program's printer does, but into the test's folder and without showing anything.
    const QString folder = k.dir.filePath(QStringLiteral("cards"));
    QStringList written;
    MenuEditorForm::setCalcCardPrinter([&](const Ration &ration, int number, double markup, AppContext &context) {
        const Result<QStringList> made = printRationCalcCards(ration, number, markup, folder, context);
        if (made)
            written = *made;
        return made.ok();
    });
    MenuEditorForm editor(k.context);
    editor.show();
    auto *one = editor.findChild<QPushButton *>(QStringLiteral("printCalcCard"));
    auto *all = editor.findChild<QPushButton *>(QStringLiteral("printAllCalcCards"));
    ASSERT_TRUE(one && one->isEnabled() && all && all->isEnabled());
    ASSERT_TRUE(editor.openRation(k.span().first, test::kDemoGroup));
    const Ration &ration = editor.ration();
    const QString dish = ration.dishName(ration.dishAt(1, 1));

    // A markup that is no number changes nothing.
    k.prompter.expectInput(QStringLiteral("Наценка"), QStringLiteral("много"));
    editor.selectDish(1, 1);
    one->click();
    EXPECT_TRUE(written.isEmpty());
    EXPECT_TRUE(k.prompter.saw(kBadMarkupText.toString()));

    k.prompter.expectInput(QStringLiteral("Наценка"), QStringLiteral("25"));
    editor.selectDish(1, 1);
    one->click();
    ASSERT_EQ(written.size(), 1) << k.prompter.transcript().toStdString();
    const test::Sheet s = test::readSheet(written.front());
    EXPECT_EQ(s.cell(QStringLiteral("F4")).toString(), dish);
    EXPECT_EQ(s.cell(QStringLiteral("L5")).toString(), formatTextDate(ration.date()));
    EXPECT_EQ(k.settings.get(Section::Calc, QStringLiteral("GlobalNac")), QStringLiteral("25"));
    EXPECT_EQ(kept(k, dish), 1);

    // Every dish: the markup offered is the last one typed.
    k.prompter.expectInput(QStringLiteral("Наценка"), std::nullopt);
    all->click();
    EXPECT_EQ(written.size(), 1) << "cancelled";
    k.prompter.expectInput(QStringLiteral("Наценка"), QStringLiteral("0"));
    all->click();
    MenuEditorForm::setCalcCardPrinter({});
    EXPECT_EQ(written.size(), ration.dishCount());
    for (const QString &file : written)
        EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_TRUE(k.prompter.unexpected().isEmpty()) << k.prompter.unexpected().join(u'\n').toStdString();
}

TEST(CliCalcCard, TheStartedProgramPrintsADishOfTheDemoKitchenAndRefusesBadInput)
{
    test::DemoKitchen k;
    ASSERT_TRUE(k.made);
    const QDate day = k.span().first;
    const auto loaded = openMenuBase(k.context)->load({day, test::kDemoGroup});
    ASSERT_TRUE(loaded.ok() && !loaded->isEmpty());
    const QString dish = loaded->dishName(1);
    const QString out = k.dir.filePath(QStringLiteral("карта.xlsx"));
    // The demo kitchen's products carry no prices: every product at one price.
    QSqlQuery priced(k.connections.database(BaseId::Products));
    ASSERT_TRUE(priced.exec(QStringLiteral("UPDATE \"%1\" SET \"Цена\" = 250")
                                .arg(readSetting(k.settings, Section::Prod, QStringLiteral("tbProd")))));

    QString printed;
    auto run = [&](const QStringList &args) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), k.dir.path());
        environment.insert(QStringLiteral("KULVERA_SETTINGS"), QDir(k.kitchen).filePath(QStringLiteral("Kulvera.ini")));
        QProcess p;
        p.setProcessEnvironment(environment);
        p.start(QStringLiteral(KULVERA_CLI_PATH), args);
        EXPECT_TRUE(p.waitForFinished(120000));
        printed = QString::fromUtf8(p.readAllStandardOutput());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    const QString date = formatTextDate(day);
    const QStringList group {QStringLiteral("--group"), test::kDemoGroup};
    EXPECT_EQ(run(QStringList {QStringLiteral("calc-card"), date, dish} + group), 2) << "no -o";
    EXPECT_EQ(run({QStringLiteral("calc-card"), QStringLiteral("31.02.2026"), dish, QStringLiteral("-o"), out}), 2);
    EXPECT_EQ(run(QStringList {QStringLiteral("calc-card"), date, dish, QStringLiteral("--markup"),
                      QStringLiteral("-3"), QStringLiteral("-o"), out}
                  + group),
        2);
    EXPECT_EQ(run(QStringList {
                      QStringLiteral("calc-card"), date, QStringLiteral("Нет такого блюда"), QStringLiteral("-o"), out}
                  + group),
        1);
    EXPECT_FALSE(QFileInfo::exists(out));

    ASSERT_EQ(run(QStringList {QStringLiteral("calc-card"), date, dish, QStringLiteral("--markup"),
                      QStringLiteral("20"), QStringLiteral("-o"), out, QStringLiteral("--json")}
                  + group),
        0)
        << printed.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(printed.toUtf8()).object();
    EXPECT_EQ(json[QStringLiteral("dish")].toString(), dish);
    EXPECT_TRUE(json[QStringLiteral("kept")].toBool());
    const double cost = json[QStringLiteral("cost")].toDouble();
    EXPECT_GT(cost, 0);
    EXPECT_NEAR(json[QStringLiteral("sellingPrice")].toDouble(), cost * 1.2, 0.005);

    const test::Sheet s = test::readSheet(out);
    EXPECT_EQ(s.cell(QStringLiteral("F4")).toString(), dish);
    const int lines = json[QStringLiteral("lines")].toArray().size();
    ASSERT_GT(lines, 0);
    const int totalRow = 7 + lines;
    EXPECT_NEAR(s.cell(QStringLiteral("L%1").arg(totalRow)).toDouble(), json[QStringLiteral("total")].toDouble(), 1e-9);
    EXPECT_EQ(s.cell(QStringLiteral("B%1").arg(totalRow + 1)).toString(), QStringLiteral("Наценка (20%):"));
    EXPECT_NEAR(s.cell(QStringLiteral("L%1").arg(totalRow + 2)).toDouble(),
        json[QStringLiteral("sellingPrice")].toDouble(), 1e-9);
    EXPECT_EQ(kept(k, dish), 1);
}
