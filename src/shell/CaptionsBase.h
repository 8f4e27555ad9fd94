#pragma once

#include "common/Result.h"

#include <QString>

#include <optional>
#include <vector>

namespace kulvera {

class Connections;
struct TableDef;

// The columns of a form's table in the captions base (the table is named
// after the form; `name` is empty here).
const TableDef &captionTable();

// One row of a form's table in the captions base: the control it names and
// its texts. A row named "<Str>" carries a text the form's code uses.
struct CaptionRow {
    QString name;
    QString caption;
    QString tipText;
};

// The captions base (setting `LangDB`): one table per form, named after the
// form, so a translator edits every text of the program in one place.
class CaptionsBase
{
public:
    explicit CaptionsBase(Connections &connections);

    bool connected() const;
    // The form's rows; nothing when the base or the form's table is missing.
    std::optional<std::vector<CaptionRow>> read(const QString &form) const;
    // Makes or replaces the form's table with `rows`, in one transaction.
    Status write(const QString &form, const std::vector<CaptionRow> &rows);

private:
    Connections &connections_;
};

} // namespace kulvera
