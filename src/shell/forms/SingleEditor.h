#pragma once

#include "shell/forms/MainWindow.h"

#include <QPointer>
#include <QString>

namespace kulvera {

// Shows a form that lives in a document window of the main window and makes
// that window the active one.
void bringForward(QWidget *form);

// An editing form the program keeps one of (the recipe editor, the menu
// editor): its command brings the open one forward instead of making a
// second, and the program asks about the form's unsaved work before it ends.
// Form has confirmDiscard() (true: the user saved or agreed to lose the work)
// and discardChanges().
template <class Form> class SingleEditor final : public ExitGuard
{
public:
    Form *form() const { return form_; }

    // Brings the open form forward; false when there is none.
    bool raise() const
    {
        if (!form_)
            return false;
        bringForward(form_);
        return true;
    }

    // Takes a newly made form as the program's one and guards the exit of
    // its main window.
    void adopt(Form *form, QWidget *mainWindow)
    {
        form_ = form;
        auto *window = qobject_cast<MainWindow *>(mainWindow);
        if (window && guarded_ != window) {
            window->addExitGuard(this);
            guarded_ = window;
        }
    }

    // Once the user agreed, closing the editor does not ask again.
    bool confirmExit(Prompter &) override
    {
        if (!form_ || !form_->confirmDiscard())
            return !form_;
        form_->discardChanges();
        return true;
    }

    // The open form, made first when there is none: through the main window's
    // command (so it gets its document window), or by `make` without one.
    template <class Make> Form *ensureOpen(const QString &command, QWidget *mainWindow, Make make)
    {
        if (!form_) {
            if (auto *window = qobject_cast<MainWindow *>(mainWindow))
                window->runCommand(command);
            else
                make();
        }
        return form_;
    }

private:
    QPointer<Form> form_;
    QPointer<MainWindow> guarded_;
};

} // namespace kulvera
