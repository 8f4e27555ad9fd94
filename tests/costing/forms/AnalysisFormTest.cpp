#include "DemoKitchen.h"
#include "documents/DocumentTestSupport.h"

#include "common/NumberText.h"
#include "costing/AnalysisStatements.h"
#include "costing/NormBase.h"
#include "costing/forms/AnalysisForm.h"
#include "costing/forms/FulfilmentChartView.h"
#include "support/KeepPicture.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QSqlQuery>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

template <typename W> W *child(QWidget *form, const char *name)
{
    W *w = form->findChild<W *>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

struct AnalysedKitchen : test::DemoKitchen {
    AnalysisForm form {context};

    bool analyse()
    {
        const auto [first, last] = span();
        form.setPeriod(first, last);
        EXPECT_TRUE(form.selectGroup(test::kDemoGroup));
        EXPECT_TRUE(form.selectNorm(test::kDemoNorm));
        return form.calculate();
    }
};

} // namespace

TEST(AnalysisForm, HighlightsOutOfRangeRowsAndDrawsThemInTheChart)
{
    AnalysedKitchen k;
    ASSERT_TRUE(k.made);
    k.form.resize(1200, 700);
    k.form.show();
    ASSERT_TRUE(k.analyse()) << k.prompter.texts().join(u'\n').toStdString();
    EXPECT_EQ(k.form.days(), 10);

    auto *grid = child<QTableWidget>(&k.form, "nutrientGrid");
    ASSERT_EQ(grid->rowCount(), 20);
    EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), u"Факт. за 10 дн.");
    EXPECT_EQ(grid->horizontalHeaderItem(4)->text(), u"Выполнение,% от дн.нормы");
    int highlighted = -1;
    int inRange = -1;
    for (int r = 0; r < grid->rowCount(); ++r) {
        const NutrientRow &row = k.form.nutrientRows()[static_cast<std::size_t>(r)];
        EXPECT_EQ(grid->item(r, 0)->text(), row.name);
        const bool red = grid->item(r, 4)->foreground().color() == QColor(255, 0, 0);
        EXPECT_EQ(red, row.highlighted) << row.name.toStdString();
        if (row.highlighted && highlighted < 0)
            highlighted = r;
        if (row.percent && !row.highlighted)
            inRange = r;
    }
    ASSERT_GE(highlighted, 0); // school lunches do not make an adult's day

    // The chart beside the grid draws the same rows.
    auto *view = child<FulfilmentChartView>(&k.form, "fulfilmentChart");
    ASSERT_TRUE(view->isVisible());
    QApplication::processEvents();
    const QImage picture = view->grab().toImage();
    const QRectF bar = view->chart().barRect(highlighted, view->rect());
    ASSERT_GT(bar.width(), 3);
    EXPECT_EQ(picture.pixelColor(static_cast<int>(bar.left()) + 2, static_cast<int>(bar.center().y())),
        FulfilmentChart::kOutOfRangeColor);
    if (inRange >= 0) {
        const QRectF ok = view->chart().barRect(inRange, view->rect());
        EXPECT_EQ(picture.pixelColor(static_cast<int>(ok.left()) + 2, static_cast<int>(ok.center().y())),
            FulfilmentChart::kInRangeColor);
    }

    // Exported as PNG: the same picture at the command line's size.
    const QString png = k.dir.filePath(QStringLiteral("chart.png"));
    ASSERT_TRUE(k.form.exportChart(png));
    EXPECT_EQ(QImage(png).size(), FulfilmentChart::kDefaultSize);
    EXPECT_TRUE(k.prompter.unexpected().isEmpty()) << k.prompter.unexpected().join(u'\n').toStdString();
}

TEST(AnalysisForm, ProductSetCellEditsAreStoredAndRecomputedAfterTheQuestion)
{
    AnalysedKitchen k;
    ASSERT_TRUE(k.made);
    ASSERT_TRUE(k.analyse());
    auto *grid = child<QTableWidget>(&k.form, "productGrid");
    auto *missing = child<QLabel>(&k.form, "missingCodes");
    // The seed norms carry no product set.
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_EQ(missing->text(), kNoProductNormsText);

    k.settings.save(Section::Data, QStringLiteral("UpdatesCalcInAnalysHS"), QStringLiteral("1"));
    k.prompter.expect(QStringLiteral("Обновить расчет?"), Prompter::Answer::Yes);
    ASSERT_TRUE(k.form.addProductRow());
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->item(0, 1)->text(), u"Новый продукт");
    // A row listing no codes: every product of the period is reported.
    const QString prefix = QStringLiteral("Не найдены следующие коды продуктов [масса брутто]: ");
    ASSERT_TRUE(missing->text().startsWith(prefix)) << missing->text().toStdString();
    const QString code = missing->text().mid(prefix.size()).section(u' ', 0, 0);
    ASSERT_FALSE(code.isEmpty());

    // Codes typed in another case and with blanks still match.
    k.prompter.expect(QStringLiteral("Обновить расчет?"), Prompter::Answer::Yes);
    grid->item(0, 4)->setText(QStringLiteral("  ") + code.toLower() + QStringLiteral(" "));
    k.prompter.expect(QStringLiteral("Обновить расчет?"), Prompter::Answer::Yes);
    grid->item(0, 2)->setText(QStringLiteral("12,5"));
    EXPECT_TRUE(k.prompter.scriptDone());
    ASSERT_EQ(k.form.productRows().size(), 1u);
    const ProductSetRow &row = k.form.productRows().front();
    EXPECT_GT(row.fact, 0);
    ASSERT_TRUE(row.norm);
    EXPECT_DOUBLE_EQ(*row.norm, 12.5);
    EXPECT_FALSE(missing->text().contains(u' ' + code + QStringLiteral(" [")));

    // Stored in the norm itself.
    const auto base = openMenuBase(k.context);
    const NormBase norms(k.connections, base->number(), k.prompter);
    const Result<NormRecord> norm = norms.loadByName(test::kDemoNorm);
    ASSERT_TRUE(norm);
    ASSERT_EQ(norm->products.size(), 1u);
    EXPECT_DOUBLE_EQ(norm->products.front().norm.toDouble(), 12.5);

    // Declining the question keeps the statement as it was, while the edit is stored.
    k.prompter.expect(QStringLiteral("Обновить расчет?"), Prompter::Answer::No);
    grid->item(0, 2)->setText(QStringLiteral("20"));
    EXPECT_DOUBLE_EQ(*k.form.productRows().front().norm, 12.5);
    EXPECT_DOUBLE_EQ(norms.loadByName(test::kDemoNorm)->products.front().norm.toDouble(), 20.0);

    // Not a number: said, nothing stored, the statement shows the base again.
    grid->item(0, 2)->setText(QStringLiteral("много"));
    EXPECT_TRUE(k.prompter.saw(QStringLiteral("Не число")));
    EXPECT_DOUBLE_EQ(norms.loadByName(test::kDemoNorm)->products.front().norm.toDouble(), 20.0);
    EXPECT_EQ(grid->item(0, 2)->text(), formatFixed(20.0, 2));

    k.prompter.expect(QStringLiteral("Удалить норматив 'Новый продукт'"), Prompter::Answer::Yes);
    k.prompter.expect(QStringLiteral("Обновить расчет?"), Prompter::Answer::Yes);
    ASSERT_TRUE(k.form.removeProductRow(0));
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_TRUE(norms.loadByName(test::kDemoNorm)->products.empty());
    EXPECT_TRUE(k.prompter.unexpected().isEmpty()) << k.prompter.unexpected().join(u'\n').toStdString();
}

// Both statements printed from the default templates our program makes, read
// back by openpyxl.
TEST(AnalysisForm, PrintsBothStatementsThroughTheirTemplates)
{
    AnalysedKitchen k;
    ASSERT_TRUE(k.made);
    k.settings.save(Section::Documents, QStringLiteral("FirstLineMenuAnalysHS"), QStringLiteral("Школа № 5"));
    ASSERT_TRUE(k.analyse());
    const QString nutrients = k.dir.filePath(QStringLiteral("hs.xlsx"));
    ASSERT_TRUE(k.form.printNutrients(nutrients)) << k.prompter.texts().join(u'\n').toStdString();
    const test::Sheet hs = test::readSheet(nutrients);
    EXPECT_EQ(hs.cell(QStringLiteral("A1")).toString(), kNutrientStatementTitle);
    EXPECT_EQ(hs.cell(QStringLiteral("A2")).toString(), u"Школа № 5");
    EXPECT_TRUE(hs.cell(QStringLiteral("A4")).toString().contains(test::kDemoNorm));
    EXPECT_TRUE(hs.cell(QStringLiteral("A4")).toString().contains(QStringLiteral("(10 дн.)")));
    EXPECT_EQ(hs.cell(QStringLiteral("E5")).toString(), u"Выполнение,% от дн.нормы");
    const auto &rows = k.form.nutrientRows();
    ASSERT_EQ(rows.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        const NutrientRow &r = rows[static_cast<std::size_t>(i)];
        const QString at = QString::number(6 + i);
        EXPECT_EQ(hs.cell(u'A' + at).toString(), r.name);
        if (r.percent)
            EXPECT_NEAR(hs.cell(u'E' + at).toDouble(), *r.percent, 0.051) << r.name.toStdString();
        else
            EXPECT_TRUE(hs.cell(u'E' + at).isUndefined()) << r.name.toStdString();
        EXPECT_EQ(hs.bold(u'A' + at), r.highlighted) << r.name.toStdString();
    }
    // The template went into the templates folder, where the user can edit it.
    EXPECT_TRUE(QFileInfo::exists(QDir(k.shared.templatesFolder()).filePath(QStringLiteral("an_hs.xlsx"))));

    // No product set: nothing to print, and said so.
    EXPECT_FALSE(k.form.printProducts(k.dir.filePath(QStringLiteral("none.xlsx"))));
    EXPECT_TRUE(k.prompter.saw(kNoProductNormsText.toString()));
    EXPECT_FALSE(QFileInfo::exists(k.dir.filePath(QStringLiteral("none.xlsx"))));

    ASSERT_TRUE(k.form.addProductRow());
    const QString products = k.dir.filePath(QStringLiteral("prod.xlsx"));
    ASSERT_TRUE(k.form.printProducts(products));
    const test::Sheet prod = test::readSheet(products);
    EXPECT_EQ(prod.cell(QStringLiteral("A1")).toString(), kProductSetStatementTitle);
    EXPECT_EQ(prod.cell(QStringLiteral("B6")).toString(), u"Новый продукт");
    EXPECT_EQ(prod.cell(QStringLiteral("D6")).toString(), u"Брутто");
    EXPECT_EQ(prod.cell(QStringLiteral("A6")).toDouble(), static_cast<double>(k.form.productRows().front().code));
    EXPECT_TRUE(prod.cell(QStringLiteral("A8"))
                    .toString()
                    .startsWith(QStringLiteral("Не найдены следующие коды продуктов [масса брутто]: ")));
}

// The form on the demo kitchen draws itself with its chart; with
// KULVERA_ANALYSIS_SCREENSHOT set the picture is kept there (the README's
// screenshot is made this way).
TEST(AnalysisForm, DrawsTheDemoKitchenWithItsChart)
{
    AnalysedKitchen k;
    ASSERT_TRUE(k.made);
    k.form.resize(1280, 720);
    k.form.show();
    ASSERT_TRUE(k.analyse());
    QApplication::processEvents();
    test::keepPicture(k.form, "KULVERA_ANALYSIS_SCREENSHOT");
    EXPECT_TRUE(k.prompter.unexpected().isEmpty()) << k.prompter.unexpected().join(u'\n').toStdString();
}

// With the assimilated computation the proteins count at the share `Koef`
// gives for the norm's ID_Norm (1 for the seeded norms).
TEST(AnalysisForm, AssimilatedComputationReducesByTheCoefficientsOfTheNorm)
{
    AnalysedKitchen k;
    ASSERT_TRUE(k.made);
    ASSERT_TRUE(k.analyse());
    const double plain = k.form.nutrientRows().front().fact;
    ASSERT_GT(plain, 0);
    QSqlQuery koef(k.connections.database(BaseId::Menu));
    ASSERT_TRUE(koef.exec(QStringLiteral("INSERT INTO \"Koef\" (\"КодНормативов\", \"bel\") VALUES (1, 80)")));
    auto *assimilated = k.form.findChild<QCheckBox *>(QStringLiteral("assimilated"));
    ASSERT_NE(assimilated, nullptr);
    assimilated->setChecked(true);
    ASSERT_TRUE(k.form.calculate());
    EXPECT_NEAR(k.form.nutrientRows().front().fact, plain * 0.8, 1e-6);
    assimilated->setChecked(false);
    ASSERT_TRUE(k.form.calculate());
    EXPECT_NEAR(k.form.nutrientRows().front().fact, plain, 1e-9);
}
