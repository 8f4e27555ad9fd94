#include "products/UnitBase.h"

#include "common/Prompter.h"
#include "shell/Connections.h"
#include "shell/InsertedKey.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <algorithm>
#include <optional>

namespace kulvera {
namespace {

const QString kUnits = QStringLiteral("dt105");

} // namespace

UnitBase::UnitBase(Connections &connections, const SettingsAccess &settings, Prompter &prompter, int number)
    : connections_(connections)
    , prompter_(prompter)
    , number_(number)
    , groupsTable_(readSetting(settings, Section::Losses, QStringLiteral("tbГруппы_ЕдИ")))
{
}

bool UnitBase::available(bool tell) const
{
    bool present = connections_.isConnected(number_);
    if (present) {
        const QSqlDatabase db = connections_.database(number_);
        present = SqlDialect::of(db).tables(db).contains(kUnits);
    }
    if (!present && tell)
        prompter_.message(QStringLiteral("Не обнаружена таблица единиц измерений для продуктов в базе калькуляций\n"
                                         "Необходимо обновить базу калькуляций"),
            kTitle.toString(), Prompter::Icon::Warning);
    return present;
}

std::vector<UnitGroup> UnitBase::groups() const
{
    std::vector<UnitGroup> list;
    if (!connections_.isConnected(number_))
        return list;
    const QSqlDatabase db = connections_.database(number_);
    const SqlDialect &d = SqlDialect::of(db);
    SqlStatement q(db,
        QStringLiteral("SELECT \"Код\", \"Имя_Группы\", \"Зависимость\" FROM ") + d.quote(groupsTable_)
            + QStringLiteral(" ORDER BY \"Код\""),
        &connections_.errorLog());
    if (!q.exec())
        return list;
    while (q.next())
        list.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toLongLong()});
    return list;
}

Result<qint64> UnitBase::addGroup(qint64 parent)
{
    const QString stem = parent > 0 ? QStringLiteral("Новая подгруппа (") : QStringLiteral("Новая группа (");
    int n = 1;
    for (const UnitGroup &g : groups()) {
        if (g.name.startsWith(stem) && g.name.endsWith(u')'))
            n = std::max(n, g.name.mid(stem.size()).chopped(1).toInt() + 1);
    }
    const QSqlDatabase db = connections_.database(number_);
    SqlStatement insert(db,
        QStringLiteral("INSERT INTO ") + SqlDialect::of(db).quote(groupsTable_)
            + QStringLiteral(" (\"Имя_Группы\", \"Зависимость\") VALUES (?, ?) RETURNING \"Код\""),
        &connections_.errorLog());
    return execInsertReturningKey(insert, {QString(stem + QString::number(n) + u')'), parent});
}

Status UnitBase::renameGroup(qint64 key, const QString &name)
{
    const QSqlDatabase db = connections_.database(number_);
    return execSql(db,
        QStringLiteral("UPDATE ") + SqlDialect::of(db).quote(groupsTable_)
            + QStringLiteral(" SET \"Имя_Группы\" = ? WHERE \"Код\" = ?"),
        {name, key}, &connections_.errorLog());
}

std::vector<Unit> UnitBase::units(qint64 group) const
{
    std::vector<Unit> list;
    if (!available(false))
        return list;
    QString sql = QStringLiteral("SELECT \"ID\", \"Name\", \"Pref\", \"Koef\", \"SGroup\", \"IsBase\" FROM \"dt105\"");
    QVariantList params;
    if (group >= 0) {
        sql += QStringLiteral(" WHERE \"SGroup\" = ?");
        params << group;
    }
    sql += QStringLiteral(" ORDER BY \"SGroup\", \"ID\"");
    SqlStatement q(connections_.database(number_), sql, &connections_.errorLog());
    if (!q.exec(params))
        return list;
    while (q.next())
        list.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(), q.value(3).toDouble(),
            q.value(4).toLongLong(), q.value(5).toInt() != 0});
    return list;
}

std::optional<Unit> UnitBase::unit(qint64 id) const
{
    for (const Unit &u : units())
        if (u.id == id)
            return u;
    return std::nullopt;
}

Result<qint64> UnitBase::addUnit(qint64 group, const QString &name, double koef, const QString &pref)
{
    if (!available())
        return Result<qint64>::failure(QStringLiteral("Необходимо обновить базу калькуляций"));
    if (koef == 0.0) {
        prompter_.message(
            QStringLiteral("Коэффициент не может быть равен нулю!"), kTitle.toString(), Prompter::Icon::Warning);
        return Result<qint64>::failure(QStringLiteral("Коэффициент не может быть равен нулю!"));
    }
    const bool first = units(group).empty();
    SqlStatement insert(connections_.database(number_),
        QStringLiteral("INSERT INTO \"dt105\" (\"Name\", \"Pref\", \"Koef\", \"SGroup\", \"IsBase\")"
                       " VALUES (?, ?, ?, ?, ?) RETURNING \"ID\""),
        &connections_.errorLog());
    return execInsertReturningKey(insert, {name, pref, first ? 1.0 : koef, group, first ? 1 : 0});
}

Status UnitBase::rename(qint64 id, const QString &name, const QString &pref)
{
    return execSql(connections_.database(number_),
        QStringLiteral("UPDATE \"dt105\" SET \"Name\" = ?, \"Pref\" = ? WHERE \"ID\" = ?"), {name, pref, id},
        &connections_.errorLog());
}

Status UnitBase::setKoef(qint64 id, double koef)
{
    if (koef == 0.0) {
        prompter_.message(
            QStringLiteral("Коэффициент не может быть равен нулю!"), kTitle.toString(), Prompter::Icon::Warning);
        return Status::failure(QStringLiteral("Коэффициент не может быть равен нулю!"));
    }
    return execSql(connections_.database(number_), QStringLiteral("UPDATE \"dt105\" SET \"Koef\" = ? WHERE \"ID\" = ?"),
        {koef, id}, &connections_.errorLog());
}

Status UnitBase::setBase(qint64 id, bool on)
{
    const auto u = unit(id);
    if (!u)
        return Status::failure(QStringLiteral("Нет такой единицы измерения"));
    if (!on) {
        if (!u->isBase)
            return {};
        const QString text
            = QStringLiteral("Нельзя отменить базовую единицу измерения.\nСледует назначить ее для другой группы!");
        prompter_.message(text, kTitle.toString(), Prompter::Icon::Warning);
        return Status::failure(text);
    }
    const QSqlDatabase db = connections_.database(number_);
    Transaction transaction(db, &connections_.errorLog());
    if (const Status s = execSql(db, QStringLiteral("UPDATE \"dt105\" SET \"IsBase\" = 0 WHERE \"SGroup\" = ?"),
            {u->group}, &connections_.errorLog());
        !s)
        return s;
    if (const Status s = execSql(
            db, QStringLiteral("UPDATE \"dt105\" SET \"IsBase\" = 1 WHERE \"ID\" = ?"), {id}, &connections_.errorLog());
        !s)
        return s;
    return transaction.commit();
}

Status UnitBase::remove(qint64 id)
{
    if (!prompter_.confirm(QStringLiteral("Удаление ед. измерения может повлиять на работу программы\n"
                                          "где эти ед. измерения уже использовались!\nУдаляем?"),
            kTitle.toString()))
        return Status::failure(QStringLiteral("Единица измерения не удалена"));
    return execSql(connections_.database(number_), QStringLiteral("DELETE FROM \"dt105\" WHERE \"ID\" = ?"), {id},
        &connections_.errorLog());
}

} // namespace kulvera
