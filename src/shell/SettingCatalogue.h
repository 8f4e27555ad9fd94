#pragma once

#include "common/SettingsAccess.h"

#include <QString>
#include <QStringList>

#include <span>

namespace kulvera {

// What a setting's value is, so the settings form offers the right editor and
// refuses a value the program could not use.
enum class SettingKind {
    Text,
    Flag, // "1"/"0" ("True"/"False" for keys beginning with "bool")
    Integer,
    Number, // decimal comma or point
    Colour, // decimal integer of the platform's colour value
    Folder,
    File,
};

// One setting as the settings forms show it: its group, caption and kind.
// The captions live here, in one table, and nowhere in the forms.
struct SettingEntry {
    const char16_t *group;
    Section section;
    const char16_t *key;
    const char16_t *caption;
    SettingKind kind = SettingKind::Text;
    bool atRestart = false; // read only at start: takes effect at the next start
    bool advanced = false; // shown by the extended settings form only
};

std::span<const SettingEntry> settingCatalogue();
// The groups in the order the forms show them.
QStringList settingGroups();
const SettingEntry *findSettingEntry(Section section, const QString &key);

} // namespace kulvera
