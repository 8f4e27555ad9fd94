#include "support/CliRunner.h"

#include "research/ProtocolStore.h"
#include "support/TempBases.h"
#include "util/MethodStore.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {

struct MethodsCli {
    TempBases bases;
    test::CliRunner runner {QDir(bases.root()).filePath(QStringLiteral("settings.ini"))};
    QString &out = runner.out;
    QString &err = runner.err;
    int run(const QStringList &args)
    {
        bases.settings().sync();
        return runner.run(args);
    }
};

} // namespace

TEST(CliMethods, ListsMethodsWithTheirParametersHiddenOnlyOnRequest)
{
    MethodsCli cli;
    ASSERT_NE(cli.bases.create(BaseId::Methods), Connections::kFailed);
    MethodStore store(cli.bases.connections().database(BaseId::Methods));
    const int dry = *store.addMethod(QStringLiteral("Сухие вещества"));
    store.setMethodField(dry, MethodField::Formula, QStringLiteral("m1/m*100"));
    store.setMethodField(dry, MethodField::Unit, QStringLiteral("%"));
    const int p = *store.addParam(dry, QStringLiteral("навеска"));
    store.setParamField(p, ParamField::Designation, QStringLiteral("m"));
    store.setParamField(p, ParamField::Unit, QStringLiteral("г"));
    const int old = *store.addMethod(QString());
    store.setMethodField(old, MethodField::Hidden, true);

    EXPECT_EQ(cli.run({QStringLiteral("methods"), QStringLiteral("list")}), 0) << cli.err.toStdString();
    EXPECT_EQ(cli.out, QStringLiteral("%1\tСухие вещества\tm1/m*100\t%\n    m\tнавеска [г]\n").arg(dry));
    EXPECT_EQ(cli.run({QStringLiteral("methods"), QStringLiteral("list"), QStringLiteral("--all")}), 0);
    EXPECT_TRUE(cli.out.endsWith(QStringLiteral("%1\t[название не задано] (скрыт)\t\n").arg(old)));

    EXPECT_EQ(cli.run({QStringLiteral("methods"), QStringLiteral("show")}), 2);
    EXPECT_TRUE(cli.err.contains(u"methods list"));
}

TEST(CliMethods, AMissingBaseIsAFailure)
{
    MethodsCli cli;
    EXPECT_EQ(cli.run({QStringLiteral("methods"), QStringLiteral("list")}), 1);
    EXPECT_TRUE(cli.err.contains(u"Cannot open the methods base"));
}

namespace {

const QString kSoup = QStringLiteral("Суп картофельный на мясном бульоне");

// An installation with its seed recipes and two methods of a laboratory.
struct Laboratory : MethodsCli {
    int dry = 0;
    int fat = 0;
    Laboratory()
    {
        EXPECT_EQ(run({QStringLiteral("db"), QStringLiteral("init")}), 0) << err.toStdString();
        Connections &c = bases.connections();
        EXPECT_NE(c.connectBase(BaseId::Methods, bases.shared(), true), Connections::kFailed);
        MethodStore store(c.database(BaseId::Methods));
        dry = *store.addMethod(QStringLiteral("Сухие вещества"));
        store.setMethodField(dry, MethodField::Formula, QStringLiteral("(m2-m0)/(m1-m0)*100"));
        store.setMethodField(dry, MethodField::Compare, QStringLiteral("Сухие вещества"));
        for (const char16_t *d : {u"m0", u"m1", u"m2"}) {
            const int p = *store.addParam(dry, QStringLiteral("масса ") + QString::fromUtf16(d));
            store.setParamField(p, ParamField::Designation, QString::fromUtf16(d));
        }
        fat = *store.addMethod(QStringLiteral("Жир"));
        store.setMethodField(fat, MethodField::Formula, QStringLiteral("a*10/m"));
        store.setMethodField(fat, MethodField::Compare, QStringLiteral("Жиры"));
        for (const char16_t *d : {u"a", u"m"}) {
            const int p = *store.addParam(fat, QStringLiteral("показатель ") + QString::fromUtf16(d));
            store.setParamField(p, ParamField::Designation, QString::fromUtf16(d));
        }
    }
    int compute(const QStringList &more)
    {
        return run(QStringList {QStringLiteral("methods"), QStringLiteral("compute"), kSoup, QStringLiteral("--method"),
                       QStringLiteral("Сухие вещества"), QStringLiteral("--method"), QStringLiteral("Жир")}
            + more);
    }
};

} // namespace

TEST(CliMethods, ComputesMethodsForADishAndKeepsTheProtocol)
{
    Laboratory lab;
    // The second experiment of m1 is missing: its method says so, the fat is computed.
    EXPECT_EQ(
        lab.compute({QStringLiteral("--values"), QStringLiteral("m0=18:18,m1=23:,m2=19,6:19.65,a=1,36:1,4,m=2:2")}), 1);
    EXPECT_TRUE(lab.err.contains(QStringLiteral("Не указано значение второго опыта для показателя 'масса m1'")))
        << lab.err.toStdString();
    EXPECT_TRUE(lab.out.contains(QStringLiteral("Жир\t6,800\t7,000\t6,900\t0,200\t"))) << lab.out.toStdString();
    EXPECT_TRUE(lab.out.contains(QStringLiteral("    масса m2 (m2)\t19,6\t19,65\t")));

    ASSERT_EQ(lab.compute({QStringLiteral("--values"), QStringLiteral("m0=18:18,m1=23:23,m2=19,6:19.65"),
                  QStringLiteral("--values"), QStringLiteral("a=1,36:1,4,m=2:2"), QStringLiteral("--date"),
                  QStringLiteral("04.12.2026"), QStringLiteral("--save"), QStringLiteral("--print"),
                  QDir(lab.bases.root()).filePath(QStringLiteral("p.xlsx")), QStringLiteral("--json")}),
        0)
        << lab.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(lab.out.toUtf8()).object();
    const QJsonArray methods = o.value(QStringLiteral("methods")).toArray();
    ASSERT_EQ(methods.size(), 2);
    const QJsonObject dry = methods[0].toObject();
    EXPECT_DOUBLE_EQ(dry.value(QStringLiteral("average")).toDouble(), 32.5);
    // The soup's own dry substances, and the deviation from them.
    const double dish = dry.value(QStringLiteral("dish")).toDouble();
    EXPECT_GT(dish, 0);
    EXPECT_NEAR(dry.value(QStringLiteral("deviation")).toDouble(), std::fabs(32.5 - dish) / dish * 100, 1e-9);
    EXPECT_EQ(o.value(QStringLiteral("number")).toString(), QStringLiteral("1"));
    // The printed protocol (its contents are read back by the research tests).
    EXPECT_TRUE(QFileInfo::exists(QDir(lab.bases.root()).filePath(QStringLiteral("p.xlsx"))));

    // The protocol is in the protocols base with the soup, its date and values.
    Connections &c = lab.bases.connections();
    ASSERT_NE(c.connectBase(BaseId::Protocols, lab.bases.shared(), true), Connections::kFailed);
    ProtocolStore store(c.database(BaseId::Protocols));
    const auto listed = store.list();
    ASSERT_TRUE(listed && listed->size() == 1);
    const Result<Protocol> saved = store.load(listed->front().id);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->dish, kSoup);
    EXPECT_EQ(saved->date, QDate(2026, 12, 4));
    EXPECT_EQ(saved->calculate().results[0].average, 32.5);
    EXPECT_NEAR(*saved->calculate().results[0].reference, dish, 1e-9);
}

TEST(CliMethods, ComputeRefusesWhatItCannotRead)
{
    Laboratory lab;
    EXPECT_EQ(lab.run({QStringLiteral("methods"), QStringLiteral("compute"), kSoup}), 2);
    EXPECT_TRUE(lab.err.contains(u"methods compute DISH --method NAME"));
    EXPECT_EQ(lab.compute({QStringLiteral("--values"), QStringLiteral("m0=18")}), 2);
    EXPECT_TRUE(lab.err.contains(u"Неверное значение: m0=18"));
    EXPECT_EQ(lab.compute({QStringLiteral("--values"), QStringLiteral("q=1:2")}), 2);
    EXPECT_TRUE(lab.err.contains(u"Нет параметра с обозначением 'q'"));
    EXPECT_EQ(lab.run({QStringLiteral("methods"), QStringLiteral("compute"), kSoup, QStringLiteral("--method"),
                  QStringLiteral("Кислотность")}),
        1);
    EXPECT_TRUE(lab.err.contains(u"Метод не найден в базе методов: Кислотность"));
    EXPECT_EQ(lab.run({QStringLiteral("methods"), QStringLiteral("compute"), QStringLiteral("Нет такого блюда"),
                  QStringLiteral("--method"), QStringLiteral("Жир"), QStringLiteral("--values"),
                  QStringLiteral("a=1:1,m=2:2")}),
        1);
    // Nothing was kept by any of them.
    ASSERT_NE(lab.bases.connections().connectBase(BaseId::Protocols, lab.bases.shared(), true), Connections::kFailed);
    EXPECT_TRUE(ProtocolStore(lab.bases.connections().database(BaseId::Protocols)).list()->empty());
}
