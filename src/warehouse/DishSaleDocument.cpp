#include "warehouse/DishSaleDocument.h"

#include "common/NumberText.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "documents/CellAddress.h"
#include "documents/SheetWriter.h"
#include "warehouse/WarehouseReport.h"

namespace kulvera {
namespace {

const QString kMoney = QStringLiteral("0.00");

} // namespace

XlsxWorkbook dishSaleTemplate()
{
    return reportTemplate(QStringLiteral("Накладная"), u"Накладная на отпуск блюд",
        {QStringLiteral("№"), QStringLiteral("Рецептура"), QStringLiteral("Количество"), QStringLiteral("Выход, г"),
            QStringLiteral("Цена, руб."), QStringLiteral("Итого, руб.")},
        {5, 40, 11, 10, 11, 12});
}

Result<ListOutcome> printDishSale(const DishSaleHeader &header, const std::vector<DishSaleLine> &lines,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter)
{
    Result<OpenedReport> opened
        = openReport(templatesFolder, kDishSaleTemplateFile.toString(), dishSaleTemplate, outputPath);
    if (!opened)
        return Result<ListOutcome>::failure(opened.error());
    OpenedReport &r = opened.value();
    SheetWriter out(r.book);
    out.text(2, 1, settings.get(Section::User, QStringLiteral("Name_POP")));
    out.text(
        3, 1, QStringLiteral("Накладная № ") + header.number + QStringLiteral(" от ") + formatTextDate(header.date));
    out.text(4, 1, QStringLiteral("Покупатель: ") + header.buyerName);
    const int c = r.start.col;
    int row = r.start.row;
    int n = 0;
    for (const DishSaleLine &l : lines) {
        out.number(row, c, ++n, QStringLiteral("0"), framed());
        out.text(row, c + 1, l.dish, framed());
        out.number(row, c + 2, l.portions, QStringLiteral("0.##"), framed());
        out.number(row, c + 3, l.output, QStringLiteral("0.##"), framed());
        out.number(row, c + 4, roundTo(l.price, 2), kMoney, framed());
        out.number(row, c + 5, roundTo(l.total(), 2), kMoney, framed());
        ++row;
    }
    out.text(row, c + 1, QStringLiteral("Итого"), framed(true));
    for (int k = 2; k <= 4; ++k)
        out.look(row, c + k, framed(true));
    if (lines.empty())
        out.number(row, c + 5, 0, kMoney, framed(true));
    else
        out.formula(row, c + 5,
            QStringLiteral("SUM(") + cellAddress(r.start.row, c + 5) + u':' + cellAddress(row - 1, c + 5) + u')',
            roundTo(header.sum, 2), kMoney, framed(true));
    return finishReport(r, out, static_cast<int>(lines.size()), outputPath, prompter);
}

} // namespace kulvera
