#pragma once

#include "common/Result.h"

#include <QHash>
#include <QString>
#include <QStringList>

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
    // Parses text that is already in memory (the rules of setFilename).
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
    // treat such a file as damaged.
    const QStringList &repeatedSections() const { return repeated_; }

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
    struct SectionData {
        QString name;
        std::vector<Entry> entries;
        QHash<CaselessName, size_t> index; // name -> entry
    };
    SectionData *find(const QString &section);
    const SectionData *find(const QString &section) const;
    SectionData &section(const QString &name);
    static void put(SectionData &s, const QString &name, const QString &value);
    void reindex();

    Prompter *prompter_;
    QString fileName_;
    std::vector<SectionData> sections_;
    // Name -> section: files with thousands of sections or values load in
    // linear time.
    QHash<CaselessName, size_t> index_;
    QStringList repeated_;
};

} // namespace kulvera
