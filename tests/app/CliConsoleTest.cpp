// `kulvera-cli console` as a script drives it: commands on standard input,
// answers on standard output, exit status 0.
#include "shell/SettingsStore.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

struct ConsoleProcess {
    QTemporaryDir home;
    QString settingsFile = home.filePath(QStringLiteral("Kulvera.ini"));
    QString out;

    ConsoleProcess()
    {
        SettingsStore s(settingsFile);
        s.save(Section::Data, QStringLiteral("Dir_book"), home.filePath(QStringLiteral("KV_Bases")));
        s.sync();
    }

    int run(const QStringList &arguments, const QByteArray &input = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("KULVERA_SETTINGS"), settingsFile);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KULVERA_CLI_PATH), arguments);
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(120000))
            return -1;
        out = QString::fromUtf8(process.readAllStandardOutput());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

} // namespace

TEST(CliConsole, RunsCommandsFromStandardInputUntilEnd)
{
    ConsoleProcess p;
    ASSERT_EQ(p.run({QStringLiteral("db"), QStringLiteral("init")}), 0) << p.out.toStdString();
    const QByteArray script = "hello\n"
                              "OnBlockMenu=31.12.2018@@\n"
                              "ВклБлокМеню=31.12.2018@@\n"
                              "OnBlockMenu=2018-12-31@@\n"
                              "setatr=Data@@sFromConsole@@7\n"
                              "no such thing\n"
        + QByteArray(1024 * 1024, 'x')
        + "\n"
          "End\n"
          "hello all\n";
    ASSERT_EQ(p.run({QStringLiteral("console")}, script), 0) << p.out.toStdString();
    const QStringList lines = p.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), u"Консольная панель. ");
    const QStringList expected {
        QStringLiteral("Привет! Консоль на связи."),
        QStringLiteral("Блокировка меню для с датой: '31.12.2018' задана!"),
        QStringLiteral("Блокировка меню для с датой: '31.12.2018' уже была задана!"),
        QStringLiteral("Дата задана не верно, необходимо задавать в формате ДД.ММ.ГГГГ, например 31.12.2018."),
        QStringLiteral("Запрос на сохранение в секции: Data, параметр: sFromConsole, значение: 7"),
        QStringLiteral("Команда выполнена"),
        QStringLiteral("> команда не определена"),
        QStringLiteral("Строка команды длиннее 4096 знаков: команда не выполнена."),
        QStringLiteral("Завершение программы"),
    };
    EXPECT_EQ(lines.mid(lines.size() - expected.size()), expected) << p.out.toStdString();
    // The setting is in the file, and the lock is in the menu base for the command line too.
    EXPECT_EQ(SettingsStore(p.settingsFile).get(Section::Data, QStringLiteral("sFromConsole")), u"7");
    ASSERT_EQ(p.run({QStringLiteral("menus"), QStringLiteral("lock"), QStringLiteral("31.12.2018")}), 0);
    ASSERT_EQ(p.run({QStringLiteral("console")}, "OffBlockMenu=31.12.2018@@\n"), 0);
    EXPECT_TRUE(p.out.contains(u"Удалена блокировка меню для с датой: '31.12.2018'")) << p.out.toStdString();

    // Without input the console just ends.
    EXPECT_EQ(p.run({QStringLiteral("console")}), 0);
    EXPECT_EQ(p.run({QStringLiteral("console"), QStringLiteral("extra")}), 2);
}
