#include "shell/INI_Work.h"

#include "common/CodePage.h"
#include "common/Prompter.h"

#include <QFile>
#include <QSaveFile>

#include <filesystem>

namespace kulvera {
namespace {

char16_t foldedUnit(char16_t u)
{
    if (u < 0x80)
        return u >= u'A' && u <= u'Z' ? static_cast<char16_t>(u + (u'a' - u'A')) : u;
    return static_cast<char16_t>(QChar::toCaseFolded(static_cast<char32_t>(u)));
}

} // namespace

bool operator==(const INI_Work::CaselessName &a, const INI_Work::CaselessName &b)
{
    const qsizetype n = a.text.size();
    if (n != b.text.size())
        return false;
    const QChar *x = a.text.constData();
    const QChar *y = b.text.constData();
    for (qsizetype i = 0; i < n; ++i) {
        if (x[i] != y[i] && foldedUnit(x[i].unicode()) != foldedUnit(y[i].unicode()))
            return false;
    }
    return true;
}

size_t qHash(const INI_Work::CaselessName &key, size_t seed)
{
    size_t h = 14695981039346656037ULL;
    const QChar *p = key.text.constData();
    for (qsizetype i = 0, n = key.text.size(); i < n; ++i)
        h = (h ^ foldedUnit(p[i].unicode())) * 1099511628211ULL;
    return h ^ seed;
}

void INI_Work::setFilename(const QString &fileName)
{
    fileName_ = fileName;
    sections_.clear();
    index_.clear();
    repeated_.clear();
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
    index_.clear();
    repeated_.clear();
    SectionData *current = nullptr;
    const QStringView all(text);
    for (qsizetype start = 0; start < all.size();) {
        qsizetype end = all.indexOf(u'\n', start);
        if (end < 0)
            end = all.size();
        QStringView line = all.mid(start, end - start);
        start = end + 1;
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
            if (find(name))
                repeated_ << name;
            current = &section(name);
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!current || equals < 1)
            continue;
        put(*current, line.left(equals).trimmed().toString(), line.mid(equals + 1).trimmed().toString());
    }
}

INI_Work::SectionData *INI_Work::find(const QString &section)
{
    const auto it = index_.constFind(CaselessName {section});
    return it == index_.constEnd() ? nullptr : &sections_[*it];
}

INI_Work::SectionData &INI_Work::section(const QString &name)
{
    const auto it = index_.constFind(CaselessName {name});
    if (it != index_.constEnd())
        return sections_[*it];
    // Sections of one file tend to be alike (a recipe file's positions all
    // have the same keys): room for as many values as the last one had.
    const size_t expected = sections_.empty() ? 0 : sections_.back().entries.size();
    index_.insert(CaselessName {name}, sections_.size());
    sections_.push_back({name, {}, {}});
    SectionData &added = sections_.back();
    // Only when there is something to expect: an index reserved for nothing
    // still takes a block, and a file of bare section names would cost
    // dozens of times its size.
    if (expected > 0) {
        added.entries.reserve(expected);
        added.index.reserve(static_cast<qsizetype>(expected));
    }
    return added;
}

void INI_Work::put(SectionData &s, const QString &name, const QString &value)
{
    // One lookup: a new name grows the index by one.
    const qsizetype before = s.index.size();
    size_t &at = s.index[CaselessName {name}];
    if (s.index.size() == before) {
        s.entries[at].value = value;
        return;
    }
    at = s.entries.size();
    s.entries.push_back({name, value});
}

void INI_Work::reindex()
{
    index_.clear();
    for (size_t i = 0; i < sections_.size(); ++i)
        index_.insert(CaselessName {sections_[i].name}, i);
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
    this->section(section);
}

void INI_Work::RemoveSection(const QString &section)
{
    const CaselessName key {section};
    if (std::erase_if(sections_, [&](const SectionData &s) { return CaselessName {s.name} == key; }) > 0)
        reindex();
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
    return s && s->index.contains(CaselessName {name});
}

QString INI_Work::Value(const QString &section, const QString &name) const
{
    if (const SectionData *s = find(section)) {
        const auto it = s->index.constFind(CaselessName {name});
        if (it != s->index.constEnd())
            return s->entries[*it].value;
    }
    return {};
}

std::optional<QString> INI_Work::ValueIfExists(const QString &section, const QString &name) const
{
    if (const SectionData *s = find(section)) {
        const auto it = s->index.constFind(CaselessName {name});
        if (it != s->index.constEnd())
            return s->entries[*it].value;
    }
    return std::nullopt;
}

void INI_Work::setValue(const QString &section, const QString &name, const QString &value)
{
    put(this->section(section), name, value);
}

void INI_Work::RemoveValue(const QString &section, const QString &name)
{
    SectionData *s = find(section);
    const CaselessName key {name};
    if (!s || !s->index.contains(key))
        return;
    std::erase_if(s->entries, [&](const Entry &e) { return CaselessName {e.name} == key; });
    s->index.clear();
    for (size_t i = 0; i < s->entries.size(); ++i)
        s->index.insert(CaselessName {s->entries[i].name}, i);
}

std::optional<std::pair<QString, QString>> INI_Work::firstValueLongerThan(qsizetype limit) const
{
    for (const SectionData &s : sections_) {
        for (const Entry &e : s.entries) {
            if (e.value.size() > limit)
                return std::pair {s.name, e.name};
        }
    }
    return std::nullopt;
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

Status INI_Work::writeTo(const QString &fileName, bool sync) const
{
    const QByteArray bytes = encodeCodePage(toText(), CodePage::Cp1251);
    if (!sync) {
        const QString temp = fileName + QStringLiteral(".part");
        QFile file(temp);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return Status::failure(file.errorString());
        // The bytes sit in the buffer until flushed: a full disk shows there.
        const bool written = file.write(bytes) == bytes.size() && file.flush();
        file.close();
        std::error_code error;
        if (written)
            std::filesystem::rename(
                QFile::encodeName(temp).toStdString(), QFile::encodeName(fileName).toStdString(), error);
        if (!written || error) {
            QFile::remove(temp);
            return Status::failure(written ? QString::fromStdString(error.message()) : file.errorString());
        }
        return {};
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return Status::failure(file.errorString());
    // commit() misses a write that fails while it flushes the buffer: flush first.
    if (file.write(bytes) != bytes.size() || !file.flush())
        return Status::failure(file.errorString());
    if (!file.commit())
        return Status::failure(file.errorString());
    return {};
}

} // namespace kulvera
