#pragma once

#include "common/Result.h"
#include "warehouse/StockLots.h"
#include "warehouse/StockWriteOff.h"

#include <QDate>
#include <QString>

#include <vector>

namespace kulvera {

class WarehouseBase;

// A lot the movement form lists, with its receipt's price and markup.
struct MovableLot {
    LotView view;
    double price = 0; // per unit of entry, of the line that made the lot
    double markup = 0; // percent
    QString userName;
};

// A quantity (base unit) taken from one chosen lot.
struct LotQuantity {
    qint64 lot = 0;
    double quantity = 0;
};

// An internal movement: chosen lots of one warehouse go to another.
struct Movement {
    QDate date;
    QString number;
    qint64 from = 0;
    qint64 to = 0;
    QString note;
    std::vector<LotQuantity> rows;
    // Instead of rows: quantities of products, whose lots are chosen oldest
    // first up to the date inside the posting's transaction.
    std::vector<WriteOffItem> products {};
};

// The two headers a movement writes.
struct MovementKeys {
    qint64 receipt = 0; // kind 1, the target's side
    qint64 issue = 0; // kind 2, the source's side
};

// A write-off act: chosen lots of one warehouse leave stock at once.
struct WriteOffAct {
    QDate date;
    QString number;
    qint64 warehouse = 0;
    QString note; // empty: the setting sAktS
    std::vector<LotQuantity> rows;
    std::vector<WriteOffItem> products {}; // instead of rows, as for a movement
};

// Internal movements and write-off acts. Each is written posted, headers,
// lines and lots in one transaction, or refused with nothing changed. Lots
// change only through StockLots; what leaves a lot is added to its receipt's
// write-off trail, as for any write-off. Lots given by product are chosen and
// locked inside that transaction (run again on a lost race), so a lot another
// workstation took from meanwhile is chosen for what it holds now, or not at
// all: the posting is refused only when the warehouse really holds too little.
class StockMovements
{
public:
    explicit StockMovements(WarehouseBase &base);

    static constexpr QStringView kMoved = u"Продукты перемещены.";
    static constexpr QStringView kActDone
        = u"Акт на списание подготовлен. Продукты списаны со склада. Для просмотра акт зайдите: Учет - Расход "
          u"продуктов - Накладные";

    // The posted lots of a warehouse with something left, oldest first.
    Result<std::vector<MovableLot>> movableLots(qint64 warehouse) const;

    // Per row: the lot decreases (deleted when used up), the target
    // warehouse's first lot of the product grows by the quantity (keeping its
    // date, supplier and unit) or a new lot is made, and a receipt line and an
    // issue line (`Код_опер` = 1) record it under the two headers.
    Result<MovementKeys> move(const Movement &movement);

    // One kind 3 header and a posted outgoing line of price 0 per row. The
    // lines name the warehouse of the lot they took from (the act's own
    // warehouse): stock of a warehouse is what its lines say, so a line naming
    // another warehouse would leave both wrong.
    Result<qint64> writeOffAct(const WriteOffAct &act);

    // The lots a quantity of each product would leave, oldest first, among
    // the warehouse's lots dated up to `date`; refused naming every short
    // product. Nothing is changed; what another workstation posts next may
    // change the choice, which a movement or act by products makes afresh.
    Result<std::vector<LotQuantity>> oldestFirst(
        const std::vector<WriteOffItem> &items, qint64 warehouse, const QDate &date) const;

private:
    struct Checked;
    // The chosen rows, or the rows of the products chosen (and, with `lock`, locked) now.
    Result<std::vector<LotQuantity>> lotRows(const std::vector<LotQuantity> &rows,
        const std::vector<WriteOffItem> &products, qint64 warehouse, const QDate &date) const;
    Result<std::vector<LotQuantity>> chooseOldestFirst(
        const std::vector<WriteOffItem> &items, qint64 warehouse, const QDate &date, bool lock) const;
    Result<Checked> check(const QDate &date, qint64 warehouse, const std::vector<LotQuantity> &rows) const;
    // The postings themselves, inside the caller's transaction; `used` counts the lots used up.
    Result<MovementKeys> postMovement(const Movement &movement, int &used);
    Result<qint64> postAct(const WriteOffAct &act, int &used);
    Result<qint64> insertHeader(int kind, const QDate &date, const QString &number, qint64 warehouse,
        const QString &note, const QDateTime &now);

    WarehouseBase &base_;
};

} // namespace kulvera
