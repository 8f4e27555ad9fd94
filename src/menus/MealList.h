#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kulvera {

class Prompter;
class SettingsAccess;

// The meals a menu offers, in display order: the setting sMenuStr, each name
// followed by "<Str>".
class MealList
{
public:
    MealList(SettingsAccess &settings, Prompter &prompter);

    QStringList names() const;
    void setNames(const QStringList &names);

    // Asks "Введите название приема:" (proposing "Завтрак") and appends the
    // name; nothing on cancel, an empty or a repeated name.
    std::optional<QString> addAsking();
    // Asks "Введите новое наименование приема" and renames the meal.
    std::optional<QString> renameAsking(int index);
    // Asks "Удалить прием '<name>' из списка?" and removes it.
    bool removeAsking(int index);

private:
    SettingsAccess &settings_;
    Prompter &prompter_;
};

} // namespace kulvera
