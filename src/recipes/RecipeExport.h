#pragma once

#include "common/Result.h"
#include "recipes/Nd2File.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace kulvera {

class DishBase;
class Prompter;
class SettingsAccess;

// Recipes of the dish base written out as ".nd2" files and read back in.

// A file name stem the file systems accept for a recipe name: characters
// that are not allowed in file names become "_", trailing dots and blanks go,
// device names get a "_" in front, very long names are shortened; an empty
// name becomes "рецептура".
QString safeFileStem(const QString &recipeName);

// Hands out distinct file names in one folder: names that differ only in
// letter case or in the characters made safe get " (2)", " (3)", ...
class FileNamePicker
{
public:
    QString pick(const QString &recipeName, QStringView extension = kRecipeFileExtension);

private:
    QSet<QString> taken_; // case-folded
};

struct ExportSummary {
    int written = 0;
    QStringList failed; // names of recipes that were not written
};

// Writes each named recipe of the table into the folder (created when
// missing), one file per recipe, loaded as stored. Files that exist are
// replaced only after the writer's question. Progress goes to the prompter.
Result<ExportSummary> exportRecipes(DishBase &base, const QString &table, const QStringList &names,
    const QString &folder, const RecipeFileContext &context);

// Reads a recipe file, computes its composition and saves it into the table
// under `name` (the file's own name when empty). The dish base asks before
// it replaces a recipe of the same name. Returns the name saved.
Result<QString> importRecipeFile(DishBase &base, const QString &table, const QString &fileName, const QString &name,
    const SettingsAccess &settings, const RecipeFileContext &context);

// Deletes every row of the named recipe (not its menu copies) after the
// question "Удалить рецептуру '<name>'?"; the rows go in one statement.
Status deleteRecipe(DishBase &base, const QString &table, const QString &name, Prompter &prompter);

} // namespace kulvera
