#include "shell/SharedSettings.h"

#include "shell/SettingDefaults.h"

#include <QDir>
#include <QFileInfo>

namespace kulvera {

const QString SharedSettings::kProductTitle = QStringLiteral("Kulvera");
const QString SharedSettings::kProductFullTitle
    = QStringLiteral("Kulvera: рецептуры, меню и склад общественного питания");
const QString SharedSettings::kVersion = QStringLiteral("5.00.00.00.00");
const QString SharedSettings::kDocumentVersion = QStringLiteral("03.00.00.00.00");

QString SharedSettings::slot(Section section, const QString &key)
{
    return QString::number(static_cast<int>(section)) + u'/' + key;
}

QString SharedSettings::defaultDirBook(const QString &programFolder, const QString &userDataFolder)
{
    const QFileInfo program(programFolder);
    if (program.isDir() && program.isWritable())
        return QDir(programFolder).filePath(QStringLiteral("KV_Bases"));
    return QDir(userDataFolder).filePath(QStringLiteral("KV_Bases"));
}

SharedSettings SharedSettings::load(const SettingsAccess &settings, const Environment &environment)
{
    SharedSettings shared;
    for (const SettingDefault &d : settingDefaults()) {
        if (!d.atStart)
            continue;
        const QString key = QString::fromUtf16(d.key);
        QString value = readSetting(settings, d.section, key);
        if (key == u"Norm_Path" && value.isEmpty())
            value = environment.documentsFolder;
        shared.values_.insert(slot(d.section, key), value);
    }
    for (const TemplateName &t : templateNames()) {
        const QString key = QString::fromUtf16(t.key);
        shared.values_.insert(slot(Section::Documents, key), readSetting(settings, Section::Documents, key));
    }

    if (!environment.dirOverride.isEmpty()) {
        shared.dirBook_ = environment.dirOverride;
    } else {
        const QString fallback = defaultDirBook(environment.programFolder, environment.userDataFolder);
        shared.dirBook_ = settings.get(Section::Data, QStringLiteral("Dir_book"), fallback);
        if (shared.dirBook_.isEmpty())
            shared.dirBook_ = fallback;
    }
    while (shared.dirBook_.size() > 1 && (shared.dirBook_.endsWith(u'/') || shared.dirBook_.endsWith(u'\\')))
        shared.dirBook_.chop(1);
    shared.values_.insert(slot(Section::Data, QStringLiteral("Dir_book")), shared.dirBook_);
    return shared;
}

QString SharedSettings::value(Section section, const QString &key) const
{
    return values_.value(slot(section, key));
}

void SharedSettings::set(Section section, const QString &key, const QString &value)
{
    values_.insert(slot(section, key), value);
    if (section == Section::Data && key == u"Dir_book")
        dirBook_ = value;
}

QString SharedSettings::databasesFolder() const
{
    return QDir(dirBook_).filePath(value(Section::Data, QStringLiteral("Dir_of_Base")));
}

QString SharedSettings::templatesFolder() const
{
    const QString folder = value(Section::Documents, QStringLiteral("Shablon_Folder"));
    return QDir::isAbsolutePath(folder) ? folder : QDir(dirBook_).filePath(folder);
}

QString SharedSettings::basePath(const QString &fileName) const
{
    return QDir::isAbsolutePath(fileName) ? fileName : QDir(databasesFolder()).filePath(fileName);
}

} // namespace kulvera
