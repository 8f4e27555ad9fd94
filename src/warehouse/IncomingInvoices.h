#pragma once

#include "common/Result.h"
#include "warehouse/InvoicePeriod.h"
#include "warehouse/LineValues.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace kulvera {

class WarehouseBase;

// A header of kind 1 (`Накладные_Заголовки`.`Документ` = 1).
struct InvoiceHeader {
    qint64 key = 0;
    QString number;
    QDate date;
    qint64 supplier = 0; // dt101.ID; ≤ 0 for none (an internal movement has -1)
    QString supplierName; // l1; empty when there is no supplier
    qint64 warehouse = 0;
    double sum = 0;
    bool posted = false;
    qint64 user = 0;
    QString userName;
    QDateTime operationTime;
    QString note;
};

struct NewInvoice {
    QString number;
    QDate date;
    qint64 supplier = 0;
    qint64 warehouse = 0; // the warehouse lines go to unless they name their own
    QString note;
};

// A row of `Приход_Товара` with the names the line grid shows.
struct InvoiceLine {
    qint64 key = 0;
    qint64 header = 0;
    QString headerNumber;
    qint64 product = 0;
    QString productName; // Имя2
    qint64 supplier = 0;
    qint64 warehouse = 0;
    QString warehouseName;
    qint64 lot = 0; // Код_на_Складе
    QDate date;
    double brutto = 0; // base unit
    double netto = 0;
    qint64 unit = 0;
    QString unitPref;
    double koef = 1;
    LineValues values;
    bool posted = false;
    int operation = 0; // Код_опер: 0 ordinary, 1 internal movement
    QString safetyDocument; // Безоп
    QString organoleptic; // Орган
    QString temperature; // Темп
    QString shelfLife; // СрокГ

    // The quantity in the unit of entry, as the grid shows it.
    double quantity() const { return brutto * koef; }
};

struct NewLine {
    qint64 product = 0;
    double quantity = 0; // in the unit of entry
    double price = 0; // per unit of entry, VAT included
    std::optional<double> vatPercent; // default: the setting НДСПроцент
    double markupPercent = 0;
    std::optional<qint64> unit; // default: the product's unit (ЕдИ_Ц)
    std::optional<qint64> warehouse; // default: the header's warehouse
};

// The editable money columns of a line.
enum class LineField { Quantity, Price, VatPercent, Markup, MarkupAmount, Value };
// The text columns of the receiving check.
enum class QualityField { SafetyDocument, Organoleptic, Temperature, ShelfLife };

// A product lines can be added from.
struct ProductChoice {
    qint64 key = 0;
    QString name; // Имя2
};

struct InvoiceDeletion {
    int deletedLines = 0;
    int keptLines = 0; // lines whose lot was consumed
    bool headerDeleted = false;
};

// One invoice of a batch: its header and lines.
struct InvoiceToReceive {
    NewInvoice invoice;
    std::vector<NewLine> lines;
};

// Incoming invoices: headers, their lines and each line's lot. A line is
// written posted and its lot created in the same transaction, so a received
// quantity is in stock as soon as its line exists; a line's quantity,
// warehouse and unit change only while nothing was taken from its lot.
// Refusals come back as failures with the text to show, and change nothing; a
// failure with an empty text means the user said No.
class IncomingInvoices
{
public:
    explicit IncomingInvoices(WarehouseBase &base);
    ~IncomingInvoices();
    IncomingInvoices(const IncomingInvoices &) = delete;
    IncomingInvoices &operator=(const IncomingInvoices &) = delete;

    static constexpr QStringView kTitle = u"Приходная накладная";

    Result<std::vector<InvoiceHeader>> headers(const InvoicePeriod &period) const;
    std::optional<InvoiceHeader> header(qint64 key) const;

    // Asks "Добавить новую накладную?" when `askFirst`, then the duplicate-number question.
    Result<qint64> addHeader(const NewInvoice &invoice, bool askFirst = false);
    // Each also rewrites the author and the time of the header, in one transaction with its cascade.
    Status setDate(qint64 header, const QDate &date); // re-dates the lines and their lots
    Status setNumber(qint64 header, const QString &number); // the lines' copy and the lots' header
    Status setSupplier(qint64 header, qint64 supplier); // the lines and their lots
    Status setNote(qint64 header, const QString &note);

    // The products of the product base, in the program's order of names.
    Result<std::vector<ProductChoice>> products() const;

    Result<std::vector<InvoiceLine>> lines(qint64 header) const;
    std::optional<InvoiceLine> line(qint64 key) const;

    // Adds a line and its lot, and the header's sum, in one transaction.
    Result<qint64> addLine(qint64 header, const NewLine &line);
    // A whole invoice, header and lines, in one transaction; asks the
    // duplicate-number question (inside it: meant for the command line, imports
    // and the demo, whose answers come at once). Returns the header key.
    Result<qint64> receive(const NewInvoice &invoice, const std::vector<NewLine> &lines);
    // Many invoices at once (an import, a month of deliveries): all received
    // in one transaction or none, the failure naming the invoice refused. One
    // commit instead of one per invoice is what makes a year of receipts fast.
    Result<std::vector<qint64>> receiveAll(const std::vector<InvoiceToReceive> &invoices);

    Status editLine(qint64 line, LineField field, double value);
    // The cell as typed: a non-number is refused.
    Status editLine(qint64 line, LineField field, const QString &typed);
    Status setLineWarehouse(qint64 line, qint64 warehouse);
    // Keeps the quantity shown: the stored base quantity follows the new unit.
    Status setLineUnit(qint64 line, qint64 unit);
    Status setQuality(qint64 line, QualityField field, const QString &text);

    // Asks "Удалить '<product>' из накладной?" first.
    Status deleteLine(qint64 line);
    // Asks first; deletes the untouched lines from the last to the first and
    // the header when no line is left.
    Result<InvoiceDeletion> deleteInvoice(qint64 header);

private:
    struct Validated;
    Status checkHeader(const NewInvoice &invoice);
    Result<qint64> insertHeader(const NewInvoice &invoice);
    // Checks and writes one invoice; the caller holds the transaction.
    Result<qint64> receiveInto(const NewInvoice &invoice, const std::vector<NewLine> &lines);
    struct LineWriter;
    // The statements of writing, prepared on first use and kept for the next calls.
    LineWriter &writer();
    Result<Validated> validate(const InvoiceHeader &header, const NewLine &line, LineWriter &writer) const;
    Result<qint64> writeLine(const InvoiceHeader &header, const Validated &line, LineWriter &writer);
    Status updateSum(qint64 header);
    Status touchHeader(qint64 header);
    Status writeValues(const InvoiceLine &line, double brutto, const LineValues &values);
    std::optional<double> unitKoef(qint64 unit) const;
    // The line while its lot is still as the line received it; else `refusal`.
    Result<InvoiceLine> untouchedLine(qint64 key, const QString &refusal) const;
    // The write-off trail shows that the line's lot went out of stock: its
    // receipt is then part of the stock's history and stays.
    bool writtenOff(const InvoiceLine &line) const;
    // Deletes a line and its untouched lot (no questions); the caller holds the transaction.
    Status deleteLineRows(const InvoiceLine &line, bool withLot);

    WarehouseBase &base_;
    std::unique_ptr<LineWriter> writer_;
};

} // namespace kulvera
