#include "costing/DishCalcCard.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "costing/PriceSources.h"
#include "costing/StockLotPrices.h"
#include "menus/Ration.h"
#include "products/ProductBase.h"
#include "recipes/RecipeExport.h"
#include "shell/AppContext.h"
#include "shell/Catalogue.h"
#include "shell/Connections.h"
#include "shell/InsertedKey.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlStatement.h"

#include <QDir>

#include <cmath>

namespace kulvera {
namespace {

QString cardStem(const Ration &ration, int number)
{
    return QStringLiteral("КК ") + formatTextDate(ration.date()) + u' ' + ration.dishName(number);
}

Status run(const QSqlDatabase &db, ErrorLog *log, const QString &sql, const QVariantList &values)
{
    SqlStatement s(db, sql, log);
    return s.exec(values);
}

} // namespace

DishCalculation calculateDish(const Ration &ration, int number, double markupPercent, PriceSources &prices,
    SeasonalOutputs &seasonal, qint64 warehouse)
{
    DishCalculation d;
    d.input.dishName = ration.dishName(number);
    d.input.output = ration.dishOutput(number);
    d.input.date = ration.date();
    d.input.markupPercent = markupPercent;
    d.input.number = QString::number(number);
    const colBludo *dish = ration.dish(number);
    if (!dish)
        return d;
    if (dish->Count() > 0) {
        const clsProds &header = dish->item(1)->clsProds();
        if (!header.sCode.trimmed().isEmpty())
            d.input.number = header.sCode.trimmed();
        d.input.source = header.NameND.trimmed();
    }
    d.cost = dishPrice(*dish, prices, seasonal, warehouse);
    for (const LineCost &line : d.cost.lines)
        d.input.positions.push_back({line.name, line.mass, line.cost});
    return d;
}

Result<qint64> saveCalcCard(Connections &connections, const DishCalculation &dish, const CalcCard &card,
    const CalcCardRules &rules, qint64 warehouse, PriceSources &prices)
{
    using R = Result<qint64>;
    if (!connections.isConnected(BaseId::Warehouse))
        return R::failure(QStringLiteral("База склада не подключена: калькуляционная карта не сохранена."));
    const QSqlDatabase db = connections.database(BaseId::Warehouse);
    ErrorLog *log = &connections.errorLog();
    const QDateTime day(dish.input.date, QTime(0, 0));
    Transaction t(db, log);
    // The same dish costed on the same day is one calculation: the old one goes.
    const QString sameCard = QStringLiteral("FROM \"КК_Заголовки\" WHERE \"Имя_Карты\" = ? AND \"Дата_Операции\" = ?");
    if (const Status e = run(db, log,
            QStringLiteral("DELETE FROM \"КК_Позиции\" WHERE \"Заголовок_код\" IN (SELECT \"Код\" ") + sameCard + u')',
            {dish.input.dishName, day});
        !e)
        return R::failure(e.error());
    if (const Status e = run(db, log, QStringLiteral("DELETE ") + sameCard, {dish.input.dishName, day}); !e)
        return R::failure(e.error());
    SqlStatement header(db,
        QStringLiteral("INSERT INTO \"КК_Заголовки\" (\"Код_Калькуляции\", \"Имя_Карты\", \"Выход\", \"Себ\", "
                       "\"Стоимость\", \"Наценка_Проц\", \"Код_Склада\", \"Дата_Операции\") "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?) RETURNING \"Код\""),
        log);
    const auto inserted = execInsertReturningKey(header,
        {dish.input.number, dish.input.dishName, dish.input.output, card.dishCost, card.sellingPrice,
            dish.input.markupPercent, warehouse, day});
    if (!inserted)
        return R::failure(inserted.error());
    const qint64 key = *inserted;
    SqlStatement line(db,
        QStringLiteral("INSERT INTO \"КК_Позиции\" (\"Заголовок_код\", \"Продукт_код\", \"Прод_ключ\", \"Брутто\", "
                       "\"Нетто\", \"Цена\", \"Ед_Изм_Цена\", \"Коэф_Норма\", \"Коэф_Цена\") "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        log);
    for (const LineCost &l : dish.cost.lines) {
        const qint64 product = l.product.toLongLong();
        if (const Status e = line.exec({key, product, l.key, l.mass, l.netto, l.price, prices.priceUnit(product),
                rules.normFactor, rules.priceFactor});
            !e)
            return R::failure(e.error());
    }
    line.finish();
    if (const Status e = t.commit(); !e)
        return R::failure(e.error());
    return key;
}

Result<PrintedCalcCard> printDishCalcCard(const Ration &ration, int number, const CalcCardJob &job,
    const QString &outputPath, Connections &connections, const SettingsAccess &settings, Prompter &prompter,
    PriceSources &prices, SeasonalOutputs &seasonal)
{
    using R = Result<PrintedCalcCard>;
    if (number < 1 || number > ration.dishCount())
        return R::failure(QStringLiteral("Не выбрано блюдо для калькуляционной карты."));
    PrintedCalcCard printed;
    printed.dish = calculateDish(ration, number, job.markupPercent, prices, seasonal, job.warehouse);
    const CalcCardRules rules = CalcCardRules::fromSettings(settings, prices.roundPrice());
    Result<CalcCardOutcome> made
        = produceCalcCard(printed.dish.input, rules, job.templatesFolder, settings, outputPath, prompter);
    if (!made)
        return R::failure(made.error());
    printed.outcome = std::move(made).value();
    const Result<qint64> kept
        = saveCalcCard(connections, printed.dish, printed.outcome.card, rules, job.warehouse, prices);
    printed.kept = kept.ok();
    if (!kept)
        prompter.warning(kept.error());
    return printed;
}

Result<QStringList> printAllCalcCards(const Ration &ration, const CalcCardJob &job, const QString &folder,
    Connections &connections, const SettingsAccess &settings, Prompter &prompter, PriceSources &prices,
    SeasonalOutputs &seasonal)
{
    using R = Result<QStringList>;
    if (ration.isEmpty())
        return R::failure(QStringLiteral("В рационе нет ни одного блюда."));
    if (!QDir().mkpath(folder))
        return R::failure(QStringLiteral("Не удалось создать папку: ") + folder);
    prompter.status(kExportAllCalcCardsText.toString());
    QStringList written;
    FileNamePicker names;
    for (int number = 1; number <= ration.dishCount(); ++number) {
        const QString file = names.pick(cardStem(ration, number), u"xlsx");
        const Result<PrintedCalcCard> made = printDishCalcCard(
            ration, number, job, QDir(folder).filePath(file), connections, settings, prompter, prices, seasonal);
        if (!made)
            return R::failure(made.error());
        written << made->outcome.path;
    }
    return written;
}

Result<QStringList> printRationCalcCards(
    const Ration &ration, int number, double markupPercent, const QString &folder, AppContext &context)
{
    using R = Result<QStringList>;
    StockLotPrices stock(context.connections);
    PriceSources prices(context.connections, context.settings, context.prompter, stock);
    const ProductBase products(context);
    SeasonalOutputs seasonal(&products);
    const CalcCardJob job {context.shared.templatesFolder(), markupPercent, 1};
    R result = R::failure(QString());
    if (number == 0) {
        result = printAllCalcCards(
            ration, job, folder, context.connections, context.settings, context.prompter, prices, seasonal);
    } else if (!QDir().mkpath(folder)) {
        result = R::failure(QStringLiteral("Не удалось создать папку: ") + folder);
    } else {
        const Result<PrintedCalcCard> one
            = printDishCalcCard(ration, number, job, QDir(folder).filePath(calcCardFileName(ration, number)),
                context.connections, context.settings, context.prompter, prices, seasonal);
        result = one ? R(QStringList {one->outcome.path}) : R::failure(one.error());
    }
    if (!result)
        context.prompter.warning(result.error());
    return result;
}

double defaultMarkupPercent(const SettingsAccess &settings)
{
    return parseMarkupPercent(readSetting(settings, Section::Calc, QStringLiteral("GlobalNac"))).value_or(0.0);
}

std::optional<double> parseMarkupPercent(const QString &text)
{
    const std::optional<double> v = parseNumber(text);
    return v && *v >= 0 && std::isfinite(*v) ? v : std::nullopt;
}

QString calcCardFileName(const Ration &ration, int number)
{
    return safeFileStem(cardStem(ration, number)) + QStringLiteral(".xlsx");
}

} // namespace kulvera
