#pragma once

#include "cli/CliCommand.h"
#include "shell/SettingsStore.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

namespace kulvera::test {

// Runs kulvera-cli in-process against one settings file and keeps what it printed.
class CliRunner
{
public:
    explicit CliRunner(QString settingsFile)
        : settingsFile_(std::move(settingsFile))
    {
    }

    int run(const QStringList &args)
    {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        return runCli(QStringList {QStringLiteral("--settings"), settingsFile_} + args, o, e);
    }
    QString settingsFile() const { return settingsFile_; }

    QString out;
    QString err;

private:
    QString settingsFile_;
};

struct TempFolder {
    QTemporaryDir dir;
};

// kulvera-cli in a private installation: settings in a temporary folder whose
// databases folder is "<tmp>/KV_Bases/DB".
class TempCli : public TempFolder, public CliRunner
{
public:
    TempCli()
        : CliRunner(dir.filePath(QStringLiteral("s.ini")))
    {
        SettingsStore s(settingsFile());
        s.save(Section::Data, QStringLiteral("Dir_book"), dir.filePath(QStringLiteral("KV_Bases")));
        s.sync();
    }
    QString bases() const { return dir.filePath(QStringLiteral("KV_Bases/DB")); }
};

} // namespace kulvera::test
