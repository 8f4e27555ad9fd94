#pragma once

#include "common/Result.h"
#include "costing/NormBase.h"

#include <QDateTime>
#include <QString>

namespace kulvera {

class INI_Work;
class Prompter;
class SettingsAccess;

// A norms file (".fz"): sections of key=value lines in code page 1251,
// written through INI_Work.
//   [main]  name, date_cr "dd.mm.yyyy", time_cr "hh:mm", kv, Major, Minor,
//           Revision, S (build), type "fz", version 1
//   [norm]  one line per column of the Norm row that holds a value, Код and
//           Имя included; numbers with the decimal comma
//   [prods] prodscount, then Group_Name_i, Code_Prods_i, Norm_Prods_i for
//           i = 1 … prodscount, all three always (empty when not set)
inline constexpr QStringView kNormFileType = u"fz";
inline constexpr int kNormFileVersion = 1;
// A norms file is a few kilobytes; anything near this is not one.
inline constexpr qint64 kMaxNormFileBytes = 1024 * 1024;

INI_Work normFileContent(const NormRecord &norm, const QDateTime &now);

// Writes the file; an existing one is replaced only after "Файл '…' уже
// существует. Заменить имеющийся?" (declining writes nothing and fails with
// an empty error). Success tells "Файл '…' сохранен.".
Status saveNormFile(const NormRecord &norm, const QString &path, const QDateTime &now, Prompter &prompter);

// Reads and checks a whole file without touching any base: a cut file, a
// missing `main`, another type or version, no `prodscount`, a count beyond
// the product-set limit or a value that should be a number and is not are
// refused with their message. A product-set row lacking one of its three
// keys is left out; the others are kept.
Result<NormRecord> readNormFile(const QString &path);

// Reads the file and appends it as a new norm (new Код) with its product set
// in one transaction; the message of a refused file is shown.
Result<qint64> importNormFile(const NormBase &norms, const QString &path, Prompter &prompter);

// One file per norm into `folder`, created when missing ("Создаем папку...");
// a folder holding files is emptied only after "Папка '…' содержит файлы.
// Очистить папку?". Returns how many files were written.
Result<int> exportAllNorms(const NormBase &norms, const QString &folder, const QDateTime &now, Prompter &prompter);

} // namespace kulvera
