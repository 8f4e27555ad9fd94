#include "shell/CommandLine.h"

#include <QDir>

namespace kulvera {
namespace {

bool parseKey(QStringView text, qint32 *value)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok || v < INT32_MIN || v > INT32_MAX)
        return false;
    *value = static_cast<qint32>(v);
    return true;
}

QString resolveDir(QString path, const QString &programFolder)
{
    path = path.trimmed();
    while (path.size() > 1 && (path.endsWith(u'/') || path.endsWith(u'\\')))
        path.chop(1);
    if (path.isEmpty())
        return {};
    if (QDir::isAbsolutePath(path))
        return QDir::cleanPath(path);
    return QDir::cleanPath(QDir(programFolder).filePath(path));
}

bool startsWith(QStringView text, QStringView prefix)
{
    return text.startsWith(prefix, Qt::CaseInsensitive);
}

// "/LOG" alone, or followed by one separator and the file name.
bool isLogSwitch(QStringView argument)
{
    if (!startsWith(argument, u"/LOG"))
        return false;
    if (argument.size() == 4)
        return true;
    const QChar separator = argument.at(4);
    return separator == u':' || separator == u'=' || separator == u' ';
}

bool isMenuFile(QStringView argument)
{
    return argument.endsWith(u".sql_menu", Qt::CaseInsensitive);
}

bool isDirArgument(QStringView argument)
{
    return startsWith(argument, u"DIR:") || startsWith(argument, u"/DIR:");
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments, const QString &programFolder)
{
    CommandLine c;
    c.debug = arguments.size() == 1 && arguments.first().trimmed().compare(u"/DEBUG", Qt::CaseInsensitive) == 0;

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString argument = arguments[i].trimmed();
        if (argument.isEmpty())
            continue;
        if (isLogSwitch(argument)) {
            c.log = true;
            QString name = argument.mid(5).trimmed();
            // "/LOG name" given as two arguments: a plain name right after the switch.
            const QString next = i + 1 < arguments.size() ? arguments[i + 1].trimmed() : QString();
            if (argument.size() == 4 && !next.isEmpty() && !next.startsWith(u'/') && !isMenuFile(next)
                && !isDirArgument(next) && !startsWith(next, u"IncPrInSync")) {
                name = next;
                ++i;
            }
            if (!name.isEmpty())
                c.logFile = name;
            continue;
        }

        const QString upper = argument.toUpper();
        if (upper == u"/?")
            c.showSwitchHelp = true;
        else if (upper == u"/UPDATESNOW")
            c.updatesNow = true;
        else if (upper == u"/CONSOL")
            c.console = true;
        else if (upper == u"/UPDNUMINMENU")
            c.renumberMenuCards = true;
        else if (upper == u"/SYNCGLOBMENU")
            c.syncMenuBase = true;
        else if (upper == u"/SYNCGLOBMENUCOMP")
            c.syncMenuBase = c.compactAfterMenuSync = true;
        else if (upper == u"/SYNCGLOB")
            c.syncDishBase = true;
        else if (upper == u"/SYNCGLOBCOMP")
            c.syncDishBase = c.compactAfterDishSync = true;
        else if (upper == u"/UPDATESTEPLOV")
            c.updateHeatLosses = true;
        else if (isMenuFile(argument))
            c.menuFile = argument; // before the prefixes: a path like "/rp/week.sql_menu" is a file
        else if (startsWith(argument, u"DIR:"))
            c.dirOverride = resolveDir(argument.mid(4), programFolder);
        else if (startsWith(argument, u"/DIR:"))
            c.dirOverride = resolveDir(argument.mid(5), programFolder);
        else if (startsWith(argument, u"/IncPrInSync") || startsWith(argument, u"IncPrInSync")) {
            const QString value = argument.mid(argument.startsWith(u'/') ? 12 : 11);
            c.includeProductsGiven = true;
            c.includeProductsInSync = value.size() >= 2 ? value.mid(1) : QString();
        } else if (startsWith(argument, u"/RP")) {
            const QStringList keys = argument.mid(3).split(u',');
            qint32 from = 0, to = 0;
            if (keys.size() == 2 && parseKey(keys[0], &from) && parseKey(keys[1], &to)) {
                c.replaceProducts = true;
                c.replaceFrom = from;
                c.replaceTo = to;
            } else {
                c.replaceUsageError = true;
            }
        }
    }
    return c;
}

QString CommandLine::switchHelpText()
{
    return QStringLiteral("/UPDATESTEPLOV - обновление потерь при тепловой обработке в базе блюд\n"
                          "/SYNCGLOB - синхронизация базы продуктов с базой блюд\n"
                          "/SYNCGLOBMENU - синхронизация базы продуктов с базой меню\n"
                          "/UpdNumInMenu - обновление номеров карт в меню");
}

QString CommandLine::replacementUsageText()
{
    return QStringLiteral(
        "Использование функции замены продуктов: \n"
        "kulvera /RP[x],[y]\n"
        "[x] - код продукта, который следует заменить в базе\n"
        "[y] - код продукта, которым следует заменить в базе\n"
        "\n"
        "Код продукта можно определить щелкнув правой кнопкой мыши по названию продукта в базе продуктов");
}

} // namespace kulvera
