#include "shell/LastFileFolder.h"

#include "shell/SettingDefaults.h"

#include <QFileInfo>

namespace kulvera {
namespace {

const QString kKey = QStringLiteral("LastSaveND");

} // namespace

QString lastFileFolder(const SettingsAccess &settings)
{
    return readSetting(settings, Section::Data, kKey);
}

void rememberFileFolder(SettingsAccess &settings, const QString &filePath)
{
    if (filePath.isEmpty())
        return;
    const QString folder = QFileInfo(filePath).absolutePath();
    if (settings.get(Section::Data, kKey) != folder)
        settings.save(Section::Data, kKey, folder);
}

} // namespace kulvera
