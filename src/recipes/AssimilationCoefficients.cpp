#include "recipes/AssimilationCoefficients.h"

#include "shell/Catalogue.h"
#include "shell/Connections.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

namespace kulvera {

const QHash<QString, double clsProds::*> &AssimilationCoefficients::fields()
{
    static const QHash<QString, double clsProds::*> map = {
        {QStringLiteral("a"), &clsProds::a},
        {QStringLiteral("b"), &clsProds::b},
        {QStringLiteral("b1"), &clsProds::B1},
        {QStringLiteral("b2"), &clsProds::B2},
        {QStringLiteral("bel"), &clsProds::Bel},
        {QStringLiteral("bg"), &clsProds::BelG},
        {QStringLiteral("br"), &clsProds::BelR},
        {QStringLiteral("c"), &clsProds::c},
        {QStringLiteral("ca"), &clsProds::Ca},
        {QStringLiteral("en"), &clsProds::En},
        {QStringLiteral("fe"), &clsProds::Fe},
        {QStringLiteral("gg"), &clsProds::GirG},
        {QStringLiteral("gir"), &clsProds::Gir},
        {QStringLiteral("gr"), &clsProds::GirR},
        {QStringLiteral("k"), &clsProds::K},
        {QStringLiteral("kl"), &clsProds::Kl},
        {QStringLiteral("kr"), &clsProds::Kr},
        {QStringLiteral("md"), &clsProds::MD},
        {QStringLiteral("mg"), &clsProds::Mg},
        {QStringLiteral("na"), &clsProds::Na},
        {QStringLiteral("org"), &clsProds::Org},
        {QStringLiteral("p"), &clsProds::p},
        {QStringLiteral("pp"), &clsProds::PP},
        {QStringLiteral("sv"), &clsProds::sv},
        {QStringLiteral("voda"), &clsProds::Voda},
        {QStringLiteral("zola"), &clsProds::Zola},
        {QStringLiteral("рэ"), &clsProds::RE},
        {QStringLiteral("тэ"), &clsProds::tE},
    };
    return map;
}

void AssimilationCoefficients::apply(clsProds &values) const
{
    for (auto it = percent_.cbegin(); it != percent_.cend(); ++it) {
        if (const auto field = fields().value(it.key()))
            values.*field = it.value() * (values.*field) / 100.0;
    }
}

Result<AssimilationCoefficients> AssimilationCoefficients::load(Connections &connections, qint64 normsKey)
{
    using R = Result<AssimilationCoefficients>;
    if (!connections.isConnected(BaseId::Menu))
        return R::failure(QStringLiteral("Нет подключения к базе меню"));
    const QSqlDatabase db = connections.database(BaseId::Menu);
    const SqlDialect &d = SqlDialect::of(db);
    const QStringList columns = d.columns(db, QStringLiteral("Koef"));
    QStringList wanted;
    for (const QString &c : columns) {
        if (fields().contains(c.toLower()))
            wanted << c;
    }
    AssimilationCoefficients k;
    if (wanted.isEmpty())
        return k;
    QString sql = QStringLiteral("SELECT ");
    for (int i = 0; i < wanted.size(); ++i)
        sql += (i ? QStringLiteral(", ") : QString()) + d.quote(wanted[i]);
    sql += QStringLiteral(" FROM ") + d.quote(QStringLiteral("Koef")) + QStringLiteral(" WHERE ")
        + d.quote(QStringLiteral("КодНормативов")) + QStringLiteral(" = ?");
    SqlStatement q(db, sql, &connections.errorLog());
    if (const Status s = q.exec({normsKey}); !s)
        return R::failure(s.error());
    if (q.next()) {
        for (int i = 0; i < wanted.size(); ++i) {
            // An empty cell is no reduction.
            const QVariant v = q.value(i);
            k.setPercent(wanted[i], v.isNull() || v.toString().isEmpty() ? 100.0 : v.toDouble());
        }
    }
    return k;
}

} // namespace kulvera
