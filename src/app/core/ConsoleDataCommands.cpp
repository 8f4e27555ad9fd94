// The console commands that change data: menu locks, settings, the unit of
// every product.
#include "ConsoleLanguage.h"

#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "menus/DayLocks.h"
#include "menus/MenuBase.h"
#include "products/ProductBase.h"
#include "products/UnitBase.h"
#include "products/UnitForAllProducts.h"
#include "recipes/StoredText.h"
#include "shell/Connections.h"
#include "shell/SettingDefaults.h"

namespace kulvera {
namespace {

const QString kSeparator = QStringLiteral("@@");

// The parts between "@@" marks when there are exactly `count` of them and no
// stray "@" is left at a part's edge (an odd number of marks, "@@@").
std::optional<QStringList> splitParts(const QString &arguments, int count)
{
    const QStringList parts = arguments.split(kSeparator);
    if (parts.size() != count)
        return std::nullopt;
    for (const QString &part : parts) {
        if (part.startsWith(u'@') || part.endsWith(u'@'))
            return std::nullopt;
    }
    return parts;
}

QString settingsUsageText()
{
    return QStringLiteral("Параметры заданы не верно. reg.? для справки");
}

// A key names one value of a section: the store's group separators would
// put it into another section.
bool validKey(const QString &key)
{
    return !key.isEmpty() && !key.contains(u'/') && !key.contains(u'\\');
}

} // namespace

QStringList ConsoleLanguage::lockCommand(const QString &arguments, bool on)
{
    const QString usage = on ? QStringLiteral("Параметры заданы не верно. OnBlockMenu.? для справки")
                             : QStringLiteral("Параметры заданы не верно. OffBlockMenu.? для справки");
    const std::optional<QStringList> parts = splitParts(arguments, 2);
    if (!parts)
        return {usage};
    const std::optional<QDate> day = parseTextDate((*parts)[0]);
    if (!day)
        return {QStringLiteral("Дата задана не верно, необходимо задавать в формате ДД.ММ.ГГГГ, например 31.12.2018.")};
    const QString group = (*parts)[1].trimmed();
    if (!host_.connections || !host_.connections->isConnected(BaseId::Menu))
        return {QStringLiteral("Не подключена база меню суточных рационов")};
    // Locks hold no stored text: the base's codec plays no part here.
    const MenuBase base(
        *host_.connections, static_cast<int>(BaseId::Menu), host_.settings, host_.prompter, StoredTextCodec());
    const DayLocks locks(base);
    const QString date = formatTextDate(*day);
    const QString forGroup = QStringLiteral("' для группы - '") + group + u'\'';
    if (on) {
        if (locks.hasOwnLock(*day, group))
            return {QStringLiteral("Блокировка меню для с датой: '") + date
                + (group.isEmpty() ? QString(u'\'') : forGroup) + QStringLiteral(" уже была задана!")};
        if (const Status s = locks.lock(*day, group); !s)
            return {s.error()};
        return {QStringLiteral("Блокировка меню для с датой: '") + date + (group.isEmpty() ? QString(u'\'') : forGroup)
            + QStringLiteral(" задана!")};
    }
    if (!locks.hasOwnLock(*day, group))
        return {QStringLiteral("Не найдена блокировка для меню с датой: '") + date + forGroup};
    if (const Status s = locks.unlock(*day, group); !s)
        return {s.error()};
    return {QStringLiteral("Удалена блокировка меню для с датой: '") + date
        + (group.isEmpty() ? QString(u'\'') : forGroup)};
}

QStringList ConsoleLanguage::settingCommand(const QString &verb, const QString &arguments)
{
    const bool save = verb == u"set";
    const std::optional<QStringList> parts = splitParts(arguments, save ? 3 : 2);
    if (!parts || !validKey((*parts)[1].trimmed()))
        return {settingsUsageText()};
    const QString sectionText = (*parts)[0].trimmed();
    const std::optional<Section> section = sectionFromText(sectionText);
    if (!section)
        return {QStringLiteral("Не найдена секция настроек: '") + sectionText + u'\'', settingsUsageText()};
    const QString key = (*parts)[1].trimmed();
    if (save) {
        const QString value = (*parts)[2];
        host_.settings.save(*section, key, value);
        return {QStringLiteral("Запрос на сохранение в секции: ") + sectionName(*section)
                + QStringLiteral(", параметр: ") + key + QStringLiteral(", значение: ") + value,
            QStringLiteral("Команда выполнена")};
    }
    if (verb == u"get")
        return {QStringLiteral("Сохраненный параметр в реестре: ") + readSetting(host_.settings, *section, key)};
    host_.settings.remove(*section, key);
    return {QStringLiteral("Удаление строки из реестра."), QStringLiteral("Команда выполнена")};
}

QStringList ConsoleLanguage::unitForAll(const QString &argument)
{
    const QString unknown = QStringLiteral("Не удалось идентифицировать код единиц измерений.");
    bool number = false;
    const qint64 code = argument.toLongLong(&number);
    if (!number)
        return {unknown};
    if (!host_.connections || !host_.connections->isConnected(BaseId::Products))
        return {QStringLiteral("Не подключена база продуктов")};
    if (!host_.connections->isConnected(BaseId::Warehouse))
        return {QStringLiteral("Не подключена база калькуляций: единицы измерений не найдены")};
    ProductBase products(*host_.connections, host_.settings, host_.prompter, host_.clock);
    const UnitBase units(*host_.connections, host_.settings, host_.prompter, static_cast<int>(BaseId::Warehouse));
    const UnitForAllOutcome outcome = setUnitOfAllProducts(products, units, code, host_.errorLog);
    switch (outcome.kind) {
    case UnitForAllOutcome::Kind::UnknownUnit:
        return {unknown};
    case UnitForAllOutcome::Kind::Failed:
        return {QStringLiteral("В процессе выполнения выявлены ошибки!"), outcome.error};
    case UnitForAllOutcome::Kind::Done:
        break;
    }
    return {QStringLiteral("Для всех продуктов установлен код единиц измерений - ") + QString::number(code)};
}

} // namespace kulvera
