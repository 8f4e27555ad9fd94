#include "warehouse/WarehouseFixture.h"

#include "documents/DocumentTestSupport.h"
#include "journals/IncomingControlJournal.h"

#include <QTemporaryDir>

namespace kulvera::test {
namespace {

class IncomingControl : public WarehouseFixture
{
protected:
    // A one-line invoice received on `date`; returns the line's key.
    qint64 receive(qint64 product, double quantity, const QDate &date, std::optional<qint64> unit = {})
    {
        NewLine l = line(product, quantity, 50);
        l.unit = unit;
        const qint64 h = invoices.receive(invoice(QString::number(++number_), date), {l}).value();
        return invoices.lines(h)->front().key;
    }
    void set(qint64 lineKey, const QString &column, const QVariant &value)
    {
        ASSERT_TRUE(base.exec(
            QStringLiteral("UPDATE \"Приход_Товара\" SET \"") + column + QStringLiteral("\" = ? WHERE \"Код\" = ?"),
            {value, lineKey}));
    }
    std::vector<qint64> listed(const QDate &from, const QDate &to)
    {
        const auto rows = incomingControlRows(base, from, to);
        EXPECT_TRUE(rows) << rows.error().toStdString();
        std::vector<qint64> keys;
        if (rows) {
            for (const IncomingControlRow &r : *rows)
                keys.push_back(r.line);
        }
        return keys;
    }
    int number_ = 0;
};

TEST_F(IncomingControl, PostedLinesOfTheWholePeriodWithTheirNamesOnly)
{
    const QDate from(2026, 6, 1), to(2026, 6, 10);
    const qint64 posted = receive(1, 12.5, QDate(2026, 6, 3));
    const qint64 unposted = receive(2, 3, QDate(2026, 6, 4));
    set(unposted, QStringLiteral("Проводка"), false);
    const qint64 lateOnLastDay = receive(2, 4, to);
    set(lateOnLastDay, QStringLiteral("Дата"), QDateTime(to, QTime(23, 59, 30)));
    const qint64 nextDay = receive(1, 1, to.addDays(1));
    const qint64 dayBefore = receive(1, 1, from.addDays(-1));
    set(dayBefore, QStringLiteral("Дата"), QDateTime(from.addDays(-1), QTime(23, 59, 59)));
    const qint64 noUnit = receive(1, 2, QDate(2026, 6, 5));
    set(noUnit, QStringLiteral("Ед_изм"), 77);
    const qint64 noSupplier = receive(1, 2, QDate(2026, 6, 6));
    ASSERT_TRUE(base.exec(QStringLiteral("UPDATE \"Накладные_Заголовки\" SET \"Поставщик\" = 999 WHERE \"Код\" = "
                                         "(SELECT \"Код_Накл\" FROM \"Приход_Товара\" WHERE \"Код\" = ?)"),
        {noSupplier}));
    (void)nextDay;

    EXPECT_EQ(listed(from, to), (std::vector<qint64> {posted, lateOnLastDay}));
    EXPECT_EQ(listed(to, to), std::vector<qint64> {lateOnLastDay});

    set(posted, QStringLiteral("Темп"), QStringLiteral("+4"));
    set(posted, QStringLiteral("СрокГ"), QStringLiteral("5 суток"));
    set(posted, QStringLiteral("Безоп"), QStringLiteral("Декларация № 12"));
    const IncomingControlRow r = incomingControlRows(base, from, to)->front();
    EXPECT_EQ(r.productName, u"Картофель");
    EXPECT_EQ(r.supplier, u"ООО Овощи");
    EXPECT_EQ(r.number, u"1");
    EXPECT_DOUBLE_EQ(r.brutto, 12.5);
    EXPECT_EQ(r.unitName, u"кг");
    EXPECT_EQ(r.date.date(), QDate(2026, 6, 3));
    EXPECT_EQ(r.temperature, u"+4");
    EXPECT_EQ(r.shelfLife, u"5 суток");
    EXPECT_EQ(r.safetyDocument, u"Декларация № 12");
    EXPECT_TRUE(r.use.isEmpty());
    EXPECT_EQ(incomingControlColumns().size(), 15u);
    EXPECT_EQ(incomingControlText(r, 10), u"03.06.2026");
}

TEST_F(IncomingControl, PrintedJournalIsReadBackWithItsOwnTemplateMade)
{
    bases.settings().save(Section::User, QStringLiteral("Name_POP"), QStringLiteral("Столовая № 1"));
    receive(1, 12.5, QDate(2026, 6, 3));
    receive(2, 1500, QDate(2026, 6, 4), 2);
    const auto rows = incomingControlRows(base, QDate(2026, 6, 1), QDate(2026, 6, 30));
    ASSERT_EQ(rows->size(), 2u);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("templates"));
    const QString out = dir.filePath(QStringLiteral("jur.xlsx"));
    const auto printed = printIncomingControl(
        *rows, QDate(2026, 6, 1), QDate(2026, 6, 30), folder, bases.settings(), out, bases.prompter());
    ASSERT_TRUE(printed) << printed.error().toStdString();
    EXPECT_TRUE(QFileInfo::exists(QDir(folder).filePath(QStringLiteral("jur_in.xlsx"))));
    const Sheet s = readSheet(out);
    EXPECT_EQ(s.cell(QStringLiteral("A1")).toString(), kIncomingControlTitle);
    EXPECT_EQ(s.cell(QStringLiteral("A2")).toString(), u"Столовая № 1");
    EXPECT_EQ(s.cell(QStringLiteral("A4")).toString(), u"За период с 01.06.2026 по 30.06.2026");
    EXPECT_EQ(s.cell(QStringLiteral("C5")).toString(), u"Наименование продукта");
    EXPECT_EQ(s.cell(QStringLiteral("O5")).toString(), u"Дата и факт реализации");
    EXPECT_EQ(s.cell(QStringLiteral("C6")).toString(), u"Картофель");
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("G6")).toDouble(), 12.5);
    EXPECT_EQ(s.cell(QStringLiteral("F7")).toString(), u"ООО Овощи");
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("G7")).toDouble(), 1.5) << "grams kept in the base unit";
    EXPECT_EQ(s.cell(QStringLiteral("J7")).toString(), u"г");
    EXPECT_EQ(s.cell(QStringLiteral("K7")).toString(), u"04.06.2026");
    EXPECT_TRUE(s.cell(QStringLiteral("A8")).isUndefined());
}

} // namespace
} // namespace kulvera::test
