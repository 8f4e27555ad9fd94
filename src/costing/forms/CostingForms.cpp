#include "costing/forms/CostingForms.h"

#include "costing/forms/AnalysisForm.h"

namespace kulvera {

void registerCostingForms(CommandRegistry &registry)
{
    registry.add(QStringLiteral("AnalysMenu"),
        [](AppContext &context, QWidget *parent) -> QWidget * { return new AnalysisForm(context, parent); });
}

} // namespace kulvera
