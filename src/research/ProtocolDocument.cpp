#include "research/ProtocolDocument.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/TextDate.h"
#include "documents/ReportTemplate.h"
#include "documents/SheetWriter.h"
#include "documents/TemplateFiles.h"
#include "research/ProtocolGrid.h"

namespace kulvera {
namespace {

constexpr int kCaptionRow = 5;
const QString kSheet = QStringLiteral("Протокол");

// The cell a template names, or the default one; a name pointing nowhere is refused.
Result<CellRef> place(const XlsxWorkbook &book, const QString &name, CellRef fallback)
{
    return namedCellOr(book, name, fallback);
}

} // namespace

XlsxWorkbook protocolTemplate()
{
    XlsxWorkbook book = XlsxWorkbook::blank(kSheet, QStringLiteral("Times New Roman"), 10);
    SheetWriter w(book);
    book.setColumnWidth(1, 34);
    for (int c = 2; c <= ProtocolColumnCount; ++c)
        book.setColumnWidth(c, 12);
    CellLook title;
    title.bold = true;
    title.fontSize = 12;
    w.text(1, 1, QStringLiteral("Протокол лабораторных испытаний"), title);
    CellLook header = framed(true);
    header.wrap = true;
    for (int c = 0; c < ProtocolColumnCount; ++c)
        w.text(kCaptionRow, c + 1, protocolColumnCaption(c), header);
    book.setRowHeight(kCaptionRow, 40);
    const QString sheet = u'\'' + kSheet + QStringLiteral("'!");
    book.defineName(QStringLiteral("Протокол"), sheet + QStringLiteral("$A$2"));
    book.defineName(QStringLiteral("Изделие"), sheet + QStringLiteral("$A$3"));
    book.defineName(QStringLiteral("Примечание"), sheet + QStringLiteral("$A$4"));
    book.defineName(kTableStartName.toString(), sheet + QStringLiteral("$A$6"));
    return book;
}

QString protocolFileName(const Protocol &protocol)
{
    QString number = protocol.number.trimmed();
    for (QChar &c : number) {
        if (QStringView(u"\\/:*?\"<>|").contains(c))
            c = u'_';
    }
    if (number.isEmpty())
        number = QStringLiteral("без номера");
    return QStringLiteral("Протокол %1 от %2.xlsx").arg(number, formatTextDate(protocol.date));
}

Result<ListOutcome> printProtocol(const Protocol &protocol, const MethodCalculation &calculation,
    const QString &templatesFolder, const QString &outputPath, Prompter &prompter)
{
    using R = Result<ListOutcome>;
    Result<OpenedTemplate> opened = openOrMakeTemplate(templatesFolder, kProtocolTemplateFile.toString(),
        kProtocolTemplateFile.toString(), protocolTemplate, outputPath);
    if (!opened)
        return R::failure(opened.error());
    XlsxWorkbook &book = opened.value().book;
    const Result<CellRef> numberCell = place(book, QStringLiteral("Протокол"), {2, 1});
    const Result<CellRef> dishCell = place(book, QStringLiteral("Изделие"), {3, 1});
    const Result<CellRef> noteCell = place(book, QStringLiteral("Примечание"), {4, 1});
    const Result<CellRef> start = place(book, kTableStartName.toString(), {6, 1});
    for (const auto *cell : {&numberCell, &dishCell, &noteCell, &start}) {
        if (!*cell)
            return R::failure(cell->error());
    }

    SheetWriter w(book);
    w.text(*numberCell, QStringLiteral("№ %1 от %2").arg(protocol.number, formatTextDate(protocol.date)));
    QString dish = QStringLiteral("Изделие: ") + protocol.dish;
    if (!protocol.output.trimmed().isEmpty())
        dish += QStringLiteral(", выход ") + protocol.output.trimmed() + QStringLiteral(" г");
    w.text(*dishCell, dish);
    if (!protocol.note.trimmed().isEmpty())
        w.text(*noteCell, protocol.note.trimmed());

    int row = start->row;
    const int col = start->col;
    const std::vector<ProtocolGridRow> grid = protocolGrid(protocol, calculation);
    for (const ProtocolGridRow &line : grid) {
        const bool methodLine = line.paramId == 0;
        const CellLook look = framed(methodLine);
        for (int c = 0; c < ProtocolColumnCount; ++c) {
            const QString &cell = line.cells[static_cast<std::size_t>(c)];
            const bool numeric = c >= FirstColumn && c <= DishColumn;
            if (numeric && !cell.isEmpty()) {
                if (const std::optional<double> v = parseNumber(cell)) {
                    w.number(row, col + c, *v, methodLine ? QStringLiteral("0.000") : QStringLiteral("General"), look);
                    continue;
                }
            }
            w.text(row, col + c, cell, look);
        }
        if (methodLine && !line.computed && !line.problem.isEmpty()) {
            w.text(row, col + FirstColumn, line.problem, look);
            if (const Status s = book.mergeCells({row, col + FirstColumn}, {row, col + CompareMaxColumn}); !s)
                w.fail(s.error());
        }
        ++row;
    }
    if (const Status saved = book.save(outputPath); !saved)
        return R::failure(saved.error());
    prompter.status(QStringLiteral("Протокол сформирован"));
    return ListOutcome {outputPath, opened->path, static_cast<int>(grid.size()), w.errors(), w.problems()};
}

} // namespace kulvera
