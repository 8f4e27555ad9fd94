#include "menus/MenuVariants.h"

#include "common/Prompter.h"
#include "menus/MenuBase.h"
#include "shell/Connections.h"
#include "shell/InsertedKey.h"
#include "shell/SqlStatement.h"

namespace kulvera {
namespace {

const QString kTitle = QStringLiteral("Варианты меню");

} // namespace

MenuVariants::MenuVariants(const MenuBase &base)
    : base_(base)
{
}

Result<std::vector<MenuVariant>> MenuVariants::list() const
{
    using R = Result<std::vector<MenuVariant>>;
    SqlStatement q(base_.database(), QStringLiteral("SELECT \"id\", \"Name\", \"p1\" FROM \"groups\" ORDER BY \"id\""),
        &base_.connections().errorLog());
    if (const Status s = q.exec(); !s)
        return R::failure(s.error());
    std::vector<MenuVariant> out;
    while (q.next())
        out.push_back({q.value(0).toInt(), q.value(1).toString(), q.value(2).toString()});
    return out;
}

std::optional<MenuVariant> MenuVariants::find(int id) const
{
    const auto all = list();
    if (!all)
        return std::nullopt;
    for (const MenuVariant &v : all.value()) {
        if (v.id == id)
            return v;
    }
    return std::nullopt;
}

Result<int> MenuVariants::add(const QString &name) const
{
    SqlStatement q(base_.database(), QStringLiteral("INSERT INTO \"groups\" (\"Name\") VALUES (?) RETURNING \"id\""),
        &base_.connections().errorLog());
    const auto id = execInsertReturningKey(q, {name});
    if (!id)
        return Result<int>::failure(id.error());
    return static_cast<int>(*id);
}

std::optional<int> MenuVariants::addAsking() const
{
    const std::optional<QString> typed = base_.prompter().askText(QStringLiteral("Введите наименование:"), kTitle);
    if (!typed)
        return std::nullopt;
    const Result<int> id = add(typed->trimmed());
    return id ? std::optional<int>(id.value()) : std::nullopt;
}

Status MenuVariants::rename(int id, const QString &name) const
{
    return execSql(base_.database(), QStringLiteral("UPDATE \"groups\" SET \"Name\" = ? WHERE \"id\" = ?"), {name, id},
        &base_.connections().errorLog());
}

bool MenuVariants::renameAsking(int id) const
{
    const std::optional<MenuVariant> v = find(id);
    if (!v)
        return false;
    // The form's own title of this question.
    const std::optional<QString> typed
        = base_.prompter().askText(QStringLiteral("Введите новое название:"), QStringLiteral("Варинаты меню"), v->name);
    return typed && rename(id, typed->trimmed());
}

Status MenuVariants::setParameter(int id, const QString &p1) const
{
    return execSql(base_.database(), QStringLiteral("UPDATE \"groups\" SET \"p1\" = ? WHERE \"id\" = ?"), {p1, id},
        &base_.connections().errorLog());
}

bool MenuVariants::removeAsking(int id) const
{
    const std::optional<MenuVariant> v = find(id);
    if (!v)
        return false;
    if (!base_.prompter().confirm(
            QStringLiteral("Удалить - '") + v->name + u'\'', kTitle, QStringLiteral("DeleteVariant")))
        return false;
    return static_cast<bool>(execSql(base_.database(), QStringLiteral("DELETE FROM \"groups\" WHERE \"id\" = ?"), {id},
        &base_.connections().errorLog()));
}

} // namespace kulvera
