#pragma once

#include "common/SettingsAccess.h"

#include <QHash>
#include <QString>

namespace kulvera {

// The build of the program and of the base structure it expects.
inline constexpr int kBuildNumber = 1697;

// The settings the whole program shares, read once at start in a fixed order
// and kept for the run. Keys are never written at start: the store holds only
// what the user changed. A settings form that changes a shared setting saves
// it and calls set() so the snapshot follows.
class SharedSettings
{
public:
    struct Environment {
        QString programFolder; // folder of the executable
        QString userDataFolder; // per-user data folder, used when the program folder is read-only
        QString dirOverride; // DIR: switch of the command line, already resolved; empty if none
        QString documentsFolder;
    };

    static const QString kProductTitle; // "Kulvera"
    static const QString kProductFullTitle; // full title for document headers
    static const QString kVersion; // "5.00.00.00.00"
    static const QString kDocumentVersion; // "03.00.00.00.00"

    static SharedSettings load(const SettingsAccess &settings, const Environment &environment);

    // Value of a start-up key (see SettingDefaults); empty for keys not loaded at start.
    QString value(Section section, const QString &key) const;
    void set(Section section, const QString &key, const QString &value);
    bool flag(Section section, const QString &key) const { return parseFlagText(value(section, key)); }
    QString templateFile(const QString &key) const { return value(Section::Documents, key); }

    // The folder of all databases (Dir_book) and the databases folder inside it.
    QString dirBook() const { return dirBook_; }
    QString databasesFolder() const;
    QString templatesFolder() const;
    // A base file name without a folder lies in the databases folder.
    QString basePath(const QString &fileName) const;

    // "KV_Bases" beside the program when its folder can be written (portable and
    // development use), otherwise in the user's data folder.
    static QString defaultDirBook(const QString &programFolder, const QString &userDataFolder);

private:
    static QString slot(Section section, const QString &key);
    QHash<QString, QString> values_;
    QString dirBook_;
};

} // namespace kulvera
