#include "costing/StatementTemplates.h"

#include "common/SettingsAccess.h"
#include "documents/TemplateFiles.h"
#include "shell/SettingDefaults.h"

#include <QDir>

namespace kulvera {

Result<OpenedStatementTemplate> openStatementTemplate(const StatementTemplateRequest &request)
{
    using R = Result<OpenedStatementTemplate>;
    if (request.outputPath.isEmpty())
        return R::failure(QStringLiteral("Не указан файл документа."));
    const QString file = request.configured.trimmed();
    std::optional<QString> path = file.isEmpty() ? std::nullopt : findTemplate(request.folder, file);
    if (!path) {
        if (file.compare(request.defaultFile, Qt::CaseInsensitive) != 0)
            return R::failure(request.missingText);
        if (!QDir().mkpath(request.folder))
            return R::failure(QStringLiteral("Не удалось создать папку шаблонов: ") + request.folder);
        const QString made = QDir(request.folder).filePath(request.defaultFile);
        if (const Status s = request.make().save(made); !s)
            return R::failure(s.error());
        path = made;
    }
    Result<XlsxWorkbook> opened = openTemplateFor(*path, request.outputPath);
    if (!opened)
        return R::failure(opened.error());
    return OpenedStatementTemplate {std::move(opened).value(), *path};
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
