#pragma once

#include "common/Result.h"

#include <QDate>
#include <QString>

namespace kulvera {

class MenuBase;

// Locked days (table BlocksDates: Дата, Группа). A row with a group locks
// that group's ration of the day; a row without a group (NULL or "") locks
// every ration of the day, the one without a group included.
class DayLocks
{
public:
    explicit DayLocks(const MenuBase &base)
        : base_(base)
    {
    }

    bool isLocked(const QDate &day, const QString &group) const;
    // The day's own lock of exactly this group ("" : the lock of every group),
    // whatever other locks the day has.
    bool hasOwnLock(const QDate &day, const QString &group) const;
    // Locks the day for the group ("" : for every group). Locking twice keeps one row.
    Status lock(const QDate &day, const QString &group) const;
    Status lockAll(const QDate &day) const { return lock(day, {}); }
    // Takes the group's own lock off; a lock of every group stays.
    Status unlock(const QDate &day, const QString &group) const;
    // Takes every lock of the day off.
    Status unlockAll(const QDate &day) const;

    // True when the ration may be edited; otherwise shows "Меню заблокировано
    // от изменений!" (switched off under bOffBlockMenu).
    bool allowEditing(const QDate &day, const QString &group) const;
    static QString lockedText(); // "Меню заблокировано от изменений!"

private:
    const MenuBase &base_;
};

} // namespace kulvera
