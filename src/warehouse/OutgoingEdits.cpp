#include "warehouse/OutgoingEdits.h"

#include "common/NumberText.h"
#include "shell/SqlConflict.h"
#include "shell/SqlStatement.h"
#include "warehouse/OutgoingDocuments.h"
#include "warehouse/WarehouseBase.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace kulvera {
namespace {

const QString kPosted = QStringLiteral("Накладная уже проведена!");

// Documents are locked in key order whatever order the user picked them in, so two
// workstations editing the same documents never each hold one while waiting for the other.
std::vector<qint64> inLockOrder(std::vector<qint64> headers)
{
    std::sort(headers.begin(), headers.end());
    headers.erase(std::unique(headers.begin(), headers.end()), headers.end());
    return headers;
}

} // namespace

OutgoingEdits::OutgoingEdits(WarehouseBase &base)
    : base_(base)
{
}

Status OutgoingEdits::setGrossMass(qint64 line, double shown)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    if (!std::isfinite(shown) || shown < 0)
        return Status::failure(QStringLiteral("Количество не может быть отрицательным: ") + formatNumber(shown));
    // A lost race with another workstation (a deadlock on the server) runs the edit again.
    return runWriteTransaction(base_.database(), base_.errorLog(), [&]() -> Status {
        SqlStatement s(base_.database(),
            QStringLiteral("SELECT r.\"Проводка\", u.\"Koef\", h.\"Проводка\" FROM \"Расход_Товара\" r "
                           "LEFT JOIN \"dt105\" u ON u.\"ID\" = r.\"Ед_изм\" "
                           "LEFT JOIN \"Накладные_Заголовки\" h ON h.\"Код\" = r.\"Код_Накл\" WHERE r.\"Код\" = ?")
                // The line locked: a posting reads its lines locked too, so it writes off what this edit leaves.
                + rowLockSuffix(base_.database(), QStringLiteral("r")),
            base_.errorLog());
        if (const Status e = s.exec({line}); !e)
            return e;
        if (!s.next())
            return Status::failure(QStringLiteral("Не удалось иджентифицировать продукт!"));
        if (s.value(0).toInt() != 0 || s.value(2).toInt() != 0)
            return Status::failure(kPosted);
        const double koef = s.value(1).toDouble();
        const double base = shown / (s.value(1).isNull() || koef == 0 ? 1.0 : koef);
        s.finish();
        return base_.exec(
            QStringLiteral("UPDATE \"Расход_Товара\" SET \"Брутто\" = ? WHERE \"Код\" = ?"), {base, line});
    });
}

Status OutgoingEdits::setNote(const std::vector<qint64> &headers, const QString &note)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    OutgoingDocuments documents(base_);
    return runWriteTransaction(base_.database(), base_.errorLog(), [&]() -> Status {
        for (const qint64 header : inLockOrder(headers)) {
            // Locked: a posting of the document waits, or has finished and is seen.
            if (const auto h = documents.editable(header); !h)
                return Status::failure(h.error());
            if (const Status e
                = base_.exec(QStringLiteral("UPDATE \"Накладные_Заголовки\" SET \"Примечание\" = ? WHERE \"Код\" = ?"),
                    {note.isEmpty() ? QVariant() : QVariant(note), header});
                !e)
                return e;
        }
        return Status();
    });
}

Result<int> OutgoingEdits::replaceProduct(
    const std::vector<qint64> &headers, qint64 source, qint64 target, double factor)
{
    using R = Result<int>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    if (!std::isfinite(factor) || factor <= 0)
        return R::failure(QStringLiteral("Коэффициент замены должен быть больше нуля!"));
    // Merging a product into itself would add the line to itself and then delete it.
    if (source == target)
        return R::failure(QStringLiteral("Исходный продукт и замена совпадают!"));
    SqlStatement productExists(base_.database(),
        QStringLiteral("SELECT 1 FROM ") + base_.productTable() + QStringLiteral(" WHERE \"Код\" = ?"),
        base_.errorLog());
    if (!productExists.exec({target}) || !productExists.next())
        return R::failure(QStringLiteral("Продукт не найден: ") + QString::number(target));
    productExists.finish();

    OutgoingDocuments documents(base_);
    return inWriteTransaction(base_.database(), base_.errorLog(), [&]() -> R {
        SqlStatement linesOf(base_.database(),
            QStringLiteral("SELECT \"Код\", \"Брутто\", \"Нетто\" FROM \"Расход_Товара\" WHERE \"Код_Накл\" = ? "
                           "AND \"Код_Прод\" = ? ORDER BY \"Код\""),
            base_.errorLog());
        SqlStatement retarget(base_.database(),
            QStringLiteral(
                "UPDATE \"Расход_Товара\" SET \"Брутто\" = ?, \"Нетто\" = ?, \"Код_Прод\" = ? WHERE \"Код\" = ?"),
            base_.errorLog());
        SqlStatement addTo(base_.database(),
            QStringLiteral("UPDATE \"Расход_Товара\" SET \"Брутто\" = COALESCE(\"Брутто\", 0) + ?, "
                           "\"Нетто\" = COALESCE(\"Нетто\", 0) + ? WHERE \"Код\" = ?"),
            base_.errorLog());
        SqlStatement remove(
            base_.database(), QStringLiteral("DELETE FROM \"Расход_Товара\" WHERE \"Код\" = ?"), base_.errorLog());
        int replaced = 0;
        for (const qint64 key : inLockOrder(headers)) {
            if (const auto h
                = documents.editable(key, QStringLiteral("Не удалось определить номер накладной. Замена не выполнена"));
                !h)
                return R::failure(h.error());
            struct Row {
                qint64 key;
                double brutto;
                double netto;
            };
            const auto read = [&](qint64 product) -> Result<std::vector<Row>> {
                std::vector<Row> rows;
                if (const Status e = linesOf.exec({key, product}); !e)
                    return Result<std::vector<Row>>::failure(e.error());
                while (linesOf.next())
                    rows.push_back(
                        {linesOf.value(0).toLongLong(), linesOf.value(1).toDouble(), linesOf.value(2).toDouble()});
                linesOf.finish();
                return rows;
            };
            const auto sources = read(source);
            if (!sources)
                return R::failure(sources.error());
            const auto targets = read(target);
            if (!targets)
                return R::failure(targets.error());
            // A second source line of a document without the target merges into the first one replaced.
            std::optional<qint64> targetLine;
            if (!targets->empty())
                targetLine = targets->front().key;
            for (const Row &row : *sources) {
                const double brutto = row.brutto * factor;
                const double netto = row.netto * factor;
                if (!targetLine) {
                    if (const Status e = retarget.exec({brutto, netto, target, row.key}); !e)
                        return R::failure(e.error());
                    targetLine = row.key;
                } else {
                    if (const Status e = addTo.exec({brutto, netto, *targetLine}); !e)
                        return R::failure(e.error());
                    if (const Status e = remove.exec({row.key}); !e)
                        return R::failure(e.error());
                }
                ++replaced;
            }
        }
        return replaced;
    });
}

} // namespace kulvera
