#include "warehouse/OutgoingSelection.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "shell/SqlConflict.h"
#include "shell/SqlStatement.h"
#include "warehouse/StockLots.h"
#include "warehouse/StockQueries.h"
#include "warehouse/WarehouseBase.h"

#include "common/NameCollator.h"

#include <QHash>

#include <algorithm>
#include <functional>

namespace kulvera {
namespace {

const QString kTitle = QStringLiteral("Складской учет");

int digitsSetting(const WarehouseBase &base, const QString &key, int fallback)
{
    return std::clamp(base.context().settings.getInt(Section::Data, key, fallback), 0, 9);
}

// One failure the first refused document gives, or nothing.
Status eachInOneTransaction(
    WarehouseBase &base, const std::vector<qint64> &keys, const std::function<Status(qint64)> &step)
{
    // A conflict with another workstation undoes the whole, and the whole is run again.
    return runWriteTransaction(base.database(), base.errorLog(), [&]() -> Status {
        for (const qint64 key : keys) {
            if (const Status e = step(key); !e)
                return e;
        }
        return {};
    });
}

} // namespace

const QString OutgoingSelection::kDifferentDates = QStringLiteral("Выбирать можно только накладные одной даты!");

OutgoingSelection::OutgoingSelection(WarehouseBase &base)
    : base_(base)
{
}

int OutgoingSelection::productDigits() const
{
    return digitsSetting(base_, QStringLiteral("lRoundProdInNaklMinus"), kDefaultProductDigits);
}

int OutgoingSelection::compareDigits() const
{
    return digitsSetting(base_, QStringLiteral("lRoundBruttoAndWSByTest"), kDefaultCompareDigits);
}

Result<std::vector<OutgoingHeader>> OutgoingSelection::list(bool withPosted, std::optional<qint64> warehouse) const
{
    using R = Result<std::vector<OutgoingHeader>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    QString sql = QStringLiteral("SELECT \"Код\" FROM \"Накладные_Заголовки\" WHERE \"Документ\" + 0 IN (2, 3)");
    QVariantList values;
    if (!withPosted)
        sql += QStringLiteral(" AND COALESCE(\"Проводка\", 0) = 0");
    if (warehouse) {
        sql += QStringLiteral(" AND \"Код_Склада\" = ?");
        values << *warehouse;
    }
    sql += QStringLiteral(" ORDER BY \"Дата\", \"Код\"");
    SqlStatement s(base_.database(), sql, base_.errorLog());
    if (const Status e = s.exec(values); !e)
        return R::failure(e.error());
    std::vector<qint64> keys;
    while (s.next())
        keys.push_back(s.value(0).toLongLong());
    s.finish();
    OutgoingDocuments documents(base_);
    std::vector<OutgoingHeader> rows;
    for (const qint64 key : keys) {
        if (auto h = documents.header(key))
            rows.push_back(std::move(*h));
    }
    return rows;
}

Result<std::vector<OutgoingHeader>> OutgoingSelection::headers(const std::vector<qint64> &keys) const
{
    using R = Result<std::vector<OutgoingHeader>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    if (keys.empty())
        return R::failure(QStringLiteral("Не выбрана накладная!"));
    OutgoingDocuments documents(base_);
    std::vector<OutgoingHeader> rows;
    for (const qint64 key : keys) {
        const auto h = documents.header(key);
        if (!h)
            return R::failure(QStringLiteral("Налкдная не обнаружена в базе! Проводка не сохранена"));
        if (!rows.empty() && rows.front().date != h->date)
            return R::failure(kDifferentDates);
        rows.push_back(*h);
    }
    return rows;
}

Result<std::vector<SelectionProduct>> OutgoingSelection::products(
    const std::vector<qint64> &keys, qint64 warehouse) const
{
    using R = Result<std::vector<SelectionProduct>>;
    const auto hs = headers(keys);
    if (!hs)
        return R::failure(hs.error());
    const QDate date = hs->front().date;
    std::vector<SelectionProduct> rows;
    QHash<qint64, size_t> index;
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT r.\"Код\", r.\"Код_Прод\", p.\"Имя2\", w.\"Склад_Название\", r.\"Брутто\", "
                       "r.\"Нетто\", u.\"Pref\", u.\"Koef\" FROM \"Расход_Товара\" r LEFT JOIN ")
            + base_.productTable()
            + QStringLiteral(" p ON p.\"Код\" = r.\"Код_Прод\" LEFT JOIN \"Склады\" w ON w.\"Код\" = r.\"Код_Склада\" "
                             "LEFT JOIN \"dt105\" u ON u.\"ID\" = r.\"Ед_изм\" WHERE r.\"Код_Накл\" = ? "
                             "ORDER BY r.\"Код\""),
        base_.errorLog());
    std::vector<double> koefs;
    for (const OutgoingHeader &h : *hs) {
        if (const Status e = s.exec({h.key}); !e)
            return R::failure(e.error());
        while (s.next()) {
            const qint64 product = s.value(1).toLongLong();
            auto found = index.find(product);
            if (found == index.end()) {
                SelectionProduct p;
                p.product = product;
                p.name = s.value(2).toString();
                p.warehouseName = s.value(3).toString();
                p.unitPref = s.value(6).toString();
                const double koef = s.value(7).toDouble();
                koefs.push_back(s.value(7).isNull() || koef == 0 ? 1.0 : koef);
                found = index.insert(product, rows.size());
                rows.push_back(p);
            }
            SelectionProduct &p = rows[*found];
            p.lines.push_back(s.value(0).toLongLong());
            p.brutto += s.value(4).toDouble();
            p.netto += s.value(5).toDouble();
        }
        s.finish();
    }
    const int digits = productDigits();
    const int compare = compareDigits();
    StockLots lots(base_);
    StockQueries queries(base_);
    for (size_t i = 0; i < rows.size(); ++i) {
        SelectionProduct &p = rows[i];
        p.brutto = roundTo(p.brutto, digits);
        p.netto = roundTo(p.netto, digits);
        p.shown = roundTo(p.brutto * koefs[i], digits);
        p.available = lots.stockUpTo(p.product, warehouse, date);
        QStringList units;
        const UnitStockResult stock = queries.stockByUnit(p.product, warehouse, formatTextDate(date));
        for (const UnitStock &u : stock.units)
            units << u.display();
        p.stockWarnings = stock.warnings;
        p.availableText = units.join(QStringLiteral("; "));
        p.short_ = roundTo(p.brutto, compare) > roundTo(p.available, compare);
    }
    const QCollator collator = nameCollator();
    std::stable_sort(rows.begin(), rows.end(),
        [&](const SelectionProduct &a, const SelectionProduct &b) { return collator.compare(a.name, b.name) < 0; });
    return rows;
}

Result<bool> OutgoingSelection::post(const std::vector<qint64> &keys, qint64 warehouse)
{
    using R = Result<bool>;
    const auto hs = headers(keys);
    if (!hs)
        return R::failure(hs.error());
    for (const OutgoingHeader &h : *hs) {
        if (h.posted)
            return R::failure(QStringLiteral("Накладная уже проведена!"));
    }
    SqlStatement w(base_.database(), QStringLiteral("SELECT \"Склад_Название\" FROM \"Склады\" WHERE \"Код\" = ?"),
        base_.errorLog());
    if (warehouse <= 0 || !w.exec({warehouse}) || !w.next())
        return R::failure(QStringLiteral("Склад не идентифицирован!"));
    const QString warehouseName = w.value(0).toString();
    w.finish();
    const auto table = products(keys, warehouse);
    if (!table)
        return R::failure(table.error());
    if (std::any_of(table->begin(), table->end(), [](const SelectionProduct &p) { return p.short_; })) {
        return R::failure(QStringLiteral("Часть продуктов не хватает на складе!\n"
                                         "Осуществите замены (либо приход товара) и повторите проводку"));
    }
    QStringList notes;
    for (const OutgoingHeader &h : *hs) {
        if (!h.note.isEmpty())
            notes << h.note;
    }
    const QString question = QStringLiteral("Провести накладную для списания продуктов? \nСклад - ") + warehouseName
        + QStringLiteral("\nДата - ") + formatTextDate(hs->front().date) + QStringLiteral("\nПримечание - ")
        + notes.join(QStringLiteral("; ")) + QStringLiteral("\nОтменить операцию невозможно.");
    Prompter &prompter = base_.context().prompter;
    if (!prompter.confirm(question, kTitle))
        return false;
    // Every document is written off from the chosen warehouse; a failure of any
    // leaves all of them, and the stock, as they were.
    OutgoingDocuments documents(base_);
    const Status posted = eachInOneTransaction(base_, keys, [&](qint64 key) {
        if (const Status e
            = base_.exec(QStringLiteral("UPDATE \"Накладные_Заголовки\" SET \"Код_Склада\" = ? WHERE \"Код\" = ?"),
                {warehouse, key});
            !e)
            return e;
        return documents.post(key);
    });
    if (!posted)
        return R::failure(posted.error());
    prompter.message(QStringLiteral("Выполнено!"), kTitle);
    return true;
}

Result<bool> OutgoingSelection::updatePrices(const std::vector<qint64> &keys)
{
    using R = Result<bool>;
    const auto hs = headers(keys);
    if (!hs)
        return R::failure(hs.error());
    for (const OutgoingHeader &h : *hs) {
        if (h.posted)
            return R::failure(QStringLiteral("Накладная уже проведена!"));
        if (!h.date.isValid())
            return R::failure(QStringLiteral("не определена дата накладной!"));
    }
    if (!base_.context().prompter.confirm(QStringLiteral("Обновить цены на продукты?"), kTitle))
        return false;
    OutgoingDocuments documents(base_);
    const Status priced = eachInOneTransaction(base_, keys, [&](qint64 key) { return documents.updatePrices(key); });
    if (!priced)
        return R::failure(priced.error());
    return true;
}

Result<bool> OutgoingSelection::remove(const std::vector<qint64> &keys)
{
    using R = Result<bool>;
    const auto hs = headers(keys);
    if (!hs)
        return R::failure(hs.error());
    for (const OutgoingHeader &h : *hs) {
        if (h.posted)
            return R::failure(QStringLiteral("Накладная уже проведена по складу, удалить невозможно!"));
    }
    if (!base_.context().prompter.confirm(QStringLiteral("Удалить накладную из базы?"), kTitle))
        return false;
    OutgoingDocuments documents(base_);
    const Status removed = eachInOneTransaction(base_, keys, [&](qint64 key) { return documents.remove(key); });
    if (!removed)
        return R::failure(removed.error());
    return true;
}

} // namespace kulvera
