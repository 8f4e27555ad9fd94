#include "menus/forms/MenuForms.h"

#include "menus/forms/MenuArchiveForm.h"
#include "menus/forms/MenuEditorForm.h"
#include "menus/forms/MenuExportForm.h"
#include "menus/forms/MenuVariantsForm.h"
#include "recipes/forms/RecipeEditorForm.h"
#include "recipes/forms/RecipeForms.h"
#include "shell/forms/MainWindow.h"
#include "shell/forms/SingleEditor.h"

namespace kulvera {
namespace {

SingleEditor<MenuEditorForm> &editor()
{
    static SingleEditor<MenuEditorForm> one;
    return one;
}

QWidget *openEditorCommand(AppContext &context, QWidget *parent)
{
    // One editor: the command brings it forward.
    if (editor().raise())
        return nullptr;
    auto *form = new MenuEditorForm(context, parent);
    editor().adopt(form, parent);
    // A dish of the ration opens as its recipe in the program's recipe editor.
    QObject::connect(form, &MenuEditorForm::recipeRequested, form,
        [&context, parent](const QString &table, const QString &name, const QString &output) {
            RecipeEditorForm *recipes = openRecipeEditor(context, parent);
            if (!recipes || !recipes->confirmDiscard())
                return;
            if (auto *window = qobject_cast<MainWindow *>(parent))
                window->runCommand(QStringLiteral("Norm"));
            recipes->loadFromBase(table, name, output);
        });
    return form;
}

} // namespace

MenuEditorForm *openMenuEditor(AppContext &context, QWidget *mainWindow)
{
    return editor().ensureOpen(QStringLiteral("MenuNew"), mainWindow, [&] { openEditorCommand(context, mainWindow); });
}

void registerMenuForms(CommandRegistry &registry)
{
    registry.add(QStringLiteral("MenuNew"), openEditorCommand);
    registry.add(QStringLiteral("VarMenu"),
        [](AppContext &context, QWidget *parent) -> QWidget * { return new MenuVariantsForm(context, parent); });
    registry.add(QStringLiteral("arc_menu"),
        [](AppContext &context, QWidget *parent) -> QWidget * { return new MenuArchiveForm(context, parent); });
    registry.add(QStringLiteral("Menu_Export"),
        [](AppContext &context, QWidget *parent) -> QWidget * { return new MenuExportForm(context, parent); });
}

} // namespace kulvera
