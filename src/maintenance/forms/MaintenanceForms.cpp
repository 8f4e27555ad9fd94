#include "maintenance/forms/MaintenanceForms.h"

#include "maintenance/MaintenanceRun.h"
#include "maintenance/forms/ProductReplacementForm.h"
#include "maintenance/forms/ProgressDialog.h"
#include "recipes/HeatTreatment.h"
#include "shell/AppContext.h"
#include "shell/forms/CommandRegistry.h"

namespace kulvera {
namespace {

using Run = MaintenanceReport (*)(AppContext &, const MaintenanceOptions &, RunProgress &);

MaintenanceReport syncDishes(AppContext &c, const MaintenanceOptions &o, RunProgress &p)
{
    return syncDishBase(c, o, p, programLossTables());
}

MaintenanceReport syncMenus(AppContext &c, const MaintenanceOptions &o, RunProgress &p)
{
    return syncMenuBase(c, o, p, programLossTables());
}

// A command that asks first, runs with the progress dialog and shows the report.
CommandRegistry::Opener command(const QString &question, const QString &title, Run run)
{
    return [question, title, run](AppContext &context, QWidget *parent) -> QWidget * {
        if (!context.prompter.confirm(question, title))
            return nullptr;
        ProgressDialog progress(title, context.prompter, parent);
        const MaintenanceReport report = run(context, MaintenanceOptions {}, progress);
        showMaintenanceReport(context.prompter, report);
        return nullptr;
    };
}

} // namespace

void registerMaintenanceForms(CommandRegistry &registry)
{
    registry.add(QStringLiteral("SyncBB"),
        command(QStringLiteral("Синхронизировать базу блюд с базой продуктов?\n")
                + QStringLiteral("Перед синхронизацией будет сделана архивная копия базы блюд."),
            QStringLiteral("Синхронизация базы блюд"), syncDishes));
    registry.add(QStringLiteral("SyncBM"),
        command(QStringLiteral("Синхронизировать базу меню с базой продуктов?\n")
                + QStringLiteral("Перед синхронизацией будет сделана архивная копия базы меню; ")
                + QStringLiteral("заблокированные дни не изменяются."),
            QStringLiteral("Синхронизация меню"), syncMenus));
    registry.add(QStringLiteral("UpdateCardsMenuNum"),
        command(QStringLiteral("Обновить номера карт в меню согласно базы блюд?"), QStringLiteral("Номера карт в меню"),
            renumberMenuCards));
    registry.add(QStringLiteral("repair_bl"),
        command(QStringLiteral("Начать процедуру восстановления наименований рецептур в базе блюд?"),
            QStringLiteral("Восстановление наименований"), repairRecipeNames));
    registry.add(QStringLiteral("rpl_prods"),
        [](AppContext &context, QWidget *parent) -> QWidget * { return new ProductReplacementForm(context, parent); });
}

std::unique_ptr<RunProgress> makeProgressDialog(const QString &title, Prompter &prompter, QWidget *parent)
{
    return std::make_unique<ProgressDialog>(title, prompter, parent);
}

} // namespace kulvera
