#pragma once

#include "common/Result.h"

#include <QDate>
#include <QString>

#include <vector>

namespace kulvera {

// The dates typed for a menu export: the text loses its blanks and is split
// at ","; every part must be a date ("Не удалось распознать дату - '...'"
// names the first that is not). A date typed twice counts once.
Result<std::vector<QDate>> parseMenuDateList(const QString &typed);
// The dates as the files list them: "dd.mm.yyyy" joined by ",".
QString menuDateListText(const std::vector<QDate> &days);

} // namespace kulvera
