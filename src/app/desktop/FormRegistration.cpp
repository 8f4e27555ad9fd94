#include "FormRegistration.h"

#include "DocumentCommands.h"
#include "costing/forms/AnalysisForm.h"
#include "costing/forms/CostingForms.h"
#include "maintenance/forms/MaintenanceForms.h"
#include "menus/forms/MenuEditorForm.h"
#include "menus/forms/MenuForms.h"
#include "products/forms/ProductForms.h"
#include "recipes/forms/RecipeEditorForm.h"
#include "recipes/forms/RecipeForms.h"
#include "shell/forms/CommandRegistry.h"
#include "shell/forms/MainWindow.h"
#include "util/MethodEditor.h"
#include "util/MethodStore.h"
#include "util/forms/FormulasForm.h"
#include "warehouse/forms/WarehouseForms.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include <memory>

namespace kulvera {
namespace {

QWidget *openFormulas(AppContext &context, QWidget *parent)
{
    if (!context.connections.isConnected(BaseId::Methods)) {
        context.prompter.warning(QStringLiteral("Не подключена база физико-химических методик"));
        return nullptr;
    }
    // The store lives as long as the form that edits through it.
    auto store = std::make_shared<MethodStore>(context.connections.database(BaseId::Methods), &context.errorLog);
    auto editor = std::make_unique<MethodEditor>(*store, context.prompter, context.settings);
    auto *form = new FormulasForm(std::move(editor), parent);
    QObject::connect(form, &QObject::destroyed, [store] {});
    return form;
}

} // namespace

void registerForms(CommandRegistry &registry)
{
    registry.add(QStringLiteral("meth_edit"), openFormulas);
    registerProductForms(registry);
    registerRecipeForms(registry);
    registerMenuForms(registry);
    registerWarehouseForms(registry);
    registerCostingForms(registry);
    registerDocumentCommands(registry);
    registerMaintenanceForms(registry);
}

void preloadForms(MainWindow &window, AppContext &context)
{
    // The editors are made at start, hidden, so their commands show them at once.
    const auto hide = [](QWidget *form) {
        if (auto *sub = form ? qobject_cast<QMdiSubWindow *>(form->parentWidget()) : nullptr)
            sub->hide();
    };
    if (context.settings.get(Section::Data, QStringLiteral("bDontLoadTN"), QStringLiteral("0")) == u"0") {
        context.prompter.status(QStringLiteral("Загрузка форм :: разработка рецептур..."));
        hide(openRecipeEditor(context, &window));
    }
    if (context.settings.get(Section::Data, QStringLiteral("bDontLoadMenu"), QStringLiteral("0")) == u"0") {
        context.prompter.status(QStringLiteral("Загрузка форм :: меню рационов..."));
        hide(openMenuEditor(context, &window));
    }
}

bool openMenuFileInAnalysis(MainWindow &window, const QString &file)
{
    window.runCommand(QStringLiteral("AnalysMenu"));
    for (QMdiSubWindow *sub : window.documents()->subWindowList()) {
        if (auto *form = qobject_cast<AnalysisForm *>(sub->widget()))
            return form->analyseMenuFile(file);
    }
    return false;
}

} // namespace kulvera
