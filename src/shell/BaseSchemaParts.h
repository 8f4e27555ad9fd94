#pragma once

#include "shell/BaseSchema.h"

#include <vector>

// Shared by the BaseSchema*.cpp files only: the builders of column and table
// descriptions, and the tables of each base, kept in separate files by subject.
namespace kulvera::schema_parts {

ColumnDef col(const char16_t *name, ColumnType type, bool indexed = false, const char16_t *defaultValue = nullptr);
TableDef table(const char16_t *name, std::vector<ColumnDef> columns);
TableDef renamedTable(const char16_t *name, Section section, const char16_t *key, std::vector<ColumnDef> columns);
// ID counter + l1..l<last>, the row-per-position layout of recipes and rations.
std::vector<ColumnDef> dishRowColumns(int last);

std::vector<TableDef> productTables();
std::vector<TableDef> lossTables();
std::vector<TableDef> lossOutputTables();
std::vector<TableDef> menuTables();
std::vector<TableDef> warehouseTables();
std::vector<TableDef> journalTables();
std::vector<TableDef> rejectionTables();
std::vector<TableDef> referenceTables(BaseId base);

} // namespace kulvera::schema_parts
