#pragma once

#include "common/Result.h"
#include "menus/MenuBase.h"

#include <QString>

#include <array>

namespace kulvera {

// The plain values of one ration row read from a file: column ln at index n
// (1 ... 32); a null QString is NULL.
using MenuFileRow = std::array<QString, MenuBase::kRowColumns + 1>;

// What adding the rations of a file did.
struct RationImportSummary {
    int rations = 0; // rations in the file
    int added = 0; // new rations
    int replaced = 0; // rations that replaced those of the same day and group
    int kept = 0; // rations of the base the user chose to keep (the file's skipped)
    int locked = 0; // rations of locked days, skipped
    int rows = 0; // rows written to the menu table
};

// Rows of rations read from a file, staged in a temporary table of the menu
// base's connection (the menu base file is not touched) until the whole file
// has been read and checked. Only then `commit` asks about the rations the
// base already has and copies the staged rows into the menu table in one
// transaction. Values are encoded with the base's codec as they are staged.
class StagedRations
{
public:
    explicit StagedRations(const MenuBase &base);
    ~StagedRations();
    StagedRations(const StagedRations &) = delete;
    StagedRations &operator=(const StagedRations &) = delete;

    // The temporary table could be made (its error otherwise).
    const Status &ready() const { return ready_; }
    // Staging runs in a transaction of its own (fast inserts); call around the adds.
    Status begin();
    Status end();
    // One row; refused when its date (l26) does not read as a date.
    Status add(const MenuFileRow &row);
    int count() const { return count_; }

    // A ration already in the base for the same day and group is replaced
    // or kept as the user answers; a ration of a locked day is not loaded.
    // Everything that is loaded goes in in one transaction.
    Result<RationImportSummary> commit(const QString &title);

private:
    const MenuBase &base_;
    QString table_; // the temporary table, quoted
    Status ready_;
    int count_ = 0;
    std::unique_ptr<class SqlStatement> insert_;
    std::unique_ptr<class Transaction> staging_;
};

} // namespace kulvera
