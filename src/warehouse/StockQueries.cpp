#include "warehouse/StockQueries.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlStatement.h"
#include "warehouse/WarehouseBase.h"

#include <QDateTime>

namespace kulvera {

namespace {

bool empty(const QVariant &v)
{
    return v.isNull() || v.toString().trimmed().isEmpty();
}

QDateTime endOfDay(const QDate &day)
{
    return QDateTime(day, QTime(23, 59, 59));
}

} // namespace

std::optional<QDate> dateLimit(const QString &dateText)
{
    if (dateText.trimmed().isEmpty())
        return std::nullopt;
    const auto d = parseTextDate(dateText.trimmed());
    return d && d->isValid() ? d : std::nullopt;
}

std::optional<double> oldestLotPrice(const QSqlDatabase &db, ErrorLog *log, qint64 product, qint64 warehouse,
    bool markup, const std::optional<QDate> &upTo)
{
    if (!db.isOpen())
        return std::nullopt;
    double extra = 0;
    if (markup) {
        SqlStatement w(db, QStringLiteral("SELECT \"Доп_Нац\" FROM \"Склады\" WHERE \"Код\" = ?"), log);
        if (w.exec({warehouse}) && w.next() && !empty(w.value(0)) && w.value(0).toDouble() > 0)
            extra = w.value(0).toDouble();
    }
    QString sql = QStringLiteral(
        "SELECT G.\"Цена\", G.\"Наценка\", E.\"Koef\" FROM \"Склад\" S, \"dt105\" E, \"Приход_Товара\" G "
        "WHERE S.\"Код_Склада\" + 0 = ? AND S.\"Ед_изм\" = E.\"ID\" AND S.\"Проводка\" <> 0 AND S.\"Брутто\" > 0 "
        "AND G.\"Код_на_Складе\" = S.\"Код\" AND S.\"Код_Прод\" = ?");
    QVariantList values {warehouse, product};
    if (upTo && upTo->isValid()) {
        sql += QStringLiteral(" AND S.\"Дата\" <= ?");
        values << endOfDay(*upTo);
    }
    sql += QStringLiteral(" ORDER BY S.\"Дата\", S.\"Код\" LIMIT 1");
    SqlStatement s(db, sql, log);
    if (!s.exec(values) || !s.next())
        return std::nullopt;
    double p = s.value(0).toDouble() * s.value(2).toDouble();
    if (markup && !empty(s.value(1)))
        p = (100.0 + s.value(1).toDouble()) * p / 100.0;
    return (extra + 100.0) * p / 100.0;
}

double supplierListPrice(const QSqlDatabase &db, ErrorLog *log, qint64 product, bool markup, int roundPrice)
{
    if (!db.isOpen())
        return 0;
    SqlStatement q(db,
        QStringLiteral("SELECT L.\"Price\", L.\"Nac\" FROM \"dt102\" L, \"dt101\" S, \"dt105\" E"
                       " WHERE L.\"KodProd\" = ? AND S.\"ID\" = L.\"ID_Sel\" AND E.\"ID\" = L.\"EdI\""),
        log);
    if (!q.exec({product}) || !q.next())
        return 0;
    double p = q.value(0).isNull() ? 0.0 : q.value(0).toDouble();
    if (markup && !empty(q.value(1)))
        p = roundTo((100.0 + q.value(1).toDouble()) * p / 100.0, roundPrice);
    return p;
}

QString UnitStock::display() const
{
    return formatNumber(quantity) + u' ' + pref;
}

StockQueries::StockQueries(WarehouseBase &base)
    : base_(base)
{
}

int StockQueries::roundPrice() const
{
    const double n = numberOr(
        readSetting(base_.context().settings, Section::Data, QStringLiteral("RoundPrice")), kDefaultRoundPrice);
    return n >= 0 && n <= 10 ? static_cast<int>(n) : kDefaultRoundPrice;
}

double StockQueries::priceFromStock(qint64 product, qint64 warehouse, bool markup, const QString &dateText) const
{
    if (!base_.connected())
        return 0;
    return oldestLotPrice(base_.database(), base_.errorLog(), product, warehouse, markup, dateLimit(dateText))
        .value_or(0.0);
}

double StockQueries::supplierListPrice(qint64 product, bool markup) const
{
    if (!base_.connected())
        return 0;
    return kulvera::supplierListPrice(base_.database(), base_.errorLog(), product, markup, roundPrice());
}

double StockQueries::productRecordPrice(qint64 product) const
{
    if (!base_.connected())
        return 0;
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT \"Цена\" FROM ") + base_.productTable() + QStringLiteral(" WHERE \"Код\" = ?"),
        base_.errorLog());
    if (!s.exec({product}) || !s.next() || empty(s.value(0)))
        return 0;
    return roundTo(s.value(0).toDouble(), roundPrice());
}

double StockQueries::currentProductPrice(qint64 product, qint64 warehouse, bool markup) const
{
    const SettingsAccess &settings = base_.context().settings;
    if (readSetting(settings, Section::Data, QStringLiteral("bUsePriceFromWS")).trimmed() == u"1")
        return supplierListPrice(product, markup);
    if (readSetting(settings, Section::Data, QStringLiteral("bUsePriceFromWS2")).trimmed() == u"1")
        return priceFromStock(product, warehouse, markup, {});
    return productRecordPrice(product);
}

double StockQueries::balanceAtDate(qint64 product, qint64 warehouse, const QString &dateText) const
{
    if (!base_.connected())
        return 0;
    QString where = QStringLiteral(" WHERE \"Код_Прод\" = ? AND \"Проводка\" <> 0");
    QVariantList values {product};
    if (warehouse > 0) {
        where += QStringLiteral(" AND \"Код_Склада\" + 0 = ?");
        values << warehouse;
    }
    if (const auto day = dateLimit(dateText)) {
        where += QStringLiteral(" AND \"Дата\" <= ?");
        values << endOfDay(*day);
    }
    const auto sum = [&](const QString &table) {
        SqlStatement s(
            base_.database(), QStringLiteral("SELECT SUM(\"Брутто\") FROM ") + table + where, base_.errorLog());
        return s.exec(values) && s.next() ? s.value(0).toDouble() : 0.0;
    };
    const double balance = sum(QStringLiteral("\"Приход_Товара\"")) - sum(QStringLiteral("\"Расход_Товара\""));
    return balance;
}

UnitStockResult StockQueries::stockByUnit(qint64 product, qint64 warehouse, const QString &dateText) const
{
    UnitStockResult result;
    if (!base_.connected())
        return result;
    QString sql = QStringLiteral("SELECT SUM(S.\"Брутто\"), E.\"Pref\", E.\"Koef\" FROM \"Склад\" S, \"dt105\" E "
                                 "WHERE S.\"Ед_изм\" = E.\"ID\" AND S.\"Код_Прод\" = ?");
    QVariantList values {product};
    if (warehouse > 0) {
        sql += QStringLiteral(" AND S.\"Код_Склада\" + 0 = ?");
        values << warehouse;
    }
    if (const auto day = dateLimit(dateText)) {
        sql += QStringLiteral(" AND S.\"Дата\" <= ?");
        values << endOfDay(*day);
    }
    sql += QStringLiteral(" GROUP BY S.\"Код_Прод\", E.\"Pref\", E.\"Koef\"");
    SqlStatement s(base_.database(), sql, base_.errorLog());
    if (!s.exec(values))
        return result;
    while (s.next()) {
        if (s.value(0).isNull()) {
            result.warnings << QStringLiteral("Для продукта с кодом: ") + QString::number(product)
                    + QStringLiteral(" имеет пустое значение массы брутто. Значение было не установлено в приходной "
                                     "накладной!");
            continue;
        }
        UnitStock u;
        u.koef = s.value(2).isNull() ? 1.0 : s.value(2).toDouble();
        u.quantity = s.value(0).toDouble() * u.koef;
        u.pref = s.value(1).toString();
        result.units.push_back(u);
    }
    return result;
}

} // namespace kulvera
