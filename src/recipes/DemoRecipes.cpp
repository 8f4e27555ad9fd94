#include "recipes/DemoRecipes.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "common/ScriptedPrompter.h"
#include "products/ProductBase.h"
#include "recipes/DishBase.h"
#include "recipes/DishComposition.h"
#include "recipes/HeatTreatment.h"
#include "recipes/Masses.h"
#include "recipes/PositionKey.h"
#include "recipes/RecipeEditing.h"
#include "recipes/StoredText.h"
#include "shell/Connections.h"
#include "shell/DataFiles.h"
#include "shell/DishCollections.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QFileInfo>

#include <map>
#include <vector>

namespace kulvera {

namespace {

// Writes the recipes of `csv` into the first collection of the dish base (a
// new one when there is none); with `intoEmptyOnly` a collection that already
// holds rows is left alone.
Status writeDemoRecipes(Connections &connections, SettingsAccess &settings, const QString &csv, bool intoEmptyOnly)
{
    if (!connections.isConnected(BaseId::Dishes) || !connections.isConnected(BaseId::Products))
        return Status::failure(QStringLiteral("Нет подключения к базе блюд или базе продуктов"));
    // A data folder without this file has nothing of it to seed.
    if (!QFileInfo::exists(csv))
        return {};
    const std::optional<SeedTable> seed = readSeedTable(csv);
    if (!seed)
        return Status::failure(QStringLiteral("Не удалось открыть файл ") + csv);

    // Nobody watches a seed: questions get the answer that changes nothing.
    ScriptedPrompter quiet;
    const SystemClock clock;
    const ProductBase products(connections, settings, quiet, clock);

    struct Recipe {
        QString output;
        colBludo positions;
    };
    std::vector<QString> order;
    std::map<QString, Recipe> recipes;
    for (const SeedRow &row : seed->rows) {
        const QStringList &c = row.cells;
        if (c.size() < 10)
            return Status::failure(csv + QStringLiteral(": строка ") + QString::number(row.line));
        const QString name = c[0].trimmed();
        if (!recipes.count(name))
            order.push_back(name);
        Recipe &r = recipes[name];
        if (!c[1].trimmed().isEmpty())
            r.output = c[1].trimmed();
        const QString kind = c[2].trimmed();
        clsProds p;
        if (kind == kKeyProduct) {
            const auto product = products.findQuiet(c[5].trimmed().toLongLong());
            if (!product)
                return Status::failure(QStringLiteral("Нет продукта с кодом ") + c[5] + QStringLiteral(" для ") + name);
            // As the editor adds a product: its values per 100 g for the net mass.
            p = productPosition(product->prod, numberOr(c[7]), numberOr(c[8]));
        } else if (kind == kKeySemiFinished) {
            p.FullName = c[6].trimmed();
            p.ShortName = p.FullName;
            p.Id = c[9].trimmed();
            p.Netto = numberOr(c[8]);
            p.Brutto = numberOr(c[7]);
        } else {
            return Status::failure(csv + QStringLiteral(": строка ") + QString::number(row.line));
        }
        const auto key = makeKey(kind, c[3].trimmed().toLongLong(), c[4].trimmed().toLongLong());
        if (!key)
            return Status::failure(key.error());
        p.Kod = key.value();
        p.Num_In_Base = QStringLiteral("0");
        p.Pref = QStringLiteral("г");
        r.positions.Add(clsBludo(std::move(p)));
    }

    // All recipes or none: a half-written demo would only confuse.
    Transaction transaction(connections.database(BaseId::Dishes), &connections.errorLog());
    // A new dish base starts with one empty collection; the demo goes there.
    const QSqlDatabase db = connections.database(BaseId::Dishes);
    const QStringList tables = SqlDialect::of(db).tables(db);
    std::optional<DishCollection> collection;
    for (const DishCollection &c : listCollections(connections, settings)) {
        if (tables.contains(c.table, Qt::CaseInsensitive)) {
            collection = c;
            break;
        }
    }
    if (!collection) {
        const Result<DishCollection> added = addCollection(connections, settings, kDemoCollection.toString());
        if (!added)
            return Status::failure(added.error());
        collection = added.value();
    }
    SqlStatement count(db, QStringLiteral("SELECT COUNT(*) FROM ") + SqlDialect::of(db).quote(collection->table),
        &connections.errorLog());
    if (const Status s = count.exec(); !s)
        return s;
    if (intoEmptyOnly && count.next() && count.value(0).toLongLong() > 0)
        return {}; // recipes of the user's own: no demo
    const int dishes = static_cast<int>(BaseId::Dishes);
    const Result<StoredTextCodec> codec = installationCodec(connections, dishes, settings, nullptr);
    if (!codec)
        return Status::failure(codec.error());
    DishBase base(connections, dishes, settings, quiet, codec.value());
    // The installation's own losses when its loss bases are there, the built-in ones otherwise.
    HeatTreatmentTables losses;
    (void)losses.load(connections, settings);
    for (const QString &name : order) {
        Recipe &r = recipes[name];
        // The first row carries the recipe's output.
        r.positions.item(1)->clsProds().Out = r.output;
        // Stored as the editor stores a recipe: each semi-finished product with
        // the composition worked out from its products and losses, which is
        // what readers of the stored rows (a ration's totals) add up.
        computeDish(r.positions, name, outputValue(r.output), losses, quiet);
        SaveOptions options;
        options.silent = true;
        options.fullComposition = true;
        if (const Status s = base.save(r.positions, collection->table, name, options); !s)
            return s;
    }
    return transaction.commit();
}

} // namespace

Status seedDemoRecipes(Connections &connections, SettingsAccess &settings, const QString &csv)
{
    return writeDemoRecipes(connections, settings, csv, true);
}

Status addDemoRecipes(Connections &connections, SettingsAccess &settings, const QString &csv)
{
    return writeDemoRecipes(connections, settings, csv, false);
}

} // namespace kulvera
