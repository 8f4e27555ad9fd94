#pragma once

#include "common/Result.h"
#include "shell/SettingCatalogue.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace kulvera {

class Prompter;
class SettingsAccess;
class SharedSettings;

// One setting as the settings forms list it.
struct SettingRow {
    QString group;
    Section section;
    QString key;
    QString caption;
    SettingKind kind;
    bool atRestart;
    bool advanced;
    QString defaultValue;
};

// The editing rules of the settings forms, apart from any widget: edits are
// kept until applied, then only the keys whose value changed are written (a
// key restored to its default is deleted), the start-up snapshot follows the
// settings that take effect at once, and "base_per.ini" is written again.
class SettingsEditor
{
public:
    // Defaults that live outside the settings table (the card template's
    // cells, the databases folder of this installation).
    using DefaultLookup = std::function<std::optional<QString>(Section, const QString &)>;

    SettingsEditor(SettingsAccess &settings, SharedSettings &shared, Prompter &prompter, QString basePerIniPath,
        DefaultLookup otherDefaults = {});

    const std::vector<SettingRow> &rows() const { return rows_; }
    // Rows whose caption or key holds `text` (letter case ignored), in the
    // catalogue's order; the basic form leaves the advanced rows out.
    std::vector<int> find(const QString &text, bool withAdvanced) const;

    // The value the row shows: the edit, else the stored value, else the default.
    QString value(int row) const;
    bool isStored(int row) const;
    bool isEdited(int row) const { return pending_.count(row) != 0; }
    bool hasEdits() const { return !pending_.empty(); }

    // Refuses (with a message, keeping the old value) what the row's kind cannot hold.
    bool setValue(int row, const QString &text);
    void restoreDefault(int row);
    void discard() { pending_.clear(); }

    // Writes the edits. The captions of applied settings that take effect at
    // the next start are kept for the form to tell.
    Status apply();
    const QStringList &waitingForRestart() const { return waiting_; }

private:
    QString storedOrDefault(int row) const;
    QString normalised(const SettingRow &row, const QString &text) const;

    SettingsAccess &settings_;
    SharedSettings &shared_;
    Prompter &prompter_;
    QString basePerIniPath_;
    std::vector<SettingRow> rows_;
    std::map<int, std::optional<QString>> pending_; // nullopt: delete the key
    QStringList waiting_;
};

} // namespace kulvera
