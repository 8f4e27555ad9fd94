// A spreadsheet template: the zip package and the XML parts inside it.
#include "FuzzSupport.h"

#include "documents/XlsxWorkbook.h"

using namespace kulvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::application();
    Result<XlsxWorkbook> book = XlsxWorkbook::fromBytes(fuzz::bytes(data, size), QStringLiteral("input.xlsx"));
    if (!book)
        return 0;
    XlsxWorkbook &wb = book.value();
    (void)wb.sheetNames();
    for (const QString &name : wb.names())
        (void)wb.range(name);
    for (int row = 1; row <= 20; ++row)
        for (int col = 1; col <= 10; ++col) {
            (void)wb.text(row, col);
            (void)wb.number(row, col);
        }
    // A template is filled and saved: both must hold on whatever it was.
    (void)wb.setText(3, 3, QStringLiteral("Суп"));
    (void)wb.setFormula(4, 3, QStringLiteral("SUM(C1:C3)"), 1.0);
    (void)wb.toBytes();
    return 0;
}
