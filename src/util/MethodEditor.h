#pragma once

#include "common/Result.h"
#include "util/FormulaMethod.h"
#include "util/MethodStore.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

namespace kulvera {

class Prompter;
class SettingsAccess;

// The editing rules of the formulas form, without widgets: the questions
// before adding, deleting and renaming, the names of new rows, writing every
// edit at once with its log text, and the check of a designation against the
// other methods. Keeps the catalogue as last read from the store.
class MethodEditor
{
public:
    using LogSink = std::function<void(const QString &)>;

    MethodEditor(MethodStore &store, Prompter &prompter, const SettingsAccess &settings, LogSink log = {});

    // Rereads the methods and parameters; a failure is shown and keeps the old list.
    bool reload();
    const MethodCatalog &catalog() const { return catalog_; }

    // Each returns the key of the new row, or nothing when the user said No
    // or the base refused (which is shown).
    std::optional<int> addMethod();
    std::optional<int> addParam(int methodId);
    bool deleteMethod(int id);
    bool deleteParam(int id);
    bool renameMethod(int id);
    bool renameParam(int id);

    // Writes one field at once. Returns false (after saying why) when the
    // value is refused or the base could not be written; nothing changes then.
    bool setMethodField(int id, MethodField field, const QVariant &value);
    bool setParamField(int id, ParamField field, const QString &value);

    static QString deleteParamQuestion(const QString &paramName);

private:
    bool apply(const Status &status);
    void log(const QString &text) const;
    const MethodParam *param(int id) const;

    MethodStore &store_;
    Prompter &prompter_;
    const SettingsAccess &settings_;
    LogSink log_;
    MethodCatalog catalog_;
};

} // namespace kulvera
