#include "recipes/Nd2File.h"
#include "common/Clock.h"
#include "common/NumberText.h"
#include "common/ScriptedPrompter.h"
#include "recipes/DishComposition.h"
#include "recipes/HeatTreatment.h"
#include "recipes/PositionKey.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace kulvera;

namespace {

// Code page 1251 for the letters these tests use: А..я are 0xC0..0xFF in
// order; everything else here is ASCII.
QByteArray cp1251(const QString &text)
{
    QByteArray out;
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u >= 0x0410 && u <= 0x044F)
            out += static_cast<char>(0xC0 + (u - 0x0410));
        else if (u < 0x80)
            out += static_cast<char>(u);
        else
            ADD_FAILURE() << "letter outside the test table";
    }
    return out;
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct FileFixture {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    HeatTreatmentTables losses;
    FixedClock clock {QDateTime(QDate(2024, 3, 5), QTime(14, 7))};
    QStringList logged;
    RecipeFileContext context {prompter, losses, clock, nullptr, [this](const QString &t) { logged << t; }};

    QString path(const QString &name) const { return dir.filePath(name); }
};

clsProds product(int parent, int item, const QString &name, double brutto, double netto)
{
    clsProds p;
    p.Kod = makeKey(kKeyProduct, parent, item).value();
    p.ID_Prod = QString::number(100 + item);
    p.Id = p.ID_Prod;
    p.FullName = name;
    p.ShortName = name;
    p.Brutto = brutto;
    p.Netto = netto;
    p.Num_In_Base = QStringLiteral("0");
    p.Pref = QStringLiteral("г");
    return p;
}

clsProds semiFinished(int parent, int item, const QString &name, const QString &lossType)
{
    clsProds p;
    p.Kod = makeKey(kKeySemiFinished, parent, item).value();
    p.Id = lossType;
    p.FullName = name;
    p.ShortName = name;
    p.Num_In_Base = QStringLiteral("0");
    p.Pref = QStringLiteral("г");
    return p;
}

// A soup with a stock (boiled, "без потерь" keeps everything) that itself
// holds a dressing (portioned, 2 % lost).
colBludo nestedRecipe()
{
    colBludo slot;
    clsProds water = product(0, 1, QStringLiteral("Вода"), 200, 200);
    slot.Add(clsBludo(water));
    slot.Add(clsBludo(semiFinished(0, 2, QStringLiteral("Бульон"), QString::fromUtf16(kNoLossType.utf16()))));
    clsProds beef = product(2, 3, QStringLiteral("Говядина"), 80, 60);
    beef.Bel = 11.4;
    beef.Gir = 9.6;
    beef.Voda = 37.5;
    beef.sv = 22.5;
    slot.Add(clsBludo(beef));
    slot.Add(clsBludo(semiFinished(2, 4, QStringLiteral("Заправка"), QString::fromUtf16(kPortioningType.utf16()))));
    clsProds carrot = product(4, 5, QStringLiteral("Морковь"), 25, 20);
    carrot.Bel = 0.26;
    carrot.MD = 1.3;
    carrot.Kr = 0.04;
    carrot.c = 1;
    slot.Add(clsBludo(carrot));
    slot.item(1)->clsProds().Out = QStringLiteral("250/30");
    for (clsBludo &b : slot) {
        b.clsProds().TN_Vid = 1;
        b.clsProds().Oform = QStringLiteral("Сварить<Str><Str><Str><Str><Str><Str><Str>");
    }
    return slot;
}

// The header of a minimal valid file plus the given lines.
QString fileText(const QString &main, const QString &rest)
{
    return QStringLiteral("[main]\r\n") + main + QStringLiteral("\r\n") + rest;
}

QString validMain(int count)
{
    return QStringLiteral("type=nd2\r\nversion=2\r\nname=Чай\r\nout=200\r\ncount=") + QString::number(count);
}

QString positionSection(int n, const QString &name)
{
    return QStringLiteral("[%1]\r\nFullName=%2\r\nKod=pro0000%3\r\nBrutto=10,5\r\nNetto=10.5\r\n")
        .arg(n)
        .arg(name)
        .arg(n, 4, 10, QLatin1Char('0'));
}

colBludo oneMarker()
{
    colBludo slot;
    slot.Add(clsBludo(product(0, 1, QStringLiteral("Прежний"), 1, 1)));
    return slot;
}

// Text files users write by hand go through loadRecipeText.
Result<RecipeFileHeader> load(FileFixture &f, colBludo &slot, const QString &text)
{
    return loadRecipeText(slot, text, f.context);
}

bool stillTheMarker(const colBludo &slot)
{
    return slot.Count() == 1 && slot.item(1)->clsProds().FullName == u"Прежний";
}

} // namespace

// The file written for one position, compared byte for byte with a file put
// together here from the layout: every key of "main", of the position (in the
// order of the layout, each with its value), "mb", "fh" and "ec".
TEST(RecipeFile, WritesTheLayoutByteForByte)
{
    FileFixture f;
    colBludo slot;
    clsProds tea = product(0, 1, QStringLiteral("Чай черный"), 2, 2);
    tea.ShortName = QStringLiteral("Чай");
    tea.ID_Prod = QStringLiteral("5");
    tea.Id = QStringLiteral("5");
    tea.Out = QStringLiteral("200");
    tea.sv = 1.9;
    tea.Voda = 0.1;
    tea.Bel = 0.4;
    tea.Gir = 0.1;
    tea.Kr = 0.5;
    tea.HS_Full = 1;
    tea.TN_Vid = 1;
    slot.Add(clsBludo(tea));
    RecipeFileHeader header;
    header.name = QStringLiteral("Чай");
    header.output = QStringLiteral("200");
    header.texts[0] = QStringLiteral("Заварить , настоять,");
    header.otv = QStringLiteral("Иванов");
    const QString file = f.path(QStringLiteral("чай.nd2"));
    ASSERT_TRUE(saveRecipeFile(slot, header, file, f.context));

    QString expected = QStringLiteral("[main]\r\n");
    auto line = [&expected](const QString &key, const QString &value) { expected += key + u'=' + value + u"\r\n"; };
    line(QStringLiteral("date_cr"), QStringLiteral("05.03.2024"));
    line(QStringLiteral("time_cr"), QStringLiteral("14:07"));
    line(QStringLiteral("kv"), QStringLiteral("Kulvera"));
    line(QStringLiteral("Major"), QStringLiteral("5"));
    line(QStringLiteral("Minor"), QStringLiteral("0"));
    line(QStringLiteral("Revision"), QStringLiteral("0"));
    line(QStringLiteral("S"), QStringLiteral("1697"));
    line(QStringLiteral("type"), QStringLiteral("nd2"));
    line(QStringLiteral("version"), QStringLiteral("2"));
    line(QStringLiteral("count"), QStringLiteral("1"));
    line(QStringLiteral("name"), QStringLiteral("Чай"));
    line(QStringLiteral("out"), QStringLiteral("200"));
    line(QStringLiteral("out_d"), QStringLiteral("200"));
    line(QStringLiteral("vid"), QStringLiteral("1"));
    line(QStringLiteral("mb"), QStringLiteral("0"));
    line(QStringLiteral("tehnol"), QStringLiteral("Заварить, настоять."));
    for (const char *k : {"treb", "vneh", "cvet", "kons", "vkus", "zap", "out1", "out2", "out3", "stn", "diet"})
        line(QString::fromLatin1(k), QString());
    line(QStringLiteral("otv"), QStringLiteral("Иванов"));
    line(QStringLiteral("zav"), QString());
    expected += QStringLiteral("\r\n[1]\r\n");

    // The position: every key in its place; texts empty and numbers 0 unless set.
    const QStringList keys = QStringLiteral(
        "FullName ShortName Brutto Netto Oform OkRead Org Out SV Voda Bel BelG BelR Gir GirG GirR MD Kl Kr AM AO "
        "cGir CUg Gir_SV UG_SV Num_Norm Expand NameND HS_Full Kod ID ID_MB ID_Price ID_Prod TN_Vid Num_In_Base "
        "HidePF STNid STNFull STNTit Pref ID_Koef ID_EDI AktDate Scode bUseInCalc bUseInCalcHS Cost CostPerc "
        "CostVal D_Col DateCalc En i l_Godn l_Hran l_ND Mans ND NumCalc Photo Use Hol Fe a b B1 B2 c Ca K Mg MGK Na "
        "NE NGK p PH PNGK PP RE tE Zola РПВ НПВ Аденин аланин арахидоновая арахиновая аргинин аспарагиновая "
        "бегеновая валин гадолеиновая гистидин глицин глутаминовая Гуанин изолейцин каприловая каприновая "
        "капроновая лауриновая лейцин лигноцериновая лизин линолевая линоленовая маргариновая масляная метионин "
        "миристиновая миристолеиновая оксипролин олеиновая пальмитиновая пальмитолеиновая пентадекановая пролин "
        "серин стеариновая тирозин треонин триптофан фенилаланин цистин эруковая")
                                 .split(u' ');
    const std::set<QString> texts = {QStringLiteral("Oform"), QStringLiteral("Num_Norm"), QStringLiteral("NameND"),
        QStringLiteral("ID_Price"), QStringLiteral("STNFull"), QStringLiteral("STNTit"), QStringLiteral("AktDate"),
        QStringLiteral("Scode"), QStringLiteral("l_Godn"), QStringLiteral("l_Hran"), QStringLiteral("l_ND"),
        QStringLiteral("ND"), QStringLiteral("NumCalc"), QStringLiteral("Photo")};
    const std::map<QString, QString> set = {{QStringLiteral("FullName"), QStringLiteral("Чай черный")},
        {QStringLiteral("ShortName"), QStringLiteral("Чай")}, {QStringLiteral("Brutto"), QStringLiteral("2")},
        {QStringLiteral("Netto"), QStringLiteral("2")}, {QStringLiteral("Out"), QStringLiteral("200")},
        {QStringLiteral("SV"), QStringLiteral("1,9")}, {QStringLiteral("Voda"), QStringLiteral("0,1")},
        {QStringLiteral("Bel"), QStringLiteral("0,4")}, {QStringLiteral("Gir"), QStringLiteral("0,1")},
        {QStringLiteral("Kr"), QStringLiteral("0,5")}, {QStringLiteral("Expand"), QStringLiteral("False")},
        {QStringLiteral("HS_Full"), QStringLiteral("True")}, {QStringLiteral("Kod"), QStringLiteral("pro00000001")},
        {QStringLiteral("ID"), QStringLiteral("5")}, {QStringLiteral("ID_Prod"), QStringLiteral("5")},
        {QStringLiteral("TN_Vid"), QStringLiteral("1")}, {QStringLiteral("Num_In_Base"), QStringLiteral("0")},
        {QStringLiteral("Pref"), QStringLiteral("г")}};
    ASSERT_EQ(keys.size(), 127);
    for (const QString &k : keys) {
        const auto it = set.find(k);
        line(k, it != set.end() ? it->second : (texts.count(k) ? QString() : QStringLiteral("0")));
    }
    expected += QStringLiteral("\r\n[mb]\r\nindex=0\r\n");
    for (const char *k :
        {"id", "name", "prim", "treb", "kmafanm", "bgkp", "aureus", "coli", "droggi", "pleseni", "proteus"})
        line(QString::fromLatin1(k), QString());
    // Per 100 g of a 200 g dish: protein 0,2, fat 0,05, starch 0,25;
    // 4,0 × 0,2 + 9,0 × 0,05 + 4,1 × 0,25 = 2,275 kcal; dry matter 1,9 less
    // its average loss of 10 % is 0,855 % of the dish.
    expected += QStringLiteral("\r\n[fh]\r\n");
    line(QStringLiteral("sv"), QStringLiteral("0,9"));
    line(QStringLiteral("fat"), QStringLiteral("0,1"));
    line(QStringLiteral("free_sug"), QStringLiteral("0,0"));
    line(QStringLiteral("sug_mds"), QStringLiteral("0,0"));
    line(QStringLiteral("spirt"), QStringLiteral("0,0"));
    line(QStringLiteral("carb"), QStringLiteral("0,3"));
    expected += QStringLiteral("\r\n[ec]\r\n");
    line(QStringLiteral("carb"), QStringLiteral("0,25"));
    line(QStringLiteral("protein"), QStringLiteral("0,20"));
    line(QStringLiteral("fat"), QStringLiteral("0,05"));
    for (const char *k : {"pv", "mds"})
        line(QString::fromLatin1(k), QStringLiteral("0,00"));
    line(QStringLiteral("kr"), QStringLiteral("0,25"));
    for (const char *k : {"vit_c", "min_ca", "min_fe"})
        line(QString::fromLatin1(k), QStringLiteral("0,00"));
    line(QStringLiteral("vit_b1"), QStringLiteral("0,000"));
    line(QStringLiteral("vit_b2"), QStringLiteral("0,000"));
    line(QStringLiteral("ec_cal"), QStringLiteral("2,3"));
    line(QStringLiteral("ec_kdj"), QStringLiteral("9,5"));
    expected += QStringLiteral("\r\n");

    EXPECT_EQ(readBytes(file), cp1251(expected));
    EXPECT_TRUE(f.prompter.saw(QStringLiteral("Файл рецептуры '") + file + QStringLiteral("' сохранен.")));
    EXPECT_EQ(f.logged,
        QStringList({QStringLiteral("Подан запрос на сохранение рецептуры в файл"),
            QStringLiteral("Подсчитываем химический состав...")}));
}

// A file written by another installation, byte by byte: cp1251 text, a
// point and a comma as decimal separator, keys in any letter case, keys that
// are not read back, and no Pref.
TEST(RecipeFile, ReadsAFileWrittenElsewhere)
{
    FileFixture f;
    QByteArray bytes = cp1251(QStringLiteral("[MAIN]\r\nType=ND2\r\nVersion=2\r\nCount=2\r\nname=Каша\r\nout=150/50\r\n"
                                             "vid=3\r\nmb=7\r\ntehnol=Сварить.\r\notv=Петров\r\nzav=Сидоров\r\n\r\n"
                                             "[1]\r\nfullname=Крупа\r\nKod=pro00000001\r\nbrutto=50.5\r\nNetto=50,5\r\n"
                                             "SV=43,2\r\nBel=6\r\nHS_Full=True\r\nExpand=True\r\nGir_SV=9\r\n"
                                             "Num_Norm=12\r\nSTNid=4\r\nID_MB=7\r\nаланин=1,5\r\n\r\n"
                                             "[2]\r\nFullName=Вода\r\nKod=pro00000002\r\nNetto=150\r\nPref=кг\r\n"));
    const QString file = f.path(QStringLiteral("kasha.nd2"));
    writeBytes(file, bytes);
    colBludo slot;
    const auto header = loadRecipeFile(slot, file, f.context);
    ASSERT_TRUE(header) << header.error().toStdString();
    EXPECT_EQ(header->name, u"Каша");
    EXPECT_EQ(header->output, u"150/50");
    EXPECT_EQ(header->cardType, 3);
    EXPECT_EQ(header->microbiology, 7);
    EXPECT_EQ(header->texts[0], u"Сварить.");
    EXPECT_EQ(header->otv, u"Петров");
    EXPECT_EQ(header->zav, u"Сидоров");
    ASSERT_EQ(slot.Count(), 2);
    const clsProds &a = slot.item(1)->clsProds();
    EXPECT_EQ(a.FullName, u"Крупа");
    EXPECT_EQ(a.Kod.toString(), u"pro00000001");
    EXPECT_DOUBLE_EQ(a.Brutto, 50.5);
    EXPECT_DOUBLE_EQ(a.Netto, 50.5);
    EXPECT_DOUBLE_EQ(a.sv, 43.2);
    EXPECT_DOUBLE_EQ(a.аланин, 1.5);
    EXPECT_EQ(a.HS_Full, 1);
    EXPECT_EQ(a.ID_MB, 7);
    // Not read back: Expand, Gir_SV, Num_Norm, STNid.
    EXPECT_EQ(a.Expand, 0);
    EXPECT_EQ(a.Gir_SV, 0);
    EXPECT_TRUE(a.Num_Norm.isEmpty());
    EXPECT_EQ(a.STNid, 0);
    EXPECT_EQ(a.Pref, u"г"); // absent: grams
    EXPECT_EQ(slot.item(2)->clsProds().Pref, u"кг");
    EXPECT_TRUE(f.prompter.shown().empty());
    EXPECT_TRUE(f.logged.contains(QStringLiteral("Файл загружен")));
}

TEST(RecipeFile, NestedRecipeRoundTripsWithItsComputedComposition)
{
    FileFixture f;
    colBludo slot = nestedRecipe();
    RecipeFileHeader header = headerOfSlot(slot, QStringLiteral("Суп"), QStringLiteral("250/30"));
    header.out1 = QStringLiteral("100");
    header.stn = QStringLiteral("СанПиН");
    const QString file = f.path(QStringLiteral("суп.nd2"));
    ASSERT_TRUE(saveRecipeFile(slot, header, file, f.context));
    const DishValues before = computeDish(slot, header.name, 280, f.losses, f.prompter);

    colBludo back;
    const auto read = loadRecipeFile(back, file, f.context);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->name, u"Суп");
    EXPECT_EQ(read->output, u"250/30");
    EXPECT_EQ(read->out1, u"100");
    EXPECT_EQ(read->stn, u"СанПиН");
    EXPECT_EQ(read->texts[0], u"Сварить.");
    ASSERT_EQ(back.Count(), slot.Count());
    for (int i = 1; i <= slot.Count(); ++i) {
        const clsProds &x = slot.item(i)->clsProds();
        const clsProds &y = back.item(i)->clsProds();
        EXPECT_EQ(x.Kod.toString(), y.Kod.toString());
        EXPECT_EQ(x.Id, y.Id);
        EXPECT_EQ(x.FullName, y.FullName);
        EXPECT_DOUBLE_EQ(x.Brutto, y.Brutto);
        EXPECT_DOUBLE_EQ(x.Netto, y.Netto);
        EXPECT_DOUBLE_EQ(x.Bel, y.Bel); // a semi-finished product's computed value too
        EXPECT_DOUBLE_EQ(x.MD, y.MD);
    }
    // The dressing lost 2 % on portioning, inside the stock.
    EXPECT_NEAR(back.item(2)->clsProds().MD, 1.3 * 0.98, 1e-9);
    const DishValues after = computeDish(back, read->name, 280, f.losses, f.prompter);
    EXPECT_DOUBLE_EQ(before.kcal, after.kcal);
    EXPECT_DOUBLE_EQ(before.composition.Bel, after.composition.Bel);
    EXPECT_DOUBLE_EQ(before.netto, after.netto);
}

TEST(RecipeFile, TypeIsNd2OrMenuInAnyLetterCase)
{
    FileFixture f;
    for (const char *type : {"ND2", "Menu", "nd2"}) {
        colBludo slot;
        const QString main
            = QStringLiteral("type=") + QString::fromLatin1(type) + QStringLiteral("\r\nversion=2\r\ncount=1");
        EXPECT_TRUE(load(f, slot, fileText(main, positionSection(1, QStringLiteral("Сахар"))))) << type;
        EXPECT_EQ(slot.Count(), 1);
    }
    colBludo slot = oneMarker();
    f.prompter.clear();
    EXPECT_FALSE(load(f, slot,
        fileText(QStringLiteral("type=nd1\r\nversion=2\r\ncount=1"), positionSection(1, QStringLiteral("Сахар")))));
    ASSERT_EQ(f.prompter.shown().size(), 1U);
    EXPECT_EQ(f.prompter.shown()[0].text,
        u"Ошибка типа (значение type)\nПоддержкивается загрузка только файлов второго типа (.nd2)!");
    EXPECT_EQ(f.prompter.shown()[0].icon, Prompter::Icon::Critical);
    EXPECT_TRUE(stillTheMarker(slot));
}

TEST(RecipeFile, EveryHeaderCheckHasItsMessageAndChangesNothing)
{
    FileFixture f;
    const QString pos = positionSection(1, QStringLiteral("Сахар"));
    const std::vector<std::pair<QString, QString>> cases = {
        {QStringLiteral("[other]\r\nx=1\r\n"), QStringLiteral("Не найдена основная секция файла (секция main)")},
        {fileText(QStringLiteral("version=2\r\ncount=1"), pos),
            QStringLiteral("Не определить тип файла (значение type)")},
        {fileText(QStringLiteral("type=nd2\r\ncount=1"), pos),
            QStringLiteral("Не идентифицирована версия файла  (значение Version)")},
        {fileText(QStringLiteral("type=nd2\r\nversion=два\r\ncount=1"), pos),
            QStringLiteral("Ошибка версии\nПоддержкивается загрузка только файлов второго типа (.nd2)!  (значение "
                           "Version)")},
        {fileText(QStringLiteral("type=nd2\r\nVersion=1\r\ncount=1"), pos),
            QStringLiteral("Ошибка версии (2)\nПоддержкивается загрузка только файлов второго типа (.nd2)! (значение "
                           "Version)")},
        {fileText(QStringLiteral("type=nd2\r\nversion=2"), pos),
            QStringLiteral("Не установлено количество продуктов в рецептуре (значение count)")},
        {fileText(QStringLiteral("type=nd2\r\nversion=2\r\ncount=три"), pos),
            QStringLiteral("Ошибка версии\nОшибочное значения количества позиций в рецептуре (значение count)!")},
        {fileText(QStringLiteral("type=nd2\r\nversion=2\r\ncount=0"), pos),
            QStringLiteral("В рецептуре нет продуктов (значение count)")},
    };
    for (const auto &[text, message] : cases) {
        colBludo slot = oneMarker();
        f.prompter.clear();
        EXPECT_FALSE(load(f, slot, text));
        ASSERT_EQ(f.prompter.shown().size(), 1U) << message.toStdString();
        EXPECT_EQ(f.prompter.shown()[0].text, message);
        EXPECT_EQ(f.prompter.shown()[0].icon, Prompter::Icon::Critical);
        EXPECT_TRUE(stillTheMarker(slot)) << message.toStdString();
    }
    // "Version" and "version" are one key.
    colBludo slot;
    EXPECT_TRUE(load(f, slot, fileText(QStringLiteral("type=nd2\r\nVERSION=2\r\ncount=1"), pos)));
}

TEST(RecipeFile, MissingPositionSectionIsToldOnceAndSkipped)
{
    FileFixture f;
    colBludo slot;
    const auto header = load(f, slot,
        fileText(validMain(3),
            positionSection(1, QStringLiteral("Сахар")) + positionSection(3, QStringLiteral("Мука"))
                + QStringLiteral("[mb]\r\n")));
    ASSERT_TRUE(header);
    ASSERT_EQ(slot.Count(), 2);
    EXPECT_EQ(slot.item(1)->clsProds().FullName, u"Сахар");
    EXPECT_EQ(slot.item(2)->clsProds().FullName, u"Мука");
    ASSERT_EQ(f.prompter.shown().size(), 1U);
    const Prompter::Message &m = f.prompter.shown()[0];
    EXPECT_EQ(m.text, u"Не найдено описание позиции 2 в рецептуре");
    EXPECT_EQ(m.noticeKey, u"sNoProdInFileND2Mess");
    EXPECT_EQ(m.icon, Prompter::Icon::Critical);
}

TEST(RecipeFile, SectionPrefixNamesThePositions)
{
    FileFixture f;
    colBludo slot = nestedRecipe();
    const QString file = f.path(QStringLiteral("r.menu"));
    RecipeFileWriteOptions options;
    options.prefix = QStringLiteral("d7_");
    ASSERT_TRUE(saveRecipeFile(
        slot, headerOfSlot(slot, QStringLiteral("Суп"), QStringLiteral("280")), file, f.context, options));
    const QString text = QString::fromLatin1(readBytes(file));
    EXPECT_TRUE(text.contains(QStringLiteral("[d7_1]\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\ntype=menu\r\n")));
    EXPECT_FALSE(text.contains(QStringLiteral("[1]\r\n")));
    colBludo back;
    ASSERT_TRUE(loadRecipeFile(back, file, f.context, QStringLiteral("d7_")));
    EXPECT_EQ(back.Count(), slot.Count());
}

TEST(RecipeFile, CardTextsAreTidied)
{
    EXPECT_EQ(tidyCardText(QStringLiteral("  Нарезать лук , морковь,  ")), u"Нарезать лук, морковь.");
    EXPECT_EQ(tidyCardText(QString()), u"");
    EXPECT_EQ(tidyCardText(QStringLiteral("Подавать горячим.\r\n")), u"Подавать горячим.");
    EXPECT_EQ(tidyCardText(QStringLiteral("Соль  по вкусу")), u"Соль по вкусу.");
}

TEST(RecipeFile, SemicolonCutsTheValueAndLineBreaksCannotMakeKeys)
{
    FileFixture f;
    colBludo slot = nestedRecipe();
    slot.item(1)->clsProds().FullName = QStringLiteral("Вода; питьевая");
    // A text that would become a section and a key if written as it stands.
    slot.item(3)->clsProds().FullName = QStringLiteral("Говядина\r\n[1]\r\nBrutto=999");
    const QString file = f.path(QStringLiteral("x.nd2"));
    ASSERT_TRUE(
        saveRecipeFile(slot, headerOfSlot(slot, QStringLiteral("Суп"), QStringLiteral("280")), file, f.context));
    colBludo back;
    ASSERT_TRUE(loadRecipeFile(back, file, f.context));
    EXPECT_EQ(back.item(1)->clsProds().FullName, u"Вода");
    EXPECT_DOUBLE_EQ(back.item(1)->clsProds().Brutto, 200);
    EXPECT_EQ(back.item(3)->clsProds().FullName, u"Говядина\r\n[1]\r\nBrutto=999");
}

TEST(RecipeFile, HostileFilesAreRefusedWithoutChangingTheSlot)
{
    FileFixture f;
    const QString pos = positionSection(1, QStringLiteral("Сахар"));
    const QString huge = QString(10 * 1024 * 1024, u'Я');
    const std::vector<std::pair<const char *, QString>> cases = {
        {"huge count",
            fileText(validMain(0).replace(QStringLiteral("count=0"), QStringLiteral("count=2147483647")), pos)},
        {"count beyond int",
            fileText(validMain(0).replace(QStringLiteral("count=0"), QStringLiteral("count=1e300")), pos)},
        {"negative count", fileText(validMain(0).replace(QStringLiteral("count=0"), QStringLiteral("count=-1")), pos)},
        {"fractional count",
            fileText(validMain(0).replace(QStringLiteral("count=0"), QStringLiteral("count=1,5")), pos)},
        {"repeated section", fileText(validMain(1), pos + pos)},
        {"10 MB value", fileText(validMain(1), pos + QStringLiteral("ShortName=") + huge + QStringLiteral("\r\n"))},
        {"number that is not", fileText(validMain(1), pos + QStringLiteral("Bel=много\r\n"))},
        {"infinite number", fileText(validMain(1), pos + QStringLiteral("Bel=1e999\r\n"))},
        {"integer out of range", fileText(validMain(1), pos + QStringLiteral("TN_Vid=70000\r\n"))},
        {"only the header", fileText(validMain(1), QStringLiteral("[mb]\r\n[fh]\r\n"))},
    };
    for (const auto &[what, text] : cases) {
        colBludo slot = oneMarker();
        f.prompter.clear();
        EXPECT_FALSE(load(f, slot, text)) << what;
        EXPECT_TRUE(stillTheMarker(slot)) << what;
        EXPECT_FALSE(f.prompter.shown().empty()) << what;
        EXPECT_EQ(f.prompter.shown().back().icon, Prompter::Icon::Critical) << what;
    }
}

TEST(RecipeFile, BinaryBytesAndOversizedFilesNeverLoadGarbage)
{
    FileFixture f;
    QByteArray noise;
    for (int i = 0; i < 100000; ++i)
        noise += static_cast<char>((i * 7919 + 13) & 0xFF);
    const QString binary = f.path(QStringLiteral("noise.nd2"));
    writeBytes(binary, noise);
    colBludo slot = oneMarker();
    EXPECT_FALSE(loadRecipeFile(slot, binary, f.context));
    EXPECT_TRUE(stillTheMarker(slot));

    const QString big = f.path(QStringLiteral("big.nd2"));
    {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(cp1251(fileText(validMain(1), positionSection(1, QStringLiteral("Сахар")))));
        ASSERT_TRUE(file.resize(kMaxRecipeFileBytes + 1));
    }
    f.prompter.clear();
    EXPECT_FALSE(loadRecipeFile(slot, big, f.context));
    EXPECT_TRUE(stillTheMarker(slot));
    EXPECT_EQ(f.prompter.shown().size(), 1U);
}

// Every prefix of a good file: refused with an error box and the slot kept,
// or loaded with the positions the prefix still holds. Never anything else.
TEST(RecipeFile, AFileCutAtEveryByteIsRefusedOrLoadsPartially)
{
    FileFixture f;
    // A semi-finished product and its product: small enough to cut everywhere.
    colBludo source;
    source.Add(clsBludo(semiFinished(0, 1, QStringLiteral("Тесто"), {})));
    source.Add(clsBludo(product(1, 2, QStringLiteral("Мука"), 10, 10)));
    const QString file = f.path(QStringLiteral("whole.nd2"));
    ASSERT_TRUE(
        saveRecipeFile(source, headerOfSlot(source, QStringLiteral("Суп"), QStringLiteral("280")), file, f.context));
    const QByteArray whole = readBytes(file);
    ASSERT_GT(whole.size(), 2000);
    const QString cut = f.path(QStringLiteral("cut.nd2"));
    int loaded = 0;
    for (qsizetype n = 0; n <= whole.size(); ++n) {
        writeBytes(cut, whole.left(n));
        colBludo slot = oneMarker();
        f.prompter.clear();
        const auto r = loadRecipeFile(slot, cut, f.context);
        if (r) {
            ++loaded;
            ASSERT_GE(slot.Count(), 1);
            ASSERT_LE(slot.Count(), source.Count());
            for (const Prompter::Message &m : f.prompter.shown())
                ASSERT_EQ(m.noticeKey, u"sNoProdInFileND2Mess");
            // The positions present are the file's, in order, each value
            // whole or cut short where the file ends.
            for (int i = 1; i <= slot.Count(); ++i) {
                const clsProds &p = slot.item(i)->clsProds();
                const clsProds &o = source.item(i)->clsProds();
                ASSERT_TRUE(o.Kod.toString().startsWith(p.Kod.toString())) << n;
                ASSERT_TRUE(o.FullName.startsWith(p.FullName)) << n;
            }
        } else {
            ASSERT_TRUE(stillTheMarker(slot)) << n;
            ASSERT_FALSE(f.prompter.shown().empty()) << n;
        }
    }
    EXPECT_GT(loaded, 0);
}

TEST(RecipeFile, WritingRefusals)
{
    FileFixture f;
    colBludo empty;
    EXPECT_FALSE(saveRecipeFile(empty, {}, f.path(QStringLiteral("e.nd2")), f.context));
    EXPECT_TRUE(f.prompter.saw(QStringLiteral("Рецептура не заполнена!")));
    EXPECT_FALSE(QFileInfo::exists(f.path(QStringLiteral("e.nd2"))));

    colBludo slot = nestedRecipe();
    const RecipeFileHeader header = headerOfSlot(slot, QStringLiteral("Суп"), QStringLiteral("280"));
    const QString missingFolder = f.path(QStringLiteral("нет/x.nd2"));
    f.prompter.clear();
    EXPECT_FALSE(saveRecipeFile(slot, header, missingFolder, f.context));
    EXPECT_TRUE(f.prompter.saw(QStringLiteral("Нет прав на запись в папку '")));

    const QString existing = f.path(QStringLiteral("old.nd2"));
    writeBytes(existing, "old");
    f.prompter.clear();
    f.prompter.expect(QStringLiteral("уже имеется. Удалить старый?"), Prompter::Answer::No);
    EXPECT_FALSE(saveRecipeFile(slot, header, existing, f.context));
    EXPECT_EQ(readBytes(existing), "old");
    f.prompter.expect(QStringLiteral("уже имеется. Удалить старый?"), Prompter::Answer::Yes);
    EXPECT_TRUE(saveRecipeFile(slot, header, existing, f.context));
    EXPECT_TRUE(readBytes(existing).startsWith("[main]"));
    EXPECT_TRUE(f.prompter.unexpected().isEmpty());
}

TEST(RecipeFile, HeaderNdPartsTravelInTheirPlaces)
{
    RecipeFileHeader h;
    setHeaderNd(h, QStringLiteral("ГОСТ<Str>Иванов<Str>x<Str>y<Str>100<Str>200<Str>300<Str>СП<Str>диета<Str>Зав<Str>"));
    EXPECT_EQ(h.otv, u"Иванов");
    EXPECT_EQ(h.out1, u"100");
    EXPECT_EQ(h.out2, u"200");
    EXPECT_EQ(h.out3, u"300");
    EXPECT_EQ(h.stn, u"СП");
    EXPECT_EQ(h.diet, u"диета");
    EXPECT_EQ(h.zav, u"Зав");
    RecipeFileHeader back;
    setHeaderNd(back, headerNd(h));
    EXPECT_EQ(back.otv, h.otv);
    EXPECT_EQ(back.zav, h.zav);
    EXPECT_EQ(back.out3, h.out3);
}

// A file of a hundred thousand keys and ten thousand sections loads in
// linear time (names are looked up by hash), not in minutes.
TEST(RecipeFile, ThousandsOfSectionsAndKeysLoadInLinearTime)
{
    FileFixture f;
    QString text = fileText(validMain(1), positionSection(1, QStringLiteral("Сахар")));
    for (int i = 0; i < 100000; ++i)
        text += QStringLiteral("k%1=%1\r\n").arg(i);
    for (int i = 0; i < 10000; ++i)
        text += QStringLiteral("[s%1]\r\nx=1\r\n").arg(i);
    QElapsedTimer timer;
    timer.start();
    colBludo slot;
    EXPECT_TRUE(load(f, slot, text));
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_EQ(slot.Count(), 1);
}
