#pragma once

#include "warehouse/WarehouseFixture.h"

#include "recipes/DishBase.h"
#include "recipes/StoredText.h"
#include "shell/DishCollections.h"

namespace kulvera::test {

// The warehouse fixture with a dish base holding one recipe: "Пюре с морковью"
// for 200 g of potatoes twice (150 + 30 g gross, 120 + 25 g net) and a
// semi-finished product of carrots (50 g gross, 40 g net).
class DishDocumentsFixture : public WarehouseFixture
{
protected:
    DishDocumentsFixture()
    {
        EXPECT_NE(bases.create(BaseId::Dishes), Connections::kFailed);
        table = kulvera::addCollection(bases.connections(), bases.settings(), QStringLiteral("Столовая"))->table;
        dishes = std::make_unique<DishBase>(bases.connections(), static_cast<int>(BaseId::Dishes), bases.settings(),
            bases.prompter(),
            installationCodec(
                bases.connections(), static_cast<int>(BaseId::Dishes), bases.settings(), &bases.prompter())
                .value());
        colBludo puree;
        puree.Add(position(QStringLiteral("pro00000001"), 1, 150, 120, QStringLiteral("200")));
        puree.Add(position(QStringLiteral("pfx00000002"), 0, 50, 40, QStringLiteral("40")));
        puree.Add(position(QStringLiteral("pro00020003"), 2, 50, 40, {}));
        puree.Add(position(QStringLiteral("pro00000004"), 1, 30, 25, {}));
        SaveOptions options;
        options.silent = true;
        EXPECT_TRUE(dishes->save(puree, table, kPuree.toString(), options));
    }

    static clsBludo position(const QString &key, qint64 product, double brutto, double netto, const QString &out)
    {
        clsBludo b;
        clsProds &p = b.clsProds();
        p.Kod = key;
        if (product > 0) {
            p.ID_Prod = QString::number(product);
            p.Id = p.ID_Prod;
        }
        p.FullName = product > 0 ? QStringLiteral("Продукт ") + p.ID_Prod : QStringLiteral("Морковь тушёная");
        p.Brutto = brutto;
        p.Netto = netto;
        p.Out = out;
        return b;
    }

    static constexpr QStringView kPuree = u"Пюре с морковью";
    QString table;
    std::unique_ptr<DishBase> dishes;
};

} // namespace kulvera::test
