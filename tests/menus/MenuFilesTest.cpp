#include "MenuFileTestSupport.h"
#include "MenuTestSupport.h"

#include "common/Clock.h"
#include "menus/MenuBinaryFile.h"
#include "menus/MenuDateList.h"
#include "menus/MenuExportFile.h"
#include "menus/RationFile.h"
#include "menus/SqlMenuFile.h"
#include "menus/StringScrambler.h"
#include "recipes/HeatTreatment.h"
#include "shell/BaseCopy.h"
#include "shell/INI_Work.h"
#include "shell/SqlDialect.h"

#include <QFileInfo>

using namespace kulvera;
using namespace kulvera::test;

namespace {

const QString kSalad = QStringLiteral("Салат 'Весна'");

struct FilesFixture : MenuFixture {
    HeatTreatmentTables losses;
    FixedClock clock {QDateTime(QDate(2026, 3, 1), QTime(10, 15))};
    RecipeFileContext context {t.prompter(), losses, clock, nullptr, {}};

    FilesFixture()
    {
        SaveOptions silent;
        silent.silent = true;
        colBludo salad = compote();
        salad.item(1)->clsProds().FullName = QStringLiteral("Огурцы 'грунтовые'");
        EXPECT_TRUE(dishBase.save(salad, table, kSalad, silent));
    }
    QString file(const QString &name) const { return QDir(t.root()).filePath(name); }

    // The menu base file as it is on the disk, everything written back into it.
    QByteArray baseBytes()
    {
        if (test::testOnServer()) {
            // A base on the server has no file: the row count and checksum of every table stand for it.
            QByteArray all;
            for (const QString &name : SqlDialect::of(db()).tables(db())) {
                const auto check = checkTable(db(), name);
                EXPECT_TRUE(check.ok()) << check.error().toStdString();
                if (check)
                    all += name.toUtf8() + ' ' + QByteArray::number(check->rows) + ' ' + check->checksum.toLatin1()
                        + '\n';
            }
            return all;
        }
        EXPECT_TRUE(execSql(db(), QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")));
        return readBytes(db().databaseName());
    }
    // Rations of two days and two groups, the salad among the dishes.
    void planTwoDays()
    {
        Ration a = lunch(QString());
        ASSERT_TRUE(editing.addDish(a, QStringLiteral("Ужин"), dishBase, table, kSalad, QStringLiteral("150")));
        a.setNormCode(QStringLiteral("2"));
        ASSERT_TRUE(base.save(a));
        ASSERT_TRUE(base.save(lunch(QStringLiteral("Ясли"))));
        ASSERT_TRUE(base.save(lunch(QString(), day.addDays(1))));
    }
};

int written(const Result<int> &r, int otherwise)
{
    return r ? r.value() : otherwise;
}

// Meals, dish names, outputs and every position's masses, in order.
std::string shape(const Ration &r)
{
    QStringList out;
    out << r.normCode();
    for (int m = 1; m <= r.mealCount(); ++m) {
        out << QStringLiteral("meal ") + r.mealName(m);
        for (int e = 1; e <= r.meal(m)->Count(); ++e) {
            const int n = r.dishAt(m, e);
            out << r.dishName(n) + u'|' + r.dishOutput(n);
            for (const clsBludo &b : *r.dish(n)) {
                const clsProds &p = b.clsProds();
                // (a sectioned text keeps no blanks at the ends of a value)
                out << p.Kod.toString() + u'|' + p.FullName.trimmed() + u'|' + QString::number(p.Brutto) + u'|'
                        + QString::number(p.Netto) + u'|' + QString::number(p.Bel);
            }
        }
    }
    return out.join(u'\n').toStdString();
}

} // namespace

TEST(StringScrambler, KeysFollowTheLengthAndTheRulesAboveAndBelow)
{
    EXPECT_EQ(scrambleKey(3, 1), 2);
    EXPECT_EQ(scrambleKey(3, 2), 3);
    EXPECT_EQ(scrambleKey(3, 3), 4);
    // floor(sqrt(70000)) = 264: every key is above 255.
    for (qsizetype i = 1; i <= 70000; i += 997) {
        EXPECT_EQ(scrambleKey(70000, i), i % 2 ? 12 : 107) << i;
        EXPECT_EQ(scrambleKey(70000, i + 1), (i + 1) % 2 ? 12 : 107);
    }
    // 65,024 bytes: root 254, so positions 1 and 2 keep 255 and 256 -> 107.
    EXPECT_EQ(scrambleKey(65024, 1), 255);
    EXPECT_EQ(scrambleKey(65024, 2), 107);

    // "абв" in code page 1251 is E0 E1 E2; keys 2, 3, 4.
    EXPECT_EQ(scrambleText(u"абв"), QByteArray("\xE2\xE2\xE6", 3));
    const QByteArray long70k = scrambleBytes(QByteArray(70000, 'A'));
    EXPECT_EQ(static_cast<unsigned char>(long70k[0]), 'A' ^ 12);
    EXPECT_EQ(static_cast<unsigned char>(long70k[1]), 'A' ^ 107);
    EXPECT_EQ(static_cast<unsigned char>(long70k[69999]), 'A' ^ 107);
}

TEST(StringScrambler, ScramblingTwiceGivesTheStringBack)
{
    QByteArray every;
    for (int b = 0; b < 256; ++b)
        every += static_cast<char>(b);
    for (const qsizetype n : {0, 1, 2, 3, 255, 256, 65025, 65026, 70000}) {
        QByteArray bytes;
        while (bytes.size() < n)
            bytes += every;
        bytes.truncate(n);
        EXPECT_EQ(scrambleBytes(scrambleBytes(bytes)), bytes) << n;
        EXPECT_EQ(scrambleBytes(bytes), handScrambled(bytes)) << n;
    }
    EXPECT_EQ(unscrambleText(scrambleText(kSalad)), kSalad);
    EXPECT_NE(scrambleText(kSalad), cp1251(kSalad));
}

TEST(MenuBinaryFile, LengthsBeyondTheBytesLeftAreRefusedWithoutAllocating)
{
    const QByteArray huge = le32(0x7FFFFFFF) + QByteArray("abc");
    MenuFileReader a(huge);
    EXPECT_FALSE(a.bytes());
    const QByteArray negative = le32(-5) + QByteArray("abcdef");
    MenuFileReader b(negative);
    EXPECT_FALSE(b.bytes());
    const QByteArray exact = le32(3) + QByteArray("abc");
    MenuFileReader c(exact);
    EXPECT_EQ(c.bytes().value_or(QByteArray()), QByteArray("abc"));
    EXPECT_TRUE(c.atEnd());
    const QByteArray cut("\x03\x00", 2);
    MenuFileReader d(cut);
    EXPECT_FALSE(d.number());
}

TEST(MenuDateList, CommasAndBlanksSplitTheDatesAndAWrongPartIsNamed)
{
    const auto two = parseMenuDateList(QStringLiteral("02.03.2026, 03.03.2026"));
    ASSERT_TRUE(two) << two.error().toStdString();
    ASSERT_EQ(two->size(), 2u);
    EXPECT_EQ(two.value()[1], QDate(2026, 3, 3));
    EXPECT_EQ(menuDateListText(two.value()), u"02.03.2026,03.03.2026");
    EXPECT_EQ(parseMenuDateList(QStringLiteral(" 2.3.2026 "))->size(), 1u);
    const auto wrong = parseMenuDateList(QStringLiteral("02.03.2026, 3.13.2026"));
    ASSERT_FALSE(wrong);
    EXPECT_EQ(wrong.error(), u"Не удалось распознать дату - '3.13.2026'");
    EXPECT_FALSE(parseMenuDateList(QString()));
}

TEST(SqlMenuFile, WritesTheLayoutByteForByte)
{
    FilesFixture f;
    f.insertRow(QStringLiteral("02.03.2026"), QVariant(), kSalad, QStringLiteral("pro00000001"));
    const QString path = f.file(QStringLiteral("one.sql_menu"));
    ASSERT_EQ(written(saveSqlMenuFile(f.base, {f.day}, std::nullopt, path), -1), 1);

    QStringList columns {QStringLiteral("ID")};
    QStringList definitions {QStringLiteral("ID COUNTER PRIMARY KEY")};
    for (int n = 1; n <= 32; ++n) {
        const bool memo = (n >= 6 && n <= 12) || n == 23 || n == 30;
        columns << QStringLiteral("l%1").arg(n);
        definitions << QStringLiteral("l%1").arg(n) + (memo ? QStringLiteral(" MEMO") : QStringLiteral(" TEXT(255)"));
    }
    // The row of insertRow: l1, l2, l15, l17, l18, l26, l27; l28 NULL; l30 its default ''.
    QStringList values(33);
    values[0] = QStringLiteral("1");
    values[1] = QStringLiteral("'Салат ''Весна'''");
    values[2] = QStringLiteral("'200'");
    values[15] = QStringLiteral("'pro00000001'");
    values[17] = QStringLiteral("'10'");
    values[18] = QStringLiteral("'9'");
    values[26] = QStringLiteral("'02.03.2026'");
    values[27] = QStringLiteral("'Обед'");
    values[30] = QStringLiteral("''");
    const QString statement = QStringLiteral("INSERT INTO base_temp (") + columns.join(u',')
        + QStringLiteral(") values (") + values.join(u',') + u')';
    const QByteArray expected = sqlMenuBytes(QStringLiteral("base_temp"), columns.join(u','), definitions.join(u','),
        // The source named as its users know it: the base's file, or its schema on the server.
        {statement}, 1, test::testOnServer() ? QStringLiteral("menu") : QStringLiteral("Menu.db"));
    EXPECT_EQ(readBytes(path).toHex(), expected.toHex());
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Данные сохранены в ") + path));
}

TEST(SqlMenuFile, RoundTripBetweenTwoFreshInstallationsKeepsRationsAndQuotes)
{
    FilesFixture from;
    from.planTwoDays();
    FilesFixture to;
    ASSERT_NE(from.codec.key(), to.codec.key()) << "two installations encode differently";
    const QString path = from.file(QStringLiteral("week.sql_menu"));
    ASSERT_EQ(saveSqlMenuFile(from.base, {from.day, from.day.addDays(1)}, std::nullopt, path).ok(), true);

    const auto summary = loadSqlMenuFile(to.base, path);
    ASSERT_TRUE(summary) << summary.error().toStdString();
    EXPECT_EQ(summary->rations, 3);
    EXPECT_EQ(summary->added, 3);
    EXPECT_EQ(to.rows(), from.rows());
    for (const RationKey &key : {RationKey {from.day, QString()}, RationKey {from.day, QStringLiteral("Ясли")},
             RationKey {from.day.addDays(1), QString()}})
        EXPECT_EQ(shape(to.base.load(key).value()), shape(from.base.load(key).value()));
    EXPECT_NE(shape(to.base.load({from.day, {}}).value()).find(QString(kSalad + QStringLiteral("|150")).toStdString()),
        std::string::npos);
    EXPECT_TRUE(to.t.prompter().saw(QStringLiteral("Данные внесены в базу данных!")));

    // One group only.
    const QString nursery = from.file(QStringLiteral("nursery.sql_menu"));
    ASSERT_EQ(written(saveSqlMenuFile(from.base, {from.day}, QStringLiteral("Ясли"), nursery), 0),
        from.rows(QStringLiteral(" WHERE l28 = ?"), {from.codec.encode(QStringLiteral("Ясли"))}));
}

TEST(SqlMenuFile, AFileReadInTwoPartsLoadsAsInOneAndNamesAFaultByItsNumberInTheFile)
{
    FilesFixture from;
    from.planTwoDays();
    const QString path = from.file(QStringLiteral("week.sql_menu"));
    ASSERT_TRUE(saveSqlMenuFile(from.base, {from.day, from.day.addDays(1)}, std::nullopt, path));
    FilesFixture whole;
    ASSERT_TRUE(loadSqlMenuFile(whole.base, path));
    FilesFixture halves;
    const auto summary = loadSqlMenuFile(halves.base, path, {1});
    ASSERT_TRUE(summary) << summary.error().toStdString();
    // The split falls inside a ration: its rows from both halves are one ration.
    EXPECT_EQ(summary->rations, 3);
    EXPECT_EQ(halves.rows(), from.rows());
    for (const RationKey &key : {RationKey {from.day, QString()}, RationKey {from.day, QStringLiteral("Ясли")},
             RationKey {from.day.addDays(1), QString()}})
        EXPECT_EQ(shape(halves.base.load(key).value()), shape(whole.base.load(key).value()));

    const QStringList columns {QStringLiteral("ID"), QStringLiteral("l1"), QStringLiteral("l26")};
    const QString defs = QStringLiteral("ID COUNTER PRIMARY KEY,l1 TEXT(255),l26 TEXT(255)");
    QStringList statements;
    for (int i = 1; i <= 6; ++i)
        statements << QStringLiteral("INSERT INTO base_temp (ID,l1,l26) values (%1,'Каша','05.03.2026')").arg(i);
    statements[4] = QStringLiteral("DELETE FROM base_temp");
    const QString bad = from.file(QStringLiteral("bad.sql_menu"));
    ASSERT_TRUE(writeBytes(bad, sqlMenuBytes(QStringLiteral("base_temp"), columns.join(u','), defs, statements)));
    const int rows = halves.rows();
    const auto refused = loadSqlMenuFile(halves.base, bad, {1});
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.error().contains(QStringLiteral("Оператор 5 "))) << refused.error().toStdString();
    EXPECT_EQ(halves.rows(), rows);
}

TEST(SqlMenuFile, ARationAlreadyThereIsReplacedOrKeptAsAnswered)
{
    FilesFixture from;
    from.planTwoDays();
    const QString path = from.file(QStringLiteral("day.sql_menu"));
    ASSERT_TRUE(saveSqlMenuFile(from.base, {from.day}, QStringLiteral("Ясли"), path));

    FilesFixture to;
    Ration own(RationKey {to.day, QStringLiteral("Ясли")});
    ASSERT_TRUE(to.editing.addDish(own, QStringLiteral("Полдник"), to.dishBase, to.table, QStringLiteral("Борщ"), {}));
    ASSERT_TRUE(to.base.save(own));
    const std::string before = shape(to.base.load(own.key()).value());

    to.t.prompter().expect(QStringLiteral("уже есть рацион"), Prompter::Answer::No);
    auto kept = loadSqlMenuFile(to.base, path);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->kept, 1);
    EXPECT_EQ(shape(to.base.load(own.key()).value()), before);

    to.t.prompter().expect(QStringLiteral("уже есть рацион"), Prompter::Answer::Yes);
    auto replaced = loadSqlMenuFile(to.base, path);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->replaced, 1);
    EXPECT_EQ(shape(to.base.load(own.key()).value()), shape(from.base.load(own.key()).value()));
    EXPECT_TRUE(to.t.prompter().unexpected().isEmpty());

    // A locked day is not loaded, and not asked about.
    ASSERT_TRUE(to.locks.lock(to.day, QStringLiteral("Ясли")));
    auto locked = loadSqlMenuFile(to.base, path);
    ASSERT_TRUE(locked);
    EXPECT_EQ(locked->locked, 1);
    EXPECT_EQ(locked->rows, 0);
}

TEST(SqlMenuFile, HostileStatementsAreRefusedAndTheBaseStaysByteForByte)
{
    FilesFixture f;
    f.planTwoDays();
    QStringList columns {QStringLiteral("ID"), QStringLiteral("l1"), QStringLiteral("l26")};
    const QString head = QStringLiteral("INSERT INTO base_temp (ID,l1,l26) values (");
    const QString good = head + QStringLiteral("7,'Каша','05.03.2026')");
    const QString defs = QStringLiteral("ID COUNTER PRIMARY KEY,l1 TEXT(255),l26 TEXT(255)");
    const struct {
        const char *what;
        QStringList statements;
        QString table = QStringLiteral("base_temp");
    } cases[] = {
        {"drop", {good, QStringLiteral("DROP TABLE base_temp")}},
        {"update", {QStringLiteral("UPDATE base_temp SET l1 = 'x'")}},
        {"second table", {good, QStringLiteral("INSERT INTO groups (ID,l1,l26) values (1,'a','05.03.2026')")}},
        {"sub-select", {head + QStringLiteral("(SELECT max(ID) FROM base_temp),'a','05.03.2026')")}},
        {"comment", {good + QStringLiteral(" -- done")}},
        {"block comment", {head + QStringLiteral("1,/*x*/'a','05.03.2026')")}},
        {"second statement", {good + QStringLiteral("; DELETE FROM base_temp")}},
        {"malformed text", {head + QStringLiteral("1,'a,'05.03.2026')")}},
        {"malformed number", {head + QStringLiteral("1x,'a','05.03.2026')")}},
        {"too few values", {head + QStringLiteral("1,'a')")}},
        {"not a date", {head + QStringLiteral("1,'a','31.02.2026')")}},
        {"table with a statement in its name", {good}, QStringLiteral("base_temp; DROP TABLE groups")},
    };
    const QByteArray before = f.baseBytes();
    const int rows = f.rows();
    for (const auto &c : cases) {
        const QString path = f.file(QStringLiteral("bad.sql_menu"));
        ASSERT_TRUE(writeBytes(path, sqlMenuBytes(c.table, columns.join(u','), defs, c.statements)));
        f.t.prompter().clear();
        const auto loaded = loadSqlMenuFile(f.base, path);
        EXPECT_FALSE(loaded) << c.what;
        if (c.statements.size() == 2 && c.table == u"base_temp") {
            EXPECT_TRUE(loaded.error().contains(QStringLiteral("Оператор 2")))
                << c.what << loaded.error().toStdString();
        }
        EXPECT_EQ(f.rows(), rows) << c.what;
        EXPECT_TRUE(f.baseBytes() == before) << c.what;
    }
    // Unknown columns and a wrong signature never reach the statements.
    const QString path = f.file(QStringLiteral("bad.sql_menu"));
    ASSERT_TRUE(writeBytes(path,
        sqlMenuBytes(QStringLiteral("base_temp"), QStringLiteral("ID,l1,Пароль"),
            QStringLiteral("ID COUNTER PRIMARY KEY,l1 TEXT(255),Пароль TEXT(255)"), {good})));
    EXPECT_FALSE(loadSqlMenuFile(f.base, path));
    QByteArray other = sqlMenuBytes(QStringLiteral("base_temp"), columns.join(u','), defs, {good});
    other[4] = 'X';
    ASSERT_TRUE(writeBytes(path, other));
    f.t.prompter().clear();
    EXPECT_FALSE(loadSqlMenuFile(f.base, path));
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("не совместим с текущей версией системы")));
    EXPECT_TRUE(f.baseBytes() == before);

    // The good statement alone loads.
    ASSERT_TRUE(writeBytes(path, sqlMenuBytes(QStringLiteral("base_temp"), columns.join(u','), defs, {good})));
    ASSERT_TRUE(loadSqlMenuFile(f.base, path));
    EXPECT_EQ(f.rows(), rows + 1);
}

TEST(SqlMenuFile, ParsesLiteralsStrictly)
{
    const QStringList columns {QStringLiteral("ID"), QStringLiteral("l1"), QStringLiteral("l2")};
    const auto v = parseSqlMenuInsert(
        u" insert  INTO base_temp ( ID , l1,l2 ) VALUES ( -1.5e3 , 'It''s' , ) ", u"base_temp", columns);
    ASSERT_TRUE(v) << v.error().toStdString();
    EXPECT_EQ(v.value()[0], u"-1.5e3");
    EXPECT_EQ(v.value()[1], u"It's");
    EXPECT_TRUE(v.value()[2].isNull());
    EXPECT_FALSE(v.value()[1].isNull());
    EXPECT_EQ(
        parseSqlMenuInsert(u"INSERT INTO base_temp (ID,l1,l2) values (1,'',2)", u"base_temp", columns)->at(1), u"");
    EXPECT_FALSE(parseSqlMenuInsert(u"INSERT INTO base_temp (ID,l2,l1) values (1,'',2)", u"base_temp", columns));
    EXPECT_FALSE(parseSqlMenuInsert(u"INSERT INTO base_tempx (ID,l1,l2) values (1,'',2)", u"base_temp", columns));
    EXPECT_FALSE(parseSqlMenuInsert(u"INSERT INTO base_temp (ID,l1,l2) values (1,'',2))", u"base_temp", columns));
    EXPECT_FALSE(parseSqlMenuInsert(u"INSERT INTO base_temp (ID,l1,l2) values (1,x'00',2)", u"base_temp", columns));
    EXPECT_FALSE(parseSqlMenuInsert(u"INSERT INTO base_temp (ID,l1,l2) values (1,'',NULL)", u"base_temp", columns));
}

TEST(SqlMenuFile, EveryCutOfAFileIsRefusedCleanly)
{
    FilesFixture f;
    f.insertRow(QStringLiteral("02.03.2026"), QStringLiteral("Ясли"), kSalad, QStringLiteral("pro00000001"));
    const QString whole = f.file(QStringLiteral("whole.sql_menu"));
    ASSERT_TRUE(saveSqlMenuFile(f.base, {f.day}, std::nullopt, whole, {false, false}));
    const QByteArray bytes = readBytes(whole);
    FilesFixture to;
    const QByteArray before = to.baseBytes();
    const QString cut = to.file(QStringLiteral("cut.sql_menu"));
    for (qsizetype n = 0; n < bytes.size(); ++n) {
        ASSERT_TRUE(writeBytes(cut, bytes.left(n)));
        ASSERT_FALSE(loadSqlMenuFile(to.base, cut)) << n;
    }
    EXPECT_TRUE(to.baseBytes() == before);
    // A length of 2 GB in the statements' place.
    QByteArray hostile = sqlMenuBytes(QStringLiteral("base_temp"), QStringLiteral("ID,l26"),
        QStringLiteral("ID COUNTER PRIMARY KEY,l26 TEXT(255)"), {});
    hostile.chop(4);
    hostile += le32(0x7FFFFFFF);
    ASSERT_TRUE(writeBytes(cut, hostile));
    EXPECT_FALSE(loadSqlMenuFile(to.base, cut));
    ASSERT_TRUE(loadSqlMenuFile(to.base, whole));
    EXPECT_EQ(to.rows(), 1);
}

TEST(MenuExportFile, WritesTheLayoutByteForByteAndLoadsItBack)
{
    FilesFixture f;
    f.t.settings().save(Section::User, QStringLiteral("Name_POP"), QStringLiteral("Школа №5"));
    f.insertRow(QStringLiteral("02.03.2026"), QVariant(), kSalad, QStringLiteral("pro00000001"));
    const QString path = f.file(QStringLiteral("export.menu"));
    ASSERT_EQ(written(saveMenuExportFile(f.base, {f.day, f.day.addDays(1)}, path), -1), 1);

    QStringList columns;
    for (int n = 1; n <= 32; ++n)
        columns << QStringLiteral("l%1").arg(n);
    QByteArray expected = plainStr(QStringLiteral("KVB_MENU")) + le32(5) + scrambledStr(QStringLiteral("Kulvera 1697"))
        + scrambledStr(QStringLiteral("02.03.2026,03.03.2026")) + scrambledStr(QStringLiteral("Школа №5"))
        + scrambledStr(columns.join(u',')) + scrambledStr(QStringLiteral("1"));
    QStringList values(33);
    values[1] = kSalad;
    values[2] = QStringLiteral("200");
    values[15] = QStringLiteral("pro00000001");
    values[17] = QStringLiteral("10");
    values[18] = QStringLiteral("9");
    values[26] = QStringLiteral("02.03.2026");
    values[27] = QStringLiteral("Обед");
    for (int n = 1; n <= 32; ++n)
        expected += scrambledStr(values[n]);
    EXPECT_EQ(readBytes(path).toHex(), expected.toHex());
    EXPECT_TRUE(isMenuExportFile(path));

    FilesFixture to;
    const auto loaded = loadMenuExportFile(to.base, path);
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    EXPECT_EQ(loaded->added, 1);
    const Ration r = to.base.load({f.day, {}}).value();
    ASSERT_EQ(r.dishCount(), 1);
    EXPECT_EQ(r.dishName(1), kSalad);
    EXPECT_EQ(r.mealName(1), u"Обед");

    // Every cut is refused and changes nothing.
    const QByteArray bytes = readBytes(path);
    const QByteArray before = to.baseBytes();
    const QString cut = to.file(QStringLiteral("cut.menu"));
    for (qsizetype n = 0; n < bytes.size(); ++n) {
        ASSERT_TRUE(writeBytes(cut, bytes.left(n)));
        ASSERT_FALSE(loadMenuExportFile(to.base, cut)) << n;
    }
    EXPECT_TRUE(to.baseBytes() == before);
    // A ration file is not this format.
    to.t.prompter().clear();
    ASSERT_TRUE(writeBytes(cut, QByteArray("[main]\r\ntype=menu\r\n")));
    EXPECT_FALSE(loadMenuExportFile(to.base, cut));
    EXPECT_TRUE(to.t.prompter().saw(QStringLiteral("Файл '") + cut + QStringLiteral("' не совместим!")));
    EXPECT_FALSE(isMenuExportFile(cut));
    // A row count the bytes cannot hold.
    QByteArray lying = plainStr(QStringLiteral("KVB_MENU")) + le32(5) + scrambledStr(QStringLiteral("x"))
        + scrambledStr(QString()) + scrambledStr(QString()) + scrambledStr(QStringLiteral("l26"))
        + scrambledStr(QStringLiteral("2000000000")) + scrambledStr(QStringLiteral("02.03.2026"));
    ASSERT_TRUE(writeBytes(cut, lying));
    EXPECT_FALSE(loadMenuExportFile(to.base, cut));
    EXPECT_TRUE(to.baseBytes() == before);
}

TEST(MenuExportFile, NoRowsOnTheDatesIsSaid)
{
    FilesFixture f;
    EXPECT_FALSE(saveMenuExportFile(f.base, {QDate(2030, 1, 1)}, f.file(QStringLiteral("none.menu"))));
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("На указанные даты меню отсутствует!")));
    EXPECT_FALSE(QFileInfo::exists(f.file(QStringLiteral("none.menu"))));
}

TEST(RationFile, RoundTripKeepsMealsDishesMassesAndTheNorm)
{
    FilesFixture f;
    Ration r = f.lunch(QStringLiteral("Ясли"));
    ASSERT_TRUE(f.editing.addDish(r, QStringLiteral("Ужин"), f.dishBase, f.table, kSalad, QStringLiteral("150")));
    r.setNormCode(QStringLiteral("3"));
    const QString path = f.file(defaultRationFileName(r.date()));
    EXPECT_TRUE(path.endsWith(QStringLiteral("меню_2026_03_02.menu")));
    ASSERT_TRUE(saveRationFile(
        r, path, {QStringLiteral("Неделя 1"), QStringLiteral("menu"), QStringLiteral("Дети")}, f.context));
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Файл меню '") + path + QStringLiteral("' сохранен.")));

    INI_Work ini;
    ini.setFilename(path);
    EXPECT_EQ(ini.Value(QStringLiteral("main"), QStringLiteral("ration_str")), u"Обед<Str>Завтрак<Str>Ужин<Str>");
    EXPECT_EQ(ini.Value(QStringLiteral("main"), QStringLiteral("ration_count")), u"3");
    EXPECT_EQ(ini.Value(QStringLiteral("main"), QStringLiteral("version")), u"1");
    EXPECT_EQ(ini.Value(QStringLiteral("main"), QStringLiteral("fz_name")), u"Дети");
    EXPECT_EQ(ini.Value(QStringLiteral("1,2_main"), QStringLiteral("name")), u"Компот");
    EXPECT_EQ(ini.Value(QStringLiteral("3,1_main"), QStringLiteral("name")), kSalad);
    EXPECT_TRUE(ini.SectionExists(QStringLiteral("1,1_2")));
    EXPECT_EQ(rationFileTitle(path), u"Неделя 1");

    const auto loaded = loadRationFile(path, f.context);
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    EXPECT_EQ(loaded->ration.key(), r.key());
    EXPECT_EQ(loaded->normName, u"Дети");
    EXPECT_TRUE(loaded->notAdded.isEmpty());
    EXPECT_EQ(shape(loaded->ration), shape(r));

    // A dish without a product is left out and named.
    ini.setValue(QStringLiteral("1,2_1"), QStringLiteral("Kod"), QStringLiteral("pfx00000001"));
    ini.setValue(QStringLiteral("1,2_2"), QStringLiteral("Kod"), QStringLiteral("pfx00000002"));
    ASSERT_TRUE(ini.UpdateFile());
    f.t.prompter().clear();
    const auto partial = loadRationFile(path, f.context);
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->notAdded, QStringList {QStringLiteral("Компот")});
    EXPECT_EQ(partial->ration.dishCount(), r.dishCount() - 1);
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Список рецептур не добавленных в рацион: Компот")));
    // ...a notice the user may switch off.
    f.t.settings().save(Section::Messages, kNotAddedNoticeKey.toString(), QStringLiteral("0"));
    f.t.prompter().clear();
    ASSERT_TRUE(loadRationFile(path, f.context));
    EXPECT_FALSE(f.t.prompter().saw(QStringLiteral("Список рецептур")));
}

TEST(RationFile, AMealHoldsAtMostFiveHundredDishesAndDamagedFilesAreRefused)
{
    FilesFixture f;
    Ration r(RationKey {f.day, {}});
    ASSERT_TRUE(f.editing.addDish(r, QStringLiteral("Обед"), f.dishBase, f.table, QStringLiteral("Компот"), {}));
    const QString path = f.file(QStringLiteral("r.menu"));
    ASSERT_TRUE(saveRationFile(r, path, {}, f.context, {false, false}));
    INI_Work ini;
    ini.setFilename(path);
    // The same dish once more as dish 500 and as dish 501.
    for (const int j : {500, 501}) {
        const QString from = QStringLiteral("1,1_");
        const QString to = QStringLiteral("1,%1_").arg(j);
        for (int s = 0; s < ini.SectionsCount(); ++s) {
            const QString name = ini.SectionName(s);
            if (!name.startsWith(from))
                continue;
            for (int v = 0; v < ini.ValuesCount(name); ++v)
                ini.setValue(
                    to + name.mid(from.size()), ini.ValueName(name, v), ini.Value(name, ini.ValueName(name, v)));
        }
    }
    ASSERT_TRUE(ini.UpdateFile());
    const auto loaded = loadRationFile(path, f.context);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->ration.dishCount(), 2);

    ASSERT_TRUE(writeBytes(path, QByteArray("[main]\r\ndate=02.03.2026\r\n[main]\r\ntitle=x\r\n")));
    EXPECT_FALSE(loadRationFile(path, f.context));
    ASSERT_TRUE(writeBytes(path, QByteArray("[other]\r\n")));
    EXPECT_FALSE(loadRationFile(path, f.context));
    EXPECT_FALSE(loadRationFile(f.file(QStringLiteral("missing.menu")), f.context));
}

TEST(RationFile, TheBufferListsRationFilesByTitle)
{
    FilesFixture f;
    const QString folder = rationBufferFolder(f.t.root());
    ASSERT_TRUE(QDir().mkpath(folder));
    const Ration r = f.lunch(QString());
    ASSERT_TRUE(saveRationFile(r, QDir(folder).filePath(QStringLiteral("buf.menu")),
        {QStringLiteral("Буфер"), QStringLiteral("menu"), {}}, f.context, {false, false}));
    ASSERT_TRUE(saveRationFile(r, QDir(folder).filePath(QStringLiteral("a.menu")), {}, f.context, {false, false}));
    f.insertRow(QStringLiteral("02.03.2026"), QVariant(), kSalad, QStringLiteral("pro00000001"));
    ASSERT_TRUE(saveMenuExportFile(f.base, {f.day}, QDir(folder).filePath(QStringLiteral("b.menu")), {false, false}));
    const auto list = rationBufferList(folder);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].title, u"a.menu");
    EXPECT_EQ(list[1].title, u"Буфер");
}
