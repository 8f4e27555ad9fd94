#include "recipes/forms/RecipeForms.h"

#include "recipes/forms/DishBaseBrowser.h"
#include "recipes/forms/RecipeEditorForm.h"
#include "shell/forms/MainWindow.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace kulvera {
namespace {

QPointer<RecipeEditorForm> &editor()
{
    static QPointer<RecipeEditorForm> form;
    return form;
}

// Asks about the editor's unsaved recipe before the program ends; once the
// user agreed, closing the editor does not ask again.
class EditorExitGuard : public ExitGuard
{
public:
    bool confirmExit(Prompter &) override
    {
        RecipeEditorForm *form = editor();
        if (!form || !form->confirmDiscard())
            return !form;
        form->discardChanges();
        return true;
    }
};

void guardExit(QWidget *mainWindow)
{
    static EditorExitGuard guard;
    static QPointer<MainWindow> guarded;
    auto *window = qobject_cast<MainWindow *>(mainWindow);
    if (window && guarded != window) {
        window->addExitGuard(&guard);
        guarded = window;
    }
}

QWidget *openEditorCommand(AppContext &context, QWidget *parent)
{
    if (RecipeEditorForm *form = editor()) {
        // One editor: the command brings it forward.
        if (auto *sub = qobject_cast<QMdiSubWindow *>(form->parentWidget())) {
            sub->showNormal();
            if (sub->mdiArea())
                sub->mdiArea()->setActiveSubWindow(sub);
        }
        form->show();
        return nullptr;
    }
    auto *form = new RecipeEditorForm(context, parent);
    editor() = form;
    guardExit(parent);
    return form;
}

} // namespace

RecipeEditorForm *openRecipeEditor(AppContext &context, QWidget *mainWindow)
{
    if (!editor()) {
        if (auto *window = qobject_cast<MainWindow *>(mainWindow))
            window->runCommand(QStringLiteral("Norm"));
        else
            openEditorCommand(context, mainWindow);
    }
    return editor();
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
    registry.add(QStringLiteral("GroupMeat"),
        [](AppContext &context, QWidget *parent) -> QWidget * { return new DishGroupsForm(context, parent); });
}

} // namespace kulvera
