#include "costing/RationScan.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/TextDate.h"
#include "costing/NormAnalysis.h"
#include "menus/MenuBase.h"
#include "recipes/CompositionString.h"
#include "shell/Connections.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

namespace kulvera {

Result<int> scanRations(const MenuBase &menu, const std::vector<QDate> &days, const QString &group,
    NutrientFact &nutrients, ProductSetFact &products, Prompter *progress)
{
    using R = Result<int>;
    const StoredTextCodec &codec = menu.codec();
    // Without a group, rows holding NULL or "" both belong to the ration.
    const QString sql = QStringLiteral("SELECT \"l13\", \"l15\", \"l17\", \"l18\", \"l23\" FROM ")
        + SqlDialect::of(menu.database()).quote(menu.table()) + QStringLiteral(" WHERE \"l26\" = ?")
        + (group.isEmpty() ? QStringLiteral(" AND (\"l28\" IS NULL OR \"l28\" = '')")
                           : QStringLiteral(" AND \"l28\" = ?"))
        + QStringLiteral(" ORDER BY \"ID\"");
    SqlStatement q(menu.database(), sql, &menu.connections().errorLog());
    int counted = 0;
    clsProds p;
    for (const QDate &day : days) {
        if (progress)
            progress->status(QStringLiteral("Проверка дня: ") + formatTextDate(day));
        QVariantList params {codec.encode(formatTextDate(day))};
        if (!group.isEmpty())
            params << codec.encode(group);
        if (const Status s = q.exec(params); !s)
            return R::failure(s.error());
        bool any = false;
        while (q.next()) {
            any = true;
            p = clsProds();
            p.ID_Prod = codec.decode(q.value(0).toString());
            p.Kod = codec.decode(q.value(1).toString());
            p.Brutto = numberOr(codec.decode(q.value(2).toString()));
            p.Netto = numberOr(codec.decode(q.value(3).toString()));
            readCompositionString(codec.decode(q.value(4).toString()), p);
            nutrients.addPosition(p);
            products.addPosition(p);
        }
        if (any) {
            nutrients.endDay();
            products.endDay();
            ++counted;
        }
    }
    return counted;
}

} // namespace kulvera
