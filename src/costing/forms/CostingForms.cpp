#include "costing/forms/CostingForms.h"

#include "costing/forms/AnalysisForm.h"
#include "costing/forms/NormsForm.h"
#include "costing/forms/StatementsForm.h"

namespace kulvera {

void registerCostingForms(CommandRegistry &registry)
{
    registry.add(QStringLiteral("AnalysMenu"),
        [](AppContext &context, QWidget *parent) -> QWidget * { return new AnalysisForm(context, parent); });
    registry.add(QStringLiteral("fiz_norm"),
        [](AppContext &context, QWidget *parent) -> QWidget * { return new NormsForm(context, parent); });
    registry.add(QStringLiteral("GlobalVed"),
        [](AppContext &context, QWidget *parent) -> QWidget * { return new StatementsForm(context, parent); });
}

} // namespace kulvera
