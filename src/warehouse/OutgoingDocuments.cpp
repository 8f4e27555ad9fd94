#include "warehouse/OutgoingDocuments.h"

#include "common/NumberText.h"
#include "shell/InsertedKey.h"
#include "shell/SqlConflict.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"
#include "warehouse/StockQueries.h"
#include "warehouse/StockWriteOff.h"
#include "warehouse/WarehouseBase.h"

#include <cmath>

namespace kulvera {
namespace {

const QString kNotFound = QStringLiteral("Налкдная не обнаружена в базе! Проводка не сохранена");
const QString kPosted = QStringLiteral("Накладная уже проведена!");

} // namespace

OutgoingDocuments::OutgoingDocuments(WarehouseBase &base)
    : base_(base)
{
}

std::optional<OutgoingHeader> OutgoingDocuments::header(qint64 key) const
{
    const auto h = readHeader(key, false);
    return h ? *h : std::nullopt;
}

Result<std::optional<OutgoingHeader>> OutgoingDocuments::headerToChange(qint64 key) const
{
    return readHeader(key, true);
}

Result<std::optional<OutgoingHeader>> OutgoingDocuments::readHeader(qint64 key, bool toChange) const
{
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT \"Код\", \"Документ\", \"Номер\", \"Дата\", \"Код_Склада\", \"Сумма\", \"Проводка\", "
                       "\"Примечание\" FROM \"Накладные_Заголовки\" WHERE \"Код\" = ? AND \"Документ\" IN (2, 3)")
            + (toChange ? rowLockSuffix(base_.database()) : QString()),
        base_.errorLog());
    if (const Status e = s.exec({key}); !e)
        return Result<std::optional<OutgoingHeader>>::failure(e.error());
    if (!s.next())
        return std::optional<OutgoingHeader>();
    OutgoingHeader h;
    h.key = s.value(0).toLongLong();
    h.kind = s.value(1).toInt();
    h.number = s.value(2).toString();
    h.date = storedDate(s.value(3));
    h.warehouse = s.value(4).toLongLong();
    h.sum = s.value(5).toDouble();
    h.posted = s.value(6).toInt() != 0;
    h.note = s.value(7).toString();
    return std::optional<OutgoingHeader>(h);
}

Result<std::vector<OutgoingLine>> OutgoingDocuments::lines(qint64 header) const
{
    return readLines(header, false);
}

Result<std::vector<OutgoingLine>> OutgoingDocuments::readLines(qint64 header, bool toChange) const
{
    using R = Result<std::vector<OutgoingLine>>;
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT r.\"Код\", r.\"Код_Накл\", r.\"Код_Прод\", p.\"Имя2\", r.\"Код_Склада\", r.\"Дата\", "
                       "r.\"Брутто\", r.\"Нетто\", r.\"Ед_изм\", u.\"Pref\", u.\"Koef\", r.\"Цена\", r.\"Цена_с_нац\", "
                       "r.\"Проводка\" FROM \"Расход_Товара\" r LEFT JOIN ")
            + base_.productTable()
            + QStringLiteral(" p ON p.\"Код\" = r.\"Код_Прод\" LEFT JOIN \"dt105\" u ON u.\"ID\" = r.\"Ед_изм\" "
                             "WHERE r.\"Код_Накл\" = ? ORDER BY r.\"Код\"")
            + (toChange ? rowLockSuffix(base_.database(), QStringLiteral("r")) : QString()),
        base_.errorLog());
    if (const Status e = s.exec({header}); !e)
        return R::failure(e.error());
    std::vector<OutgoingLine> rows;
    while (s.next()) {
        OutgoingLine l;
        l.key = s.value(0).toLongLong();
        l.header = s.value(1).toLongLong();
        l.product = s.value(2).toLongLong();
        l.productName = s.value(3).toString();
        l.warehouse = s.value(4).toLongLong();
        l.date = storedDate(s.value(5));
        l.brutto = s.value(6).toDouble();
        l.netto = s.value(7).toDouble();
        l.unit = s.value(8).toLongLong();
        l.unitPref = s.value(9).toString();
        const double koef = s.value(10).toDouble();
        l.koef = s.value(10).isNull() || koef == 0 ? 1.0 : koef;
        l.price = s.value(11).toDouble();
        l.value = s.value(12).toDouble();
        l.posted = s.value(13).toInt() != 0;
        rows.push_back(l);
    }
    return rows;
}

Result<std::vector<qint64>> OutgoingDocuments::checkLines(const std::vector<NewOutgoingLine> &lines) const
{
    using R = Result<std::vector<qint64>>;
    if (lines.empty())
        return R::failure(QStringLiteral("Нет данных для сохранения!"));
    SqlStatement productUnit(base_.database(),
        QStringLiteral("SELECT \"ЕдИ_Ц\" FROM ") + base_.productTable() + QStringLiteral(" WHERE \"Код\" = ?"),
        base_.errorLog());
    SqlStatement unitExists(
        base_.database(), QStringLiteral("SELECT 1 FROM \"dt105\" WHERE \"ID\" = ?"), base_.errorLog());
    std::vector<qint64> units;
    for (const NewOutgoingLine &line : lines) {
        if (!std::isfinite(line.brutto) || line.brutto < 0)
            return R::failure(QStringLiteral("Количество не может быть отрицательным: ") + formatNumber(line.brutto));
        if (line.netto && (!std::isfinite(*line.netto) || *line.netto < 0))
            return R::failure(QStringLiteral("Количество не может быть отрицательным: ") + formatNumber(*line.netto));
        if (!productUnit.exec({line.product}) || !productUnit.next())
            return R::failure(QStringLiteral("Продукт не найден: ") + QString::number(line.product));
        const qint64 unit = line.unit ? *line.unit : productUnit.value(0).toLongLong();
        productUnit.finish();
        if (!unitExists.exec({unit}) || !unitExists.next())
            return R::failure(QStringLiteral("Нет ед. измерения для продукта!"));
        unitExists.finish();
        units.push_back(unit);
    }
    return units;
}

Status OutgoingDocuments::insertLines(qint64 header, const QDate &date, qint64 warehouse,
    const std::vector<NewOutgoingLine> &lines, const std::vector<qint64> &units)
{
    const QDateTime now = base_.now();
    SqlStatement l(base_.database(),
        QStringLiteral(
            "INSERT INTO \"Расход_Товара\" (\"Код_Накл\", \"Код_Прод\", \"Название_рецептуры\", \"Выход\", "
            "\"Количество_Пор\", \"Код_Склада\", \"Брутто\", \"Нетто\", \"Ед_изм\", \"Дата\", \"Код_опер\", "
            "\"Код_Польз\", \"Дата_Операции\", \"Проводка\") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?, ?, 0)"),
        base_.errorLog());
    for (size_t i = 0; i < lines.size(); ++i) {
        const NewOutgoingLine &line = lines[i];
        const bool fromDish = !line.dish.isEmpty();
        if (const Status e = l.exec({header, line.product, fromDish ? QVariant(line.dish) : QVariant(),
                fromDish ? QVariant(line.output) : QVariant(), fromDish ? QVariant(line.portions) : QVariant(),
                warehouse, line.brutto, line.netto.value_or(line.brutto), units[i], date, base_.user(), now});
            !e)
            return e;
    }
    return {};
}

Result<qint64> OutgoingDocuments::addHeader(const NewOutgoing &document)
{
    using R = Result<qint64>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    if (!document.date.isValid())
        return R::failure(QStringLiteral("не определена дата накладной!"));
    SqlStatement warehouse(
        base_.database(), QStringLiteral("SELECT 1 FROM \"Склады\" WHERE \"Код\" = ?"), base_.errorLog());
    if (!warehouse.exec({document.warehouse}) || !warehouse.next())
        return R::failure(QStringLiteral("Склад не идентифицирован!"));
    warehouse.finish();
    // The warehouse is also the header's `Поставщик`, as write-offs by dishes write it.
    SqlStatement h(base_.database(),
        QStringLiteral("INSERT INTO \"Накладные_Заголовки\" (\"Дата\", \"Документ\", \"Поставщик\", \"Код_Склада\", "
                       "\"Сумма\", \"Проводка\", \"Дата_Операции\", \"Пользователь\", \"Примечание\") "
                       "VALUES (?, 2, ?, ?, 0, 0, ?, ?, ?) RETURNING \"Код\""),
        base_.errorLog());
    return execInsertReturningKey(h,
        {document.date, document.warehouse, document.warehouse, base_.now(), base_.user(),
            document.note.isEmpty() ? QVariant() : QVariant(document.note)});
}

Result<qint64> OutgoingDocuments::create(const NewOutgoing &document, const std::vector<NewOutgoingLine> &lines)
{
    using R = Result<qint64>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    if (!document.date.isValid())
        return R::failure(QStringLiteral("не определена дата накладной!"));
    // Checked before anything is written.
    const auto units = checkLines(lines);
    if (!units)
        return R::failure(units.error());
    return inWriteTransaction(base_.database(), base_.errorLog(), [&]() -> R {
        const auto key = addHeader(document);
        if (!key)
            return key;
        if (const Status e = insertLines(*key, document.date, document.warehouse, lines, *units); !e)
            return R::failure(e.error());
        return key;
    });
}

Status OutgoingDocuments::replaceLines(qint64 key, const std::vector<NewOutgoingLine> &lines, const QString &procedure)
{
    const auto units = checkLines(lines);
    if (!units)
        return Status::failure(units.error());
    const Status replaced = runWriteTransaction(base_.database(), base_.errorLog(), [&]() -> Status {
        // Read inside the transaction: a document posted meanwhile is not rewritten.
        const auto h = editable(key);
        if (!h)
            return Status::failure(h.error());
        if (const Status e = base_.exec(QStringLiteral("DELETE FROM \"Расход_Товара\" WHERE \"Код_Накл\" = ?"), {key});
            !e)
            return e;
        return insertLines(key, h->date, h->warehouse, lines, *units);
    });
    if (!replaced)
        return replaced;
    base_.logDeletion(procedure);
    return {};
}

Result<OutgoingHeader> OutgoingDocuments::editable(qint64 key, const QString &missing) const
{
    using R = Result<OutgoingHeader>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    const auto found = headerToChange(key);
    if (!found)
        return R::failure(found.error());
    const std::optional<OutgoingHeader> &h = *found;
    if (!h)
        return R::failure(missing.isEmpty() ? kNotFound : missing);
    if (h->posted)
        return R::failure(kPosted);
    return *h;
}

Status OutgoingDocuments::priceLines(const OutgoingHeader &h)
{
    if (!h.date.isValid())
        return Status::failure(QStringLiteral("не определена дата накладной!"));
    const auto rows = lines(h.key);
    if (!rows)
        return Status::failure(rows.error());
    SqlStatement write(base_.database(),
        QStringLiteral("UPDATE \"Расход_Товара\" SET \"Цена\" = ?, \"Цена_с_нац\" = ? WHERE \"Код\" = ?"),
        base_.errorLog());
    double sum = 0;
    for (const OutgoingLine &line : *rows) {
        const double perBase
            = oldestLotPrice(base_.database(), base_.errorLog(), line.product, h.warehouse, true, h.date).value_or(0);
        const double price = perBase / line.koef;
        const double value = roundTo(line.quantity() * price, 2);
        if (const Status e = write.exec({price, value, line.key}); !e)
            return e;
        sum += value;
    }
    return base_.exec(
        QStringLiteral("UPDATE \"Накладные_Заголовки\" SET \"Сумма\" = ? WHERE \"Код\" = ?"), {roundTo(sum, 2), h.key});
}

Status OutgoingDocuments::updatePrices(qint64 key)
{
    return runWriteTransaction(base_.database(), base_.errorLog(), [&]() -> Status {
        // Read inside the transaction: a document posted meanwhile keeps the prices it was posted at.
        const auto h = editable(key);
        if (!h)
            return Status::failure(h.error());
        return priceLines(*h);
    });
}

Status OutgoingDocuments::post(qint64 key)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    // Read inside the transaction, the header locked: two postings of one document cannot both pass,
    // and the lines (locked too) are the ones an edit left, not the ones it is replacing.
    return runWriteTransaction(base_.database(), base_.errorLog(), [&] { return postLocked(key); });
}

Status OutgoingDocuments::postLocked(qint64 key)
{
    const auto h = editable(key);
    if (!h)
        return Status::failure(h.error());
    SqlStatement warehouse(
        base_.database(), QStringLiteral("SELECT 1 FROM \"Склады\" WHERE \"Код\" = ?"), base_.errorLog());
    if (h->warehouse <= 0 || !warehouse.exec({h->warehouse}) || !warehouse.next())
        return Status::failure(QStringLiteral("Склад не идентифицирован!"));
    warehouse.finish();
    const auto rows = readLines(key, true);
    if (!rows)
        return Status::failure(rows.error());
    std::vector<WriteOffItem> items;
    for (const OutgoingLine &line : *rows)
        items.push_back({line.product, line.brutto});

    // Priced before the lots go: the price is that of the oldest lot left at the date.
    if (const Status e = priceLines(*h); !e)
        return e;
    StockWriteOff writeOff(base_);
    if (const Status e = writeOff.writeOffAll(items, h->warehouse, h->date); !e)
        return e;
    if (const Status e = base_.exec(
            QStringLiteral("UPDATE \"Расход_Товара\" SET \"Проводка\" = 1, \"Код_Склада\" = ? WHERE \"Код_Накл\" = ?"),
            {h->warehouse, key});
        !e)
        return e;
    return base_.exec(QStringLiteral("UPDATE \"Накладные_Заголовки\" SET \"Проводка\" = 1, "
                                     "\"Код_Склада\" = ? WHERE \"Код\" = ?"),
        {h->warehouse, key});
}

Status OutgoingDocuments::remove(qint64 key)
{
    // Decided inside the transaction: a document posted meanwhile keeps the lines its lots were taken for.
    const Status removed = runWriteTransaction(base_.database(), base_.errorLog(), [&]() -> Status {
        const auto h = editable(key);
        if (!h) {
            return Status::failure(h.error() == kPosted
                    ? QStringLiteral("Накладная уже проведена по складу, удалить невозможно!")
                    : h.error());
        }
        if (const Status e = base_.exec(QStringLiteral("DELETE FROM \"Расход_Товара\" WHERE \"Код_Накл\" = ?"), {key});
            !e)
            return e;
        return base_.exec(QStringLiteral("DELETE FROM \"Накладные_Заголовки\" WHERE \"Код\" = ?"), {key});
    });
    if (!removed)
        return removed;
    base_.logDeletion(QStringLiteral("Del_Nakl_Minus"));
    return {};
}

Result<int> OutgoingDocuments::roundGrossMasses()
{
    using R = Result<int>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    // Posted lines record what left the lots and stay as they are.
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT \"Код\", \"Брутто\" FROM \"Расход_Товара\" WHERE \"Брутто\" > 10 AND \"Проводка\" = 0"),
        base_.errorLog());
    if (const Status e = s.exec(); !e)
        return R::failure(e.error());
    std::vector<std::pair<qint64, double>> rounded;
    while (s.next()) {
        const double brutto = s.value(1).toDouble();
        const double tens = roundHalfEven(brutto / 10) * 10;
        if (tens != brutto)
            rounded.emplace_back(s.value(0).toLongLong(), tens);
    }
    s.finish();
    Transaction t(base_.database(), base_.errorLog());
    SqlStatement w(base_.database(), QStringLiteral("UPDATE \"Расход_Товара\" SET \"Брутто\" = ? WHERE \"Код\" = ?"),
        base_.errorLog());
    for (const auto &[key, brutto] : rounded) {
        if (const Status e = w.exec({brutto, key}); !e)
            return R::failure(e.error());
    }
    if (const Status e = t.commit(); !e)
        return R::failure(e.error());
    return static_cast<int>(rounded.size());
}

} // namespace kulvera
