#pragma once

#include "common/Result.h"
#include "menus/Ration.h"
#include "recipes/StoredText.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <vector>

namespace kulvera {

class Connections;
class ErrorLog;
class Prompter;
class SettingsAccess;

// One line of the list of rations: a distinct (date, group, norm) of the rows.
struct RationListEntry {
    QDate date;
    QString group; // "" without a group
    QString normCode;
};

enum class RationOrder { ByDate, ByGroup };

// The rations kept in a menu base (table base_temp, renamed by the setting
// tbMenu_Temp): one row per position of each dish copy, l26 the date, l27 the
// meal, l28 the group, l29 the norm, l30 the dish's card number (the recipe's
// `sCode`), values encoded as in the dish base. A
// ration without a group matches rows whose l28 is NULL or "". Every date and
// group is a bound parameter.
class MenuBase
{
public:
    MenuBase(Connections &connections, int number, SettingsAccess &settings, Prompter &prompter, StoredTextCodec codec);

    static constexpr QStringView kTitle = u"Меню рационов";
    static constexpr int kRowColumns = 32; // l1 ... l32

    int number() const { return number_; }
    QSqlDatabase database() const;
    Connections &connections() const { return connections_; }
    SettingsAccess &settings() const { return settings_; }
    Prompter &prompter() const { return prompter_; }
    const StoredTextCodec &codec() const { return codec_; }
    QString table() const; // the ration rows table ("base_temp")

    // The ration's rows in ID order: one meal per distinct l27 in the order
    // met, one dish per run of rows of one recipe. A ration with no rows loads
    // empty.
    Result<Ration> load(const RationKey &key) const;
    // Replaces the ration's rows by the ration's positions, meal by meal and
    // dish by dish, in one transaction. The store itself does not test the
    // day lock: the editing commands go through RationEditing, which does.
    Status save(const Ration &ration) const;
    // Deletes the ration's rows; failures go to the error log.
    Status remove(const RationKey &key) const;
    bool exists(const RationKey &key) const;

    // Distinct (l26, l28, l29), sorted. A row with no date is a fault of the
    // base: the notice (switched off under sEmptyValueMenu) is shown once and
    // the row left out; a date that does not read is left out silently.
    Result<std::vector<RationListEntry>> list(RationOrder order = RationOrder::ByDate) const;
    // Days that hold a ration of the group (for a calendar).
    Result<std::vector<QDate>> daysOf(const QString &group) const;

    // Moves every row of the ration to another day. Refused when the ration
    // has no rows, either day is locked, or the day already holds a ration
    // of the group.
    Status changeDate(const RationKey &key, const QDate &newDate) const;
    // The same, asking for the new date ("Введите новую дату для рациона").
    Status changeDateAsking(const RationKey &key) const;
    // Deletes rations after the question: one by its own question, several by
    // the question with their count, each listed as "Удаляем: date [group]".
    // Refused, before any question, when one of them is locked. Returns how
    // many were deleted; 0 when the user declined.
    Result<int> removeRations(const std::vector<RationKey> &keys) const;

private:
    QString quoted(const QString &name) const;
    // " AND l28 = ?" or " AND (l28 IS NULL OR l28 = '')", with its parameter.
    QString groupFilter(const QString &group, QVariantList &params) const;
    void ensureIndexes() const;

    Connections &connections_;
    int number_;
    SettingsAccess &settings_;
    Prompter &prompter_;
    StoredTextCodec codec_;
    ErrorLog *log_;
    mutable bool indexed_ = false;
};

// The group as the menu screens show it: "(без имени)" for the empty one.
QString groupCaption(const QString &group);

} // namespace kulvera
