#pragma once

#include "common/Result.h"

#include <QString>

namespace kulvera {

class Connections;
class SettingsAccess;

// The collection a fresh installation's demo recipes go into.
inline constexpr QStringView kDemoCollection = u"Рецептуры";

// Writes the demo recipes of the seed file into the dish base, built from the
// products of the product base (composition per 100 g scaled to each net
// mass), in one transaction. They go into the first collection of the dish
// base (a new base has one, empty), or into a new collection "Рецептуры" when
// there is none; a collection that already holds rows is left alone. The file is ";"-separated:
//   Recipe;Output;Kind;Parent;Item;Product;Name;Brutto;Netto;LossType
// Kind "pro" rows name a product key, "pfx" rows a name and a loss type.
// A file that is not there seeds nothing.
Status seedDemoRecipes(Connections &connections, SettingsAccess &settings, const QString &csv);

// Writes the recipes of a seed file of the same format into the collection
// seedDemoRecipes uses even when it already holds recipes (a recipe of the
// same name is replaced), in one transaction. The demo kitchen adds its
// canteen recipes this way.
Status addDemoRecipes(Connections &connections, SettingsAccess &settings, const QString &csv);

} // namespace kulvera
