#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <span>
#include <vector>

namespace kulvera {

// An arithmetic formula compiled once and evaluated many times. The language
// is the arithmetic of the laboratory formulas users have always written:
// numbers with a decimal point, + - * / \ ^, unary minus and plus,
// parentheses and the one-argument functions abs, atn, cos, exp, log, sgn,
// sin, sqr and tan. Precedence from high to low: ^, unary minus, * and /,
// \ (integer division), + and -; every binary operator groups left to right,
// so 2^3^2 is 64 and -2^2 is -4. Names of functions are case-insensitive and
// blanks are ignored.
//
// The variables a formula may use are given when it is compiled. A variable
// is any text (a letter designation such as "m1", or a method name with
// blanks); it matches only as a whole, case-sensitively, and longer variables
// are tried before shorter ones, so "m" never eats the start of "m1".
class Expression
{
public:
    // Compiles `text`; the error names the problem and its position (1-based).
    static Result<Expression> compile(QStringView text, const QStringList &variables = {});

    // `values` gives the variables in the order they were named at compile
    // time; missing trailing values count as unset and fail if used.
    Result<double> evaluate(std::span<const double> values = {}) const;

    qsizetype variableCount() const { return variables_.size(); }
    const QStringList &variables() const { return variables_; }
    // Whether the formula refers to variable `index` anywhere.
    bool uses(qsizetype index) const;
    const QString &text() const { return text_; }

    enum class Op : std::uint8_t {
        Const,
        Var,
        Neg,
        Add,
        Sub,
        Mul,
        Div,
        IntDiv,
        Pow,
        Abs,
        Atn,
        Cos,
        Exp,
        Log,
        Sgn,
        Sin,
        Sqr,
        Tan,
    };
    struct Instruction {
        Op op;
        std::int32_t position; // 1-based column in the text, for messages
        std::int32_t index; // Var: which variable
        double value; // Const: the number
    };

private:
    friend class ExpressionCompiler;
    Expression() = default;

    QString text_;
    QStringList variables_;
    std::vector<Instruction> code_;
    int stackDepth_ = 0;
};

// Evaluates a formula without variables: the evaluation call of the formulas.
Result<double> Eval(QStringView expression);

// Integer division as the formula language does it: both operands rounded to
// whole numbers, halves to the even neighbour, then the quotient truncated
// toward zero. Fails on a zero divisor and on operands beyond 32-bit range.
Result<double> integerDivide(double dividend, double divisor);

} // namespace kulvera
