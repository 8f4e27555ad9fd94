#include "costing/PriceSources.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "shell/Catalogue.h"
#include "shell/Connections.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"
#include "warehouse/StockQueries.h"

namespace kulvera {

namespace {

bool settingOn(const SettingsAccess &settings, const QString &key)
{
    return readSetting(settings, Section::Data, key).trimmed() == u"1";
}

} // namespace

int decimalsSetting(const SettingsAccess &settings, int section, const QString &key, int fallback)
{
    const auto s = sectionFromCode(section);
    if (!s)
        return fallback;
    const QString text = settings.get(*s, key, QString::number(fallback)).trimmed();
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n >= 0 && n <= 10 ? n : fallback;
}

PriceSources::PriceSources(
    Connections &connections, const SettingsAccess &settings, Prompter &prompter, StockPrices &stock)
    : connections_(connections)
    , settings_(settings)
    , prompter_(prompter)
    , stock_(stock)
    , roundPrice_(
          decimalsSetting(settings, static_cast<int>(Section::Data), QStringLiteral("RoundPrice"), kDefaultRoundPrice))
    , supplierList_(settingOn(settings, QStringLiteral("bUsePriceFromWS")))
    , fromStock_(settingOn(settings, QStringLiteral("bUsePriceFromWS2")))
    , defaultUnit_(
          static_cast<qint64>(numberOr(settings.get(Section::Data, QStringLiteral("lDefEDI"), QStringLiteral("1")), 1)))
    , productTable_(readSetting(settings, Section::Prod, QStringLiteral("tbProd")))
{
}

ProductPrice PriceSources::currentProductPrice(qint64 product, qint64 warehouse)
{
    ProductPrice price;
    if (supplierList_) {
        price.origin = PriceOrigin::SupplierList;
        price.value = supplierListPrice(product);
    } else if (fromStock_) {
        price.origin = PriceOrigin::Stock;
        if (const std::optional<double> p = stock_.priceFromStock(product, warehouse)) {
            price.value = *p;
        } else {
            price.available = false;
            price.note = kNoStockText.toString();
        }
    } else {
        price.origin = PriceOrigin::ProductRecord;
        price.value = productRecordPrice(product);
    }
    return price;
}

double PriceSources::supplierListPrice(qint64 product)
{
    if (const auto it = supplier_.constFind(product); it != supplier_.cend())
        return *it;
    const double p = connections_.isConnected(BaseId::Warehouse) ? kulvera::supplierListPrice(
                         connections_.database(BaseId::Warehouse), &connections_.errorLog(), product, true, roundPrice_)
                                                                 : 0.0;
    supplier_.insert(product, p);
    return p;
}

const PriceSources::ProductPriceRow &PriceSources::productRow(qint64 product)
{
    if (const auto it = products_.constFind(product); it != products_.cend())
        return *it;
    ProductPriceRow row;
    if (connections_.isConnected(BaseId::Products)) {
        const QSqlDatabase db = connections_.database(BaseId::Products);
        const SqlDialect &d = SqlDialect::of(db);
        SqlStatement q(db,
            QStringLiteral("SELECT ") + d.quote(QStringLiteral("Цена")) + QStringLiteral(", ")
                + d.quote(QStringLiteral("ЕдИ_Ц")) + QStringLiteral(" FROM ") + d.quote(productTable_)
                + QStringLiteral(" WHERE ") + d.quote(QStringLiteral("Код")) + QStringLiteral(" = ?"),
            &connections_.errorLog());
        if (q.exec({product}) && q.next()) {
            row.found = true;
            row.price = q.value(0).isNull() ? 0.0 : roundTo(q.value(0).toDouble(), roundPrice_);
            if (!q.value(1).isNull())
                row.unit = q.value(1).toLongLong();
        }
    }
    return *products_.insert(product, row);
}

double PriceSources::productRecordPrice(qint64 product)
{
    return productRow(product).price;
}

qint64 PriceSources::priceUnit(qint64 product)
{
    return productRow(product).unit.value_or(defaultUnit_);
}

double PriceSources::priceUnitFactor(qint64 product)
{
    const qint64 unit = priceUnit(product);
    if (const auto it = unitFactors_.constFind(unit); it != unitFactors_.cend())
        return *it;
    double factor = 1;
    if (unit > 0 && connections_.isConnected(BaseId::Warehouse)) {
        const QString sql = QStringLiteral("SELECT \"Koef\" FROM \"dt105\" WHERE \"ID\" = ") + QString::number(unit);
        SqlStatement q(connections_.database(BaseId::Warehouse), sql, &connections_.errorLog());
        int rows = 0;
        double koef = 1;
        if (q.exec()) {
            while (q.next()) {
                ++rows;
                koef = q.value(0).isNull() ? 0.0 : q.value(0).toDouble();
            }
        }
        if (rows == 1) {
            factor = koef;
        } else {
            // Told once per unit: a ration prices the same unit on many lines.
            prompter_.show({QStringLiteral("price-unit-factor"),
                QStringLiteral("Система коэффициентов была изменена!\nrsCount = ") + QString::number(rows)
                    + QStringLiteral("\nВыполняемый запрос: ") + sql,
                {}, Prompter::Buttons::Ok, Prompter::Icon::Critical, {}});
        }
    }
    if (factor == 0)
        factor = 1;
    unitFactors_.insert(unit, factor);
    return factor;
}

QString PriceSources::priceUnitName(qint64 product)
{
    const qint64 unit = productRow(product).unit.value_or(defaultUnit_);
    if (const auto it = unitNames_.constFind(unit); it != unitNames_.cend())
        return *it;
    QString name;
    if (unit > 0 && connections_.isConnected(BaseId::Warehouse)) {
        SqlStatement q(connections_.database(BaseId::Warehouse),
            QStringLiteral("SELECT \"Name\" FROM \"dt105\" WHERE \"ID\" = ?"), &connections_.errorLog());
        if (q.exec({unit}) && q.next())
            name = q.value(0).toString().trimmed();
    }
    unitNames_.insert(unit, name);
    return name;
}

} // namespace kulvera
