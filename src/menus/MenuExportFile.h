#pragma once

#include "common/Result.h"
#include "menus/StagedRations.h"

#include <QDate>
#include <QString>

#include <vector>

namespace kulvera {

class MenuBase;

// The menu export file ".menu" (binary; the ration file of RationFile.h has
// the same extension and is told apart by this signature). Layout (numbers
// 4-byte little-endian signed; a string is such a length followed by that
// many code page 1251 bytes; "scrambled" strings pass through
// StringScrambler.h after the length is taken):
//   1. the string "KVB_MENU";
//   2. the number 5 (the count of header strings);
//   3. five scrambled header strings:
//      1) the program and its build ("Kulvera 1697"),
//      2) the exported dates, "dd.mm.yyyy" joined by ",",
//      3) the establishment name (setting Name_POP),
//      4) the exported columns joined by "," ("l1,l2,...,l32"),
//      5) the number of rows, as text;
//   4. for each row (in ID order), for each exported column, its value
//      decoded from the menu base's encoding as a scrambled string (NULL as
//      the empty string).
// Nothing follows. The values travel decoded because each installation
// encodes its bases under its own key.

inline constexpr QStringView kMenuExportSignature = u"KVB_MENU";
inline constexpr QStringView kMenuExportFilter = u"Меню КВ (*.menu)";
inline constexpr QStringView kMenuExportTitle = u"Сохранение меню рациона...";
inline constexpr QStringView kMenuImportTitle = u"Загрузка меню рационов";

struct MenuExportOptions {
    bool askReplace = true; // an existing file is replaced only after the question
    bool report = true; // "Файл сохранен"
};

// Writes every row of the days (all groups). Returns the number of rows;
// "На указанные даты меню отсутствует!" when there are none.
Result<int> saveMenuExportFile(
    const MenuBase &base, const std::vector<QDate> &days, const QString &path, const MenuExportOptions &options = {});

// True when the file begins with the signature of this format (the other
// ".menu" files are ration files).
bool isMenuExportFile(const QString &path);

// Adds the rows of the file as rations: a ration already present on the same
// day and group is replaced or kept as the user answers. A file that is not of
// this format gets "Файл '...' не совместим!"; a damaged one its message; the
// menu base is then unchanged.
Result<RationImportSummary> loadMenuExportFile(const MenuBase &base, const QString &path);

} // namespace kulvera
