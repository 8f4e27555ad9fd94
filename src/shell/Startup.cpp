#include "shell/Startup.h"

#include "common/Clock.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "shell/Catalogue.h"
#include "shell/Connections.h"
#include "shell/DamagedBases.h"
#include "shell/Databases.h"
#include "shell/DbMaintenance.h"
#include "shell/DbStructure.h"
#include "shell/ErrorLog.h"
#include "shell/SettingDefaults.h"
#include "shell/SharedSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace kulvera {
namespace {

bool hasFolder(const QString &fileName)
{
    return fileName.contains(u'/') || fileName.contains(u'\\');
}

} // namespace

bool StartupHooks::run(const QString &name) const
{
    const auto it = hooks_.find(name);
    if (it == hooks_.end())
        return false;
    it->second();
    return true;
}

const QStringList &StartupHooks::names()
{
    static const QStringList all = {
        QStringLiteral("resolveUpdateServer"),
        QStringLiteral("console"),
        QStringLiteral("checkUpdates"),
        QStringLiteral("installUpdates"),
        QStringLiteral("installAddOns"),
        QStringLiteral("seedDefaultBases"),
        QStringLiteral("firstRunImport"),
        QStringLiteral("syncProductsWithServer"),
        QStringLiteral("replaceProducts"),
        QStringLiteral("renumberMenuCards"),
        QStringLiteral("connectMeatShopBases"),
        QStringLiteral("loadHeatTreatmentTables"),
        QStringLiteral("updateHeatLosses"),
        QStringLiteral("syncDishBase"),
        QStringLiteral("syncMenuBase"),
        QStringLiteral("initMicrobiology"),
        QStringLiteral("cleanZeroLots"),
        QStringLiteral("connectRecipeServer"),
        QStringLiteral("loadOrganoleptic"),
        QStringLiteral("preloadEditors"),
        QStringLiteral("openMenuFile"),
    };
    return all;
}

StartupSequence::StartupSequence(Prompter &prompter, SettingsAccess &settings, const Clock &clock,
    const StartupEnvironment &environment, const StartupHooks &hooks, StartupObserver *observer)
    : prompter_(prompter)
    , settings_(settings)
    , clock_(clock)
    , environment_(environment)
    , hooks_(hooks)
    , observer_(observer)
    , errorLog_(std::make_unique<ErrorLog>())
{
}

StartupSequence::~StartupSequence() = default;

void StartupSequence::log(const QString &text)
{
    sessionLog_.write(text);
}

void StartupSequence::hook(const QString &name)
{
    if (!hooks_.run(name))
        log(name + QStringLiteral(": нечего выполнять (модуль не подключен)"));
}

bool StartupSequence::fail(const QString &reason)
{
    exitReason_ = reason;
    log(QStringLiteral("Завершение программы: ") + reason);
    return false;
}

bool StartupSequence::step(const QString &internalName, const QString &text, const std::function<bool()> &body)
{
    steps_ << internalName + QStringLiteral(": ") + text;
    if (observer_)
        observer_->stepStarted(internalName, text);
    log(text);
    if (commandLine_.debug)
        prompter_.message(internalName + u'\n' + text, QStringLiteral("Отладка: начало шага"));
    const bool ok = body();
    if (commandLine_.debug)
        prompter_.message(internalName + u'\n' + text, QStringLiteral("Отладка: конец шага"));
    return ok;
}

StartupSequence::Outcome StartupSequence::run(const QStringList &arguments)
{
    // The locale check comes before anything else, the diagnostics right after.
    commandLine_ = CommandLine::parse(arguments, environment_.programFolder);
    steps_.clear();
    loading_ = true;
    bool ok = step(QStringLiteral("Init"), QStringLiteral("Инициализация"), [] {
        return true;
    }) && step(QStringLiteral("TestDelim"), QStringLiteral("Проверка разделителя десятичных знаков"), [this] {
        return checkSeparator();
    }) && step(QStringLiteral("Diagnostics"), QStringLiteral("Режимы диагностики"), [this] {
        sessionLog_.start(commandLine_.log, commandLine_.logFile, environment_.programFolder, clock_.now());
        log(QStringLiteral("Начало запуска программы"));
        return true;
    }) && step(QStringLiteral("PrevInstance"), QStringLiteral("Проверка запущенной копии программы"), [this] {
        return checkInstance();
    }) && step(QStringLiteral("InitVars"), QStringLiteral("Инитиализация переменных..."), [] {
        return true;
    }) && step(QStringLiteral("Styles"), QStringLiteral("Подключаем стиль ХР..."), [] {
        return true;
    }) && step(QStringLiteral("Folders"), QStringLiteral("Системные папки"), [this] {
        return checkFolders();
    }) && step(QStringLiteral("FileSystem"), QStringLiteral("Файловая система"), [] {
        return true;
    }) && step(QStringLiteral("UpdateServer"), QStringLiteral("Адрес сервера обновлений"), [this] {
        hook(QStringLiteral("resolveUpdateServer"));
        return true;
    }) && step(QStringLiteral("CommandLine"), QStringLiteral("Коммандная строка..."), [this] {
        return handleCommandLine();
    }) && step(QStringLiteral("FreeSpace"), QStringLiteral("Свободное место на диске"), [this] {
        return checkFreeSpace();
    }) && step(QStringLiteral("Settings"), QStringLiteral("Настройка переменных"), [this] {
        return loadSettings();
    }) && step(QStringLiteral("MassUnits"), QStringLiteral("Система коэффициентов..."), [] {
        return true;
    }) && step(QStringLiteral("Console"), QStringLiteral("Консоль"), [this] {
        if (!commandLine_.console || !hooks_.has(QStringLiteral("console")))
            return true;
        hook(QStringLiteral("console"));
        return !commandLine_.console || fail(QStringLiteral("консоль закрыта без продолжения загрузки"));
    }) && step(QStringLiteral("BaseFolders"), QStringLiteral("Проверка папки доп. баз блюд..."), [this] {
        return prepareDatabaseFolders();
    }) && step(QStringLiteral("Splash"), QStringLiteral("Сборка ") + QString::number(kBuildNumber), [this] {
        if (observer_)
            observer_->splashShown();
        return true;
    }) && step(QStringLiteral("CheckUpdates"), QStringLiteral("Проверка обновлений"), [this] {
        if (readSetting(settings_, Section::Data, QStringLiteral("bCheckUpdate")) == u"1" || commandLine_.updatesNow)
            hook(QStringLiteral("checkUpdates"));
        return true;
    }) && step(QStringLiteral("WriteAccess"), QStringLiteral("Проверка прав на запись"), [this] {
        QTemporaryFile probe(QDir(shared_->dirBook()).filePath(QStringLiteral("kv_probe_XXXXXX")));
        if (!probe.open())
            prompter_.warning(QStringLiteral("Нет прав на запись в папку: ") + shared_->dirBook());
        return true;
    }) && step(QStringLiteral("InstallUpdates"), QStringLiteral("Установка обновления системы..."), [this] {
        hook(QStringLiteral("installUpdates"));
        return true;
    }) && step(QStringLiteral("AddOns"), QStringLiteral("Установка дополнительных продуктов..."), [this] {
        hook(QStringLiteral("installAddOns"));
        return true;
    }) && step(QStringLiteral("PrepareDB"), QStringLiteral("Готовим работу с БД..."), [this] {
        hook(QStringLiteral("firstRunImport"));
        hook(QStringLiteral("syncProductsWithServer"));
        return true;
    }) && step(QStringLiteral("ReplaceProducts"), QStringLiteral("Замена продуктов"), [this] {
        if (!commandLine_.replaceProducts)
            return true;
        hook(QStringLiteral("replaceProducts"));
        return fail(QStringLiteral("замена продуктов выполнена"));
    }) && step(QStringLiteral("Connect"), QStringLiteral("Подключение баз данных"), [this] {
        return connectBases();
    }) && step(QStringLiteral("Users"), QStringLiteral("Пользователи"), [this] {
        if (currentUser_.isEmpty())
            currentUser_ = QStringLiteral("Администратор системы");
        if (readSetting(settings_, Section::Data, QStringLiteral("sGetUsers")) == u"1")
            log(QStringLiteral("Вход пользователей не реализован: работает ") + currentUser_);
        const Status copy = prepareWorkingCopy(*connections_, workingFolder(), clock_.today(), settings_, *shared_);
        if (!copy)
            log(QStringLiteral("Временная база не подготовлена: ") + copy.error());
        if (commandLine_.renumberMenuCards)
            hook(QStringLiteral("renumberMenuCards"));
        return true;
    }) && step(QStringLiteral("MeatShop"), QStringLiteral("Базы мясного цеха"), [this] {
        hook(QStringLiteral("connectMeatShopBases"));
        return true;
    }) && step(QStringLiteral("LoadMDI"), QStringLiteral("Загрузка MDI..."), [this] {
        if (observer_)
            observer_->mainWindowCreated();
        return true;
    }) && step(QStringLiteral("Upgrade"), QStringLiteral("Проверка обновлений баз данных..."), [this] {
        const Status upgraded = upgradeStructure(*connections_, settings_, [this](const QString &l) { log(l); });
        if (!upgraded)
            log(QStringLiteral("Ошибка обновления структуры: ") + upgraded.error());
        hook(QStringLiteral("loadHeatTreatmentTables"));
        if (commandLine_.updateHeatLosses)
            hook(QStringLiteral("updateHeatLosses"));
        if (commandLine_.syncDishBase)
            hook(QStringLiteral("syncDishBase"));
        if (commandLine_.syncMenuBase)
            hook(QStringLiteral("syncMenuBase"));
        return true;
    }) && step(QStringLiteral("MB_Init"), QStringLiteral("MB_Init"), [this] {
        hook(QStringLiteral("initMicrobiology"));
        return true;
    }) && step(QStringLiteral("ZeroLots"), QStringLiteral("Очистка продуктов на складе"), [this] {
        hook(QStringLiteral("cleanZeroLots"));
        return true;
    }) && step(QStringLiteral("TempImages"), QStringLiteral("Очистка временных изображений..."), [this] {
        QDir images(QDir(shared_->databasesFolder()).filePath(shared_->value(Section::Data, QStringLiteral("DB_Img"))));
        for (const QString &f : images.entryList({QStringLiteral("0_*.*")}, QDir::Files))
            images.remove(f);
        return true;
    }) && step(QStringLiteral("RecipeServer"), QStringLiteral("Сервер рецептур"), [this] {
        if (readSetting(settings_, Section::Data, QStringLiteral("bAutoConnectToServer")) == u"1")
            hook(QStringLiteral("connectRecipeServer"));
        return true;
    }) && step(QStringLiteral("Load_Organ"), QStringLiteral("Load_Organ"), [this] {
        hook(QStringLiteral("loadOrganoleptic"));
        return true;
    }) && step(QStringLiteral("Preload"), QStringLiteral("Загрузка форм :: разработка рецептур..."), [this] {
        hook(QStringLiteral("preloadEditors"));
        return true;
    }) && step(QStringLiteral("ShowMain"), QStringLiteral("Главное окно"), [this] {
        if (observer_)
            observer_->mainWindowShown();
        if (!commandLine_.menuFile.isEmpty())
            hook(QStringLiteral("openMenuFile"));
        return true;
    }) && step(QStringLiteral("SizeCheck"), QStringLiteral("Проверка размера баз данных"), [this] {
        checkBaseSizes(*connections_, prompter_);
        return true;
    }) && step(QStringLiteral("Ready"), QStringLiteral("Программа загружена и готова к работе"), [this] {
        prompter_.status(QStringLiteral("Программа загружена и готова к работе"));
        return true;
    });
    loading_ = false;
    return ok ? Outcome::Ready : Outcome::Exit;
}

bool StartupSequence::checkSeparator()
{
    if (!environment_.locale.toString(20.23452).contains(u'.'))
        return true;
    const QString text = QStringLiteral("На компьтере установлен делитель десятичных знаков - '.' (точка)\n")
        + QStringLiteral("Программа настроена на работу с делителем - ',' (запятая)\n\n")
        + QStringLiteral("Для корректной работы следует внести изменения в настройки Windows, работа программы может "
                         "вызывать ошибки!\n\n")
        + QStringLiteral("Продолжить загрузку программы?");
    if (prompter_.ask(text, Prompter::Buttons::YesNo, Prompter::kDefaultTitle, Prompter::Icon::Question,
            QStringLiteral("DecimalSeparator"))
        == Prompter::Answer::Yes)
        return true;
    return fail(QStringLiteral("десятичный разделитель"));
}

bool StartupSequence::checkInstance()
{
    if (!environment_.otherInstanceRunning || !environment_.otherInstanceRunning())
        return true;
    if (prompter_.ask(QStringLiteral("Программа уже запущена!\nПродолжить загрузку дополнительнй копии?"),
            Prompter::Buttons::YesNo, Prompter::kErrorTitle, Prompter::Icon::Critical, QStringLiteral("SecondInstance"))
        == Prompter::Answer::Yes)
        return true;
    return fail(QStringLiteral("программа уже запущена"));
}

bool StartupSequence::checkFolders()
{
    if (environment_.tempFolder.isEmpty() || !QFileInfo(environment_.tempFolder).isDir()) {
        prompter_.error(QStringLiteral("Не удалось определить папку Windows"));
        return fail(QStringLiteral("нет временной папки"));
    }
    if (environment_.userDataFolder.isEmpty() || !QDir().mkpath(environment_.userDataFolder)) {
        prompter_.error(QStringLiteral("Не удалось определить системную папку Windows"));
        return fail(QStringLiteral("нет папки данных пользователя"));
    }
    errorLog_->setPath(QDir(environment_.userDataFolder).filePath(QStringLiteral("errors.log")));
    workingFolder_ = std::make_unique<WorkingFolder>(environment_.tempFolder);
    for (const QString &folder : workingFolder_->removedAtStart())
        log(QStringLiteral("Удалены рабочие файлы завершённого сеанса: ") + folder);
    return true;
}

bool StartupSequence::handleCommandLine()
{
    if (commandLine_.showSwitchHelp)
        prompter_.message(CommandLine::switchHelpText());
    reportUnavailableSwitches();
    if (commandLine_.replaceUsageError) {
        prompter_.message(CommandLine::replacementUsageText());
        return fail(QStringLiteral("неверный ключ /RP"));
    }
    if (!commandLine_.menuFile.isEmpty()) {
        if (prompter_.ask(QStringLiteral("Осуществить загрузку меню в окне анализа рационов?"),
                Prompter::Buttons::YesNo, {}, Prompter::Icon::Question, QStringLiteral("OpenMenuFile"))
            != Prompter::Answer::Yes) {
            commandLine_.menuFile.clear();
        } else if (!QFileInfo::exists(commandLine_.menuFile)) {
            prompter_.error(
                QStringLiteral("Не удалось загрузить файл: ") + commandLine_.menuFile, Prompter::kDefaultTitle);
            return fail(QStringLiteral("нет файла меню"));
        }
    }
    return true;
}

void StartupSequence::reportUnavailableSwitches()
{
    // A switch whose work no module does yet is said to be unavailable rather
    // than accepted and silently ignored.
    const CommandLine &c = commandLine_;
    const struct {
        bool given;
        QString name;
        const char16_t *hook;
        const char16_t *what;
    } switches[] = {
        {c.console, QStringLiteral("/Consol"), u"console", u"окно консоли"},
        {c.renumberMenuCards, QStringLiteral("/UpdNumInMenu"), u"renumberMenuCards", u"обновление номеров карт в меню"},
        {c.syncDishBase, c.compactAfterDishSync ? QStringLiteral("/SYNCGLOBCOMP") : QStringLiteral("/SYNCGLOB"),
            u"syncDishBase", u"синхронизация базы продуктов с базой блюд"},
        {c.syncMenuBase, c.compactAfterMenuSync ? QStringLiteral("/SYNCGLOBMENUCOMP") : QStringLiteral("/SYNCGLOBMENU"),
            u"syncMenuBase", u"синхронизация базы продуктов с базой меню"},
        {c.updateHeatLosses, QStringLiteral("/UPDATESTEPLOV"), u"updateHeatLosses",
            u"обновление потерь при тепловой обработке в базе блюд"},
    };
    QStringList lines;
    for (const auto &s : switches) {
        if (!s.given || hooks_.has(QString::fromUtf16(s.hook)))
            continue;
        const QString line = QStringLiteral("Ключ ") + s.name + QStringLiteral(" (") + QString::fromUtf16(s.what)
            + QStringLiteral(") пока недоступен в этой версии программы и выполнен не будет.");
        log(line);
        lines << line;
    }
    if (!lines.isEmpty())
        prompter_.warning(lines.join(u'\n'));
}

bool StartupSequence::checkFreeSpace()
{
    if (!environment_.freeBytes)
        return true;
    const qint64 megabytes = environment_.freeBytes(environment_.programFolder) / (1024 * 1024);
    if (megabytes >= kMinimumFreeMegabytes)
        return true;
    if (prompter_.ask(QStringLiteral("На диске меньше 5 Мб свободного дискового пространства. Продолжить?"),
            Prompter::Buttons::YesNo, {}, Prompter::Icon::Question, QStringLiteral("FreeSpace"))
        == Prompter::Answer::Yes)
        return true;
    return fail(QStringLiteral("мало места на диске"));
}

bool StartupSequence::loadSettings()
{
    shared_ = std::make_unique<SharedSettings>(SharedSettings::load(settings_,
        {environment_.programFolder, environment_.userDataFolder, commandLine_.dirOverride,
            environment_.documentsFolder}));
    connections_ = std::make_unique<Connections>(prompter_, settings_, *errorLog_);
    connections_->setDefaultFolder(shared_->databasesFolder());
    connections_->setDebugMode(commandLine_.debug);
    return true;
}

bool StartupSequence::prepareDatabaseFolders()
{
    const QString folder = shared_->databasesFolder();
    const bool configured
        = !commandLine_.dirOverride.isEmpty() || settings_.contains(Section::Data, QStringLiteral("Dir_book"));
    if (!QFileInfo(folder).isDir()) {
        if (configured) {
            prompter_.error(QStringLiteral("Не найдена папка с базами данных: ") + folder, Prompter::kDefaultTitle);
            return fail(QStringLiteral("нет папки баз данных"));
        }
        // First start: the default folder does not exist yet.
        log(QStringLiteral("Первый запуск: создаем базы данных в папке ") + folder);
        const auto deployed = deployDefaultBases(folder, settings_);
        if (!deployed) {
            prompter_.error(QStringLiteral("Не найдена папка с базами программы: ") + folder + u'\n' + deployed.error(),
                Prompter::kDefaultTitle);
            return fail(QStringLiteral("базы не созданы"));
        }
        hook(QStringLiteral("seedDefaultBases"));
    }
    for (const char16_t *key : {u"dop_fh", u"dop_pf", u"dop_calc"})
        QDir(folder).mkpath(shared_->value(Section::Data, QString::fromUtf16(key)));
    if (!QFileInfo(folder).isDir()) {
        prompter_.error(QStringLiteral("Не найдена папка с базами программы: ") + folder, Prompter::kDefaultTitle);
        return fail(QStringLiteral("нет папки баз программы"));
    }
    const QString extraDishes = QDir(folder).filePath(shared_->value(Section::Data, QStringLiteral("dop_bb")));
    if (!QFileInfo(extraDishes).isDir()) {
        log(QStringLiteral("Создание папки доп. баз блюд..."));
        QDir().mkpath(extraDishes);
    }
    return true;
}

bool StartupSequence::connectBases()
{
    Connections &c = *connections_;
    // The dish base: without it the program cannot work.
    if (c.connectBase(BaseId::Dishes, *shared_, true) == Connections::kFailed && !restoreDishes())
        return fail(QStringLiteral("нет базы блюд"));
    if (c.connectBase(BaseId::Products, *shared_, true) == Connections::kFailed) {
        const QString configured = baseFileName(BaseId::Products, settings_);
        const QString path = basePath(BaseId::Products, settings_, *shared_);
        if (hasFolder(configured) && !QFileInfo::exists(path)) {
            restoreMissingAdditionalProductBase(prompter_, settings_, path);
            if (c.connectBase(BaseId::Products, *shared_, true) == Connections::kFailed
                && offerStandardProductBase(prompter_, settings_))
                return fail(QStringLiteral("нет базы продуктов"));
        } else if (offerStandardProductBase(prompter_, settings_)) {
            return fail(QStringLiteral("нет базы продуктов"));
        }
    }
    for (BaseId base : startupBases()) {
        if (base == BaseId::Dishes || base == BaseId::Products)
            continue;
        if (c.connectBase(base, *shared_, true) != Connections::kFailed)
            continue;
        if (base == BaseId::Journals) {
            log(QStringLiteral("База журналов пересоздана"));
            recreateJournalsBase(c, settings_, *shared_);
        } else {
            log(QStringLiteral("Не подключена база: ") + basePath(base, settings_, *shared_));
        }
    }
    attachExternalTables(c);
    log(QStringLiteral("Все базы данных подключены!"));
    return true;
}

bool StartupSequence::restoreDishes()
{
    const auto restored = restoreDishBase(*connections_, settings_, *shared_);
    if (!restored) {
        prompter_.error(QStringLiteral("Отсутствует база блюд: ") + basePath(BaseId::Dishes, settings_, *shared_)
                + u'\n' + restored.error(),
            Prompter::kDefaultTitle);
        return false;
    }
    // A base written anew gets the same seed data as on a first start.
    if (restored->created)
        hook(QStringLiteral("seedDefaultBases"));
    const QString text = dishBaseRestoredText(*restored);
    log(text);
    prompter_.warning(text);
    return true;
}

} // namespace kulvera
