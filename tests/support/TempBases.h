#pragma once

#include "common/ScriptedPrompter.h"
#include "shell/Connections.h"
#include "shell/DbStructure.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"
#include "shell/SqlStatement.h"
#include "support/TestServer.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace kulvera::test {

// A private installation for one test: settings, a databases folder
// ("<tmp>/KV_Bases/DB"), a scripted prompter, an error log and a connection table.
// On the server engine (testOnServer) the catalogue bases are schemas of a database
// made for this test alone; files opened by path stay SQLite files.
class TempBases
{
public:
    TempBases()
        : settings_(dir_.filePath(QStringLiteral("settings.ini")))
        , errorLog_(dir_.filePath(QStringLiteral("errors.log")))
    {
        settings_.save(Section::Data, QStringLiteral("Dir_book"), dir_.filePath(QStringLiteral("KV_Bases")));
        if (testOnServer()) {
            server_ = std::make_unique<TestServerDatabase>();
            saveServerSettings(settings_, server_->settings());
        }
        // Other processes of a test (workstations) read the same file.
        settings_.sync();
        shared_ = SharedSettings::load(settings_, {dir_.path(), dir_.path(), QString(), dir_.path()});
        QDir().mkpath(shared_.databasesFolder());
        prompter_.setSettings(&settings_);
        connections_ = std::make_unique<Connections>(prompter_, settings_, errorLog_);
        connections_->setDefaultFolder(shared_.databasesFolder());
    }

    QString root() const { return dir_.path(); }
    QString folder() const { return shared_.databasesFolder(); }
    QString path(const QString &file) const { return QDir(folder()).filePath(file); }
    SettingsStore &settings() { return settings_; }
    SharedSettings &shared() { return shared_; }
    ScriptedPrompter &prompter() { return prompter_; }
    ErrorLog &errorLog() { return errorLog_; }
    Connections &connections() { return *connections_; }
    bool onServer() const { return server_ != nullptr; }
    // The server of this test's bases (on the server engine only).
    const ServerSettings &server() const { return server_->settings(); }

    // A new base file with the base's whole schema, connected under its number
    // (on the server engine: a new schema).
    int create(BaseId base)
    {
        if (server_) {
            if (!createServerBase(server_->settings(), base, settings_))
                return Connections::kFailed;
            return connections_->connectBase(base, shared_, true);
        }
        const QString p = kulvera::basePath(base, settings_, shared_);
        if (!createBaseFile(p, base, settings_))
            return Connections::kFailed;
        return connections_->connectBase(base, shared_, true);
    }

private:
    QTemporaryDir dir_;
    SettingsStore settings_;
    SharedSettings shared_;
    ErrorLog errorLog_;
    ScriptedPrompter prompter_;
    std::unique_ptr<TestServerDatabase> server_; // outlives the connections to it
    std::unique_ptr<Connections> connections_;
};

} // namespace kulvera::test
