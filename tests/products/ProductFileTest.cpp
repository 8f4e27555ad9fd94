#include "ProductTestSupport.h"

#include "common/CodePage.h"
#include "products/ProductFile.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::ProductFixture;

namespace {

qint32 intAt(const QByteArray &bytes, qsizetype offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

} // namespace

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

TEST(ProductFile, CutAtEveryOffsetOrDamagedIsRefusedWithAMessage)
{
    const QByteArray bytes = encodeProductFile(ProductFixture::fullRow(QStringLiteral("Сыр")), QStringLiteral("1"));
    for (qsizetype n = 0; n < bytes.size(); ++n) {
        const auto cut = decodeProductFile(bytes.left(n));
        ASSERT_FALSE(cut.ok()) << "accepted a file cut at " << n;
        ASSERT_FALSE(cut.error().isEmpty());
    }
    EXPECT_FALSE(decodeProductFile(bytes + QByteArray(1, '\0')).ok());

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
    // A number that is not a number.
    QByteArray nan = bytes;
    for (int i = 0; i < 8; ++i)
        nan[nan.size() - 8 - 4 - 4 - 8 * 13 + i] = '\xff';
    EXPECT_FALSE(decodeProductFile(nan).ok());
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
