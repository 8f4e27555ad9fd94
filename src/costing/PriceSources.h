#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

#include <optional>

namespace kulvera {

class Connections;
class ErrorLog;
class ProductBase;
class Prompter;
class SettingsAccess;

// Where the price of a product line comes from. The warehouse settings
// choose; the first one switched on wins.
enum class PriceOrigin { SupplierList, Stock, ProductRecord };

// The price of one price unit of a product. `available` is false when the
// chosen source has no price to give (no remaining stock lot): the line then
// costs 0 and `note` says why, so a missing price is visible, never guessed.
struct ProductPrice {
    double value = 0;
    PriceOrigin origin = PriceOrigin::ProductRecord;
    bool available = true;
    QString note;
};

inline constexpr QStringView kNoStockText = u"Нет остатков на складе";

// The warehouse's part of pricing: the price of the oldest remaining posted
// lot of a product in a warehouse, with the warehouse's and the lot's markups
// and no date limit. `StockLotPrices` answers from the warehouse base;
// `NoStockPrices` answers that no stock is available (no warehouse at hand).
class StockPrices
{
public:
    virtual ~StockPrices() = default;
    // Nothing when the warehouse holds no remaining lot of the product.
    virtual std::optional<double> priceFromStock(qint64 product, qint64 warehouse) = 0;
};

class NoStockPrices final : public StockPrices
{
public:
    std::optional<double> priceFromStock(qint64, qint64) override { return std::nullopt; }
};

// Prices and price-unit factors of products, read once per product and kept
// for the life of the object (a costing run prices the same products over
// and over).
class PriceSources
{
public:
    PriceSources(Connections &connections, const SettingsAccess &settings, Prompter &prompter, StockPrices &stock);

    // The price by the settings: the supplier list when `bUsePriceFromWS` is
    // "1", else the stock of `warehouse` when `bUsePriceFromWS2` is "1", else
    // the product record.
    ProductPrice currentProductPrice(qint64 product, qint64 warehouse);
    // The warehouse's supplier-list price with its markup, rounded to
    // RoundPrice; 0 when the list has none or the warehouse base is not open.
    double supplierListPrice(qint64 product);
    // `Цена` of the product, rounded to RoundPrice; 0 when empty or unknown.
    double productRecordPrice(qint64 product);
    // The factor of the product's price unit (`ЕдИ_Ц`, or `lDefEDI` when not
    // set) from the units table; 1 when it is 0, and 1 after the message
    // "Система коэффициентов была изменена!" when the units table does not
    // give exactly one row for the unit.
    double priceUnitFactor(qint64 product);
    // The code of the product's price unit (`ЕдИ_Ц`, or `lDefEDI` when not set).
    qint64 priceUnit(qint64 product);
    // The name of the product's price unit ("кг"), "" when the units table
    // does not know it.
    QString priceUnitName(qint64 product);

    int roundPrice() const { return roundPrice_; }

private:
    struct ProductPriceRow {
        bool found = false;
        double price = 0;
        std::optional<qint64> unit;
    };
    const ProductPriceRow &productRow(qint64 product);

    Connections &connections_;
    const SettingsAccess &settings_;
    Prompter &prompter_;
    StockPrices &stock_;
    int roundPrice_;
    bool supplierList_;
    bool fromStock_;
    qint64 defaultUnit_;
    QString productTable_;
    QHash<qint64, ProductPriceRow> products_;
    QHash<qint64, double> supplier_;
    QHash<qint64, double> unitFactors_;
    QHash<qint64, QString> unitNames_;
};

// The number of decimals a setting holds, or `fallback` when it is not a
// whole number from 0 to 10.
int decimalsSetting(const SettingsAccess &settings, int section, const QString &key, int fallback);

} // namespace kulvera
