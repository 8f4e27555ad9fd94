#include "products/ProductMods.h"

#include "common/Prompter.h"
#include "shell/Connections.h"
#include "shell/InsertedKey.h"
#include "shell/SqlStatement.h"

namespace kulvera {

ProductMods::ProductMods(Connections &connections, Prompter &prompter, int number)
    : connections_(connections)
    , prompter_(prompter)
    , number_(number)
{
}

bool ProductMods::checkName(const QString &name) const
{
    if (name.size() <= kMaxName)
        return true;
    prompter_.message(QStringLiteral("Максимум 255 символов!"), kTitle.toString(), Prompter::Icon::Warning);
    return false;
}

std::vector<Modification> ProductMods::select(const QString &sql, const QVariantList &params) const
{
    std::vector<Modification> list;
    SqlStatement q(connections_.database(number_), sql, &connections_.errorLog());
    if (!q.exec(params))
        return list;
    while (q.next())
        list.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(), q.value(3).toDouble(),
            q.value(4).toDouble(), q.value(5).toDouble()});
    return list;
}

std::vector<Modification> ProductMods::all() const
{
    return select(
        QStringLiteral("SELECT \"Code\", \"Имя\", \"Прим\", \"Теп_пот\", \"Потери_Мех\", \"Норма\" FROM \"mods\""
                       " ORDER BY \"Имя\""),
        {});
}

std::vector<Modification> ProductMods::ofProduct(qint64 productKey) const
{
    return select(
        QStringLiteral("SELECT m.\"Code\", m.\"Имя\", m.\"Прим\", m.\"Теп_пот\", m.\"Потери_Мех\", m.\"Норма\""
                       " FROM \"mods\" AS m INNER JOIN \"mods_prods\" AS l ON l.\"Код_мод\" = m.\"Code\""
                       " WHERE l.\"Код_Прод\" = ? ORDER BY m.\"Имя\""),
        {productKey});
}

Result<qint64> ProductMods::add(const Modification &mod, qint64 productKey)
{
    if (!checkName(mod.name))
        return Result<qint64>::failure(QStringLiteral("Максимум 255 символов!"));
    const QSqlDatabase db = connections_.database(number_);
    Transaction transaction(db, &connections_.errorLog());
    SqlStatement insert(db,
        QStringLiteral("INSERT INTO \"mods\" (\"Имя\", \"Прим\", \"Теп_пот\", \"Потери_Мех\", \"Норма\")"
                       " VALUES (?, ?, ?, ?, ?) RETURNING \"Code\""),
        &connections_.errorLog());
    const auto inserted = execInsertReturningKey(insert, {mod.name, mod.note, mod.heatLoss, mod.coldLoss, mod.norm});
    if (!inserted)
        return inserted;
    const qint64 code = *inserted;
    if (productKey > 0) {
        if (const Status s = link(code, productKey); !s)
            return Result<qint64>::failure(s.error());
    }
    if (const Status s = transaction.commit(); !s)
        return Result<qint64>::failure(s.error());
    return code;
}

Status ProductMods::update(const Modification &mod)
{
    if (!checkName(mod.name))
        return Status::failure(QStringLiteral("Максимум 255 символов!"));
    return execSql(connections_.database(number_),
        QStringLiteral("UPDATE \"mods\" SET \"Имя\" = ?, \"Прим\" = ?, \"Теп_пот\" = ?, \"Потери_Мех\" = ?,"
                       " \"Норма\" = ? WHERE \"Code\" = ?"),
        {mod.name, mod.note, mod.heatLoss, mod.coldLoss, mod.norm, mod.code}, &connections_.errorLog());
}

Status ProductMods::link(qint64 code, qint64 productKey)
{
    return execSql(connections_.database(number_),
        QStringLiteral("INSERT INTO \"mods_prods\" (\"Код_мод\", \"Код_Прод\") VALUES (?, ?)"), {code, productKey},
        &connections_.errorLog());
}

Status ProductMods::unlink(qint64 code, qint64 productKey)
{
    return execSql(connections_.database(number_),
        QStringLiteral("DELETE FROM \"mods_prods\" WHERE \"Код_мод\" = ? AND \"Код_Прод\" = ?"), {code, productKey},
        &connections_.errorLog());
}

Status ProductMods::remove(qint64 code)
{
    const QSqlDatabase db = connections_.database(number_);
    Transaction transaction(db, &connections_.errorLog());
    if (const Status s = execSql(
            db, QStringLiteral("DELETE FROM \"mods_prods\" WHERE \"Код_мод\" = ?"), {code}, &connections_.errorLog());
        !s)
        return s;
    if (const Status s
        = execSql(db, QStringLiteral("DELETE FROM \"mods\" WHERE \"Code\" = ?"), {code}, &connections_.errorLog());
        !s)
        return s;
    return transaction.commit();
}

} // namespace kulvera
