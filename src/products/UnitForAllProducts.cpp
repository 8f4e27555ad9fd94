#include "products/UnitForAllProducts.h"

#include "products/ProductBase.h"
#include "products/UnitBase.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

namespace kulvera {

UnitForAllOutcome setUnitOfAllProducts(ProductBase &products, const UnitBase &units, qint64 unit, ErrorLog *log)
{
    UnitForAllOutcome outcome;
    if (!units.available(false) || !units.unit(unit)) {
        outcome.kind = UnitForAllOutcome::Kind::UnknownUnit;
        return outcome;
    }
    if (!products.connected()) {
        outcome.kind = UnitForAllOutcome::Kind::Failed;
        outcome.error = QStringLiteral("База продуктов не подключена");
        return outcome;
    }
    const QSqlDatabase db = products.database();
    Transaction transaction(db, log);
    SqlStatement update(db,
        QStringLiteral("UPDATE ") + SqlDialect::of(db).quote(products.table()) + QStringLiteral(" SET \"ЕдИ_Ц\" = ?"),
        log);
    Status s = update.exec({unit});
    const int changed = update.rowsAffected();
    if (s)
        s = transaction.commit();
    if (!s) {
        outcome.kind = UnitForAllOutcome::Kind::Failed;
        outcome.error = s.error();
        return outcome;
    }
    outcome.products = changed;
    return outcome;
}

} // namespace kulvera
