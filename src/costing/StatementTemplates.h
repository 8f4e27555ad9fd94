#pragma once

#include "common/Prompter.h"
#include "common/Result.h"
#include "common/SettingsAccess.h"
#include "documents/SheetWriter.h"
#include "documents/TemplateFiles.h"
#include "documents/XlsxWorkbook.h"

#include <QString>

#include <functional>

namespace kulvera {

// A statement's template opened to be filled. The program makes its own
// template under the default file name when the folder lacks it; a name the
// user configured that the folder lacks is refused with `missingText`, which
// the prompter shows, and nothing is made.
struct StatementTemplateRequest {
    QString folder;
    QString configured; // the setting's file name
    QString defaultFile; // the file name our own template is made under
    std::function<XlsxWorkbook()> make;
    QString missingText; // shown when the configured template is not there
    QString outputPath;
};

Result<OpenedTemplate> openStatementTemplate(const StatementTemplateRequest &request);

// A statement printed as a "ведомость" (the period and the cumulative one):
// says so on the status line, opens the template of the setting `key` (our
// `defaultFile` made when missing, another missing name refused with
// "В списке шаблоном отсутствует: ") and finds the table's start cell.
struct OpenedStatementSheet {
    OpenedTemplate opened;
    CellRef start;
};
Result<OpenedStatementSheet> openStatementSheet(const QString &templatesFolder, const SettingsAccess &settings,
    const QString &key, const QString &defaultFile, const std::function<XlsxWorkbook()> &make,
    const QString &outputPath, Prompter &prompter, CellRef fallbackStart);

// A statement's failure is shown to the user where it happens, so callers
// (forms, the command line) never repeat it.
template <typename T> Result<T> shownOnFailure(Result<T> result, Prompter &prompter)
{
    if (!result)
        prompter.warning(result.error());
    return result;
}

// A switch of the settings: "1" or "True" (any case) is on.
bool settingSwitch(const SettingsAccess &settings, Section section, const QString &key);

} // namespace kulvera
