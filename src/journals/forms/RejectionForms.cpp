#include "journals/forms/RejectionForms.h"

#include "journals/forms/IncomingControlForm.h"
#include "journals/forms/RejectionForm.h"

namespace kulvera {

void registerRejectionForms(CommandRegistry &registry)
{
    registry.add(QStringLiteral("reject"),
        [](AppContext &context, QWidget *parent) -> QWidget * { return new RejectionForm(context, parent); });
    registry.add(QStringLiteral("cont_int"),
        [](AppContext &context, QWidget *parent) -> QWidget * { return new IncomingControlForm(context, parent); });
}

} // namespace kulvera
