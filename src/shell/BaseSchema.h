#pragma once

#include "shell/Catalogue.h"

#include <QString>

#include <span>
#include <vector>

namespace kulvera {

// Column types the bases use. The data layer's dialect turns them into the
// engine's own type names (SQLite now, PostgreSQL later).
enum class ColumnType {
    Counter, // auto-increment integer primary key
    Long, // 32-bit integer
    Double,
    Text, // up to `length` characters (255 unless stated)
    Memo, // long text
    Date, // date and time; stored as "yyyy-MM-dd hh:mm:ss"
    Boolean,
    Binary, // pictures, packed data
};

struct ColumnDef {
    QString name;
    ColumnType type = ColumnType::Text;
    QString defaultValue; // SQL literal ("0", "'text'"); empty: no default
    int length = 255; // Text only
    bool indexed = false; // a plain index for lookups by this column
};

struct TableDef {
    QString name; // default name of the table
    Section nameSection = Section::Data;
    QString nameKey; // setting that renames the table; empty: name is fixed
    std::vector<ColumnDef> columns;
};

// Every table of a base with the columns the program reads and writes. The
// structure upgrade creates what is missing, so a base made by an older build
// gains new tables and columns without losing rows.
std::span<const TableDef> schemaOf(BaseId base);

// The columns of a dish collection table (one row per recipe position); the
// collection tables themselves are named by the rows of Base_ID.
const TableDef &dishCollectionTable();

} // namespace kulvera
