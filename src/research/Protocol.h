#pragma once

#include "util/MethodCalculation.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

namespace kulvera {

class Prompter;

// One laboratory research protocol of a dish: which dish and when, the
// methods as they were when it was computed (with their parameters), the
// values measured in the two parallel experiments and the dish's own values
// the results are compared with. A protocol carries its methods with it, so
// later edits of the methods base do not change what a saved protocol shows.
struct Protocol {
    int id = 0; // 0 until saved
    QString number; // given at the first save when empty
    QDate date;
    QString collection; // the recipe table of the dish base
    QString dish;
    QString output; // the output the dish was computed for
    QString note;
    MethodCatalog methods; // in the order chosen, internal methods after the method using them
    QHash<int, ExperimentValues> values; // by parameter key
    QHash<QString, double> references; // the dish's value of each `Compare` it has

    QList<int> methodIds() const;
    ReferenceLookup referenceLookup() const;
    // The grid's results without a word to the user (a protocol shown again).
    MethodCalculation calculate() const;
    // The same, with the problems shown together and "Нет расчетных значений!"
    // when nothing came out.
    MethodCalculation compute(Prompter &prompter) const;
};

// Adds the methods of `base` with these keys to the protocol, each with its
// parameters and, after it, the internal methods whose names occur in its
// formula (at any depth), so their parameters can be measured too. A method
// already in the protocol is not added again. Returns how many were added.
int addMethods(Protocol &protocol, const MethodCatalog &base, const QList<int> &ids);

// Takes a method out of the protocol with its parameters and their values.
void removeMethod(Protocol &protocol, int methodId);

// Sets the values of every parameter of the protocol designated `designation`
// (a designation may be shared by several methods). Returns how many were set.
int setValuesByDesignation(Protocol &protocol, const QString &designation, const ExperimentValues &values);

} // namespace kulvera
