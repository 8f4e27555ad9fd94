#include "costing/PeriodStatement.h"

#include "common/NameCollator.h"
#include "common/Prompter.h"
#include "common/TextDate.h"
#include "costing/StatementTemplates.h"
#include "documents/ReportTemplate.h"
#include "documents/SheetWriter.h"
#include "documents/TemplateFiles.h"
#include "menus/MenuBase.h"
#include "menus/Ration.h"
#include "recipes/PositionKey.h"

#include <QCollator>
#include <QHash>

#include <algorithm>

namespace kulvera {
namespace {

const QString kSheet = QStringLiteral("Ведомость");
const QString kMassFormat = QStringLiteral("0.00");

} // namespace

QString periodDayLabel(int number)
{
    return QString::number(number) + QStringLiteral(" день.");
}

void addRationMasses(const Ration &ration, bool net, QHash<QString, double> &masses, QHash<QString, QString> &names)
{
    for (int n = 1; n <= ration.dishCount(); ++n) {
        const colBludo *dish = ration.dish(n);
        if (!dish)
            continue;
        for (const clsBludo &position : *dish) {
            const clsProds &p = position.clsProds();
            if (!isProductKey(p.Kod.toString()))
                continue;
            const QString code = p.ID_Prod.trimmed();
            masses[code] += net ? p.Netto : p.Brutto;
            if (!names.contains(code))
                names.insert(code, p.FullName.isEmpty() ? p.ShortName : p.FullName);
        }
    }
}

static Result<PeriodStatement> buildPeriodStatementUnshown(
    const MenuBase &menu, const QDate &from, const QDate &to, const QString &group, bool net, Prompter &prompter)
{
    using R = Result<PeriodStatement>;
    if (!from.isValid() || !to.isValid())
        return R::failure(QStringLiteral("Не удалось распознать дату!"));
    if (to < from)
        return R::failure(kEndBeforeStartText.toString());
    PeriodStatement s;
    s.from = from;
    s.to = to;
    s.group = group;
    s.net = net;
    std::vector<QHash<QString, double>> perDay;
    QHash<QString, QString> names;
    for (QDate day = from; day <= to; day = day.addDays(1)) {
        prompter.status(QStringLiteral("Проверка дня: ") + formatTextDate(day));
        const Result<Ration> ration = menu.load({day, group});
        if (!ration)
            return R::failure(ration.error());
        QHash<QString, double> masses;
        addRationMasses(*ration, net, masses, names);
        s.days.push_back({day, !ration->isEmpty(), {}});
        perDay.push_back(std::move(masses));
    }
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        s.products.push_back({it.key(), it.value()});
    const QCollator collator = nameCollator();
    std::sort(s.products.begin(), s.products.end(), [&](const StatementProduct &a, const StatementProduct &b) {
        const int c = collator.compare(a.name, b.name);
        return c != 0 ? c < 0 : collator.compare(a.code, b.code) < 0;
    });
    s.totals.assign(s.products.size(), 0.0);
    for (std::size_t d = 0; d < s.days.size(); ++d) {
        auto &masses = s.days[d].masses;
        masses.reserve(s.products.size());
        for (std::size_t p = 0; p < s.products.size(); ++p) {
            const double v = perDay[d].value(s.products[p].code);
            masses.push_back(v);
            s.totals[p] += v;
        }
    }
    prompter.status({});
    return s;
}

XlsxWorkbook periodStatementTemplate()
{
    XlsxWorkbook book = XlsxWorkbook::blank(kSheet, QStringLiteral("Times New Roman"), 10);
    SheetWriter w(book);
    book.setColumnWidth(1, 14);
    CellLook bold;
    bold.bold = true;
    w.text(1, 1, kPeriodStatementTitle.toString(), bold);
    book.defineName(kTableStartName.toString(), u'\'' + kSheet + QStringLiteral("'!$A$4"));
    return book;
}

static Result<ListOutcome> printPeriodStatementUnshown(const PeriodStatement &statement, const QString &templatesFolder,
    const SettingsAccess &settings, const QString &outputPath, Prompter &prompter)
{
    using R = Result<ListOutcome>;
    Result<OpenedStatementSheet> opened = openStatementSheet(templatesFolder, settings, kPeriodTemplateKey.toString(),
        kPeriodTemplateFile.toString(), periodStatementTemplate, outputPath, prompter, {4, 1});
    if (!opened)
        return R::failure(opened.error());
    XlsxWorkbook &book = opened.value().opened.book;
    const CellRef start = opened.value().start;
    SheetWriter out(book);
    out.text(2, 1,
        QStringLiteral("Период: ") + formatTextDate(statement.from) + QStringLiteral(" - ")
            + formatTextDate(statement.to) + QStringLiteral("; группа: ") + groupCaption(statement.group)
            + QStringLiteral("; масса: ") + (statement.net ? QStringLiteral("нетто") : QStringLiteral("брутто")));

    const int col = start.col;
    int row = start.row;
    CellLook caption = framed(true);
    caption.wrap = true;
    out.text(row, col, kPeriodFirstColumn.toString(), caption);
    for (std::size_t p = 0; p < statement.products.size(); ++p) {
        const int c = col + 1 + static_cast<int>(p);
        out.text(row, c, statement.products[p].name, caption);
        book.setColumnWidth(c, 12);
    }
    const int firstDayRow = row + 1;
    for (std::size_t d = 0; d < statement.days.size(); ++d) {
        row = firstDayRow + static_cast<int>(d);
        const PeriodStatement::Day &day = statement.days[d];
        out.text(row, col, periodDayLabel(static_cast<int>(d) + 1), framed());
        for (std::size_t p = 0; p < statement.products.size(); ++p) {
            const int c = col + 1 + static_cast<int>(p);
            if (day.masses[p] != 0)
                out.number(row, c, day.masses[p], kMassFormat, framed());
            else
                out.look(row, c, framed());
        }
    }
    const int lastDayRow = firstDayRow + static_cast<int>(statement.days.size()) - 1;
    row = lastDayRow + 1;
    out.text(row, col, kPeriodTotalRow.toString(), framed(true));
    for (std::size_t p = 0; p < statement.products.size(); ++p) {
        const int c = col + 1 + static_cast<int>(p);
        out.formula(row, c,
            QStringLiteral("SUM(") + cellAddress(firstDayRow, c) + u':' + cellAddress(lastDayRow, c) + u')',
            statement.totals[p], kMassFormat, framed(true));
    }
    if (const Status saved = book.save(outputPath); !saved)
        return R::failure(saved.error());
    prompter.status(QStringLiteral("Ведомость сформирована. Ошибок при экспорте: ") + QString::number(out.errors()));
    return ListOutcome {
        outputPath, opened->opened.path, static_cast<int>(statement.days.size()), out.errors(), out.problems()};
}

Result<PeriodStatement> buildPeriodStatement(
    const MenuBase &menu, const QDate &from, const QDate &to, const QString &group, bool net, Prompter &prompter)
{
    return shownOnFailure(buildPeriodStatementUnshown(menu, from, to, group, net, prompter), prompter);
}

Result<ListOutcome> printPeriodStatement(const PeriodStatement &statement, const QString &templatesFolder,
    const SettingsAccess &settings, const QString &outputPath, Prompter &prompter)
{
    return shownOnFailure(
        printPeriodStatementUnshown(statement, templatesFolder, settings, outputPath, prompter), prompter);
}

} // namespace kulvera
