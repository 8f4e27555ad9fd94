#include "costing/SummaryMenu.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "costing/CumulativeStatement.h"
#include "costing/DishCost.h"
#include "costing/PriceSources.h"
#include "costing/StatementTemplates.h"
#include "documents/SheetWriter.h"
#include "documents/TemplateFiles.h"
#include "menus/MenuBase.h"
#include "menus/Ration.h"
#include "shell/SettingDefaults.h"

#include <QHash>

#include <algorithm>
#include <map>

namespace kulvera {
namespace {

const QString kNumberCell = QStringLiteral("Табл_Номер");
const QString kNameCell = QStringLiteral("Табл_Имя");
const QString kOutputCell = QStringLiteral("Табл_Выход");
const QString kPriceCell = QStringLiteral("Табл_Цена");
const QString kDatesCell = QStringLiteral("Даты_меню");
const QString kGroupCell = QStringLiteral("Группа");
const QString kStartCell = QStringLiteral("ТаблСтарт");
const QString kEstablishmentCell = QStringLiteral("Учреждение");
// Rows of our own template.
constexpr int kVariantRow = 5;
constexpr int kFirstDishRow = 7;

int numberSetting(const SettingsAccess &settings, const QString &key, int fallback)
{
    bool ok = false;
    const int n = readSetting(settings, Section::Documents, key).trimmed().toInt(&ok);
    return ok && n > 0 ? n : fallback;
}

QString reference(const QString &sheet, int row, int col)
{
    return u'\'' + sheet + QStringLiteral("'!") + absoluteAddress(row, col);
}

// Where the menu goes, read from the template's names.
struct SummaryCells {
    CellRef number, name, dates, group, start;
    std::optional<CellRef> establishment;
    std::vector<CellRef> outputs, prices; // per chosen variant
    std::vector<int> unusedColumns; // the template's columns of variants not chosen
};

Result<SummaryCells> readSummaryCells(const XlsxWorkbook &book, int variants, const SettingsAccess &settings)
{
    using R = Result<SummaryCells>;
    auto required = [&](const QString &name) -> Result<CellRef> {
        if (!book.hasName(name)) {
            return Result<CellRef>::failure(
                QStringLiteral("Не найдено поле ") + name + QStringLiteral(" в шаблоне сводной ведомости."));
        }
        return namedCellOr(book, name, {});
    };
    SummaryCells c;
    const std::pair<const QString *, CellRef *> single[]
        = {{&kNumberCell, &c.number}, {&kNameCell, &c.name}, {&kDatesCell, &c.dates}, {&kGroupCell, &c.group}};
    for (const auto &[name, cell] : single) {
        const Result<CellRef> r = required(*name);
        if (!r)
            return R::failure(r.error());
        *cell = *r;
    }
    for (int v = 1; v <= kSummaryVariantColumns; ++v) {
        const QString output = kOutputCell + QString::number(v);
        const QString price = kPriceCell + QString::number(v);
        if (v > variants) {
            for (const QString &name : {output, price}) {
                if (book.hasName(name)) {
                    if (const Result<CellRef> r = namedCellOr(book, name, {}))
                        c.unusedColumns.push_back(r->col);
                }
            }
            continue;
        }
        const Result<CellRef> o = required(output);
        if (!o)
            return R::failure(o.error());
        const Result<CellRef> p = required(price);
        if (!p)
            return R::failure(p.error());
        c.outputs.push_back(*o);
        c.prices.push_back(*p);
    }
    const Result<CellRef> start = namedCellOr(
        book, kStartCell, {numberSetting(settings, QStringLiteral("StartRowSvodMenu"), kFirstDishRow), 1});
    if (!start)
        return R::failure(start.error());
    c.start = *start;
    if (book.hasName(kEstablishmentCell)) {
        const Result<CellRef> e = namedCellOr(book, kEstablishmentCell, {});
        if (!e)
            return R::failure(e.error());
        c.establishment = *e;
    }
    return c;
}

void writeOutput(SheetWriter &out, int row, int col, const QString &output, const CellLook &look)
{
    if (const std::optional<double> n = parseNumber(output.trimmed()))
        out.number(row, col, *n, {}, look);
    else
        out.text(row, col, output, look);
}

} // namespace

static Status selectionUnshown(
    const std::vector<QDate> &dates, const QStringList &variants, const SettingsAccess &settings)
{
    auto refuse = [](const QString &text) { return Status::failure(text); };
    if (variants.size() < 2)
        return refuse(kTwoVariantsText.toString());
    if (dates.empty())
        return refuse(kNoDatesText.toString());
    if (variants.size() > kSummaryVariantColumns) {
        return refuse(QStringLiteral("Сводное меню строится не больше чем по ")
            + QString::number(kSummaryVariantColumns) + QStringLiteral(" вариантам меню."));
    }
    const int maxRations = numberSetting(settings, QStringLiteral("MaxRationForSvodMenu"), 100);
    const qsizetype rations = variants.size() * static_cast<qsizetype>(dates.size());
    if (rations > maxRations) {
        return refuse(QStringLiteral("Выбрано рационов: ") + QString::number(rations)
            + QStringLiteral(". Сводное меню строится не больше чем по ") + QString::number(maxRations)
            + QStringLiteral(" рационам."));
    }
    return {};
}

static Result<SummaryMenu> buildSummaryUnshown(const MenuBase &menu, std::vector<QDate> dates, QStringList variants,
    const QStringList &mealList, PriceSources &prices, SeasonalOutputs &seasonal, const SettingsAccess &settings,
    Prompter &prompter)
{
    using R = Result<SummaryMenu>;
    std::erase_if(dates, [](const QDate &d) { return !d.isValid(); });
    std::sort(dates.begin(), dates.end());
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
    variants.removeDuplicates();
    if (const Status s = selectionUnshown(dates, variants, settings); !s)
        return R::failure(s.error());
    SummaryMenu m;
    m.dates = dates;
    m.variants = variants;
    const std::size_t nv = static_cast<std::size_t>(variants.size());
    const int p = prices.roundPrice();
    for (const QDate &date : dates) {
        struct Placed {
            int mealRank;
            SummaryDish dish;
        };
        std::vector<Placed> day;
        QHash<QString, std::size_t> rowOf; // meal, name, occurrence → row of the day
        for (std::size_t v = 0; v < nv; ++v) {
            prompter.status(QStringLiteral("Загрузка рациона: ") + formatTextDate(date) + QStringLiteral(" [")
                + groupCaption(variants[static_cast<qsizetype>(v)]) + u']');
            const Result<Ration> ration = menu.load({date, variants[static_cast<qsizetype>(v)]});
            if (!ration)
                return R::failure(ration.error());
            if (ration->dishCount() > kMaxRecipesInRation)
                return R::failure(kTooManyRecipesText.toString());
            QHash<QString, int> seen;
            for (int meal = 1; meal <= ration->mealCount(); ++meal) {
                const QString mealName = ration->mealName(meal);
                const qsizetype listed = mealList.indexOf(mealName);
                const int rank = listed >= 0 ? static_cast<int>(listed) : static_cast<int>(mealList.size()) + meal;
                const colRation *entries = ration->meal(meal);
                for (int e = 1; entries && e <= entries->Count(); ++e) {
                    const int n = ration->dishAt(meal, e);
                    const colBludo *positions = ration->dish(n);
                    if (!positions)
                        continue;
                    const QString name = ration->dishName(n);
                    const QString key = mealName + u'\x1f' + name;
                    const QString occurrence = key + u'\x1f' + QString::number(seen[key]++);
                    std::size_t row = 0;
                    if (const auto found = rowOf.constFind(occurrence); found != rowOf.cend()) {
                        row = *found;
                    } else {
                        row = day.size();
                        rowOf.insert(occurrence, row);
                        SummaryDish dish {date, mealName, name, std::vector<std::optional<QString>>(nv),
                            std::vector<std::optional<double>>(nv)};
                        day.push_back({rank, std::move(dish)});
                    }
                    day[row].dish.outputs[v] = ration->dishOutput(n);
                    day[row].dish.prices[v] = roundTo(dishPrice(*positions, prices, seasonal, 1).cost, p);
                }
            }
        }
        std::stable_sort(
            day.begin(), day.end(), [](const Placed &a, const Placed &b) { return a.mealRank < b.mealRank; });
        for (Placed &placed : day)
            m.dishes.push_back(std::move(placed.dish));
    }
    prompter.status({});
    const int maxDishes = numberSetting(settings, QStringLiteral("MaxDishForSvodMenu"), 100);
    if (static_cast<int>(m.dishes.size()) > maxDishes) {
        m.leftOut = static_cast<int>(m.dishes.size()) - maxDishes;
        m.dishes.resize(static_cast<std::size_t>(maxDishes));
        prompter.warning(QStringLiteral("В сводное меню вошли первые ") + QString::number(maxDishes)
            + QStringLiteral(" блюд (MaxDishForSvodMenu); не вошло блюд: ") + QString::number(m.leftOut));
    }
    m.totals.assign(nv, 0.0);
    for (const SummaryDish &d : m.dishes) {
        for (std::size_t v = 0; v < nv; ++v)
            m.totals[v] += d.prices[v].value_or(0.0);
    }
    for (double &t : m.totals)
        t = roundTo(t, p);
    return m;
}

XlsxWorkbook summaryMenuTemplate(const QString &sheetName)
{
    XlsxWorkbook book = XlsxWorkbook::blank(sheetName, QStringLiteral("Times New Roman"), 10);
    SheetWriter w(book);
    book.setColumnWidth(1, 5);
    book.setColumnWidth(2, 40);
    CellLook bold;
    bold.bold = true;
    CellLook header;
    header.bold = true;
    header.thinBorder = true;
    header.wrap = true;
    w.text(1, 1, kSummaryTitle.toString(), bold);
    w.text(3, 1, QStringLiteral("Даты:"), bold);
    w.text(kVariantRow, 1, QStringLiteral("№"), header);
    w.text(kVariantRow, 2, QStringLiteral("Наименование блюда"), header);
    w.look(kVariantRow + 1, 1, header);
    w.look(kVariantRow + 1, 2, header);
    book.mergeCells({kVariantRow, 1}, {kVariantRow + 1, 1});
    book.mergeCells({kVariantRow, 2}, {kVariantRow + 1, 2});
    book.defineName(kEstablishmentCell, reference(sheetName, 2, 1));
    book.defineName(kDatesCell, reference(sheetName, 3, 2));
    book.defineName(kGroupCell, reference(sheetName, kVariantRow, 3));
    book.defineName(kStartCell, reference(sheetName, kFirstDishRow, 1));
    book.defineName(kNumberCell, reference(sheetName, kFirstDishRow, 1));
    book.defineName(kNameCell, reference(sheetName, kFirstDishRow, 2));
    for (int v = 1; v <= kSummaryVariantColumns; ++v) {
        const int col = 1 + 2 * v;
        book.setColumnWidth(col, 9);
        book.setColumnWidth(col + 1, 9);
        w.look(kVariantRow, col, header);
        w.look(kVariantRow, col + 1, header);
        book.mergeCells({kVariantRow, col}, {kVariantRow, col + 1});
        w.text(kVariantRow + 1, col, QStringLiteral("Выход"), header);
        w.text(kVariantRow + 1, col + 1, QStringLiteral("Цена"), header);
        book.defineName(kOutputCell + QString::number(v), reference(sheetName, kFirstDishRow, col));
        book.defineName(kPriceCell + QString::number(v), reference(sheetName, kFirstDishRow, col + 1));
    }
    return book;
}

static Result<ListOutcome> produceSummaryUnshown(const MenuBase &menu, const std::vector<QDate> &dates,
    const QStringList &variants, const QStringList &mealList, PriceSources &prices, SeasonalOutputs &seasonal,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter)
{
    using R = Result<ListOutcome>;
    QStringList chosen = variants;
    chosen.removeDuplicates();
    if (const Status s = selectionUnshown(dates, chosen, settings); !s)
        return R::failure(s.error());
    const QString file = templateSetting(settings, kSummaryTemplateKey.toString()).trimmed();
    if (file.isEmpty()) {
        return R::failure(
            QStringLiteral("Нет шаблона для сводных меню. ") + QStringLiteral("Установите шаблон и повторите попытку"));
    }
    const QString sheetName = readSetting(settings, Section::Documents, QStringLiteral("sMenuSummSheet")).trimmed();
    Result<OpenedTemplate> opened = openStatementTemplate({templatesFolder, file, kSummaryTemplateFile.toString(),
        [&] { return summaryMenuTemplate(sheetName.isEmpty() ? QStringLiteral("SvodMenu") : sheetName); },
        QStringLiteral("Не установлен шаблон меню рационов: ") + file
            + QStringLiteral("\nУстановите шаблон и повторите попытку"),
        outputPath});
    if (!opened)
        return R::failure(opened.error());
    XlsxWorkbook &book = opened.value().book;
    const Result<SummaryCells> cells = readSummaryCells(book, static_cast<int>(chosen.size()), settings);
    if (!cells)
        return R::failure(cells.error());
    const Result<SummaryMenu> built
        = buildSummaryUnshown(menu, dates, chosen, mealList, prices, seasonal, settings, prompter);
    if (!built)
        return R::failure(built.error());
    const SummaryMenu &m = *built;
    const SummaryCells &c = *cells;

    SheetWriter out(book);
    if (c.establishment)
        out.text(*c.establishment, settings.get(Section::User, QStringLiteral("Name_POP")));
    QStringList dateTexts;
    for (const QDate &d : m.dates)
        dateTexts << formatTextDate(d);
    out.text(c.dates, dateTexts.join(QStringLiteral(", ")));
    for (qsizetype v = 0; v < m.variants.size(); ++v) {
        const CellRef at = v == 0 ? c.group : CellRef {c.group.row, c.outputs[static_cast<std::size_t>(v)].col};
        out.text(at, groupCaption(m.variants[v]));
    }
    for (int col : c.unusedColumns)
        out.hideColumn(col);

    const bool borders = !settingSwitch(settings, Section::Documents, QStringLiteral("bSkipSvodMenuTablLines"));
    CellLook cell;
    if (borders)
        cell.thinBorder = true;
    std::vector<int> columns {c.number.col, c.name.col};
    for (std::size_t v = 0; v < c.outputs.size(); ++v) {
        columns.push_back(c.outputs[v].col);
        columns.push_back(c.prices[v].col);
    }
    const auto frameRow = [&](int row) {
        if (!borders)
            return;
        for (int col : columns)
            out.look(row, col, cell);
    };
    const QString priceFormat = decimalsMask(prices.roundPrice());
    int row = c.start.row;
    const int firstRow = row;
    int number = 0;
    QDate lastDate;
    CellLook dateLook = cell;
    dateLook.bold = true;
    for (const SummaryDish &d : m.dishes) {
        if (m.dates.size() > 1 && d.date != lastDate) {
            frameRow(row);
            out.text(row, c.name.col, formatTextDate(d.date), dateLook);
            ++row;
        }
        lastDate = d.date;
        frameRow(row);
        out.number(row, c.number.col, ++number, QStringLiteral("0"), cell);
        out.text(row, c.name.col, d.name, cell);
        for (std::size_t v = 0; v < c.outputs.size(); ++v) {
            if (d.outputs[v])
                writeOutput(out, row, c.outputs[v].col, *d.outputs[v], cell);
            if (d.prices[v])
                out.number(row, c.prices[v].col, *d.prices[v], priceFormat, cell);
        }
        ++row;
    }
    const int lastRow = row - 1;
    if (!settingSwitch(settings, Section::Documents, QStringLiteral("bSkipItogStrSvodMenu"))) {
        CellLook total = cell;
        total.bold = settingSwitch(settings, Section::Documents, QStringLiteral("sSvodMenuItogStrBold"));
        total.italic = settingSwitch(settings, Section::Documents, QStringLiteral("sSvodMenuItogStrItalic"));
        frameRow(row);
        for (int col : columns)
            out.look(row, col, total);
        out.text(row, c.name.col, readSetting(settings, Section::Documents, QStringLiteral("sSvodMenuItogTit")), total);
        for (std::size_t v = 0; v < c.prices.size(); ++v) {
            // The sum over the dish rows above, as "=SUM(R[-n]C:R[-1]C)" says in R1C1.
            const int col = c.prices[v].col;
            const QString formula = lastRow >= firstRow
                ? QStringLiteral("SUM(") + cellAddress(firstRow, col) + u':' + cellAddress(lastRow, col) + u')'
                : QStringLiteral("0");
            out.formula(row, col, formula, m.totals[v], priceFormat, total);
        }
        ++row;
    }
    const std::pair<const char16_t *, const char16_t *> after[]
        = {{u"bSkipItogAfter1SvodMenu", u"sSvodMenuAfter1"}, {u"bSkipItogAfter2SvodMenu", u"sSvodMenuAfter2"}};
    ++row; // a blank row between the table and the lines after it
    for (const auto &[skip, text] : after) {
        if (settingSwitch(settings, Section::Documents, QString::fromUtf16(skip)))
            continue;
        const QString line = settings.get(Section::Documents, QString::fromUtf16(text));
        if (line.trimmed().isEmpty())
            continue;
        out.text(row++, c.name.col, line);
    }
    if (const Status saved = book.save(outputPath); !saved)
        return R::failure(saved.error());
    prompter.status(QStringLiteral("Сводное меню сформировано. Ошибок при экспорте: ") + QString::number(out.errors()));
    return ListOutcome {outputPath, opened->path, static_cast<int>(m.dishes.size()), out.errors(), out.problems()};
}

Status checkSummarySelection(
    const std::vector<QDate> &dates, const QStringList &variants, const SettingsAccess &settings, Prompter &prompter)
{
    const Status s = selectionUnshown(dates, variants, settings);
    if (!s)
        prompter.warning(s.error());
    return s;
}

Result<SummaryMenu> buildSummaryMenu(const MenuBase &menu, std::vector<QDate> dates, QStringList variants,
    const QStringList &mealList, PriceSources &prices, SeasonalOutputs &seasonal, const SettingsAccess &settings,
    Prompter &prompter)
{
    return shownOnFailure(buildSummaryUnshown(menu, std::move(dates), std::move(variants), mealList, prices, seasonal,
                              settings, prompter),
        prompter);
}

Result<ListOutcome> produceSummaryMenu(const MenuBase &menu, const std::vector<QDate> &dates,
    const QStringList &variants, const QStringList &mealList, PriceSources &prices, SeasonalOutputs &seasonal,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter)
{
    return shownOnFailure(produceSummaryUnshown(menu, dates, variants, mealList, prices, seasonal, templatesFolder,
                              settings, outputPath, prompter),
        prompter);
}

} // namespace kulvera
