#pragma once

#include <QString>
#include <QStringList>

namespace kulvera {

// The separator the program puts between parts of one stored text
// (composition strings, card texts, the meal list).
inline constexpr QStringView kStrSeparator = u"<Str>";

QStringList splitStr(const QString &text);
QString joinStr(const QStringList &parts);

} // namespace kulvera
