#include "common/Clock.h"
#include "products/forms/ProductCard.h"
#include "shell/AppContext.h"
#include "shell/MainCommands.h"
#include "shell/forms/CommandRegistry.h"
#include "shell/forms/MainWindow.h"
#include "support/TempBases.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

struct Installation {
    test::TempBases bases;
    FixedClock clock {QDate(2026, 12, 6)};
    AppContext context {
        bases.prompter(), bases.settings(), bases.shared(), clock, bases.connections(), bases.errorLog()};

    // The program started again with what is now in the settings.
    void restart() { bases.shared() = SharedSettings::load(bases.settings(), {bases.root(), bases.root(), {}, {}}); }
};

} // namespace

TEST(MainWindowSettings, StatusLineDateIsRussianWhateverTheMachineLocale)
{
    Installation i;
    CommandRegistry registry;
    MainWindow window(i.context, registry);
    auto *date = window.findChild<QLabel *>(QStringLiteral("statusDate"));
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->text(), u"06.12.2026");
}

TEST(MainWindowSettings, TemplateCommandsOpenTheTemplateTheSettingsName)
{
    Installation i;
    i.bases.settings().save(Section::Documents, QStringLiteral("Shablon_Excel_TTK"), QStringLiteral("ТТК школы.xlsx"));
    i.restart();
    CommandRegistry registry;
    MainWindow window(i.context, registry);
    window.runCommand(QStringLiteral("ttk_hs_edit"));
    const QString expected = QDir(i.bases.shared().templatesFolder()).filePath(QStringLiteral("ТТК школы.xlsx"));
    EXPECT_TRUE(i.bases.prompter().saw(QStringLiteral("Шаблон не найден: ") + expected))
        << i.bases.prompter().transcript().toStdString();
    EXPECT_FALSE(i.bases.prompter().saw(QStringLiteral("TTK.xlsx")));
}

TEST(ProductCardSettings, CompositionFormatComesFromDocuments)
{
    Installation i;
    ASSERT_NE(i.bases.create(BaseId::Products), Connections::kFailed);
    i.bases.settings().save(Section::Prod, QStringLiteral("FormatForBaseProd"), QStringLiteral("0.00000"));
    i.bases.settings().save(Section::Documents, QStringLiteral("FormatForBaseProd"), QStringLiteral("0.0"));
    ProductCard card(i.context, 0);
    auto *composition = card.findChild<QTableWidget *>(QStringLiteral("composition"));
    ASSERT_NE(composition, nullptr);
    const QTableWidgetItem *water = nullptr;
    for (int r = 0; r < composition->rowCount() && !water; ++r) {
        const QTableWidgetItem *value = composition->item(r, 1);
        if (value && value->data(Qt::UserRole).toString() == u"Вода")
            water = value;
    }
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(water->text(), u"0,0");
}

TEST(ProductCardSettings, SavingOrLoadingAFileRemembersItsFolder)
{
    Installation i;
    ASSERT_NE(i.bases.create(BaseId::Products), Connections::kFailed);
    ProductCard card(i.context, 0);
    card.findChild<QLineEdit *>(QStringLiteral("Имя2"))->setText(QStringLiteral("Тыква мускатная"));
    card.findChild<QLineEdit *>(QStringLiteral("Имя"))->setText(QStringLiteral("Тыква"));
    const QString out = i.bases.root() + QStringLiteral("/обмен");
    QDir().mkpath(out);
    ASSERT_TRUE(card.saveToFile(out + QStringLiteral("/тыква.prod")));
    EXPECT_EQ(i.bases.settings().get(Section::Data, QStringLiteral("LastSaveND")), out);
    EXPECT_FALSE(i.bases.settings().contains(Section::Prod, QStringLiteral("LastSaveND")));

    const QString in = i.bases.root() + QStringLiteral("/получено");
    QDir().mkpath(in);
    ASSERT_TRUE(QFile::copy(out + QStringLiteral("/тыква.prod"), in + QStringLiteral("/тыква.prod")));
    ASSERT_TRUE(card.loadFromFile(in + QStringLiteral("/тыква.prod")));
    EXPECT_EQ(i.bases.settings().get(Section::Data, QStringLiteral("LastSaveND")), in);

    // A file that could not be read is no folder to go back to.
    EXPECT_FALSE(card.loadFromFile(out + QStringLiteral("/нет такого.prod")));
    EXPECT_EQ(i.bases.settings().get(Section::Data, QStringLiteral("LastSaveND")), in);
}
