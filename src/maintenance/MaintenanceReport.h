#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace kulvera {

class Prompter;

// One recipe (or dish copy of a ration) a run changed or would change.
struct ChangedRecipe {
    QString place; // collection, or ration "dd.mm.yyyy [group]"
    QString name;
    int positions = 0; // stored positions rewritten
    QString largest; // the largest change, as a person reads it ("Белки, г: 3,2 → 4,1 (Картофель)")
};

// What a maintenance run did: shown at the end and written to the session log.
struct MaintenanceReport {
    QString title; // the run's name ("Синхронизация базы продуктов с базой блюд")
    bool dryRun = false; // nothing was written: the report says what would change
    bool cancelled = false; // stopped by the user: everything was rolled back
    bool failed = false;
    QString error; // why it failed
    QString archive; // the archive copy written before the change
    bool compacted = false;
    int recipesSeen = 0;
    int rowsChanged = 0;
    int skipped = 0; // rations left alone because their day is locked
    std::vector<ChangedRecipe> changes;
    QStringList notes; // what the run met on the way (missing products, loss types ...)

    // The report as lines: the heading, the outcome, the changes (at most
    // `listed` of them, then how many more), the notes.
    QString text(int listed = 200) const;
    // One line: what happened, for the status bar and the log's first line.
    QString summary() const;
};

// Shows the report: a warning when the run failed or was cancelled, else a message.
void showMaintenanceReport(Prompter &prompter, const MaintenanceReport &report, const QString &heading = {});

} // namespace kulvera
