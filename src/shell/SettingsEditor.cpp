#include "shell/SettingsEditor.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "shell/BasePerIni.h"
#include "shell/SettingDefaultValue.h"
#include "shell/SettingDefaults.h"
#include "shell/SharedSettings.h"

namespace kulvera {
namespace {

const QString kDirBook = QStringLiteral("Dir_book");

bool hasControlCharacters(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

SettingsEditor::SettingsEditor(SettingsAccess &settings, SharedSettings &shared, Prompter &prompter,
    QString basePerIniPath, DefaultLookup otherDefaults)
    : settings_(settings)
    , shared_(shared)
    , prompter_(prompter)
    , basePerIniPath_(std::move(basePerIniPath))
{
    const auto defaultOf = [&](Section section, const QString &key) {
        if (auto own = settingDefaultValue(section, key))
            return *own;
        return otherDefaults ? otherDefaults(section, key).value_or(QString()) : QString();
    };
    for (const SettingEntry &e : settingCatalogue()) {
        const QString key = QString::fromUtf16(e.key);
        rows_.push_back({QString::fromUtf16(e.group), e.section, key, QString::fromUtf16(e.caption), e.kind,
            e.atRestart, e.advanced, defaultOf(e.section, key)});
    }
    // Every template the documents are filled from, named by its default file.
    const QString documents = settingGroups().at(2);
    for (const TemplateName &t : templateNames()) {
        const QString file = QString::fromUtf16(t.file);
        rows_.push_back({documents, Section::Documents, QString::fromUtf16(t.key),
            QStringLiteral("Шаблон документа ") + file, SettingKind::File, false, true, file});
    }
}

std::vector<int> SettingsEditor::find(const QString &text, bool withAdvanced) const
{
    const QString needle = text.trimmed();
    std::vector<int> found;
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
        const SettingRow &r = rows_[static_cast<std::size_t>(i)];
        if (r.advanced && !withAdvanced)
            continue;
        if (needle.isEmpty() || r.caption.contains(needle, Qt::CaseInsensitive)
            || r.key.contains(needle, Qt::CaseInsensitive))
            found.push_back(i);
    }
    return found;
}

bool SettingsEditor::isStored(int row) const
{
    const SettingRow &r = rows_.at(static_cast<std::size_t>(row));
    return settings_.contains(r.section, r.key);
}

QString SettingsEditor::storedOrDefault(int row) const
{
    const SettingRow &r = rows_.at(static_cast<std::size_t>(row));
    return settings_.get(r.section, r.key, r.defaultValue);
}

QString SettingsEditor::value(int row) const
{
    const auto it = pending_.find(row);
    if (it == pending_.end())
        return storedOrDefault(row);
    return it->second.value_or(rows_.at(static_cast<std::size_t>(row)).defaultValue);
}

QString SettingsEditor::normalised(const SettingRow &row, const QString &text) const
{
    if (row.kind == SettingKind::Flag) {
        const bool on = parseFlagText(text);
        if (isBoolKey(row.key))
            return on ? QStringLiteral("True") : QStringLiteral("False");
        return on ? QStringLiteral("1") : QStringLiteral("0");
    }
    if (row.kind == SettingKind::Number)
        return text.trimmed().replace(u'.', u',');
    if (row.kind == SettingKind::Integer || row.kind == SettingKind::Colour)
        return text.trimmed();
    return text;
}

bool SettingsEditor::setValue(int row, const QString &text)
{
    const SettingRow &r = rows_.at(static_cast<std::size_t>(row));
    const auto refuse = [&](const QString &what) {
        prompter_.warning(QStringLiteral("Значение «") + text.left(80) + QStringLiteral("» не подходит для настройки «")
            + r.caption + QStringLiteral("»: ") + what);
        return false;
    };
    if (hasControlCharacters(text))
        return refuse(QStringLiteral("управляющие символы недопустимы."));
    bool ok = true;
    if (r.kind == SettingKind::Integer)
        text.trimmed().toInt(&ok);
    else if (r.kind == SettingKind::Colour)
        text.trimmed().toLongLong(&ok);
    if (!ok)
        return refuse(QStringLiteral("нужно целое число."));
    if (r.kind == SettingKind::Number && !parseNumber(text.trimmed()))
        return refuse(QStringLiteral("нужно число."));

    const QString next = normalised(r, text);
    // Only a value that differs from what the program reads now is an edit.
    if (next == normalised(r, storedOrDefault(row)))
        pending_.erase(row);
    else
        pending_[row] = next;
    return true;
}

void SettingsEditor::restoreDefault(int row)
{
    if (isStored(row))
        pending_[row] = std::nullopt;
    else
        pending_.erase(row);
}

Status SettingsEditor::apply()
{
    waiting_.clear();
    if (pending_.empty())
        return {};
    for (const auto &[row, edit] : pending_) {
        const SettingRow &r = rows_.at(static_cast<std::size_t>(row));
        if (edit)
            settings_.save(r.section, r.key, *edit);
        else
            settings_.remove(r.section, r.key);
        if (r.atRestart)
            waiting_.append(r.caption);
        else
            shared_.set(r.section, r.key, settings_.get(r.section, r.key, r.defaultValue));
    }
    pending_.clear();
    // The file names the databases folder the next start will use.
    QString nextDirBook;
    for (const SettingRow &r : rows_) {
        if (r.section == Section::Data && r.key == kDirBook)
            nextDirBook = settings_.get(r.section, r.key, r.defaultValue);
    }
    return writeBasePerIni(basePerIniPath_, settings_, shared_, prompter_, nextDirBook);
}

} // namespace kulvera
