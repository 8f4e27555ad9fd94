#pragma once

#include "util/FormulaMethod.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace kulvera {

class Prompter;

// The measured values of one parameter in the two parallel experiments, as
// typed ("1,5" or "1.5").
struct ExperimentValues {
    QString first;
    QString second;
};

// The dish's own value of a `Compare` component (dry substance, fat, ...),
// computed from its recipe; nothing when the dish has no such value.
using ReferenceLookup = std::function<std::optional<double>(const QString &compare)>;

// One chosen method computed for a dish: a row of the calculation grid.
struct MethodResult {
    int methodId = 0;
    QString name; // as shown
    QString unit;
    QString nd;
    QString compare;
    bool computed = false;
    QString problem; // why it was not computed

    double first = 0.0; // "Опыт 1"
    double second = 0.0; // "Опыт 2"
    double average = 0.0; // "Среднее"
    double difference = 0.0; // "Разн. м/опытами", always >= 0
    double lowest = 0.0; // "Расчетное, мин.": the smaller experiment result
    double highest = 0.0; // "Расчетное, макс."
    std::optional<double> compareMin; // "С чем сравнивать (min)": `Min` evaluated
    std::optional<double> compareMax; // "С чем сравнивать (max)": `Max` evaluated
    std::optional<double> reference; // the dish's value of `Compare`
    std::optional<double> deviation; // |average - reference| / |reference| * 100
    QString deviationText; // "Отклонение, %": "12,346%"
};

struct MethodCalculation {
    std::vector<MethodResult> results; // in the order the methods were chosen
    QStringList problems; // every message, each once
    bool anyComputed() const;
};

// Computes the chosen methods for one dish. `values` are keyed by the
// parameter's id. A method that cannot be computed is reported and skipped;
// the others go on. Problems are shown together in one message, then
// "Нет расчетных значений!" when nothing was computed.
//
// `Min` and `Max` are expressions that may use the `Compare` text as a name
// standing for the dish's reference value ("Жиры*0.9"); empty means no bound.
MethodCalculation computeMethods(const MethodCatalog &catalog, const QList<int> &chosen,
    const QHash<int, ExperimentValues> &values, const ReferenceLookup &reference, Prompter &prompter);

// The same without a word to the user: the problems are only returned (a
// saved protocol is shown again as it was computed, without its messages).
MethodCalculation calculateMethods(const MethodCatalog &catalog, const QList<int> &chosen,
    const QHash<int, ExperimentValues> &values, const ReferenceLookup &reference);

// The deviation as shown: three decimals with the program's comma and "%".
QString deviationText(double percent);

} // namespace kulvera
