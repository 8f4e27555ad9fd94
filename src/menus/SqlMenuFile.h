#pragma once

#include "common/Result.h"
#include "menus/StagedRations.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kulvera {

class MenuBase;
class SettingsAccess;

// The menu transfer file ".sql_menu": menu rows of chosen days as the
// definition of the menu table and one INSERT statement per row. Layout
// (numbers 4-byte little-endian signed; a string is such a length followed by
// that many code page 1251 bytes; "scrambled" strings pass through
// StringScrambler.h after the length is taken):
//   1. the string "KVB_SQL_SYSTEM3";
//   2. the number of statements, then the number 1;
//   3. the string "-1";
//   4. the file name of the menu base the rows came from (plain);
//   5. the table name (scrambled);
//   6. the column names joined by "," (scrambled);
//   7. the column definitions joined by ",", each the name and a type word:
//      " BIT", " INT", " COUNTER PRIMARY KEY", " DOUBLE", " TEXT(255)",
//      " MEMO" (scrambled);
//   8. one string: for each row "INSERT INTO " + table + " (" + columns +
//      ") values (" + values + ")", each statement scrambled on its own, the
//      statements joined by the plain separator "<!STR!>". A text value is
//      decoded from the menu base's encoding and quoted with '...', a quote
//      inside it doubled; a number is written as it stands; NULL is empty.
// Nothing follows.
//
// Reading never runs the file's SQL: each statement must be exactly an INSERT
// into the named table of the named columns with literal values (quoted text,
// numbers, empty); anything else refuses the whole file, naming the
// statement. The rows are staged and checked before the menu table is
// touched, then added in one transaction (StagedRations).

inline constexpr QStringView kSqlMenuSignature = u"KVB_SQL_SYSTEM3";
inline constexpr QStringView kSqlMenuSeparator = u"<!STR!>";
inline constexpr QStringView kSqlMenuFilter = u"Меню суточных рационов (*.sql_menu)";
inline constexpr QStringView kSqlMenuSaveTitle = u"Сохранение меню рационов...";
inline constexpr QStringView kSqlMenuLoadTitle = u"Загрузка меню рационов";
// The folder of the save dialog.
inline constexpr QStringView kSqlMenuFolderKey = u"ExportMenuPathBuffer";

// "Меню_Рациона_" + the establishment name (Name_POP, blanks made "_",
// double quotes removed) + ".sql_menu".
QString defaultSqlMenuFileName(const SettingsAccess &settings);

struct SqlMenuSaveOptions {
    bool askReplace = true; // an existing file is replaced only after the question
    bool report = true; // "Данные сохранены в ..."
};

// Writes the rows of the days (of one group when given) in ID order. Returns
// the number of rows; refused with its message when the path is empty, the
// days hold no rows, a column type is not one of the list, or the user keeps
// an existing file.
Result<int> saveSqlMenuFile(const MenuBase &base, const std::vector<QDate> &days, const std::optional<QString> &group,
    const QString &path, const SqlMenuSaveOptions &options = {});

// Adds the rations of a file to the menu base (a ration of the same day and
// group already there is replaced or kept as the user answers). A file that is
// not whole, not of this format or carries anything but plain inserts is
// refused with its message and the menu base is left as it was.
struct SqlMenuLoadOptions {
    // The statements of a file at least this large are read in two halves at
    // once (a year of rations is tens of megabytes).
    qsizetype readInPartsFrom = 4 * 1024 * 1024;
};
Result<RationImportSummary> loadSqlMenuFile(
    const MenuBase &base, const QString &path, const SqlMenuLoadOptions &options = {});

// One statement checked against the header; the values in column order (a
// null QString for an empty value). The error says what is wrong.
Result<std::vector<QString>> parseSqlMenuInsert(QStringView statement, QStringView table, const QStringList &columns);

} // namespace kulvera
