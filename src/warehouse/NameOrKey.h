#pragma once

#include <QString>

#include <optional>

namespace kulvera {

// A row named by the user (a cell, a command-line argument): by its key when
// the text is a number that is one, else by its name without regard to case.
// `find(key)` gives an optional row, `list()` a result holding all rows.
template <class Row, class Find, class List>
std::optional<Row> findByNameOrKey(const QString &text, Find find, List list)
{
    const QString wanted = text.trimmed();
    bool isKey = false;
    const qint64 key = wanted.toLongLong(&isKey);
    if (isKey) {
        if (std::optional<Row> row = find(key))
            return row;
    }
    const auto rows = list();
    if (!rows)
        return std::nullopt;
    for (const Row &row : *rows) {
        if (row.name.compare(wanted, Qt::CaseInsensitive) == 0)
            return row;
    }
    return std::nullopt;
}

} // namespace kulvera
