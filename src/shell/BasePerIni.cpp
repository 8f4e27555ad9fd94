#include "shell/BasePerIni.h"

#include "common/Prompter.h"
#include "shell/INI_Work.h"
#include "shell/SettingDefaults.h"
#include "shell/SharedSettings.h"

#include <QDir>

namespace kulvera {

Status writeBasePerIni(const QString &path, const SettingsAccess &settings, const SharedSettings &shared,
    Prompter &prompter, const QString &dirBook)
{
    INI_Work ini;
    ini.setFilename(path);
    ini.setValue(QStringLiteral("data"), QStringLiteral("Dir_book"), dirBook.isEmpty() ? shared.dirBook() : dirBook);
    for (const char16_t *key : {u"Raschet1", u"Raschet2", u"Raschet3", u"Raschet1k", u"boolSN"}) {
        const QString name = QString::fromUtf16(key);
        ini.setValue(QStringLiteral("Documents"), name, readSetting(settings, Section::Documents, name));
    }
    for (const char16_t *key : {u"boolAnim", u"intStep"}) {
        const QString name = QString::fromUtf16(key);
        ini.setValue(QStringLiteral("Menu"), name, readSetting(settings, Section::UserInterface, name));
    }
    const Status written = ini.UpdateFile();
    if (!written) {
        prompter.error(QStringLiteral("Нет доступа к инитиализационному файлу системы\nОшибка инитиализации программы"),
            Prompter::kErrorTitle);
    }
    return written;
}

QString basePerIniPath(const SharedSettings &shared)
{
    return QDir(shared.dirBook()).filePath(kBasePerIniName.toString());
}

} // namespace kulvera
