#pragma once

#include "shell/SettingsStore.h"

#include <QTemporaryDir>

#include <memory>

namespace kulvera::test {

// A settings store in a fresh temporary folder, gone when the test ends.
class TempSettings
{
public:
    TempSettings()
        : store_(std::make_unique<SettingsStore>(dir_.filePath(QStringLiteral("settings.ini"))))
    {
    }
    SettingsStore &store() { return *store_; }
    SettingsStore *operator->() { return store_.get(); }
    QString folder() const { return dir_.path(); }
    QString file() const { return dir_.filePath(QStringLiteral("settings.ini")); }

private:
    QTemporaryDir dir_;
    std::unique_ptr<SettingsStore> store_;
};

} // namespace kulvera::test
