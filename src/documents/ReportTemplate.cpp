#include "documents/ReportTemplate.h"

#include "documents/ListDocuments.h"
#include "documents/SheetWriter.h"

namespace kulvera {
namespace {

constexpr int kCaptionRow = 5;

} // namespace

CellLook framed(bool bold)
{
    CellLook l;
    l.thinBorder = true;
    if (bold)
        l.bold = true;
    return l;
}

XlsxWorkbook reportTemplate(
    const QString &sheet, QStringView title, const QStringList &captions, const std::vector<double> &widths)
{
    XlsxWorkbook book = XlsxWorkbook::blank(sheet, QStringLiteral("Times New Roman"), 10);
    SheetWriter w(book);
    for (int c = 0; c < static_cast<int>(widths.size()); ++c)
        book.setColumnWidth(c + 1, widths[static_cast<std::size_t>(c)]);
    CellLook bold;
    bold.bold = true;
    w.text(1, 1, title.toString(), bold);
    CellLook header = framed(true);
    header.wrap = true;
    for (int c = 0; c < captions.size(); ++c)
        w.text(kCaptionRow, c + 1, captions[c], header);
    book.defineName(kTableStartName.toString(), u'\'' + sheet + QStringLiteral("'!$A$6"));
    return book;
}

} // namespace kulvera
