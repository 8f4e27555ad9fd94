#pragma once

#include "research/Protocol.h"

#include <QString>

#include <array>
#include <vector>

namespace kulvera {

// The columns of a protocol's grid, as the screen and the printed protocol show them.
enum ProtocolColumn {
    ParameterColumn, // "Параметр": the method, or "name (designation)" of a parameter
    FirstColumn, // "Опыт 1": the measured value, or the method's result
    SecondColumn, // "Опыт 2"
    AverageColumn, // "Среднее"
    DifferenceColumn, // "Разн. м/опытами"
    LowestColumn, // "Расчетное, мин."
    HighestColumn, // "Расчетное, макс."
    CompareMinColumn, // "С чем сравнивать (min)"
    CompareMaxColumn, // "С чем сравнивать (max)"
    DishColumn, // the dish's computed value of the method's `Compare`
    DeviationColumn, // "Отклонение, %"
    UnitColumn, // "Ед. изм."
    NdColumn, // "Норм. док"
    ProtocolColumnCount
};

QString protocolColumnCaption(int column);

// Results are shown with this many decimals.
inline constexpr int kProtocolDecimals = 3;

// One line of the grid: a method with its results, followed by one line for
// each of its parameters with the values of the two experiments.
struct ProtocolGridRow {
    int methodId = 0;
    int paramId = 0; // 0 on the method's own line
    bool computed = false; // a method line whose results came out
    QString problem; // a method line that was not computed: why
    std::array<QString, ProtocolColumnCount> cells;
};

std::vector<ProtocolGridRow> protocolGrid(const Protocol &protocol, const MethodCalculation &calculation);

} // namespace kulvera
