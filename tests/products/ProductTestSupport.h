#pragma once

#include "common/Clock.h"
#include "products/ProductBase.h"
#include "products/ProductFields.h"
#include "support/TempBases.h"

namespace kulvera::test {

// A product base in a private installation, seen on a fixed day.
struct ProductFixture {
    TempBases t;
    FixedClock clock {QDate(2026, 3, 15)};
    int number = t.create(BaseId::Products);
    ProductBase base {t.connections(), t.settings(), t.prompter(), clock};

    // A row with every field set to something distinct.
    static ProductRow fullRow(const QString &name, double seed = 1.0)
    {
        ProductRow row;
        row.prod.FullName = name;
        row.prod.ShortName = name.left(10);
        row.prod.ND = QStringLiteral("ГОСТ 7176-2017");
        row.euroCode = QStringLiteral("12,34");
        row.source = QStringLiteral("Справочник 'Химический состав'");
        row.maker = QStringLiteral("ООО \"Поле\"");
        row.comment = QStringLiteral("строка 1\nстрока 2");
        row.rast = true;
        row.l70 = true;
        row.l72 = true;
        row.groupKey = 4;
        row.priceUnit = 2;
        row.size = 0.25;
        row.setPrice(45.5);
        row.priceR = 40;
        row.priceK = 50;
        row.exc = 1;
        row.conf = 1;
        row.setOut(75);
        row.iodine = 3.5;
        for (int n = 0; n < kLossVariants; ++n) {
            row.losses[static_cast<std::size_t>(n)] = 60.0 + n;
            row.variants[static_cast<std::size_t>(n)] = QStringLiteral("Вариант %1").arg(n + 1);
        }
        double v = seed;
        for (const CompositionField &f : compositionFields()) {
            if (f.column)
                row.prod.*f.member = (v += 0.125);
        }
        return row;
    }
};

} // namespace kulvera::test
