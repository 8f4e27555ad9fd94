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

} // namespace

QString CommandLine::join(const QStringList &arguments)
{
    return arguments.join(u' ');
}

CommandLine CommandLine::parse(const QString &line, const QString &programFolder)
{
    CommandLine c;
    const QString upper = line.trimmed().toUpper();
    c.debug = upper == u"/DEBUG";
    if (upper.contains(u"/LOG")) {
        c.log = true;
        for (const QString &piece : line.split(u'/')) {
            if (piece.size() > 3 && piece.left(3).compare(u"log", Qt::CaseInsensitive) == 0) {
                const QString name = piece.mid(4).trimmed();
                if (!name.isEmpty())
                    c.logFile = name;
            }
        }
    }

    QString rest = line.trimmed();
    const bool leadingSlash = rest.startsWith(u'/');
    if (leadingSlash)
        rest.remove(0, 1);
    if (rest.isEmpty())
        return c;
    const QStringList pieces = rest.split(QStringLiteral(" /"));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QString piece = pieces[i].trimmed();
        // The split ate the "/" before each piece; on this platform it starts an absolute path.
        const bool slashBefore = i > 0 || leadingSlash;
        if (piece.isEmpty())
            continue;
        const QString name = u'/' + piece.toUpper();
        if (name == u"/?")
            c.showSwitchHelp = true;
        else if (name == u"/UPDATESNOW")
            c.updatesNow = true;
        else if (name == u"/CONSOL")
            c.console = true;
        else if (name == u"/UPDNUMINMENU")
            c.renumberMenuCards = true;
        else if (name == u"/SYNCGLOBMENU")
            c.syncMenuBase = true;
        else if (name == u"/SYNCGLOBMENUCOMP")
            c.syncMenuBase = c.compactAfterMenuSync = true;
        else if (name == u"/SYNCGLOB")
            c.syncDishBase = true;
        else if (name == u"/SYNCGLOBCOMP")
            c.syncDishBase = c.compactAfterDishSync = true;
        else if (name == u"/UPDATESTEPLOV")
            c.updateHeatLosses = true;

        // Prefix and suffix forms look at the piece as typed.
        if (piece.left(11).toUpper() == u"INCPRINSYNC") {
            const QString value = piece.mid(11);
            c.includeProductsGiven = true;
            c.includeProductsInSync = value.size() >= 2 ? value.mid(1) : QString();
        } else if (piece.left(2).toUpper() == u"RP") {
            const QStringList keys = piece.mid(2).split(u',');
            qint32 from = 0, to = 0;
            if (keys.size() == 2 && parseKey(keys[0], &from) && parseKey(keys[1], &to)) {
                c.replaceProducts = true;
                c.replaceFrom = from;
                c.replaceTo = to;
            } else {
                c.replaceUsageError = true;
            }
        } else if (piece.size() >= 9 && piece.right(9).toUpper() == u".SQL_MENU") {
            c.menuFile = slashBefore ? u'/' + piece : piece;
        } else if (piece.left(4).toUpper() == u"DIR:") {
            c.dirOverride = resolveDir(piece.mid(4), programFolder);
        } else if (piece.left(5).toUpper() == u"/DIR:") {
            c.dirOverride = resolveDir(piece.mid(5), programFolder);
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
