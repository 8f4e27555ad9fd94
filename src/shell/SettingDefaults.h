#pragma once

#include "common/SettingsAccess.h"

#include <QString>

#include <span>

namespace kulvera {

// Every setting whose default the program relies on, in one table: the
// start-up loader walks the entries marked `atStart` in order; code that reads
// a setting at use takes the default from here instead of repeating it.
struct SettingDefault {
    Section section;
    const char16_t *key;
    const char16_t *value;
    bool atStart; // loaded into the start-up snapshot
    bool emptyUsesDefault; // a stored empty value also yields the default
};

std::span<const SettingDefault> settingDefaults();
const SettingDefault *findSettingDefault(Section section, const QString &key);
// The stored value, or the table's default (empty when the key is not in the table).
QString readSetting(const SettingsAccess &settings, Section section, const QString &key);

// Template file names, in the order of the settings table (all in Documents).
struct TemplateName {
    const char16_t *key;
    const char16_t *file;
};
std::span<const TemplateName> templateNames();

} // namespace kulvera
