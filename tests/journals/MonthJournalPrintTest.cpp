#include "JournalFixture.h"

#include "documents/DocumentTestSupport.h"
#include "journals/MonthJournalPrint.h"

#include <QFileInfo>
#include <QProcess>

using namespace kulvera;
using test::JournalFixture;

namespace {

// A user's own template, made by openpyxl: the table three columns further
// right and eight lines long, and no heading names but the month.
const char *const kOwnTemplate = R"PY(
import sys, openpyxl
from openpyxl.workbook.defined_name import DefinedName
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Мой журнал"
ws["A1"] = "Журнал нашей кухни"
def name(n, ref):
    dn = DefinedName(n, attr_text="'Мой журнал'!" + ref)
    try:
        wb.defined_names[n] = dn
    except (TypeError, AttributeError):
        wb.defined_names.append(dn)
name("Т_Месяц", "$D$2")
name("Т_ТаблСтарт", "$D$6")
name("Т_ТаблКонец", "$D$" + sys.argv[2])
wb.save(sys.argv[1])
)PY";

void makeOwnTemplate(const QString &path, int lastRow)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"), QString::fromUtf8(kOwnTemplate), path, QString::number(lastRow)});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
}

struct JournalPrinting : JournalFixture {
    QString templates = bases.root() + QStringLiteral("/Шаблоны");
    QString out(const QString &name) { return bases.root() + u'/' + name; }

    Result<JournalPrintOutcome> print(MonthJournal &journal, const JournalMonth &month, const QString &file)
    {
        return printMonthJournal(journal, month, templates, bases.settings(), out(file), bases.prompter());
    }
};

} // namespace

TEST_F(JournalPrinting, TheHealthJournalFillsOurTemplateReadBackByOpenpyxl)
{
    ASSERT_TRUE(created);
    bases.settings().save(Section::User, QStringLiteral("Name_Org"), QStringLiteral("Школа №5"));
    bases.settings().save(Section::User, QStringLiteral("CityU"), QStringLiteral("Тверь"));
    bases.settings().save(Section::User, QStringLiteral("StreetU"), QStringLiteral("ул. Садовая"));
    bases.settings().save(Section::User, QStringLiteral("tFDir"), QStringLiteral("Орлова Е. В."));
    const qint64 cook = subject(health, QStringLiteral("Петров П. П."), QStringLiteral("Повар"));
    const qint64 porter = subject(health, QStringLiteral("Сидоров С. С."));
    const JournalMonth february {2028, 2};
    ASSERT_TRUE(health.writeCell(cook, february.day(1), QStringLiteral("зд")).ok());
    ASSERT_TRUE(health.writeCell(cook, february.day(29), QStringLiteral("б/л")).ok());
    ASSERT_TRUE(health.writeCell(porter, february.day(3), QStringLiteral("отп")).ok());

    const auto done = print(health, february, QStringLiteral("health.xlsx"));
    ASSERT_TRUE(done.ok()) << done.error().toStdString();
    EXPECT_EQ(done->rows, 2);
    EXPECT_EQ(done->errors, 0);
    EXPECT_TRUE(QFileInfo::exists(templates + QStringLiteral("/jur_z.xlsx"))); // ours, made once

    const test::Sheet sheet = test::readSheet(done->path);
    // The names lead to the cells: the table starts at A10 in our template.
    EXPECT_EQ(sheet.name(QStringLiteral("Т_ТаблСтарт")), QStringLiteral("'Журнал'!$A$10"));
    EXPECT_EQ(sheet.cell(QStringLiteral("B7")).toString(), QStringLiteral("Февраль 2028"));
    EXPECT_EQ(sheet.cell(QStringLiteral("B2")).toString(), QStringLiteral("Школа №5"));
    EXPECT_EQ(sheet.cell(QStringLiteral("B3")).toString(), QStringLiteral("Тверь, ул. Садовая"));
    EXPECT_EQ(sheet.cell(QStringLiteral("B5")).toString(), QStringLiteral("Орлова Е. В."));
    EXPECT_EQ(sheet.cell(QStringLiteral("A9")).toString(), QStringLiteral("Персонал"));
    EXPECT_EQ(sheet.cell(QStringLiteral("B9")).toString(), QStringLiteral("Должность"));
    // Subjects with a position first; day d in column 2 + d.
    EXPECT_EQ(sheet.cell(QStringLiteral("A10")).toString(), QStringLiteral("Петров П. П."));
    EXPECT_EQ(sheet.cell(QStringLiteral("B10")).toString(), QStringLiteral("Повар"));
    EXPECT_EQ(sheet.cell(QStringLiteral("C10")).toString(), QStringLiteral("зд"));
    EXPECT_EQ(sheet.cell(QStringLiteral("AE10")).toString(), QStringLiteral("б/л"));
    EXPECT_EQ(sheet.cell(QStringLiteral("A11")).toString(), QStringLiteral("Сидоров С. С."));
    EXPECT_EQ(sheet.cell(QStringLiteral("E11")).toString(), QStringLiteral("отп"));
    EXPECT_TRUE(sheet.framed(QStringLiteral("AE11")));
    // February 2028 has 29 days: the columns of the 30th and 31st are hidden, not the 29th.
    EXPECT_FALSE(sheet.colHidden(31));
    EXPECT_TRUE(sheet.colHidden(32));
    EXPECT_TRUE(sheet.colHidden(33));
    // The table lines left over are hidden.
    EXPECT_FALSE(sheet.rowHidden(11));
    EXPECT_TRUE(sheet.rowHidden(12));
    EXPECT_TRUE(sheet.rowHidden(69));
    EXPECT_FALSE(sheet.rowHidden(71));
    EXPECT_EQ(bases.prompter().statuses(),
        (QStringList {QStringLiteral("Загрузка шаблона..."), QStringLiteral("Проверка шаблона..."),
            QStringLiteral("Шаблон проверен."), QStringLiteral("Заполнение шаблона..."),
            QStringLiteral("Журнал подготовлен.")}));
}

TEST_F(JournalPrinting, AUsersTemplateIsFilledWhereItsNamesPoint)
{
    ASSERT_TRUE(created);
    QDir().mkpath(templates);
    makeOwnTemplate(templates + QStringLiteral("/jur_h.xlsx"), 13);
    const qint64 fridge = subject(fridges, QStringLiteral("Камера"), QStringLiteral("Кладовая"));
    const JournalMonth april {2026, 4};
    ASSERT_TRUE(fridges.writeCell(fridge, april.day(30), QStringLiteral("+4")).ok());
    const auto done = print(fridges, april, QStringLiteral("fridges.xlsx"));
    ASSERT_TRUE(done.ok()) << done.error().toStdString();
    const test::Sheet sheet = test::readSheet(done->path);
    EXPECT_EQ(sheet.cell(QStringLiteral("A1")).toString(), QStringLiteral("Журнал нашей кухни"));
    EXPECT_EQ(sheet.cell(QStringLiteral("D2")).toString(), QStringLiteral("Апрель 2026"));
    EXPECT_EQ(sheet.cell(QStringLiteral("D6")).toString(), QStringLiteral("Камера"));
    EXPECT_EQ(sheet.cell(QStringLiteral("E6")).toString(), QStringLiteral("Кладовая"));
    EXPECT_EQ(sheet.cell(QStringLiteral("AI6")).toString(), QStringLiteral("+4")); // column 5 + 30
    EXPECT_TRUE(sheet.colHidden(5 + 31)); // April has no 31st
    EXPECT_TRUE(sheet.rowHidden(7));
    EXPECT_TRUE(sheet.rowHidden(13));
    EXPECT_FALSE(sheet.rowHidden(14));
}

TEST_F(JournalPrinting, AnEmptyJournalOrATooShortTemplateIsRefusedAndNothingSaved)
{
    ASSERT_TRUE(created);
    const JournalMonth may {2026, 5};
    const auto empty = print(fridges, may, QStringLiteral("empty.xlsx"));
    EXPECT_EQ(empty.error(), QStringLiteral("Журнал не заполнен"));
    EXPECT_FALSE(QFileInfo::exists(out(QStringLiteral("empty.xlsx"))));

    QDir().mkpath(templates);
    makeOwnTemplate(templates + QStringLiteral("/jur_h.xlsx"), 6); // room for one line
    subject(fridges, QStringLiteral("Шкаф 1"));
    subject(fridges, QStringLiteral("Шкаф 2"));
    const auto tooMany = print(fridges, may, QStringLiteral("short.xlsx"));
    ASSERT_FALSE(tooMany.ok());
    EXPECT_TRUE(tooMany.error().contains(QStringLiteral("Необходимо расширить возможности шаблонов")));
    EXPECT_FALSE(QFileInfo::exists(out(QStringLiteral("short.xlsx"))));
}
