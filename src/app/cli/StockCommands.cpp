#include "CliCommand.h"
#include "CliEnvironment.h"
#include "StockTurnoverCommand.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "common/TextDate.h"
#include "shell/AppContext.h"
#include "shell/SettingsStore.h"
#include "shell/SqlStatement.h"
#include "warehouse/Counterparties.h"
#include "warehouse/IncomingInvoices.h"
#include "warehouse/OutgoingDocuments.h"
#include "warehouse/StockCheck.h"
#include "warehouse/StockLots.h"
#include "warehouse/StockMovements.h"
#include "warehouse/StockQueries.h"
#include "warehouse/WarehouseBase.h"
#include "warehouse/Warehouses.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>

namespace kulvera {
namespace {

const QString kUsage = QStringLiteral(
    "stock warehouses [add NAME [--markup P]] | suppliers [add NAME] | receive --warehouse W --supplier S "
    "--number N --date D [--vat P] PRODUCT:QTY:PRICE ... | invoices [--from D --to D] [--json] | "
    "lots [--warehouse W] [--product P] [--json] | delete-invoice KEY | writeoff --warehouse W --date D "
    "PRODUCT:QTY ... [--post] | post KEY | move --from W --to W --date D [--number N] [--note T] PRODUCT:QTY ... | "
    "act --warehouse W --date D [--number N] [--note T] PRODUCT:QTY ... | balance PRODUCT [--warehouse W] [--date D] | "
    "price PRODUCT --source stock|list|product [--warehouse W] [--date D] | check");

int usage(CliRun &run)
{
    run.err << "Usage: " << kUsage << '\n';
    return kExitUsage;
}

int failed(CliRun &run, const QString &error)
{
    run.err << (error.isEmpty() ? QStringLiteral("Nothing changed.") : error) << '\n';
    return kExitFailed;
}

// Options "--name value" and plain words, in any order.
struct Options {
    std::map<QString, QString> values;
    QStringList words;
    bool json = false;
};

std::optional<Options> parseOptions(const QStringList &args, const QStringList &known)
{
    Options o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"--json") {
            o.json = true;
        } else if (a.startsWith(u"--")) {
            if (!known.contains(a) || i + 1 >= args.size())
                return std::nullopt;
            o.values[a] = args[++i];
        } else {
            o.words << a;
        }
    }
    return o;
}

// A product by key or by its full name (Имя2).
std::optional<qint64> productArgument(const WarehouseBase &base, const QString &text)
{
    bool isKey = false;
    const qint64 key = text.toLongLong(&isKey);
    SqlStatement s(base.database(),
        QStringLiteral("SELECT \"Код\" FROM ") + base.productTable()
            + (isKey ? QStringLiteral(" WHERE \"Код\" = ?") : QStringLiteral(" WHERE \"Имя2\" = ?")),
        base.errorLog());
    if (!s.exec({isKey ? QVariant(key) : QVariant(text)}) || !s.next())
        return std::nullopt;
    return s.value(0).toLongLong();
}

int warehousesCommand(CliRun &run, WarehouseBase &base, const QStringList &a)
{
    Warehouses warehouses(base);
    if (a.isEmpty()) {
        const auto rows = warehouses.list();
        if (!rows)
            return failed(run, rows.error());
        for (const WarehouseRow &w : *rows)
            run.out << w.key << '\t' << w.name << '\t' << formatNumber(w.markup) << '\n';
        return kExitOk;
    }
    const auto o = parseOptions(a, {QStringLiteral("--markup")});
    if (!o || o->words.size() != 2 || o->words[0] != u"add")
        return usage(run);
    QString markup;
    if (auto it = o->values.find(QStringLiteral("--markup")); it != o->values.end()) {
        if (!parseNumber(it->second))
            return failed(run, QStringLiteral("Наценка должна быть числом: ") + it->second);
        markup = it->second;
    }
    Transaction t(base.database(), base.errorLog());
    const auto key = warehouses.add(o->words[1]);
    if (!key)
        return failed(run, key.error());
    if (const Status s = warehouses.setMarkup(*key, markup); !s)
        return failed(run, s.error());
    if (const Status s = t.commit(); !s)
        return failed(run, s.error());
    run.out << *key << '\n';
    return kExitOk;
}

int suppliersCommand(CliRun &run, WarehouseBase &base, const QStringList &a)
{
    Counterparties suppliers(base);
    if (a.isEmpty()) {
        const auto rows = suppliers.list();
        if (!rows)
            return failed(run, rows.error());
        for (const Counterparty &c : *rows)
            run.out << c.id << '\t' << c.name << '\n';
        return kExitOk;
    }
    if (a.size() != 2 || a[0] != u"add")
        return usage(run);
    const auto key = suppliers.add(a[1]);
    if (!key)
        return failed(run, key.error());
    run.out << *key << '\n';
    return kExitOk;
}

int receiveCommand(CliRun &run, WarehouseBase &base, const QStringList &a)
{
    const auto o = parseOptions(a,
        {QStringLiteral("--warehouse"), QStringLiteral("--supplier"), QStringLiteral("--number"),
            QStringLiteral("--date"), QStringLiteral("--vat")});
    if (!o || o->words.isEmpty())
        return usage(run);
    for (const char16_t *required : {u"--warehouse", u"--supplier", u"--number", u"--date"}) {
        if (!o->values.count(QString::fromUtf16(required)))
            return usage(run);
    }
    const auto warehouse = Warehouses(base).findByNameOrKey(o->values.at(QStringLiteral("--warehouse")));
    if (!warehouse)
        return failed(run, QStringLiteral("Склад не найден: ") + o->values.at(QStringLiteral("--warehouse")));
    const auto supplier = Counterparties(base).findByNameOrKey(o->values.at(QStringLiteral("--supplier")));
    if (!supplier)
        return failed(run, QStringLiteral("Поставщик не найден: ") + o->values.at(QStringLiteral("--supplier")));
    const auto date = dateArgument(o->values.at(QStringLiteral("--date")));
    if (!date)
        return failed(run, QStringLiteral("Неверная дата: ") + o->values.at(QStringLiteral("--date")));
    std::optional<double> vat;
    if (auto it = o->values.find(QStringLiteral("--vat")); it != o->values.end()) {
        vat = parseNumber(it->second);
        if (!vat)
            return failed(run, QStringLiteral("Ставка НДС должна быть числом: ") + it->second);
    }
    std::vector<NewLine> lines;
    for (const QString &word : o->words) {
        // The product may hold ":" in its name: quantity and price are the last two parts.
        const qsizetype priceAt = word.lastIndexOf(u':');
        const qsizetype quantityAt = priceAt > 0 ? word.lastIndexOf(u':', priceAt - 1) : -1;
        if (quantityAt <= 0)
            return failed(run, QStringLiteral("Строка накладной должна быть ПРОДУКТ:КОЛ-ВО:ЦЕНА: ") + word);
        NewLine line;
        const auto product = productArgument(base, word.left(quantityAt));
        if (!product)
            return failed(run, QStringLiteral("Продукт не найден: ") + word.left(quantityAt));
        line.product = *product;
        const auto quantity = parseNumber(word.mid(quantityAt + 1, priceAt - quantityAt - 1));
        const auto price = parseNumber(word.mid(priceAt + 1));
        if (!quantity || !price)
            return failed(run, QStringLiteral("Количество и цена должны быть числами: ") + word);
        line.quantity = *quantity;
        line.price = *price;
        line.vatPercent = vat;
        lines.push_back(line);
    }
    IncomingInvoices invoices(base);
    const auto key
        = invoices.receive({o->values.at(QStringLiteral("--number")), *date, supplier->id, warehouse->key, {}}, lines);
    if (!key)
        return failed(run, key.error());
    run.out << *key << '\n';
    return kExitOk;
}

int invoicesCommand(CliRun &run, WarehouseBase &base, const QStringList &a)
{
    const auto o = parseOptions(a, {QStringLiteral("--from"), QStringLiteral("--to")});
    if (!o || !o->words.isEmpty()
        || o->values.count(QStringLiteral("--from")) != o->values.count(QStringLiteral("--to")))
        return usage(run);
    InvoicePeriod period = InvoicePeriod::all();
    if (!o->values.empty()) {
        const auto from = dateArgument(o->values.at(QStringLiteral("--from")));
        const auto to = dateArgument(o->values.at(QStringLiteral("--to")));
        if (!from || !to)
            return failed(run, QStringLiteral("Неверная дата периода!"));
        const auto chosen = InvoicePeriod::chosen(*from, *to);
        if (!chosen)
            return failed(run, chosen.error());
        period = *chosen;
    }
    const auto headers = IncomingInvoices(base).headers(period);
    if (!headers)
        return failed(run, headers.error());
    if (o->json) {
        QJsonArray rows;
        for (const InvoiceHeader &h : *headers) {
            rows.append(QJsonObject {{QStringLiteral("key"), h.key}, {QStringLiteral("number"), h.number},
                {QStringLiteral("supplier"), h.supplierName}, {QStringLiteral("date"), formatTextDate(h.date)},
                {QStringLiteral("sum"), roundTo(h.sum, kDefaultRoundPrice)}, {QStringLiteral("user"), h.userName},
                {QStringLiteral("operationTime"), h.operationTime.toString(Qt::ISODate)}});
        }
        run.out << QJsonDocument(rows).toJson(QJsonDocument::Indented);
        return kExitOk;
    }
    run.out << "Код накл.\tНомер накл.\tПоставщик\tДата накл.\tСумма\tПользователь\tДата опер.\n";
    for (const InvoiceHeader &h : *headers) {
        run.out << h.key << '\t' << h.number << '\t' << h.supplierName << '\t' << formatTextDate(h.date) << '\t'
                << formatFixed(h.sum, kDefaultRoundPrice) << '\t' << h.userName << '\t'
                << formatTextDate(h.operationTime.date()) << ' ' << h.operationTime.time().toString(u"HH:mm:ss")
                << '\n';
    }
    return kExitOk;
}

int lotsCommand(CliRun &run, WarehouseBase &base, const QStringList &a)
{
    const auto o = parseOptions(a, {QStringLiteral("--warehouse"), QStringLiteral("--product")});
    if (!o || !o->words.isEmpty())
        return usage(run);
    LotFilter filter;
    if (auto it = o->values.find(QStringLiteral("--warehouse")); it != o->values.end()) {
        const auto w = Warehouses(base).findByNameOrKey(it->second);
        if (!w)
            return failed(run, QStringLiteral("Склад не найден: ") + it->second);
        filter.warehouse = w->key;
    }
    if (auto it = o->values.find(QStringLiteral("--product")); it != o->values.end()) {
        const auto p = productArgument(base, it->second);
        if (!p)
            return failed(run, QStringLiteral("Продукт не найден: ") + it->second);
        filter.product = *p;
    }
    const auto rows = StockLots(base).list(filter);
    if (!rows)
        return failed(run, rows.error());
    if (o->json) {
        QJsonArray out;
        for (const LotView &v : *rows) {
            out.append(QJsonObject {{QStringLiteral("key"), v.lot.key}, {QStringLiteral("product"), v.lot.product},
                {QStringLiteral("productName"), v.productName}, {QStringLiteral("warehouse"), v.lot.warehouse},
                {QStringLiteral("warehouseName"), v.warehouseName}, {QStringLiteral("supplier"), v.supplierName},
                {QStringLiteral("date"), formatTextDate(v.lot.date)}, {QStringLiteral("brutto"), v.lot.brutto},
                {QStringLiteral("quantity"), roundTo(v.lot.brutto * v.koef, 3)}, {QStringLiteral("unit"), v.unitPref},
                {QStringLiteral("invoice"), v.lot.header}});
        }
        run.out << QJsonDocument(out).toJson(QJsonDocument::Indented);
        return kExitOk;
    }
    for (const LotView &v : *rows) {
        run.out << v.lot.key << '\t' << v.productName << '\t' << v.warehouseName << '\t' << formatTextDate(v.lot.date)
                << '\t' << formatFixed(v.lot.brutto * v.koef, 3) << '\t' << v.unitPref << '\t' << v.supplierName
                << '\n';
    }
    return kExitOk;
}

int deleteInvoiceCommand(CliRun &run, WarehouseBase &base, const QStringList &a)
{
    if (a.size() != 1)
        return usage(run);
    bool isKey = false;
    const qint64 key = a[0].toLongLong(&isKey);
    if (!isKey)
        return failed(run, QStringLiteral("Не код накладной: ") + a[0]);
    const auto outcome = IncomingInvoices(base).deleteInvoice(key);
    if (!outcome)
        return failed(run, outcome.error());
    run.out << "Удалено строк: " << outcome->deletedLines << ", оставлено (списанные): " << outcome->keptLines << '\n'
            << (outcome->headerDeleted ? "Накладная удалена.\n" : "Заголовок накладной оставлен.\n");
    return kExitOk;
}

// An optional "--warehouse W": 0 when not given, nothing when unknown.
std::optional<qint64> warehouseOption(CliRun &run, WarehouseBase &base, const Options &o)
{
    const auto it = o.values.find(QStringLiteral("--warehouse"));
    if (it == o.values.end())
        return 0;
    const auto w = Warehouses(base).findByNameOrKey(it->second);
    if (!w) {
        run.err << "Склад не найден: " << it->second << '\n';
        return std::nullopt;
    }
    return w->key;
}

// An optional "--date D" as the date text the stock operations read; empty when not given.
std::optional<QString> dateOption(CliRun &run, const Options &o)
{
    const auto it = o.values.find(QStringLiteral("--date"));
    if (it == o.values.end())
        return QString();
    const auto d = dateArgument(it->second);
    if (!d) {
        run.err << "Неверная дата: " << it->second << '\n';
        return std::nullopt;
    }
    return formatTextDate(*d);
}

int postDocument(CliRun &run, WarehouseBase &base, qint64 key)
{
    if (const Status s = OutgoingDocuments(base).post(key); !s)
        return failed(run, s.error());
    run.out << "Выполнено!\n";
    return kExitOk;
}

// "PRODUCT:QTY" words (quantities in the base unit); says what is wrong with the first bad one.
std::optional<std::vector<WriteOffItem>> productQuantities(CliRun &run, WarehouseBase &base, const QStringList &words)
{
    std::vector<WriteOffItem> items;
    for (const QString &word : words) {
        // The product may hold ":" in its name: the quantity is the last part.
        const qsizetype at = word.lastIndexOf(u':');
        if (at <= 0) {
            failed(run, QStringLiteral("Строка списания должна быть ПРОДУКТ:КОЛ-ВО: ") + word);
            return std::nullopt;
        }
        const auto product = productArgument(base, word.left(at));
        if (!product) {
            failed(run, QStringLiteral("Продукт не найден: ") + word.left(at));
            return std::nullopt;
        }
        const auto quantity = parseNumber(word.mid(at + 1));
        if (!quantity) {
            failed(run, QStringLiteral("Количество должно быть числом: ") + word);
            return std::nullopt;
        }
        items.push_back({*product, *quantity});
    }
    return items;
}

int writeoffCommand(CliRun &run, WarehouseBase &base, const QStringList &a)
{
    QStringList args = a;
    const bool post = args.removeAll(QStringLiteral("--post")) > 0;
    const auto o = parseOptions(args, {QStringLiteral("--warehouse"), QStringLiteral("--date")});
    if (!o || o->words.isEmpty() || !o->values.count(QStringLiteral("--warehouse"))
        || !o->values.count(QStringLiteral("--date")))
        return usage(run);
    const auto warehouse = warehouseOption(run, base, *o);
    if (!warehouse)
        return kExitFailed;
    const auto date = dateArgument(o->values.at(QStringLiteral("--date")));
    if (!date)
        return failed(run, QStringLiteral("Неверная дата: ") + o->values.at(QStringLiteral("--date")));
    const auto items = productQuantities(run, base, o->words);
    if (!items)
        return kExitFailed;
    std::vector<NewOutgoingLine> lines;
    for (const WriteOffItem &item : *items)
        lines.push_back({item.product, item.quantity, {}});
    const auto key = OutgoingDocuments(base).create({*date, *warehouse, {}}, lines);
    if (!key)
        return failed(run, key.error());
    run.out << *key << '\n';
    return post ? postDocument(run, base, *key) : kExitOk;
}

int postCommand(CliRun &run, WarehouseBase &base, const QStringList &a)
{
    bool isKey = false;
    const qint64 key = a.size() == 1 ? a[0].toLongLong(&isKey) : 0;
    if (!isKey)
        return usage(run);
    return postDocument(run, base, key);
}

// A movement or an act of product quantities: their lots, oldest first up to the date, are
// chosen inside the posting's transaction, so another workstation posting meanwhile cannot
// leave the choice stale.
struct LotCommand {
    Options options;
    QDate date;
    std::vector<WriteOffItem> products;
};

// Nothing when refused, with `code` the exit code to give.
std::optional<LotCommand> lotCommand(CliRun &run, WarehouseBase &base, const QStringList &a,
    const QString &sourceOption, const QStringList &more, int &code)
{
    code = kExitUsage;
    const auto o = parseOptions(a,
        QStringList {sourceOption, QStringLiteral("--date"), QStringLiteral("--number"), QStringLiteral("--note")}
            + more);
    if (!o || o->words.isEmpty() || !o->values.count(sourceOption) || !o->values.count(QStringLiteral("--date"))) {
        usage(run);
        return std::nullopt;
    }
    for (const QString &option : more) {
        if (!o->values.count(option)) {
            usage(run);
            return std::nullopt;
        }
    }
    code = kExitFailed;
    const auto source = Warehouses(base).findByNameOrKey(o->values.at(sourceOption));
    if (!source) {
        failed(run, QStringLiteral("Склад не найден: ") + o->values.at(sourceOption));
        return std::nullopt;
    }
    const auto date = dateArgument(o->values.at(QStringLiteral("--date")));
    if (!date) {
        failed(run, QStringLiteral("Неверная дата: ") + o->values.at(QStringLiteral("--date")));
        return std::nullopt;
    }
    const auto items = productQuantities(run, base, o->words);
    if (!items)
        return std::nullopt;
    return LotCommand {*o, *date, *items};
}

QString optionOr(const Options &o, const QString &name)
{
    const auto it = o.values.find(name);
    return it == o.values.end() ? QString() : it->second;
}

int moveCommand(CliRun &run, WarehouseBase &base, const QStringList &a)
{
    int code = kExitOk;
    const auto c = lotCommand(run, base, a, QStringLiteral("--from"), {QStringLiteral("--to")}, code);
    if (!c)
        return code;
    const auto from = Warehouses(base).findByNameOrKey(c->options.values.at(QStringLiteral("--from")));
    const auto to = Warehouses(base).findByNameOrKey(c->options.values.at(QStringLiteral("--to")));
    if (!to)
        return failed(run, QStringLiteral("Склад не найден: ") + c->options.values.at(QStringLiteral("--to")));
    const auto keys = StockMovements(base).move({c->date, optionOr(c->options, QStringLiteral("--number")), from->key,
        to->key, optionOr(c->options, QStringLiteral("--note")), {}, c->products});
    if (!keys)
        return failed(run, keys.error());
    run.out << keys->receipt << '\t' << keys->issue << '\n' << StockMovements::kMoved << '\n';
    return kExitOk;
}

int actCommand(CliRun &run, WarehouseBase &base, const QStringList &a)
{
    int code = kExitOk;
    const auto c = lotCommand(run, base, a, QStringLiteral("--warehouse"), {}, code);
    if (!c)
        return code;
    const auto warehouse = Warehouses(base).findByNameOrKey(c->options.values.at(QStringLiteral("--warehouse")));
    const auto key = StockMovements(base).writeOffAct({c->date, optionOr(c->options, QStringLiteral("--number")),
        warehouse->key, optionOr(c->options, QStringLiteral("--note")), {}, c->products});
    if (!key)
        return failed(run, key.error());
    run.out << *key << '\n' << StockMovements::kActDone << '\n';
    return kExitOk;
}

int balanceCommand(CliRun &run, WarehouseBase &base, const QStringList &a)
{
    const auto o = parseOptions(a, {QStringLiteral("--warehouse"), QStringLiteral("--date")});
    if (!o || o->words.size() != 1)
        return usage(run);
    const auto product = productArgument(base, o->words[0]);
    if (!product)
        return failed(run, QStringLiteral("Продукт не найден: ") + o->words[0]);
    const auto warehouse = warehouseOption(run, base, *o);
    const auto date = dateOption(run, *o);
    if (!warehouse || !date)
        return kExitFailed;
    run.out << formatNumber(roundTo(StockQueries(base).balanceAtDate(*product, *warehouse, *date), 6)) << '\n';
    return kExitOk;
}

int priceCommand(CliRun &run, WarehouseBase &base, const QStringList &a)
{
    const auto o
        = parseOptions(a, {QStringLiteral("--source"), QStringLiteral("--warehouse"), QStringLiteral("--date")});
    if (!o || o->words.size() != 1 || !o->values.count(QStringLiteral("--source")))
        return usage(run);
    const QString source = o->values.at(QStringLiteral("--source"));
    if (source != u"stock" && source != u"list" && source != u"product")
        return usage(run);
    const auto product = productArgument(base, o->words[0]);
    if (!product)
        return failed(run, QStringLiteral("Продукт не найден: ") + o->words[0]);
    const auto warehouse = warehouseOption(run, base, *o);
    const auto date = dateOption(run, *o);
    if (!warehouse || !date)
        return kExitFailed;
    const StockQueries queries(base);
    // With the markups, as costing and outgoing documents ask.
    const double price = source == u"stock" ? queries.priceFromStock(*product, *warehouse, true, *date)
        : source == u"list"                 ? queries.supplierListPrice(*product, true)
                                            : queries.productRecordPrice(*product);
    run.out << formatNumber(price) << '\n';
    return kExitOk;
}

int checkCommand(CliRun &run, WarehouseBase &base, const QStringList &a)
{
    if (!a.isEmpty())
        return usage(run);
    const auto differences = checkStock(base);
    if (!differences)
        return failed(run, differences.error());
    if (differences->empty()) {
        run.out << "Расхождений нет.\n";
        return kExitOk;
    }
    run.out << "Код продукта\tКод склада\tПартии\tПриход - расход\n";
    for (const StockDifference &d : *differences) {
        run.out << d.product << '\t' << d.warehouse << '\t' << formatNumber(roundTo(d.lots, 6)) << '\t'
                << formatNumber(roundTo(d.lines, 6)) << '\n';
    }
    return kExitFailed;
}

int stockCommand(CliRun &run)
{
    if (run.args.isEmpty())
        return usage(run);
    const QString verb = run.args[0];
    const QStringList rest = run.args.mid(1);
    using Verb = int (*)(CliRun &, WarehouseBase &, const QStringList &);
    static const std::map<QString, Verb> verbs = {{QStringLiteral("warehouses"), warehousesCommand},
        {QStringLiteral("suppliers"), suppliersCommand}, {QStringLiteral("receive"), receiveCommand},
        {QStringLiteral("invoices"), invoicesCommand}, {QStringLiteral("lots"), lotsCommand},
        {QStringLiteral("delete-invoice"), deleteInvoiceCommand}, {QStringLiteral("writeoff"), writeoffCommand},
        {QStringLiteral("post"), postCommand}, {QStringLiteral("move"), moveCommand},
        {QStringLiteral("act"), actCommand}, {QStringLiteral("balance"), balanceCommand},
        {QStringLiteral("price"), priceCommand}, {QStringLiteral("check"), checkCommand},
        {QStringLiteral("turnover"), stockTurnoverCommand}};
    const auto found = verbs.find(verb);
    if (found == verbs.end())
        return usage(run);
    CliEnvironment env(run);
    env.connectAll();
    if (!env.connections().isConnected(BaseId::Warehouse) || !env.connections().isConnected(BaseId::Products))
        return failed(run, QStringLiteral("Не подключены база склада и база продуктов (db init создает базы)."));
    SystemClock clock;
    AppContext context {run.prompter, run.settings, env.shared(), clock, env.connections(), env.errorLog()};
    WarehouseBase base(context);
    base.setUser(base.userKey(QStringLiteral("Администратор системы")));
    return found->second(run, base, rest);
}

const CliRegistrar stockRegistrar({QStringLiteral("stock"), kUsage,
    QStringLiteral("warehouses, suppliers, incoming invoices, write-offs, movements, acts, stock lots, balances and "
                   "prices"),
    stockCommand});

} // namespace
} // namespace kulvera
