#include "products/forms/ProductCard.h"
#include "FormFixture.h"
#include "products/ProductBase.h"
#include "products/ProductTestSupport.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QValidator>

#include <gtest/gtest.h>

#include <memory>

using namespace kulvera;
using kulvera::test::FormFixture;
using kulvera::test::ProductFixture;

namespace {

QLineEdit *line(QWidget *card, const char16_t *name)
{
    return FormFixture::child<QLineEdit>(card, QString::fromUtf16(name));
}

QTableWidget *variantsOf(QWidget *card)
{
    return FormFixture::child<QTableWidget>(card, QStringLiteral("variants"));
}

} // namespace

TEST(ProductCard, AProductAddedThroughTheCardIsInTheBase)
{
    FormFixture f;
    ProductCard card(f.context, 0);
    card.show();
    auto *fullName = line(&card, u"Имя2");
    QTableWidgetItem *water = FormFixture::valueCell(&card, QStringLiteral("Вода"));
    ASSERT_TRUE(fullName && water);
    EXPECT_EQ(water->text(), u"0,000"); // FormatForBaseProd "0.000"

    fullName->setText(QStringLiteral("Тыква мускатная"));
    line(&card, u"Имя")->setText(QStringLiteral("Тыква"));
    water->setText(QStringLiteral("88,5"));
    line(&card, u"Out")->setText(QStringLiteral("70"));
    FormFixture::child<QCheckBox>(&card, QStringLiteral("Rast"))->setChecked(true);
    FormFixture::child<QCheckBox>(&card, QStringLiteral("aller"))->setChecked(true);

    f.t.prompter().expect(QStringLiteral("Добавить механическую обработку в базу?"), Prompter::Answer::Yes);
    f.t.prompter().expectInput(QStringLiteral("Мех. обработка"), QStringLiteral("Очистка от кожуры"));
    FormFixture::child<QPushButton>(&card, QStringLiteral("addVariant"))->click();
    auto *variants = variantsOf(&card);
    ASSERT_EQ(variants->rowCount(), kLossVariants);
    EXPECT_EQ(variants->item(0, 1)->text(), u"0,00");
    variants->item(0, 1)->setText(QStringLiteral("70"));

    f.t.prompter().expect(QStringLiteral("Добавить механическую обработку в базу?"), Prompter::Answer::Yes);
    f.t.prompter().expectInput(QStringLiteral("Мех. обработка"), QStringLiteral(" "));
    FormFixture::child<QPushButton>(&card, QStringLiteral("addVariant"))->click();
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Необходимо указать значение")));
    EXPECT_TRUE(variants->item(1, 0)->text().isEmpty());

    f.t.prompter().expect(QStringLiteral("Добавить новый продукт в базу?"), Prompter::Answer::Yes);
    FormFixture::child<QPushButton>(&card, QStringLiteral("save"))->click();
    EXPECT_TRUE(f.t.prompter().unexpected().isEmpty()) << f.t.prompter().unexpected().join(u'|').toStdString();
    EXPECT_TRUE(f.t.prompter().scriptDone());
    ASSERT_EQ(card.key(), 1);

    ProductBase base(f.context);
    const auto stored = base.findByFullName(QStringLiteral("Тыква мускатная"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->prod.Voda, 88.5);
    EXPECT_EQ(stored->out, 70.0);
    EXPECT_TRUE(stored->rast);
    EXPECT_EQ(stored->aller, 1.0);
    EXPECT_EQ(stored->exc, 0.0);
    EXPECT_EQ(stored->variants[0], u"Очистка от кожуры");
    EXPECT_EQ(stored->losses[0], 70.0);
    EXPECT_FALSE(stored->losses[1].has_value());

    // Removing the variant asks with its name; saving again updates the row.
    f.t.prompter().expect(QStringLiteral("Удаляем обработку - Очистка от кожуры"), Prompter::Answer::Yes);
    card.removeVariant(1);
    ASSERT_TRUE(card.save());
    EXPECT_FALSE(base.findQuiet(1)->losses[0].has_value());
    EXPECT_TRUE(base.findQuiet(1)->variants[0].isEmpty());
    EXPECT_EQ(base.count(), 1);

    // Save as file and load it into a new card: the same product, not yet in the base.
    const QString path = f.t.root() + QStringLiteral("/t.prod");
    ASSERT_TRUE(card.saveToFile(path));
    ProductCard other(f.context, 0);
    ASSERT_TRUE(other.loadFromFile(path));
    EXPECT_EQ(FormFixture::valueCell(&other, QStringLiteral("Вода"))->text(), u"88,500");
    EXPECT_EQ(other.key(), 0);
}

TEST(ProductCard, SavingOnlyThePriceKeepsEveryOtherValueAsStored)
{
    FormFixture f;
    ProductBase base(f.context);
    ProductRow row = ProductFixture::fullRow(QStringLiteral("Лук репчатый"));
    row.setKey(1);
    // Values with more decimals than the card shows.
    row.prod.Bel = 0.0234;
    row.prod.Na = 1.0 / 3.0;
    row.prod.a = 0.00015;
    row.iodine = 0.0042;
    row.setOut(66.6667);
    row.setPrice(45.555);
    row.priceR = 12.345;
    row.size = 0.3333;
    row.losses[0] = 66.666;
    ASSERT_TRUE(base.insertRows({row}).ok());

    ProductCard card(f.context, 1);
    // Meanwhile another running copy saves the water of the same product.
    ASSERT_TRUE(
        execSql(base.database(), QStringLiteral("UPDATE \"dt010\" SET \"Вода\" = 55.55 WHERE \"Код\" = 1")).ok());
    line(&card, u"Цена")->setText(QStringLiteral("50,5"));
    ASSERT_TRUE(card.save());

    auto stored = base.findQuiet(1);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->prod.Price, 50.5);
    EXPECT_EQ(stored->prod.Voda, 55.55); // not the card's to write
    for (const CompositionField &field : compositionFields()) {
        if (field.column && field.member != &clsProds::Voda) {
            EXPECT_EQ(stored->prod.*field.member, row.prod.*field.member)
                << QString::fromUtf16(field.column).toStdString();
        }
    }
    EXPECT_EQ(stored->iodine, 0.0042);
    EXPECT_EQ(stored->out, 66.6667);
    EXPECT_EQ(stored->priceR, 12.345);
    EXPECT_EQ(numberValue(stored->size), 0.3333);
    EXPECT_EQ(stored->losses[0], 66.666);
    EXPECT_EQ(stored->variants, row.variants);
    EXPECT_EQ(stored->comment, row.comment); // two lines
    EXPECT_EQ(stored->prod.FullName, row.prod.FullName);

    // A value the user does edit is written as typed; the rest stay as they are.
    QTableWidgetItem *water = FormFixture::valueCell(&card, QStringLiteral("Вода"));
    ASSERT_NE(water, nullptr);
    water->setText(QStringLiteral("12,5"));
    ASSERT_TRUE(card.save());
    stored = base.findQuiet(1);
    EXPECT_EQ(stored->prod.Voda, 12.5);
    EXPECT_EQ(stored->prod.Bel, 0.0234);
    EXPECT_EQ(stored->prod.Price, 50.5);
    EXPECT_EQ(stored->out, 66.6667);
}

TEST(ProductCard, VariantsKeepTheirNumbersAndMonthsTheirMonths)
{
    FormFixture f;
    ProductBase base(f.context);
    ProductRow cleaned;
    cleaned.setKey(1);
    cleaned.prod.FullName = QStringLiteral("Морковь");
    cleaned.setOut(80);
    cleaned.variants[1] = QStringLiteral("Очистка");
    cleaned.losses[1] = 80;
    cleaned.variants[2] = QStringLiteral("Нарезка");
    cleaned.losses[2] = 75;
    ProductRow seasonal;
    seasonal.setKey(2);
    seasonal.prod.FullName = QStringLiteral("Картофель");
    seasonal.l72 = true;
    for (std::size_t n = 1; n < kLossVariants; ++n) // no value for January
        seasonal.losses[n] = 60.0 + static_cast<double>(n);
    ASSERT_TRUE(base.insertRows({cleaned, seasonal}).ok());

    {
        ProductCard card(f.context, 1);
        auto *variants = variantsOf(&card);
        ASSERT_EQ(variants->rowCount(), kLossVariants);
        EXPECT_EQ(variants->item(1, 0)->text(), u"Очистка");
        EXPECT_EQ(variants->verticalHeaderItem(1)->text(), u"2");
        line(&card, u"Цена")->setText(QStringLiteral("10"));
        ASSERT_TRUE(card.save());
        auto stored = base.findQuiet(1);
        EXPECT_TRUE(stored->variants[0].isEmpty());
        EXPECT_FALSE(stored->losses[0].has_value());
        EXPECT_EQ(stored->variants[1], u"Очистка");
        EXPECT_EQ(stored->losses[1], 80.0);
        EXPECT_EQ(stored->variants[2], u"Нарезка");
        EXPECT_EQ(stored->losses[2], 75.0);

        // Removing variant 2 empties its slot only; a new one takes the first free slot.
        f.t.prompter().expect(QStringLiteral("Удаляем обработку - Очистка"), Prompter::Answer::Yes);
        card.removeVariant(2);
        f.t.prompter().expect(QStringLiteral("Добавить механическую обработку в базу?"), Prompter::Answer::Yes);
        f.t.prompter().expectInput(QStringLiteral("Мех. обработка"), QStringLiteral("Мойка"));
        card.addVariant();
        variants->item(0, 1)->setText(QStringLiteral("95"));
        ASSERT_TRUE(card.save());
        stored = base.findQuiet(1);
        EXPECT_EQ(stored->variants[0], u"Мойка");
        EXPECT_EQ(stored->losses[0], 95.0);
        EXPECT_TRUE(stored->variants[1].isEmpty());
        EXPECT_FALSE(stored->losses[1].has_value());
        EXPECT_EQ(stored->variants[2], u"Нарезка");
        EXPECT_EQ(stored->losses[2], 75.0);
        EXPECT_TRUE(f.t.prompter().scriptDone());
    }

    ProductCard card(f.context, 2);
    auto *variants = variantsOf(&card);
    EXPECT_EQ(variants->verticalHeaderItem(0)->text(), u"Январь");
    EXPECT_EQ(variants->verticalHeaderItem(11)->text(), u"Декабрь");
    EXPECT_EQ(variants->item(2, 1)->text(), u"62,00");
    line(&card, u"Цена")->setText(QStringLiteral("10"));
    ASSERT_TRUE(card.save());
    const auto stored = base.findQuiet(2);
    EXPECT_EQ(stored->losses, seasonal.losses);
    EXPECT_EQ(base.currentOutput(*stored), 62.0); // March
    // Cleared, the flag turns the months back into numbered variants.
    FormFixture::child<QCheckBox>(&card, QStringLiteral("l72"))->setChecked(false);
    EXPECT_EQ(variants->verticalHeaderItem(0)->text(), u"1");
}

TEST(ProductCard, CaptionsSayWhatEachValueIsAndEveryNumberFits)
{
    FormFixture f;
    ProductBase base(f.context);
    ProductRow row = ProductFixture::fullRow(QStringLiteral("Масло сливочное"));
    row.setKey(1);
    row.prod.En = 748.123;
    row.prod.Na = 38758.5;
    row.setPrice(123456.78);
    ASSERT_TRUE(base.insertRows({row}).ok());
    ProductCard card(f.context, 1);
    card.resize(1280, 900);
    card.show();

    // No caption is a stored column name, and units are Russian.
    const QStringList stored = {QStringLiteral("Out"), QStringLiteral("Разм"), QStringLiteral("Y"),
        QStringLiteral("Цена_Р"), QStringLiteral("Цена_К"), QStringLiteral("l70"), QStringLiteral("l71"),
        QStringLiteral("l72"), QStringLiteral("Rast"), QStringLiteral("exc"), QStringLiteral("aller"),
        QStringLiteral("fast"), QStringLiteral("conf"), QStringLiteral("Gir_SV"), QStringLiteral("UG_SV"),
        QStringLiteral("АО"), QStringLiteral("АМ"), QStringLiteral("ЖБ"), QStringLiteral("РБ"), QStringLiteral("ЖЖ"),
        QStringLiteral("РЖ"), QStringLiteral("Моно"), QStringLiteral("Кр"), QStringLiteral("КЛ"),
        QStringLiteral("ОргК"), QStringLiteral("ЭЦ"), QStringLiteral("НЖК"), QStringLiteral("ПНЖК"),
        QStringLiteral("Хол"), QStringLiteral("РЭ"), QStringLiteral("ТЭ"), QStringLiteral("НЭ"), QStringLiteral("РПВ"),
        QStringLiteral("НПВ"), QStringLiteral("ЕвроКОД")};
    auto *composition = FormFixture::child<QTableWidget>(&card, QStringLiteral("composition"));
    ASSERT_NE(composition, nullptr);
    QStringList captions;
    for (const QLabel *label : card.findChildren<QLabel *>())
        captions << label->text();
    for (const QCheckBox *box : card.findChildren<QCheckBox *>())
        captions << box->text();
    QStringList headings;
    for (int r = 0; r < composition->rowCount(); ++r) {
        (composition->columnSpan(r, 0) == 2 ? headings : captions) << composition->item(r, 0)->text();
    }
    for (const QString &caption : captions) {
        EXPECT_FALSE(stored.contains(caption.section(u',', 0, 0).trimmed())) << caption.toStdString();
        for (const char *unit : {", g", ", mg", ", µg", ", kcal"})
            EXPECT_FALSE(caption.endsWith(QString::fromUtf8(unit))) << caption.toStdString();
    }
    for (const char *expected : {"Белки, г", "в т.ч. жив. белок, г", "Жир, г", "Моно и дисахара (углеводы), г",
             "Na, мг", "Йод, мг", "Витамин A, мкг", "Калорийность, ккал", "Лизин, мг", "Олеиновая, г"})
        EXPECT_TRUE(captions.contains(QString::fromUtf8(expected))) << expected;
    const auto labelOf = [&](const char16_t *column) {
        for (QFormLayout *layout : card.findChildren<QFormLayout *>()) {
            if (auto *label = qobject_cast<QLabel *>(layout->labelForField(line(&card, column))))
                return label->text();
        }
        return QString();
    };
    EXPECT_EQ(labelOf(u"Out"), u"Выход после холодной обработки, %");
    EXPECT_EQ(labelOf(u"Разм"), u"Размер счётной единицы");
    EXPECT_EQ(FormFixture::child<QCheckBox>(&card, QStringLiteral("aller"))->text(), u"Аллерген");
    EXPECT_EQ(FormFixture::child<QCheckBox>(&card, QStringLiteral("exc"))->text(), u"Исключён из складского учёта");
    EXPECT_TRUE(FormFixture::child<QCheckBox>(&card, QStringLiteral("exc"))->isChecked());

    // Grouped: main nutrients, minerals, vitamins, amino acids, fatty acids.
    EXPECT_EQ(headings,
        QStringList({QStringLiteral("Основные пищевые вещества"), QStringLiteral("Минеральные вещества"),
            QStringLiteral("Витамины"), QStringLiteral("Аминокислоты"), QStringLiteral("Жирные кислоты")}));
    const auto groupOf = [&](const QString &column) {
        QString group;
        for (int r = 0; r < composition->rowCount(); ++r) {
            if (composition->columnSpan(r, 0) == 2)
                group = composition->item(r, 0)->text();
            else if (composition->item(r, 1)->data(Qt::UserRole).toString() == column)
                return group;
        }
        return QString();
    };
    EXPECT_EQ(groupOf(QStringLiteral("Белки")), u"Основные пищевые вещества");
    EXPECT_EQ(groupOf(QStringLiteral("Y")), u"Минеральные вещества");
    EXPECT_EQ(groupOf(QStringLiteral("B1")), u"Витамины");
    EXPECT_EQ(groupOf(QStringLiteral("лизин")), u"Аминокислоты");
    EXPECT_EQ(groupOf(QStringLiteral("олеиновая")), u"Жирные кислоты");

    // Right-aligned numbers in a column wide enough for each of them.
    const QFontMetrics metrics(composition->font());
    EXPECT_EQ(FormFixture::valueCell(&card, QStringLiteral("Na"))->text(), u"38758,500");
    for (int r = 0; r < composition->rowCount(); ++r) {
        if (composition->columnSpan(r, 0) == 2)
            continue;
        const QTableWidgetItem *value = composition->item(r, 1);
        EXPECT_TRUE(value->textAlignment() & Qt::AlignRight) << r;
        EXPECT_GT(composition->columnWidth(1), metrics.horizontalAdvance(value->text()) + 4) << r;
    }
    // Typed into a cell, a longer number widens the column.
    QTableWidgetItem *energy = FormFixture::valueCell(&card, QStringLiteral("ЭЦ"));
    energy->setText(QStringLiteral("123456789,123"));
    EXPECT_GT(composition->columnWidth(1), metrics.horizontalAdvance(energy->text()) + 4);
    QLineEdit *price = line(&card, u"Цена");
    EXPECT_EQ(price->text(), u"123456,78");
    EXPECT_GT(price->width(), price->fontMetrics().horizontalAdvance(price->text()));
    EXPECT_TRUE(price->alignment() & Qt::AlignRight);

    // Cells take digits and the comma only.
    const QModelIndex index = composition->model()->index(composition->row(energy), 1);
    std::unique_ptr<QWidget> editor(
        composition->itemDelegateForColumn(1)->createEditor(composition->viewport(), QStyleOptionViewItem(), index));
    auto *edit = qobject_cast<QLineEdit *>(editor.get());
    ASSERT_TRUE(edit && edit->validator());
    int pos = 0;
    QString typed = QStringLiteral("12.5");
    EXPECT_EQ(edit->validator()->validate(typed, pos), QValidator::Invalid);
    typed = QStringLiteral("12,5");
    EXPECT_EQ(edit->validator()->validate(typed, pos), QValidator::Acceptable);
    typed = QStringLiteral("12.5");
    EXPECT_EQ(price->validator()->validate(typed, pos), QValidator::Invalid);
}
