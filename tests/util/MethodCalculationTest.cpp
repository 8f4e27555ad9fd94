#include "util/MethodCalculation.h"

#include "common/ScriptedPrompter.h"

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

// A small methods base: methods are added with their parameters, and the
// values of both experiments are typed per parameter.
struct Lab {
    MethodCatalog catalog;
    QHash<int, ExperimentValues> values;
    QHash<QString, double> dish; // reference values by Compare
    ScriptedPrompter prompter;
    int nextParam = 100;

    int method(int id, const QString &name, const QString &formula, const QString &internal = {})
    {
        Method m;
        m.id = id;
        m.name = name;
        m.formula = formula;
        m.internal = internal;
        catalog.methods.push_back(m);
        return id;
    }
    Method &last() { return catalog.methods.back(); }
    void param(int methodId, const QString &designation, const QString &v1, const QString &v2, const QString &name = {})
    {
        MethodParam p;
        p.id = ++nextParam;
        p.methodId = methodId;
        p.designation = designation;
        p.name = name.isEmpty() ? QStringLiteral("показатель ") + designation : name;
        catalog.params.push_back(p);
        values.insert(p.id, {v1, v2});
    }
    MethodCalculation run(const QList<int> &chosen)
    {
        return computeMethods(
            catalog, chosen, values,
            [this](const QString &compare) -> std::optional<double> {
                if (dish.contains(compare))
                    return dish.value(compare);
                return std::nullopt;
            },
            prompter);
    }
};

} // namespace

TEST(MethodCalculation, BothExperimentsWithDecimalCommasAverageAndDifference)
{
    Lab lab;
    lab.method(1, QStringLiteral("Отношение"), QStringLiteral("a/b"));
    lab.param(1, QStringLiteral("a"), QStringLiteral("1,5"), QStringLiteral("3.0"));
    lab.param(1, QStringLiteral("b"), QStringLiteral("3"), QStringLiteral("2"));
    const MethodCalculation c = lab.run({1});
    ASSERT_EQ(c.results.size(), 1u);
    const MethodResult &r = c.results[0];
    ASSERT_TRUE(r.computed) << r.problem.toStdString();
    EXPECT_DOUBLE_EQ(r.first, 0.5);
    EXPECT_DOUBLE_EQ(r.second, 1.5);
    EXPECT_DOUBLE_EQ(r.average, 1.0);
    EXPECT_DOUBLE_EQ(r.difference, 1.0);
    EXPECT_DOUBLE_EQ(r.lowest, 0.5);
    EXPECT_DOUBLE_EQ(r.highest, 1.5);
    EXPECT_TRUE(c.problems.isEmpty());
    EXPECT_TRUE(lab.prompter.shown().empty());
}

TEST(MethodCalculation, DesignationsThatArePrefixesOfOthersKeepTheirOwnValues)
{
    Lab lab;
    lab.method(1, QStringLiteral("Влага"), QStringLiteral("(m1 - m2) * 100 / (m1 - m)"));
    lab.param(1, QStringLiteral("m"), QStringLiteral("10"), QStringLiteral("10"));
    lab.param(1, QStringLiteral("m1"), QStringLiteral("15"), QStringLiteral("15"));
    lab.param(1, QStringLiteral("m2"), QStringLiteral("14"), QStringLiteral("14,5"));
    // A constant with a decimal comma in the formula and a negative value
    // under a power: bound as a number, (-2)^2 stays 4.
    lab.method(2, QStringLiteral("Квадрат"), QStringLiteral("x^2 * 0,5"));
    lab.param(2, QStringLiteral("x"), QStringLiteral("-2"), QStringLiteral("-4"));
    const MethodCalculation c = lab.run({1, 2});
    ASSERT_TRUE(c.results[0].computed) << c.results[0].problem.toStdString();
    EXPECT_DOUBLE_EQ(c.results[0].first, 20);
    EXPECT_DOUBLE_EQ(c.results[0].second, 10);
    ASSERT_TRUE(c.results[1].computed) << c.results[1].problem.toStdString();
    EXPECT_DOUBLE_EQ(c.results[1].first, 2);
    EXPECT_DOUBLE_EQ(c.results[1].second, 8);
}

TEST(MethodCalculation, NothingChosenIsReported)
{
    Lab lab;
    const MethodCalculation c = lab.run({});
    EXPECT_TRUE(c.results.empty());
    EXPECT_EQ(lab.prompter.texts(), QStringList {QStringLiteral("Не указаны показатели исследований продукции!")});
}

TEST(MethodCalculation, AFailingMethodIsReportedAndTheOthersGoOn)
{
    Lab lab;
    lab.method(1, QStringLiteral("Без обозначения"), QStringLiteral("a"));
    lab.param(1, QString(), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("Масса"));
    lab.method(2, QStringLiteral("Без первого"), QStringLiteral("a"));
    lab.param(2, QStringLiteral("a"), QString(), QStringLiteral("1"), QStringLiteral("Навеска"));
    lab.method(3, QStringLiteral("Без второго"), QStringLiteral("a"));
    lab.param(3, QStringLiteral("a"), QStringLiteral("1"), QStringLiteral(" "), QStringLiteral("Объем"));
    lab.method(4, QStringLiteral("Деление"), QStringLiteral("a/b"));
    lab.param(4, QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("1"));
    lab.param(4, QStringLiteral("b"), QStringLiteral("2"), QStringLiteral("0"));
    lab.method(5, QStringLiteral("Хорошая"), QStringLiteral("a*2"));
    lab.param(5, QStringLiteral("a"), QStringLiteral("2"), QStringLiteral("3"));
    lab.method(6, QStringLiteral("Не число"), QStringLiteral("a"));
    lab.param(6, QStringLiteral("a"), QStringLiteral("1+1"), QStringLiteral("1"), QStringLiteral("Кислотность"));
    lab.method(7, QStringLiteral("Опечатка"), QStringLiteral("a*c"));
    lab.param(7, QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("1"));

    const MethodCalculation c = lab.run({1, 2, 3, 4, 5, 6, 7, 99});
    ASSERT_EQ(c.results.size(), 7u);
    EXPECT_TRUE(c.results[4].computed);
    EXPECT_DOUBLE_EQ(c.results[4].average, 5);
    for (int i : {0, 1, 2, 3, 5, 6})
        EXPECT_FALSE(c.results[static_cast<size_t>(i)].computed) << i;
    EXPECT_EQ(c.results[0].problem, u"В базе не указано буквенное обозначение для показателя 'Масса'");
    EXPECT_EQ(c.results[1].problem, u"Не указано значение первого опыта для показателя 'Навеска'");
    EXPECT_EQ(c.results[2].problem, u"Не указано значение второго опыта для показателя 'Объем'");
    EXPECT_EQ(c.results[3].problem, u"Метод 'Деление', опыт 2: Деление на ноль (позиция 2)");
    EXPECT_TRUE(c.results[5].problem.contains(u"'Кислотность' не является числом: 1+1"));
    EXPECT_EQ(c.results[6].problem, u"Метод 'Опечатка': Неизвестное имя 'c' (позиция 3)");
    EXPECT_TRUE(c.problems.contains(u"Метод с кодом 99 не найден в базе методов"));
    // All problems in one message, and no "nothing computed" since one was.
    ASSERT_EQ(lab.prompter.shown().size(), 1u);
    EXPECT_TRUE(lab.prompter.saw(QStringLiteral("Не указано значение второго опыта для показателя 'Объем'")));
    EXPECT_FALSE(lab.prompter.saw(QStringLiteral("Нет расчетных значений!")));
}

TEST(MethodCalculation, NothingComputedSaysSo)
{
    Lab lab;
    lab.method(1, QString(), QStringLiteral("1/0"));
    const MethodCalculation c = lab.run({1});
    EXPECT_FALSE(c.anyComputed());
    EXPECT_EQ(c.results[0].name, u"[название не задано]");
    EXPECT_EQ(c.problems.last(), u"Нет расчетных значений!");
    EXPECT_TRUE(lab.prompter.saw(QStringLiteral("Метод '[название не задано]', опыт 1: Деление на ноль")));
}

TEST(MethodCalculation, InternalMethodsEnterWithTheirOwnExperimentResults)
{
    Lab lab;
    lab.method(1, QStringLiteral("Сухие вещества"), QStringLiteral("m1/m*100"));
    lab.param(1, QStringLiteral("m"), QStringLiteral("10"), QStringLiteral("10"));
    lab.param(1, QStringLiteral("m1"), QStringLiteral("2"), QStringLiteral("3"));
    lab.method(2, QStringLiteral("Влажность"), QStringLiteral("100 - Сухие вещества"),
        QStringLiteral("Жир + Сухие вещества; Зола"));
    lab.method(3, QStringLiteral("Жир"), QStringLiteral("1/0")); // listed but unused: never computed
    const MethodCalculation c = lab.run({2});
    ASSERT_TRUE(c.results[0].computed) << c.results[0].problem.toStdString();
    EXPECT_DOUBLE_EQ(c.results[0].first, 80);
    EXPECT_DOUBLE_EQ(c.results[0].second, 70);
    EXPECT_TRUE(c.problems.isEmpty()) << c.problems.join(u'\n').toStdString();

    EXPECT_EQ(splitInternalNames(u" a, b-c.d+e:f;g,,a "),
        (QStringList {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
            QStringLiteral("e"), QStringLiteral("f"), QStringLiteral("g")}));
}

TEST(MethodCalculation, InternalMethodFailuresAndCyclesStopOnlyTheirDependants)
{
    Lab lab;
    lab.method(1, QStringLiteral("A"), QStringLiteral("B + 1"), QStringLiteral("B"));
    lab.method(2, QStringLiteral("B"), QStringLiteral("A * 2"), QStringLiteral("A"));
    lab.method(3, QStringLiteral("C"), QStringLiteral("D + 1"), QStringLiteral("D"));
    lab.method(4, QStringLiteral("D"), QStringLiteral("x"));
    lab.param(4, QStringLiteral("x"), QString(), QStringLiteral("1"), QStringLiteral("Икс"));
    lab.method(5, QStringLiteral("E"), QStringLiteral("Нет такого * 2"), QStringLiteral("Нет такого"));
    lab.method(6, QStringLiteral("F"), QStringLiteral("7"));
    const MethodCalculation c = lab.run({1, 3, 5, 6});
    EXPECT_TRUE(c.results[0].problem.contains(u"ссылается сам на себя"));
    EXPECT_EQ(c.results[1].problem, u"Метод 'C': не вычислен внутренний метод 'D'");
    EXPECT_TRUE(c.problems.contains(u"Не указано значение первого опыта для показателя 'Икс'"));
    EXPECT_EQ(c.results[2].problem, u"Метод 'E': не найден внутренний метод 'Нет такого'");
    EXPECT_TRUE(c.results[3].computed);
    EXPECT_DOUBLE_EQ(c.results[3].average, 7);
}

TEST(MethodCalculation, BoundsAndDeviationAgainstTheDishValue)
{
    Lab lab;
    lab.dish.insert(QStringLiteral("Жиры"), 10.0);
    lab.dish.insert(QStringLiteral("Белки"), 0.0);
    lab.method(1, QStringLiteral("Жир"), QStringLiteral("a"));
    lab.last().compare = QStringLiteral("Жиры");
    lab.last().min = QStringLiteral("Жиры*0,9");
    lab.last().max = QStringLiteral("Жиры + 1.5");
    lab.param(1, QStringLiteral("a"), QStringLiteral("9"), QStringLiteral("9,4691"));
    lab.method(2, QStringLiteral("Белок"), QStringLiteral("a"));
    lab.last().compare = QStringLiteral("Белки");
    lab.param(2, QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("1"));
    lab.method(3, QStringLiteral("Без сравнения"), QStringLiteral("2"));
    lab.last().compare = QStringLiteral("Зола");
    lab.last().min = QStringLiteral("Зола - 1");
    lab.last().max = QStringLiteral("3/");

    const MethodCalculation c = lab.run({1, 2, 3});
    const MethodResult &fat = c.results[0];
    ASSERT_TRUE(fat.computed);
    EXPECT_DOUBLE_EQ(*fat.compareMin, 9);
    EXPECT_DOUBLE_EQ(*fat.compareMax, 11.5);
    EXPECT_NEAR(*fat.deviation, 7.65450, 1e-9); // below the reference, shown without sign
    EXPECT_EQ(fat.deviationText, u"7,655%");
    EXPECT_EQ(deviationText(0.0), u"0,000%");
    EXPECT_EQ(deviationText(-12.3456), u"12,346%");

    EXPECT_TRUE(c.results[1].computed);
    EXPECT_FALSE(c.results[1].deviation.has_value()); // a zero reference gives no percentage
    EXPECT_TRUE(c.results[1].deviationText.isEmpty());

    // Unusable bounds are reported but the result stands.
    EXPECT_TRUE(c.results[2].computed);
    EXPECT_FALSE(c.results[2].compareMin || c.results[2].compareMax);
    EXPECT_TRUE(c.problems.contains(u"Метод 'Без сравнения', нижняя граница: нет значения 'Зола' для сравнения"));
    EXPECT_TRUE(lab.prompter.saw(QStringLiteral("Метод 'Без сравнения', верхняя граница: Синтаксическая ошибка")));
}
