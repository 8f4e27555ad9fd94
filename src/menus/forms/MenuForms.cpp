#include "menus/forms/MenuForms.h"

#include "menus/forms/MenuArchiveForm.h"
#include "menus/forms/MenuEditorForm.h"
#include "menus/forms/MenuVariantsForm.h"
#include "recipes/forms/RecipeEditorForm.h"
#include "recipes/forms/RecipeForms.h"
#include "shell/forms/MainWindow.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace kulvera {
namespace {

QPointer<MenuEditorForm> &editor()
{
    static QPointer<MenuEditorForm> form;
    return form;
}

// Asks about the editor's unsaved ration before the program ends; once the
// user agreed, closing the editor does not ask again.
class MenuExitGuard : public ExitGuard
{
public:
    bool confirmExit(Prompter &) override
    {
        MenuEditorForm *form = editor();
        if (!form || !form->confirmDiscard())
            return !form;
        form->discardChanges();
        return true;
    }
};

void guardExit(QWidget *mainWindow)
{
    static MenuExitGuard guard;
    static QPointer<MainWindow> guarded;
    auto *window = qobject_cast<MainWindow *>(mainWindow);
    if (window && guarded != window) {
        window->addExitGuard(&guard);
        guarded = window;
    }
}

QWidget *openEditorCommand(AppContext &context, QWidget *parent)
{
    if (MenuEditorForm *form = editor()) {
        // One editor: the command brings it forward.
        if (auto *sub = qobject_cast<QMdiSubWindow *>(form->parentWidget())) {
            sub->showNormal();
            if (sub->mdiArea())
                sub->mdiArea()->setActiveSubWindow(sub);
        }
        form->show();
        return nullptr;
    }
    auto *form = new MenuEditorForm(context, parent);
    editor() = form;
    guardExit(parent);
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
    if (!editor()) {
        if (auto *window = qobject_cast<MainWindow *>(mainWindow))
            window->runCommand(QStringLiteral("MenuNew"));
        else
            openEditorCommand(context, mainWindow);
    }
    return editor();
}

void registerMenuForms(CommandRegistry &registry)
{
    registry.add(QStringLiteral("MenuNew"), openEditorCommand);
    registry.add(QStringLiteral("VarMenu"),
        [](AppContext &context, QWidget *parent) -> QWidget * { return new MenuVariantsForm(context, parent); });
    registry.add(QStringLiteral("arc_menu"),
        [](AppContext &context, QWidget *parent) -> QWidget * { return new MenuArchiveForm(context, parent); });
}

} // namespace kulvera
