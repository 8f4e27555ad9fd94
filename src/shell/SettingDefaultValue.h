#pragma once

#include "common/SettingsAccess.h"

#include <QString>

#include <optional>

namespace kulvera {

// The default of a key of the settings table or of a template name
// (SettingDefaults.cpp); nothing for other keys.
std::optional<QString> settingDefaultValue(Section section, const QString &key);

} // namespace kulvera
