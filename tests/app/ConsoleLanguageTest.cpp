// The console's command language against a private installation: menu locks,
// settings, the unit of every product, modes, refusals of bad lines.
#include "ConsoleLanguage.h"

#include "common/Clock.h"
#include "menus/DayLocks.h"
#include "menus/MenuBase.h"
#include "products/ProductBase.h"
#include "products/UnitBase.h"
#include "recipes/StoredText.h"
#include "shell/SessionLog.h"
#include "shell/SqlStatement.h"
#include "support/TempBases.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

struct Console : ::testing::Test {
    test::TempBases t;
    FixedClock clock {QDateTime(QDate(2026, 12, 6), QTime(10, 30))};
    ConsoleModes modes;
    SessionLog log;
    QString user = QStringLiteral("Администратор системы");
    QStringList formsOpened;
    QStringList formsThere {QStringLiteral("FeatNew2")};
    std::unique_ptr<ConsoleLanguage> console;

    Console()
    {
        t.create(BaseId::Menu);
        log.start(false, QString(), t.root(), clock.now());
        ConsoleHost host(t.prompter(), t.settings(), clock, modes);
        host.connections = &t.connections();
        host.errorLog = &t.errorLog();
        host.sessionLog = &log;
        host.commandLine = {QStringLiteral("kulvera"), QStringLiteral("/Consol")};
        host.loading = [] { return true; };
        host.user = [this] { return user; };
        host.setUser = [this](const QString &name) { user = name; };
        host.openForm = [this](const QString &name) {
            formsOpened << name;
            return formsThere.contains(name);
        };
        console = std::make_unique<ConsoleLanguage>(std::move(host));
    }

    QString run(const QString &line) { return console->run(line).lines.join(u'\n'); }

    MenuBase menuBase()
    {
        return MenuBase(t.connections(), static_cast<int>(BaseId::Menu), t.settings(), t.prompter(), StoredTextCodec());
    }
    int lockRows()
    {
        SqlStatement q(t.connections().database(BaseId::Menu), QStringLiteral("SELECT COUNT(*) FROM \"BlocksDates\""));
        return q.exec() && q.next() ? q.value(0).toInt() : -1;
    }
};

const QDate kNewYearsEve(2018, 12, 31);

} // namespace

TEST_F(Console, LockWithoutGroupHoldsEveryGroupAndSaysWhenItExists)
{
    EXPECT_EQ(run(QStringLiteral("OnBlockMenu=31.12.2018@@")), u"Блокировка меню для с датой: '31.12.2018' задана!");
    const MenuBase base = menuBase();
    const DayLocks locks(base);
    EXPECT_TRUE(locks.isLocked(kNewYearsEve, QString()));
    EXPECT_TRUE(locks.isLocked(kNewYearsEve, QStringLiteral("Обед")));
    EXPECT_FALSE(locks.isLocked(kNewYearsEve.addDays(-1), QStringLiteral("Обед")));
    EXPECT_EQ(
        run(QStringLiteral("onblockmenu=31.12.2018@@")), u"Блокировка меню для с датой: '31.12.2018' уже была задана!");
    EXPECT_EQ(lockRows(), 1);

    // A group's own lock is another lock; the Russian synonyms do the same.
    EXPECT_EQ(run(QStringLiteral("ВклБлокМеню=31.12.2018@@Завтрак")),
        u"Блокировка меню для с датой: '31.12.2018' для группы - 'Завтрак' задана!");
    EXPECT_EQ(run(QStringLiteral("OffBlockMenu=31.12.2018@@Ужин")),
        u"Не найдена блокировка для меню с датой: '31.12.2018' для группы - 'Ужин'");
    EXPECT_EQ(run(QStringLiteral("БлокМеню=31.12.2018@@")), u"Удалена блокировка меню для с датой: '31.12.2018'");
    EXPECT_FALSE(locks.isLocked(kNewYearsEve, QStringLiteral("Обед")));
    EXPECT_TRUE(locks.isLocked(kNewYearsEve, QStringLiteral("Завтрак")));
    EXPECT_EQ(lockRows(), 1);
}

TEST_F(Console, LockCommandsRefuseBadArgumentsAndChangeNothing)
{
    const QString dateFormat
        = QStringLiteral("Дата задана не верно, необходимо задавать в формате ДД.ММ.ГГГГ, например 31.12.2018.");
    EXPECT_EQ(run(QStringLiteral("OnBlockMenu=2018-12-31@@")), dateFormat);
    EXPECT_EQ(run(QStringLiteral("OffBlockMenu=2018-12-31@@")), dateFormat);
    EXPECT_EQ(run(QStringLiteral("OnBlockMenu=31.02.2018@@")), dateFormat);
    const QString onUsage = QStringLiteral("Параметры заданы не верно. OnBlockMenu.? для справки");
    EXPECT_EQ(run(QStringLiteral("OnBlockMenu=31.12.2018")), onUsage);
    EXPECT_EQ(run(QStringLiteral("OnBlockMenu=31.12.2018@@@")), onUsage);
    EXPECT_EQ(run(QStringLiteral("OnBlockMenu=31.12.2018@Обед")), onUsage);
    EXPECT_EQ(run(QStringLiteral("OnBlockMenu=31.12.2018@@Обед@@Ужин")), onUsage);
    EXPECT_EQ(run(QStringLiteral("OnBlockMenu 31.12.2018@@")), onUsage);
    EXPECT_EQ(run(QStringLiteral("OffBlockMenu=31.12.2018")), u"Параметры заданы не верно. OffBlockMenu.? для справки");
    EXPECT_EQ(lockRows(), 0);
    EXPECT_TRUE(run(QStringLiteral("OnBlockMenu.?")).contains(u"OnBlockMenu=<ДД.ММ.ГГГГ>@@<Группа>"));
    EXPECT_TRUE(run(QStringLiteral("БлокМеню.?")).contains(u"OffBlockMenu=<ДД.ММ.ГГГГ>@@<Группа>"));
}

TEST_F(Console, UnknownCommandsAndServerCommandsAnswerPlainly)
{
    EXPECT_EQ(run(QStringLiteral("format c:")), u"> команда не определена");
    EXPECT_EQ(run(QStringLiteral("helloo")), u"> команда не определена");
    const QString help = run(QStringLiteral("HELP"));
    EXPECT_TRUE(help.startsWith(u"Основные команды консольной строки: "));
    EXPECT_EQ(run(QStringLiteral("Справка")), help);
    EXPECT_EQ(run(QStringLiteral("?")), help);
    EXPECT_TRUE(
        run(QStringLiteral("reg.?")).contains(u"setstr=<Секция>@@<Строка>@@<Значение> - сохранение строки в реестре"));
    // No recipe server and no update server here: said, not pretended.
    for (const char *line :
        {"s.connect", "s.status", "s.m=привет", "ftp.start", "ftp.setpwd secret", "update", "обновить"}) {
        const QString answer = run(QString::fromUtf8(line));
        EXPECT_TRUE(answer.contains(u"недоступен")) << line << ' ' << answer.toStdString();
        EXPECT_FALSE(answer.contains(u"secret"));
    }
    EXPECT_TRUE(run(QStringLiteral("s.?")).startsWith(u"Команды сервера рецептур: "));
    EXPECT_TRUE(t.prompter().shown().empty()) << t.prompter().transcript().toStdString();
}

TEST_F(Console, ModesUserAndFormsAreSwitchedAndReported)
{
    EXPECT_EQ(run(QStringLiteral("consol")), u"Режим консоли включен");
    EXPECT_EQ(run(QStringLiteral("короткие сообщения")), u"Режим коротких сообщений сервера включен");
    EXPECT_EQ(run(QStringLiteral("Консоль")), u"Режим консоли выключен");
    const QStringList report = console->openingReport();
    EXPECT_EQ(report.first(), u"Консольная панель. ");
    EXPECT_TRUE(report.contains(u"Режим работы сервера в консоли: выключен"));
    EXPECT_TRUE(report.contains(u"Режим коротких сообщений работы сервера в консоли: включен"));
    EXPECT_TRUE(report.contains(u"Сборка программы: 1697"));

    EXPECT_EQ(run(QStringLiteral("UpdatesNow")), u"Принудительное обновление при загрузке: включен");
    EXPECT_TRUE(modes.updatesNow);
    EXPECT_FALSE(modes.resumeLoad);
    run(QStringLiteral("Продолжить загрузку"));
    EXPECT_TRUE(modes.resumeLoad);
    EXPECT_EQ(run(QStringLiteral("bLoadProg")), u"Программа в режиме загрузки: Да");
    EXPECT_EQ(run(QStringLiteral("ver")), u"Версия программы: 5.00.00.1697\nСборка программы: 1697");
    EXPECT_EQ(run(QStringLiteral("command line")), u"Командная строка программы: kulvera /Consol");

    EXPECT_EQ(run(QStringLiteral("SetUsr Петрова Анна")), u"Изменен пользователь программы: Петрова Анна");
    EXPECT_EQ(user, u"Петрова Анна");
    EXPECT_EQ(run(QStringLiteral("пользователь")), u"Пользователь программы: Петрова Анна");
    EXPECT_EQ(run(QStringLiteral("clear user")), u"Clear user name");
    EXPECT_TRUE(user.isEmpty());

    EXPECT_EQ(run(QStringLiteral("feat2")), u"Запускаем расширенные настройки системы");
    EXPECT_EQ(run(QStringLiteral("start form FeatNew2")), u"Команда обработана.");
    EXPECT_EQ(formsOpened, QStringList({QStringLiteral("FeatNew2"), QStringLiteral("FeatNew2")}));
    formsThere.clear();
    EXPECT_TRUE(run(QStringLiteral("настройки")).contains(u"недоступны"));
    EXPECT_EQ(run(QStringLiteral("start form Nope")), u"Форма 'Nope' в этой версии программы недоступна.");

    EXPECT_TRUE(console->run(QStringLiteral("clr")).clear);
    const ConsoleAnswer end = console->run(QStringLiteral("Выход"));
    EXPECT_TRUE(end.end);
    EXPECT_EQ(end.lines, QStringList {QStringLiteral("Завершение программы")});
}

TEST_F(Console, LogFileAppearsOnlyInLogMode)
{
    const QString file = t.root() + QStringLiteral("/log.txt");
    run(QStringLiteral("hello"));
    run(QStringLiteral("OnBlockMenu=31.12.2018@@"));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(console->openingReport().contains(u"Режим записи лога: выключен"));

    EXPECT_EQ(run(QStringLiteral("лог")), QStringLiteral("Включен режим записи log-файл: ") + file);
    run(QStringLiteral("hello all"));
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(written.readAll());
    EXPECT_TRUE(text.startsWith(u"============= log последней сессии ============="));
    EXPECT_TRUE(text.contains(u"Консоль: hello all"));
    EXPECT_FALSE(text.contains(u"Консоль: hello\n"));
    EXPECT_TRUE(console->openingReport().contains(u"Режим записи лога: включен"));
}

TEST_F(Console, SettingsAreSavedReadAndDeleted)
{
    EXPECT_EQ(run(QStringLiteral("setatr=Data@@sConsoleTest@@a@b 42")),
        u"Запрос на сохранение в секции: Data, параметр: sConsoleTest, значение: a@b 42\nКоманда выполнена");
    EXPECT_EQ(t.settings().get(Section::Data, QStringLiteral("sConsoleTest")), u"a@b 42");
    EXPECT_EQ(run(QStringLiteral("getstr=1@@sConsoleTest")), u"Сохраненный параметр в реестре: a@b 42");
    // A key nobody saved reads as its default, as the program reads it.
    EXPECT_EQ(run(QStringLiteral("GETSTR=data@@bCheckUpdate")), u"Сохраненный параметр в реестре: 0");
    EXPECT_EQ(run(QStringLiteral("delstr=Data@@sConsoleTest")), u"Удаление строки из реестра.\nКоманда выполнена");
    EXPECT_FALSE(t.settings().contains(Section::Data, QStringLiteral("sConsoleTest")));
}

TEST_F(Console, BadLinesAreRefusedAndChangeNothing)
{
    const QString usage = QStringLiteral("Параметры заданы не верно. reg.? для справки");
    EXPECT_EQ(
        run(QStringLiteral("setatr=Nowhere@@k@@v")), QStringLiteral("Не найдена секция настроек: 'Nowhere'\n") + usage);
    EXPECT_EQ(run(QStringLiteral("setatr=99@@k@@v")), QStringLiteral("Не найдена секция настроек: '99'\n") + usage);
    EXPECT_EQ(run(QStringLiteral("setatr=Data@@k")), usage);
    EXPECT_EQ(run(QStringLiteral("setatr=Data@@k@@v@@w")), usage);
    EXPECT_EQ(run(QStringLiteral("setatr=Data@@@k@@v")), usage);
    EXPECT_EQ(run(QStringLiteral("setatr=Data@@Documents/k@@v")), usage); // would land in another section
    EXPECT_EQ(run(QStringLiteral("getstr=Data")), usage);
    EXPECT_EQ(
        run(QStringLiteral("delstr=Nowhere@@k")), QStringLiteral("Не найдена секция настроек: 'Nowhere'\n") + usage);

    const QString huge = QStringLiteral("setatr=Data@@k@@") + QString(1024 * 1024, u'x');
    EXPECT_TRUE(run(huge).contains(u"длиннее 4096 знаков"));
    EXPECT_TRUE(run(QStringLiteral("setatr=Data@@k@@v\u0001")).contains(u"управляющие символы"));
    EXPECT_TRUE(run(QStringLiteral("OnBlockMenu=31.12.2018@@\tОбед")).contains(u"управляющие символы"));
    for (int code = 0; code < kSectionCount; ++code)
        EXPECT_FALSE(t.settings().contains(*sectionFromCode(code), QStringLiteral("k"))) << code;
    EXPECT_FALSE(t.settings().contains(Section::Documents, QStringLiteral("k")));
    EXPECT_EQ(lockRows(), 0);
}

// The unit of every product: a known code changes every product at once, an
// unknown one (or a failure half way) none.
struct ConsoleUnits : Console {
    qint64 kilogram = 0;
    ConsoleUnits()
    {
        t.create(BaseId::Products);
        t.create(BaseId::Warehouse);
        UnitBase units(t.connections(), t.settings(), t.prompter(), static_cast<int>(BaseId::Warehouse));
        const qint64 group = units.addGroup().value();
        units.addUnit(group, QStringLiteral("грамм"), 1);
        kilogram = units.addUnit(group, QStringLiteral("килограмм"), 0.001).value();
        ProductBase products(t.connections(), t.settings(), t.prompter(), clock);
        std::vector<ProductRow> rows(3);
        for (int i = 0; i < 3; ++i) {
            rows[i].setKey(i + 1);
            rows[i].prod.FullName = QStringLiteral("Продукт %1").arg(i + 1);
            rows[i].priceUnit = 1;
        }
        EXPECT_TRUE(products.insertRows(rows).ok());
    }
    QList<qint64> unitsOfProducts()
    {
        SqlStatement q(t.connections().database(BaseId::Products),
            QStringLiteral("SELECT \"ЕдИ_Ц\" FROM \"dt010\" ORDER BY \"Код\""));
        QList<qint64> list;
        if (q.exec())
            while (q.next())
                list << q.value(0).toLongLong();
        return list;
    }
};

TEST_F(ConsoleUnits, KnownCodeChangesEveryProductUnknownNone)
{
    const QString unknown = QStringLiteral("Не удалось идентифицировать код единиц измерений.");
    EXPECT_EQ(run(QStringLiteral("EdiForAll 999")), unknown);
    EXPECT_EQ(run(QStringLiteral("EdiForAll кг")), unknown);
    EXPECT_EQ(run(QStringLiteral("EdiForAll")), unknown);
    EXPECT_EQ(unitsOfProducts(), QList<qint64>({1, 1, 1}));

    EXPECT_EQ(run(QStringLiteral("ЕдИзмДляВсехПродуктов ") + QString::number(kilogram)),
        QStringLiteral("Для всех продуктов установлен код единиц измерений - ") + QString::number(kilogram));
    EXPECT_EQ(unitsOfProducts(), QList<qint64>({kilogram, kilogram, kilogram}));
}

TEST_F(ConsoleUnits, FailureOnOneProductLeavesEveryProductAsItWas)
{
    const QSqlDatabase db = t.connections().database(BaseId::Products);
    ASSERT_TRUE(execSql(db,
        QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON \"dt010\" WHEN OLD.\"Код\" = 3 "
                       "BEGIN SELECT RAISE(ABORT, 'refused'); END"))
                    .ok());
    const QString answer = run(QStringLiteral("EdiForAll=") + QString::number(kilogram));
    EXPECT_TRUE(answer.startsWith(u"В процессе выполнения выявлены ошибки!")) << answer.toStdString();
    EXPECT_EQ(unitsOfProducts(), QList<qint64>({1, 1, 1}));
}
