#pragma once

#include "common/Result.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <vector>

namespace kulvera {

class ErrorLog;

// The cursor over the rows of one table or SELECT, as the forms and older
// algorithms use it: move, read a field, edit the row, add a row, delete.
// Rows are read once into memory, so moving in any direction and counting are
// cheap; hot paths use SqlStatement instead. A recordset opened on a table
// (or on a plain SELECT from one table) can be edited; rows are updated by
// the engine's row identity, so tables need no key of their own.
class Recordset
{
public:
    Recordset() = default;
    Recordset(QSqlDatabase db, ErrorLog *log)
        : db_(std::move(db))
        , log_(log)
    {
    }

    // All rows of a table, optionally filtered and ordered (names and values bound).
    Status openTable(
        const QString &table, const QString &where = {}, const QVariantList &params = {}, const QString &orderBy = {});
    // The rows of a SELECT with bound parameters. Editable when it reads one table.
    Status openQuery(const QString &sql, const QVariantList &params = {});
    void close();
    bool isOpen() const { return open_; }
    bool isEditable() const { return !table_.isEmpty(); }
    QString table() const { return table_; }

    int rowCount() const { return static_cast<int>(rows_.size()); }
    bool bof() const { return position_ < 0 || rows_.empty(); }
    bool eof() const { return position_ >= rowCount() || rows_.empty(); }
    int position() const { return position_; }
    void moveFirst() { position_ = rows_.empty() ? 0 : 0; }
    void moveLast() { position_ = rows_.empty() ? 0 : rowCount() - 1; }
    void moveNext()
    {
        if (position_ < rowCount())
            ++position_;
    }
    void movePrevious()
    {
        if (position_ >= 0)
            --position_;
    }
    bool moveTo(int position);

    // First row (from the top) whose field equals the value; text compares
    // without regard to letter case. False, and the position unchanged, when none.
    bool findFirst(const QString &field, const QVariant &value);

    QStringList fieldNames() const { return fields_; }
    bool fieldExists(const QString &name) const { return fieldIndex(name) >= 0; }
    // The value of the current row; null when there is no current row or no such field.
    QVariant value(const QString &field) const;
    QVariant value(int index) const;

    // Editing: edit() or addNew(), then flSet() for fields, then update().
    Status edit();
    Status addNew();
    Status flSet(const QString &field, const QVariant &value);
    Status update();
    void cancelUpdate();
    Status deleteCurrent();
    bool editing() const { return mode_ != Mode::None; }

private:
    enum class Mode { None, Edit, Add };
    int fieldIndex(const QString &name) const;
    Status fail(const QString &operation, const QString &detail);
    Status load(const QString &sql, const QVariantList &params);

    QSqlDatabase db_;
    ErrorLog *log_ = nullptr;
    bool open_ = false;
    QString table_; // set when rows can be edited
    QStringList fields_;
    std::vector<QVariantList> rows_;
    std::vector<QVariant> rowIds_;
    int position_ = 0;
    Mode mode_ = Mode::None;
    QVariantList buffer_;
    std::vector<bool> changed_;
};

} // namespace kulvera
