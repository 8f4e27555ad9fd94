#include "recipes/forms/RecipeForms.h"

#include "recipes/forms/DebugWindowForm.h"
#include "recipes/forms/DishBaseBrowser.h"
#include "recipes/forms/RecipeEditorForm.h"
#include "shell/forms/MainWindow.h"
#include "shell/forms/SingleEditor.h"

namespace kulvera {
namespace {

SingleEditor<RecipeEditorForm> &editor()
{
    static SingleEditor<RecipeEditorForm> one;
    return one;
}

QWidget *openEditorCommand(AppContext &context, QWidget *parent)
{
    // One editor: the command brings it forward.
    if (editor().raise())
        return nullptr;
    auto *form = new RecipeEditorForm(context, parent);
    editor().adopt(form, parent);
    return form;
}

} // namespace

RecipeEditorForm *openRecipeEditor(AppContext &context, QWidget *mainWindow)
{
    return editor().ensureOpen(QStringLiteral("Norm"), mainWindow, [&] { openEditorCommand(context, mainWindow); });
}

void registerRecipeForms(CommandRegistry &registry)
{
    registry.add(QStringLiteral("Norm"), openEditorCommand);
    registry.add(QStringLiteral("Base_Bl"), [](AppContext &context, QWidget *parent) -> QWidget * {
        auto *browser = new DishBaseBrowser(context, parent);
        QObject::connect(browser, &DishBaseBrowser::openRequested, browser,
            [&context, parent](const QString &table, const QString &name) {
                if (RecipeEditorForm *form = openRecipeEditor(context, parent)) {
                    if (form->confirmDiscard())
                        form->loadFromBase(table, name);
                }
            });
        return browser;
    });
    registry.add(QStringLiteral("pf"), [](AppContext &context, QWidget *parent) -> QWidget * {
        auto *list = new SemiFinishedListForm(context, parent);
        QObject::connect(list, &SemiFinishedListForm::addRequested, list, [&context, parent](const QString &name) {
            if (RecipeEditorForm *form = openRecipeEditor(context, parent))
                form->addFromSemiFinishedBase(name);
        });
        return list;
    });
    // The debug window lists the records of the editor's recipe (the editor is
    // opened first when there is none).
    registry.add(QStringLiteral("DebugWin"), [](AppContext &context, QWidget *parent) -> QWidget * {
        return new DebugWindowForm(context, openRecipeEditor(context, parent), parent);
    });
    registry.add(QStringLiteral("GroupMeat"),
        [](AppContext &context, QWidget *parent) -> QWidget * { return new DishGroupsForm(context, parent); });
}

} // namespace kulvera
