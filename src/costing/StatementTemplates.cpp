#include "costing/StatementTemplates.h"

#include "common/SettingsAccess.h"
#include "documents/TemplateFiles.h"
#include "shell/SettingDefaults.h"

namespace kulvera {

Result<OpenedStatementTemplate> openStatementTemplate(const StatementTemplateRequest &request)
{
    using R = Result<OpenedStatementTemplate>;
    if (request.outputPath.isEmpty())
        return R::failure(QStringLiteral("Не указан файл документа."));
    const QString file = request.configured.trimmed();
    // Only our own file name is made when missing; another configured name must be there.
    const bool present = !file.isEmpty() && findTemplate(request.folder, file);
    if (!present && file.compare(request.defaultFile, Qt::CaseInsensitive) != 0)
        return R::failure(request.missingText);
    Result<OpenedTemplate> opened
        = openOrMakeTemplate(request.folder, file, request.defaultFile, request.make, request.outputPath);
    if (!opened)
        return R::failure(opened.error());
    return OpenedStatementTemplate {std::move(opened.value().book), opened->path};
}

bool settingSwitch(const SettingsAccess &settings, Section section, const QString &key)
{
    const QString v = readSetting(settings, section, key).trimmed();
    return v == u"1" || v.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0;
}

QString decimalsMask(int decimals)
{
    return decimals > 0 ? QStringLiteral("0.") + QString(decimals, u'0') : QStringLiteral("0");
}

} // namespace kulvera
