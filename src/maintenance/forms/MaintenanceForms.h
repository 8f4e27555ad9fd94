#pragma once

#include <memory>

class QString;
class QWidget;

namespace kulvera {

class CommandRegistry;
class Prompter;
class RunProgress;

// The main window's maintenance commands: SyncBB and SyncBM (synchronisation
// of the dish and menu bases with the product base), UpdateCardsMenuNum,
// repair_bl (each after its question, with a progress dialog and the report
// at the end) and rpl_prods (the replacement form).
void registerMaintenanceForms(CommandRegistry &registry);

// A progress dialog for a run started at start-up.
std::unique_ptr<RunProgress> makeProgressDialog(const QString &title, Prompter &prompter, QWidget *parent = nullptr);

} // namespace kulvera
