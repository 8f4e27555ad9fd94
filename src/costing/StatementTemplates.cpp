#include "costing/StatementTemplates.h"

#include "common/SettingsAccess.h"
#include "documents/ListDocuments.h"
#include "documents/TemplateFiles.h"
#include "shell/SettingDefaults.h"

namespace kulvera {

Result<OpenedTemplate> openStatementTemplate(const StatementTemplateRequest &request)
{
    return openConfiguredTemplate(
        request.folder, request.configured, request.defaultFile, request.make, request.missingText, request.outputPath);
}

Result<OpenedStatementSheet> openStatementSheet(const QString &templatesFolder, const SettingsAccess &settings,
    const QString &key, const QString &defaultFile, const std::function<XlsxWorkbook()> &make,
    const QString &outputPath, Prompter &prompter, CellRef fallbackStart)
{
    using R = Result<OpenedStatementSheet>;
    prompter.status(QStringLiteral("Формирование ведомости в Excel..."));
    const QString file = templateSetting(settings, key);
    Result<OpenedTemplate> opened = openStatementTemplate({templatesFolder, file, defaultFile, make,
        QStringLiteral("В списке шаблоном отсутствует: ") + file.trimmed()
            + QStringLiteral("\nОбновите список шаблонов!"),
        outputPath});
    if (!opened)
        return R::failure(opened.error());
    const Result<CellRef> start = namedCellOr(opened->book, kTableStartName.toString(), fallbackStart);
    if (!start)
        return R::failure(start.error());
    return OpenedStatementSheet {std::move(opened).value(), *start};
}

bool settingSwitch(const SettingsAccess &settings, Section section, const QString &key)
{
    const QString v = readSetting(settings, section, key).trimmed();
    return v == u"1" || v.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0;
}

} // namespace kulvera
