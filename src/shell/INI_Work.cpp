#include "shell/INI_Work.h"

#include "common/CodePage.h"
#include "common/Prompter.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <numeric>

namespace kulvera {
namespace {

constexpr std::uint32_t kOwned = 0x80000000u;
constexpr std::uint32_t kRespelled = 0x80000000u;
constexpr std::uint32_t kRemoved = 0xFFFFFFFFu;
// Offsets are 31 bits: the flags take the top bit.
constexpr qsizetype kMaxText = 0x7FFFFFF0;
constexpr size_t kNotFound = static_cast<size_t>(-1);

char16_t foldedUnit(char16_t u)
{
    if (u < 0x80)
        return u >= u'A' && u <= u'Z' ? static_cast<char16_t>(u + (u'a' - u'A')) : u;
    return static_cast<char16_t>(QChar::toCaseFolded(static_cast<char32_t>(u)));
}

bool equalCaseless(QStringView a, QStringView b)
{
    const qsizetype n = a.size();
    if (n != b.size())
        return false;
    for (qsizetype i = 0; i < n; ++i) {
        if (a[i] != b[i] && foldedUnit(a[i].unicode()) != foldedUnit(b[i].unicode()))
            return false;
    }
    return true;
}

// An order in which names equal without regard to case are neighbours.
int compareCaseless(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (a[i] == b[i])
            continue;
        const char16_t x = foldedUnit(a[i].unicode());
        const char16_t y = foldedUnit(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

size_t caselessHash(QStringView name)
{
    size_t h = 14695981039346656037ULL;
    for (const QChar c : name)
        h = (h ^ foldedUnit(c.unicode())) * 1099511628211ULL;
    return h;
}

enum class LineKind { Nothing, Header, Entry };

// Calls `f(kind, at)` for every line of the text: for a section header `at`
// is where its name begins (after "["), for a name=value line where the name
// begins. A ";" ends the line's content; blanks around it do not count.
template <class F> void forEachLine(QStringView all, F f)
{
    for (qsizetype start = 0; start < all.size();) {
        qsizetype end = all.indexOf(u'\n', start);
        if (end < 0)
            end = all.size();
        QStringView line = all.mid(start, end - start);
        const qsizetype lineStart = start;
        start = end + 1;
        const qsizetype comment = line.indexOf(u';');
        if (comment >= 0)
            line = line.left(comment);
        qsizetype first = 0;
        while (first < line.size() && line[first].isSpace())
            ++first;
        line = line.mid(first).trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'[')) {
            // "]" must close a name of at least one character.
            if (line.indexOf(u']') >= 2)
                f(LineKind::Header, lineStart + first + 1);
            continue;
        }
        if (line.indexOf(u'=') >= 1)
            f(LineKind::Entry, lineStart + first);
    }
}

} // namespace

bool operator==(const INI_Work::CaselessName &a, const INI_Work::CaselessName &b)
{
    return equalCaseless(a.text, b.text);
}

size_t qHash(const INI_Work::CaselessName &key, size_t seed)
{
    return caselessHash(key.text) ^ seed;
}

namespace {

// The name of a name=value line that begins at `at`, and its value.
QStringView nameAt(QStringView all, std::uint32_t at)
{
    const QStringView rest = all.mid(at);
    return rest.left(rest.indexOf(u'=')).trimmed();
}

QStringView valueAt(QStringView all, std::uint32_t at)
{
    const QStringView rest = all.mid(at);
    const QStringView tail = rest.mid(rest.indexOf(u'=') + 1);
    qsizetype end = 0;
    while (end < tail.size() && tail[end] != u'\n' && tail[end] != u';')
        ++end;
    return tail.left(end).trimmed();
}

QStringView headerNameAt(QStringView all, std::uint32_t at)
{
    const QStringView rest = all.mid(at);
    return rest.left(rest.indexOf(u']'));
}

} // namespace

void INI_Work::clearContent()
{
    text_ = QString();
    sections_ = {};
    entries_ = {};
    order_ = {};
    respelled_ = {};
    owned_ = {};
    slots_ = {};
    repeated_ = {};
    repeatedNames_.reset();
}

void INI_Work::setFilename(const QString &fileName)
{
    fileName_ = fileName;
    clearContent();
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly)) {
        QByteArray bytes = file.readAll();
        file.close();
        const QString text = bytes.startsWith("\xEF\xBB\xBF") ? QString::fromUtf8(QByteArrayView(bytes).sliced(3))
                                                              : decodeCodePage(bytes, CodePage::Cp1251);
        bytes = QByteArray(); // only the text is kept
        loadText(text);
    }
    if (prompter_)
        prompter_->status(QStringLiteral("Файл закрыт"));
}

void INI_Work::loadText(const QString &text)
{
    clearContent();
    text_ = text.size() > kMaxText ? text.left(kMaxText) : text;
    const QStringView all(text_);
    // Counted first, so every table is allocated once at its size.
    size_t headers = 0;
    size_t values = 0;
    forEachLine(all, [&](LineKind kind, qsizetype) { ++(kind == LineKind::Header ? headers : values); });
    sections_.reserve(headers);
    entries_.reserve(values);
    buildIndex(headers);
    bool inSection = false;
    forEachLine(all, [&](LineKind kind, qsizetype at) {
        const auto offset = static_cast<std::uint32_t>(at);
        if (kind == LineKind::Entry) {
            if (inSection)
                entries_.push_back(offset);
            return;
        }
        inSection = true;
        if (lookup(headerNameAt(all, offset)) != kNotFound) {
            repeated_.push_back(offset);
            return;
        }
        sections_.push_back({offset, static_cast<std::uint32_t>(entries_.size())});
        addToIndex(sections_.size() - 1);
    });
    if (!repeated_.empty()) {
        // Room was made for every header as a section of its own.
        repeated_.shrink_to_fit();
        sections_.shrink_to_fit();
        groupRepeatedSections();
        buildIndex(sections_.size());
    }
    sortEntries();
}

void INI_Work::groupRepeatedSections()
{
    // The lines under a repeated header belong to the section's first one:
    // the entries are ordered by section again, in file order within each.
    const QStringView all(text_);
    const auto walk = [&](auto onEntry) {
        size_t current = kNotFound;
        forEachLine(all, [&](LineKind kind, qsizetype at) {
            if (kind == LineKind::Header)
                current = lookup(headerNameAt(all, static_cast<std::uint32_t>(at)));
            else if (current != kNotFound)
                onEntry(current, static_cast<std::uint32_t>(at));
        });
    };
    std::vector<std::uint32_t> next(sections_.size() + 1, 0);
    walk([&](size_t s, std::uint32_t) { ++next[s + 1]; });
    std::partial_sum(next.begin(), next.end(), next.begin());
    for (size_t s = 0; s < sections_.size(); ++s)
        sections_[s].first = next[s];
    std::vector<std::uint32_t> grouped(entries_.size());
    walk([&](size_t s, std::uint32_t at) { grouped[next[s]++] = at; });
    entries_ = std::move(grouped);
}

void INI_Work::sortEntries()
{
    const QStringView all(text_);
    const size_t loaded = entries_.size();
    order_.resize(loaded);
    size_t write = 0;
    for (size_t s = 0; s < sections_.size(); ++s) {
        const size_t begin = sections_[s].first;
        const size_t end = s + 1 < sections_.size() ? sections_[s + 1].first : loaded;
        sections_[s].first = static_cast<std::uint32_t>(write);
        std::uint32_t *line = entries_.data() + begin;
        std::uint32_t *order = order_.data() + begin;
        size_t n = end - begin;
        // A respelled line's own name differs from the first spelling only in case.
        const auto byName = [&](std::uint32_t a, std::uint32_t b) {
            const int c = compareCaseless(nameAt(all, line[a] & ~kRespelled), nameAt(all, line[b] & ~kRespelled));
            return c < 0 || (c == 0 && a < b);
        };
        std::iota(order, order + n, 0u);
        std::sort(order, order + n, byName);
        bool removed = false;
        for (size_t i = 0; i < n;) {
            const QStringView name = nameAt(all, line[order[i]]);
            size_t j = i + 1;
            while (j < n && equalCaseless(name, nameAt(all, line[order[j]])))
                ++j;
            if (j - i > 1) {
                // A name set twice: its first place and spelling, its last value.
                const std::uint32_t last = line[order[j - 1]];
                for (size_t k = i + 1; k < j; ++k)
                    line[order[k]] = kRemoved;
                if (nameAt(all, last) != name) {
                    respelled_.emplace_back(last, line[order[i]]);
                    line[order[i]] = last | kRespelled;
                } else {
                    line[order[i]] = last;
                }
                removed = true;
            }
            i = j;
        }
        if (removed) {
            n = static_cast<size_t>(std::remove(line, line + n, kRemoved) - line);
            std::iota(order, order + n, 0u);
            std::sort(order, order + n, byName);
        }
        if (write != begin) {
            std::memmove(entries_.data() + write, line, n * sizeof(std::uint32_t));
            std::memmove(order_.data() + write, order, n * sizeof(std::uint32_t));
        }
        write += n;
    }
    entries_.resize(write);
    order_.resize(write);
    if (entries_.capacity() > write) {
        entries_.shrink_to_fit();
        order_.shrink_to_fit();
    }
    std::sort(respelled_.begin(), respelled_.end());
}

void INI_Work::buildIndex(size_t expected)
{
    size_t capacity = 8;
    int bits = 3;
    while (capacity * 4 < expected * 5) {
        capacity *= 2;
        ++bits;
    }
    slots_ = std::vector<std::uint32_t>(capacity, 0); // assign() would keep a larger block
    slotShift_ = 64 - bits;
    for (size_t s = 0; s < sections_.size(); ++s)
        placeInIndex(s);
}

void INI_Work::placeInIndex(size_t section)
{
    const size_t mask = slots_.size() - 1;
    size_t i = (caselessHash(sectionName(section)) * 0x9E3779B97F4A7C15ULL) >> slotShift_;
    while (slots_[i] != 0)
        i = (i + 1) & mask;
    slots_[i] = static_cast<std::uint32_t>(section + 1);
}

void INI_Work::addToIndex(size_t section)
{
    if (slots_.empty() || sections_.size() * 5 > slots_.size() * 4)
        buildIndex(sections_.size() * 2);
    else
        placeInIndex(section);
}

size_t INI_Work::lookup(QStringView name) const
{
    if (slots_.empty())
        return kNotFound;
    const size_t mask = slots_.size() - 1;
    for (size_t i = (caselessHash(name) * 0x9E3779B97F4A7C15ULL) >> slotShift_;; i = (i + 1) & mask) {
        const std::uint32_t slot = slots_[i];
        if (slot == 0)
            return kNotFound;
        if (equalCaseless(sectionName(slot - 1), name))
            return slot - 1;
    }
}

std::optional<size_t> INI_Work::findSection(const QString &name) const
{
    const size_t found = lookup(name);
    return found == kNotFound ? std::nullopt : std::optional<size_t>(found);
}

bool INI_Work::isOwned(size_t section) const
{
    return (sections_[section].name & kOwned) != 0;
}

QStringView INI_Work::sectionName(size_t section) const
{
    const std::uint32_t name = sections_[section].name;
    if (name & kOwned)
        return owned_[name & ~kOwned].name;
    return headerNameAt(text_, name);
}

size_t INI_Work::entriesEnd(size_t section) const
{
    return section + 1 < sections_.size() ? sections_[section + 1].first : entries_.size();
}

size_t INI_Work::count(size_t section) const
{
    if (isOwned(section))
        return owned_[sections_[section].name & ~kOwned].entries.size();
    return entriesEnd(section) - sections_[section].first;
}

QStringView INI_Work::entryName(std::uint32_t entry) const
{
    if (entry & kRespelled) {
        const std::uint32_t at = entry & ~kRespelled;
        const auto it
            = std::lower_bound(respelled_.begin(), respelled_.end(), std::pair<std::uint32_t, std::uint32_t>(at, 0));
        return nameAt(text_, it->second);
    }
    return nameAt(text_, entry);
}

QStringView INI_Work::entryValue(std::uint32_t entry) const
{
    return valueAt(text_, entry & ~kRespelled);
}

std::optional<size_t> INI_Work::findEntry(size_t section, QStringView name) const
{
    const QStringView all(text_);
    const size_t begin = sections_[section].first;
    const std::uint32_t *line = entries_.data() + begin;
    const std::uint32_t *order = order_.data() + begin;
    const std::uint32_t *end = order + (entriesEnd(section) - begin);
    const std::uint32_t *it = std::lower_bound(order, end, name,
        [&](std::uint32_t o, QStringView key) { return compareCaseless(nameAt(all, line[o] & ~kRespelled), key) < 0; });
    if (it != end && equalCaseless(nameAt(all, line[*it] & ~kRespelled), name))
        return begin + *it;
    return std::nullopt;
}

INI_Work::OwnedSection &INI_Work::own(size_t section)
{
    if (isOwned(section))
        return owned_[sections_[section].name & ~kOwned];
    OwnedSection owned;
    owned.name = sectionName(section).toString();
    const size_t begin = sections_[section].first;
    const size_t end = entriesEnd(section);
    owned.entries.reserve(end - begin);
    owned.index.reserve(static_cast<qsizetype>(end - begin));
    for (size_t e = begin; e < end; ++e) {
        owned.entries.push_back({entryName(entries_[e]).toString(), entryValue(entries_[e]).toString()});
        owned.index.insert(CaselessName {owned.entries.back().name}, e - begin);
    }
    // Its loaded entries stay where they are: the next section's `first` still ends them.
    owned_.push_back(std::move(owned));
    sections_[section].name = kOwned | static_cast<std::uint32_t>(owned_.size() - 1);
    return owned_.back();
}

size_t INI_Work::sectionFor(const QString &name)
{
    if (const auto found = findSection(name))
        return *found;
    // Sections of one file tend to be alike (a recipe file's positions all
    // have the same keys): room for as many values as the last one had.
    // Only when there is something to expect: an index reserved for nothing
    // still takes a block.
    const size_t expected = sections_.empty() ? 0 : count(sections_.size() - 1);
    OwnedSection added {name, {}, {}};
    if (expected > 0) {
        added.entries.reserve(expected);
        added.index.reserve(static_cast<qsizetype>(expected));
    }
    owned_.push_back(std::move(added));
    sections_.push_back(
        {kOwned | static_cast<std::uint32_t>(owned_.size() - 1), static_cast<std::uint32_t>(entries_.size())});
    addToIndex(sections_.size() - 1);
    return sections_.size() - 1;
}

void INI_Work::put(OwnedSection &s, const QString &name, const QString &value)
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

QString INI_Work::SectionName(int index) const
{
    if (index < 0 || index >= SectionsCount())
        return {};
    return sectionName(static_cast<size_t>(index)).toString();
}

bool INI_Work::SectionExists(const QString &section) const
{
    return lookup(section) != kNotFound;
}

void INI_Work::AddSection(const QString &section)
{
    sectionFor(section);
}

void INI_Work::RemoveSection(const QString &section)
{
    const size_t s = lookup(section);
    if (s == kNotFound)
        return;
    const size_t begin = sections_[s].first;
    const size_t end = entriesEnd(s);
    entries_.erase(
        entries_.begin() + static_cast<std::ptrdiff_t>(begin), entries_.begin() + static_cast<std::ptrdiff_t>(end));
    order_.erase(
        order_.begin() + static_cast<std::ptrdiff_t>(begin), order_.begin() + static_cast<std::ptrdiff_t>(end));
    for (size_t t = s + 1; t < sections_.size(); ++t)
        sections_[t].first -= static_cast<std::uint32_t>(end - begin);
    if (isOwned(s))
        owned_[sections_[s].name & ~kOwned] = {};
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(s));
    buildIndex(sections_.size());
}

int INI_Work::ValuesCount(const QString &section) const
{
    const size_t s = lookup(section);
    return s == kNotFound ? 0 : static_cast<int>(count(s));
}

QString INI_Work::ValueName(const QString &section, int index) const
{
    const size_t s = lookup(section);
    if (s == kNotFound || index < 0 || static_cast<size_t>(index) >= count(s))
        return {};
    if (isOwned(s))
        return owned_[sections_[s].name & ~kOwned].entries[static_cast<size_t>(index)].name;
    return entryName(entries_[sections_[s].first + static_cast<size_t>(index)]).toString();
}

bool INI_Work::ValueExists(const QString &section, const QString &name) const
{
    return ValueIfExists(section, name).has_value();
}

QString INI_Work::Value(const QString &section, const QString &name) const
{
    return ValueIfExists(section, name).value_or(QString());
}

std::optional<QString> INI_Work::ValueIfExists(const QString &section, const QString &name) const
{
    const size_t s = lookup(section);
    if (s == kNotFound)
        return std::nullopt;
    if (isOwned(s)) {
        const OwnedSection &owned = owned_[sections_[s].name & ~kOwned];
        const auto it = owned.index.constFind(CaselessName {name});
        if (it == owned.index.constEnd())
            return std::nullopt;
        return owned.entries[*it].value;
    }
    if (const auto e = findEntry(s, name))
        return entryValue(entries_[*e]).toString();
    return std::nullopt;
}

void INI_Work::setValue(const QString &section, const QString &name, const QString &value)
{
    put(own(sectionFor(section)), name, value);
}

void INI_Work::RemoveValue(const QString &section, const QString &name)
{
    const size_t s = lookup(section);
    if (s == kNotFound || (!isOwned(s) && !findEntry(s, name)))
        return;
    OwnedSection &owned = own(s);
    const CaselessName key {name};
    if (!owned.index.contains(key))
        return;
    std::erase_if(owned.entries, [&](const Entry &e) { return CaselessName {e.name} == key; });
    owned.index.clear();
    for (size_t i = 0; i < owned.entries.size(); ++i)
        owned.index.insert(CaselessName {owned.entries[i].name}, i);
}

std::optional<std::pair<QString, QString>> INI_Work::firstValueLongerThan(qsizetype limit) const
{
    for (size_t s = 0; s < sections_.size(); ++s) {
        if (isOwned(s)) {
            for (const Entry &e : owned_[sections_[s].name & ~kOwned].entries) {
                if (e.value.size() > limit)
                    return std::pair {sectionName(s).toString(), e.name};
            }
            continue;
        }
        for (size_t e = sections_[s].first, end = entriesEnd(s); e < end; ++e) {
            if (entryValue(entries_[e]).size() > limit)
                return std::pair {sectionName(s).toString(), entryName(entries_[e]).toString()};
        }
    }
    return std::nullopt;
}

const QStringList &INI_Work::repeatedSections() const
{
    if (!repeatedNames_) {
        QStringList names;
        names.reserve(static_cast<qsizetype>(repeated_.size()));
        for (const std::uint32_t at : repeated_)
            names << headerNameAt(text_, at).toString();
        repeatedNames_ = std::move(names);
    }
    return *repeatedNames_;
}

std::optional<QString> INI_Work::firstRepeatedSection() const
{
    if (repeated_.empty())
        return std::nullopt;
    return headerNameAt(text_, repeated_.front()).toString();
}

QString INI_Work::toText() const
{
    QString text;
    text.reserve(text_.size());
    const auto line = [&](QStringView name, QStringView value) {
        text += name;
        text += u'=';
        text += value;
        text += QStringLiteral("\r\n");
    };
    for (size_t s = 0; s < sections_.size(); ++s) {
        text += u'[';
        text += sectionName(s);
        text += QStringLiteral("]\r\n");
        if (isOwned(s)) {
            for (const Entry &e : owned_[sections_[s].name & ~kOwned].entries)
                line(e.name, e.value);
        } else {
            for (size_t e = sections_[s].first, end = entriesEnd(s); e < end; ++e)
                line(entryName(entries_[e]), entryValue(entries_[e]));
        }
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
