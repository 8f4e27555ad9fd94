#include "warehouse/forms/WarehouseForms.h"

#include "warehouse/forms/DishSalesForm.h"
#include "warehouse/forms/DishWriteOffForm.h"
#include "warehouse/forms/IncomingInvoiceForm.h"
#include "warehouse/forms/MovementForm.h"
#include "warehouse/forms/OutgoingDocumentsForm.h"
#include "warehouse/forms/ProductBookForm.h"
#include "warehouse/forms/StockForm.h"
#include "warehouse/forms/SuppliersForm.h"
#include "warehouse/forms/TurnoverForm.h"
#include "warehouse/forms/WarehousesForm.h"

namespace kulvera {
namespace {

// Every warehouse form needs the warehouse base; without it the command says so.
template <typename Form, typename... Args> CommandRegistry::Opener opener(Args... args)
{
    return [args...](AppContext &context, QWidget *parent) -> QWidget * {
        if (!context.connections.isConnected(BaseId::Warehouse)) {
            context.prompter.warning(QStringLiteral("Не подключена база склада и калькуляций!"));
            return nullptr;
        }
        return new Form(context, parent, args...);
    };
}

} // namespace

void registerWarehouseForms(CommandRegistry &registry)
{
    registry.add(QStringLiteral("WSs"), opener<WarehousesForm>());
    registry.add(QStringLiteral("curWS"), opener<StockForm>());
    registry.add(QStringLiteral("Suppli"), opener<SuppliersForm>());
    registry.add(QStringLiteral("Nakl_Add"), opener<IncomingInvoiceForm>());
    registry.add(QStringLiteral("NaklMinus"), opener<OutgoingDocumentsForm>());
    registry.add(QStringLiteral("Inc_out_prods"), opener<TurnoverForm>());
    registry.add(QStringLiteral("Calc_Prods"), opener<ProductBookForm>());
    registry.add(QStringLiteral("NewMinus"), opener<DishWriteOffForm>());
    registry.add(QStringLiteral("nakl_di"), opener<DishSalesForm>());
    registry.add(QStringLiteral("MovInternal"), opener<MovementForm>(MovementForm::Mode::Movement));
    registry.add(QStringLiteral("akt_sp"), opener<MovementForm>(MovementForm::Mode::Act));
}

} // namespace kulvera
