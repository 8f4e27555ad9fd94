#include "warehouse/DishSales.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "recipes/DishBase.h"
#include "shell/InsertedKey.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"
#include "warehouse/Counterparties.h"
#include "warehouse/DocumentNumbers.h"
#include "warehouse/WarehouseBase.h"

#include <cmath>

namespace kulvera {
namespace {

// Kind 2 with a buyer and no warehouse: write-offs always name their warehouse,
// movements have -1 for a counterparty.
const QString kIsSale = QStringLiteral(
    "h.\"Документ\" = 2 AND (h.\"Код_Склада\" IS NULL OR h.\"Код_Склада\" = 0) AND h.\"Поставщик\" > 0");

const QString kHeaderSelect = QStringLiteral(
    "SELECT h.\"Код\", h.\"Номер\", h.\"Дата\", h.\"Поставщик\", c.\"l1\", h.\"Сумма\", h.\"Примечание\" "
    "FROM \"Накладные_Заголовки\" h LEFT JOIN \"dt101\" c ON c.\"ID\" = h.\"Поставщик\" WHERE ");

DishSaleHeader readHeader(const SqlStatement &s)
{
    DishSaleHeader h;
    h.key = s.value(0).toLongLong();
    h.number = s.value(1).toString();
    h.date = storedDate(s.value(2));
    h.buyer = s.value(3).toLongLong();
    h.buyerName = s.value(4).toString();
    h.sum = s.value(5).toDouble();
    h.note = s.value(6).toString();
    return h;
}

bool validAmount(double v)
{
    return std::isfinite(v) && v >= 0;
}

} // namespace

DishSales::DishSales(WarehouseBase &base)
    : base_(base)
{
}

Result<std::vector<DishSaleHeader>> DishSales::list() const
{
    using R = Result<std::vector<DishSaleHeader>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    SqlStatement s(base_.database(), kHeaderSelect + kIsSale + QStringLiteral(" ORDER BY h.\"Дата\", h.\"Код\""),
        base_.errorLog());
    if (const Status e = s.exec(); !e)
        return R::failure(e.error());
    std::vector<DishSaleHeader> headers;
    while (s.next())
        headers.push_back(readHeader(s));
    return headers;
}

std::optional<DishSaleHeader> DishSales::header(qint64 key) const
{
    SqlStatement s(base_.database(), kHeaderSelect + kIsSale + QStringLiteral(" AND h.\"Код\" = ?"), base_.errorLog());
    if (!s.exec({key}) || !s.next())
        return std::nullopt;
    return readHeader(s);
}

Result<qint64> DishSales::add(const QString &number, const QDate &date, qint64 buyer)
{
    using R = Result<qint64>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    if (!date.isValid())
        return R::failure(QStringLiteral("не определена дата накладной!"));
    if (!Counterparties(base_).find(buyer))
        return R::failure(QStringLiteral("Поставщик не найден: ") + QString::number(buyer));
    Prompter &prompter = base_.context().prompter;
    if (!prompter.confirm(QStringLiteral("Добавить новую накладную?"), kWarehouseTitle.toString()))
        return R::failure({});
    if (!confirmDocumentNumber(base_, DocumentKind::Outgoing, number))
        return R::failure({});
    SqlStatement h(base_.database(),
        QStringLiteral("INSERT INTO \"Накладные_Заголовки\" (\"Номер\", \"Дата\", \"Документ\", \"Поставщик\", "
                       "\"Код_Склада\", \"Сумма\", \"Проводка\", \"Дата_Операции\", \"Пользователь\") "
                       "VALUES (?, ?, 2, ?, 0, 0, 1, ?, ?) RETURNING \"Код\""),
        base_.errorLog());
    return execInsertReturningKey(h, {number, date, buyer, base_.now(), base_.user()});
}

Status DishSales::setHeaderField(qint64 key, const QString &column, const QVariant &value)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    if (!header(key))
        return Status::failure(kDishSaleNotFound.toString());
    return base_.exec(QStringLiteral("UPDATE \"Накладные_Заголовки\" SET ") + base_.q(column)
            + QStringLiteral(" = ?, \"Дата_Операции\" = ?, \"Пользователь\" = ? WHERE \"Код\" = ?"),
        {value, base_.now(), base_.user(), key});
}

Status DishSales::setDate(qint64 key, const QDate &date)
{
    if (!date.isValid())
        return Status::failure(QStringLiteral("не определена дата накладной!"));
    return setHeaderField(key, QStringLiteral("Дата"), date);
}

Status DishSales::setNumber(qint64 key, const QString &number)
{
    const auto h = header(key);
    if (!h)
        return Status::failure(kDishSaleNotFound.toString());
    if (number != h->number && !confirmDocumentNumber(base_, DocumentKind::Outgoing, number))
        return Status::failure({});
    return setHeaderField(key, QStringLiteral("Номер"), number);
}

Status DishSales::setBuyer(qint64 key, qint64 buyer)
{
    if (buyer <= 0 || !Counterparties(base_).find(buyer))
        return Status::failure(QStringLiteral("Поставщик не найден: ") + QString::number(buyer));
    return setHeaderField(key, QStringLiteral("Поставщик"), buyer);
}

Status DishSales::remove(qint64 key)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    if (!header(key))
        return Status::failure(kDishSaleNotFound.toString());
    if (!base_.context().prompter.confirm(QStringLiteral("Удалить накладную из базы?"), kWarehouseTitle.toString()))
        return Status::failure({});
    Transaction t(base_.database(), base_.errorLog());
    if (const Status e = base_.exec(QStringLiteral("DELETE FROM \"Расход_Рецептуры\" WHERE \"Код_Накл\" = ?"), {key});
        !e)
        return e;
    if (const Status e = base_.exec(QStringLiteral("DELETE FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"), {key}); !e)
        return e;
    if (const Status e = t.commit(); !e)
        return e;
    base_.logDeletion(QStringLiteral("Del_Nakl_Di"));
    return {};
}

Result<std::vector<DishSaleLine>> DishSales::lines(qint64 header) const
{
    using R = Result<std::vector<DishSaleLine>>;
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT \"Код\", \"Код_Накл\", \"Название_рецептуры\", \"Выход\", \"Количество_Пор\", \"Цена\" "
                       "FROM \"Расход_Рецептуры\" WHERE \"Код_Накл\" = ? ORDER BY \"Код\""),
        base_.errorLog());
    if (const Status e = s.exec({header}); !e)
        return R::failure(e.error());
    std::vector<DishSaleLine> rows;
    while (s.next()) {
        rows.push_back({s.value(0).toLongLong(), s.value(1).toLongLong(), s.value(2).toString(), s.value(3).toDouble(),
            s.value(4).toDouble(), s.value(5).toDouble()});
    }
    return rows;
}

Status DishSales::checkValues(const DishSaleLine &line) const
{
    if (!validAmount(line.output) || !validAmount(line.portions) || !validAmount(line.price))
        return Status::failure(QStringLiteral("Количество не может быть отрицательным"));
    return {};
}

Status DishSales::updateSum(qint64 header)
{
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT SUM(\"Цена\" * \"Количество_Пор\") FROM \"Расход_Рецептуры\" WHERE \"Код_Накл\" = ?"),
        base_.errorLog());
    if (const Status e = s.exec({header}); !e)
        return e;
    const double sum = s.next() ? s.value(0).toDouble() : 0;
    s.finish();
    return base_.exec(QStringLiteral("UPDATE \"Накладные_Заголовки\" SET \"Сумма\" = ? WHERE \"Код\" = ?"),
        {roundTo(sum, 2), header});
}

Result<qint64> DishSales::addLine(qint64 header, const DishBase &dishes, const QString &table, const DishSaleLine &line)
{
    using R = Result<qint64>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    if (line.dish.trimmed().isEmpty() || !dishes.exists(table, line.dish))
        return R::failure(kDishNotFound.toString());
    if (const Status v = checkValues(line); !v)
        return R::failure(v.error());
    Transaction t(base_.database(), base_.errorLog());
    if (!this->header(header))
        return R::failure(kDishSaleNotFound.toString());
    SqlStatement s(base_.database(),
        QStringLiteral("INSERT INTO \"Расход_Рецептуры\" (\"Код_Накл\", \"Название_рецептуры\", \"Выход\", "
                       "\"Количество_Пор\", \"Цена\") VALUES (?, ?, ?, ?, ?) RETURNING \"Код\""),
        base_.errorLog());
    const auto key = execInsertReturningKey(s, {header, line.dish, line.output, line.portions, line.price});
    if (!key)
        return key;
    if (const Status e = updateSum(header); !e)
        return R::failure(e.error());
    if (const Status e = t.commit(); !e)
        return R::failure(e.error());
    return key;
}

Status DishSales::updateLine(const DishSaleLine &line)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    if (const Status v = checkValues(line); !v)
        return v;
    Transaction t(base_.database(), base_.errorLog());
    SqlStatement owner(base_.database(),
        QStringLiteral("SELECT \"Код_Накл\" FROM \"Расход_Рецептуры\" WHERE \"Код\" = ?"), base_.errorLog());
    if (!owner.exec({line.key}) || !owner.next())
        return Status::failure(kDishNotFound.toString());
    const qint64 header = owner.value(0).toLongLong();
    owner.finish();
    if (!this->header(header))
        return Status::failure(kDishSaleNotFound.toString());
    if (const Status e
        = base_.exec(QStringLiteral("UPDATE \"Расход_Рецептуры\" SET \"Выход\" = ?, \"Количество_Пор\" = ?, "
                                    "\"Цена\" = ? WHERE \"Код\" = ?"),
            {line.output, line.portions, line.price, line.key});
        !e)
        return e;
    if (const Status e = updateSum(header); !e)
        return e;
    return t.commit();
}

Status DishSales::removeLine(qint64 line)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    Transaction t(base_.database(), base_.errorLog());
    SqlStatement owner(base_.database(),
        QStringLiteral("SELECT \"Код_Накл\" FROM \"Расход_Рецептуры\" WHERE \"Код\" = ?"), base_.errorLog());
    if (!owner.exec({line}) || !owner.next())
        return Status::failure(kDishNotFound.toString());
    const qint64 header = owner.value(0).toLongLong();
    owner.finish();
    if (const Status e = base_.exec(QStringLiteral("DELETE FROM \"Расход_Рецептуры\" WHERE \"Код\" = ?"), {line}); !e)
        return e;
    if (const Status e = updateSum(header); !e)
        return e;
    if (const Status e = t.commit(); !e)
        return e;
    base_.logDeletion(QStringLiteral("Del_Str_Nakl_Di"));
    return {};
}

} // namespace kulvera
