#include "maintenance/MaintenanceReport.h"

#include "common/Prompter.h"

namespace kulvera {

QString MaintenanceReport::summary() const
{
    if (failed)
        return title + QStringLiteral(": не выполнено. ") + error;
    if (cancelled)
        return title + QStringLiteral(": прервано пользователем, изменения отменены.");
    const QString changed = QString::number(changes.size());
    const QString rows = QString::number(rowsChanged);
    if (dryRun)
        return title + QStringLiteral(" (проверка без записи): будет изменено рецептур - ") + changed
            + QStringLiteral(", строк - ") + rows + u'.';
    return title + QStringLiteral(": изменено рецептур - ") + changed + QStringLiteral(", строк - ") + rows
        + QStringLiteral(" из ") + QString::number(recipesSeen) + QStringLiteral(" рецептур.");
}

QString MaintenanceReport::text(int listed) const
{
    QStringList lines {summary()};
    if (!archive.isEmpty())
        lines << QStringLiteral("Архивная копия базы: ") + archive;
    if (skipped > 0)
        lines << QStringLiteral("Пропущено заблокированных рационов: ") + QString::number(skipped);
    if (compacted)
        lines << QStringLiteral("База данных сжата.");
    if (!failed && !cancelled && !changes.empty()) {
        lines << QString();
        int n = 0;
        for (const ChangedRecipe &c : changes) {
            if (++n > listed) {
                lines << QStringLiteral("... и еще ") + QString::number(static_cast<int>(changes.size()) - listed);
                break;
            }
            QString line = c.name;
            if (!c.place.isEmpty())
                line = c.place + QStringLiteral(": ") + line;
            line += QStringLiteral(" - позиций: ") + QString::number(c.positions);
            if (!c.largest.isEmpty())
                line += QStringLiteral("; наибольшее изменение: ") + c.largest;
            lines << line;
        }
    }
    if (!notes.isEmpty()) {
        lines << QString();
        lines << notes;
    }
    return lines.join(u'\n');
}

void showMaintenanceReport(Prompter &prompter, const MaintenanceReport &report, const QString &heading)
{
    const QString text = heading.isEmpty() ? report.text(50) : heading + u'\n' + report.text(50);
    if (report.failed || report.cancelled)
        prompter.warning(text, report.title);
    else
        prompter.message(text, report.title);
}

} // namespace kulvera
