#pragma once

#include "common/Result.h"
#include "recipes/DishBase.h"
#include "recipes/clsBludo.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace kulvera {

class Clock;
class HeatTreatmentTables;
class INI_Work;
class MicrobiologyBase;
class Prompter;

// The recipe exchange file ".nd2": a sectioned name=value text in code page
// 1251 written through INI_Work. Section "main" holds the header, one section
// per position (named prefix + number, from 1) holds every field of the
// position, and the sections "mb", "fh" and "ec" carry computed values that
// are informative only (reading ignores them).

inline constexpr QStringView kRecipeFileExtension = u"nd2";
inline constexpr QStringView kRecipeFileFilter = u"Рецептуры (*.nd2)";
// Settings keys of the recipe editor's file dialogs.
inline constexpr QStringView kLastFileNd2Key = u"sLastFileND2";
inline constexpr QStringView kLastLoadNdKey = u"LastLoadND";
inline constexpr QStringView kLastSaveNdKey = u"LastSaveND";
// The notice key of a position section missing from a file.
inline constexpr QStringView kMissingPositionNoticeKey = u"sNoProdInFileND2Mess";
inline constexpr int kRecipeFileVersion = 2;

// What the file says about the recipe as a whole. The parts `otv`, `out1`,
// `out2`, `out3`, `stn`, `diet`, `zav` are parts 2, 5, 6, 7, 8, 9 and 10 of
// the recipe header's `ND` value split at "<Str>".
struct RecipeFileHeader {
    QString name;
    QString output; // may be compound ("150/50")
    int cardType = 1;
    int microbiology = 0; // key of the microbiological indicator set
    CardTexts texts;
    QString otv, out1, out2, out3, stn, diet, zav;
};

// The header of a recipe in memory: texts, card type and indicator set are
// taken from the first position (every position repeats them).
RecipeFileHeader headerOfSlot(const colBludo &slot, const QString &name, const QString &output);
// The header's `ND` value and back (parts 1, 3 and 4 are kept empty).
QString headerNd(const RecipeFileHeader &header);
void setHeaderNd(RecipeFileHeader &header, const QString &nd);

// A card text as the file carries it: trimmed, a final "," made ".", " ,"
// made ",", a final "." added, double spaces made single. Empty stays empty.
QString tidyCardText(const QString &text);

// What reading and writing need besides the file.
struct RecipeFileContext {
    Prompter &prompter;
    const HeatTreatmentTables &losses;
    const Clock &clock;
    const MicrobiologyBase *microbiology = nullptr; // values of section "mb"; empty without it
    std::function<void(const QString &)> log; // the session log, when there is one
};

struct RecipeFileWriteOptions {
    QString prefix; // before the number of each position section
    bool askReplace = true; // an existing file is replaced only after the question
    bool report = true; // "Файл рецептуры '...' сохранен."
    bool sync = true; // forced to the disk before it replaces an old file (one file at a time)
};

// Writes the recipe (the slot's composition is computed first, so the file
// carries current values). Refused, with its message: a slot without
// positions, a folder that cannot be written, an existing file the user keeps.
Status saveRecipeFile(colBludo &slot, const RecipeFileHeader &header, const QString &fileName,
    const RecipeFileContext &context, const RecipeFileWriteOptions &options = {});

// Reads a recipe file into the slot. Every check that fails shows its error
// box and leaves the slot as it was; a missing position section is told (a
// notice the user may switch off) and skipped. Files are untrusted: a size or
// a value beyond any recipe's, a repeated section, a count the file cannot
// hold or a value that is not a number where one belongs are refused.
Result<RecipeFileHeader> loadRecipeFile(
    colBludo &slot, const QString &fileName, const RecipeFileContext &context, const QString &prefix = {});

// The same on text already in memory (parsed by the rules of INI_Work).
Result<RecipeFileHeader> loadRecipeText(
    colBludo &slot, const QString &text, const RecipeFileContext &context, const QString &prefix = {});

// A recipe's sections inside a larger file (the ration file): every section
// name ("main", the positions, "mb", "fh", "ec") begins with `sectionPrefix`,
// and `type` is the main section's type. The slot is written as it stands;
// the values per 100 g are worked out on a copy.
void addRecipeSections(INI_Work &ini, const colBludo &slot, const RecipeFileHeader &header,
    const RecipeFileContext &context, const QString &sectionPrefix, const QString &type);
// Reads such a recipe by the rules of loadRecipeFile.
Result<RecipeFileHeader> readRecipeSections(
    colBludo &slot, const INI_Work &ini, const RecipeFileContext &context, const QString &sectionPrefix);

// Limits past which a file cannot be a recipe.
inline constexpr qint64 kMaxRecipeFileBytes = 32LL * 1024 * 1024;
inline constexpr int kMaxRecipeValueChars = 1024 * 1024;

// The position keys in the order they are written.
QStringList recipeFilePositionKeys();

} // namespace kulvera
