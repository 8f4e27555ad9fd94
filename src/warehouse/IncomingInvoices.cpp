#include "warehouse/IncomingInvoices.h"

#include "common/NameCollator.h"
#include "common/NumberText.h"
#include "shell/InsertedKey.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlConflict.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"
#include "warehouse/DocumentNumbers.h"
#include "warehouse/StockLots.h"
#include "warehouse/WarehouseBase.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace kulvera {
namespace {

// "+ 0" keeps the engine off the index of the kind (nearly every header is of one kind), so a
// period is found by the date's index and a header by its key.
const QString kHeaderSelect = QStringLiteral(
    "SELECT h.\"Код\", h.\"Номер\", h.\"Дата\", h.\"Поставщик\", c.\"l1\", h.\"Код_Склада\", h.\"Сумма\", "
    "h.\"Проводка\", h.\"Пользователь\", u.\"Имя_Пользователя\", h.\"Дата_Операции\", h.\"Примечание\" "
    "FROM \"Накладные_Заголовки\" h "
    "LEFT JOIN \"dt101\" c ON c.\"ID\" = h.\"Поставщик\" AND h.\"Поставщик\" > 0 "
    "LEFT JOIN \"Пользователи\" u ON u.\"Код\" = h.\"Пользователь\" "
    "WHERE h.\"Документ\" + 0 = 1");

InvoiceHeader readHeader(const SqlStatement &s)
{
    InvoiceHeader h;
    h.key = s.value(0).toLongLong();
    h.number = s.value(1).toString();
    h.date = storedDate(s.value(2));
    h.supplier = s.value(3).toLongLong();
    h.supplierName = s.value(4).toString();
    h.warehouse = s.value(5).toLongLong();
    h.sum = s.value(6).toDouble();
    h.posted = s.value(7).toInt() != 0;
    h.user = s.value(8).toLongLong();
    h.userName = s.value(9).toString();
    h.operationTime = storedDateTime(s.value(10));
    h.note = s.value(11).toString();
    return h;
}

QString lineSelect(const QString &productTable)
{
    return QStringLiteral(
               "SELECT i.\"Код\", i.\"Код_Накл\", i.\"Номер_Накл\", i.\"Код_Прод\", p.\"Имя2\", i.\"Код_Поставщика\", "
               "i.\"Код_Склада\", w.\"Склад_Название\", i.\"Код_на_Складе\", i.\"Дата\", i.\"Брутто\", i.\"Нетто\", "
               "i.\"Ед_изм\", u.\"Pref\", u.\"Koef\", i.\"Цена\", i.\"НДС_Проц\", i.\"НДС_Вел\", i.\"Наценка\", "
               "i.\"Наценка_Вел\", i.\"Цена_с_нац\", i.\"Проводка\", i.\"Код_опер\", i.\"Безоп\", i.\"Орган\", "
               "i.\"Темп\", i.\"СрокГ\" FROM \"Приход_Товара\" i LEFT JOIN ")
        + productTable
        + QStringLiteral(" p ON p.\"Код\" = i.\"Код_Прод\" "
                         "LEFT JOIN \"Склады\" w ON w.\"Код\" = i.\"Код_Склада\" "
                         "LEFT JOIN \"dt105\" u ON u.\"ID\" = i.\"Ед_изм\" ");
}

InvoiceLine readLine(const SqlStatement &s)
{
    InvoiceLine l;
    l.key = s.value(0).toLongLong();
    l.header = s.value(1).toLongLong();
    l.headerNumber = s.value(2).toString();
    l.product = s.value(3).toLongLong();
    l.productName = s.value(4).toString();
    l.supplier = s.value(5).toLongLong();
    l.warehouse = s.value(6).toLongLong();
    l.warehouseName = s.value(7).toString();
    l.lot = s.value(8).toLongLong();
    l.date = storedDate(s.value(9));
    l.brutto = s.value(10).toDouble();
    l.netto = s.value(11).toDouble();
    l.unit = s.value(12).toLongLong();
    l.unitPref = s.value(13).toString();
    l.koef = s.value(14).isNull() ? 1.0 : s.value(14).toDouble();
    l.values.price = s.value(15).toDouble();
    l.values.vatPercent = s.value(16).toDouble();
    l.values.vatAmount = s.value(17).toDouble();
    l.values.markupPercent = s.value(18).toDouble();
    l.values.markupAmount = s.value(19).toDouble();
    l.values.value = s.value(20).toDouble();
    l.posted = s.value(21).toInt() != 0;
    l.operation = s.value(22).toInt();
    l.safetyDocument = s.value(23).toString();
    l.organoleptic = s.value(24).toString();
    l.temperature = s.value(25).toString();
    l.shelfLife = s.value(26).toString();
    return l;
}

const QString kLineNotFound = QStringLiteral("Ошибка идентификации продукта!");
const QString kLotNotFound = QStringLiteral("Ошибка идентификации продукта на складе!");
const QString kUnknownProduct = QStringLiteral("Не идентифицирован продукт\nвозможно сетевые пользователи изменили "
                                               "базу продуктов\nпопробуйте внести продукт еще раз");

// `what` names the value in a whole phrase: "Цена не может быть отрицательной".
Status notNegative(double value, const QString &what)
{
    if (!std::isfinite(value))
        return Status::failure(QStringLiteral("Не число: ") + formatNumber(value));
    if (value < 0)
        return Status::failure(what + QStringLiteral(": ") + formatNumber(value));
    return {};
}

} // namespace

struct IncomingInvoices::Validated {
    NewLine line;
    qint64 unit = 0;
    double koef = 1;
    qint64 warehouse = 0;
    double vatPercent = 0;
};

// The statements of writing headers, lines and lots, prepared once and kept.
struct IncomingInvoices::LineWriter {
    explicit LineWriter(WarehouseBase &base)
        : lots(base)
        , productUnit(base.database(),
              QStringLiteral("SELECT \"ЕдИ_Ц\" FROM ") + base.productTable() + QStringLiteral(" WHERE \"Код\" = ?"),
              base.errorLog())
        , warehouse(base.database(), QStringLiteral("SELECT 1 FROM \"Склады\" WHERE \"Код\" = ?"), base.errorLog())
        , insertLine(base.database(),
              QStringLiteral("INSERT INTO \"Приход_Товара\" (\"Код_Накл\", \"Номер_Накл\", \"Код_Прод\", "
                             "\"Код_Поставщика\", \"Код_Склада\", \"Дата\", \"Брутто\", \"Ед_изм\", \"Цена\", "
                             "\"НДС_Проц\", \"НДС_Вел\", \"Наценка\", \"Наценка_Вел\", \"Цена_с_нац\", \"Проводка\", "
                             "\"Код_Польз\", \"Дата_Операции\", \"Код_опер\") "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1, ?, ?, 0) RETURNING \"Код\""),
              base.errorLog())
        , linkLot(base.database(),
              QStringLiteral("UPDATE \"Приход_Товара\" SET \"Код_на_Складе\" = ? WHERE \"Код\" = ?"), base.errorLog())
        , supplier(base.database(), QStringLiteral("SELECT 1 FROM \"dt101\" WHERE \"ID\" = ?"), base.errorLog())
        , insertHeader(base.database(),
              QStringLiteral("INSERT INTO \"Накладные_Заголовки\" (\"Номер\", \"Дата\", \"Документ\", \"Поставщик\", "
                             "\"Код_Склада\", \"Сумма\", \"Проводка\", \"Дата_Операции\", \"Пользователь\", "
                             "\"Примечание\") VALUES (?, ?, 1, ?, ?, 0, 1, ?, ?, ?) RETURNING \"Код\""),
              base.errorLog())
        , sumOfLines(base.database(),
              QStringLiteral("SELECT SUM(\"Цена_с_нац\") FROM \"Приход_Товара\" WHERE \"Код_Накл\" = ?"),
              base.errorLog())
        , writeSum(base.database(),
              QStringLiteral("UPDATE \"Накладные_Заголовки\" SET \"Сумма\" = ? WHERE \"Код\" = ?"), base.errorLog())
    {
        refresh(base.context().settings);
    }

    // Settings are read, and lists checked, afresh for every call.
    void refresh(const SettingsAccess &settings)
    {
        defaultVat = numberOr(readSetting(settings, Section::Data, QStringLiteral("НДСПроцент")), 18.0);
        roundPrice = static_cast<int>(
            numberOr(readSetting(settings, Section::Data, QStringLiteral("RoundPrice")), kDefaultRoundPrice));
        koefs.clear();
        knownWarehouses.clear();
    }

    bool supplierExists(qint64 key)
    {
        const bool found = supplier.exec({key}) && supplier.next();
        supplier.finish();
        return found;
    }

    bool warehouseExists(qint64 key)
    {
        if (knownWarehouses.count(key))
            return true;
        const bool found = warehouse.exec({key}) && warehouse.next();
        warehouse.finish();
        if (found)
            knownWarehouses.insert(key);
        return found;
    }

    std::optional<double> koef(const IncomingInvoices &invoices, qint64 unit)
    {
        auto it = koefs.find(unit);
        if (it == koefs.end())
            it = koefs.emplace(unit, invoices.unitKoef(unit)).first;
        return it->second;
    }

    StockLots lots;
    // The setting НДСПроцент, the VAT rate of a new line.
    double defaultVat = 18;
    SqlStatement productUnit;
    SqlStatement warehouse;
    SqlStatement insertLine;
    SqlStatement linkLot;
    SqlStatement supplier;
    SqlStatement insertHeader;
    SqlStatement sumOfLines;
    SqlStatement writeSum;
    int roundPrice = kDefaultRoundPrice;
    std::map<qint64, std::optional<double>> koefs;
    std::set<qint64> knownWarehouses;
};

IncomingInvoices::IncomingInvoices(WarehouseBase &base)
    : base_(base)
{
}

Result<std::vector<InvoiceHeader>> IncomingInvoices::headers(const InvoicePeriod &period) const
{
    using R = Result<std::vector<InvoiceHeader>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    QString sql = kHeaderSelect;
    QVariantList values;
    if (period.range) {
        sql += QStringLiteral(" AND h.\"Дата\" >= ? AND h.\"Дата\" <= ?");
        values << period.range->from << period.range->to;
    }
    SqlStatement s(base_.database(), sql + QStringLiteral(" ORDER BY h.\"Дата\", h.\"Код\""), base_.errorLog());
    if (const Status e = s.exec(values); !e)
        return R::failure(e.error());
    std::vector<InvoiceHeader> rows;
    while (s.next())
        rows.push_back(readHeader(s));
    return rows;
}

std::optional<InvoiceHeader> IncomingInvoices::header(qint64 key) const
{
    SqlStatement s(base_.database(), kHeaderSelect + QStringLiteral(" AND h.\"Код\" = ?"), base_.errorLog());
    if (!s.exec({key}) || !s.next())
        return std::nullopt;
    return readHeader(s);
}

Status IncomingInvoices::checkHeader(const NewInvoice &invoice)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    if (!invoice.date.isValid())
        return Status::failure(QStringLiteral("Неверная дата накладной!"));
    LineWriter &w = writer();
    if (invoice.supplier > 0 && !w.supplierExists(invoice.supplier))
        return Status::failure(QStringLiteral("Поставщик не найден: ") + QString::number(invoice.supplier));
    if (invoice.warehouse != 0 && !w.warehouseExists(invoice.warehouse))
        return Status::failure(QStringLiteral("Склад не найден: ") + QString::number(invoice.warehouse));
    return {};
}

Result<qint64> IncomingInvoices::insertHeader(const NewInvoice &invoice)
{
    SqlStatement &s = writer().insertHeader;
    return execInsertReturningKey(s,
        {invoice.number, invoice.date, invoice.supplier, invoice.warehouse, base_.now(), base_.user(), invoice.note});
}

Result<qint64> IncomingInvoices::addHeader(const NewInvoice &invoice, bool askFirst)
{
    using R = Result<qint64>;
    if (base_.connected())
        writer().refresh(base_.context().settings);
    if (const Status c = checkHeader(invoice); !c)
        return R::failure(c.error());
    if (askFirst && !base_.context().prompter.confirm(QStringLiteral("Добавить новую накладную?"), kTitle.toString()))
        return R::failure({});
    if (!confirmDocumentNumber(base_, DocumentKind::Incoming, invoice.number))
        return R::failure({});
    return insertHeader(invoice);
}

Status IncomingInvoices::touchHeader(qint64 header)
{
    return base_.exec(QStringLiteral("UPDATE \"Накладные_Заголовки\" SET \"Пользователь\" = ?, \"Дата_Операции\" = ? "
                                     "WHERE \"Код\" = ?"),
        {base_.user(), base_.now(), header});
}

Status IncomingInvoices::setDate(qint64 header, const QDate &date)
{
    if (!date.isValid())
        return Status::failure(QStringLiteral("Неверная дата накладной!"));
    if (!this->header(header))
        return Status::failure(QStringLiteral("Накладная не найдена: ") + QString::number(header));
    const QDate day = date;
    Transaction t(base_.database(), base_.errorLog());
    Status s = base_.exec(
        QStringLiteral("UPDATE \"Накладные_Заголовки\" SET \"Дата\" = ? WHERE \"Код\" = ?"), {day, header});
    if (s)
        s = base_.exec(
            QStringLiteral("UPDATE \"Приход_Товара\" SET \"Дата\" = ? WHERE \"Код_Накл\" = ?"), {day, header});
    // The lot date is the order of consumption: re-dating moves the lots.
    if (s)
        s = base_.exec(QStringLiteral("UPDATE \"Склад\" SET \"Дата\" = ? WHERE \"Код\" IN (SELECT \"Код_на_Складе\" "
                                      "FROM \"Приход_Товара\" WHERE \"Код_Накл\" = ?)"),
            {day, header});
    if (s)
        s = touchHeader(header);
    if (s)
        s = t.commit();
    if (s)
        base_.context().prompter.status(QStringLiteral("Установлена дата накладной: ") + formatTextDate(date));
    return s;
}

Status IncomingInvoices::setNumber(qint64 header, const QString &number)
{
    if (!this->header(header))
        return Status::failure(QStringLiteral("Накладная не найдена: ") + QString::number(header));
    Transaction t(base_.database(), base_.errorLog());
    Status s = base_.exec(
        QStringLiteral("UPDATE \"Накладные_Заголовки\" SET \"Номер\" = ? WHERE \"Код\" = ?"), {number, header});
    if (s)
        s = base_.exec(
            QStringLiteral("UPDATE \"Приход_Товара\" SET \"Номер_Накл\" = ? WHERE \"Код_Накл\" = ?"), {number, header});
    if (s)
        s = base_.exec(
            QStringLiteral("UPDATE \"Склад\" SET \"Код_Накл\" = ? WHERE \"Код\" IN (SELECT \"Код_на_Складе\" "
                           "FROM \"Приход_Товара\" WHERE \"Код_Накл\" = ?)"),
            {header, header});
    if (s)
        s = touchHeader(header);
    return s ? t.commit() : s;
}

Status IncomingInvoices::setSupplier(qint64 header, qint64 supplier)
{
    if (!this->header(header))
        return Status::failure(QStringLiteral("Накладная не найдена: ") + QString::number(header));
    if (supplier > 0) {
        SqlStatement q(base_.database(), QStringLiteral("SELECT 1 FROM \"dt101\" WHERE \"ID\" = ?"), base_.errorLog());
        if (!q.exec({supplier}) || !q.next())
            return Status::failure(QStringLiteral("Поставщик не найден: ") + QString::number(supplier));
    }
    Transaction t(base_.database(), base_.errorLog());
    Status s = base_.exec(
        QStringLiteral("UPDATE \"Накладные_Заголовки\" SET \"Поставщик\" = ? WHERE \"Код\" = ?"), {supplier, header});
    if (s)
        s = base_.exec(QStringLiteral("UPDATE \"Приход_Товара\" SET \"Код_Поставщика\" = ? WHERE \"Код_Накл\" = ?"),
            {supplier, header});
    if (s)
        s = base_.exec(QStringLiteral("UPDATE \"Склад\" SET \"Код_Поставщика\" = ? WHERE \"Код\" IN (SELECT "
                                      "\"Код_на_Складе\" FROM \"Приход_Товара\" WHERE \"Код_Накл\" = ?)"),
            {supplier, header});
    if (s)
        s = touchHeader(header);
    return s ? t.commit() : s;
}

Status IncomingInvoices::setNote(qint64 header, const QString &note)
{
    if (!this->header(header))
        return Status::failure(QStringLiteral("Накладная не найдена: ") + QString::number(header));
    Transaction t(base_.database(), base_.errorLog());
    Status s = base_.exec(
        QStringLiteral("UPDATE \"Накладные_Заголовки\" SET \"Примечание\" = ? WHERE \"Код\" = ?"), {note, header});
    if (s)
        s = touchHeader(header);
    return s ? t.commit() : s;
}

Result<std::vector<InvoiceLine>> IncomingInvoices::lines(qint64 header) const
{
    using R = Result<std::vector<InvoiceLine>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    SqlStatement s(base_.database(),
        lineSelect(base_.productTable()) + QStringLiteral("WHERE i.\"Код_Накл\" = ? ORDER BY i.\"Код\""),
        base_.errorLog());
    if (const Status e = s.exec({header}); !e)
        return R::failure(e.error());
    std::vector<InvoiceLine> rows;
    while (s.next())
        rows.push_back(readLine(s));
    return rows;
}

Result<std::vector<ProductChoice>> IncomingInvoices::products() const
{
    using R = Result<std::vector<ProductChoice>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    SqlStatement s(
        base_.database(), QStringLiteral("SELECT \"Код\", \"Имя2\" FROM ") + base_.productTable(), base_.errorLog());
    if (const Status e = s.exec(); !e)
        return R::failure(e.error());
    std::vector<ProductChoice> rows;
    while (s.next())
        rows.push_back({s.value(0).toLongLong(), s.value(1).toString()});
    const QCollator order = nameCollator();
    std::stable_sort(rows.begin(), rows.end(),
        [&order](const ProductChoice &a, const ProductChoice &b) { return order.compare(a.name, b.name) < 0; });
    return rows;
}

std::optional<InvoiceLine> IncomingInvoices::line(qint64 key) const
{
    SqlStatement s(
        base_.database(), lineSelect(base_.productTable()) + QStringLiteral("WHERE i.\"Код\" = ?"), base_.errorLog());
    if (!s.exec({key}) || !s.next())
        return std::nullopt;
    return readLine(s);
}

std::optional<double> IncomingInvoices::unitKoef(qint64 unit) const
{
    SqlStatement s(
        base_.database(), QStringLiteral("SELECT \"Koef\" FROM \"dt105\" WHERE \"ID\" = ?"), base_.errorLog());
    if (!s.exec({unit}) || !s.next())
        return std::nullopt;
    const double koef = s.value(0).toDouble();
    // A coefficient of 0 could not turn a quantity into the base unit.
    if (koef == 0 || !std::isfinite(koef))
        return std::nullopt;
    return koef;
}

Result<IncomingInvoices::Validated> IncomingInvoices::validate(
    const InvoiceHeader &header, const NewLine &line, LineWriter &writer) const
{
    using R = Result<Validated>;
    if (const Status s = notNegative(line.quantity, QStringLiteral("Количество не может быть отрицательным")); !s)
        return R::failure(s.error());
    if (const Status s = notNegative(line.price, QStringLiteral("Цена не может быть отрицательной")); !s)
        return R::failure(s.error());
    Validated v;
    v.line = line;
    v.vatPercent = line.vatPercent
        ? *line.vatPercent
        : numberOr(readSetting(base_.context().settings, Section::Data, QStringLiteral("НДСПроцент")), 18.0);
    if (const Status s = notNegative(v.vatPercent, QStringLiteral("Ставка НДС не может быть отрицательной")); !s)
        return R::failure(s.error());
    if (!std::isfinite(line.markupPercent) || line.markupPercent <= -100)
        return R::failure(QStringLiteral("Неверная наценка: ") + formatNumber(line.markupPercent));

    SqlStatement &p = writer.productUnit;
    if (!p.exec({line.product}) || !p.next())
        return R::failure(kUnknownProduct);
    v.unit = line.unit ? *line.unit : p.value(0).toLongLong();
    p.finish();
    const auto koef = writer.koef(*this, v.unit);
    if (!koef)
        return R::failure(QStringLiteral("Нет ед. измерения для продукта!"));
    v.koef = *koef;

    v.warehouse = line.warehouse ? *line.warehouse : header.warehouse;
    if (!writer.warehouseExists(v.warehouse))
        return R::failure(QStringLiteral("Не выбран склад или склад не найден: ") + QString::number(v.warehouse));
    return v;
}

Result<qint64> IncomingInvoices::writeLine(const InvoiceHeader &header, const Validated &v, LineWriter &writer)
{
    using R = Result<qint64>;
    const LineValues values = computeLineValues({v.line.quantity, v.line.price, v.vatPercent, v.line.markupPercent});
    const double brutto = v.line.quantity / v.koef;
    const QDate day = header.date;
    const QDateTime now = base_.now();
    SqlStatement &s = writer.insertLine;
    const auto inserted = execInsertReturningKey(s,
        {header.key, header.number, v.line.product, header.supplier, v.warehouse, day, brutto, v.unit, values.price,
            values.vatPercent, values.vatAmount, values.markupPercent, values.markupAmount, values.value, base_.user(),
            now});
    if (!inserted)
        return inserted;
    const qint64 lineKey = *inserted;

    Lot lot;
    lot.product = v.line.product;
    lot.warehouse = v.warehouse;
    lot.supplier = header.supplier;
    lot.header = header.key;
    lot.incomingLine = lineKey;
    lot.date = header.date;
    lot.brutto = brutto;
    lot.unit = v.unit;
    lot.user = base_.user();
    lot.operationTime = now;
    lot.posted = true;
    const auto lotKey = writer.lots.create(lot);
    if (!lotKey)
        return R::failure(lotKey.error());
    if (const Status e = writer.linkLot.exec({*lotKey, lineKey}); !e)
        return R::failure(e.error());
    return lineKey;
}

Status IncomingInvoices::updateSum(qint64 header)
{
    LineWriter &w = writer();
    if (const Status e = w.sumOfLines.exec({header}); !e)
        return e;
    const double sum = w.sumOfLines.next() ? w.sumOfLines.value(0).toDouble() : 0.0;
    w.sumOfLines.finish();
    return w.writeSum.exec({roundTo(sum, w.roundPrice), header});
}

IncomingInvoices::LineWriter &IncomingInvoices::writer()
{
    if (!writer_)
        writer_ = std::make_unique<LineWriter>(base_);
    return *writer_;
}

IncomingInvoices::~IncomingInvoices() = default;

Result<qint64> IncomingInvoices::addLine(qint64 headerKey, const NewLine &newLine)
{
    using R = Result<qint64>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    const auto h = header(headerKey);
    if (!h)
        return R::failure(QStringLiteral("Накладная не найдена: ") + QString::number(headerKey));
    LineWriter &writer = this->writer();
    writer.refresh(base_.context().settings);
    return inWriteTransaction(base_.database(), base_.errorLog(), [&]() -> R {
        // Another workstation adding a line to the same invoice waits: each sum counts both lines.
        if (const QString lock = rowLockSuffix(base_.database()); !lock.isEmpty()) {
            if (const Status e = base_.exec(
                    QStringLiteral("SELECT 1 FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?") + lock, {headerKey});
                !e)
                return R::failure(e.error());
        }
        const auto v = validate(*h, newLine, writer);
        if (!v)
            return R::failure(v.error());
        const auto key = writeLine(*h, *v, writer);
        if (!key)
            return key;
        if (const Status s = updateSum(headerKey); !s)
            return R::failure(s.error());
        return key;
    });
}

Result<std::vector<qint64>> IncomingInvoices::receiveAll(const std::vector<InvoiceToReceive> &invoices)
{
    using R = Result<std::vector<qint64>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    writer().refresh(base_.context().settings);
    return inWriteTransaction(base_.database(), base_.errorLog(), [&]() -> R {
        std::vector<qint64> keys;
        keys.reserve(invoices.size());
        for (const InvoiceToReceive &one : invoices) {
            const auto key = receiveInto(one.invoice, one.lines);
            if (!key) {
                if (key.error().isEmpty()) // the user declined a question
                    return R::failure({});
                return R::failure(
                    QStringLiteral("Накладная ") + one.invoice.number + QStringLiteral(": ") + key.error());
            }
            keys.push_back(*key);
        }
        return keys;
    });
}

Result<qint64> IncomingInvoices::receive(const NewInvoice &invoice, const std::vector<NewLine> &newLines)
{
    using R = Result<qint64>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    writer().refresh(base_.context().settings);
    // One transaction from the first check on: the reads of the checks share it instead of
    // each taking the base on its own, and a refusal midway rolls everything back.
    return inWriteTransaction(base_.database(), base_.errorLog(), [&] { return receiveInto(invoice, newLines); });
}

Result<qint64> IncomingInvoices::receiveInto(const NewInvoice &invoice, const std::vector<NewLine> &newLines)
{
    using R = Result<qint64>;
    LineWriter &writer = this->writer();
    if (const Status c = checkHeader(invoice); !c)
        return R::failure(c.error());
    InvoiceHeader draft;
    draft.number = invoice.number;
    draft.date = invoice.date;
    draft.supplier = invoice.supplier;
    draft.warehouse = invoice.warehouse;
    // Every line is checked before anything is written.
    std::vector<Validated> checked;
    checked.reserve(newLines.size());
    for (const NewLine &l : newLines) {
        auto v = validate(draft, l, writer);
        if (!v)
            return R::failure(v.error());
        checked.push_back(std::move(v.value()));
    }
    if (!confirmDocumentNumber(base_, DocumentKind::Incoming, invoice.number))
        return R::failure({});
    const auto key = insertHeader(invoice);
    if (!key)
        return key;
    draft.key = *key;
    for (const Validated &v : checked) {
        if (const auto line = writeLine(draft, v, writer); !line)
            return R::failure(line.error());
    }
    if (const Status s = updateSum(*key); !s)
        return R::failure(s.error());
    return key;
}

Status IncomingInvoices::writeValues(const InvoiceLine &line, double brutto, const LineValues &values)
{
    Transaction t(base_.database(), base_.errorLog());
    Status s = base_.exec(
        QStringLiteral("UPDATE \"Приход_Товара\" SET \"Брутто\" = ?, \"Цена\" = ?, \"НДС_Проц\" = ?, \"НДС_Вел\" = ?, "
                       "\"Наценка\" = ?, \"Наценка_Вел\" = ?, \"Цена_с_нац\" = ? WHERE \"Код\" = ?"),
        {brutto, values.price, values.vatPercent, values.vatAmount, values.markupPercent, values.markupAmount,
            values.value, line.key});
    if (s && brutto != line.brutto)
        s = StockLots(base_).correctReceived(line.lot, line.brutto, brutto);
    if (s)
        s = updateSum(line.header);
    return s ? t.commit() : s;
}

Status IncomingInvoices::editLine(qint64 key, LineField field, double value)
{
    const auto l = line(key);
    if (!l)
        return Status::failure(kLineNotFound);
    LineInput in {l->quantity(), l->values.price, l->values.vatPercent, l->values.markupPercent};
    double brutto = l->brutto;
    switch (field) {
    case LineField::Quantity: {
        if (const Status s = notNegative(value, QStringLiteral("Количество не может быть отрицательным")); !s)
            return s;
        const auto lot = StockLots(base_).find(l->lot);
        if (!lot)
            return Status::failure(kLotNotFound);
        if (!StockLots::untouched(*lot, l->brutto))
            return Status::failure(QStringLiteral("Для данного продукта уже вносились изменения!"));
        in.quantity = value;
        brutto = value / l->koef;
        break;
    }
    case LineField::Price:
        if (const Status s = notNegative(value, QStringLiteral("Цена не может быть отрицательной")); !s)
            return s;
        in.price = value;
        break;
    case LineField::VatPercent:
        if (const Status s = notNegative(value, QStringLiteral("Ставка НДС не может быть отрицательной")); !s)
            return s;
        in.vatPercent = value;
        break;
    case LineField::Markup:
        if (!std::isfinite(value) || value <= -100)
            return Status::failure(QStringLiteral("Неверная наценка: ") + formatNumber(value));
        in.markupPercent = value;
        break;
    case LineField::MarkupAmount:
        // The amount stands for the percent that gives it.
        if (!std::isfinite(value) || !markupFromAmount(value, in.quantity, in.price, in.markupPercent))
            return Status::failure(QStringLiteral("Наценку в рублях нельзя задать при нулевой сумме строки!"));
        if (in.markupPercent <= -100)
            return Status::failure(QStringLiteral("Неверная наценка: ") + formatNumber(value));
        break;
    case LineField::Value:
        if (const Status s = notNegative(value, QStringLiteral("Стоимость не может быть отрицательной")); !s)
            return s;
        if (!priceFromValue(value, in.quantity, in.markupPercent, in.price))
            return Status::failure(QStringLiteral("Цену по стоимости нельзя вычислить при нулевом количестве!"));
        break;
    }
    return writeValues(*l, brutto, computeLineValues(in));
}

Status IncomingInvoices::editLine(qint64 key, LineField field, const QString &typed)
{
    const auto number = parseNumber(typed);
    if (!number)
        return Status::failure(QStringLiteral("Введите число: ") + typed);
    return editLine(key, field, *number);
}

Result<InvoiceLine> IncomingInvoices::untouchedLine(qint64 key, const QString &refusal) const
{
    const auto l = line(key);
    if (!l)
        return Result<InvoiceLine>::failure(kLineNotFound);
    const auto lot = StockLots(base_).find(l->lot);
    if (!lot)
        return Result<InvoiceLine>::failure(kLotNotFound);
    if (!StockLots::untouched(*lot, l->brutto))
        return Result<InvoiceLine>::failure(refusal);
    return *l;
}

Status IncomingInvoices::setLineWarehouse(qint64 key, qint64 warehouse)
{
    const auto l = untouchedLine(key, QStringLiteral("Для продукта уже произошли изменения"));
    if (!l)
        return Status::failure(l.error());
    SqlStatement w(base_.database(), QStringLiteral("SELECT 1 FROM \"Склады\" WHERE \"Код\" = ?"), base_.errorLog());
    if (!w.exec({warehouse}) || !w.next())
        return Status::failure(QStringLiteral("Склад не найден: ") + QString::number(warehouse));
    w.finish();
    Transaction t(base_.database(), base_.errorLog());
    Status s = base_.exec(
        QStringLiteral("UPDATE \"Приход_Товара\" SET \"Код_Склада\" = ? WHERE \"Код\" = ?"), {warehouse, key});
    if (s) {
        // Only while the lot is still untouched: a write-off since the check stays in the old warehouse's books.
        SqlStatement lot(base_.database(),
            QStringLiteral("UPDATE \"Склад\" SET \"Код_Склада\" = ? WHERE \"Код\" = ? AND \"Брутто\" = ?"),
            base_.errorLog());
        s = lot.exec({warehouse, l->lot, l->brutto});
        if (s && lot.rowsAffected() != 1)
            s = Status::failure(QStringLiteral("Для продукта уже произошли изменения"));
    }
    return s ? t.commit() : s;
}

Status IncomingInvoices::setLineUnit(qint64 key, qint64 unit)
{
    const auto l = untouchedLine(key, QStringLiteral("Для продукта вносились изменения!"));
    if (!l)
        return Status::failure(l.error());
    const auto koef = unitKoef(unit);
    if (!koef)
        return Status::failure(QStringLiteral("Нет такой ед. измерения: ") + QString::number(unit));
    const double brutto = l->quantity() / *koef;
    Transaction t(base_.database(), base_.errorLog());
    // correctReceived below refuses a lot something was taken from since the check above.
    Status s
        = base_.exec(QStringLiteral("UPDATE \"Приход_Товара\" SET \"Ед_изм\" = ?, \"Брутто\" = ? WHERE \"Код\" = ?"),
            {unit, brutto, key});
    if (s)
        s = base_.exec(QStringLiteral("UPDATE \"Склад\" SET \"Ед_изм\" = ? WHERE \"Код\" = ?"), {unit, l->lot});
    if (s)
        s = StockLots(base_).correctReceived(l->lot, l->brutto, brutto);
    return s ? t.commit() : s;
}

Status IncomingInvoices::setQuality(qint64 key, QualityField field, const QString &text)
{
    if (!line(key))
        return Status::failure(kLineNotFound);
    const char16_t *column = u"Безоп";
    switch (field) {
    case QualityField::SafetyDocument:
        column = u"Безоп";
        break;
    case QualityField::Organoleptic:
        column = u"Орган";
        break;
    case QualityField::Temperature:
        column = u"Темп";
        break;
    case QualityField::ShelfLife:
        column = u"СрокГ";
        break;
    }
    return base_.exec(QStringLiteral("UPDATE \"Приход_Товара\" SET ") + base_.q(QString::fromUtf16(column))
            + QStringLiteral(" = ? WHERE \"Код\" = ?"),
        {text, key});
}

Status IncomingInvoices::deleteLineRows(const InvoiceLine &l, bool withLot)
{
    if (withLot) {
        // Only while the lot is still untouched: the decision was taken before the transaction (questions
        // in between), and a write-off since then must keep the receipt its lines came from.
        SqlStatement lot(base_.database(), QStringLiteral("DELETE FROM \"Склад\" WHERE \"Код\" = ? AND \"Брутто\" = ?"),
            base_.errorLog());
        if (const Status s = lot.exec({l.lot, l.brutto}); !s)
            return s;
        if (lot.rowsAffected() != 1)
            return Status::failure(QStringLiteral("Для продукта уже произошли изменения"));
        base_.logDeletion(QStringLiteral("Del_Sel_Prod"));
    }
    if (const Status s = base_.exec(QStringLiteral("DELETE FROM \"Приход_Товара\" WHERE \"Код\" = ?"), {l.key}); !s)
        return s;
    base_.logDeletion(QStringLiteral("Del_Sel_Prod2"));
    return {};
}

namespace {

const QString kMissingLotQuestion = QStringLiteral(
    "Информация о продукте отсутствует на складе. Возможно по нему произошли изменения (списание). Если это "
    "ошибочная запись, то ее можно удалить. Удалить продукт из накладной?");

} // namespace

bool IncomingInvoices::writtenOff(const InvoiceLine &line) const
{
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT \"Списание_Детали\" FROM \"Приход_Товара\" WHERE \"Код\" = ?"), base_.errorLog());
    return s.exec({line.key}) && s.next() && !s.value(0).toString().isEmpty();
}

Status IncomingInvoices::deleteLine(qint64 key)
{
    const auto l = line(key);
    if (!l)
        return Status::failure(kLineNotFound);
    Prompter &prompter = base_.context().prompter;
    if (!prompter.confirm(
            QStringLiteral("Удалить '") + l->productName + QStringLiteral("' из накладной?"), kTitle.toString()))
        return Status::failure({});
    const auto lot = StockLots(base_).find(l->lot);
    if (lot && !StockLots::untouched(*lot, l->brutto))
        return Status::failure(QStringLiteral("Для продукта уже произошли изменения"));
    if (!lot && writtenOff(*l))
        return Status::failure(QStringLiteral("Для продукта уже произошли изменения"));
    if (!lot && !prompter.confirm(kMissingLotQuestion, kTitle.toString()))
        return Status::failure({});
    Transaction t(base_.database(), base_.errorLog());
    Status s = deleteLineRows(*l, lot.has_value());
    if (s)
        s = updateSum(l->header);
    return s ? t.commit() : s;
}

Result<InvoiceDeletion> IncomingInvoices::deleteInvoice(qint64 headerKey)
{
    using R = Result<InvoiceDeletion>;
    if (!header(headerKey))
        return R::failure(QStringLiteral("Накладная не найдена: ") + QString::number(headerKey));
    Prompter &prompter = base_.context().prompter;
    if (!prompter.confirm(QStringLiteral("Будет осуществлена попытка удаления накладной из списка. Удалить накладную "
                                         "возможно если не осуществлялось списание по продуктам. Продолжить удаление?"),
            kTitle.toString()))
        return R::failure({});
    auto all = lines(headerKey);
    if (!all)
        return R::failure(all.error());
    // Decide every line first (questions included), then write it all at once.
    StockLots lots(base_);
    std::vector<std::pair<const InvoiceLine *, bool>> doomed; // line, with its lot
    InvoiceDeletion outcome;
    for (auto it = all->rbegin(); it != all->rend(); ++it) {
        const auto lot = lots.find(it->lot);
        if (lot && StockLots::untouched(*lot, it->brutto))
            doomed.emplace_back(&*it, true);
        else if (!lot && !writtenOff(*it) && prompter.confirm(kMissingLotQuestion, kTitle.toString()))
            doomed.emplace_back(&*it, false);
        else
            ++outcome.keptLines;
    }
    Transaction t(base_.database(), base_.errorLog());
    for (const auto &[l, withLot] : doomed) {
        if (const Status s = deleteLineRows(*l, withLot); !s)
            return R::failure(s.error());
        ++outcome.deletedLines;
    }
    if (outcome.keptLines == 0) {
        if (const Status s
            = base_.exec(QStringLiteral("DELETE FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"), {headerKey});
            !s)
            return R::failure(s.error());
        outcome.headerDeleted = true;
    } else if (const Status s = updateSum(headerKey); !s) {
        return R::failure(s.error());
    }
    if (const Status s = t.commit(); !s)
        return R::failure(s.error());
    return outcome;
}

} // namespace kulvera
