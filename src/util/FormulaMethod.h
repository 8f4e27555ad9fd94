#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace kulvera {

// One research method of the physico-chemical methods base (a row of
// `methods`): a formula over the letter designations of its parameters.
struct Method {
    int id = 0;
    QString name;
    QString formula;
    QString min; // lower bound expression of the calculated value
    QString max; // upper bound expression
    QString compare; // the dish component the result is compared with
    int showing = 0; // display setting of the indicator
    QString desc;
    QString internal; // names of methods whose results enter the formula
    bool hidden = false;
    QString unit;
    QString nd;
    QString val;
};

// A parameter of a method (a row of `calcs`). The same designation may be
// used by several methods, each with its own parameter row.
struct MethodParam {
    int id = 0;
    int methodId = 0;
    QString name;
    QString designation;
    QString type = QStringLiteral("d");
    QString unit;
};

inline constexpr char16_t kUnnamedMethod[] = u"[название не задано]";

// Why a text cannot be a parameter designation, or empty when it can. A
// designation stands in a formula for a number, so it may not hold blanks,
// operators, parentheses or separators, nor begin like a number.
QString designationProblem(QStringView designation);

// The name shown in lists: "[название не задано]" for an empty one.
QString methodDisplayName(const Method &method);

// `Internal` lists method names separated by any of ",", "-", ".", "+", ":"
// or ";"; blanks around a name are dropped, and so are empty names.
QStringList splitInternalNames(QStringView internal);

// Methods and their parameters as loaded from the base (or built by a test).
struct MethodCatalog {
    std::vector<Method> methods;
    std::vector<MethodParam> params;

    const Method *method(int id) const;
    // First method with exactly this name (blanks around ignored).
    const Method *methodNamed(QStringView name) const;
    std::vector<const MethodParam *> paramsOf(int methodId) const;
    // Names of the methods other than `exceptMethodId` that have a parameter
    // designated `designation`, each once, in catalogue order.
    QStringList methodsUsing(QStringView designation, int exceptMethodId) const;
};

} // namespace kulvera
