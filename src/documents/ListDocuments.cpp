#include "documents/ListDocuments.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "documents/SheetWriter.h"
#include "documents/TemplateFiles.h"
#include "recipes/DishBase.h"

#include <map>

namespace kulvera {
namespace {

CellLook framed(bool bold = false, const QString &format = {})
{
    CellLook l;
    l.thinBorder = true;
    if (bold)
        l.bold = true;
    if (!format.isEmpty())
        l.numberFormat = format;
    return l;
}

// Opens the list template a setting names and finds where its table starts.
struct OpenedList {
    XlsxWorkbook book;
    QString path;
    CellRef start;
};

Result<OpenedList> openList(const QString &folder, const SettingsAccess &settings, const QString &key,
    const QString &outputPath, const QString &missingText)
{
    using R = Result<OpenedList>;
    if (outputPath.isEmpty())
        return R::failure(QStringLiteral("Не указан файл документа."));
    const QString configured = templateSetting(settings, key);
    const std::optional<QString> path = findTemplate(folder, configured);
    if (!path)
        return R::failure(missingText);
    Result<XlsxWorkbook> opened = openTemplateFor(*path, outputPath);
    if (!opened)
        return R::failure(opened.error());
    const Result<CellRef> start = namedCellOr(opened.value(), kTableStartName.toString(), {4, 1});
    if (!start)
        return R::failure(start.error());
    return OpenedList {std::move(opened).value(), *path, *start};
}

Result<ListOutcome> finish(OpenedList &list, SheetWriter &out, int rows, const QString &outputPath,
    const QString &doneText, Prompter &prompter)
{
    if (const Status s = list.book.save(outputPath); !s)
        return Result<ListOutcome>::failure(s.error());
    ListOutcome outcome {outputPath, list.path, rows, out.errors(), out.problems()};
    prompter.status(doneText);
    return outcome;
}

} // namespace

QString statementExportedText(int errors)
{
    return QStringLiteral("Ведомость продуктов экспортирована. Ошибок при экспорте - ") + QString::number(errors);
}

QString registerExportedText(int errors)
{
    return QStringLiteral("Реестр блюд экспортирован. Ошибок при экспорте - ") + QString::number(errors);
}

std::vector<StatementLine> productStatementLines(
    const std::vector<UnitGroup> &groups, const std::vector<Unit> &units, const std::vector<ProductRow> &products)
{
    std::map<qint64, QString> unitNames;
    for (const Unit &u : units)
        unitNames[u.id] = u.name;
    std::map<qint64, std::vector<const ProductRow *>> byGroup;
    for (const ProductRow &row : products)
        byGroup[row.groupKey].push_back(&row);

    std::vector<StatementLine> lines;
    auto addProducts = [&](const std::vector<const ProductRow *> &rows) {
        for (const ProductRow *row : rows) {
            const QString name = row->prod.FullName.trimmed().isEmpty() ? row->prod.ShortName : row->prod.FullName;
            const auto unit = unitNames.find(row->priceUnit);
            lines.push_back(
                {false, row->key(), name, unit == unitNames.end() ? QString() : unit->second, row->prod.Price});
        }
    };
    for (const UnitGroup &g : groups) {
        lines.push_back({true, g.key, g.name, {}, 0});
        if (const auto it = byGroup.find(g.key); it != byGroup.end()) {
            addProducts(it->second);
            byGroup.erase(it);
        }
    }
    std::vector<const ProductRow *> orphans;
    for (const ProductRow &row : products) {
        if (byGroup.contains(row.groupKey))
            orphans.push_back(&row);
    }
    if (!orphans.empty()) {
        lines.push_back({true, 0, QStringLiteral("Без группы"), {}, 0});
        addProducts(orphans);
    }
    return lines;
}

std::vector<RegisterLine> recipeRegisterLines(DishBase &base, const QString &table, QStringList *skipped)
{
    std::vector<RegisterLine> lines;
    const Result<QStringList> names = base.recipeNames(table);
    if (!names)
        return lines;
    for (const QString &name : names.value()) {
        RecipeSlots memory;
        const Result<LoadedRecipe> loaded = base.load(memory, 1, table, name, QString());
        const colBludo *slot = memory.slot(1);
        if (!loaded || !slot || slot->Count() == 0) {
            if (skipped)
                skipped->append(name);
            continue;
        }
        const clsProds &header = slot->item(1)->clsProds();
        lines.push_back({header.sCode, name, loaded->storedOutput, header.NameND});
    }
    return lines;
}

Result<ListOutcome> produceProductStatement(const std::vector<StatementLine> &lines, const QString &templatesFolder,
    const SettingsAccess &settings, const QString &outputPath, Prompter &prompter)
{
    Result<OpenedList> opened = openList(templatesFolder, settings, QStringLiteral("Shablon_Excel_Ved_Prod"),
        outputPath, QStringLiteral("Не найден шаблон ведомости продуктов!"));
    if (!opened)
        return Result<ListOutcome>::failure(opened.error());
    OpenedList &list = opened.value();
    SheetWriter out(list.book);
    int row = list.start.row;
    const int col = list.start.col;
    for (const StatementLine &line : lines) {
        if (line.group) {
            for (int c = 0; c < 4; ++c)
                out.look(row, col + c, framed(true));
            out.text(row, col + 1, line.name, framed(true));
        } else {
            out.number(row, col, static_cast<double>(line.key), QStringLiteral("0"), framed());
            out.text(row, col + 1, line.name, framed());
            out.text(row, col + 2, line.unit, framed());
            out.number(row, col + 3, line.price, QStringLiteral("0.00"), framed());
        }
        ++row;
    }
    return finish(list, out, static_cast<int>(lines.size()), outputPath, statementExportedText(out.errors()), prompter);
}

Result<ListOutcome> produceRecipeRegister(const std::vector<RegisterLine> &lines, const QString &templatesFolder,
    const SettingsAccess &settings, const QString &outputPath, Prompter &prompter)
{
    const QString configured = templateSetting(settings, QStringLiteral("sDReestr"));
    Result<OpenedList> opened = openList(templatesFolder, settings, QStringLiteral("sDReestr"), outputPath,
        QStringLiteral("Не найден шаблон реестра блюд: ") + configured);
    if (!opened)
        return Result<ListOutcome>::failure(opened.error());
    OpenedList &list = opened.value();
    SheetWriter out(list.book);
    int row = list.start.row;
    const int col = list.start.col;
    int number = 0;
    for (const RegisterLine &line : lines) {
        out.number(row, col, ++number, QStringLiteral("0"), framed());
        out.text(row, col + 1, line.number, framed());
        out.text(row, col + 2, line.name, framed());
        // A plain output is a number the user can add up; "150/50" stays text.
        if (const std::optional<double> output = parseNumber(line.output.trimmed()))
            out.number(row, col + 3, *output, {}, framed());
        else
            out.text(row, col + 3, line.output, framed());
        out.text(row, col + 4, line.source, framed());
        ++row;
    }
    return finish(list, out, number, outputPath, registerExportedText(out.errors()), prompter);
}

} // namespace kulvera
