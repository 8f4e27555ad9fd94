#pragma once

#include "common/Result.h"
#include "products/ProductRow.h"
#include "products/colProds.h"
#include "shell/Catalogue.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kulvera {

class Clock;
class Connections;
class Prompter;
class SettingsAccess;
struct AppContext;

// The product table as a whole: listing, finding, the loss variants and the
// seasonal output, adding, copying, saving and deleting products. Works on
// the connection of the product base (or another connection holding a
// product table, such as the delivered copy); messages go to the prompter.
class ProductBase
{
public:
    ProductBase(Connections &connections, const SettingsAccess &settings, Prompter &prompter, const Clock &clock,
        int number = static_cast<int>(BaseId::Products));
    explicit ProductBase(AppContext &context);

    static constexpr QStringView kTitle = u"База продуктов";

    bool connected() const;
    QSqlDatabase database() const;
    QString table() const { return table_; }
    // The columns the table has (read once).
    const QStringList &columns() const;
    // Processing variants the table can hold: n = 1, 2, ... while both
    // "Потери" n and "Список" n exist.
    int variantCount() const;

    // Every product ordered by the full name.
    Result<std::vector<ProductRow>> list() const;
    // Every product with its full composition, keyed by its key as text.
    Status load(colProds &into) const;
    // The product, or nothing after telling the user it was not found.
    std::optional<ProductRow> find(qint64 key) const;
    std::optional<ProductRow> findQuiet(qint64 key) const;
    std::vector<ProductRow> find(const QList<qint64> &keys) const;
    std::optional<ProductRow> findByFullName(const QString &fullName) const;
    int count() const;

    // Output of a seasonal product in the month of today; 100 for any other
    // product and for a key that is not in the base.
    double seasonalOutput(qint64 key) const;
    // The output to use for a product: the seasonal one or `Out`.
    double currentOutput(const ProductRow &row) const;

    // Copies "Потери" n into `Out`; an empty variant is repaired to 100.
    Status chooseVariant(qint64 key, int n);
    struct Variant {
        int n;
        QString name;
        std::optional<double> output;
    };
    // One entry per variant the table can hold.
    std::vector<Variant> variantList(const ProductRow &row) const;

    qint64 nextKey() const;
    // The card's add: asks "Добавить новый продукт в базу?" (unless told not
    // to) and about a repeated full name; stores the row under a new key.
    Result<qint64> add(ProductRow row, bool askFirst = true);
    // A product named in the recipe editor: same-name question, then the
    // defaults Out 100, l70 1, l71 1, l72 0 and animal origin.
    Result<qint64> addFromRecipeEditor(ProductRow row);
    // A copy under a new key with " (копия)" after both names.
    Result<qint64> copy(qint64 key);
    // Writes every column of an existing row.
    Status save(const ProductRow &row);
    // Writes only the columns in which `row` differs from `before` (the row
    // as it was read), so values nobody touched stay as stored, whoever else
    // wrote them meanwhile. Nothing to write is success.
    Status saveChanges(const ProductRow &before, const ProductRow &row);
    // Asks first; the product's modification links go with it.
    Status remove(qint64 key);

    // Inserts rows as they are (keys included) in one transaction; used by
    // seeding and imports. Existing keys make the whole batch fail.
    Status insertRows(const std::vector<ProductRow> &rows);

private:
    QString selectAll() const;
    Result<qint64> insertNew(ProductRow row);
    std::vector<ProductRow> query(const QString &where, const QVariantList &params) const;
    QStringList writableColumns() const;
    Status update(const ProductRow &row, const QStringList &columns);

    Connections &connections_;
    Prompter &prompter_;
    const Clock &clock_;
    int number_;
    QString table_;
    mutable QStringList columns_;
};

// "Продукт с кодом - " key " не найден в базе!. Текущая активная база - " path
QString productNotFoundText(qint64 key, const QString &basePath);

} // namespace kulvera
