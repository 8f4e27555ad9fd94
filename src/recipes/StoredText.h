#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QList>
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
    // The same digits appended to `out` as single bytes (ASCII, so UTF-8 too).
    void encodeAppend(QStringView text, QByteArray &out) const;
    // A group of fewer than four characters is reported ("Ошибочная длина
    // строки") and skipped; decoding goes on. Groups that name no cp1251 code
    // under this K become U+FFFD.
    QString decode(QStringView stored) const;

private:
    int key_;
    Prompter *prompter_;
};

// The characters of a text that code page 1251 cannot hold, each once in the
// order they first appear (a character beyond U+FFFF counts as one); the
// codec stores each of them as "?".
QList<char32_t> charactersOutsideCp1251(QStringView text);

// The installation's number, kept in the dish base itself (table
// "kv_installation", one row, column "Number") so a databases folder moved to
// another computer, or a reset of the settings, still reads. The setting
// Data/InstallationNumber mirrors it. A base without the row adopts the
// setting's number, or draws a new one, only while it holds no recipes; once
// it holds recipes a number is accepted only when a sample of its stored
// recipe names and position keys reads under it. When none does, the user is
// asked (through `prompter`, else the connections' one) until a number reads
// or the question is cancelled; a cancelled question writes nothing.
inline constexpr QStringView kInstallationTable = u"kv_installation";
inline constexpr QStringView kInstallationSetting = u"InstallationNumber";

Result<QString> installationNumber(
    Connections &connections, int dishBase, SettingsAccess &settings, Prompter *prompter = nullptr);
// The codec of the installation whose dish base is connected under `dishBase`;
// `prompter` also takes the question for the number.
Result<StoredTextCodec> installationCodec(
    Connections &connections, int dishBase, SettingsAccess &settings, Prompter *prompter);

} // namespace kulvera
