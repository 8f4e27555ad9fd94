#include "util/MethodCalculation.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "util/Expression.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace kulvera {
namespace {

// The formula's own decimal commas become points; values are bound as numbers.
QString withDecimalPoints(const QString &formula)
{
    QString text = formula;
    text.replace(u',', u'.');
    return text;
}

// Computes methods on demand, remembering each one so an internal method
// shared by several formulas is computed (and reported) once.
class Calculator
{
public:
    Calculator(
        const MethodCatalog &catalog, const QHash<int, ExperimentValues> &values, const ReferenceLookup &reference)
        : catalog_(catalog)
        , values_(values)
        , reference_(reference)
    {
    }

    MethodResult compute(const Method &method)
    {
        if (const auto it = done_.find(method.id); it != done_.end())
            return it.value();
        MethodResult r;
        r.methodId = method.id;
        r.name = methodDisplayName(method);
        r.unit = method.unit;
        r.nd = method.nd;
        r.compare = method.compare;
        if (inProgress_.contains(method.id)) {
            // Not remembered: the outer computation of this method reports it.
            cycle_ = QStringLiteral("Метод '%1' ссылается сам на себя через внутренние методы").arg(r.name);
            r.problem = cycle_;
            return r;
        }
        inProgress_.insert(method.id);
        run(method, r);
        inProgress_.remove(method.id);
        if (!r.computed)
            report(r.problem);
        done_.insert(method.id, r);
        return r;
    }

    void report(const QString &problem)
    {
        if (!problem.isEmpty() && !problems_.contains(problem))
            problems_ << problem;
    }

    const QStringList &problems() const { return problems_; }

private:
    void run(const Method &method, MethodResult &r)
    {
        const auto stop = [&](const QString &problem) { r.problem = problem; };

        QStringList names;
        std::vector<double> first;
        std::vector<double> second;
        for (const MethodParam *p : catalog_.paramsOf(method.id)) {
            const QString designation = p->designation.trimmed();
            if (designation.isEmpty())
                return stop(
                    QStringLiteral("В базе не указано буквенное обозначение для показателя '") + p->name + u'\'');
            const ExperimentValues v = values_.value(p->id);
            if (v.first.trimmed().isEmpty())
                return stop(QStringLiteral("Не указано значение первого опыта для показателя '") + p->name + u'\'');
            if (v.second.trimmed().isEmpty())
                return stop(QStringLiteral("Не указано значение второго опыта для показателя '") + p->name + u'\'');
            const auto v1 = parseNumber(v.first);
            if (!v1)
                return stop(QStringLiteral("Значение первого опыта для показателя '%1' не является числом: %2")
                                .arg(p->name, v.first));
            const auto v2 = parseNumber(v.second);
            if (!v2)
                return stop(QStringLiteral("Значение второго опыта для показателя '%1' не является числом: %2")
                                .arg(p->name, v.second));
            if (names.contains(designation))
                return stop(QStringLiteral("Метод '%1': обозначение '%2' задано у нескольких параметров")
                                .arg(r.name, designation));
            names << designation;
            first.push_back(*v1);
            second.push_back(*v2);
        }

        // Internal methods come after the designations, so a designation
        // that happens to equal a method name keeps its measured value.
        const qsizetype designationCount = names.size();
        const QStringList internal = splitInternalNames(method.internal);
        names += internal;

        if (method.formula.trimmed().isEmpty())
            return stop(QStringLiteral("Метод '%1': не задана формула").arg(r.name));
        const Result<Expression> formula = Expression::compile(withDecimalPoints(method.formula), names);
        if (!formula)
            return stop(QStringLiteral("Метод '%1': %2").arg(r.name, formula.error()));

        for (qsizetype i = 0; i < internal.size(); ++i) {
            if (!formula->uses(designationCount + i)) {
                first.push_back(0.0);
                second.push_back(0.0);
                continue;
            }
            const Method *inner = catalog_.methodNamed(internal[i]);
            if (!inner)
                return stop(QStringLiteral("Метод '%1': не найден внутренний метод '%2'").arg(r.name, internal[i]));
            const MethodResult sub = compute(*inner);
            if (!sub.computed) {
                if (sub.problem == cycle_)
                    return stop(cycle_);
                return stop(QStringLiteral("Метод '%1': не вычислен внутренний метод '%2'").arg(r.name, internal[i]));
            }
            first.push_back(sub.first);
            second.push_back(sub.second);
        }

        const Result<double> r1 = formula->evaluate(first);
        if (!r1)
            return stop(QStringLiteral("Метод '%1', опыт 1: %2").arg(r.name, r1.error()));
        const Result<double> r2 = formula->evaluate(second);
        if (!r2)
            return stop(QStringLiteral("Метод '%1', опыт 2: %2").arg(r.name, r2.error()));

        r.computed = true;
        r.first = *r1;
        r.second = *r2;
        r.average = (r.first + r.second) / 2.0;
        r.difference = std::fabs(r.first - r.second);
        r.lowest = std::min(r.first, r.second);
        r.highest = std::max(r.first, r.second);

        const QString compare = method.compare.trimmed();
        if (!compare.isEmpty() && reference_)
            r.reference = reference_(compare);
        r.compareMin = bound(r, method.min, compare, QStringLiteral("нижняя граница"));
        r.compareMax = bound(r, method.max, compare, QStringLiteral("верхняя граница"));
        if (r.reference && *r.reference != 0.0) {
            r.deviation = std::fabs(r.average - *r.reference) / std::fabs(*r.reference) * 100.0;
            r.deviationText = deviationText(*r.deviation);
        }
    }

    // A bound that cannot be evaluated is reported; the result still stands.
    std::optional<double> bound(const MethodResult &r, const QString &text, const QString &compare, const QString &what)
    {
        if (text.trimmed().isEmpty())
            return std::nullopt;
        const QStringList names = compare.isEmpty() ? QStringList() : QStringList {compare};
        const Result<Expression> e = Expression::compile(withDecimalPoints(text), names);
        if (!e) {
            report(QStringLiteral("Метод '%1', %2: %3").arg(r.name, what, e.error()));
            return std::nullopt;
        }
        if (!compare.isEmpty() && e->uses(0) && !r.reference) {
            report(QStringLiteral("Метод '%1', %2: нет значения '%3' для сравнения").arg(r.name, what, compare));
            return std::nullopt;
        }
        const std::vector<double> values {r.reference.value_or(0.0)};
        const Result<double> v = e->evaluate(values);
        if (!v) {
            report(QStringLiteral("Метод '%1', %2: %3").arg(r.name, what, v.error()));
            return std::nullopt;
        }
        return *v;
    }

    const MethodCatalog &catalog_;
    const QHash<int, ExperimentValues> &values_;
    const ReferenceLookup &reference_;
    QHash<int, MethodResult> done_;
    QSet<int> inProgress_;
    QStringList problems_;
    QString cycle_;
};

} // namespace

bool MethodCalculation::anyComputed() const
{
    return std::any_of(results.begin(), results.end(), [](const MethodResult &r) { return r.computed; });
}

QString deviationText(double percent)
{
    return formatFixed(std::fabs(percent), 3) + u'%';
}

MethodCalculation calculateMethods(const MethodCatalog &catalog, const QList<int> &chosen,
    const QHash<int, ExperimentValues> &values, const ReferenceLookup &reference)
{
    MethodCalculation calculation;
    if (chosen.isEmpty()) {
        calculation.problems << QStringLiteral("Не указаны показатели исследований продукции!");
        return calculation;
    }
    Calculator calculator(catalog, values, reference);
    for (const int id : chosen) {
        const Method *method = catalog.method(id);
        if (!method) {
            calculator.report(QStringLiteral("Метод с кодом %1 не найден в базе методов").arg(id));
            continue;
        }
        calculation.results.push_back(calculator.compute(*method));
    }
    calculation.problems = calculator.problems();
    if (!calculation.anyComputed())
        calculation.problems << QStringLiteral("Нет расчетных значений!");
    return calculation;
}

MethodCalculation computeMethods(const MethodCatalog &catalog, const QList<int> &chosen,
    const QHash<int, ExperimentValues> &values, const ReferenceLookup &reference, Prompter &prompter)
{
    MethodCalculation calculation = calculateMethods(catalog, chosen, values, reference);
    if (!calculation.problems.isEmpty())
        prompter.warning(calculation.problems.join(u'\n'));
    return calculation;
}

} // namespace kulvera
