#pragma once

#include "common/Result.h"

#include <QString>

#include <optional>
#include <vector>

namespace kulvera {

class Connections;
class Prompter;
class SettingsAccess;

// Groups ("Группы_ЕдИ", subgroups name their parent in `Зависимость`) and
// units of measure ("dt105") in the warehouse base. Products belong to the
// same groups by `Код_Группы`; each group has one base unit and further units
// with a coefficient to it: shown quantity = base quantity × Koef.
struct UnitGroup {
    qint64 key = 0;
    QString name;
    qint64 parent = 0; // 0 for a top-level group
};

struct Unit {
    qint64 id = 0;
    QString name;
    QString pref;
    double koef = 1;
    qint64 group = 0;
    bool isBase = false;
};

class UnitBase
{
public:
    UnitBase(Connections &connections, const SettingsAccess &settings, Prompter &prompter, int number);

    static constexpr QStringView kTitle = u"Единицы измерения";

    // False, after telling the user, when the warehouse base lacks the unit table.
    bool available(bool tell = true) const;

    std::vector<UnitGroup> groups() const;
    // "Новая группа (n)" or, under a parent, "Новая подгруппа (n)".
    Result<qint64> addGroup(qint64 parent = 0);
    Status renameGroup(qint64 key, const QString &name);

    std::vector<Unit> units(qint64 group = -1) const; // -1: every group
    std::optional<Unit> unit(qint64 id) const;
    // The first unit of a group becomes its base unit.
    Result<qint64> addUnit(qint64 group, const QString &name, double koef, const QString &pref = {});
    Status rename(qint64 id, const QString &name, const QString &pref);
    // A coefficient of 0 is refused.
    Status setKoef(qint64 id, double koef);
    // Makes the unit the base unit of its group (the former one stops being
    // it); unsetting the base unit is refused.
    Status setBase(qint64 id, bool on);
    // Warns and asks first.
    Status remove(qint64 id);

    QString groupsTable() const { return groupsTable_; }

private:
    Connections &connections_;
    Prompter &prompter_;
    int number_;
    QString groupsTable_;
};

} // namespace kulvera
