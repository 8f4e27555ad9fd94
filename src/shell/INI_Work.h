#pragma once

#include "common/Result.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace kulvera {

class Prompter;

// An INI file in memory: sections of name=value pairs, read and written in
// code page 1251 (a file that starts with a UTF-8 byte order mark is read as
// UTF-8). Section and value names compare without regard to letter case;
// setting an existing name replaces its value. Used for "base_per.ini",
// "INI_menu.ini" and the recipe and menu exchange files.
//
// A loaded text is kept once, as it was read; its sections and values are
// offsets into it, decoded when asked for, so a file of any shape costs a few
// times its size. A section that is changed afterwards, or added, holds its
// own strings.
class INI_Work
{
public:
    explicit INI_Work(Prompter *prompter = nullptr)
        : prompter_(prompter)
    {
    }

    QString Filename() const { return fileName_; }
    // Assigning a file name loads it (a missing file gives an empty content).
    void setFilename(const QString &fileName);
    // Parses text that is already in memory (the rules of setFilename). Only
    // the first 2^31 - 16 characters are read.
    void loadText(const QString &text);

    int SectionsCount() const { return static_cast<int>(sections_.size()); }
    QString SectionName(int index) const;
    bool SectionExists(const QString &section) const;
    void AddSection(const QString &section);
    void RemoveSection(const QString &section);

    int ValuesCount(const QString &section) const;
    QString ValueName(const QString &section, int index) const;
    bool ValueExists(const QString &section, const QString &name) const;
    QString Value(const QString &section, const QString &name) const;
    // The value when the name exists (one lookup instead of two).
    std::optional<QString> ValueIfExists(const QString &section, const QString &name) const;
    // Adds the section when missing; replaces an existing value.
    void setValue(const QString &section, const QString &name, const QString &value);
    void AddValue(const QString &section, const QString &name, const QString &value) { setValue(section, name, value); }
    void RemoveValue(const QString &section, const QString &name);

    // The first value longer than `limit` characters, as (section, name);
    // nothing when there is none. One pass, no lookups.
    std::optional<std::pair<QString, QString>> firstValueLongerThan(qsizetype limit) const;

    // Sections whose header stood more than once in the text last loaded (the
    // later lines were merged into the first); readers of exchange files
    // treat such a file as damaged. The list is made at the first call (not
    // to be called from two threads at once); a reader that only needs to
    // know asks for the first.
    const QStringList &repeatedSections() const;
    std::optional<QString> firstRepeatedSection() const;

    // The content as written: "[name]", name=value lines, an empty line after each section.
    QString toText() const;
    // Writes the content to Filename() through a temporary file, so a failed
    // write leaves the old file whole.
    Status UpdateFile() const { return writeTo(fileName_); }
    // Writes the content to another file the same way (Filename() stays).
    // Without `sync` the file is not forced to the disk before it replaces
    // the old one: still whole or absent after a crash of the program, and
    // fast enough to write thousands of files in a row.
    Status writeTo(const QString &fileName, bool sync = true) const;

    // A name compared and hashed without regard to letter case, folded
    // character by character as it is read (lookups allocate nothing).
    struct CaselessName {
        QString text;
        friend bool operator==(const CaselessName &a, const CaselessName &b);
        friend size_t qHash(const CaselessName &key, size_t seed);
    };

private:
    struct Entry {
        QString name;
        QString value;
    };
    // A section changed after loading, or added: its own strings.
    struct OwnedSection {
        QString name;
        std::vector<Entry> entries;
        QHash<CaselessName, size_t> index; // name -> entry
    };
    // A section: its name at `name` in text_ (after "["), or, with kOwned
    // set, owned_[name & ~kOwned]. Its loaded entries are entries_[first]
    // up to the next section's `first`.
    struct SectionRef {
        std::uint32_t name;
        std::uint32_t first;
    };

    void clearContent();
    void buildIndex(size_t expected);
    void addToIndex(size_t section);
    void placeInIndex(size_t section);
    size_t lookup(QStringView name) const;
    std::optional<size_t> findSection(const QString &name) const;
    size_t sectionFor(const QString &name);
    QStringView sectionName(size_t section) const;
    bool isOwned(size_t section) const;
    size_t entriesEnd(size_t section) const;
    size_t count(size_t section) const;
    void groupRepeatedSections();
    void sortEntries();
    // A loaded entry's name (as first spelled) and value.
    QStringView entryName(std::uint32_t entry) const;
    QStringView entryValue(std::uint32_t entry) const;
    // The loaded entry of a section by name (an index into entries_).
    std::optional<size_t> findEntry(size_t section, QStringView name) const;
    OwnedSection &own(size_t section);
    static void put(OwnedSection &s, const QString &name, const QString &value);

    Prompter *prompter_;
    QString fileName_;
    QString text_; // the text last loaded
    std::vector<SectionRef> sections_;
    // Each loaded entry: where its line's name begins in text_. With
    // kRespelled set, the name stands as first spelled on another line
    // (respelled_); the value is always this line's.
    std::vector<std::uint32_t> entries_;
    // Per section, its entries (numbered from the section's first) in name order.
    std::vector<std::uint32_t> order_;
    // Line of the value -> line of the name as first spelled, for names that
    // stood twice in one section in different letter case; sorted.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> respelled_;
    std::vector<OwnedSection> owned_;
    // Name -> section, open addressing (section + 1, 0 free); a power of two.
    std::vector<std::uint32_t> slots_;
    int slotShift_ = 64;
    // Where the names of repeated section headers stand in text_.
    std::vector<std::uint32_t> repeated_;
    mutable std::optional<QStringList> repeatedNames_;
};

} // namespace kulvera
