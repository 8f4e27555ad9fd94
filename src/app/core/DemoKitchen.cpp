#include "DemoKitchen.h"

#include "DemoKitchenJournals.h"
#include "DemoKitchenRations.h"
#include "DemoKitchenRejection.h"
#include "DemoKitchenResearch.h"
#include "DemoKitchenWriteOffs.h"
#include "SeedData.h"
#include "common/Clock.h"
#include "recipes/DemoRecipes.h"
#include "shell/AppContext.h"
#include "shell/Connections.h"
#include "shell/DataFiles.h"
#include "shell/Databases.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"
#include "warehouse/DemoWarehouse.h"

#include <QDir>
#include <QFileInfo>

namespace kulvera {
namespace {

Status deployBases(DemoKitchen &kitchen)
{
    const auto created = deployDefaultBases(kitchen.shared.databasesFolder(), kitchen.settings);
    return created ? Status() : Status::failure(created.error());
}

Status seedBases(DemoKitchen &kitchen)
{
    return seedDefaultBases(kitchen.connections, kitchen.settings, kitchen.shared);
}

Status addCanteenRecipes(DemoKitchen &kitchen)
{
    // Unlike the seed of a fresh installation, the kitchen is nothing without its recipes.
    const QString file = dataFile(QStringLiteral("demo_kitchen_recipes.csv"));
    if (!QFileInfo::exists(file))
        return Status::failure(QStringLiteral("Не найден файл ") + file);
    return addDemoRecipes(kitchen.connections, kitchen.settings, file);
}

Status addDemoStock(DemoKitchen &kitchen)
{
    Connections &c = kitchen.connections;
    if (c.connectBase(BaseId::Warehouse, kitchen.shared, true) == Connections::kFailed
        || c.connectBase(BaseId::Products, kitchen.shared, true) == Connections::kFailed)
        return Status::failure(QStringLiteral("Нет подключения к базе склада или базе продуктов"));
    attachExternalTables(c);
    // The receipts end the day before the first ration day, so the stock is
    // there before the kitchen starts cooking.
    const FixedClock clock(kitchen.firstDay.addDays(-1));
    AppContext context {kitchen.prompter, kitchen.settings, kitchen.shared, clock, c, c.errorLog()};
    const auto seeded = seedDemoWarehouse(context, clock.today());
    return seeded ? Status() : Status::failure(seeded.error());
}

} // namespace

const std::vector<DemoKitchenStep> &demoKitchenSteps()
{
    static const std::vector<DemoKitchenStep> steps = {
        {QStringLiteral("Создание баз данных"), deployBases},
        {QStringLiteral("Продукты, потери, показатели, рецептуры"), seedBases},
        {QStringLiteral("Рецептуры столовой"), addCanteenRecipes},
        {QStringLiteral("Рационы на две недели"), addDemoRations},
        {QStringLiteral("Склад: поставщики и приход за месяц"), addDemoStock},
        {QStringLiteral("Склад: списание по меню прошедших дней"), writeOffDemoRations},
        {QStringLiteral("Бракеражный журнал прошедших дней"), addDemoRejectionJournal},
        {QStringLiteral("Лаборатория: методы и протокол испытаний"), addDemoResearch},
        {QStringLiteral("Журналы здоровья и температурного режима за месяц"), addDemoJournals},
    };
    return steps;
}

QDate demoKitchenFirstDay(const QDate &today)
{
    // On a weekend the coming week is the one to plan.
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    return today.dayOfWeek() >= 6 ? monday.addDays(7) : monday;
}

QString demoKitchenSettingsFile(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("Kulvera.ini"));
}

QString demoKitchenBasesFolder(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("KV_Bases"));
}

std::optional<QString> demoKitchenRefusal(const QString &folder)
{
    const QString absolute = QDir(folder).absolutePath();
    if (QFileInfo::exists(demoKitchenSettingsFile(absolute)) || QFileInfo::exists(demoKitchenBasesFolder(absolute)))
        return QStringLiteral("В папке уже есть установка программы, демонстрационная кухня не создана: ") + absolute;
    if (QFileInfo::exists(absolute) && !QFileInfo(absolute).isDir())
        return QStringLiteral("Это не папка: ") + absolute;
    return std::nullopt;
}

Status buildDemoKitchen(const QString &folder, Prompter &prompter, ErrorLog &errorLog, const Clock &clock,
    const std::function<void(const QString &)> &progress)
{
    if (const auto refusal = demoKitchenRefusal(folder))
        return Status::failure(*refusal);
    const QString absolute = QDir(folder).absolutePath();
    const bool folderExisted = QFileInfo::exists(absolute);
    if (!QDir().mkpath(absolute))
        return Status::failure(QStringLiteral("Не удалось создать папку: ") + absolute);
    const QString settingsFile = demoKitchenSettingsFile(absolute);
    Status result;
    {
        SettingsStore settings(settingsFile);
        settings.save(Section::Data, QStringLiteral("Dir_book"), demoKitchenBasesFolder(absolute));
        SharedSettings shared = SharedSettings::load(settings, {absolute, absolute, QString(), absolute});
        Connections connections(prompter, settings, errorLog);
        connections.setDefaultFolder(shared.databasesFolder());
        DemoKitchen kitchen {
            absolute, settings, shared, connections, prompter, demoKitchenFirstDay(clock.today()), clock.today()};
        for (const DemoKitchenStep &step : demoKitchenSteps()) {
            if (progress)
                progress(step.title);
            result = step.run(kitchen);
            if (!result)
                break;
        }
        connections.disconnectAll();
        if (result && !settings.sync())
            result = Status::failure(QStringLiteral("Не удалось записать файл настроек: ") + settingsFile);
    }
    if (!result) {
        // Half a kitchen would be refused by the next attempt: take it away again.
        QDir(demoKitchenBasesFolder(absolute)).removeRecursively();
        QFile::remove(settingsFile);
        if (!folderExisted)
            QDir().rmdir(absolute);
    }
    return result;
}

} // namespace kulvera
