#include "warehouse/Warehouses.h"

#include "common/NumberText.h"
#include "shell/InsertedKey.h"
#include "shell/SqlStatement.h"
#include "warehouse/NameOrKey.h"
#include "warehouse/WarehouseBase.h"

namespace kulvera {
namespace {

WarehouseRow readWarehouse(const SqlStatement &s)
{
    return {s.value(0).toLongLong(), s.value(1).toString(), s.value(2).toString(), s.value(3).toDouble()};
}

const QString kSelectWarehouses
    = QStringLiteral("SELECT \"Код\", \"Склад_Название\", \"Склад_Описание\", \"Доп_Нац\" FROM \"Склады\"");

} // namespace

Warehouses::Warehouses(WarehouseBase &base)
    : base_(base)
{
}

Result<std::vector<WarehouseRow>> Warehouses::list() const
{
    using R = Result<std::vector<WarehouseRow>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    SqlStatement s(base_.database(), kSelectWarehouses + QStringLiteral(" ORDER BY \"Код\""), base_.errorLog());
    if (const Status e = s.exec(); !e)
        return R::failure(e.error());
    std::vector<WarehouseRow> rows;
    while (s.next())
        rows.push_back(readWarehouse(s));
    return rows;
}

int Warehouses::count() const
{
    SqlStatement s(base_.database(), QStringLiteral("SELECT COUNT(*) FROM \"Склады\""), base_.errorLog());
    return s.exec() && s.next() ? s.value(0).toInt() : 0;
}

std::optional<WarehouseRow> Warehouses::find(qint64 key) const
{
    SqlStatement s(base_.database(), kSelectWarehouses + QStringLiteral(" WHERE \"Код\" = ?"), base_.errorLog());
    if (!s.exec({key}) || !s.next())
        return std::nullopt;
    return readWarehouse(s);
}

std::optional<WarehouseRow> Warehouses::findByNameOrKey(const QString &text) const
{
    return kulvera::findByNameOrKey<WarehouseRow>(
        text, [this](qint64 key) { return find(key); }, [this] { return list(); });
}

Result<qint64> Warehouses::add(const QString &name)
{
    if (const Status c = base_.requireConnected(); !c)
        return Result<qint64>::failure(c.error());
    SqlStatement s(base_.database(),
        QStringLiteral("INSERT INTO \"Склады\" (\"Склад_Название\", \"Доп_Нац\") VALUES (?, 0) RETURNING \"Код\""),
        base_.errorLog());
    return execInsertReturningKey(s, {name});
}

Status Warehouses::setField(const QString &table, const QString &field, qint64 key, const QVariant &value) const
{
    return base_.exec(QStringLiteral("UPDATE ") + base_.q(table) + QStringLiteral(" SET ") + base_.q(field)
            + QStringLiteral(" = ? WHERE \"Код\" = ?"),
        {value, key});
}

Status Warehouses::rename(qint64 key, const QString &name)
{
    return setField(QStringLiteral("Склады"), QStringLiteral("Склад_Название"), key, name);
}

Status Warehouses::setDescription(qint64 key, const QString &text)
{
    return setField(QStringLiteral("Склады"), QStringLiteral("Склад_Описание"), key, text);
}

Status Warehouses::setMarkup(qint64 key, const QString &text)
{
    double markup = 0;
    if (!text.trimmed().isEmpty()) {
        const auto number = parseNumber(text);
        if (!number)
            return Status::failure(QStringLiteral("Наценка должна быть числом: ") + text);
        markup = *number;
    }
    return setField(QStringLiteral("Склады"), QStringLiteral("Доп_Нац"), key, markup);
}

Status Warehouses::remove(qint64 key)
{
    const auto row = find(key);
    if (!row)
        return Status::failure(QStringLiteral("Склад не найден: ") + QString::number(key));
    if (!base_.context().prompter.confirm(QStringLiteral("Удалить склад '") + row->name
                + QStringLiteral("'?\nВсе проводки по этому складу перестанут работать!\n"
                                 "Удалятся и все структурные элементы!\n"
                                 "Восстановление информации невозможно!\nКод: 10006!"),
            kWarehouseTitle.toString()))
        return Status::failure({});
    Transaction t(base_.database(), base_.errorLog());
    if (const Status s = base_.exec(QStringLiteral("DELETE FROM \"Склады_Структура\" WHERE \"Код_Склада\" = ?"), {key});
        !s)
        return s;
    if (const Status s = base_.exec(QStringLiteral("DELETE FROM \"Склады\" WHERE \"Код\" = ?"), {key}); !s)
        return s;
    if (const Status s = t.commit(); !s)
        return s;
    base_.logDeletion(QStringLiteral("Del_Sel_Ws"));
    return {};
}

Result<std::vector<StoragePlace>> Warehouses::places(qint64 warehouse) const
{
    using R = Result<std::vector<StoragePlace>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT \"Код\", \"Код_Склада\", \"Структура_Название\", \"Описание\" FROM \"Склады_Структура\" "
                       "WHERE \"Код_Склада\" = ? ORDER BY \"Код\""),
        base_.errorLog());
    if (const Status e = s.exec({warehouse}); !e)
        return R::failure(e.error());
    std::vector<StoragePlace> rows;
    while (s.next())
        rows.push_back(
            {s.value(0).toLongLong(), s.value(1).toLongLong(), s.value(2).toString(), s.value(3).toString()});
    return rows;
}

Result<qint64> Warehouses::addPlace(qint64 warehouse, const QString &name)
{
    if (!find(warehouse))
        return Result<qint64>::failure(QStringLiteral("Склад не найден: ") + QString::number(warehouse));
    SqlStatement s(base_.database(),
        QStringLiteral("INSERT INTO \"Склады_Структура\" (\"Код_Склада\", \"Структура_Название\") VALUES (?, ?) "
                       "RETURNING \"Код\""),
        base_.errorLog());
    return execInsertReturningKey(s, {warehouse, name});
}

Status Warehouses::renamePlace(qint64 key, const QString &name)
{
    return setField(QStringLiteral("Склады_Структура"), QStringLiteral("Структура_Название"), key, name);
}

Status Warehouses::setPlaceDescription(qint64 key, const QString &text)
{
    return setField(QStringLiteral("Склады_Структура"), QStringLiteral("Описание"), key, text);
}

Status Warehouses::removePlace(qint64 key)
{
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT \"Структура_Название\" FROM \"Склады_Структура\" WHERE \"Код\" = ?"), base_.errorLog());
    if (!s.exec({key}) || !s.next())
        return Status::failure(QStringLiteral("Структура склада не найдена: ") + QString::number(key));
    const QString name = s.value(0).toString();
    s.finish();
    if (!base_.context().prompter.confirm(QStringLiteral("Удалить структуру склада '") + name
                + QStringLiteral("'?\nВсе продукты по этой структуре потеряют свою привязку!\n"
                                 "Восстановление информации невозможно!\nКод сообщения: 10005"),
            kWarehouseTitle.toString()))
        return Status::failure({});
    if (const Status d = base_.exec(QStringLiteral("DELETE FROM \"Склады_Структура\" WHERE \"Код\" = ?"), {key}); !d)
        return d;
    base_.logDeletion(QStringLiteral("Del_Sel_Struc"));
    return {};
}

} // namespace kulvera
