#include "recipes/DishBase.h"
#include "recipes/PositionKey.h"
#include "shell/DishCollections.h"
#include "shell/SqlDialect.h"
#include "support/TempBases.h"

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {

constexpr int kDishes = static_cast<int>(BaseId::Dishes);

// A dish base whose recipes were written under installation key 456 while the
// base itself keeps no number: a base copied from an older installation, or
// one whose settings were reset.
struct CopiedBase {
    TempBases t;
    int number = t.create(BaseId::Dishes);
    QString table = addCollection(t.connections(), t.settings(), QStringLiteral("Перенесенная"))->table;

    CopiedBase()
    {
        DishBase writer(t.connections(), kDishes, t.settings(), t.prompter(), StoredTextCodec(456));
        colBludo r;
        for (int i = 1; i <= 2; ++i) {
            clsBludo b;
            b.clsProds().Kod = makeKey(kKeyProduct, 0, i).value();
            b.clsProds().ID_Prod = QString::number(i);
            b.clsProds().FullName = QStringLiteral("Горох");
            b.clsProds().Out = QStringLiteral("250");
            b.clsProds().Netto = 40;
            r.Add(b);
        }
        EXPECT_TRUE(writer.save(r, table, QStringLiteral("Суп гороховый"), {}));
    }

    QSqlDatabase db() { return t.connections().database(kDishes); }
    bool hasNumberTable()
    {
        return SqlDialect::of(db()).tables(db()).contains(kInstallationTable.toString(), Qt::CaseInsensitive);
    }
    QString storedNumber()
    {
        SqlStatement q(db(), QStringLiteral("SELECT \"Number\" FROM ") + kInstallationTable.toString());
        return q.exec() && q.next() ? q.value(0).toString() : QString();
    }
    QString setting() { return t.settings().get(Section::Data, kInstallationSetting.toString()); }
};

const QString kAsk = QStringLiteral("Введите номер установки");

} // namespace

TEST(InstallationNumber, ABaseWithRecipesButNoNumberAsksUntilACandidateReadsThem)
{
    CopiedBase f;
    // 123457 is one key away: the names would still be letters, the position
    // keys no longer start with "pro".
    f.t.prompter()
        .expectInput(kAsk, QStringLiteral("123457"))
        .expectInput(kAsk, QStringLiteral("98 456"))
        .expectInput(kAsk, QStringLiteral("987456"));
    const auto codec = installationCodec(f.t.connections(), kDishes, f.t.settings(), &f.t.prompter());
    ASSERT_TRUE(codec) << codec.error().toStdString();
    EXPECT_EQ(codec->key(), 456);
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("С номером установки 123457 рецептуры базы блюд не читаются.")));
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Номер установки состоит только из цифр.")));
    EXPECT_TRUE(f.t.prompter().unexpected().isEmpty()) << f.t.prompter().transcript().toStdString();
    EXPECT_EQ(f.storedNumber(), u"987456");
    EXPECT_EQ(f.setting(), u"987456");

    DishBase reader(f.t.connections(), kDishes, f.t.settings(), f.t.prompter(), codec.value());
    EXPECT_EQ(reader.recipeNames(f.table).value(), QStringList {QStringLiteral("Суп гороховый")});
}

TEST(InstallationNumber, CancellingTheQuestionWritesNothing)
{
    CopiedBase f;
    f.t.prompter().expectInput(kAsk, std::nullopt);
    const auto codec = installationCodec(f.t.connections(), kDishes, f.t.settings(), &f.t.prompter());
    ASSERT_FALSE(codec);
    EXPECT_TRUE(codec.error().contains(QStringLiteral("База блюд не изменена")));
    EXPECT_FALSE(f.hasNumberTable());
    EXPECT_TRUE(f.setting().isEmpty());

    // A number in the settings that does not read the recipes is not adopted
    // either: the question comes, and cancelling leaves everything as it was.
    f.t.settings().save(Section::Data, kInstallationSetting.toString(), QStringLiteral("111111"));
    f.t.prompter().clear();
    f.t.prompter().expectInput(QStringLiteral("Номер установки из настроек (111111) к ним не подходит."), std::nullopt);
    EXPECT_FALSE(installationCodec(f.t.connections(), kDishes, f.t.settings(), &f.t.prompter()));
    EXPECT_TRUE(f.t.prompter().scriptDone());
    EXPECT_FALSE(f.hasNumberTable());
    EXPECT_EQ(f.setting(), u"111111");

    // Without a prompter of its own the question goes to the connections' one.
    f.t.prompter().clear();
    f.t.prompter().expectInput(kAsk, std::nullopt);
    EXPECT_FALSE(installationNumber(f.t.connections(), kDishes, f.t.settings()));
    EXPECT_TRUE(f.t.prompter().scriptDone());
}

TEST(InstallationNumber, ASettingThatReadsTheRecipesIsAdoptedWithoutAQuestion)
{
    CopiedBase f;
    f.t.settings().save(Section::Data, kInstallationSetting.toString(), QStringLiteral("555456"));
    const auto number = installationNumber(f.t.connections(), kDishes, f.t.settings());
    ASSERT_TRUE(number);
    EXPECT_EQ(number.value(), u"555456");
    EXPECT_EQ(f.storedNumber(), u"555456");
    EXPECT_TRUE(f.t.prompter().shown().empty());
}
