#pragma once

#include "common/Result.h"
#include "menus/MenuBase.h"

#include <QHash>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace kulvera {

// The plain values of one ration row read from a file: column ln at index n
// (1 ... 32); a null QString is NULL.
using MenuFileRow = std::array<QString, MenuBase::kRowColumns + 1>;
// The same as views into the text a reader holds; a null view is NULL.
using MenuFileRowView = std::array<QStringView, MenuBase::kRowColumns + 1>;

// What adding the rations of a file did.
struct RationImportSummary {
    int rations = 0; // rations in the file
    int added = 0; // new rations
    int replaced = 0; // rations that replaced those of the same day and group
    int kept = 0; // rations of the base the user chose to keep (the file's skipped)
    int locked = 0; // rations of locked days, skipped
    int rows = 0; // rows written to the menu table
};

// Rows of rations read from a file, held in memory (the base is not touched)
// until the whole file has been read and checked. Only then `commit` asks
// about the rations the base already has and writes the rows into the menu
// table in one transaction.
//
// The values of all rows share one text buffer, so a year of rations costs
// about what its file does rather than an allocation per value; a temporary
// table of the base cost more than the import itself (filling, then dropping
// it).
class StagedRations
{
public:
    explicit StagedRations(const MenuBase &base);

    // One row; refused when its date (l26) does not read as a date.
    Status add(const MenuFileRow &row);
    Status add(const MenuFileRowView &row);
    int count() const { return static_cast<int>(rows_.size()); }
    // Room for the values of rows read from `characters` characters (or
    // bytes of a one-byte code page) of a file: a value is never longer than
    // what the file spent on it, so the text is allocated once instead of
    // doubling (and copying) as it grows.
    void reserve(qsizetype characters) { text_.reserve(characters); }
    // The rows of another staging of the same base, after this one's, as if
    // they had been added here one by one (a file read in parts at once).
    void append(StagedRations &&other);

    // A ration already in the base for the same day and group is replaced
    // or kept as the user answers; a ration of a locked day is not loaded.
    // Everything that is loaded goes in in one transaction, in file order.
    Result<RationImportSummary> commit(const QString &title);

private:
    static constexpr int kColumns = MenuBase::kRowColumns;
    struct Ration {
        QString day; // dd.mm.yyyy
        QString group; // "" for none
        int rows = 0;
    };
    struct Row {
        int ration = 0; // index into rations_
        std::uint32_t nulls = 0; // bit n - 1 set: ln is NULL
        qsizetype start = 0; // where l1 begins in text_
        std::array<std::uint32_t, kColumns> ends {}; // ln ends at start + ends[n - 1]
    };
    QStringView value(const Row &row, int n) const;

    const MenuBase &base_;
    QString text_;
    std::vector<Row> rows_;
    std::vector<Ration> rations_;
    QHash<QString, int> rationIndex_; // day + '\n' + group
    // Rows of one ration follow each other in a file: the last one's date
    // and group as the file wrote them, so most rows skip the date parsing.
    QString lastDay_;
    QString lastGroup_;
    int lastRation_ = -1;
};

} // namespace kulvera
