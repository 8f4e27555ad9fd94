#include "menus/MealList.h"

#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "common/StrSeparator.h"
#include "menus/MenuBase.h"
#include "shell/SettingDefaults.h"

namespace kulvera {
namespace {

const QString kKey = QStringLiteral("sMenuStr");

QString title()
{
    return MenuBase::kTitle.toString();
}

} // namespace

MealList::MealList(SettingsAccess &settings, Prompter &prompter)
    : settings_(settings)
    , prompter_(prompter)
{
}

QStringList MealList::names() const
{
    QStringList names;
    for (const QString &n : splitStr(readSetting(settings_, Section::Data, kKey))) {
        if (!n.isEmpty())
            names << n;
    }
    return names;
}

void MealList::setNames(const QStringList &names)
{
    // Each name is followed by the separator, the last one too.
    QString text;
    for (const QString &n : names)
        text += n + kStrSeparator;
    settings_.save(Section::Data, kKey, text);
}

std::optional<QString> MealList::addAsking()
{
    const std::optional<QString> typed
        = prompter_.askText(QStringLiteral("Введите название приема:"), title(), QStringLiteral("Завтрак"));
    if (!typed || typed->trimmed().isEmpty())
        return std::nullopt;
    const QString name = typed->trimmed();
    QStringList list = names();
    if (list.contains(name))
        return std::nullopt;
    list << name;
    setNames(list);
    return name;
}

std::optional<QString> MealList::renameAsking(int index)
{
    QStringList list = names();
    if (index < 0 || index >= list.size())
        return std::nullopt;
    const std::optional<QString> typed
        = prompter_.askText(QStringLiteral("Введите новое наименование приема"), title(), list[index]);
    if (!typed || typed->trimmed().isEmpty())
        return std::nullopt;
    const QString name = typed->trimmed();
    if (name != list[index] && list.contains(name))
        return std::nullopt;
    list[index] = name;
    setNames(list);
    return name;
}

bool MealList::removeAsking(int index)
{
    QStringList list = names();
    if (index < 0 || index >= list.size())
        return false;
    if (!prompter_.confirm(QStringLiteral("Удалить прием '") + list[index] + QStringLiteral("' из списка?"), title(),
            QStringLiteral("RemoveMeal")))
        return false;
    list.removeAt(index);
    setNames(list);
    return true;
}

} // namespace kulvera
