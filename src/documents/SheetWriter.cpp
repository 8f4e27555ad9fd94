#include "documents/SheetWriter.h"

namespace kulvera {

void SheetWriter::check(const Status &s)
{
    if (!s)
        fail(s.error());
}

void SheetWriter::fail(const QString &why)
{
    ++errors_;
    problems_.append(why);
}

void SheetWriter::text(int row, int col, const QString &value, const CellLook &look)
{
    check(book_.setText(row, col, value));
    if (look != CellLook {})
        check(book_.setLook(row, col, look));
}

void SheetWriter::number(int row, int col, double value, const QString &format, const CellLook &look)
{
    check(book_.setNumber(row, col, value));
    CellLook withFormat = look;
    if (!format.isEmpty())
        withFormat.numberFormat = format;
    if (withFormat != CellLook {})
        check(book_.setLook(row, col, withFormat));
}

void SheetWriter::formula(
    int row, int col, const QString &formula, std::optional<double> value, const QString &format, const CellLook &look)
{
    check(book_.setFormula(row, col, formula, value));
    CellLook withFormat = look;
    if (!format.isEmpty())
        withFormat.numberFormat = format;
    if (withFormat != CellLook {})
        check(book_.setLook(row, col, withFormat));
}

void SheetWriter::look(int row, int col, const CellLook &look)
{
    check(book_.setLook(row, col, look));
}

void SheetWriter::hideRow(int row)
{
    check(book_.setRowHidden(row, true));
}

void SheetWriter::rowHeight(int row, double points)
{
    check(book_.setRowHeight(row, points));
}

void SheetWriter::hideColumn(int col)
{
    check(book_.setColumnHidden(col, true));
}

QStringList wrapText(const QString &text, int width, bool dropEmptyLines)
{
    QStringList out;
    width = std::max(width, 1);
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(u'\r', u'\n');
    for (const QString &paragraph : normalized.split(u'\n')) {
        const QString trimmed = paragraph.trimmed();
        if (trimmed.isEmpty()) {
            if (!dropEmptyLines)
                out.append(QString());
            continue;
        }
        QString line;
        for (QString word : trimmed.split(u' ', Qt::SkipEmptyParts)) {
            while (word.size() > width) {
                if (!line.isEmpty()) {
                    out.append(line);
                    line.clear();
                }
                out.append(word.left(width));
                word = word.mid(width);
            }
            if (line.isEmpty())
                line = word;
            else if (line.size() + 1 + word.size() <= width)
                line += u' ' + word;
            else {
                out.append(line);
                line = word;
            }
        }
        if (!line.isEmpty())
            out.append(line);
    }
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

QString decimalsMask(int decimals)
{
    return decimals > 0 ? QStringLiteral("0.") + QString(decimals, u'0') : QStringLiteral("0");
}

} // namespace kulvera
