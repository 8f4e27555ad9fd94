#include "menus/MenuDateList.h"

#include "common/TextDate.h"

#include <QStringList>

#include <algorithm>

namespace kulvera {

Result<std::vector<QDate>> parseMenuDateList(const QString &typed)
{
    using R = Result<std::vector<QDate>>;
    QString text = typed;
    text.remove(u' ');
    text.remove(u'\t');
    std::vector<QDate> days;
    for (const QString &part : text.split(u',')) {
        const std::optional<QDate> day = parseTextDate(part);
        if (!day)
            return R::failure(QStringLiteral("Не удалось распознать дату - '") + part + u'\'');
        if (std::find(days.begin(), days.end(), *day) == days.end())
            days.push_back(*day);
    }
    return days;
}

QString menuDateListText(const std::vector<QDate> &days)
{
    QStringList parts;
    for (const QDate &d : days)
        parts << formatTextDate(d);
    return parts.join(u',');
}

} // namespace kulvera
