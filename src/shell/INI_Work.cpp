#include "shell/INI_Work.h"

#include "common/CodePage.h"
#include "common/Prompter.h"

#include <QFile>
#include <QSaveFile>

namespace kulvera {
namespace {

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

void INI_Work::setFilename(const QString &fileName)
{
    fileName_ = fileName;
    sections_.clear();
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly)) {
        QByteArray bytes = file.readAll();
        file.close();
        if (bytes.startsWith("\xEF\xBB\xBF"))
            loadText(QString::fromUtf8(bytes.mid(3)));
        else
            loadText(decodeCodePage(bytes, CodePage::Cp1251));
    }
    if (prompter_)
        prompter_->status(QStringLiteral("Файл закрыт"));
}

void INI_Work::loadText(const QString &text)
{
    sections_.clear();
    SectionData *current = nullptr;
    const auto lines = QStringView(text).split(u'\n');
    for (QStringView line : lines) {
        const qsizetype comment = line.indexOf(u';');
        if (comment >= 0)
            line = line.left(comment);
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'[')) {
            // "]" must close a name of at least one character.
            const qsizetype close = line.indexOf(u']');
            if (close < 2)
                continue;
            const QString name = line.mid(1, close - 1).toString();
            AddSection(name);
            current = find(name);
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!current || equals < 1)
            continue;
        setValue(current->name, line.left(equals).trimmed().toString(), line.mid(equals + 1).trimmed().toString());
    }
}

INI_Work::SectionData *INI_Work::find(const QString &section)
{
    for (SectionData &s : sections_) {
        if (sameName(s.name, section))
            return &s;
    }
    return nullptr;
}

const INI_Work::SectionData *INI_Work::find(const QString &section) const
{
    return const_cast<INI_Work *>(this)->find(section);
}

QString INI_Work::SectionName(int index) const
{
    if (index < 0 || index >= SectionsCount())
        return {};
    return sections_[static_cast<size_t>(index)].name;
}

bool INI_Work::SectionExists(const QString &section) const
{
    return find(section) != nullptr;
}

void INI_Work::AddSection(const QString &section)
{
    if (!find(section))
        sections_.push_back({section, {}});
}

void INI_Work::RemoveSection(const QString &section)
{
    std::erase_if(sections_, [&](const SectionData &s) { return sameName(s.name, section); });
}

int INI_Work::ValuesCount(const QString &section) const
{
    const SectionData *s = find(section);
    return s ? static_cast<int>(s->entries.size()) : 0;
}

QString INI_Work::ValueName(const QString &section, int index) const
{
    const SectionData *s = find(section);
    if (!s || index < 0 || index >= static_cast<int>(s->entries.size()))
        return {};
    return s->entries[static_cast<size_t>(index)].name;
}

bool INI_Work::ValueExists(const QString &section, const QString &name) const
{
    const SectionData *s = find(section);
    return s
        && std::any_of(s->entries.begin(), s->entries.end(), [&](const Entry &e) { return sameName(e.name, name); });
}

QString INI_Work::Value(const QString &section, const QString &name) const
{
    if (const SectionData *s = find(section)) {
        for (const Entry &e : s->entries) {
            if (sameName(e.name, name))
                return e.value;
        }
    }
    return {};
}

void INI_Work::setValue(const QString &section, const QString &name, const QString &value)
{
    AddSection(section);
    SectionData *s = find(section);
    for (Entry &e : s->entries) {
        if (sameName(e.name, name)) {
            e.value = value;
            return;
        }
    }
    s->entries.push_back({name, value});
}

void INI_Work::RemoveValue(const QString &section, const QString &name)
{
    if (SectionData *s = find(section))
        std::erase_if(s->entries, [&](const Entry &e) { return sameName(e.name, name); });
}

QString INI_Work::toText() const
{
    QString text;
    for (const SectionData &s : sections_) {
        text += u'[' + s.name + QStringLiteral("]\r\n");
        for (const Entry &e : s.entries)
            text += e.name + u'=' + e.value + QStringLiteral("\r\n");
        text += QStringLiteral("\r\n");
    }
    return text;
}

Status INI_Work::UpdateFile() const
{
    QSaveFile file(fileName_);
    if (!file.open(QIODevice::WriteOnly))
        return Status::failure(file.errorString());
    const QByteArray bytes = encodeCodePage(toText(), CodePage::Cp1251);
    if (file.write(bytes) != bytes.size())
        return Status::failure(file.errorString());
    if (!file.commit())
        return Status::failure(file.errorString());
    return {};
}

} // namespace kulvera
