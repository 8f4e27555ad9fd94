#pragma once

#include "common/Result.h"

#include <QString>
#include <QVariantList>

#include <vector>

namespace kulvera {

class Clock;
class Prompter;

// Plain-row DBF export: the product and recipe code map their records onto
// rows of values in the order of a table's fields; this writes the file.
struct DbfFieldSpec {
    QString name;
    QChar type;
    int size = 0;
    int decimals = 0;
};

struct DbfTableSpec {
    int fileType = 3;
    int codePageMark = 101; // cp866, as the DOS-era programs that read these files expect
    std::vector<DbfFieldSpec> fields;
};

// "prods.dbf": one row per product, dBASE III, cp866 (field names too):
// КОД N10 product key, ИМЯ C100 short name, ИМЯ2 C200 full name, ГОСТ C60,
// КОД_ГРУППЫ N10 group key, ЦЕНА N14.2 price, ЕДИ_Ц N10 price unit key,
// OUT N8.2 output after cold processing (%), then per 100 g: ВОДА, БЕЛКИ, ЖИР,
// МОНО, КР, КЛ, ЗОЛА (g, N10.3) and ЭЦ (kcal, N10.3).
DbfTableSpec productsDbfTable();
// "dishes.dbf": one row per recipe position, dBASE III with a "dbt" memo, cp866:
// НОМЕР N10 recipe number, БЛЮДО C200 recipe name, ТИП N1 card type (1-4),
// ВЫХОД C30 output text, ПОЗИЦИЯ C11 position key, КОД N10 product key,
// ПРОДУКТ C100 product name, БРУТТО N12.3 and НЕТТО N12.3 masses (g),
// ТЕХНОЛОГИЯ M technology text (on the first row of each recipe).
DbfTableSpec recipesDbfTable();

// Writes `rows` (one value per field, in field order; a null value leaves the
// field blank) to `path`. The table is built beside the target and moved into
// place only when complete, so a failure leaves any old file as it was. An
// existing file is replaced only when the prompter agrees.
Status exportDbfRows(const QString &path, const DbfTableSpec &table, const std::vector<QVariantList> &rows,
    Prompter &prompter, const Clock *clock = nullptr);

} // namespace kulvera
