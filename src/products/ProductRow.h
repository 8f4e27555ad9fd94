#pragma once

#include "common/Result.h"
#include "products/ProductFields.h"
#include "products/clsProds.h"

#include <QStringList>
#include <QVariant>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace kulvera {

class Recordset;

// A whole row of the product table: the record the rest of the program sees
// (`prod`: key, names, ГОСТ, output, price, composition) and the columns only
// the product card, the product file and the synchronisation use.
struct ProductRow {
    clsProds prod;
    QString euroCode; // ЕвроКОД
    QString source; // Источник
    QString maker; // Изготовитель
    QString comment; // Комент
    bool rast = false; // vegetable origin
    qint64 groupKey = 0; // Код_Группы
    QVariant size; // Разм as stored; null when empty
    QVariant price; // Цена as stored; null when empty (prod.Price holds its number)
    qint64 priceUnit = 1; // ЕдИ_Ц
    double priceR = 0; // Цена_Р
    double priceK = 0; // Цена_К
    double exc = 0, aller = 0, fast = 0, conf = 0;
    double out = 0; // Out as a number (prod.Out holds its text)
    std::array<std::optional<double>, kLossVariants> losses; // Потери n; empty when null
    std::array<QString, kLossVariants> variants; // Список n
    bool l70 = false, l71 = false, l72 = false;
    double iodine = 0; // Y, mg: kept by the base and the product file, not by recipe rows

    qint64 key() const { return prod.Kod.toLongLong(); }
    void setKey(qint64 key) { prod.Kod = key; }
    // Keeps the record's copies (prod.Out, prod.Price) in step with the columns.
    void setOut(double value);
    void setPrice(const QVariant &value);
};

// Column positions of the product table in one result set, worked out once
// per query so that reading a row is a walk over indexes. A column the base
// lacks (a basic base, fewer variants) has no position and reads as empty.
class ProductColumnMap
{
public:
    explicit ProductColumnMap(const QStringList &columns);

    int indexOf(const QString &column) const { return columns_.indexOf(column); }
    int variantCount() const; // n = 1, 2, ... while both Потери n and Список n exist

    // Reads one row; `value(i)` gives the value at result position i.
    ProductRow read(const std::function<QVariant(int)> &value) const;
    // Only what a recipe row needs: key, names, ГОСТ, Out, price, composition.
    void readRecord(const std::function<QVariant(int)> &value, clsProds &record) const;

private:
    QStringList columns_;
    std::vector<int> composition_; // per compositionFields(), -1 when absent
    int key_, name_, fullName_, gost_, euro_, source_, maker_, rast_, group_, size_, price_, priceUnit_, priceR_,
        priceK_, comment_, exc_, aller_, fast_, conf_, out_, l70_, l71_, l72_, iodine_;
    std::array<int, kLossVariants> losses_ {};
    std::array<int, kLossVariants> variants_ {};
};

// The column values a row writes, for the columns the table has, in the
// order of `columns`. Used by inserts and updates.
QVariantList productRowValues(const ProductRow &row, const QStringList &columns);
// Every product-table column this code writes (identity, prices, flags,
// variants, composition); a statement uses those the table has.
QStringList productWritableColumns();

// How screens caption a product-table column: a composition column by its
// field ("Белки, г"), the card's own columns by their meaning ("Выход после
// холодной обработки, %"). Empty for a column the card does not show.
QString productColumnCaption(QStringView column);

// Value readers shared by every reader of the product table.
double numberValue(const QVariant &value); // null, empty or not a number -> 0
QString textValue(const QVariant &value); // null -> ""
bool rastValue(const QVariant &value); // boolean true or "Да" in any case
bool flagValue(const QVariant &value); // boolean/number columns l70..l72
std::optional<double> optionalNumber(const QVariant &value);

// Readers and writers on the current row of a product recordset (Part of the
// card and the older algorithms that walk a recordset).
double prodNumber(const Recordset &rs, const QString &column);
QString prodText(const Recordset &rs, const QString &column);
bool prodRast(const Recordset &rs);
// Loss variant n = 1..12; 0 for any other n without looking at the row.
double prodLoss(const Recordset &rs, int n);
QString prodVariant(const Recordset &rs, int n);
// Writers need rs.edit() or rs.addNew() first and rs.update() after.
Status setProdRast(Recordset &rs, bool vegetable);
Status setProdText(Recordset &rs, const QString &column, const QString &text); // ГОСТ, Имя2
Status setProdNumber(Recordset &rs, const QString &column, double value); // Вода, Gir_SV, UG_SV, Out
Status setProdFlag(Recordset &rs, const QString &column, bool on); // l70, l71, l72
Status setProdLoss(Recordset &rs, int n, double value);
Status setProdVariant(Recordset &rs, int n, const QString &text);

} // namespace kulvera
