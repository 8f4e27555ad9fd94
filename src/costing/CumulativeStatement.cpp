#include "costing/CumulativeStatement.h"

#include "common/NameCollator.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "costing/PeriodStatement.h"
#include "costing/PriceSources.h"
#include "costing/StatementTemplates.h"
#include "documents/ReportTemplate.h"
#include "documents/SheetWriter.h"
#include "documents/TemplateFiles.h"
#include "menus/MenuBase.h"
#include "menus/Ration.h"

#include <QCollator>
#include <QHash>

#include <algorithm>

namespace kulvera {
namespace {

const QString kSheet = QStringLiteral("Ведомость");
const QString kMassFormat = QStringLiteral("0.00");
constexpr int kFixedColumns = 4;

} // namespace

QStringList CumulativeStatement::captions() const
{
    QStringList c {QStringLiteral("Код"), QStringLiteral("Наименование продукта"), QStringLiteral("Ед.изм. коэф"),
        QStringLiteral("Ед.изм.")};
    for (const QDate &d : dates) {
        c << QStringLiteral("Брутто (") + formatTextDate(d) + u')';
        c << QStringLiteral("Нетто (") + formatTextDate(d) + u')';
    }
    c << QStringLiteral("Итого брутто") << QStringLiteral("Итого нетто");
    return c;
}

static Result<CumulativeStatement> buildCumulativeStatementUnshown(
    const MenuBase &menu, std::vector<QDate> dates, const QString &group, PriceSources &prices, Prompter &prompter)
{
    using R = Result<CumulativeStatement>;
    std::erase_if(dates, [](const QDate &d) { return !d.isValid(); });
    if (dates.empty())
        return R::failure(kNoDatesText.toString());
    std::sort(dates.begin(), dates.end());
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
    CumulativeStatement s;
    s.dates = dates;
    s.group = group;
    std::vector<QHash<QString, double>> gross(dates.size());
    std::vector<QHash<QString, double>> net(dates.size());
    QHash<QString, QString> names;
    for (std::size_t d = 0; d < dates.size(); ++d) {
        prompter.status(QStringLiteral("Проверка дня: ") + formatTextDate(dates[d]));
        const Result<Ration> ration = menu.load({dates[d], group});
        if (!ration)
            return R::failure(ration.error());
        addRationMasses(*ration, false, gross[d], names);
        addRationMasses(*ration, true, net[d], names);
    }
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        CumulativeRow row;
        row.code = it.key();
        row.name = it.value();
        const qint64 product = row.code.toLongLong();
        row.koef = prices.priceUnitFactor(product);
        row.unit = prices.priceUnitName(product);
        for (std::size_t d = 0; d < dates.size(); ++d) {
            row.gross.push_back(gross[d].value(row.code));
            row.net.push_back(net[d].value(row.code));
            row.totalGross += row.gross.back();
            row.totalNet += row.net.back();
        }
        s.rows.push_back(std::move(row));
    }
    const QCollator collator = nameCollator();
    std::sort(s.rows.begin(), s.rows.end(), [&](const CumulativeRow &a, const CumulativeRow &b) {
        const int c = collator.compare(a.name, b.name);
        return c != 0 ? c < 0 : collator.compare(a.code, b.code) < 0;
    });
    prompter.status({});
    return s;
}

XlsxWorkbook cumulativeStatementTemplate()
{
    return reportTemplate(
        kSheet, kCumulativeTitle, CumulativeStatement().captions().mid(0, kFixedColumns), {8, 34, 10, 8});
}

static Result<ListOutcome> printCumulativeStatementUnshown(const CumulativeStatement &statement,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter)
{
    using R = Result<ListOutcome>;
    Result<OpenedStatementSheet> opened
        = openStatementSheet(templatesFolder, settings, kCumulativeTemplateKey.toString(),
            kCumulativeTemplateFile.toString(), cumulativeStatementTemplate, outputPath, prompter, {6, 1});
    if (!opened)
        return R::failure(opened.error());
    XlsxWorkbook &book = opened.value().opened.book;
    const CellRef start = opened.value().start;
    SheetWriter out(book);
    out.text(2, 1, settings.get(Section::Documents, QStringLiteral("FirstLineSvodMenu")));
    out.text(3, 1, settings.get(Section::Documents, QStringLiteral("SecondLineSvodMenu")));
    QStringList dates;
    for (const QDate &d : statement.dates)
        dates << formatTextDate(d);
    out.text(4, 1,
        QStringLiteral("Группа: ") + groupCaption(statement.group) + QStringLiteral("; даты: ")
            + dates.join(QStringLiteral(", ")));

    const int col = start.col;
    const QStringList captions = statement.captions();
    CellLook header = framed(true);
    header.wrap = true;
    if (start.row > 1) {
        for (int c = 0; c < captions.size(); ++c) {
            out.text(start.row - 1, col + c, captions[c], header);
            if (c >= kFixedColumns)
                book.setColumnWidth(col + c, 12);
        }
    }
    int row = start.row;
    for (const CumulativeRow &r : statement.rows) {
        out.text(row, col, r.code, framed());
        out.text(row, col + 1, r.name, framed());
        out.number(row, col + 2, r.koef, {}, framed());
        out.text(row, col + 3, r.unit, framed());
        int c = col + kFixedColumns;
        for (std::size_t d = 0; d < statement.dates.size(); ++d) {
            out.number(row, c++, r.gross[d], kMassFormat, framed());
            out.number(row, c++, r.net[d], kMassFormat, framed());
        }
        out.number(row, c++, r.totalGross, kMassFormat, framed(true));
        out.number(row, c, r.totalNet, kMassFormat, framed(true));
        ++row;
    }
    if (const Status saved = book.save(outputPath); !saved)
        return R::failure(saved.error());
    prompter.status(QStringLiteral("Ведомость сформирована. Ошибок при экспорте: ") + QString::number(out.errors()));
    return ListOutcome {
        outputPath, opened->opened.path, static_cast<int>(statement.rows.size()), out.errors(), out.problems()};
}

Result<CumulativeStatement> buildCumulativeStatement(
    const MenuBase &menu, std::vector<QDate> dates, const QString &group, PriceSources &prices, Prompter &prompter)
{
    return shownOnFailure(buildCumulativeStatementUnshown(menu, std::move(dates), group, prices, prompter), prompter);
}

Result<ListOutcome> printCumulativeStatement(const CumulativeStatement &statement, const QString &templatesFolder,
    const SettingsAccess &settings, const QString &outputPath, Prompter &prompter)
{
    return shownOnFailure(
        printCumulativeStatementUnshown(statement, templatesFolder, settings, outputPath, prompter), prompter);
}

} // namespace kulvera
