#include "common/StrSeparator.h"

namespace kulvera {

QStringList splitStr(const QString &text)
{
    if (text.isEmpty())
        return {};
    return text.split(kStrSeparator.toString());
}

QString joinStr(const QStringList &parts)
{
    return parts.join(kStrSeparator.toString());
}

} // namespace kulvera
