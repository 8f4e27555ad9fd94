#include "util/Expression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace kulvera;

namespace {

double eval(const QString &text)
{
    const Result<double> r = Eval(text);
    EXPECT_TRUE(r.ok()) << text.toStdString() << ": " << r.error().toStdString();
    return r.ok() ? *r : std::nan("");
}

QString evalError(const QString &text)
{
    const Result<double> r = Eval(text);
    EXPECT_FALSE(r.ok()) << text.toStdString() << " gave " << (r.ok() ? *r : 0.0);
    return r.error();
}

} // namespace

TEST(Expression, OperatorsGroupLeftToRightWithTheLanguagesPrecedence)
{
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("10-2-3")), 5);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("8/2/2")), 2);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("2^3^2")), 64);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("-2^2")), -4);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("(-2)^2")), 4);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("2^-1")), 0.5);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("2^-2^2")), 0.0625);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("2*-3")), -6);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("2 - -3")), 5);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("+4")), 4);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("1+2*3")), 7);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("(1+2)*3")), 9);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("2*3^2")), 18);
    // \ binds looser than * and /, tighter than + and -.
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("7\\2*2")), 1);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("1+7\\2")), 4);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("12/2\\4")), 1);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("-7\\2")), -3);
}

TEST(Expression, IntegerDivisionRoundsOperandsHalfToEven)
{
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("7\\2")), 3);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("7.5\\2")), 4); // 8 \ 2
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("6.5\\2")), 3); // 6 \ 2
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("9\\2.5")), 4); // 9 \ 2
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("9\\3.5")), 2); // 9 \ 4
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("-2.5\\1")), -2);
    EXPECT_TRUE(evalError(QStringLiteral("5\\0.4")).contains(u"Деление на ноль"));
    EXPECT_TRUE(evalError(QStringLiteral("3e10\\2")).contains(u"Переполнение"));
}

TEST(Expression, NumbersFunctionsAndBlanks)
{
    EXPECT_DOUBLE_EQ(eval(QStringLiteral(".5+1.")), 1.5);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("1.5E3")), 1500);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("2e-1")), 0.2);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("  1 +\t2 ")), 3);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("SQR(16) + Sqr(9) + sqr ( 4 )")), 9);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("ABS(-3)")), 3);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("sgn(-0.1) + SGN(0) * 5 + Sgn(7)")), 0);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("Exp(0) + LOG(1)")), 1);
    EXPECT_NEAR(eval(QStringLiteral("4*Atn(1)")), M_PI, 1e-15);
    EXPECT_NEAR(eval(QStringLiteral("sin(0)+cos(0)+TAN(0)")), 1, 1e-15);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("-sqr(4)^2")), -4);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("0^0")), 1);
    EXPECT_DOUBLE_EQ(eval(QStringLiteral("(-8)^(1/1)")), -8);
}

TEST(Expression, SyntaxErrorsNameTheProblemAndPlace)
{
    EXPECT_EQ(evalError(QString()), u"Пустое выражение");
    EXPECT_EQ(evalError(QStringLiteral("   ")), u"Пустое выражение");
    EXPECT_TRUE(evalError(QStringLiteral("1+")).contains(u"выражение оборвано"));
    EXPECT_TRUE(evalError(QStringLiteral("(1+2")).contains(u"не хватает ')'"));
    EXPECT_TRUE(evalError(QStringLiteral("sqr(4")).contains(u"не хватает ')'"));
    EXPECT_TRUE(evalError(QStringLiteral("1+2)")).contains(u"лишний текст ')'"));
    EXPECT_TRUE(evalError(QStringLiteral("2 3")).contains(u"лишний текст '3'"));
    EXPECT_TRUE(evalError(QStringLiteral("2*/3")).contains(u"вместо '/'"));
    EXPECT_TRUE(evalError(QStringLiteral("1.2.3")).contains(u"неверное число '1.2.3'"));
    EXPECT_TRUE(evalError(QStringLiteral("2a")).contains(u"неверное число '2a'"));
    EXPECT_TRUE(evalError(QStringLiteral("1e")).contains(u"неверное число"));
    EXPECT_TRUE(evalError(QStringLiteral("sqr 4")).contains(u"ожидалась '('"));
    EXPECT_TRUE(evalError(QStringLiteral("1,5*2")).contains(u"десятичный разделитель"));
    EXPECT_TRUE(evalError(QStringLiteral("2 # 3")).contains(u"Недопустимый символ '#'"));
    EXPECT_EQ(evalError(QStringLiteral("1 + foo")), u"Неизвестное имя 'foo' (позиция 5)");
    EXPECT_TRUE(evalError(QStringLiteral("1e999")).contains(u"Переполнение"));
    // Deep nesting is refused instead of exhausting the stack.
    EXPECT_TRUE(evalError(QString(100000, u'(') + u'1' + QString(100000, u')')).contains(u"вложенность"));
    EXPECT_TRUE(evalError(QString(100000, u'-') + u'1').contains(u"вложенность"));
    EXPECT_DOUBLE_EQ(eval(QString(150, u'(') + u'1' + QString(150, u')')), 1);
}

TEST(Expression, ArithmeticFailuresAreReportedNotReturned)
{
    EXPECT_EQ(evalError(QStringLiteral("1/0")), u"Деление на ноль (позиция 2)");
    EXPECT_TRUE(evalError(QStringLiteral("0/0")).contains(u"Деление на ноль"));
    EXPECT_TRUE(evalError(QStringLiteral("1/(2-2)")).contains(u"Деление на ноль"));
    EXPECT_TRUE(evalError(QStringLiteral("0^-1")).contains(u"Деление на ноль"));
    EXPECT_TRUE(evalError(QStringLiteral("sqr(-4)")).contains(u"Недопустимый аргумент функции sqr: -4"));
    EXPECT_TRUE(evalError(QStringLiteral("log(0)")).contains(u"функции log"));
    EXPECT_TRUE(evalError(QStringLiteral("LOG(-1)")).contains(u"функции log"));
    EXPECT_TRUE(evalError(QStringLiteral("(-8)^(1/3)")).contains(u"возведение в степень"));
    EXPECT_TRUE(evalError(QStringLiteral("exp(1000)")).contains(u"Переполнение"));
    EXPECT_TRUE(evalError(QStringLiteral("1e300*1e300")).contains(u"Переполнение"));
    EXPECT_TRUE(evalError(QStringLiteral("10^400")).contains(u"Переполнение"));
}

TEST(Expression, VariablesMatchWholeLongestFirst)
{
    // "m" is a prefix of "m1" and "mm": each must get its own value.
    const QStringList names {QStringLiteral("m"), QStringLiteral("m1"), QStringLiteral("mm")};
    const auto e = Expression::compile(QStringLiteral("m1 - m * mm"), names);
    ASSERT_TRUE(e.ok()) << e.error().toStdString();
    const std::vector<double> values {2, 100, 3};
    EXPECT_DOUBLE_EQ(*e->evaluate(values), 94);
    EXPECT_TRUE(e->uses(0) && e->uses(1) && e->uses(2));

    // A name with blanks (a method name) and one ending in a non-letter.
    const auto named = Expression::compile(
        QStringLiteral("Сухие вещества*2 + C%"), {QStringLiteral("C%"), QStringLiteral("Сухие вещества")});
    ASSERT_TRUE(named.ok()) << named.error().toStdString();
    EXPECT_DOUBLE_EQ(*named->evaluate(std::vector<double> {1, 10}), 21);

    // Designations are case-sensitive: M and m are different quantities.
    const auto cased = Expression::compile(QStringLiteral("M/m"), {QStringLiteral("m"), QStringLiteral("M")});
    ASSERT_TRUE(cased.ok());
    EXPECT_DOUBLE_EQ(*cased->evaluate(std::vector<double> {4, 2}), 0.5);

    // A known prefix does not make "m2" known.
    const auto unknown = Expression::compile(QStringLiteral("m2*2"), names);
    EXPECT_EQ(unknown.error(), u"Неизвестное имя 'm2' (позиция 1)");
    EXPECT_FALSE(e->uses(7));
}

TEST(Expression, CompiledOnceEvaluatedManyTimes)
{
    const auto e = Expression::compile(QStringLiteral("a/b"), {QStringLiteral("a"), QStringLiteral("b")});
    ASSERT_TRUE(e.ok());
    EXPECT_DOUBLE_EQ(*e->evaluate(std::vector<double> {1.5, 3}), 0.5);
    EXPECT_DOUBLE_EQ(*e->evaluate(std::vector<double> {9, 3}), 3);
    EXPECT_EQ(e->evaluate(std::vector<double> {1, 0}).error(), u"Деление на ноль (позиция 2)");
    EXPECT_DOUBLE_EQ(*e->evaluate(std::vector<double> {1, 4}), 0.25); // a failure leaves no state behind
    EXPECT_EQ(e->evaluate(std::vector<double> {1}).error(), u"Не задано значение 'b' (позиция 3)");

    // More operands than fit the evaluator's inline stack.
    QString deep = QStringLiteral("1");
    for (int i = 0; i < 60; ++i)
        deep = QStringLiteral("1+(") + deep + u')';
    EXPECT_DOUBLE_EQ(eval(deep), 61);
    QString wide;
    for (int i = 0; i < 60; ++i)
        wide += QStringLiteral("2^(1+");
    wide += u'0' + QString(60, u')');
    EXPECT_TRUE(Eval(wide).ok() || Eval(wide).error().contains(u"Переполнение"));
}
