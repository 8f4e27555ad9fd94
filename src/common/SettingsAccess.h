#pragma once

#include <QString>

#include <optional>

namespace kulvera {

// Sections of the settings store, addressed by code everywhere in the program.
enum class Section : int {
    Calc = 0,
    Data = 1,
    Documents = 2,
    Bl = 3,
    Prod = 4,
    MB = 5,
    Language = 6,
    Losses = 7,
    HelpSystem = 8,
    User = 9,
    UserInterface = 10,
    DocumentsTTK = 11,
    DocumentsTTKk = 12,
    DocumentsTK = 13,
    DocumentsTTKkProm = 14,
    DocumentsLabel = 15,
    Messages = 16,
    MenuTemplate = 17,
};
inline constexpr int kSectionCount = 18;

QString sectionName(Section section);
std::optional<Section> sectionFromCode(int code);
// Accepts the section's name (any letter case) or its code as digits.
std::optional<Section> sectionFromText(const QString &text);

// Read and write access to the per-user settings: every value is a string and
// every read names its default, so a missing key reads as that default.
class SettingsAccess
{
public:
    virtual ~SettingsAccess() = default;
    virtual QString get(Section section, const QString &key, const QString &defaultValue = {}) const = 0;
    virtual void save(Section section, const QString &key, const QString &value) = 0;
    virtual void remove(Section section, const QString &key) = 0;
    virtual bool contains(Section section, const QString &key) const = 0;

    // Forms keep their window and grid layout in a section named after the form.
    virtual QString getInGroup(const QString &group, const QString &key, const QString &defaultValue = {}) const = 0;
    virtual void saveInGroup(const QString &group, const QString &key, const QString &value) = 0;

    // Keys whose names begin with "bool" hold "True"/"False"; other flags "1"/"0".
    bool getFlag(Section section, const QString &key, bool defaultValue) const;
    void saveFlag(Section section, const QString &key, bool value);
    int getInt(Section section, const QString &key, int defaultValue) const;
};

bool isBoolKey(const QString &key);
// "True", "1", "-1" (any case) are true; everything else false.
bool parseFlagText(const QString &text);

} // namespace kulvera
