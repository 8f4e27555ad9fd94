#pragma once

#include "common/SettingsAccess.h"

#include <QString>

#include <memory>

class QSettings;

namespace kulvera {

// The per-user settings store: an INI file through QSettings, application
// "Kulvera". The environment variable KULVERA_SETTINGS names another file, so
// tests and support runs never touch the user's own settings.
class SettingsStore final : public SettingsAccess
{
public:
    static constexpr const char *kEnvironmentVariable = "KULVERA_SETTINGS";

    // The file named by KULVERA_SETTINGS, else the user's own.
    static std::unique_ptr<SettingsStore> openDefault();
    explicit SettingsStore(const QString &iniFile);
    ~SettingsStore() override;

    QString get(Section section, const QString &key, const QString &defaultValue = {}) const override;
    void save(Section section, const QString &key, const QString &value) override;
    void remove(Section section, const QString &key) override;
    bool contains(Section section, const QString &key) const override;
    QString getInGroup(const QString &group, const QString &key, const QString &defaultValue = {}) const override;
    void saveInGroup(const QString &group, const QString &key, const QString &value) override;

    QString fileName() const;
    // Writes pending changes; false when the file cannot be written.
    bool sync();

private:
    SettingsStore();
    static QString path(Section section, const QString &key);
    std::unique_ptr<QSettings> settings_;
};

} // namespace kulvera
