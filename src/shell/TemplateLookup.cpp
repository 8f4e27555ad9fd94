#include "shell/TemplateLookup.h"

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

} // namespace kulvera
