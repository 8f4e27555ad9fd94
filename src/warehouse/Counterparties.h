#pragma once

#include "common/Result.h"

#include <QString>
#include <QVariant>

#include <optional>
#include <span>
#include <vector>

namespace kulvera {

class WarehouseBase;

// One column of the counterparty table as its form shows it.
struct CounterpartyColumn {
    const char16_t *field; // column of dt101
    const char16_t *caption;
};
// Every column of the form, in order, from "Имя в программе" to "Примечание".
std::span<const CounterpartyColumn> counterpartyColumns();

struct Counterparty {
    qint64 id = 0;
    QString name; // l1, the short name lists show
};

// Suppliers and buyers (`dt101`). Every edit writes at once.
class Counterparties
{
public:
    explicit Counterparties(WarehouseBase &base);

    static constexpr QStringView kNewSupplier = u"Новый поставщик";

    Result<std::vector<Counterparty>> list() const;
    int count() const;
    std::optional<Counterparty> find(qint64 id) const;
    // A key, or a short name (letter case ignored) when the text is no key.
    std::optional<Counterparty> findByNameOrKey(const QString &text) const;
    // Every column of counterpartyColumns() for one row; empty when there is none.
    QVariantList fields(qint64 id) const;

    Result<qint64> add(const QString &name = kNewSupplier.toString());
    // Writes one column of counterpartyColumns(); other names are refused.
    Status setField(qint64 id, const QString &field, const QString &value);
    // Asks first.
    Status remove(qint64 id);

private:
    WarehouseBase &base_;
};

} // namespace kulvera
