#include "warehouse/Counterparties.h"

#include "shell/InsertedKey.h"
#include "shell/SqlStatement.h"
#include "warehouse/NameOrKey.h"
#include "warehouse/WarehouseBase.h"

#include <QStringList>

namespace kulvera {
namespace {

constexpr CounterpartyColumn kColumns[] = {
    {u"l1", u"Имя в программе"},
    {u"Имя_Орг", u"Название организации"},
    {u"ИНН", u"ИНН"},
    {u"КПП", u"КПП"},
    {u"Ф_рук", u"Руководитель:фамилия"},
    {u"И_рук", u"Руководитель:имя"},
    {u"О_рук", u"Руководитель:отчество"},
    {u"Ф_бух", u"Бухгалтер:фамилия"},
    {u"И_бух", u"Бухгалтер:имя"},
    {u"О_бух", u"Бухгалтер:отчество"},
    {u"Ф_клад", u"Кладовщик:фамилия"},
    {u"И_клад", u"Кладовщик:имя"},
    {u"О_клад", u"Кладовщик:отчество"},
    {u"Ф_техн", u"Технолог:фамилия"},
    {u"И_техн", u"Технолог:имя"},
    {u"О_техн", u"Технолог:отчество"},
    {u"Ф_зав", u"Зав. производством:фамилия"},
    {u"И_зав", u"Зав. производством:имя"},
    {u"О_зав", u"Зав. производством:отчество"},
    {u"Учр_док", u"Учредительный документ"},
    {u"Индекс", u"Индекс"},
    {u"Город", u"Город"},
    {u"ПрефУл", u"Тип улицы"},
    {u"Ул", u"Улица"},
    {u"Дом", u"Дом"},
    {u"Корп", u"Корпус"},
    {u"Комн", u"Комната"},
    {u"Код1", u"Код города 1"},
    {u"Тел1", u"Телефон 1"},
    {u"Код2", u"Код города 2"},
    {u"Тел2", u"Телефон 2"},
    {u"Код3", u"Код города 3"},
    {u"Тел3", u"Телефон 3"},
    {u"Код4", u"Код города 4"},
    {u"Тел4", u"Телефон 4"},
    {u"Код5", u"Код города 5"},
    {u"Тел5", u"Телефон 5"},
    {u"Банк", u"Банк"},
    {u"РС", u"Расчетный счет"},
    {u"КС", u"Корр. счет"},
    {u"БИК", u"БИК"},
    {u"ОКОНХ", u"ОКОНХ"},
    {u"ОКПО", u"ОКПО"},
    {u"Прим", u"Примечание"},
};

bool isColumn(const QString &field)
{
    for (const CounterpartyColumn &c : kColumns) {
        if (field == QStringView(c.field))
            return true;
    }
    return false;
}

} // namespace

std::span<const CounterpartyColumn> counterpartyColumns()
{
    return kColumns;
}

Counterparties::Counterparties(WarehouseBase &base)
    : base_(base)
{
}

Result<std::vector<Counterparty>> Counterparties::list() const
{
    using R = Result<std::vector<Counterparty>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    SqlStatement s(
        base_.database(), QStringLiteral("SELECT \"ID\", \"l1\" FROM \"dt101\" ORDER BY \"ID\""), base_.errorLog());
    if (const Status e = s.exec(); !e)
        return R::failure(e.error());
    std::vector<Counterparty> rows;
    while (s.next())
        rows.push_back({s.value(0).toLongLong(), s.value(1).toString()});
    return rows;
}

int Counterparties::count() const
{
    SqlStatement s(base_.database(), QStringLiteral("SELECT COUNT(*) FROM \"dt101\""), base_.errorLog());
    return s.exec() && s.next() ? s.value(0).toInt() : 0;
}

std::optional<Counterparty> Counterparties::find(qint64 id) const
{
    SqlStatement s(
        base_.database(), QStringLiteral("SELECT \"ID\", \"l1\" FROM \"dt101\" WHERE \"ID\" = ?"), base_.errorLog());
    if (!s.exec({id}) || !s.next())
        return std::nullopt;
    return Counterparty {s.value(0).toLongLong(), s.value(1).toString()};
}

std::optional<Counterparty> Counterparties::findByNameOrKey(const QString &text) const
{
    return kulvera::findByNameOrKey<Counterparty>(
        text, [this](qint64 key) { return find(key); }, [this] { return list(); });
}

QVariantList Counterparties::fields(qint64 id) const
{
    QStringList names;
    for (const CounterpartyColumn &c : kColumns)
        names << base_.q(QString::fromUtf16(c.field));
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT ") + names.join(u", ") + QStringLiteral(" FROM \"dt101\" WHERE \"ID\" = ?"),
        base_.errorLog());
    QVariantList values;
    if (!s.exec({id}) || !s.next())
        return values;
    for (int i = 0; i < names.size(); ++i)
        values << s.value(i);
    return values;
}

Result<qint64> Counterparties::add(const QString &name)
{
    if (const Status c = base_.requireConnected(); !c)
        return Result<qint64>::failure(c.error());
    SqlStatement s(base_.database(), QStringLiteral("INSERT INTO \"dt101\" (\"l1\") VALUES (?) RETURNING \"ID\""),
        base_.errorLog());
    return execInsertReturningKey(s, {name});
}

Status Counterparties::setField(qint64 id, const QString &field, const QString &value)
{
    if (!isColumn(field))
        return Status::failure(QStringLiteral("Нет такого поля поставщика: ") + field);
    return base_.exec(
        QStringLiteral("UPDATE \"dt101\" SET ") + base_.q(field) + QStringLiteral(" = ? WHERE \"ID\" = ?"),
        {value, id});
}

Status Counterparties::remove(qint64 id)
{
    const auto row = find(id);
    if (!row)
        return Status::failure(QStringLiteral("Поставщик не найден: ") + QString::number(id));
    if (!base_.context().prompter.confirm(QStringLiteral("Удалить поставщика '") + row->name
                + QStringLiteral("'?\nВсе проводки по этому поставщику перестанут работать!\n"
                                 "Восстановление информации невозможно!"),
            kWarehouseTitle.toString()))
        return Status::failure({});
    if (const Status d = base_.exec(QStringLiteral("DELETE FROM \"dt101\" WHERE \"ID\" = ?"), {id}); !d)
        return d;
    base_.logDeletion(QStringLiteral("Del_Sel_Suppliers"));
    return {};
}

} // namespace kulvera
