#pragma once

#include "common/Result.h"
#include "documents/XlsxWorkbook.h"
#include "shell/TemplateLookup.h"

#include <QString>

#include <functional>
#include <optional>

namespace kulvera {

class SettingsAccess;

// The configured file name of a template setting (section Documents).
QString templateSetting(const SettingsAccess &settings, const QString &key);

// The card template setting for a card type: 1 and 4 the culinary card, 2 the
// confectionery card, 3 the technological card.
QString cardTemplateKey(int cardType);

// Opens a template to fill for a document saved at `outputPath`: a template
// that cannot be read, or the template itself given as the output, is refused.
Result<XlsxWorkbook> openTemplateFor(const QString &templatePath, const QString &outputPath);

struct OpenedTemplate {
    XlsxWorkbook book;
    QString path; // the template used
};

// The template `file` of `folder` opened for a document at `outputPath`;
// when the folder has none, our own is built by `make` and saved there as
// `madeFile` first. An empty output path is refused.
Result<OpenedTemplate> openOrMakeTemplate(const QString &folder, const QString &file, const QString &madeFile,
    const std::function<XlsxWorkbook()> &make, const QString &outputPath);

// The template a setting names (`configured`), opened for a document at
// `outputPath`. Our own is made by `make` only when the setting names our
// `defaultFile` and the folder lacks it; any other name the folder lacks (an
// empty one too) is refused with `missingText` and nothing is made.
Result<OpenedTemplate> openConfiguredTemplate(const QString &folder, const QString &configured,
    const QString &defaultFile, const std::function<XlsxWorkbook()> &make, const QString &missingText,
    const QString &outputPath);

// The top-left cell of a list document's table: the cell a defined name
// gives, or `fallback` when the template has no such name; a name that
// points nowhere, or off the first sheet, is refused with its reason.
Result<CellRef> namedCellOr(const XlsxWorkbook &book, const QString &name, CellRef fallback);

} // namespace kulvera
