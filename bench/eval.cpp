// One compiled laboratory formula evaluated over and over with new values:
// the cost of a single evaluation once the text has been parsed.
#include "util/Expression.h"

#include <benchmark/benchmark.h>

#include <array>

using namespace kulvera;

namespace {

const QStringList kNames {
    QStringLiteral("m"), QStringLiteral("m1"), QStringLiteral("m2"), QStringLiteral("V"), QStringLiteral("K")};
const QString kFormula = QStringLiteral("(m1 - m2) * K * 100 / (m * V) + sqr(abs(m1 - m)) - 2^-1 + (m1 \\ 3)");

void evaluateCompiledFormula(benchmark::State &state)
{
    const Result<Expression> e = Expression::compile(kFormula, kNames);
    if (!e) {
        state.SkipWithError(e.error().toStdString().c_str());
        return;
    }
    std::array<double, 5> values {2.0, 20.0, 5.0, 1.5, 0.98};
    double sum = 0.0;
    for (auto _ : state) {
        values[1] += 0.001; // changing values each time
        const Result<double> r = e->evaluate(values);
        sum += *r;
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(evaluateCompiledFormula)->Iterations(1000000)->Unit(benchmark::kNanosecond);

// For comparison: parsing the text again at every evaluation.
void compileAndEvaluate(benchmark::State &state)
{
    std::array<double, 5> values {2.0, 20.0, 5.0, 1.5, 0.98};
    double sum = 0.0;
    for (auto _ : state) {
        values[1] += 0.001;
        sum += *Expression::compile(kFormula, kNames)->evaluate(values);
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(compileAndEvaluate)->Iterations(100000)->Unit(benchmark::kNanosecond);

} // namespace

BENCHMARK_MAIN();
