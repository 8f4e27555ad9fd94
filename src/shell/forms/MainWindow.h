#pragma once

#include "shell/AppContext.h"
#include "shell/CaptionsBase.h"
#include "shell/forms/CommandRegistry.h"

#include <QMainWindow>

#include <vector>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;

namespace kulvera {

// Something that holds unsaved work and must be asked before the program ends.
class ExitGuard
{
public:
    virtual ~ExitGuard() = default;
    // True when the program may close (the user saved, or agreed to lose the work).
    virtual bool confirmExit(Prompter &prompter) = 0;
};

// The multiple-document main window: one menu per area holding every command
// under its name; a command opens its form through the registry, and a
// command whose form is not built yet is shown disabled.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    MainWindow(AppContext &context, const CommandRegistry &registry, QWidget *parent = nullptr);

    QAction *commandAction(const QString &name) const;
    QMdiArea *documents() const { return mdi_; }
    void addExitGuard(ExitGuard *guard) { guards_.push_back(guard); }
    // Runs a command by name, as its menu item does.
    void runCommand(const QString &name);
    // Puts a form into the document area where the user last left forms of
    // its `section` (a form opened from another form, such as a product card).
    void showDocument(QWidget *form, const QString &section);
    // The four base paths the status line reports when double-clicked.
    QString basePathsText() const;
    // Every guard agreed to close.
    bool confirmExit();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    bool builtIn(const QString &name) const;
    void runBuiltIn(const QString &name);
    void openTemplate(const QString &path);
    void openCostingProgram();
    void compact(BaseId base);
    void restorePlacement();
    void placeDocument(QMdiSubWindow *sub, const QString &section);
    void savePlacement();

    AppContext &context_;
    const CommandRegistry &registry_;
    CaptionsBase captions_;
    QMdiArea *mdi_ = nullptr;
    QLabel *dateLabel_ = nullptr;
    std::map<QString, QAction *> actions_;
    std::vector<ExitGuard *> guards_;
};

} // namespace kulvera
