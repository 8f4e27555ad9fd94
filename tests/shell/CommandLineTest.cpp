#include "shell/CommandLine.h"

#include <gtest/gtest.h>

using namespace kulvera;

namespace {
// A line as a shell splits it: arguments at blanks.
CommandLine parse(const char *line)
{
    return CommandLine::parse(QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts), QStringLiteral("/opt/kulvera"));
}
CommandLine parseArguments(const QStringList &arguments)
{
    return CommandLine::parse(arguments, QStringLiteral("/opt/kulvera"));
}
} // namespace

TEST(CommandLine, DebugOnlyWhenItIsTheWholeLineLogAnywhere)
{
    EXPECT_TRUE(parse("/debug").debug);
    EXPECT_TRUE(parse("/DEBUG").debug);
    const CommandLine both = parse("/debug /log");
    EXPECT_FALSE(both.debug);
    EXPECT_TRUE(both.log);
    EXPECT_TRUE(both.logFile.isEmpty());
    EXPECT_FALSE(parse("").debug);
}

TEST(CommandLine, LogFileNameFollowsTheSwitch)
{
    EXPECT_TRUE(parse("/LOG").log);
    EXPECT_TRUE(parse("/LOG").logFile.isEmpty());
    EXPECT_EQ(parse("/LOG:start.txt").logFile, u"start.txt");
    EXPECT_EQ(parse("/log=a.txt /UpdatesNow").logFile, u"a.txt");
    EXPECT_TRUE(parse("/log=a.txt /UpdatesNow").updatesNow);
    EXPECT_EQ(parse("/LOG start.txt /UpdatesNow").logFile, u"start.txt"); // the name as the next argument
    EXPECT_EQ(parseArguments({QStringLiteral("/LOG name.txt")}).logFile, u"name.txt");
}

TEST(CommandLine, AbsoluteLogPathIsKeptWhole)
{
    const CommandLine c = parse("/LOG:/var/log/kulvera/start.txt /UpdatesNow");
    EXPECT_TRUE(c.log);
    EXPECT_EQ(c.logFile, u"/var/log/kulvera/start.txt");
    EXPECT_TRUE(c.updatesNow);
    EXPECT_EQ(parseArguments({QStringLiteral("/LOG=/home/cook/my logs/kv.txt")}).logFile, u"/home/cook/my logs/kv.txt");
    // A path after a bare /LOG is a separate argument of its own, never the log.
    EXPECT_TRUE(parse("/LOG /tmp/week.sql_menu").logFile.isEmpty());
}

TEST(CommandLine, SwitchesCountOnlyAtTheStartOfAnArgument)
{
    const CommandLine menu = parse("/home/cook/logistics/week.sql_menu");
    EXPECT_FALSE(menu.log);
    EXPECT_TRUE(menu.logFile.isEmpty());
    EXPECT_EQ(menu.menuFile, u"/home/cook/logistics/week.sql_menu");
    // Folders named like switches inside a path switch nothing on.
    const CommandLine inside = parse("/srv/rp/x/debug/consol/week.sql_menu");
    EXPECT_FALSE(inside.replaceUsageError || inside.replaceProducts || inside.console || inside.debug);
    EXPECT_EQ(inside.menuFile, u"/srv/rp/x/debug/consol/week.sql_menu");
    EXPECT_FALSE(parse("/LOGISTICS").log);
    EXPECT_FALSE(parse("/UpdatesNowAndThen").updatesNow);
    EXPECT_FALSE(parse("x/UpdatesNow").updatesNow);
    // One argument holding several switches is not split.
    EXPECT_FALSE(parseArguments({QStringLiteral("/Consol /UpdatesNow")}).console);
}

TEST(CommandLine, ExactSwitchesDoNotSwallowLongerOnes)
{
    const CommandLine glob = parse("/SYNCGLOB");
    EXPECT_TRUE(glob.syncDishBase);
    EXPECT_FALSE(glob.compactAfterDishSync);
    const CommandLine comp = parse("/syncglobcomp");
    EXPECT_TRUE(comp.syncDishBase);
    EXPECT_TRUE(comp.compactAfterDishSync);
    EXPECT_FALSE(comp.syncMenuBase);
    const CommandLine menu = parse("/SYNCGLOBMENUCOMP /UPDATESTEPLOV /Consol /UpdNumInMenu /?");
    EXPECT_TRUE(menu.syncMenuBase && menu.compactAfterMenuSync && menu.updateHeatLosses && menu.console
        && menu.renumberMenuCards && menu.showSwitchHelp);
    EXPECT_FALSE(menu.syncDishBase);
}

TEST(CommandLine, ProductReplacementNeedsTwoNumericKeys)
{
    const CommandLine ok = parse("/RP12,34");
    EXPECT_TRUE(ok.replaceProducts);
    EXPECT_EQ(ok.replaceFrom, 12);
    EXPECT_EQ(ok.replaceTo, 34);
    EXPECT_FALSE(ok.replaceUsageError);
    for (const char *bad : {"/RP12", "/RP12,ab", "/RP,", "/RP1,2,3", "/RP99999999999,1"}) {
        const CommandLine c = parse(bad);
        EXPECT_FALSE(c.replaceProducts) << bad;
        EXPECT_TRUE(c.replaceUsageError) << bad;
    }
    EXPECT_TRUE(CommandLine::replacementUsageText().startsWith(u"Использование функции замены продуктов: \n"));
}

TEST(CommandLine, DirFormsAndTheirPaths)
{
    EXPECT_EQ(parse("DIR:/srv/bases/").dirOverride, u"/srv/bases");
    EXPECT_EQ(parse("/DIR:/srv/bases").dirOverride, u"/srv/bases");
    EXPECT_EQ(parse("/LOG /DIR:KV_Bases2").dirOverride, u"/opt/kulvera/KV_Bases2");
    EXPECT_EQ(parse("dir:data/school").dirOverride, u"/opt/kulvera/data/school");
    EXPECT_TRUE(parse("/LOG").dirOverride.isEmpty());
    EXPECT_EQ(parseArguments({QStringLiteral("/LOG"), QStringLiteral("DIR:/srv/school bases/")}).dirOverride,
        u"/srv/school bases");
}

TEST(CommandLine, IncludeProductsAndMenuFile)
{
    EXPECT_EQ(parse("/IncPrInSync=12;14").includeProductsInSync, u"12;14");
    const CommandLine shortValue = parse("/INCPRINSYNC=");
    EXPECT_TRUE(shortValue.includeProductsGiven);
    EXPECT_TRUE(shortValue.includeProductsInSync.isEmpty());
    EXPECT_EQ(parse("/tmp/week.SQL_MENU").menuFile, u"/tmp/week.SQL_MENU");
    EXPECT_EQ(parse("/LOG /home/cook/week.sql_menu").menuFile, u"/home/cook/week.sql_menu");
    EXPECT_EQ(parse("week.sql_menu").menuFile, u"week.sql_menu");
}
