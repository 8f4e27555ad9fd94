#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringView>

namespace kulvera {

class Connections;
class Prompter;
class SettingsAccess;

// The reversible encoding of every value of the dish-base and menu-base rows:
// each character becomes four decimal digits, its cp1251 code plus the
// installation key K. Bases written under one K read as garbage under another,
// so every reader and writer of an installation uses the same codec.
class StoredTextCodec
{
public:
    // K is taken as given (0 ... 999).
    explicit StoredTextCodec(int key = 0, Prompter *prompter = nullptr)
        : key_(key)
        , prompter_(prompter)
    {
    }
    // K from the installation's number: the last three characters of its
    // decimal text (non-digits count as nothing).
    static int keyFromInstallationNumber(const QString &number);

    int key() const { return key_; }
    QString encode(QStringView text) const;
    // A group of fewer than four characters is reported ("Ошибочная длина
    // строки") and skipped; decoding goes on. Groups that name no cp1251 code
    // under this K become U+FFFD.
    QString decode(QStringView stored) const;

private:
    int key_;
    Prompter *prompter_;
};

// The installation's number, kept in the dish base itself (table
// "kv_installation", one row, column "Number") so a databases folder moved to
// another computer, or a reset of the settings, still reads. The setting
// Data/InstallationNumber mirrors it; an older installation that has only the
// setting adopts it into the base, a new one draws a number.
inline constexpr QStringView kInstallationTable = u"kv_installation";
inline constexpr QStringView kInstallationSetting = u"InstallationNumber";

Result<QString> installationNumber(Connections &connections, int dishBase, SettingsAccess &settings);
// The codec of the installation whose dish base is connected under `dishBase`.
Result<StoredTextCodec> installationCodec(
    Connections &connections, int dishBase, SettingsAccess &settings, Prompter *prompter);

} // namespace kulvera
