#pragma once

#include "common/Result.h"

#include <QList>
#include <QString>

#include <optional>

namespace kulvera {

class Connections;
class SettingsAccess;

// The collections of recipes held in the dish base: each is a row of the
// catalogue table "Base_ID" (display name `BD_Name`, table `BD_Table`) and a
// table of its own with one row per recipe position.
struct DishCollection {
    QString name;
    QString table;
};

QList<DishCollection> listCollections(Connections &connections, const SettingsAccess &settings);
// The recipe table a user's word names: a collection's name or its table
// (without a word, the first collection whose table exists), else a table of
// that name that no collection lists yet. Nothing when there is none.
std::optional<QString> findRecipeTable(Connections &connections, const SettingsAccess &settings, const QString &wanted);
// Asks for the name ("Введите название базы данных"), refuses names with
// blanks and the characters ! " & ' , . [ ] `, and creates the table and its
// catalogue row in one transaction.
Result<DishCollection> addCollection(Connections &connections, const SettingsAccess &settings);
// The same, with the name already chosen (no input box).
Result<DishCollection> addCollection(Connections &connections, const SettingsAccess &settings, const QString &name);
// Asks "Удалить таблицу '<name>' ?" and removes the table and its row together.
Status removeCollection(Connections &connections, const SettingsAccess &settings, const QString &name);

} // namespace kulvera
