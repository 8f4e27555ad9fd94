#include "journals/RejectionFixture.h"

#include "documents/DocumentTestSupport.h"
#include "journals/RejectionDocument.h"
#include "journals/RejectionMenus.h"

#include <QFileInfo>

namespace kulvera::test {
namespace {

struct RejectionPrint : RejectionFixture {
    QString folder = QDir(t.root()).filePath(QStringLiteral("templates"));
    QString out(const QString &name) const { return QDir(t.root()).filePath(name); }

    std::vector<RejectionEntry> threeDishes()
    {
        EXPECT_TRUE(journal.add(day, QString(), QStringLiteral("Борщ")));
        const qint64 id = journal.add(day, QString(), QStringLiteral("Компот")).value();
        EXPECT_TRUE(journal.edit(id, RejectionField::TimeMade, QStringLiteral("8:05")));
        EXPECT_TRUE(journal.edit(id, RejectionField::Notes, QStringLiteral("тёплый")));
        journal.add(day, QString(), QStringLiteral("Каша"));
        return journal.entries(day, QString()).value();
    }
};

TEST(RejectionPrint, OurTemplateIsMadeAndFilledAndTheSignaturesFollowTheTable)
{
    RejectionPrint f;
    f.t.settings().save(Section::User, QStringLiteral("Name_POP"), QStringLiteral("Школа № 5"));
    f.t.settings().save(Section::Data, QStringLiteral("sRejComission"), QStringLiteral("Иванова, Петров"));
    const auto printed = printRejectionJournal(f.threeDishes(), QStringLiteral("02.03.2026"), f.folder, f.t.settings(),
        f.out(QStringLiteral("j.xlsx")), f.t.prompter());
    ASSERT_TRUE(printed) << printed.error().toStdString();
    EXPECT_TRUE(QFileInfo::exists(QDir(f.folder).filePath(QStringLiteral("rejec.xlsx"))));
    EXPECT_EQ(printed->rows, 3);
    EXPECT_EQ(f.t.prompter().statuses().last(), kRejectionPrinted);

    const Sheet s = readSheet(printed->path);
    EXPECT_EQ(s.cell(QStringLiteral("B2")).toString(), u"Школа № 5");
    EXPECT_EQ(s.cell(QStringLiteral("B3")).toString(), u"02.03.2026");
    EXPECT_EQ(s.cell(QStringLiteral("B4")).toString(), u"Иванова, Петров");
    EXPECT_EQ(s.cell(QStringLiteral("A7")).toString(), u"02.03.2026\n10:00");
    EXPECT_EQ(s.cell(QStringLiteral("A8")).toString(), u"02.03.2026\n08:05");
    EXPECT_EQ(s.cell(QStringLiteral("B7")).toString(), u"10:00");
    EXPECT_EQ(s.cell(QStringLiteral("C8")).toString(), u"Компот");
    EXPECT_EQ(s.cell(QStringLiteral("D9")).toString(), u"соответствует");
    EXPECT_EQ(s.cell(QStringLiteral("E9")).toString(), u"допускается к реализации");
    EXPECT_EQ(s.cell(QStringLiteral("F8")).toString(), u"тёплый");
    EXPECT_TRUE(s.framed(QStringLiteral("F9")));
    // Three rows push the block from row 9 to row 11, one blank row after the table.
    EXPECT_TRUE(s.cell(QStringLiteral("A10")).isUndefined());
    EXPECT_EQ(s.cell(QStringLiteral("A11")).toString(), u"Подписи членов бракеражной комиссии:");
    EXPECT_TRUE(s.cell(QStringLiteral("A13")).toString().startsWith(u"____"));
}

TEST(RejectionPrint, EmptyJournalMissingTemplateAndMissingCellAreRefused)
{
    RejectionPrint f;
    const QString target = f.out(QStringLiteral("j.xlsx"));
    EXPECT_EQ(printRejectionJournal({}, {}, f.folder, f.t.settings(), target, f.t.prompter()).error(), kRejectionEmpty);

    const std::vector<RejectionEntry> entries = f.threeDishes();
    f.t.settings().save(Section::Documents, QStringLiteral("sRejTempl"), QStringLiteral("свой.xlsx"));
    EXPECT_EQ(printRejectionJournal(entries, {}, f.folder, f.t.settings(), target, f.t.prompter()).error(),
        kRejectionTemplateMissing);
    EXPECT_FALSE(QFileInfo::exists(target));

    // A user's template (written by openpyxl) whose "Орг" name is gone.
    QDir().mkpath(f.folder);
    const QString made = QDir(f.folder).filePath(QStringLiteral("made.xlsx"));
    ASSERT_TRUE(rejectionTemplate().save(made));
    QProcess tool;
    tool.start(QStringLiteral("/usr/bin/python3"),
        {QStringLiteral(KULVERA_DOCUMENT_TESTS_DIR "/../journals/journal_template_tool.py"),
            QStringLiteral("drop-name"), made, QDir(f.folder).filePath(QStringLiteral("свой.xlsx")),
            QStringLiteral("Орг")});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const auto refused = printRejectionJournal(entries, {}, f.folder, f.t.settings(), target, f.t.prompter());
    EXPECT_EQ(refused.error(), u"Шаблон не совместим с текущей версией программы. Не найдена ячейка 'Орг'");
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_TRUE(f.t.prompter().texts().contains(refused.error()));
}

TEST(RejectionPrint, SummaryJournalTakesKeptRowsOrTheMenuAndRefusesBadChoices)
{
    RejectionPrint f;
    const QString target = f.out(QStringLiteral("s.xlsx"));
    const auto refusal = [&](const QStringList &days) {
        return produceSummaryRejection(
            f.base, f.journal, days, QString(), f.folder, f.t.settings(), target, f.t.prompter())
            .error();
    };
    EXPECT_EQ(refusal({QStringLiteral("02.03.2026")}), kSummaryRejectionNoMenus);
    ASSERT_TRUE(f.base.save(f.lunch(QString())));
    ASSERT_TRUE(f.base.save(f.lunch(QString(), QDate(2026, 3, 3))));
    EXPECT_EQ(refusal({}), kSummaryRejectionNoDates);
    EXPECT_EQ(refusal({QStringLiteral("02.03.2026"), QStringLiteral("3 марта")}), u"Не является датой: 3 марта");
    EXPECT_FALSE(QFileInfo::exists(target));

    // The 2nd has its own journal (one dish kept); the 3rd only its menu.
    ASSERT_TRUE(f.journal.add(QDate(2026, 3, 2), QString(), QStringLiteral("Чай")));
    const auto printed
        = produceSummaryRejection(f.base, f.journal, {QStringLiteral("03.03.2026"), QStringLiteral("02.03.2026")},
            QString(), f.folder, f.t.settings(), target, f.t.prompter());
    ASSERT_TRUE(printed) << printed.error().toStdString();
    EXPECT_EQ(f.t.prompter().statuses().last(), kSummaryRejectionDone);
    EXPECT_EQ(f.journalRows(), 1) << "the summary writes nothing";
    const Sheet s = readSheet(target);
    EXPECT_EQ(s.cell(QStringLiteral("B3")).toString(), u"02.03.2026, 03.03.2026");
    EXPECT_EQ(s.cell(QStringLiteral("C7")).toString(), u"Чай");
    EXPECT_EQ(s.cell(QStringLiteral("C8")).toString(), u"Борщ");
    EXPECT_EQ(s.cell(QStringLiteral("A8")).toString(), u"03.03.2026\n10:00");
    EXPECT_EQ(s.cell(QStringLiteral("C9")).toString(), u"Компот");
    EXPECT_TRUE(s.cell(QStringLiteral("C10")).isUndefined());
}

} // namespace
} // namespace kulvera::test
