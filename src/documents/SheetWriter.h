#pragma once

#include "documents/XlsxWorkbook.h"

#include <QStringList>

namespace kulvera {

// Writes into a workbook and counts the cells that could not be written, so
// one bad cell of a template spoils only itself; the count is reported at the end.
class SheetWriter
{
public:
    explicit SheetWriter(XlsxWorkbook &book)
        : book_(book)
    {
    }
    XlsxWorkbook &book() { return book_; }

    void text(int row, int col, const QString &value, const CellLook &look = {});
    void text(const CellRef &cell, const QString &value, const CellLook &look = {})
    {
        text(cell.row, cell.col, value, look);
    }
    void number(int row, int col, double value, const QString &format, const CellLook &look = {});
    void number(const CellRef &cell, double value, const QString &format, const CellLook &look = {})
    {
        number(cell.row, cell.col, value, format, look);
    }
    // A formula ("SUM(C7:C9)") with its present value; see XlsxWorkbook::setFormula.
    void formula(int row, int col, const QString &formula, std::optional<double> value, const QString &format,
        const CellLook &look = {});
    void look(int row, int col, const CellLook &look);
    void hideRow(int row);
    void rowHeight(int row, double points);
    void hideColumn(int col);
    void fail(const QString &why);

    int errors() const { return errors_; }
    const QStringList &problems() const { return problems_; }

private:
    void check(const Status &s);
    XlsxWorkbook &book_;
    int errors_ = 0;
    QStringList problems_;
};

// The number format of `decimals` decimals: "0.00" for 2, "0" for none.
QString decimalsMask(int decimals);

// Splits a text into lines of at most `width` characters at spaces (a longer
// word is cut); line breaks of the text stay; empty lines are dropped when asked.
QStringList wrapText(const QString &text, int width, bool dropEmptyLines = false);

} // namespace kulvera
