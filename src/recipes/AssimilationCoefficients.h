#pragma once

#include "common/Result.h"
#include "products/clsProds.h"

#include <QHash>
#include <QString>
#include <QStringView>

namespace kulvera {

class Connections;

// Assimilation coefficients of a set of norms (table `Koef` of the menu
// base, one row per `КодНормативов`): the share, in percent, of each value
// that the body takes up. Assimilated value = coefficient × value ÷ 100.
inline constexpr QStringView kAssimilationHeading = u"Расчет с учетом коэффициентов усвоения";

class AssimilationCoefficients
{
public:
    // Every coefficient 100: nothing changes.
    AssimilationCoefficients() = default;

    // The keys of the table ("a", "b", "b1", "b2", "bel", "bg" …) with the
    // field each one reduces.
    static const QHash<QString, double clsProds::*> &fields();

    double percent(const QString &key) const { return percent_.value(key.toLower(), 100.0); }
    void setPercent(const QString &key, double value) { percent_.insert(key.toLower(), value); }
    double assimilated(const QString &key, double value) const { return percent(key) * value / 100.0; }
    // Applies every coefficient to the record's fields.
    void apply(clsProds &values) const;

    // The row of the norms; all 100 when the table has none for them.
    static Result<AssimilationCoefficients> load(Connections &connections, qint64 normsKey);

private:
    QHash<QString, double> percent_;
};

} // namespace kulvera
