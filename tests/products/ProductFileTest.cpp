#include "ProductTestSupport.h"

#include "common/CodePage.h"
#include "products/ProductFile.h"

#include <QFile>
#include <QtEndian>

#include <cstring>
#include <string_view>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::ProductFixture;

namespace {

qint32 intAt(const QByteArray &bytes, qsizetype offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

} // namespace

namespace {

// A product file put together byte by byte, independently of the writer:
// integers and doubles little-endian, texts as cp1251 bytes given by hand.
struct Golden {
    QByteArray bytes;
    QStringList fields; // what starts at each recorded offset
    QList<qsizetype> offsets;

    void mark(const QString &field)
    {
        fields << field;
        offsets << bytes.size();
    }
    void integer(qint32 v)
    {
        const auto u = static_cast<quint32>(v);
        for (int shift = 0; shift < 32; shift += 8)
            bytes.append(static_cast<char>((u >> shift) & 0xff));
    }
    void number(double v)
    {
        quint64 u;
        std::memcpy(&u, &v, sizeof u);
        for (int shift = 0; shift < 64; shift += 8)
            bytes.append(static_cast<char>((u >> shift) & 0xff));
    }
    void text(const QByteArray &cp1251)
    {
        integer(static_cast<qint32>(cp1251.size()));
        bytes.append(cp1251);
    }
};

// The numbers of steps 7 and 11 in the order the layout gives them.
const char16_t *const kStep7[] = {u"Out", u"Вода", u"Белки", u"ЖБ", u"РБ", u"Жир", u"ЖЖ", u"РЖ", u"НЖК", u"ПНЖК",
    u"Хол", u"Моно", u"Кр", u"КЛ", u"АМ", u"АО", u"Gir_SV", u"UG_SV"};
const char16_t *const kStep11[] = {u"ОргК", u"Зола", u"Na", u"K", u"Ca", u"Mg", u"P", u"Fe", u"A", u"B", u"B1", u"B2",
    u"PP", u"C", u"РЭ", u"ТЭ", u"НЭ", u"ЭЦ", u"валин", u"изолейцин", u"лейцин", u"лизин", u"метионин", u"треонин",
    u"триптофан", u"фенилаланин", u"аланин", u"аргинин", u"аспарагиновая", u"гистидин", u"глицин", u"глутаминовая",
    u"оксипролин", u"пролин", u"серин", u"тирозин", u"цистин", u"масляная", u"капроновая", u"каприловая", u"каприновая",
    u"лауриновая", u"миристиновая", u"пентадекановая", u"пальмитиновая", u"маргариновая", u"стеариновая", u"арахиновая",
    u"бегеновая", u"лигноцериновая", u"миристолеиновая", u"пальмитолеиновая", u"олеиновая", u"гадолеиновая",
    u"эруковая", u"линолевая", u"линоленовая", u"арахидоновая", u"РПВ", u"НПВ"};

// Steps 1 to 11; every number a distinct value so a field read from the
// wrong offset shows.
Golden goldenDescribedPart()
{
    Golden g;
    g.mark(QStringLiteral("метка"));
    g.integer(8);
    g.bytes.append("KVB_PROD");
    g.mark(QStringLiteral("версия"));
    g.integer(5);
    g.mark(QStringLiteral("ссылка"));
    g.text("ref");
    g.integer(1);
    g.mark(QStringLiteral("Имя2"));
    g.text("\xCB\xF3\xEA \xF0\xE5\xEF\xF7\xE0\xF2\xFB\xE9"); // "Лук репчатый"
    g.mark(QStringLiteral("Имя"));
    g.text("\xCB\xF3\xEA"); // "Лук"
    g.mark(QStringLiteral("ЕвроКОД"));
    g.text("12,5");
    g.mark(QStringLiteral("Источник"));
    g.text("\xC8\xD1\xD2"); // "ИСТ"
    g.mark(QStringLiteral("Изготовитель"));
    g.text("\xCE\xCE\xCE"); // "ООО"
    g.mark(QStringLiteral("ГОСТ"));
    g.text("\xC3\xCE\xD1\xD2 1"); // "ГОСТ 1"
    for (const char *flag : {"Rast", "l70", "l71", "l72"}) {
        g.mark(QString::fromLatin1(flag));
        g.integer(flag == std::string_view("l71") ? 0 : 1);
    }
    for (int n = 1; n <= 12; ++n) {
        g.mark(QStringLiteral("Список%1").arg(n));
        g.text("\xC2" + QByteArray::number(n)); // "В" n
        g.mark(QStringLiteral("Потери%1").arg(n));
        g.number(60 + n);
    }
    double v = 1000;
    for (const char16_t *c : kStep7) {
        g.mark(QString::fromUtf16(c));
        g.number(v += 0.25);
    }
    g.mark(QStringLiteral("Разм"));
    g.integer(5); // a stored double
    g.number(0.5);
    g.mark(QStringLiteral("Цена"));
    g.integer(3); // a stored whole number
    g.integer(45);
    g.mark(QStringLiteral("резерв"));
    for (int n = 0; n < 18; ++n)
        g.number(0);
    g.mark(QStringLiteral("Комент"));
    g.text("\xCA"); // "К"
    for (const char16_t *c : kStep11) {
        g.mark(QString::fromUtf16(c));
        g.number(v += 0.25);
    }
    g.mark(QStringLiteral("конец"));
    return g;
}

double valueOf(const ProductRow &row, const QString &column)
{
    if (column == u"Out")
        return row.out;
    return row.prod.*compositionFieldByColumn(column)->member;
}

} // namespace

TEST(ProductFile, EveryFieldIsReadFromAndWrittenToItsByteOffset)
{
    Golden g = goldenDescribedPart();
    // Hand-counted offsets of the fixed part and of where the numbers begin.
    const auto at = [&](const char *field) { return g.offsets[g.fields.indexOf(QString::fromUtf8(field))]; };
    EXPECT_EQ(at("версия"), 12);
    EXPECT_EQ(at("ссылка"), 16);
    EXPECT_EQ(at("Имя2"), 27);
    EXPECT_EQ(at("Имя"), 27 + 4 + 12);
    EXPECT_EQ(at("Rast"), 27 + 16 + 7 + 8 + 7 + 7 + 10);
    EXPECT_EQ(at("Список1"), at("Rast") + 16);
    EXPECT_EQ(at("Out"), at("Список1") + 9 * (4 + 2 + 8) + 3 * (4 + 3 + 8));
    EXPECT_EQ(at("Разм"), at("Out") + 18 * 8);
    EXPECT_EQ(at("Комент"), at("Разм") + 12 + 8 + 18 * 8);
    EXPECT_EQ(at("конец"), at("Комент") + 5 + 60 * 8);

    // Ending at НПВ, with no tail at all.
    const auto read = decodeProductFile(g.bytes);
    ASSERT_TRUE(read.ok()) << read.error().toStdString();
    const ProductRow &row = read->row;
    EXPECT_EQ(read->reference, u"ref");
    EXPECT_EQ(row.prod.FullName, u"Лук репчатый");
    EXPECT_EQ(row.prod.ShortName, u"Лук");
    EXPECT_EQ(row.euroCode, u"12,5");
    EXPECT_EQ(row.source, u"ИСТ");
    EXPECT_EQ(row.maker, u"ООО");
    EXPECT_EQ(row.prod.ND, u"ГОСТ 1");
    EXPECT_TRUE(row.rast);
    EXPECT_TRUE(row.l70);
    EXPECT_FALSE(row.l71);
    EXPECT_TRUE(row.l72);
    for (int n = 1; n <= 12; ++n) {
        EXPECT_EQ(row.variants[static_cast<std::size_t>(n - 1)], u"В" + QString::number(n));
        EXPECT_EQ(row.losses[static_cast<std::size_t>(n - 1)], 60.0 + n);
    }
    double v = 1000;
    for (const char16_t *c : kStep7)
        EXPECT_EQ(valueOf(row, QString::fromUtf16(c)), v += 0.25) << QString::fromUtf16(c).toStdString();
    EXPECT_EQ(numberValue(row.size), 0.5);
    EXPECT_EQ(row.prod.Price, 45.0);
    EXPECT_EQ(row.comment, u"К");
    for (const char16_t *c : kStep11)
        EXPECT_EQ(valueOf(row, QString::fromUtf16(c)), v += 0.25) << QString::fromUtf16(c).toStdString();
    // Values a file without this program's tail does not carry.
    EXPECT_EQ(row.prod.Zn, 0.0);
    EXPECT_EQ(row.priceUnit, 1);
    EXPECT_EQ(row.groupKey, 0);

    // This writer puts every field at the same offset and adds its tail.
    const QByteArray written = encodeProductFile(row, QStringLiteral("ref"));
    EXPECT_EQ(written.left(g.bytes.size()), g.bytes);
    Golden tail;
    tail.integer(13);
    for (double x : {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0})
        tail.number(x);
    tail.integer(1);
    tail.text({});
    EXPECT_EQ(written.mid(g.bytes.size()), tail.bytes);

    // This program's tail is read: Zn, Y, Аденин, Гуанин, pH, exc, aller,
    // fast, conf, Цена_Р, Цена_К, ЕдИ_Ц, Код_Группы.
    Golden ours;
    ours.integer(13);
    for (double x : {1.5, 2.5, 3.5, 4.5, 5.5, 1.0, 1.0, 0.0, 1.0, 40.0, 50.0, 3.0, 7.0})
        ours.number(x);
    ours.integer(1);
    ours.text("x");
    const auto withTail = decodeProductFile(g.bytes + ours.bytes);
    ASSERT_TRUE(withTail.ok()) << withTail.error().toStdString();
    EXPECT_EQ(withTail->row.prod.Zn, 1.5);
    EXPECT_EQ(withTail->row.iodine, 2.5);
    EXPECT_EQ(withTail->row.prod.Аденин, 3.5);
    EXPECT_EQ(withTail->row.prod.Гуанин, 4.5);
    EXPECT_EQ(withTail->row.prod.PH, 5.5);
    EXPECT_EQ(withTail->row.exc, 1.0);
    EXPECT_EQ(withTail->row.aller, 1.0);
    EXPECT_EQ(withTail->row.fast, 0.0);
    EXPECT_EQ(withTail->row.conf, 1.0);
    EXPECT_EQ(withTail->row.priceR, 40.0);
    EXPECT_EQ(withTail->row.priceK, 50.0);
    EXPECT_EQ(withTail->row.priceUnit, 3);
    EXPECT_EQ(withTail->row.groupKey, 7);

    // A tail of another form (reserved numbers, then texts) is not misread.
    Golden foreign;
    for (int n = 0; n < 18; ++n)
        foreign.number(1.5);
    foreign.text("\xF0\xE5\xE7\xE5\xF0\xE2"); // "резерв"
    foreign.text({});
    const auto other = decodeProductFile(g.bytes + foreign.bytes);
    ASSERT_TRUE(other.ok()) << other.error().toStdString();
    EXPECT_EQ(other->row.prod.FullName, u"Лук репчатый");
    EXPECT_EQ(other->row.prod.НПВ, row.prod.НПВ);
    EXPECT_EQ(other->row.prod.Zn, 0.0);
    EXPECT_EQ(other->row.priceUnit, 1);
}

TEST(ProductFile, RoundTripKeepsEveryField)
{
    ProductRow row = ProductFixture::fullRow(QStringLiteral("Говядина «высший сорт»"));
    row.losses[3].reset();
    row.variants[3].clear();
    row.aller = 1;
    row.fast = 1;
    const QByteArray bytes = encodeProductFile(row, QStringLiteral("ref-17"));
    const auto data = decodeProductFile(bytes);
    ASSERT_TRUE(data.ok()) << data.error().toStdString();
    EXPECT_EQ(data->reference, u"ref-17");
    const ProductRow &back = data->row;
    EXPECT_EQ(back.prod.FullName, row.prod.FullName);
    EXPECT_EQ(back.prod.ShortName, row.prod.ShortName);
    EXPECT_EQ(back.prod.ND, row.prod.ND);
    EXPECT_EQ(back.euroCode, row.euroCode);
    EXPECT_EQ(back.source, row.source);
    EXPECT_EQ(back.maker, row.maker);
    EXPECT_EQ(back.comment, row.comment);
    EXPECT_EQ(back.rast, row.rast);
    EXPECT_EQ(back.l70, row.l70);
    EXPECT_EQ(back.l71, row.l71);
    EXPECT_EQ(back.l72, row.l72);
    EXPECT_EQ(back.losses, row.losses);
    EXPECT_EQ(back.variants, row.variants);
    EXPECT_EQ(back.out, row.out);
    EXPECT_EQ(numberValue(back.size), 0.25);
    EXPECT_EQ(back.prod.Price, 45.5);
    EXPECT_EQ(back.priceR, row.priceR);
    EXPECT_EQ(back.priceK, row.priceK);
    EXPECT_EQ(back.priceUnit, row.priceUnit);
    EXPECT_EQ(back.groupKey, row.groupKey);
    EXPECT_EQ(back.exc, row.exc);
    EXPECT_EQ(back.aller, row.aller);
    EXPECT_EQ(back.fast, row.fast);
    EXPECT_EQ(back.conf, row.conf);
    EXPECT_EQ(back.iodine, row.iodine);
    for (const CompositionField &f : compositionFields()) {
        if (f.column) {
            EXPECT_EQ(back.prod.*f.member, row.prod.*f.member) << QString::fromUtf16(f.column).toStdString();
        }
    }
    // Written again, the file is the same to the byte.
    EXPECT_EQ(encodeProductFile(back, QStringLiteral("ref-17")), bytes);
}

TEST(ProductFile, LayoutStartsWithMarkerVersionAndCp1251Texts)
{
    ProductRow row;
    row.prod.FullName = QStringLiteral("Лук");
    const QByteArray bytes = encodeProductFile(row, QStringLiteral("7"));
    EXPECT_EQ(intAt(bytes, 0), 8);
    EXPECT_EQ(bytes.mid(4, 8), QByteArrayLiteral("KVB_PROD"));
    EXPECT_EQ(intAt(bytes, 12), 5);
    EXPECT_EQ(intAt(bytes, 16), 1); // reference "7"
    EXPECT_EQ(bytes.at(20), '7');
    EXPECT_EQ(intAt(bytes, 21), 1);
    EXPECT_EQ(intAt(bytes, 25), 3); // "Лук": three bytes in cp1251
    EXPECT_EQ(bytes.mid(29, 3), encodeCodePage(u"Лук", CodePage::Cp1251));
    // Empty Разм and Цена are plain zeros: 8 bytes each.
    const auto decoded = decodeProductFile(bytes);
    ASSERT_TRUE(decoded.ok());
    EXPECT_TRUE(decoded->row.size.isNull());
    EXPECT_TRUE(decoded->row.price.isNull());
}

TEST(ProductFile, CutInsideTheDescribedFieldsIsRefusedAndAnyTailAfterThemIsIgnored)
{
    const ProductRow row = ProductFixture::fullRow(QStringLiteral("Сыр"));
    const QByteArray bytes = encodeProductFile(row, QStringLiteral("1"));
    // This writer's tail: a count, 13 numbers, a count, one empty text.
    const qsizetype described = bytes.size() - (4 + 13 * 8 + 4 + 4);
    for (qsizetype n = 0; n < described; ++n) {
        const auto cut = decodeProductFile(bytes.left(n));
        ASSERT_FALSE(cut.ok()) << "accepted a file cut at " << n;
        ASSERT_FALSE(cut.error().isEmpty());
    }
    // From НПВ on, what follows is open: a cut tail, a longer one, none at
    // all. The described fields are read; the tail's values keep their defaults.
    for (qsizetype n = described; n < bytes.size(); ++n) {
        const auto cut = decodeProductFile(bytes.left(n));
        ASSERT_TRUE(cut.ok()) << "refused a file cut at " << n << ": " << cut.error().toStdString();
        ASSERT_EQ(cut->row.prod.НПВ, row.prod.НПВ);
        ASSERT_EQ(cut->row.prod.Zn, 0.0);
        ASSERT_EQ(cut->row.priceUnit, 1);
    }
    const auto longer = decodeProductFile(bytes + QByteArray(1, '\0'));
    ASSERT_TRUE(longer.ok());
    EXPECT_EQ(longer->row.prod.Bel, row.prod.Bel);
    EXPECT_EQ(longer->row.iodine, 0.0);

    QByteArray marker = bytes;
    marker[4] = 'X';
    EXPECT_TRUE(decodeProductFile(marker).error().contains(u"KVB_PROD"));
    QByteArray version = bytes;
    qToLittleEndian<qint32>(6, version.data() + 12);
    EXPECT_TRUE(decodeProductFile(version).error().contains(u"Версия файла 6"));
    // A text length far past the end, and a negative one.
    QByteArray huge = bytes;
    qToLittleEndian<qint32>(0x7fffffff, huge.data() + 16);
    EXPECT_TRUE(decodeProductFile(huge).error().contains(u"Недопустимая длина текста"));
    qToLittleEndian<qint32>(-4, huge.data() + 16);
    EXPECT_FALSE(decodeProductFile(huge).ok());
    // A described number that is not a number (НПВ), and one in the tail.
    QByteArray nan = bytes;
    for (qsizetype i = described - 8; i < described; ++i)
        nan[i] = '\xff';
    EXPECT_FALSE(decodeProductFile(nan).ok());
    QByteArray nanTail = bytes;
    for (qsizetype i = described + 4; i < described + 12; ++i)
        nanTail[i] = '\xff';
    ASSERT_TRUE(decodeProductFile(nanTail).ok());
    EXPECT_EQ(decodeProductFile(nanTail)->row.prod.Zn, 0.0);
}

TEST(ProductFile, SaveAsksBeforeReplacingAndImportAddsUnderANewKey)
{
    ProductFixture f;
    const QString path = f.t.root() + QStringLiteral("/лук.prod");
    const ProductRow row = ProductFixture::fullRow(QStringLiteral("Лук порей"));
    ASSERT_TRUE(saveProductToFile(f.t.prompter(), path, row, QStringLiteral("1")).ok());
    EXPECT_EQ(f.t.prompter().statuses().back(), u"Сохранили продукт в файл: " + path);

    f.t.prompter().expect(QStringLiteral("Файл 'лук.prod' уже существует.\nЗаменить имеющийся?"), Prompter::Answer::No);
    ProductRow other = row;
    other.prod.FullName = QStringLiteral("Другой");
    EXPECT_FALSE(saveProductToFile(f.t.prompter(), path, other, QStringLiteral("1")).ok());
    EXPECT_EQ(readProductFile(path)->row.prod.FullName, u"Лук порей");

    ASSERT_TRUE(
        execSql(f.base.database(), QStringLiteral("INSERT INTO \"dt010\" (\"Код\", \"Имя2\") VALUES (9, 'Соль')"))
            .ok());
    const auto key = importProductFile(f.base, path);
    ASSERT_TRUE(key.ok()) << key.error().toStdString();
    EXPECT_EQ(*key, 10);
    EXPECT_EQ(f.base.findQuiet(10)->prod.FullName, u"Лук порей");
    EXPECT_EQ(f.base.findQuiet(10)->prod.Bel, row.prod.Bel);

    // A damaged file adds nothing.
    QFile broken(f.t.root() + QStringLiteral("/broken.prod"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(encodeProductFile(row, QStringLiteral("1")).left(200));
    broken.close();
    const auto refused = importProductFile(f.base, broken.fileName());
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().contains(u"поврежден"));
    EXPECT_EQ(f.base.count(), 2);
}
