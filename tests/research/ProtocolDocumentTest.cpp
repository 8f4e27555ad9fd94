#include "research/Laboratory.h"

#include "common/ScriptedPrompter.h"
#include "research/ProtocolDocument.h"
#include "research/ProtocolGrid.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::Laboratory;

namespace {

// The first sheet as openpyxl reads it (tests/documents/xlsx_tool.py).
QJsonObject readBack(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
        {QStringLiteral(KULVERA_DOCUMENT_TESTS_DIR "/xlsx_tool.py"), QStringLiteral("dump"), path});
    p.waitForFinished(180000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

} // namespace

TEST(ProtocolDocument, APrintedProtocolReadsBackWithItsGridAndProblems)
{
    Laboratory lab;
    Protocol p;
    p.number = QStringLiteral("7");
    p.date = QDate(2026, 12, 4);
    p.dish = QStringLiteral("Плов из курицы");
    p.output = QStringLiteral("220");
    p.note = QStringLiteral("проба с раздачи");
    addMethods(p, lab.catalog, {Laboratory::Dry, Laboratory::Fat});
    lab.measure(p);
    Laboratory::dishOf(p);
    p.values[lab.a].second.clear();

    QTemporaryDir dir;
    const QString templates = dir.filePath(QStringLiteral("Шаблоны"));
    const QString out = dir.filePath(protocolFileName(p));
    EXPECT_EQ(QFileInfo(out).fileName(), QStringLiteral("Протокол 7 от 04.12.2026.xlsx"));
    ScriptedPrompter prompter;
    const Result<ListOutcome> made = printProtocol(p, p.calculate(), templates, out, prompter);
    ASSERT_TRUE(made) << made.error().toStdString();
    EXPECT_EQ(made->errors, 0);
    EXPECT_EQ(made->rows, 7);
    // The default template was made in the templates folder.
    EXPECT_TRUE(QFileInfo::exists(QDir(templates).filePath(kProtocolTemplateFile.toString())));

    const QJsonObject sheet = readBack(out);
    const QJsonObject cells = sheet[QStringLiteral("cells")].toObject();
    const auto text = [&](const char *a) { return cells[QLatin1String(a)].toString(); };
    const auto number = [&](const char *a) { return cells[QLatin1String(a)].toDouble(); };
    EXPECT_EQ(text("A1"), QStringLiteral("Протокол лабораторных испытаний"));
    EXPECT_EQ(text("A2"), QStringLiteral("№ 7 от 04.12.2026"));
    EXPECT_EQ(text("A3"), QStringLiteral("Изделие: Плов из курицы, выход 220 г"));
    EXPECT_EQ(text("A4"), QStringLiteral("проба с раздачи"));
    for (int c = 0; c < ProtocolColumnCount; ++c) {
        const QString address = QChar(u'A' + c) + QStringLiteral("5");
        EXPECT_EQ(cells[address].toString(), protocolColumnCaption(c)) << address.toStdString();
    }
    EXPECT_EQ(text("B5"), QStringLiteral("Опыт 1"));
    EXPECT_EQ(text("K5"), QStringLiteral("Отклонение, %"));
    // The dry substances: numbers with three decimals, the deviation as the program shows it.
    EXPECT_EQ(text("A6"), QStringLiteral("Сухие вещества"));
    EXPECT_DOUBLE_EQ(number("B6"), 32.0);
    EXPECT_DOUBLE_EQ(number("D6"), 32.5);
    EXPECT_DOUBLE_EQ(number("J6"), 30.0);
    EXPECT_EQ(text("K6"), QStringLiteral("8,333%"));
    EXPECT_EQ(text("L6"), QStringLiteral("%"));
    EXPECT_EQ(text("M6"), QStringLiteral("ГОСТ Р 54607.2"));
    EXPECT_EQ(sheet[QStringLiteral("formats")][QStringLiteral("D6")].toString(), QStringLiteral("0.000"));
    EXPECT_TRUE(sheet[QStringLiteral("bold")].toArray().contains(QStringLiteral("A6")));
    EXPECT_FALSE(sheet[QStringLiteral("bold")].toArray().contains(QStringLiteral("A7")));
    // Its parameters follow, with the values as measured.
    EXPECT_EQ(text("A7"), QStringLiteral("Масса бюксы (m0)"));
    EXPECT_DOUBLE_EQ(number("C9"), 19.65);
    EXPECT_EQ(text("L9"), QStringLiteral("г"));
    // The fat lacks a value: its line says why across its result columns.
    EXPECT_EQ(text("A10"), QStringLiteral("Жир по Герберу"));
    EXPECT_EQ(text("B10"), QStringLiteral("Не указано значение второго опыта для показателя 'Показание жиромера'"));
    EXPECT_TRUE(sheet[QStringLiteral("merged")].toArray().contains(QStringLiteral("B10:I10")));
    EXPECT_DOUBLE_EQ(number("J10"), 6.0);
    EXPECT_FALSE(cells.contains(QStringLiteral("A13")));
    EXPECT_TRUE(sheet[QStringLiteral("framed")].toArray().contains(QStringLiteral("M12")));
}

TEST(ProtocolDocument, AUsersTemplateDecidesWhereTheGridGoes)
{
    Laboratory lab;
    Protocol p;
    p.date = QDate(2026, 12, 4);
    p.dish = QStringLiteral("Плов");
    addMethods(p, lab.catalog, {Laboratory::Dry});
    lab.measure(p);

    QTemporaryDir dir;
    const QString templates = dir.filePath(QStringLiteral("t"));
    QDir().mkpath(templates);
    // The laboratory's own template: the grid starts at B20, the header lines elsewhere.
    XlsxWorkbook own = protocolTemplate();
    own.defineName(QStringLiteral("Старт"), QStringLiteral("'Протокол'!$B$20"));
    own.defineName(QStringLiteral("Изделие"), QStringLiteral("'Протокол'!$D$2"));
    ASSERT_TRUE(own.save(QDir(templates).filePath(kProtocolTemplateFile.toString())));

    ScriptedPrompter prompter;
    const QString out = dir.filePath(QStringLiteral("p.xlsx"));
    ASSERT_TRUE(printProtocol(p, p.calculate(), templates, out, prompter));
    const QJsonObject cells = readBack(out)[QStringLiteral("cells")].toObject();
    EXPECT_EQ(cells[QStringLiteral("D2")].toString(), QStringLiteral("Изделие: Плов"));
    EXPECT_EQ(cells[QStringLiteral("B20")].toString(), QStringLiteral("Сухие вещества"));
    EXPECT_EQ(cells[QStringLiteral("E20")].toDouble(), 32.5);
    EXPECT_FALSE(cells.contains(QStringLiteral("A6")));
    // An unsaved protocol has no number yet.
    EXPECT_EQ(cells[QStringLiteral("A2")].toString(), QStringLiteral("№  от 04.12.2026"));

    // A name pointing off the sheet is refused and nothing is written.
    own.defineName(QStringLiteral("Старт"), QStringLiteral("'Протокол'!$A:$A"));
    ASSERT_TRUE(own.save(QDir(templates).filePath(kProtocolTemplateFile.toString())));
    const QString refused = dir.filePath(QStringLiteral("q.xlsx"));
    EXPECT_FALSE(printProtocol(p, p.calculate(), templates, refused, prompter));
    EXPECT_FALSE(QFileInfo::exists(refused));
}
