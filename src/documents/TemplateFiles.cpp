#include "documents/TemplateFiles.h"

#include "common/SettingsAccess.h"
#include "shell/SettingDefaults.h"

#include <QDir>
#include <QFileInfo>

namespace kulvera {

QString templateSetting(const SettingsAccess &settings, const QString &key)
{
    return readSetting(settings, Section::Documents, key);
}

QString cardTemplateKey(int cardType)
{
    switch (cardType) {
    case 2:
        return QStringLiteral("Shablon_Excel_TTKk");
    case 3:
        return QStringLiteral("Shablon_Excel_TK");
    default:
        return QStringLiteral("Shablon_Excel_TTK");
    }
}

Result<XlsxWorkbook> openTemplateFor(const QString &templatePath, const QString &outputPath)
{
    using R = Result<XlsxWorkbook>;
    if (QFileInfo(templatePath).canonicalFilePath() == QFileInfo(outputPath).canonicalFilePath())
        return R::failure(QStringLiteral("Документ нельзя записать поверх шаблона: ") + templatePath);
    Result<XlsxWorkbook> opened = XlsxWorkbook::open(templatePath);
    if (!opened)
        return R::failure(QStringLiteral("Шаблон не прочитан: ") + opened.error());
    return opened;
}

Result<OpenedTemplate> openOrMakeTemplate(const QString &folder, const QString &file, const QString &madeFile,
    const std::function<XlsxWorkbook()> &make, const QString &outputPath)
{
    using R = Result<OpenedTemplate>;
    if (outputPath.isEmpty())
        return R::failure(QStringLiteral("Не указан файл документа."));
    std::optional<QString> path = findTemplate(folder, file);
    if (!path) {
        if (!QDir().mkpath(folder))
            return R::failure(QStringLiteral("Не удалось создать папку шаблонов: ") + folder);
        const QString made = QDir(folder).filePath(madeFile);
        if (const Status s = make().save(made); !s)
            return R::failure(s.error());
        path = made;
    }
    Result<XlsxWorkbook> opened = openTemplateFor(*path, outputPath);
    if (!opened)
        return R::failure(opened.error());
    return OpenedTemplate {std::move(opened).value(), *path};
}

Result<OpenedTemplate> openConfiguredTemplate(const QString &folder, const QString &configured,
    const QString &defaultFile, const std::function<XlsxWorkbook()> &make, const QString &missingText,
    const QString &outputPath)
{
    using R = Result<OpenedTemplate>;
    if (outputPath.isEmpty())
        return R::failure(QStringLiteral("Не указан файл документа."));
    const QString file = configured.trimmed();
    const bool present = !file.isEmpty() && findTemplate(folder, file);
    if (!present && file.compare(defaultFile, Qt::CaseInsensitive) != 0)
        return R::failure(missingText);
    return openOrMakeTemplate(folder, file, defaultFile, make, outputPath);
}

Result<CellRef> namedCellOr(const XlsxWorkbook &book, const QString &name, CellRef fallback)
{
    if (!book.hasName(name))
        return fallback;
    const Result<CellRange> range = book.range(name);
    if (!range)
        return Result<CellRef>::failure(range.error());
    if (range->sheet != 0 || range->wholeRows || range->wholeColumns)
        return Result<CellRef>::failure(
            QStringLiteral("Имя '") + name + QStringLiteral("' шаблона указывает не на ячейку первого листа."));
    return range->first;
}

} // namespace kulvera
