#include "menus/DayLocks.h"

#include "common/Prompter.h"
#include "common/TextDate.h"
#include "menus/MenuBase.h"
#include "shell/Connections.h"
#include "shell/SqlStatement.h"

namespace kulvera {
namespace {

const QString kTable = QStringLiteral("\"BlocksDates\"");
const QString kInDay = QStringLiteral(" WHERE \"Дата\" >= ? AND \"Дата\" <= ?");
const QString kNoGroup = QStringLiteral(" AND (\"Группа\" IS NULL OR \"Группа\" = '')");

QVariantList dayParams(const QDate &day)
{
    const DayRange range = wholeDay(day);
    return {range.from, range.to};
}

// The condition of the group's own lock: that group, or none for "".
QString ownLockCondition(const QString &group, QVariantList &params)
{
    if (group.isEmpty())
        return kNoGroup;
    params << group;
    return QStringLiteral(" AND \"Группа\" = ?");
}

} // namespace

QString DayLocks::lockedText()
{
    return QStringLiteral("Меню заблокировано от изменений!");
}

bool DayLocks::isLocked(const QDate &day, const QString &group) const
{
    if (!day.isValid())
        return false;
    QVariantList params = dayParams(day);
    // A lock without a group holds every ration of the day.
    QString sql = QStringLiteral("SELECT 1 FROM ") + kTable + kInDay
        + QStringLiteral(" AND (\"Группа\" IS NULL OR "
                         "\"Группа\" = ''");
    if (!group.isEmpty()) {
        sql += QStringLiteral(" OR \"Группа\" = ?");
        params << group;
    }
    sql += QStringLiteral(") LIMIT 1");
    SqlStatement q(base_.database(), sql, &base_.connections().errorLog());
    return q.exec(params) && q.next();
}

bool DayLocks::hasOwnLock(const QDate &day, const QString &group) const
{
    if (!day.isValid())
        return false;
    QVariantList params = dayParams(day);
    QString sql = QStringLiteral("SELECT 1 FROM ") + kTable + kInDay;
    sql += ownLockCondition(group, params);
    SqlStatement q(base_.database(), sql + QStringLiteral(" LIMIT 1"), &base_.connections().errorLog());
    return q.exec(params) && q.next();
}

Status DayLocks::lock(const QDate &day, const QString &group) const
{
    if (!day.isValid())
        return Status::failure(QStringLiteral("Не удалось распознать дату!"));
    const QSqlDatabase db = base_.database();
    ErrorLog *log = &base_.connections().errorLog();
    Transaction transaction(db, log);
    // The day's own lock of the group is written once.
    QVariantList params = dayParams(day);
    QString sql = QStringLiteral("DELETE FROM ") + kTable + kInDay;
    sql += ownLockCondition(group, params);
    Status s = execSql(db, sql, params, log);
    if (s) {
        s = execSql(db,
            QStringLiteral("INSERT INTO ") + kTable + QStringLiteral(" (\"Дата\", \"Группа\") VALUES (?, ?)"),
            {QDateTime(day, QTime(0, 0)), group.isEmpty() ? QVariant() : QVariant(group)}, log);
    }
    if (s)
        s = transaction.commit();
    return s;
}

Status DayLocks::unlock(const QDate &day, const QString &group) const
{
    if (!day.isValid())
        return Status::failure(QStringLiteral("Не удалось распознать дату!"));
    QVariantList params = dayParams(day);
    QString sql = QStringLiteral("DELETE FROM ") + kTable + kInDay;
    sql += ownLockCondition(group, params);
    return execSql(base_.database(), sql, params, &base_.connections().errorLog());
}

Status DayLocks::unlockAll(const QDate &day) const
{
    if (!day.isValid())
        return Status::failure(QStringLiteral("Не удалось распознать дату!"));
    return execSql(base_.database(), QStringLiteral("DELETE FROM ") + kTable + kInDay, dayParams(day),
        &base_.connections().errorLog());
}

bool DayLocks::allowEditing(const QDate &day, const QString &group) const
{
    if (!isLocked(day, group))
        return true;
    base_.prompter().notice(lockedText(), QStringLiteral("bOffBlockMenu"), MenuBase::kTitle.toString());
    return false;
}

} // namespace kulvera
