#include "util/Expression.h"

#include "common/NumberText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>

namespace kulvera {
namespace {

// Deep enough for any real formula, shallow enough that "((((..." typed by
// mistake or on purpose cannot exhaust the stack of the parser.
constexpr int kMaxNesting = 200;

QString at(int position)
{
    return QStringLiteral(" (позиция %1)").arg(position);
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

struct FunctionName {
    const char16_t *name;
    Expression::Op op;
};
constexpr std::array<FunctionName, 9> kFunctions {{
    {u"abs", Expression::Op::Abs},
    {u"atn", Expression::Op::Atn},
    {u"cos", Expression::Op::Cos},
    {u"exp", Expression::Op::Exp},
    {u"log", Expression::Op::Log},
    {u"sgn", Expression::Op::Sgn},
    {u"sin", Expression::Op::Sin},
    {u"sqr", Expression::Op::Sqr},
    {u"tan", Expression::Op::Tan},
}};

const char16_t *functionName(Expression::Op op)
{
    for (const FunctionName &f : kFunctions)
        if (f.op == op)
            return f.name;
    return u"?";
}

} // namespace

// Recursive descent over the text, emitting postfix code as it goes.
class ExpressionCompiler
{
public:
    ExpressionCompiler(QStringView text, const QStringList &variables)
        : text_(text)
        , variables_(variables)
    {
        order_.resize(static_cast<size_t>(variables.size()));
        std::iota(order_.begin(), order_.end(), 0);
        std::stable_sort(
            order_.begin(), order_.end(), [&](int a, int b) { return variables[a].size() > variables[b].size(); });
    }

    Result<Expression> run()
    {
        skipBlanks();
        if (pos_ >= text_.size())
            return Result<Expression>::failure(QStringLiteral("Пустое выражение"));
        if (!parseSum())
            return Result<Expression>::failure(error_);
        skipBlanks();
        if (pos_ < text_.size()) {
            const QChar c = text_[pos_];
            const qsizetype extra = pos_;
            if (c == u',' || !(isNameChar(c) || c == u'.' || QStringView(u"()+-*/\\^").contains(c))) {
                // Not even a token: let the operand parser name the character.
                if (!parsePrimary())
                    return Result<Expression>::failure(error_);
            }
            return Result<Expression>::failure(
                QStringLiteral("Синтаксическая ошибка: лишний текст '%1'").arg(text_.mid(extra, 12).toString())
                + at(static_cast<int>(extra) + 1));
        }
        Expression e;
        e.text_ = text_.toString();
        e.variables_ = variables_;
        e.code_ = std::move(code_);
        e.stackDepth_ = maxDepth_;
        return e;
    }

private:
    int column() const { return static_cast<int>(pos_) + 1; }

    void skipBlanks()
    {
        while (pos_ < text_.size() && text_[pos_].isSpace())
            ++pos_;
    }

    // Looks at the next non-blank character without consuming it.
    QChar peek()
    {
        skipBlanks();
        return pos_ < text_.size() ? text_[pos_] : QChar();
    }

    bool fail(const QString &message)
    {
        if (error_.isEmpty())
            error_ = message;
        return false;
    }

    void put(Expression::Op op, int position, double value = 0.0, int index = 0)
    {
        using Op = Expression::Op;
        code_.push_back({op, position, index, value});
        if (op == Op::Const || op == Op::Var)
            maxDepth_ = std::max(maxDepth_, ++depth_);
        else if (op == Op::Add || op == Op::Sub || op == Op::Mul || op == Op::Div || op == Op::IntDiv || op == Op::Pow)
            --depth_;
    }

    bool enter()
    {
        if (++nesting_ > kMaxNesting)
            return fail(QStringLiteral("Слишком глубокая вложенность выражения") + at(column()));
        return true;
    }

    // sum := intdiv (('+' | '-') intdiv)*
    bool parseSum()
    {
        if (!parseIntDiv())
            return false;
        for (QChar c = peek(); c == u'+' || c == u'-'; c = peek()) {
            const int position = column();
            ++pos_;
            if (!parseIntDiv())
                return false;
            put(c == u'+' ? Expression::Op::Add : Expression::Op::Sub, position);
        }
        return true;
    }

    // intdiv := product ('\' product)*
    bool parseIntDiv()
    {
        if (!parseProduct())
            return false;
        while (peek() == u'\\') {
            const int position = column();
            ++pos_;
            if (!parseProduct())
                return false;
            put(Expression::Op::IntDiv, position);
        }
        return true;
    }

    // product := signed (('*' | '/') signed)*
    bool parseProduct()
    {
        if (!parseSigned())
            return false;
        for (QChar c = peek(); c == u'*' || c == u'/'; c = peek()) {
            const int position = column();
            ++pos_;
            if (!parseSigned())
                return false;
            put(c == u'*' ? Expression::Op::Mul : Expression::Op::Div, position);
        }
        return true;
    }

    // signed := ('-' | '+') signed | power. Unary minus sits below ^, so
    // -2^2 is -(2^2).
    bool parseSigned()
    {
        const QChar c = peek();
        if (c == u'-' || c == u'+') {
            const int position = column();
            ++pos_;
            if (!enter() || !parseSigned())
                return false;
            --nesting_;
            if (c == u'-')
                put(Expression::Op::Neg, position);
            return true;
        }
        return parsePower();
    }

    // power := primary ('^' exponent)*, grouped left to right.
    bool parsePower()
    {
        if (!parsePrimary())
            return false;
        while (peek() == u'^') {
            const int position = column();
            ++pos_;
            if (!parseExponent())
                return false;
            put(Expression::Op::Pow, position);
        }
        return true;
    }

    // exponent := ('-' | '+') exponent | primary: 2^-1 is allowed, and the
    // sign takes only the next operand so 2^-2^2 stays (2^-2)^2.
    bool parseExponent()
    {
        const QChar c = peek();
        if (c == u'-' || c == u'+') {
            const int position = column();
            ++pos_;
            if (!enter() || !parseExponent())
                return false;
            --nesting_;
            if (c == u'-')
                put(Expression::Op::Neg, position);
            return true;
        }
        return parsePrimary();
    }

    bool parsePrimary()
    {
        const QChar c = peek();
        const int position = column();
        if (c.isNull())
            return fail(QStringLiteral("Синтаксическая ошибка: выражение оборвано, ожидалось число, имя или '('")
                + at(position));
        if (matchVariable())
            return true;
        if (isDigit(c) || c == u'.')
            return parseNumber();
        if (c == u'(') {
            ++pos_;
            if (!enter() || !parseSum())
                return false;
            --nesting_;
            if (peek() != u')')
                return fail(QStringLiteral("Синтаксическая ошибка: не хватает ')' к '(' в позиции %1").arg(position)
                    + at(column()));
            ++pos_;
            return true;
        }
        if (c.isLetter() || c == u'_')
            return parseName();
        if (c == u')' || c == u'+' || c == u'-' || c == u'*' || c == u'/' || c == u'\\' || c == u'^')
            return fail(QStringLiteral("Синтаксическая ошибка: ожидалось число, имя или '(' вместо '%1'").arg(c)
                + at(position));
        if (c == u',')
            return fail(
                QStringLiteral("Недопустимый символ ',' (десятичный разделитель в формуле - точка)") + at(position));
        return fail(QStringLiteral("Недопустимый символ '%1'").arg(c) + at(position));
    }

    // Longest variable first; one that ends in a letter or digit must not be
    // followed by another, so "m" does not match the start of "m1".
    bool matchVariable()
    {
        const QStringView rest = text_.mid(pos_);
        for (const int index : order_) {
            const QString &name = variables_[index];
            if (name.isEmpty() || !rest.startsWith(name))
                continue;
            const qsizetype end = pos_ + name.size();
            if (isNameChar(name.back()) && end < text_.size() && isNameChar(text_[end]))
                continue;
            put(Expression::Op::Var, column(), 0.0, index);
            pos_ = end;
            return true;
        }
        return false;
    }

    // digits ['.' digits] [('e' | 'E') ['+' | '-'] digits], or '.' digits.
    bool parseNumber()
    {
        const qsizetype start = pos_;
        const int position = column();
        const auto digitsFrom = [&] {
            const qsizetype from = pos_;
            while (pos_ < text_.size() && isDigit(text_[pos_]))
                ++pos_;
            return pos_ - from;
        };
        qsizetype digits = digitsFrom();
        if (pos_ < text_.size() && text_[pos_] == u'.') {
            ++pos_;
            digits += digitsFrom();
        }
        bool bad = digits == 0;
        if (!bad && pos_ < text_.size() && (text_[pos_] == u'e' || text_[pos_] == u'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == u'+' || text_[pos_] == u'-'))
                ++pos_;
            bad = digitsFrom() == 0;
        }
        // "1.2.3" or "12abc" is one malformed number, not two operands.
        while (pos_ < text_.size() && (isNameChar(text_[pos_]) || text_[pos_] == u'.')) {
            ++pos_;
            bad = true;
        }
        const QString literal = text_.mid(start, pos_ - start).toString();
        if (bad)
            return fail(QStringLiteral("Синтаксическая ошибка: неверное число '%1'").arg(literal) + at(position));
        bool ok = false;
        const double value = literal.toDouble(&ok); // C locale: '.' and 'e'
        if (!ok || !std::isfinite(value))
            return fail(QStringLiteral("Переполнение: число '%1' слишком велико").arg(literal) + at(position));
        put(Expression::Op::Const, position, value);
        return true;
    }

    bool parseName()
    {
        const qsizetype start = pos_;
        const int position = column();
        while (pos_ < text_.size() && isNameChar(text_[pos_]))
            ++pos_;
        const QStringView name = text_.mid(start, pos_ - start);
        const auto fn = std::find_if(kFunctions.begin(), kFunctions.end(),
            [&](const FunctionName &f) { return name.compare(QStringView(f.name), Qt::CaseInsensitive) == 0; });
        if (fn == kFunctions.end())
            return fail(QStringLiteral("Неизвестное имя '%1'").arg(name.toString()) + at(position));
        if (peek() != u'(')
            return fail(QStringLiteral("Синтаксическая ошибка: после функции '%1' ожидалась '('").arg(name.toString())
                + at(column()));
        const int open = column();
        ++pos_;
        if (!enter() || !parseSum())
            return false;
        --nesting_;
        if (peek() != u')')
            return fail(
                QStringLiteral("Синтаксическая ошибка: не хватает ')' к '(' в позиции %1").arg(open) + at(column()));
        ++pos_;
        put(fn->op, position);
        return true;
    }

    QStringView text_;
    const QStringList &variables_;
    std::vector<int> order_;
    qsizetype pos_ = 0;
    int nesting_ = 0;
    std::vector<Expression::Instruction> code_;
    int depth_ = 0;
    int maxDepth_ = 0;
    QString error_;
};

Result<Expression> Expression::compile(QStringView text, const QStringList &variables)
{
    return ExpressionCompiler(text, variables).run();
}

bool Expression::uses(qsizetype index) const
{
    return std::any_of(
        code_.begin(), code_.end(), [&](const Instruction &in) { return in.op == Op::Var && in.index == index; });
}

Result<double> integerDivide(double dividend, double divisor)
{
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    const double a = roundHalfEven(dividend);
    const double b = roundHalfEven(divisor);
    if (!(a >= lo && a <= hi && b >= lo && b <= hi))
        return Result<double>::failure(QStringLiteral("Переполнение при целочисленном делении"));
    if (b == 0.0)
        return Result<double>::failure(QStringLiteral("Деление на ноль"));
    return static_cast<double>(static_cast<std::int64_t>(a) / static_cast<std::int64_t>(b));
}

Result<double> Expression::evaluate(std::span<const double> values) const
{
    constexpr int kInline = 32;
    std::array<double, kInline> inlineStack;
    std::vector<double> bigStack;
    double *s = inlineStack.data();
    if (stackDepth_ > kInline) {
        bigStack.resize(static_cast<size_t>(stackDepth_));
        s = bigStack.data();
    }
    int top = -1; // index of the top of the stack

    const auto failAt
        = [](const Instruction &in, const QString &text) { return Result<double>::failure(text + at(in.position)); };
    const auto argument = [](const Instruction &in, double x) {
        return QStringLiteral("Недопустимый аргумент функции %1: %2")
            .arg(QStringView(functionName(in.op)), formatNumber(x));
    };

    for (const Instruction &in : code_) {
        double r = 0.0;
        switch (in.op) {
        case Op::Const:
            s[++top] = in.value;
            continue;
        case Op::Var:
            if (static_cast<size_t>(in.index) >= values.size())
                return failAt(in, QStringLiteral("Не задано значение '%1'").arg(variables_[in.index]));
            s[++top] = values[static_cast<size_t>(in.index)];
            continue;
        case Op::Neg:
            s[top] = -s[top];
            continue;
        case Op::Add:
            r = s[top - 1] + s[top];
            break;
        case Op::Sub:
            r = s[top - 1] - s[top];
            break;
        case Op::Mul:
            r = s[top - 1] * s[top];
            break;
        case Op::Div:
            if (s[top] == 0.0)
                return failAt(in, QStringLiteral("Деление на ноль"));
            r = s[top - 1] / s[top];
            break;
        case Op::IntDiv: {
            const Result<double> q = integerDivide(s[top - 1], s[top]);
            if (!q)
                return failAt(in, q.error());
            r = *q;
            break;
        }
        case Op::Pow: {
            const double base = s[top - 1];
            const double exponent = s[top];
            if (base == 0.0 && exponent < 0.0)
                return failAt(in, QStringLiteral("Деление на ноль: 0 в отрицательной степени"));
            if (base < 0.0 && exponent != std::trunc(exponent))
                return failAt(in,
                    QStringLiteral("Недопустимое возведение в степень: %1 ^ %2")
                        .arg(formatNumber(base), formatNumber(exponent)));
            r = std::pow(base, exponent);
            break;
        }
        case Op::Abs:
            s[top] = std::fabs(s[top]);
            continue;
        case Op::Atn:
            s[top] = std::atan(s[top]);
            continue;
        case Op::Cos:
            s[top] = std::cos(s[top]);
            continue;
        case Op::Exp:
            r = std::exp(s[top]);
            if (!std::isfinite(r))
                return failAt(in, QStringLiteral("Переполнение"));
            s[top] = r;
            continue;
        case Op::Log:
            if (!(s[top] > 0.0))
                return failAt(in, argument(in, s[top]));
            s[top] = std::log(s[top]);
            continue;
        case Op::Sgn:
            s[top] = s[top] > 0.0 ? 1.0 : (s[top] < 0.0 ? -1.0 : 0.0);
            continue;
        case Op::Sin:
            s[top] = std::sin(s[top]);
            continue;
        case Op::Sqr:
            if (s[top] < 0.0)
                return failAt(in, argument(in, s[top]));
            s[top] = std::sqrt(s[top]);
            continue;
        case Op::Tan:
            s[top] = std::tan(s[top]);
            continue;
        }
        // Binary operators land here: the result replaces both operands.
        if (!std::isfinite(r))
            return failAt(in, QStringLiteral("Переполнение"));
        s[--top] = r;
    }
    const double result = s[top];
    if (!std::isfinite(result)) // a non-finite variable value passed straight through
        return Result<double>::failure(QStringLiteral("Переполнение"));
    return result;
}

Result<double> Eval(QStringView expression)
{
    const Result<Expression> compiled = Expression::compile(expression);
    if (!compiled)
        return Result<double>::failure(compiled.error());
    return compiled->evaluate();
}

} // namespace kulvera
