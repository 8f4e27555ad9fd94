#pragma once

#include "common/Result.h"
#include "menus/Ration.h"
#include "recipes/Nd2File.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace kulvera {

// The ration file ".menu": one ration as a sectioned text in code page 1251
// written through INI_Work. Section "main" holds date_cr, time_cr, kv, Major,
// Minor, Revision, S, type, version (1), date, fz_id, fz_name, group,
// ration_count, ration_str (the meals, each followed by "<Str>") and title.
// Dish j of meal m is the full recipe in the sections of a recipe file
// (Nd2File.h), every section name prefixed by m + "," + j + "_" (so
// "1,2_main" is the main section of the second dish of the first meal).
// The menu editor's clipboard is such a file: "buf.menu" in the folder
// "buffer" of the databases' parent folder.

inline constexpr QStringView kRationFileSaveFilter = u"Меню (*.menu)";
inline constexpr QStringView kRationFileOpenFilter = u"Меню рационов (*.menu)";
inline constexpr QStringView kRationFileSaveTitle = u"Сохранение меню";
inline constexpr QStringView kRationFileFolderKey = u"sLastFileMenu"; // folder of the save dialog
inline constexpr QStringView kRationTitleKey = u"sDefTitMenuFile"; // the title proposed
inline constexpr QStringView kNotAddedNoticeKey = u"ErrAddDisheByLoadFromBuf";
inline constexpr QStringView kRationBufferFile = u"buf.menu";
inline constexpr QStringView kRationBufferTitle = u"Буфер";
inline constexpr int kRationFileVersion = 1;
inline constexpr int kMaxDishesPerMeal = 500;
// Past this a file is not a ration (a day of fifty dishes is about 2 MB).
inline constexpr qint64 kMaxRationFileBytes = 64LL * 1024 * 1024;

struct RationFileInfo {
    QString title; // a caption the buffer list shows
    QString type = QStringLiteral("menu");
    QString normName; // fz_name: the name of the norm whose code the ration carries
};

struct RationFileWriteOptions {
    bool askReplace = true; // "Файл с меню '...' уже имеется. Удалить старый?"
    bool report = true; // "Файл меню '...' сохранен."
};

// Writes the ration. Refused, with its message: a ration without dishes, a
// folder that cannot be written, an existing file the user keeps.
Status saveRationFile(const Ration &ration, const QString &fileName, const RationFileInfo &info,
    const RecipeFileContext &context, const RationFileWriteOptions &options = {});

struct LoadedRation {
    Ration ration; // key: the file's date and group; norm: fz_id
    QString title;
    QString normName;
    QStringList notAdded; // dishes that could not be read or hold no product
};

// Reads a ration file. The meals are those of ration_str, in its order; for
// each meal the dishes 1 ... 500 whose main section has a name are read by
// the recipe file reader, and a dish that cannot be read or holds no product
// is left out and named at the end ("Список рецептур не добавленных в рацион:
// ...", a notice switched off under ErrAddDisheByLoadFromBuf). Refused: a
// file that is missing, too large, damaged (repeated sections) or has no
// main section.
Result<LoadedRation> loadRationFile(const QString &fileName, const RecipeFileContext &context);

// "меню_" + the date as "yyyy_MM_dd" + ".menu".
QString defaultRationFileName(const QDate &date);
// The title of a ration file; empty when it is not one.
QString rationFileTitle(const QString &fileName);

// The clipboard's folder: "buffer" beside the databases folder.
QString rationBufferFolder(const QString &dirBook);
struct RationBufferEntry {
    QString fileName;
    QString title;
};
// The ration files of the folder, with their titles (the file name when a
// file has none), in name order.
std::vector<RationBufferEntry> rationBufferList(const QString &folder);

} // namespace kulvera
