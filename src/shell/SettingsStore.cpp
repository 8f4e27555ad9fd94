#include "shell/SettingsStore.h"

#include <QSettings>

namespace kulvera {

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(
        QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kulvera"), QStringLiteral("Kulvera")))
{
}

SettingsStore::SettingsStore(const QString &iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

std::unique_ptr<SettingsStore> SettingsStore::openDefault()
{
    const QString file = qEnvironmentVariable(kEnvironmentVariable);
    if (!file.isEmpty())
        return std::make_unique<SettingsStore>(file);
    return std::unique_ptr<SettingsStore>(new SettingsStore());
}

QString SettingsStore::path(Section section, const QString &key)
{
    // QSettings takes '\' and '/' as group separators, so "Documents\TTK"
    // becomes a sub-group of Documents; its keys never clash with Documents' own.
    QString group = sectionName(section);
    group.replace(u'\\', u'/');
    return group + u'/' + key;
}

QString SettingsStore::get(Section section, const QString &key, const QString &defaultValue) const
{
    const QVariant value = settings_->value(path(section, key));
    if (!value.isValid())
        return defaultValue;
    // A value written by hand with an unquoted comma reads back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}

void SettingsStore::save(Section section, const QString &key, const QString &value)
{
    QString stored = value;
    if (isBoolKey(key))
        stored = parseFlagText(value) ? QStringLiteral("True") : QStringLiteral("False");
    settings_->setValue(path(section, key), stored);
}

void SettingsStore::remove(Section section, const QString &key)
{
    settings_->remove(path(section, key));
}

bool SettingsStore::contains(Section section, const QString &key) const
{
    return settings_->contains(path(section, key));
}

QString SettingsStore::getInGroup(const QString &group, const QString &key, const QString &defaultValue) const
{
    const QVariant value = settings_->value(group + u'/' + key);
    return value.isValid() ? value.toString() : defaultValue;
}

void SettingsStore::saveInGroup(const QString &group, const QString &key, const QString &value)
{
    settings_->setValue(group + u'/' + key, value);
}

QString SettingsStore::fileName() const
{
    return settings_->fileName();
}

bool SettingsStore::sync()
{
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

} // namespace kulvera
