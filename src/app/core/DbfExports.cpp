#include "DbfExports.h"

#include "common/Clock.h"
#include "common/Prompter.h"
#include "interchange/DbfExport.h"
#include "products/ProductBase.h"
#include "recipes/DishBase.h"
#include "shell/Connections.h"
#include "shell/DishCollections.h"
#include "shell/SharedSettings.h"

namespace kulvera {

Result<int> exportProductsToDbf(Connections &connections, const SettingsAccess &settings, const SharedSettings &shared,
    Prompter &prompter, const QString &path)
{
    if (connections.connectBase(BaseId::Products, shared, true) == Connections::kFailed)
        return Result<int>::failure(QStringLiteral("Не удалось подключиться к базе продуктов"));
    const SystemClock clock;
    ProductBase base(connections, settings, prompter, clock);
    const auto products = base.list();
    if (!products)
        return Result<int>::failure(products.error());
    std::vector<QVariantList> rows;
    rows.reserve(products->size());
    for (const ProductRow &r : products.value()) {
        const clsProds &p = r.prod;
        rows.push_back({r.key(), p.ShortName, p.FullName, p.NameND, r.groupKey, p.Price, r.priceUnit, r.out, p.Voda,
            p.Bel, p.Gir, p.MD, p.Kr, p.Kl, p.Zola, p.En});
    }
    const Status written = exportDbfRows(path, productsDbfTable(), rows, prompter);
    if (!written)
        return Result<int>::failure(written.error());
    return static_cast<int>(rows.size());
}

Result<int> exportRecipesToDbf(Connections &connections, SettingsAccess &settings, const SharedSettings &shared,
    Prompter &prompter, const QString &table, const QString &path)
{
    const int dishes = static_cast<int>(BaseId::Dishes);
    if (connections.connectBase(BaseId::Dishes, shared, true) == Connections::kFailed)
        return Result<int>::failure(QStringLiteral("Не удалось подключиться к базе блюд"));
    const Result<StoredTextCodec> codec = installationCodec(connections, dishes, settings, &prompter);
    if (!codec)
        return Result<int>::failure(codec.error());
    DishBase base(connections, dishes, settings, prompter, codec.value());
    const std::optional<QString> resolved = findRecipeTable(connections, settings, table);
    if (!resolved)
        return Result<int>::failure(QStringLiteral("Нет такой таблицы рецептур: ") + table);
    const Result<QStringList> names = base.recipeNames(*resolved);
    if (!names)
        return Result<int>::failure(names.error());
    std::vector<QVariantList> rows;
    int number = 0;
    for (const QString &name : names.value()) {
        RecipeSlots memory;
        const Result<LoadedRecipe> loaded = base.load(memory, 1, *resolved, name, QString());
        if (!loaded)
            return Result<int>::failure(name + QStringLiteral(": ") + loaded.error());
        ++number;
        const colBludo &recipe = *memory.slot(1);
        QString technology;
        int cardType = 1;
        for (const clsBludo &b : recipe) {
            if (technology.isEmpty() && !b.clsProds().Oform.isEmpty())
                technology = splitCardTexts(b.clsProds().Oform)[0];
            if (b.clsProds().TN_Vid > 0)
                cardType = b.clsProds().TN_Vid;
        }
        bool first = true;
        for (const clsBludo &b : recipe) {
            const clsProds &p = b.clsProds();
            // Kod holds the position key, ID_Prod the product key.
            rows.push_back({number, name, cardType, loaded->output, p.Kod, p.ID_Prod.toLongLong(),
                p.FullName.isEmpty() ? p.ShortName : p.FullName, p.Brutto, p.Netto,
                first ? QVariant(technology) : QVariant()});
            first = false;
        }
    }
    const Status written = exportDbfRows(path, recipesDbfTable(), rows, prompter);
    if (!written)
        return Result<int>::failure(written.error());
    return number;
}

} // namespace kulvera
