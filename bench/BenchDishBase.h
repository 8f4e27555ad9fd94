#pragma once

// A dish base at the size of a large installation, for the benchmarks that read or write recipes:
// a fresh base in a temporary folder, one collection, and made-up recipes whose products carry a
// little composition.
#include "common/ScriptedPrompter.h"
#include "recipes/DishBase.h"
#include "shell/Connections.h"
#include "shell/DbStructure.h"
#include "shell/DishCollections.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SqlStatement.h"

#include <QTemporaryDir>

#include <memory>

namespace kulvera::bench {

constexpr int kDishes = static_cast<int>(BaseId::Dishes);

// A recipe of `positions` products; with `semiFinished` the first position is a semi-finished
// product holding the next three.
inline colBludo benchRecipe(int positions, int seed, bool semiFinished = false)
{
    colBludo r;
    for (int i = 1; i <= positions; ++i) {
        clsBludo b;
        clsProds &p = b.clsProds();
        const bool node = semiFinished && i == 1;
        const int parent = semiFinished && i >= 2 && i <= 4 ? 1 : 0;
        p.Kod = QStringLiteral("%1%2%3")
                    .arg(node ? QStringLiteral("pfx") : QStringLiteral("pro"))
                    .arg(parent, 4, 10, QLatin1Char('0'))
                    .arg(i, 4, 10, QLatin1Char('0'));
        p.ID_Prod = node ? QString() : QString::number(1 + (seed * 7 + i) % 2000);
        if (semiFinished)
            p.Id = node ? QStringLiteral("без потерь") : p.ID_Prod;
        p.FullName = node ? QStringLiteral("Полуфабрикат") : QStringLiteral("Продукт пищевой номер ") + p.ID_Prod;
        p.ShortName = node ? p.FullName : QStringLiteral("Продукт ") + p.ID_Prod;
        p.Brutto = 10 + i * 1.25;
        p.Netto = 9 + i;
        p.Out = QStringLiteral("200");
        p.NameND = QStringLiteral("Сборник технических нормативов, 2015");
        p.sv = 1.5 * i;
        p.Bel = 0.3 * i;
        p.Gir = 0.2 * i;
        p.Kr = 0.7 * i;
        p.Voda = 70.25;
        r.Add(b);
    }
    return r;
}

inline QString benchRecipeName(int r)
{
    return QStringLiteral("Рецептура № %1 (салат, суп или каша)").arg(r);
}

struct BenchDishBase {
    QTemporaryDir dir;
    SettingsStore settings {dir.filePath(QStringLiteral("s.ini"))};
    ErrorLog log;
    ScriptedPrompter prompter;
    Connections connections {prompter, settings, log};
    QString table;
    std::unique_ptr<DishBase> base;

    BenchDishBase()
    {
        prompter.setDefaultAnswer(Prompter::Answer::Yes);
        const QString path = dir.filePath(QStringLiteral("bl_base.db"));
        createBaseFile(path, BaseId::Dishes, settings);
        connections.connectAt(kDishes, path, QStringLiteral("Base_ID"));
        table = addCollection(connections, settings, QStringLiteral("Бенч"))->table;
        base = std::make_unique<DishBase>(connections, kDishes, settings, prompter,
            installationCodec(connections, kDishes, settings, nullptr).value());
    }

    // `count` recipes named by benchRecipeName, saved in one transaction.
    void fill(int count, int positions, bool semiFinished)
    {
        Transaction all(connections.database(kDishes));
        SaveOptions options;
        options.silent = true;
        for (int r = 0; r < count; ++r)
            base->save(benchRecipe(positions, r, semiFinished), table, benchRecipeName(r), options);
        all.commit();
    }
};

} // namespace kulvera::bench
