#include "CliCommand.h"

#include "common/NumberText.h"
#include "util/Expression.h"

#include <vector>

namespace kulvera {
namespace {

const QString kEvalUsage = QStringLiteral("eval EXPRESSION [NAME=VALUE ...]");

// Values are written as users type them, with "," or "."; a name may be any
// designation a method formula uses.
int evalCommand(CliRun &run)
{
    if (run.args.isEmpty()) {
        run.err << "Usage: " << kEvalUsage << '\n';
        return kExitUsage;
    }
    QStringList names;
    std::vector<double> values;
    for (qsizetype i = 1; i < run.args.size(); ++i) {
        const QString &binding = run.args[i];
        const qsizetype eq = binding.indexOf(u'=');
        const auto value = eq > 0 ? parseNumber(QStringView(binding).mid(eq + 1)) : std::nullopt;
        if (!value) {
            run.err << "Not a NAME=VALUE pair with a number: " << binding << '\n';
            return kExitUsage;
        }
        names << binding.left(eq).trimmed();
        values.push_back(*value);
    }
    const Result<Expression> compiled = Expression::compile(run.args.first(), names);
    if (!compiled) {
        run.err << compiled.error() << '\n';
        return kExitFailed;
    }
    const Result<double> result = compiled->evaluate(values);
    if (!result) {
        run.err << result.error() << '\n';
        return kExitFailed;
    }
    run.out << formatNumber(*result) << '\n';
    return kExitOk;
}

const CliRegistrar evalRegistrar({QStringLiteral("eval"), kEvalUsage,
    QStringLiteral("evaluate an arithmetic formula; NAME=VALUE gives its designations"), evalCommand});

} // namespace
} // namespace kulvera
