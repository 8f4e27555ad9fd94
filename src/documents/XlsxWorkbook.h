#pragma once

#include "common/Result.h"
#include "documents/CellAddress.h"
#include "documents/ZipPackage.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace kulvera {

// What a write changes in a cell's look; everything left unset keeps the
// cell's own style from the template.
struct CellLook {
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<QString> fontName;
    std::optional<double> fontSize;
    std::optional<QString> numberFormat; // "0.00"
    std::optional<bool> thinBorder; // a thin frame on all four sides
    std::optional<bool> wrap;
    bool operator==(const CellLook &) const = default;
};

// A rectangle of one sheet; whole rows or whole columns when a defined name
// says "$14:$65" or "$C:$D".
struct CellRange {
    int sheet = 0; // index in the workbook's sheet order
    CellRef first;
    CellRef last;
    bool wholeRows = false;
    bool wholeColumns = false;
};

// A spreadsheet workbook (OOXML) filled in place. The first sheet of the
// workbook is the one written; the parts of the package we do not change
// (other sheets, images, printer settings, ...) are saved with the bytes they
// had, and the parts we do change keep every element we do not touch.
class XlsxWorkbook
{
public:
    XlsxWorkbook();
    XlsxWorkbook(XlsxWorkbook &&) noexcept;
    XlsxWorkbook &operator=(XlsxWorkbook &&) noexcept;
    ~XlsxWorkbook();

    // Opens a workbook or template (.xlsx, .xltx, .xltm). A template becomes a
    // workbook. Refuses with its reason a file that is not a zip, a package
    // without a sheet, a sheet or workbook whose XML is broken, or parts too
    // large to hold.
    static Result<XlsxWorkbook> open(const QString &path);
    static Result<XlsxWorkbook> fromBytes(const QByteArray &bytes, const QString &shownName);
    // An empty workbook of one sheet, made from scratch.
    static XlsxWorkbook blank(
        const QString &sheetName, const QString &fontName = QStringLiteral("Calibri"), double fontSize = 11);

    QStringList sheetNames() const;

    // Writing cells of the first sheet. A formula in the cell is replaced.
    Status setText(int row, int col, const QString &text);
    Status setNumber(int row, int col, double value);
    // A formula in A1 notation without the leading "=" ("SUM(C7:C9)"), with
    // the value it gives now, so a reader that does not calculate sees it too;
    // the workbook is recalculated when opened.
    Status setFormula(int row, int col, const QString &formula, std::optional<double> value = std::nullopt);
    Status setLook(int row, int col, const CellLook &look);
    Status clearCell(int row, int col);
    Status setRowHidden(int row, bool hidden = true);
    Status setRowHeight(int row, double points);
    Status setColumnHidden(int col, bool hidden = true);
    Status setColumnWidth(int col, double width);
    Status mergeCells(const CellRef &first, const CellRef &last);
    // Strings go to the shared-string table (default) or inline into the cell.
    void setInlineStrings(bool inlineStrings);

    // Reading the first sheet back.
    std::optional<QString> text(int row, int col) const;
    std::optional<double> number(int row, int col) const;

    // Defined names: the sheet-scoped name of the first sheet wins over a
    // workbook-wide one. A name that is missing, or points nowhere ("#REF!",
    // a sheet the workbook does not have), is refused with its reason.
    Result<CellRange> range(const QString &name) const;
    bool hasName(const QString &name) const;
    QStringList names() const;
    // Adds (or replaces) a defined name; sheetScope makes it local to the first sheet.
    void defineName(const QString &name, const QString &reference, bool sheetScope = false);

    // The package as it would be saved, and the atomic save.
    Result<QByteArray> toBytes() const;
    // Documents are made again from the bases at any time: by default the save
    // is atomic but not synced to disk (see FileSync).
    Status save(const QString &path, FileSync sync = FileSync::RenameOnly) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace kulvera
