#include "WarehouseFixture.h"
#include "warehouse/OtherWorkstations.h"

#include "common/NumberText.h"
#include "shell/SqlConflict.h"
#include "warehouse/OutgoingDocuments.h"
#include "warehouse/StockCheck.h"
#include "warehouse/StockMovements.h"
#include "warehouse/StockReconciliation.h"

#include <QElapsedTimer>

#include <cmath>
#include <functional>
#include <iostream>
#include <utility>

using namespace kulvera;
using namespace kulvera::test;

// Several workstations post against one warehouse at the same time: write-offs
// posted from documents, reconciliations, movements both ways between two
// warehouses, write-off acts and receipts, all taking from the same
// oldest lots. Afterwards every lot must still add up to its lines, and the
// stock must be exactly what came in less what the workstations say they took:
// a lost update (two postings both writing a lot's new quantity from the same
// old one) leaves more in stock than that.
namespace {

constexpr int kWorkstations = 4;
constexpr int kOperations = 36; // per workstation
constexpr int kInitialLots = 4; // per product, 50 kg each
constexpr double kLot = 50;
const char *const kWarehouses = "KULVERA_TEST_POSTING_WAREHOUSES";
const QString kReport = QStringLiteral("POSTING ");

// A refusal the rules give when another workstation got there first; anything else is a fault.
bool expectedRefusal(const QString &error)
{
    return error.contains(QStringLiteral("недостаточно на складе")) || error.contains(QStringLiteral("Не хватает"))
        || error.contains(QStringLiteral("Партия не найдена")) || error.contains(QStringLiteral("Масса не может быть"))
        || error.contains(QStringLiteral("Ошибка идентификации продукта на складе"))
        || error.contains(QStringLiteral("Сверка не требуется"));
}

double sumOf(const WarehouseBase &base, const QString &table, qint64 header)
{
    SqlStatement s(base.database(),
        QStringLiteral("SELECT SUM(\"Брутто\") FROM \"") + table + QStringLiteral("\" WHERE \"Код_Накл\" = ?"));
    return s.exec({header}) && s.next() ? s.value(0).toDouble() : 0.0;
}

QString number(double value)
{
    return QString::number(value, 'g', 17);
}

} // namespace

// Run only as a child process of the test below: one workstation's postings.
TEST(ConcurrentPostingChild, DISABLED_Workstation)
{
    Workstation w(qEnvironmentVariable(kWorkstationRoot), {BaseId::Warehouse, BaseId::Products});
    ASSERT_TRUE(w.ok()) << w.errorLog().recent().join(u'\n').toStdString();
    const int me = qEnvironmentVariableIntValue(kWorkstationNumber);
    const QStringList keys = qEnvironmentVariable(kWarehouses).split(u',');
    ASSERT_EQ(keys.size(), 3);
    const qint64 store = keys[0].toLongLong();
    const qint64 second = keys[1].toLongLong();
    const qint64 supplier = keys[2].toLongLong();
    const QDate today(2026, 6, 15);

    WarehouseBase base(w.context());
    OutgoingDocuments documents(base);
    StockMovements movements(base);
    IncomingInvoices invoices(base);
    std::map<qint64, double> taken; // per product, leaving stock for good
    std::map<qint64, double> received;
    int done = 0;
    int refused = 0;
    QStringList faults;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kOperations; ++i) {
        const qint64 product = 1 + (i + me) % 2;
        Status outcome;
        double out = 0;
        double in = 0;
        switch ((i + me) % 6) {
        case 0: { // a write-off document, then posted
            const auto doc = documents.create({today, store, {}}, {{product, 1.25, {}}});
            outcome = doc ? documents.post(*doc) : Status::failure(doc.error());
            out = 1.25;
            break;
        }
        case 1:
        case 2: { // a movement, to the second warehouse or back
            const bool there = (i + me) % 6 == 1;
            const qint64 from = there ? store : second;
            const auto moved
                = movements.move({today, {}, from, there ? second : store, {}, {}, {{product, there ? 2.5 : 1.0}}});
            outcome = moved ? Status() : Status::failure(moved.error());
            break;
        }
        case 3: { // a reconciliation of the oldest lot: 0.75 short, or 0.5 over when it holds less
            const auto lots = StockLots(base).lotsUpTo(product, store, today);
            if (!lots || lots->empty()) {
                outcome = Status::failure(QStringLiteral("недостаточно на складе"));
                break;
            }
            const Lot &oldest = lots->front();
            const double counted = oldest.brutto > 1 ? oldest.brutto - 0.75 : oldest.brutto + 0.5;
            const auto reconciled = StockReconciliation(base).reconcile(store, {{oldest.key, counted}});
            outcome = reconciled ? Status() : Status::failure(reconciled.error());
            if (reconciled) {
                // What the lines say moved: the lot may have changed since it was read.
                out = sumOf(base, QStringLiteral("Расход_Товара"), reconciled->outgoingHeader);
                in = sumOf(base, QStringLiteral("Приход_Товара"), reconciled->incomingHeader);
            }
            break;
        }
        case 4: { // a receipt
            NewLine line;
            line.product = product;
            line.quantity = 2;
            line.price = 10;
            const auto key
                = invoices.receive({QStringLiteral("w%1-%2").arg(me).arg(i), today, supplier, store, {}}, {line});
            outcome = key ? Status() : Status::failure(key.error());
            in = 2;
            break;
        }
        case 5: { // an act from the second warehouse
            const auto act = movements.writeOffAct({today, {}, second, {}, {}, {{product, 0.5}}});
            outcome = act ? Status() : Status::failure(act.error());
            out = 0.5;
            break;
        }
        }
        if (outcome) {
            ++done;
            taken[product] += out;
            received[product] += in;
        } else if (expectedRefusal(outcome.error())) {
            ++refused;
        } else {
            faults << outcome.error();
        }
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString() << '\n'
                                  << w.errorLog().recent().join(u'\n').toStdString();
    std::cout << kReport.toStdString() << "done=" << done << " refused=" << refused << " retries=" << conflictRetries()
              << " seconds=" << number(seconds).toStdString() << " taken1=" << number(taken[1]).toStdString()
              << " taken2=" << number(taken[2]).toStdString() << " received1=" << number(received[1]).toStdString()
              << " received2=" << number(received[2]).toStdString() << std::endl;
}

class ConcurrentPosting : public WarehouseFixture
{
};

TEST_F(ConcurrentPosting, SeveralWorkstationsKeepTheStockInvariantAndLoseNoUpdate)
{
    const qint64 second = Warehouses(base).add(QStringLiteral("Второй")).value();
    for (int n = 0; n < kInitialLots; ++n) {
        ASSERT_TRUE(invoices.receive(invoice(QStringLiteral("н") + QString::number(n), QDate(2026, 6, 1 + n)),
            {line(1, kLot, 10), line(2, kLot, 12)}));
    }

    const WorkstationRun run
        = runWorkstations(QStringLiteral("ConcurrentPostingChild.DISABLED_Workstation"), kWorkstations, bases.root(),
            {{QString::fromLatin1(kWarehouses), QStringLiteral("%1,%2,%3").arg(store).arg(second).arg(supplier)}});

    std::map<qint64, double> expected {{1, kInitialLots * kLot}, {2, kInitialLots * kLot}};
    int done = 0;
    int refused = 0;
    qint64 retries = 0;
    for (const QString &output : run.outputs) {
        const auto r = reportOf(output, kReport);
        ASSERT_TRUE(r.count(QStringLiteral("done"))) << output.toStdString();
        done += r.at(QStringLiteral("done")).toInt();
        refused += r.at(QStringLiteral("refused")).toInt();
        retries += r.at(QStringLiteral("retries")).toLongLong();
        for (const qint64 p : {1, 2}) {
            expected[p] += r.at(QStringLiteral("received") + QString::number(p)).toDouble()
                - r.at(QStringLiteral("taken") + QString::number(p)).toDouble();
        }
    }
    // Most postings go through: the refusals are the few movements back and acts that found
    // the second warehouse empty.
    EXPECT_GT(done, kWorkstations * kOperations / 2);

    const auto differences = checkStock(base);
    ASSERT_TRUE(differences);
    for (const StockDifference &d : *differences) {
        ADD_FAILURE() << "product " << d.product << " in warehouse " << d.warehouse << ": lots " << d.lots << ", lines "
                      << d.lines;
    }
    for (const qint64 p : {1, 2}) {
        const double held
            = scalar(QStringLiteral("SELECT SUM(\"Брутто\") FROM \"Склад\" WHERE \"Код_Прод\" = ?"), {p}).toDouble();
        EXPECT_NEAR(held, expected[p], 1e-6) << "product " << p;
    }
    const double opsPerSecond = done / run.seconds;
    std::cout << "[ concurrency ] " << kWorkstations << " workstations, one warehouse: " << done << " postings ("
              << refused << " refused) in " << run.seconds << " s = " << opsPerSecond << " ops/s, " << retries
              << " conflicts retried" << std::endl;
    RecordProperty("ops_per_second", QString::number(opsPerSecond, 'f', 1).toStdString());
    RecordProperty("retries", static_cast<int>(retries));
}

namespace {

constexpr int kLotsEach = 30; // per product, 1 kg each, one a day
constexpr int kTakes = 12; // per workstation
const char *const kLotWarehouses = "KULVERA_TEST_LOT_WAREHOUSES";
const QString kLotReport = QStringLiteral("LOTS ");

} // namespace

// Run only as a child process of the test below: movements and acts by product.
TEST(ConcurrentLotChoiceChild, DISABLED_Workstation)
{
    Workstation w(qEnvironmentVariable(kWorkstationRoot), {BaseId::Warehouse, BaseId::Products});
    ASSERT_TRUE(w.ok()) << w.errorLog().recent().join(u'\n').toStdString();
    const int me = qEnvironmentVariableIntValue(kWorkstationNumber);
    const QStringList keys = qEnvironmentVariable(kLotWarehouses).split(u',');
    ASSERT_EQ(keys.size(), 2);
    const qint64 store = keys[0].toLongLong();
    const qint64 second = keys[1].toLongLong();
    const QDate today(2026, 6, 30);

    WarehouseBase base(w.context());
    StockMovements movements(base);
    std::map<qint64, double> moved;
    std::map<qint64, double> actedOut;
    QStringList refusals;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kTakes; ++i) {
        const qint64 product = 1 + (i + me) % 2;
        if ((i / 2) % 2 == 0) {
            // A lot and a half: every movement empties the oldest lot another one is taking from.
            const auto posted = movements.move({today, {}, store, second, {}, {}, {{product, 1.5}}});
            if (posted)
                moved[product] += 1.5;
            else
                refusals << posted.error();
        } else {
            const auto act = movements.writeOffAct({today, {}, store, {}, {}, {{product, 0.5}}});
            if (act)
                actedOut[product] += 0.5;
            else
                refusals << act.error();
        }
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    // The store holds more than all workstations take together: nothing may be refused.
    EXPECT_TRUE(refusals.isEmpty()) << refusals.join(u'\n').toStdString() << '\n'
                                    << w.errorLog().recent().join(u'\n').toStdString();
    std::cout << kLotReport.toStdString() << "done=" << kTakes - refusals.size() << " retries=" << conflictRetries()
              << " seconds=" << number(seconds).toStdString() << " moved1=" << number(moved[1]).toStdString()
              << " moved2=" << number(moved[2]).toStdString() << " acted1=" << number(actedOut[1]).toStdString()
              << " acted2=" << number(actedOut[2]).toStdString() << std::endl;
}

// Movements and write-off acts given by product from several workstations, all after the same
// oldest lots, each of which the next posting empties. The lots are chosen inside each
// posting's transaction: one that another workstation emptied meanwhile is not chosen, so
// none is refused while the store holds enough, and every quantity is where the lines say.
TEST_F(ConcurrentPosting, MovementsAndActsByProductChooseTheirLotsAfterTheOthersHaveTaken)
{
    const qint64 second = Warehouses(base).add(QStringLiteral("Второй")).value();
    for (int n = 0; n < kLotsEach; ++n) {
        ASSERT_TRUE(invoices.receive(invoice(QStringLiteral("л") + QString::number(n), QDate(2026, 6, 1 + n)),
            {line(1, 1, 10), line(2, 1, 12)}));
    }

    const WorkstationRun run
        = runWorkstations(QStringLiteral("ConcurrentLotChoiceChild.DISABLED_Workstation"), kWorkstations, bases.root(),
            {{QString::fromLatin1(kLotWarehouses), QStringLiteral("%1,%2").arg(store).arg(second)}});

    int done = 0;
    qint64 retries = 0;
    std::map<qint64, double> moved;
    std::map<qint64, double> acted;
    for (const QString &output : run.outputs) {
        const auto r = reportOf(output, kLotReport);
        ASSERT_TRUE(r.count(QStringLiteral("done"))) << output.toStdString();
        done += r.at(QStringLiteral("done")).toInt();
        retries += r.at(QStringLiteral("retries")).toLongLong();
        for (const qint64 p : {1, 2}) {
            moved[p] += r.at(QStringLiteral("moved") + QString::number(p)).toDouble();
            acted[p] += r.at(QStringLiteral("acted") + QString::number(p)).toDouble();
        }
    }
    EXPECT_EQ(done, kWorkstations * kTakes);

    const auto differences = checkStock(base);
    ASSERT_TRUE(differences);
    for (const StockDifference &d : *differences) {
        ADD_FAILURE() << "product " << d.product << " in warehouse " << d.warehouse << ": lots " << d.lots << ", lines "
                      << d.lines;
    }
    const QString held = QStringLiteral(
        "SELECT COALESCE(SUM(\"Брутто\"), 0) FROM \"Склад\" WHERE \"Код_Прод\" = ? AND \"Код_Склада\" = ?");
    for (const qint64 p : {1, 2}) {
        EXPECT_NEAR(scalar(held, {p, store}).toDouble(), kLotsEach - moved[p] - acted[p], 1e-6) << "product " << p;
        EXPECT_NEAR(scalar(held, {p, second}).toDouble(), moved[p], 1e-6) << "product " << p;
        // Oldest first: what is left in the store is its newest lots, whole but for the oldest of them.
        const auto left = lots.lotsUpTo(p, store, std::nullopt);
        ASSERT_TRUE(left);
        const int whole = static_cast<int>(std::floor(kLotsEach - moved[p] - acted[p] + 1e-9));
        ASSERT_GE(left->size(), size_t(whole));
        EXPECT_EQ(left->back().date, QDate(2026, 6, kLotsEach));
        for (size_t k = left->size() - whole; k < left->size(); ++k)
            EXPECT_DOUBLE_EQ((*left)[k].brutto, 1) << "product " << p << ", lot " << k;
    }
    const double opsPerSecond = done / run.seconds;
    std::cout << "[ concurrency ] " << kWorkstations << " workstations, movements and acts on the same lots: " << done
              << " postings in " << run.seconds << " s = " << opsPerSecond << " ops/s, " << retries
              << " conflicts retried" << std::endl;
    RecordProperty("ops_per_second", QString::number(opsPerSecond, 'f', 1).toStdString());
    RecordProperty("retries", static_cast<int>(retries));
}

namespace {

// Answers like the scripted prompter, but first lets another workstation act once, when the
// question that contains `when` is on the screen.
class MeanwhilePrompter : public ScriptedPrompter
{
public:
    QString when;
    std::function<void()> meanwhile;

    Reply present(const Message &message) override
    {
        if (meanwhile && message.text.contains(when))
            std::exchange(meanwhile, {})();
        return ScriptedPrompter::present(message);
    }
};

} // namespace

// Deleting an invoice decides every line first, questions included, and only then writes.
// A write-off posted meanwhile from a lot already judged untouched must keep that lot and
// its receipt line: the deletion is refused and changes nothing.
TEST_F(ConcurrentPosting, AnInvoiceIsNotDeletedOnceAnotherWorkstationHasTakenFromALotOfIt)
{
    // The first line's lot is gone without a write-off trail, so its deletion asks; the
    // lines are decided from the last, so the second is judged before that question.
    const qint64 h = invoices.receive(invoice(QStringLiteral("1")), {line(2, 3, 12), line(1, 10, 10)}).value();
    const auto received = invoices.lines(h).value();
    ASSERT_EQ(received.size(), 2u);
    ASSERT_TRUE(lots.take(received[0].lot, 3));
    const InvoiceLine &potatoes = received[1];

    MeanwhilePrompter prompter;
    prompter.setDefaultAnswer(Prompter::Answer::Yes);
    AppContext here {prompter, bases.settings(), bases.shared(), clock, bases.connections(), bases.errorLog()};
    WarehouseBase herBase(here);
    IncomingInvoices hers(herBase);
    prompter.when = QStringLiteral("Информация о продукте отсутствует на складе");
    prompter.meanwhile = [&] {
        OutgoingDocuments documents(base);
        const auto doc = documents.create({QDate(2026, 6, 15), store, {}}, {{1, 4, {}}});
        ASSERT_TRUE(doc);
        ASSERT_TRUE(documents.post(*doc));
    };

    EXPECT_EQ(hers.deleteInvoice(h).error(), QStringLiteral("Для продукта уже произошли изменения"));
    EXPECT_FALSE(prompter.meanwhile); // the other workstation did post
    ASSERT_TRUE(lots.find(potatoes.lot));
    EXPECT_DOUBLE_EQ(lots.find(potatoes.lot)->brutto, 6);
    EXPECT_EQ(invoices.lines(h)->size(), 2u);
    const auto differences = checkStock(base);
    ASSERT_TRUE(differences);
    for (const StockDifference &d : *differences) {
        // The first line's lot was taken without a line on purpose; the potatoes must add up.
        EXPECT_NE(d.product, 1) << "lots " << d.lots << ", lines " << d.lines;
    }
}
