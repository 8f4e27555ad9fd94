#include "DocumentTestSupport.h"

#include "documents/CardDocument.h"
#include "documents/DefaultTemplates.h"
#include "documents/XlsxWorkbook.h"
#include "recipes/HeatTreatment.h"
#include "support/TempSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <zip.h>

using namespace kulvera;
using namespace kulvera::test;

namespace {

// The parts of a zip file, read with libzip directly.
std::map<QString, QByteArray> zipParts(const QString &path)
{
    std::map<QString, QByteArray> parts;
    int error = 0;
    zip_t *z = zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY, &error);
    if (!z)
        return parts;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st);
        QByteArray data(static_cast<qsizetype>(st.size), Qt::Uninitialized);
        zip_file_t *f = zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0);
        zip_fread(f, data.data(), st.size);
        zip_fclose(f);
        parts[QString::fromUtf8(st.name)] = data;
    }
    zip_close(z);
    return parts;
}

TEST(XlsxWorkbook, WritesValuesLooksRowsColumnsAndNamesThatAnotherReaderSees)
{
    QTemporaryDir dir;
    XlsxWorkbook book = XlsxWorkbook::blank(QStringLiteral("Лист 1"));
    ASSERT_TRUE(book.setText(1, 1, QStringLiteral("Общий")).ok());
    ASSERT_TRUE(book.setText(2, 1, QStringLiteral("  с пробелами  ")).ok());
    ASSERT_TRUE(book.setNumber(3, 2, 12.345).ok());
    CellLook look;
    look.numberFormat = QStringLiteral("0.000");
    look.bold = true;
    look.fontName = QStringLiteral("Times New Roman");
    look.thinBorder = true;
    ASSERT_TRUE(book.setLook(3, 2, look).ok());
    book.setInlineStrings(true);
    ASSERT_TRUE(book.setText(4, 3, QStringLiteral("Встроенная")).ok());
    ASSERT_TRUE(book.setRowHidden(5).ok());
    ASSERT_TRUE(book.setRowHeight(6, 33).ok());
    ASSERT_TRUE(book.setColumnWidth(4, 20).ok());
    ASSERT_TRUE(book.setColumnHidden(4).ok());
    ASSERT_TRUE(book.mergeCells({7, 1}, {7, 3}).ok());
    book.defineName(QStringLiteral("Общее"), QStringLiteral("'Лист 1'!$A$1"));
    book.defineName(QStringLiteral("Местное"), QStringLiteral("'Лист 1'!$B$3"), true);
    EXPECT_FALSE(book.setText(0, 1, QStringLiteral("x")).ok());
    EXPECT_FALSE(book.setNumber(1, 1, std::nan("")).ok());
    const QString path = dir.filePath(QStringLiteral("b.xlsx"));
    ASSERT_TRUE(book.save(path).ok());

    const Sheet s = readSheet(path);
    EXPECT_EQ(s.cell(QStringLiteral("A1")).toString(), QStringLiteral("Общий"));
    EXPECT_EQ(s.cell(QStringLiteral("A2")).toString(), QStringLiteral("  с пробелами  "));
    EXPECT_DOUBLE_EQ(s.cell(QStringLiteral("B3")).toDouble(), 12.345);
    EXPECT_EQ(s.format(QStringLiteral("B3")), QStringLiteral("0.000"));
    EXPECT_TRUE(s.bold(QStringLiteral("B3")));
    EXPECT_TRUE(s.framed(QStringLiteral("B3")));
    EXPECT_FALSE(s.bold(QStringLiteral("A1")));
    EXPECT_EQ(s.cell(QStringLiteral("C4")).toString(), QStringLiteral("Встроенная"));
    EXPECT_TRUE(s.rowHidden(5));
    EXPECT_DOUBLE_EQ(s.height(6), 33);
    EXPECT_TRUE(s.colHidden(4));
    EXPECT_TRUE(s.json[QStringLiteral("merged")].toArray().contains(QStringLiteral("A7:C7")));
    EXPECT_EQ(s.name(QStringLiteral("Общее")), QStringLiteral("'Лист 1'!$A$1"));

    // Read back: the sheet-scoped name wins, whole rows and columns parse.
    Result<XlsxWorkbook> again = XlsxWorkbook::open(path);
    ASSERT_TRUE(again.ok());
    again.value().defineName(QStringLiteral("Общее"), QStringLiteral("'Лист 1'!$C$4"), true);
    again.value().defineName(QStringLiteral("Ряды"), QStringLiteral("'Лист 1'!$14:$65"));
    EXPECT_EQ(again->range(QStringLiteral("Общее"))->first, (CellRef {4, 3}));
    EXPECT_TRUE(again->range(QStringLiteral("Ряды"))->wholeRows);
    EXPECT_EQ(again->range(QStringLiteral("Ряды"))->last.row, 65);
    EXPECT_EQ(again->text(4, 3), QStringLiteral("Встроенная"));
    EXPECT_EQ(again->number(3, 2), 12.345);
}

TEST(XlsxWorkbook, HidingOneColumnOfASpanKeepsTheOthers)
{
    QTemporaryDir dir;
    XlsxWorkbook book = XlsxWorkbook::blank(QStringLiteral("S"));
    // One <col> element for B..F, as Excel writes equal columns.
    for (int c = 2; c <= 6; ++c)
        book.setColumnWidth(c, 15);
    ASSERT_TRUE(book.setColumnHidden(4).ok());
    const QString path = dir.filePath(QStringLiteral("c.xlsx"));
    ASSERT_TRUE(book.save(path).ok());
    const Sheet s = readSheet(path);
    EXPECT_TRUE(s.colHidden(4));
    EXPECT_FALSE(s.colHidden(3));
    EXPECT_FALSE(s.colHidden(5));
}

TEST(XlsxWorkbook, UserEditedTemplateKeepsItsSheetPictureAndPrintSettings)
{
    QTemporaryDir dir;
    TempSettings settings;
    const QString templates = dir.filePath(QStringLiteral("t"));
    ASSERT_TRUE(createMissingTemplates(templates, settings.store()).ok());
    const QString edited = dir.filePath(QStringLiteral("edited.xlsx"));
    runTool({QStringLiteral("user-edit"), QDir(templates).filePath(QStringLiteral("TTK.xlsx")), edited});

    CardRequest request;
    request.templateFile = edited;
    request.outputPath = dir.filePath(QStringLiteral("out.xlsx"));
    colBludo slot;
    fillProducts(slot, 4);
    HeatTreatmentTables losses;
    ScriptedPrompter prompter;
    ASSERT_TRUE(produceCard(
        slot, QStringLiteral("Блюдо"), QStringLiteral("40"), request, losses, nullptr, settings.store(), prompter)
                    .ok());

    const auto before = zipParts(edited);
    const auto after = zipParts(request.outputPath);
    ASSERT_TRUE(before.count(QStringLiteral("xl/media/image1.png")));
    for (const char *part : {"xl/worksheets/sheet2.xml", "xl/media/image1.png", "xl/drawings/drawing1.xml",
             "xl/drawings/_rels/drawing1.xml.rels", "xl/worksheets/_rels/sheet1.xml.rels",
             "xl/printerSettings/printerSettings1.bin", "xl/theme/theme1.xml", "docProps/core.xml"}) {
        const QString name = QString::fromLatin1(part);
        ASSERT_TRUE(after.count(name)) << part;
        EXPECT_EQ(after.at(name), before.at(name)) << part << " changed";
    }
    const Sheet s = readSheet(request.outputPath);
    EXPECT_EQ(s.json[QStringLiteral("sheets")].toArray().size(), 2);
    EXPECT_EQ(s.json[QStringLiteral("sheets")][1].toString(), QStringLiteral("Заметки"));
    EXPECT_EQ(s.json[QStringLiteral("orientation")].toString(), QStringLiteral("landscape"));
    EXPECT_EQ(s.cell(QStringLiteral("C14")).toString(), QStringLiteral("Продукт 1"));
    // The drawing reference stays in the filled sheet.
    EXPECT_TRUE(after.at(QStringLiteral("xl/worksheets/sheet1.xml")).contains("<drawing r:id=\"rIdPic\"/>"));
}

class BadTemplate : public ::testing::TestWithParam<const char *>
{
};

TEST_P(BadTemplate, IsRefusedWithAMessageAndTheUsersFileStaysAsItWas)
{
    QTemporaryDir dir;
    TempSettings settings;
    const QString bad = dir.filePath(QStringLiteral("bad.xlsx"));
    runTool({QStringLiteral("broken"), QString::fromLatin1(GetParam()), bad});
    CardRequest request;
    request.templateFile = bad;
    request.outputPath = dir.filePath(QStringLiteral("user.xlsx"));
    QFile user(request.outputPath);
    ASSERT_TRUE(user.open(QIODevice::WriteOnly));
    user.write("the user's own file");
    user.close();
    colBludo slot;
    fillProducts(slot, 3);
    HeatTreatmentTables losses;
    ScriptedPrompter prompter;
    const auto result = produceCard(
        slot, QStringLiteral("Блюдо"), QStringLiteral("30"), request, losses, nullptr, settings.store(), prompter);
    ASSERT_FALSE(result.ok());
    EXPECT_FALSE(result.error().isEmpty());
    EXPECT_EQ(fileBytes(request.outputPath), QByteArray("the user's own file"));
}

INSTANTIATE_TEST_SUITE_P(
    Templates, BadTemplate, ::testing::Values("not-zip", "no-sheet", "bad-xml", "huge", "ref-name"));

TEST(XlsxWorkbook, BadTemplateMessagesSayWhatIsWrong)
{
    QTemporaryDir dir;
    auto error = [&](const char *kind) {
        const QString bad = dir.filePath(QString::fromLatin1(kind) + QStringLiteral(".xlsx"));
        runTool({QStringLiteral("broken"), QString::fromLatin1(kind), bad});
        const Result<XlsxWorkbook> book = XlsxWorkbook::open(bad);
        if (!book.ok())
            return book.error();
        const Result<CellRange> r = book->range(QStringLiteral("Рец_Сырье"));
        return r.ok() ? QString() : r.error();
    };
    EXPECT_TRUE(error("not-zip").startsWith(QStringLiteral("Файл не является книгой Excel (не zip-архив)")));
    EXPECT_TRUE(error("no-sheet").startsWith(QStringLiteral("В книге нет листа")));
    EXPECT_TRUE(error("bad-xml").startsWith(QStringLiteral("Ошибка XML в части xl/worksheets/sheet1.xml")));
    EXPECT_TRUE(error("huge").startsWith(QStringLiteral("Часть книги слишком велика: xl/worksheets/sheet1.xml")));
    EXPECT_TRUE(error("ref-name").contains(QStringLiteral("указывает на несуществующую ячейку")));
}

TEST(XlsxWorkbook, TheProducedCardOpensInLibreOffice)
{
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed: the open test is skipped";
    QTemporaryDir dir;
    TempSettings settings;
    const QString templates = dir.filePath(QStringLiteral("t"));
    ASSERT_TRUE(createMissingTemplates(templates, settings.store()).ok());
    CardRequest request;
    request.templatesFolder = templates;
    request.outputPath = dir.filePath(QStringLiteral("card.xlsx"));
    colBludo slot;
    fillProducts(slot, 5);
    HeatTreatmentTables losses;
    ScriptedPrompter prompter;
    ASSERT_TRUE(produceCard(
        slot, QStringLiteral("Блюдо"), QStringLiteral("50"), request, losses, nullptr, settings.store(), prompter)
                    .ok());
    QProcess p;
    p.start(office,
        {QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
            QStringLiteral("--headless"), QStringLiteral("--convert-to"),
            QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), QStringLiteral("--outdir"), dir.path(),
            request.outputPath});
    ASSERT_TRUE(p.waitForFinished(180000));
    const QByteArray csv = fileBytes(dir.filePath(QStringLiteral("card.csv")));
    EXPECT_TRUE(QString::fromUtf8(csv).contains(QStringLiteral("Продукт 5"))) << csv.left(300).toStdString();
}

} // namespace
