#include "common/CodePage.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace kulvera;

class CodePageRoundTrip : public ::testing::TestWithParam<CodePage>
{
};

TEST_P(CodePageRoundTrip, EveryByteSurvivesBothWays)
{
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<char>(i);
    const QString text = decodeCodePage(all, GetParam());
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(encodeCodePage(text, GetParam()), all);
    // No two bytes share a character.
    QSet<QChar> seen(text.begin(), text.end());
    EXPECT_EQ(seen.size(), 256);
}

INSTANTIATE_TEST_SUITE_P(BothPages, CodePageRoundTrip, ::testing::Values(CodePage::Cp1251, CodePage::Cp866));

TEST(CodePage, KnownLettersSitWhereTheChartsPutThem)
{
    const QString word = QStringLiteral("Щи Ёж ё №");
    const QByteArray cp1251 = encodeCodePage(word, CodePage::Cp1251);
    EXPECT_EQ(cp1251, QByteArray("\xD9\xE8 \xA8\xE6 \xB8 \xB9"));
    const QByteArray cp866 = encodeCodePage(word, CodePage::Cp866);
    EXPECT_EQ(cp866, QByteArray("\x99\xA8 \xF0\xA6 \xF1 \xFC"));
    EXPECT_EQ(decodeCodePage(cp866, CodePage::Cp866), word);
    EXPECT_EQ(decodeByte(0xC0, CodePage::Cp1251), QChar(0x0410)); // А
    EXPECT_EQ(decodeByte(0x80, CodePage::Cp866), QChar(0x0410)); // А
    EXPECT_EQ(decodeByte(0xE0, CodePage::Cp866), QChar(0x0440)); // р
    EXPECT_EQ(decodeByte(0xB0, CodePage::Cp866), QChar(0x2591)); // light shade
}

TEST(CodePage, CharactersThePageLacksBecomeQuestionMarks)
{
    EXPECT_EQ(encodeCodePage(u"a€b", CodePage::Cp866), QByteArray("a?b"));
    EXPECT_EQ(encodeCodePage(u"a€b", CodePage::Cp1251),
        QByteArray("a\x88"
                   "b"));
    EXPECT_EQ(encodeCodePage(u"日本", CodePage::Cp1251), QByteArray("??"));
    unsigned char b = 0;
    EXPECT_FALSE(encodeChar(QChar(0x65E5), CodePage::Cp1251, &b));
}
