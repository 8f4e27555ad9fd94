#include "warehouse/DishWriteOff.h"

#include "common/Prompter.h"
#include "recipes/DishBase.h"
#include "recipes/Masses.h"
#include "recipes/RecipeExpansion.h"
#include "shell/SqlStatement.h"
#include "warehouse/WarehouseBase.h"
#include "warehouse/Warehouses.h"

#include <cmath>

namespace kulvera {
namespace {

const QString kNoDish = QStringLiteral("Рецептура не найдена!");

} // namespace

DishWriteOff::DishWriteOff(WarehouseBase &base, DishBase &dishes)
    : base_(base)
    , dishes_(dishes)
{
}

Result<qint64> DishWriteOff::start(const NewOutgoing &document)
{
    using R = Result<qint64>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    // Bad input is not worth a second attempt; a failed write may be (a busy base).
    if (!document.date.isValid())
        return R::failure(QStringLiteral("не определена дата накладной!"));
    if (!Warehouses(base_).find(document.warehouse))
        return R::failure(QStringLiteral("Склад не идентифицирован!"));
    OutgoingDocuments documents(base_);
    for (;;) {
        const auto key = documents.addHeader(document);
        if (key)
            return key;
        if (!base_.context().prompter.confirm(
                QStringLiteral("Ошибка сохранения заголовка в базе!") + u'\n' + QStringLiteral("Повторно сохранить?"),
                kWarehouseTitle.toString()))
            return key;
    }
}

Result<std::vector<NewOutgoingLine>> DishWriteOff::lines(const std::vector<PreparedDish> &dishes) const
{
    using R = Result<std::vector<NewOutgoingLine>>;
    SqlStatement unit(
        base_.database(), QStringLiteral("SELECT \"Koef\" FROM \"dt105\" WHERE \"ID\" = ?"), base_.errorLog());
    if (!unit.exec({kDishLineUnit}) || !unit.next() || !(unit.value(0).toDouble() > 0))
        return R::failure(QStringLiteral("Нет ед. измерения для продукта!"));
    // Recipe masses are grams; unit 2 says how many of them make the base unit.
    const double gramsPerBase = unit.value(0).toDouble();
    unit.finish();

    std::vector<NewOutgoingLine> result;
    RecipeSlots memory;
    for (const PreparedDish &dish : dishes) {
        if (!std::isfinite(dish.portions) || dish.portions < 0)
            return R::failure(QStringLiteral("Неверное количество порций: ") + dish.dish);
        if (dish.portions == 0)
            continue; // a dish nobody ate
        if (!dish.positions)
            return R::failure(kNoDish + u' ' + dish.dish);
        *memory.slot(1) = *dish.positions;
        if (const Status s = buildSummaryRecipe(memory, 1, 1, base_.context().prompter); !s)
            return R::failure(s.error());
        for (const clsBludo &b : *memory.summary(1)) {
            const clsProds &p = b.clsProds();
            bool ok = false;
            const qint64 product = p.ID_Prod.trimmed().toLongLong(&ok);
            if (!ok)
                return R::failure(
                    QStringLiteral("Продукт не найден: ") + p.ID_Prod + QStringLiteral(" (") + dish.dish + u')');
            NewOutgoingLine line;
            line.product = product;
            line.brutto = p.Brutto * dish.portions / gramsPerBase;
            line.netto = p.Netto * dish.portions / gramsPerBase;
            if (line.brutto == 0 && *line.netto == 0)
                continue; // water and the like: nothing to take from stock
            line.unit = kDishLineUnit;
            line.dish = dish.dish;
            line.output = outputValue(dish.output);
            line.portions = dish.portions;
            result.push_back(line);
        }
    }
    return result;
}

Result<std::vector<NewOutgoingLine>> DishWriteOff::lines(const std::vector<DishPortions> &dishes) const
{
    using R = Result<std::vector<NewOutgoingLine>>;
    std::vector<colBludo> loaded;
    loaded.reserve(dishes.size());
    std::vector<PreparedDish> prepared;
    RecipeSlots memory;
    for (const DishPortions &dish : dishes) {
        if (!std::isfinite(dish.portions) || dish.portions < 0)
            return R::failure(QStringLiteral("Неверное количество порций: ") + dish.dish);
        if (dish.portions == 0)
            continue;
        if (!dishes_.exists(dish.table, dish.dish))
            return R::failure(kNoDish + u' ' + dish.dish);
        const auto recipe = dishes_.load(memory, 1, dish.table, dish.dish, dish.output);
        if (!recipe)
            return R::failure(recipe.error().isEmpty() ? kNoDish + u' ' + dish.dish : recipe.error());
        loaded.push_back(*memory.slot(1));
        // A fresh slot for the next dish: the copy above shares these positions.
        *memory.slot(1) = colBludo();
        prepared.push_back({dish.dish, recipe->output, dish.portions, nullptr});
    }
    for (size_t i = 0; i < prepared.size(); ++i)
        prepared[i].positions = &loaded[i];
    return lines(prepared);
}

Status DishWriteOff::saveLines(qint64 header, const Result<std::vector<NewOutgoingLine>> &lines)
{
    if (!lines)
        return Status::failure(lines.error());
    OutgoingDocuments documents(base_);
    if (const Status s = documents.replaceLines(header, *lines, kDishWriteOffLogProcedure.toString()); !s)
        return s;
    base_.context().prompter.message(
        kDishWriteOffPrepared.toString() + u'\n' + kDishWriteOffWhereToPost.toString(), kWarehouseTitle.toString());
    return {};
}

Status DishWriteOff::save(qint64 header, const std::vector<DishPortions> &dishes)
{
    return saveLines(header, lines(dishes));
}

Status DishWriteOff::save(qint64 header, const std::vector<PreparedDish> &dishes)
{
    return saveLines(header, lines(dishes));
}

Result<qint64> DishWriteOff::create(const NewOutgoing &document, const std::vector<PreparedDish> &dishes)
{
    const auto made = lines(dishes);
    if (!made)
        return Result<qint64>::failure(made.error());
    return OutgoingDocuments(base_).create(document, *made);
}

} // namespace kulvera
