#include "shell/Startup.h"
#include "common/Clock.h"
#include "common/ScriptedPrompter.h"
#include "shell/Catalogue.h"
#include "shell/Connections.h"
#include "shell/Databases.h"
#include "shell/SharedSettings.h"
#include "support/TempSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kulvera;
using A = Prompter::Answer;

namespace {

struct Machine {
    test::TempSettings settings;
    ScriptedPrompter prompter;
    FixedClock clock {QDate(2026, 12, 6)};
    StartupHooks hooks;
    StartupEnvironment environment;
    qint64 freeBytes = qint64(100) * 1024 * 1024;

    Machine()
    {
        const QString root = settings.folder();
        QDir(root).mkpath(QStringLiteral("program"));
        QDir(root).mkpath(QStringLiteral("tmp"));
        environment.programFolder = root + QStringLiteral("/program");
        environment.tempFolder = root + QStringLiteral("/tmp");
        environment.userDataFolder = root + QStringLiteral("/userdata");
        environment.documentsFolder = root;
        environment.locale = QLocale(QLocale::Russian, QLocale::Russia);
        environment.freeBytes = [this](const QString &) { return freeBytes; };
        prompter.setSettings(&settings.store());
    }
    QString defaultBases() const { return environment.programFolder + QStringLiteral("/KV_Bases/DB"); }
    StartupSequence::Outcome run(StartupSequence &s, const char *line = "")
    {
        return s.run(QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts));
    }
};

} // namespace

TEST(Startup, FreshMachineDeploysAndConnectsEveryBase)
{
    Machine m;
    bool seeded = false;
    m.hooks.set(QStringLiteral("seedDefaultBases"), [&] { seeded = true; });
    StartupSequence s(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
    ASSERT_EQ(m.run(s), StartupSequence::Outcome::Ready) << s.exitReason().toStdString();
    EXPECT_TRUE(seeded);
    EXPECT_TRUE(QFileInfo::exists(m.defaultBases() + QStringLiteral("/bl_base.db")));
    for (BaseId base : startupBases())
        EXPECT_TRUE(s.connections().isConnected(base)) << baseName(base).toStdString();
    EXPECT_TRUE(s.connections().isConnected(BaseId::WorkingCopy));
    EXPECT_EQ(s.currentUser(), u"Администратор системы");
    EXPECT_TRUE(m.prompter.shown().empty()) << m.prompter.transcript().toStdString();
    EXPECT_EQ(m.prompter.statuses().last(), u"Программа загружена и готова к работе");
    EXPECT_TRUE(QDir(m.defaultBases()).exists(QStringLiteral("dop_bb")));
    // Nothing was written to the settings by starting.
    EXPECT_FALSE(m.settings->contains(Section::Data, QStringLiteral("Dir_book")));
}

TEST(Startup, ConfiguredMissingFolderEndsWithTheMessage)
{
    Machine m;
    m.settings->save(Section::Data, QStringLiteral("Dir_book"), m.settings.folder() + QStringLiteral("/gone"));
    StartupSequence s(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
    EXPECT_EQ(m.run(s), StartupSequence::Outcome::Exit);
    EXPECT_TRUE(m.prompter.saw(
        QStringLiteral("Не найдена папка с базами данных: ") + m.settings.folder() + QStringLiteral("/gone/DB")));
    EXPECT_FALSE(QFileInfo::exists(m.settings.folder() + QStringLiteral("/gone")));
}

TEST(Startup, SeparatorQuestionComesFirst)
{
    Machine m;
    m.environment.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    m.environment.otherInstanceRunning = [] { return true; };
    m.prompter.expect(QStringLiteral("делитель десятичных знаков"), A::No);
    StartupSequence s(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
    EXPECT_EQ(m.run(s), StartupSequence::Outcome::Exit);
    ASSERT_EQ(m.prompter.shown().size(), 1u); // ended before the instance question
    EXPECT_TRUE(m.prompter.shown()[0].text.endsWith(u"Продолжить загрузку программы?"));

    Machine again;
    again.environment.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    again.environment.otherInstanceRunning = [] { return true; };
    again.prompter.expect(QStringLiteral("делитель"), A::Yes).expect(QStringLiteral("Программа уже запущена!"), A::No);
    StartupSequence s2(again.prompter, again.settings.store(), again.clock, again.environment, again.hooks);
    EXPECT_EQ(again.run(s2), StartupSequence::Outcome::Exit);
    EXPECT_TRUE(again.prompter.unexpected().isEmpty());
    EXPECT_EQ(again.prompter.shown()[1].title, u"Ошибка");
}

TEST(Startup, FreeSpaceBoundaryInWholeMegabytes)
{
    Machine m;
    m.freeBytes = qint64(5) * 1024 * 1024; // 5 MB passes without a question
    StartupSequence s(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
    EXPECT_EQ(m.run(s), StartupSequence::Outcome::Ready);
    EXPECT_FALSE(m.prompter.saw(QStringLiteral("свободного дискового пространства")));

    Machine low;
    low.freeBytes = qint64(5) * 1024 * 1024 - 1; // 4.99 MB: 4 whole megabytes
    low.prompter.expect(QStringLiteral("На диске меньше 5 Мб свободного дискового пространства. Продолжить?"), A::No);
    StartupSequence s2(low.prompter, low.settings.store(), low.clock, low.environment, low.hooks);
    EXPECT_EQ(low.run(s2), StartupSequence::Outcome::Exit);
    EXPECT_TRUE(low.prompter.scriptDone());
}

TEST(Startup, MalformedReplacementShowsUsageAndEnds)
{
    Machine m;
    bool replaced = false;
    m.hooks.set(QStringLiteral("replaceProducts"), [&] { replaced = true; });
    StartupSequence s(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
    EXPECT_EQ(m.run(s, "/RP12,ab"), StartupSequence::Outcome::Exit);
    EXPECT_TRUE(m.prompter.saw(QStringLiteral("Использование функции замены продуктов")));
    EXPECT_FALSE(replaced);

    Machine ok;
    ok.hooks.set(QStringLiteral("replaceProducts"), [&] { replaced = true; });
    StartupSequence s2(ok.prompter, ok.settings.store(), ok.clock, ok.environment, ok.hooks);
    EXPECT_EQ(ok.run(s2, "/RP12,34"), StartupSequence::Outcome::Exit); // replacement ends the program
    EXPECT_TRUE(replaced);
    EXPECT_EQ(s2.commandLine().replaceTo, 34);
}

TEST(Startup, MissingProductBaseFollowsTheRestoreFlow)
{
    Machine m;
    {
        StartupSequence first(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
        ASSERT_EQ(m.run(first), StartupSequence::Outcome::Ready);
    }
    // The product base is replaced by something that is not a base.
    const QString products = m.defaultBases() + QStringLiteral("/db011.db");
    QFile::remove(products);
    {
        QFile f(products);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("garbage that is no database");
    }
    m.settings->save(Section::Prod, QStringLiteral("dbProd"), QStringLiteral("db011.db"));
    m.prompter.expect(QStringLiteral("Восстановить подключение к стандартной базе продуктов?"), A::Yes);
    StartupSequence s(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
    EXPECT_EQ(m.run(s), StartupSequence::Outcome::Exit);
    EXPECT_TRUE(m.prompter.scriptDone());
    EXPECT_FALSE(m.settings->contains(Section::Prod, QStringLiteral("dbProd")));
}

TEST(Startup, DebugModeFramesEveryStepAndLogModeWritesTheSessionLog)
{
    Machine m;
    StartupSequence s(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
    ASSERT_EQ(m.run(s, "/LOG:session.txt"), StartupSequence::Outcome::Ready);
    QFile log(m.environment.programFolder + QStringLiteral("/session.txt"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(text.startsWith(u"============= log последней сессии =============\nДата записи: 06.12.2026\n"));
    EXPECT_TRUE(text.contains(u"Сборка программы: 1697"));
    EXPECT_TRUE(text.contains(u"Начало запуска программы"));
    EXPECT_TRUE(text.contains(u"Все базы данных подключены!"));
    EXPECT_TRUE(text.contains(u"loadHeatTreatmentTables: нечего выполнять"));
    EXPECT_TRUE(text.contains(u"Программа загружена и готова к работе"));

    Machine d;
    StartupSequence s2(d.prompter, d.settings.store(), d.clock, d.environment, d.hooks);
    ASSERT_EQ(d.run(s2, "/DEBUG"), StartupSequence::Outcome::Ready);
    const auto framed = std::count_if(d.prompter.shown().begin(), d.prompter.shown().end(),
        [](const Prompter::Message &msg) { return msg.title.startsWith(u"Отладка"); });
    EXPECT_EQ(framed, s2.stepsRun().size() * 2);
    EXPECT_TRUE(d.prompter.saw(QStringLiteral("Создаем WorkSpace")));
    EXPECT_EQ(d.prompter.shown().front().text, u"Init\nИнициализация");
}

TEST(Startup, UnreadableDishBaseIsKeptAsideAndTheStandardOneRestoredOnce)
{
    Machine m;
    int seeded = 0;
    m.hooks.set(QStringLiteral("seedDefaultBases"), [&] { ++seeded; });
    {
        StartupSequence first(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
        ASSERT_EQ(m.run(first), StartupSequence::Outcome::Ready);
    }
    const QString dishes = m.defaultBases() + QStringLiteral("/bl_base.db");
    const QByteArray garbage("these bytes are what is left of the recipes");
    {
        QFile f(dishes);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(garbage);
    }
    {
        StartupSequence s(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
        ASSERT_EQ(m.run(s), StartupSequence::Outcome::Ready) << s.exitReason().toStdString();
        EXPECT_TRUE(s.connections().isConnected(BaseId::Dishes));
        EXPECT_EQ(s.connections().path(static_cast<int>(BaseId::Dishes)), dishes);
    }
    EXPECT_EQ(seeded, 2); // the first start and the restored base
    QFile kept(dishes + QStringLiteral(".damaged"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), garbage);
    ASSERT_EQ(m.prompter.shown().size(), 1u) << m.prompter.transcript().toStdString();
    const QString text = m.prompter.shown().front().text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Не удалось открыть базу блюд: ") + dishes));
    EXPECT_TRUE(text.contains(u"Восстанавливаем стандартную базу!"));
    EXPECT_TRUE(
        text.contains(QStringLiteral("Прежний файл базы сохранён как: ") + dishes + QStringLiteral(".damaged")));

    // Restored for good: the next start asks and tells nothing.
    m.prompter.clear();
    StartupSequence again(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
    ASSERT_EQ(m.run(again), StartupSequence::Outcome::Ready);
    EXPECT_TRUE(m.prompter.shown().empty()) << m.prompter.transcript().toStdString();
    EXPECT_EQ(seeded, 2);
}

TEST(Startup, MissingConfiguredDishBaseFallsBackToTheStandardOne)
{
    Machine m;
    {
        StartupSequence first(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
        ASSERT_EQ(m.run(first), StartupSequence::Outcome::Ready);
    }
    const QString gone = m.settings.folder() + QStringLiteral("/elsewhere/school.db");
    m.settings->save(Section::Bl, QStringLiteral("NameBlBase"), gone);
    StartupSequence s(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
    ASSERT_EQ(m.run(s), StartupSequence::Outcome::Ready) << s.exitReason().toStdString();
    EXPECT_FALSE(m.settings->contains(Section::Bl, QStringLiteral("NameBlBase")));
    EXPECT_EQ(s.connections().path(static_cast<int>(BaseId::Dishes)), m.defaultBases() + QStringLiteral("/bl_base.db"));
    EXPECT_TRUE(m.prompter.saw(QStringLiteral("Отсутствует база блюд: ") + gone));
    EXPECT_TRUE(m.prompter.saw(QStringLiteral("Подключена стандартная база блюд: ")));
    EXPECT_FALSE(m.prompter.saw(QStringLiteral("Прежний файл")));
}

TEST(Startup, SwitchesWhoseWorkIsMissingSayTheyAreUnavailable)
{
    Machine m;
    bool lossesUpdated = false;
    m.hooks.set(QStringLiteral("updateHeatLosses"), [&] { lossesUpdated = true; });
    StartupSequence s(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
    ASSERT_EQ(m.run(s, "/Consol /SYNCGLOBCOMP /UPDATESTEPLOV /UpdNumInMenu /LOG:session.txt"),
        StartupSequence::Outcome::Ready);
    EXPECT_TRUE(lossesUpdated);
    ASSERT_EQ(m.prompter.shown().size(), 1u) << m.prompter.transcript().toStdString();
    const QString text = m.prompter.shown().front().text;
    EXPECT_TRUE(text.contains(u"Ключ /Consol (окно консоли) пока недоступен"));
    EXPECT_TRUE(text.contains(u"Ключ /SYNCGLOBCOMP (синхронизация базы продуктов с базой блюд) пока недоступен"));
    EXPECT_TRUE(text.contains(u"Ключ /UpdNumInMenu"));
    EXPECT_FALSE(text.contains(u"/UPDATESTEPLOV")); // its work is there
    QFile log(m.environment.programFolder + QStringLiteral("/session.txt"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString logged = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(logged.contains(u"Ключ /Consol (окно консоли) пока недоступен"));
    EXPECT_TRUE(logged.contains(u"Ключ /SYNCGLOBCOMP"));

    Machine quiet;
    StartupSequence s2(quiet.prompter, quiet.settings.store(), quiet.clock, quiet.environment, quiet.hooks);
    ASSERT_EQ(quiet.run(s2, "/UpdatesNow"), StartupSequence::Outcome::Ready);
    EXPECT_TRUE(quiet.prompter.shown().empty());
}

TEST(Startup, WorkingFilesLiveInAFolderRemovedAtExit)
{
    Machine m;
    const QString root = m.environment.tempFolder + QStringLiteral("/Kulvera");
    // A run that ended without cleaning up (crashed, killed).
    QDir(root).mkpath(QStringLiteral("999999/sub"));
    QFile(root + QStringLiteral("/999999/kv_temp.db")).open(QIODevice::WriteOnly);
    QString folder;
    {
        StartupSequence s(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
        ASSERT_EQ(m.run(s), StartupSequence::Outcome::Ready);
        folder = s.workingFolder();
        EXPECT_TRUE(folder.startsWith(root + u'/'));
        EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/kv_temp.db")));
        EXPECT_EQ(s.connections().path(static_cast<int>(BaseId::WorkingCopy)), folder + QStringLiteral("/kv_temp.db"));
        EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("/999999")));
    }
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_TRUE(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST(Startup, ConsoleAtStartEndsTheProgramUnlessLoadingIsResumed)
{
    Machine m;
    int shown = 0;
    StartupSequence *running = nullptr;
    bool resume = false;
    m.hooks.set(QStringLiteral("console"), [&] {
        ++shown;
        EXPECT_TRUE(running->loading());
        running->setUpdatesNow(true);
        if (resume)
            running->resumeLoading();
    });
    StartupSequence closed(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
    running = &closed;
    EXPECT_EQ(m.run(closed, "/Consol"), StartupSequence::Outcome::Exit);
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(closed.loading());
    EXPECT_FALSE(closed.stepsRun().join(u'\n').contains(u"Splash")); // ended before the splash
    EXPECT_TRUE(m.prompter.shown().empty()) << m.prompter.transcript().toStdString(); // the switch is there now

    resume = true;
    StartupSequence resumed(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
    running = &resumed;
    ASSERT_EQ(m.run(resumed, "/Consol"), StartupSequence::Outcome::Ready) << resumed.exitReason().toStdString();
    EXPECT_EQ(shown, 2);
    EXPECT_TRUE(resumed.commandLine().updatesNow);

    // Without the switch the console is not shown at all.
    StartupSequence plain(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
    running = &plain;
    ASSERT_EQ(m.run(plain), StartupSequence::Outcome::Ready);
    EXPECT_EQ(shown, 2);
}

TEST(Startup, UserNamedByTheConsoleIsKept)
{
    Machine m;
    StartupSequence *running = nullptr;
    m.hooks.set(QStringLiteral("console"), [&] {
        running->setCurrentUser(QStringLiteral("Петрова"));
        running->resumeLoading();
    });
    StartupSequence s(m.prompter, m.settings.store(), m.clock, m.environment, m.hooks);
    running = &s;
    ASSERT_EQ(m.run(s, "/Consol"), StartupSequence::Outcome::Ready);
    EXPECT_EQ(s.currentUser(), u"Петрова");
}
