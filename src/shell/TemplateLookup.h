#pragma once

#include <QString>

#include <optional>

namespace kulvera {

// The file of a template in the templates folder. A configured name of the older binary kind
// (".xlt", ".xls") finds the file of the same stem with an OOXML extension (".xltx", ".xlsx",
// ".xltm"); nothing when no file is there.
std::optional<QString> findTemplate(const QString &folder, const QString &configuredName);

} // namespace kulvera
