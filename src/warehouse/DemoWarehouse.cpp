#include "warehouse/DemoWarehouse.h"

#include "common/NumberText.h"
#include "shell/AppContext.h"
#include "shell/SqlConflict.h"
#include "shell/SqlStatement.h"
#include "warehouse/Counterparties.h"
#include "warehouse/IncomingInvoices.h"
#include "warehouse/WarehouseBase.h"
#include "warehouse/Warehouses.h"

#include <algorithm>
#include <set>

namespace kulvera {
namespace {

struct DemoProduct {
    const char16_t *name; // Имя2 of the delivered product base
    double price; // roubles per kg, VAT included
    double quantity; // a usual delivery, kg
};

struct DemoSupplier {
    const char16_t *name;
    std::initializer_list<DemoProduct> products;
    std::initializer_list<int> weekdays; // delivery days, 1 = Monday
};

// Quantities cover what the demo kitchen's week of rations takes for its
// portions even when only the first delivery of the month comes at its
// smallest (0.6 of the usual), since the demo writes its menus off.
const DemoSupplier kSuppliers[] = {
    {u"ООО «Овощная база»",
        {{u"Картофель", 35, 60}, {u"Морковь", 45, 20}, {u"Лук репчатый", 38, 15}, {u"Капуста белокочанная", 30, 25},
            {u"Свёкла", 40, 12}, {u"Томаты", 160, 8}, {u"Огурцы", 140, 8}, {u"Яблоки", 110, 15},
            {u"Смородина чёрная", 450, 6}, {u"Лук зелёный", 300, 1}, {u"Чеснок", 250, 1}},
        {1, 4}},
    {u"ООО «Молочный край»",
        {{u"Молоко коровье цельное", 75, 110}, {u"Сыр мягкий (панир)", 650, 15}, {u"Яйцо куриное", 160, 15},
            {u"Масло топлёное (гхи)", 900, 4}, {u"Крупа манная", 70, 10}, {u"Мука пшеничная высшего сорта", 55, 25},
            {u"Рис пропаренный шлифованный", 110, 15}, {u"Крупа рисовая", 95, 10}, {u"Крупа ячневая (ячмень)", 60, 5},
            {u"Горох сухой", 80, 2}, {u"Вермишель", 90, 7}, {u"Сахар тростниковый нерафинированный", 120, 12},
            {u"Масло подсолнечное", 160, 6}, {u"Курага", 600, 5}, {u"Изюм", 450, 3}, {u"Сок лимона", 400, 1}},
        {2, 5}},
    {u"ИП Кузнецов А. П. (мясо и птица)",
        {{u"Говядина, лопатка", 620, 15}, {u"Говядина, задняя часть", 680, 25}, {u"Свинина, лопатка", 420, 12},
            {u"Куры, филе грудки", 430, 15}, {u"Куры, голень без кожи", 330, 8}, {u"Куры, бедро без кожи", 350, 8},
            {u"Печень говяжья", 380, 5}, {u"Печень куриная", 300, 7}, {u"Индейка, грудка с кожей", 520, 6},
            {u"Пангасиус", 450, 8}},
        {3}},
};

constexpr QStringView kMainWarehouse = u"Основной склад";

// A fixed sequence, so the demo is the same on every machine.
class Sequence
{
public:
    // A value in [0, 1).
    double next()
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 11) / static_cast<double>(1ULL << 53);
    }

private:
    quint64 state_ = 20240601;
};

} // namespace

namespace {

// One attempt of the whole, inside the caller's transaction; every attempt starts afresh.
Result<DemoWarehouseSummary> seedInto(WarehouseBase &base, const QDate &today)
{
    using R = Result<DemoWarehouseSummary>;
    Warehouses warehouses(base);
    DemoWarehouseSummary summary;
    if (warehouses.findByNameOrKey(kMainWarehouse.toString())) {
        summary.alreadyPresent = true;
        return summary;
    }
    const auto main = warehouses.add(kMainWarehouse.toString());
    const auto buffet = warehouses.add(QStringLiteral("Буфет"));
    if (!main || !buffet)
        return R::failure(main ? buffet.error() : main.error());
    summary.warehouses = 2;
    if (const Status s = warehouses.setMarkup(*buffet, QStringLiteral("25")); !s)
        return R::failure(s.error());
    for (const char16_t *place : {u"Холодильная камера", u"Сухой склад", u"Овощехранилище"}) {
        if (const auto p = warehouses.addPlace(*main, QString::fromUtf16(place)); !p)
            return R::failure(p.error());
    }
    if (const auto p = warehouses.addPlace(*buffet, QStringLiteral("Витрина")); !p)
        return R::failure(p.error());

    Counterparties counterparties(base);
    std::vector<qint64> supplierKeys;
    for (const DemoSupplier &s : kSuppliers) {
        const auto key = counterparties.add(QString::fromUtf16(s.name));
        if (!key)
            return R::failure(key.error());
        supplierKeys.push_back(*key);
    }
    summary.suppliers = static_cast<int>(supplierKeys.size());

    SqlStatement find(base.database(),
        QStringLiteral("SELECT \"Код\" FROM ") + base.productTable() + QStringLiteral(" WHERE \"Имя2\" = ?"),
        base.errorLog());
    IncomingInvoices invoices(base);
    Sequence random;
    std::set<const char16_t *> delivered;
    int number = 0;
    for (QDate day = today.addDays(-29); day <= today; day = day.addDays(1)) {
        for (size_t s = 0; s < std::size(kSuppliers); ++s) {
            const DemoSupplier &supplier = kSuppliers[s];
            if (std::find(supplier.weekdays.begin(), supplier.weekdays.end(), day.dayOfWeek())
                == supplier.weekdays.end())
                continue;
            std::vector<NewLine> lines;
            for (const DemoProduct &p : supplier.products) {
                // Not every product comes every time, but each comes once a month at least.
                if (random.next() < 0.3 && delivered.count(p.name) > 0)
                    continue;
                delivered.insert(p.name);
                if (!find.exec({QString::fromUtf16(p.name)}) || !find.next())
                    continue; // a product the user removed from the base
                NewLine line;
                line.product = find.value(0).toLongLong();
                find.finish();
                line.quantity = roundTo(p.quantity * (0.6 + 0.8 * random.next()), 1);
                line.price = roundTo(p.price * (0.95 + 0.1 * random.next()), 2);
                line.vatPercent = 10;
                lines.push_back(line);
            }
            if (lines.empty())
                continue;
            // Every third dairy delivery goes to the buffet.
            const qint64 warehouse = s == 1 && ++number % 3 == 0 ? *buffet : *main;
            NewInvoice invoice {QStringLiteral("Д-%1").arg(summary.invoices + 1), day, supplierKeys[s], warehouse, {}};
            const auto key = invoices.receive(invoice, lines);
            if (!key)
                return R::failure(key.error());
            ++summary.invoices;
            summary.lines += static_cast<int>(lines.size());
        }
    }
    return summary;
}

} // namespace

Result<DemoWarehouseSummary> seedDemoWarehouse(AppContext &context, const QDate &today)
{
    WarehouseBase base(context);
    if (const Status c = base.requireConnected(); !c)
        return Result<DemoWarehouseSummary>::failure(c.error());
    // The receipts are runs of their own: the whole is the outermost one, so a conflict
    // with another workstation repeats the whole instead of failing it.
    return inWriteTransaction(base.database(), base.errorLog(), [&] { return seedInto(base, today); });
}

} // namespace kulvera
