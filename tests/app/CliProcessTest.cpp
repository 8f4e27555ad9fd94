#include "shell/SettingsStore.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

// kulvera-cli as a user starts it: its own main, a fresh home, the locale of
// a freshly installed machine, no answers given in advance.
struct FreshMachine {
    QTemporaryDir home;
    QString settingsFile = home.filePath(QStringLiteral("Kulvera.ini"));
    QString temp = home.filePath(QStringLiteral("tmp"));
    QString out;

    FreshMachine()
    {
        QDir().mkpath(temp);
        SettingsStore s(settingsFile);
        s.save(Section::Data, QStringLiteral("Dir_book"), home.filePath(QStringLiteral("KV_Bases")));
        s.sync();
    }

    int run(const QStringList &arguments, const QString &locale)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "LANGUAGE"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("TMPDIR"), temp);
        environment.insert(QStringLiteral("LANG"), locale);
        environment.insert(QStringLiteral("LC_ALL"), locale);
        environment.insert(QStringLiteral("KULVERA_SETTINGS"), settingsFile);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(KULVERA_CLI_PATH), arguments);
        if (!process.waitForFinished(120000))
            return -1;
        out = QString::fromUtf8(process.readAll());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

} // namespace

TEST(CliProcess, StartupCheckAsksNothingWhateverTheMachineLocale)
{
    for (const QString &locale :
        {QStringLiteral("C.UTF-8"), QStringLiteral("en_US.UTF-8"), QStringLiteral("ru_RU.UTF-8")}) {
        SCOPED_TRACE(locale.toStdString());
        FreshMachine m;
        ASSERT_EQ(m.run({QStringLiteral("db"), QStringLiteral("init")}, locale), 0) << m.out.toStdString();
        EXPECT_EQ(m.run({QStringLiteral("startup-check")}, locale), 0) << m.out.toStdString();
        EXPECT_FALSE(m.out.contains(u"делитель десятичных знаков")) << m.out.toStdString();
        EXPECT_FALSE(m.out.contains(u"Start ended"));
        EXPECT_TRUE(m.out.contains(u"Ready."));
        // Every call removed its working files.
        EXPECT_TRUE(QDir(m.temp + QStringLiteral("/Kulvera")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    }
}
