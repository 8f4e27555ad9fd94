#include "costing/RequisitionDocument.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "costing/PriceSources.h"
#include "documents/SheetWriter.h"
#include "documents/TemplateFiles.h"
#include "menus/MenuBase.h"
#include "menus/Ration.h"
#include "shell/Connections.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QHash>

namespace kulvera {
namespace {

const QString kSheet = QStringLiteral("Требование");
constexpr int kCaptionRow = 6;
constexpr int kFirstPlaceRow = 7;
constexpr int kDefaultPlaces = 5;
constexpr int kFirstCodeRow = kFirstPlaceRow + kDefaultPlaces;
// Room below the listed codes for the rows a technologist adds to the template.
constexpr int kSpareCodeRows = 300;

const QString kDateName = QStringLiteral("Дата");
const QString kGroupName = QStringLiteral("Группа");
const QString kMealsName = QStringLiteral("Приемы");
const QString kPlacesName = QStringLiteral("Рецептуры");
const QString kCodesName = QStringLiteral("Коды");

QString absolute(const CellRef &c)
{
    return u'$' + columnLetters(c.col) + u'$' + QString::number(c.row);
}

// A defined name's range, or nothing when the template does not define it.
Result<std::optional<CellRange>> optionalRange(const XlsxWorkbook &book, const QString &name)
{
    using R = Result<std::optional<CellRange>>;
    if (!book.hasName(name))
        return std::optional<CellRange>();
    Result<CellRange> r = book.range(name);
    if (!r)
        return R::failure(r.error());
    if (r->sheet != 0 || r->wholeRows || r->wholeColumns)
        return R::failure(
            QStringLiteral("Имя «") + name + QStringLiteral("» шаблона должно указывать на ячейки первого листа."));
    return std::optional<CellRange>(*r);
}

// A code as the template holds it: text, or a number typed into the cell.
QString codeIn(const XlsxWorkbook &book, int row, int col)
{
    if (const std::optional<double> n = book.number(row, col))
        return formatNumber(*n);
    return book.text(row, col).value_or(QString()).trimmed();
}

std::vector<std::pair<QString, QString>> baseProducts(const Connections &connections, const SettingsAccess &settings)
{
    std::vector<std::pair<QString, QString>> out;
    if (!connections.isConnected(BaseId::Products))
        return out;
    const QSqlDatabase db = connections.database(BaseId::Products);
    const SqlDialect &d = SqlDialect::of(db);
    SqlStatement q(db,
        QStringLiteral("SELECT ") + d.quote(QStringLiteral("Код")) + QStringLiteral(", ")
            + d.quote(QStringLiteral("Имя")) + QStringLiteral(" FROM ")
            + d.quote(readSetting(settings, Section::Prod, QStringLiteral("tbProd"))) + QStringLiteral(" ORDER BY ")
            + d.quote(QStringLiteral("Код")),
        &connections.errorLog());
    if (!q.exec())
        return out;
    while (q.next())
        out.emplace_back(q.value(0).toString().trimmed(), q.value(1).toString().trimmed());
    return out;
}

} // namespace

RequisitionLayout RequisitionCells::layout() const
{
    RequisitionLayout l;
    l.placesPerMeal = places;
    QSet<QString> codes;
    for (const auto &[code, row] : codeRows)
        codes.insert(code);
    l.codes = std::move(codes);
    return l;
}

Result<RequisitionCells> readRequisitionCells(const XlsxWorkbook &book)
{
    using R = Result<RequisitionCells>;
    RequisitionCells c;
    const std::pair<const QString *, CellRef *> single[]
        = {{&kDateName, &c.date}, {&kGroupName, &c.group}, {&kMealsName, &c.meals}};
    for (const auto &[name, cell] : single) {
        const Result<std::optional<CellRange>> r = optionalRange(book, *name);
        if (!r)
            return R::failure(r.error());
        if (*r)
            *cell = (*r)->first;
    }
    const Result<std::optional<CellRange>> places = optionalRange(book, kPlacesName);
    if (!places)
        return R::failure(places.error());
    if (*places) {
        c.firstPlace = (*places)->first;
        c.places = (*places)->last.row - (*places)->first.row + 1;
    }
    const Result<std::optional<CellRange>> codes = optionalRange(book, kCodesName);
    if (!codes)
        return R::failure(codes.error());
    const CellRef first = *codes ? (*codes)->first : CellRef {kFirstCodeRow, 1};
    const int last = *codes ? (*codes)->last.row : kFirstCodeRow + kSpareCodeRows;
    QSet<QString> seen;
    for (int row = first.row; row <= last; ++row) {
        const QString code = codeIn(book, row, first.col);
        if (code.isEmpty() || seen.contains(code))
            continue; // a repeated code fills its first row only
        seen.insert(code);
        c.codeRows.emplace_back(code, row);
    }
    return c;
}

XlsxWorkbook requisitionTemplate(const std::vector<std::pair<QString, QString>> &products)
{
    XlsxWorkbook book = XlsxWorkbook::blank(kSheet, QStringLiteral("Times New Roman"), 10);
    SheetWriter w(book);
    const double widths[] = {9, 34, 16, 16, 16, 16, 12};
    for (int c = 0; c < 7; ++c)
        book.setColumnWidth(c + 1, widths[c]);
    CellLook bold;
    bold.bold = true;
    CellLook framed;
    framed.thinBorder = true;
    CellLook header = framed;
    header.bold = true;
    header.wrap = true;
    w.text(1, 1, kRequisitionTitle.toString(), bold);
    w.text(2, 1, QStringLiteral("Учреждение:"), bold); // the user writes the organisation into B2 once
    w.text(3, 1, QStringLiteral("Дата:"), bold);
    w.text(4, 1, QStringLiteral("Группа:"), bold);
    w.text(kCaptionRow, 1, QStringLiteral("Код"), header);
    w.text(kCaptionRow, 2, QStringLiteral("Наименование продукта"), header);
    for (int m = 0; m < kRequisitionMeals; ++m)
        w.look(kCaptionRow, 3 + m, header);
    w.text(kCaptionRow, 3 + kRequisitionMeals, QStringLiteral("Итого"), header);
    w.text(kFirstPlaceRow, 2, QStringLiteral("Блюда"), framed);
    for (int row = kFirstPlaceRow; row < kFirstCodeRow; ++row) {
        w.look(row, 1, framed);
        for (int m = 0; m <= kRequisitionMeals; ++m)
            w.look(row, 3 + m, framed);
    }
    int row = kFirstCodeRow;
    for (const auto &[code, name] : products) {
        w.text(row, 1, code, framed);
        w.text(row, 2, name, framed);
        ++row;
    }
    const QString sheet = u'\'' + kSheet + QStringLiteral("'!");
    book.defineName(kDateName, sheet + absolute({3, 2}));
    book.defineName(kGroupName, sheet + absolute({4, 2}));
    book.defineName(kMealsName, sheet + absolute({kCaptionRow, 3}));
    book.defineName(kPlacesName, sheet + absolute({kFirstPlaceRow, 3}) + u':' + absolute({kFirstCodeRow - 1, 3}));
    book.defineName(kCodesName, sheet + absolute({kFirstCodeRow, 1}) + u':' + absolute({row + kSpareCodeRows, 1}));
    return book;
}

Result<ListOutcome> printRequisition(const Ration &ration, const Connections &connections,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter)
{
    using R = Result<ListOutcome>;
    const QString file = templateSetting(settings, kRequisitionTemplateKey.toString()).trimmed();
    // Our own is made where the setting names it.
    Result<OpenedTemplate> opened = openOrMakeTemplate(
        templatesFolder, file, file, [&] { return requisitionTemplate(baseProducts(connections, settings)); },
        outputPath);
    if (!opened)
        return R::failure(opened.error());
    XlsxWorkbook &book = opened.value().book;
    const Result<RequisitionCells> cells = readRequisitionCells(book);
    if (!cells)
        return R::failure(cells.error());
    const std::optional<MenuRequisition> r = buildRequisition(ration, cells->layout(), settings, prompter);
    if (!r)
        return R::failure(kTooManyMealsText.toString());

    SheetWriter out(book);
    out.text(cells->date, formatTextDate(ration.date()));
    out.text(cells->group, groupCaption(ration.group()));
    const int mealCol = cells->meals.col;
    for (int m = 0; m < r->meals.size(); ++m) {
        out.text(cells->meals.row, mealCol + m, r->meals[m]);
        const QStringList &recipes = r->recipes[static_cast<std::size_t>(m)];
        for (int i = 0; i < recipes.size(); ++i)
            out.text(cells->firstPlace.row + i, cells->firstPlace.col + m, recipes[i]);
    }
    const int pm = decimalsSetting(
        settings, static_cast<int>(Section::Data), QStringLiteral("lRoundBrutto"), kDefaultRoundBrutto);
    const QString format = pm > 0 ? QStringLiteral("0.") + QString(pm, u'0') : QStringLiteral("0");
    QHash<QString, const RequisitionRow *> byCode;
    for (const RequisitionRow &row : r->rows)
        byCode.insert(row.code, &row);
    int written = 0;
    for (const auto &[code, sheetRow] : cells->codeRows) {
        const RequisitionRow *row = byCode.value(code);
        if (!row) {
            out.hideRow(sheetRow); // the day does not use it: the template keeps it for other days
            continue;
        }
        if (book.text(sheetRow, 2).value_or(QString()).trimmed().isEmpty())
            out.text(sheetRow, 2, row->name);
        for (int m = 0; m < r->meals.size(); ++m) {
            const double v = row->meals[static_cast<std::size_t>(m)];
            if (v != 0)
                out.number(sheetRow, mealCol + m, roundTo(v, pm), format);
        }
        out.number(sheetRow, mealCol + kRequisitionMeals, roundTo(row->total, pm), format);
        ++written;
    }
    if (const Status saved = book.save(outputPath); !saved)
        return R::failure(saved.error());
    prompter.status(
        QStringLiteral("Требование экспортировано. Ошибок при экспорте - ") + QString::number(out.errors()));
    return ListOutcome {outputPath, opened->path, written, out.errors(), out.problems()};
}

QString requisitionFileName(const Ration &ration)
{
    QString name = QStringLiteral("Требование ") + formatTextDate(ration.date());
    if (!ration.group().trimmed().isEmpty())
        name += u' ' + ration.group().trimmed();
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (QChar &ch : name) {
        if (forbidden.contains(ch))
            ch = u'_';
    }
    return name + QStringLiteral(".xlsx");
}

} // namespace kulvera
