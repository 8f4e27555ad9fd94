#include "CostingFixture.h"

#include "costing/NormBase.h"
#include "costing/NormSeed.h"
#include "shell/DataFiles.h"

#include <QDir>
#include <QFile>

namespace kulvera::test {
namespace {

class NormSeedTest : public CostingBases
{
protected:
    NormBase norms() { return NormBase(bases.connections(), static_cast<int>(BaseId::Menu), bases.prompter()); }

    QString csv(const QByteArray &text)
    {
        const QString path = QDir(bases.root()).filePath(QStringLiteral("norms.csv"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return path;
    }
};

TEST_F(NormSeedTest, TheShippedSeedGivesTheMenAndWomenSetsOfItsSource)
{
    ASSERT_TRUE(seedNorms(norms(), dataFile(QStringLiteral("norms.csv"))));
    const auto all = norms().all();
    ASSERT_TRUE(all);
    ASSERT_EQ(all->size(), 2u);
    EXPECT_TRUE(all->at(0).name.startsWith(QStringLiteral("Взрослые мужчины")));
    EXPECT_EQ(all->at(0).value(QStringLiteral("C")), 90.0);
    EXPECT_EQ(all->at(1).value(QStringLiteral("Fe")), 18.0);
    EXPECT_FALSE(all->at(1).value(QStringLiteral("Ca"))); // the source gives none for women
}

TEST_F(NormSeedTest, AFilledTableIsLeftAloneAndABadLineRefusesTheWholeFile)
{
    EXPECT_FALSE(seedNorms(norms(), csv("name,column,value\nA,C,90\nB,Fe,много\n")));
    EXPECT_TRUE(norms().names()->isEmpty());
    ASSERT_TRUE(seedNorms(norms(), csv("name,column,value\nA,C,90\nA,Fe,8\nB,Fe,18\n")));
    ASSERT_TRUE(seedNorms(norms(), csv("name,column,value\nC,C,1\n")));
    EXPECT_EQ(*norms().names(), (QStringList {QStringLiteral("A"), QStringLiteral("B")}));
}

} // namespace
} // namespace kulvera::test
