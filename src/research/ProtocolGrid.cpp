#include "research/ProtocolGrid.h"

#include "common/NumberText.h"

#include <algorithm>

namespace kulvera {
namespace {

QString shown(double value)
{
    return formatFixed(value, kProtocolDecimals);
}

QString shown(const std::optional<double> &value)
{
    return value ? shown(*value) : QString();
}

// A measured value with the program's comma however it was typed; text that
// is no number stays as it is, so the problem can be seen.
QString measured(const QString &typed)
{
    const std::optional<double> v = parseNumber(typed);
    return v ? formatNumber(*v) : typed.trimmed();
}

} // namespace

QString protocolColumnCaption(int column)
{
    static const char16_t *const captions[ProtocolColumnCount] = {u"Параметр (обозначение)", u"Опыт 1", u"Опыт 2",
        u"Среднее", u"Разн. м/опытами", u"Расчетное, мин.", u"Расчетное, макс.", u"С чем сравнивать (min)",
        u"С чем сравнивать (max)", u"По рецептуре", u"Отклонение, %", u"Ед. изм.", u"Норм. док"};
    return column >= 0 && column < ProtocolColumnCount ? QString::fromUtf16(captions[column]) : QString();
}

std::vector<ProtocolGridRow> protocolGrid(const Protocol &protocol, const MethodCalculation &calculation)
{
    std::vector<ProtocolGridRow> rows;
    for (const Method &method : protocol.methods.methods) {
        ProtocolGridRow line;
        line.methodId = method.id;
        line.cells[ParameterColumn] = methodDisplayName(method);
        line.cells[UnitColumn] = method.unit;
        line.cells[NdColumn] = method.nd;
        const auto result = std::find_if(calculation.results.begin(), calculation.results.end(),
            [&](const MethodResult &r) { return r.methodId == method.id; });
        if (result != calculation.results.end() && result->computed) {
            const MethodResult &r = *result;
            line.computed = true;
            line.cells[FirstColumn] = shown(r.first);
            line.cells[SecondColumn] = shown(r.second);
            line.cells[AverageColumn] = shown(r.average);
            line.cells[DifferenceColumn] = shown(r.difference);
            line.cells[LowestColumn] = shown(r.lowest);
            line.cells[HighestColumn] = shown(r.highest);
            line.cells[CompareMinColumn] = shown(r.compareMin);
            line.cells[CompareMaxColumn] = shown(r.compareMax);
            line.cells[DishColumn] = shown(r.reference);
            line.cells[DeviationColumn] = r.deviationText;
        } else {
            line.problem = result != calculation.results.end() ? result->problem : QString();
            if (const auto reference = protocol.referenceLookup()(method.compare))
                line.cells[DishColumn] = shown(*reference);
        }
        rows.push_back(line);
        for (const MethodParam *p : protocol.methods.paramsOf(method.id)) {
            ProtocolGridRow param;
            param.methodId = method.id;
            param.paramId = p->id;
            param.cells[ParameterColumn] = p->designation.trimmed().isEmpty()
                ? p->name
                : p->name + QStringLiteral(" (") + p->designation.trimmed() + u')';
            const ExperimentValues v = protocol.values.value(p->id);
            param.cells[FirstColumn] = measured(v.first);
            param.cells[SecondColumn] = measured(v.second);
            param.cells[UnitColumn] = p->unit;
            rows.push_back(param);
        }
    }
    return rows;
}

} // namespace kulvera
