#pragma once

// A private installation with a product base of three products, a dish base
// whose recipes were placed from them as the recipe editor places products,
// and an empty menu base; the maintenance runs over them.
#include "common/Clock.h"
#include "maintenance/MaintenanceRun.h"
#include "maintenance/RunProgress.h"
#include "menus/MenuBase.h"
#include "menus/RationEditing.h"
#include "products/ProductBase.h"
#include "recipes/DishBase.h"
#include "recipes/HeatTreatment.h"
#include "recipes/RecipeEditing.h"
#include "recipes/RecipeExpansion.h"
#include "shell/AppContext.h"
#include "shell/DishCollections.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"
#include "support/TempBases.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

namespace kulvera::test {

inline constexpr int kDishBase = static_cast<int>(BaseId::Dishes);
inline constexpr int kMenuBase = static_cast<int>(BaseId::Menu);

class FixedClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 3, 2), QTime(10, 0)); }
};

// Stops the run when it has reported `stopAt` times.
class StoppingProgress : public RunProgress
{
public:
    explicit StoppingProgress(int stopAt = -1)
        : stopAt_(stopAt)
    {
    }
    bool advance(qint64, qint64, const QString &) override { return ++calls_ != stopAt_; }
    int calls() const { return calls_; }

private:
    int stopAt_;
    int calls_ = 0;
};

struct MaintenanceFixture {
    TempBases t;
    FixedClock clock;
    int products = t.create(BaseId::Products);
    int dishes = t.create(BaseId::Dishes);
    int menu = t.create(BaseId::Menu);
    QString table = addCollection(t.connections(), t.settings(), QStringLiteral("Столовая"))->table;
    StoredTextCodec codec = installationCodec(t.connections(), kDishBase, t.settings(), &t.prompter()).value();
    DishBase dishBase {t.connections(), kDishBase, t.settings(), t.prompter(), codec};
    AppContext context {t.prompter(), t.settings(), t.shared(), clock, t.connections(), t.errorLog()};
    HeatTreatmentTables losses;
    StoppingProgress progress;

    MaintenanceFixture()
    {
        losses.setCulinaryTypes({boiling(10)});
        addProduct(1, QStringLiteral("Картофель"), 2.0, 0.4, 16.0);
        addProduct(2, QStringLiteral("Морковь"), 1.3, 0.1, 7.0);
        addProduct(3, QStringLiteral("Масло"), 0.5, 82.0, 0.8);
        // Soup: potatoes, and a sauté of carrots and butter (boiled).
        saveRecipe(QStringLiteral("Суп"),
            {{QStringLiteral("pro00000001"), 1, 100}, {QStringLiteral("pfx00000002"), 0, 0},
                {QStringLiteral("pro00020003"), 2, 40}, {QStringLiteral("pro00020004"), 3, 10}});
        saveRecipe(
            QStringLiteral("Пюре"), {{QStringLiteral("pro00000001"), 1, 200}, {QStringLiteral("pro00000002"), 3, 5}});
        saveRecipe(QStringLiteral("Салат"), {{QStringLiteral("pro00000001"), 1, 80}});
    }

    static LossType boiling(double proteinLoss)
    {
        LossType type;
        type.name = QStringLiteral("Варка");
        type.losses.insert(QStringLiteral("Bel"), proteinLoss);
        return type;
    }

    void addProduct(qint64 key, const QString &name, double bel, double gir, double kr)
    {
        ASSERT_TRUE(execSql(t.connections().database(products),
            QStringLiteral("INSERT INTO dt010 (\"Код\", \"Имя\", \"Имя2\", \"Белки\", \"Жир\", \"Кр\", \"Вода\", "
                           "\"ЕдИ_Ц\", \"Out\") VALUES (?, ?, ?, ?, ?, ?, 70, 1, 100)"),
            {key, name, QString(name + QStringLiteral(" свежий")), bel, gir, kr}));
    }
    void setProduct(qint64 key, const QString &column, const QVariant &value)
    {
        ASSERT_TRUE(execSql(t.connections().database(products),
            QStringLiteral("UPDATE dt010 SET ") + SqlDialect::of(t.connections().database(products)).quote(column)
                + QStringLiteral(" = ? WHERE \"Код\" = ?"),
            {value, key}));
    }
    clsProds product(qint64 key)
    {
        ProductBase base(t.connections(), t.settings(), t.prompter(), clock);
        return base.findQuiet(key)->prod;
    }

    struct Line {
        QString key; // position key
        qint64 product; // 0: a semi-finished product ("Пассеровка", boiled)
        double netto;
    };
    // Stored as the editor stores a recipe: products placed from the base, then computed.
    void saveRecipe(const QString &name, const std::vector<Line> &lines)
    {
        colBludo recipe;
        for (const Line &l : lines) {
            clsProds p;
            if (l.product) {
                p = productPosition(product(l.product), l.netto, l.netto);
            } else {
                p.FullName = QStringLiteral("Пассеровка");
                p.Id = QStringLiteral("Варка");
                p.Out = QStringLiteral("45");
            }
            p.Kod = l.key;
            recipe.Add()->clsProds() = p;
        }
        recipe.item(1)->clsProds().Out = QStringLiteral("250");
        recipe.item(1)->clsProds().sCode = QStringLiteral("1") + QString::number(name.size());
        ScriptedPrompter quiet;
        computeRecipeComposition(recipe, name, losses, quiet);
        SaveOptions options;
        options.silent = true;
        ASSERT_TRUE(dishBase.save(recipe, table, name, options));
    }

    // A recipe as stored (loaded for its stored output).
    colBludo load(const QString &name)
    {
        RecipeSlots memory;
        EXPECT_TRUE(dishBase.load(memory, 1, table, name, {}));
        return *memory.slot(1);
    }
    // The position with this key.
    clsProds position(const QString &recipe, const QString &key)
    {
        const colBludo r = load(recipe);
        for (const clsBludo &b : r) {
            if (b.clsProds().Kod.toString() == key)
                return b.clsProds();
        }
        ADD_FAILURE() << "no position " << key.toStdString();
        return {};
    }

    // Every stored value of a base's table, for "nothing changed".
    QByteArray fingerprint(int base, const QString &of)
    {
        QCryptographicHash hash(QCryptographicHash::Sha1);
        SqlStatement q(t.connections().database(base),
            QStringLiteral("SELECT * FROM ") + SqlDialect::of(t.connections().database(base)).quote(of)
                + QStringLiteral(" ORDER BY \"ID\""));
        EXPECT_TRUE(q.exec());
        while (q.next()) {
            for (int c = 0; c < q.columnCount(); ++c)
                hash.addData(QByteArray(q.value(c).toString().toUtf8() + '\x1f'));
            hash.addData("\x1e");
        }
        return hash.result();
    }

    QStringList changedNames(const MaintenanceReport &report)
    {
        QStringList names;
        for (const ChangedRecipe &c : report.changes)
            names << c.name;
        names.sort();
        return names;
    }
};

} // namespace kulvera::test
