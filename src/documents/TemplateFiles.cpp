#include "documents/TemplateFiles.h"

#include "common/SettingsAccess.h"
#include "shell/SettingDefaults.h"

#include <QDir>
#include <QFileInfo>

namespace kulvera {

std::optional<QString> findTemplate(const QString &folder, const QString &configuredName)
{
    const QString name = configuredName.trimmed();
    if (name.isEmpty())
        return std::nullopt;
    const QString path = QDir(folder).filePath(name);
    const QFileInfo info(path);
    const QString suffix = info.suffix().toLower();
    const bool ooxml = suffix == u"xlsx" || suffix == u"xltx" || suffix == u"xltm" || suffix == u"xlsm";
    if (ooxml)
        return info.isFile() ? std::optional<QString>(path) : std::nullopt;
    const QString stem = info.suffix().isEmpty() ? path : path.left(path.size() - info.suffix().size() - 1);
    for (const char16_t *extension : {u".xltx", u".xlsx", u".xltm"}) {
        const QString candidate = stem + QString::fromUtf16(extension);
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return std::nullopt;
}

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
