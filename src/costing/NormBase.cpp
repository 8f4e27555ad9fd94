#include "costing/NormBase.h"

#include "common/Prompter.h"
#include "shell/Connections.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

namespace kulvera {

namespace {

const QString kCode = QStringLiteral("Код");
const QString kName = QStringLiteral("Имя");

} // namespace

std::optional<double> NormRecord::value(const QString &column) const
{
    for (const auto &[key, v] : columns) {
        if (key.compare(column, Qt::CaseInsensitive) == 0)
            return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
    }
    return std::nullopt;
}

NormBase::NormBase(Connections &connections, int number, Prompter &prompter)
    : connections_(connections)
    , number_(number)
    , prompter_(prompter)
{
}

QStringList NormBase::valueColumns() const
{
    const QSqlDatabase db = connections_.database(number_);
    QStringList columns = SqlDialect::of(db).columns(db, kNormTable.toString());
    columns.removeIf([](const QString &c) { return c == kCode || c == kName; });
    return columns;
}

Result<std::vector<NormRecord>> NormBase::query(const QString &where, const QVariantList &params) const
{
    using R = Result<std::vector<NormRecord>>;
    if (!connections_.isConnected(number_))
        return R::failure(QStringLiteral("Нет подключения к базе меню"));
    const QSqlDatabase db = connections_.database(number_);
    const SqlDialect &d = SqlDialect::of(db);
    const QStringList values = valueColumns();
    QString sql = QStringLiteral("SELECT ") + d.quote(kCode) + QStringLiteral(", ") + d.quote(kName);
    for (const QString &c : values)
        sql += QStringLiteral(", ") + d.quote(c);
    sql += QStringLiteral(" FROM ") + d.quote(kNormTable.toString()) + where + QStringLiteral(" ORDER BY ")
        + d.quote(kCode);
    SqlStatement q(db, sql, &connections_.errorLog());
    if (const Status s = q.exec(params); !s)
        return R::failure(s.error());
    std::vector<NormRecord> norms;
    while (q.next()) {
        NormRecord n;
        n.code = q.value(0).toLongLong();
        n.name = q.value(1).toString();
        for (int i = 0; i < values.size(); ++i) {
            const QVariant v = q.value(i + 2);
            if (!v.isNull() && !v.toString().isEmpty())
                n.columns.emplace_back(values[i], v);
        }
        norms.push_back(std::move(n));
    }
    q.finish();
    SqlStatement p(db,
        QStringLiteral("SELECT \"Code\", \"Group_Name\", \"Code_Prods\", \"Norm_Prods\" FROM ")
            + d.quote(kNormProdsTable.toString()) + QStringLiteral(" WHERE \"Code_Norm\" = ? ORDER BY \"Code\""),
        &connections_.errorLog());
    for (NormRecord &n : norms) {
        if (const Status s = p.exec({n.code}); !s)
            return R::failure(s.error());
        while (p.next())
            n.products.push_back({p.value(0).toLongLong(), p.value(1), p.value(2), p.value(3)});
    }
    return norms;
}

Result<QStringList> NormBase::names() const
{
    const auto norms = query({}, {});
    if (!norms)
        return Result<QStringList>::failure(norms.error());
    QStringList list;
    for (const NormRecord &n : *norms)
        list << n.name;
    return list;
}

Result<std::vector<NormRecord>> NormBase::all() const
{
    return query({}, {});
}

Result<NormRecord> NormBase::loadByName(const QString &name) const
{
    using R = Result<NormRecord>;
    const auto any = query({}, {});
    if (!any)
        return R::failure(any.error());
    if (any->empty()) {
        prompter_.warning(kNormEmptyText.toString());
        return R::failure(kNormEmptyText.toString());
    }
    for (const NormRecord &n : *any) {
        if (n.name == name)
            return n;
    }
    const QString text = QStringLiteral("Строка ") + name + QStringLiteral(" не найдена в таблице ") + kNormTable;
    prompter_.warning(text);
    return R::failure(text);
}

Result<NormRecord> NormBase::loadByCode(qint64 code) const
{
    using R = Result<NormRecord>;
    const QSqlDatabase db = connections_.database(number_);
    const auto found
        = query(QStringLiteral(" WHERE ") + SqlDialect::of(db).quote(kCode) + QStringLiteral(" = ?"), {code});
    if (!found)
        return R::failure(found.error());
    if (found->empty())
        return R::failure(QStringLiteral("Ошибка идентификации физ. норм!"));
    return found->front();
}

Status NormBase::insertAll(const std::vector<NormRecord> &norms) const
{
    if (!connections_.isConnected(number_))
        return Status::failure(QStringLiteral("Нет подключения к базе меню"));
    Transaction all(connections_.database(number_), &connections_.errorLog());
    for (const NormRecord &n : norms) {
        if (const Result<qint64> code = insert(n); !code)
            return Status::failure(code.error());
    }
    return all.commit();
}

Result<qint64> NormBase::insert(const NormRecord &norm) const
{
    using R = Result<qint64>;
    if (!connections_.isConnected(number_))
        return R::failure(QStringLiteral("Нет подключения к базе меню"));
    if (norm.products.size() > static_cast<std::size_t>(kMaxProductSetRows))
        return R::failure(
            QStringLiteral("Слишком много строк продуктового набора: ") + QString::number(norm.products.size()));
    const QSqlDatabase db = connections_.database(number_);
    const SqlDialect &d = SqlDialect::of(db);
    const QStringList known = valueColumns();
    QString names = d.quote(kName);
    QString marks = QStringLiteral("?");
    QVariantList values {norm.name};
    for (const auto &[column, value] : norm.columns) {
        const auto it = std::find_if(
            known.begin(), known.end(), [&](const QString &k) { return k.compare(column, Qt::CaseInsensitive) == 0; });
        if (it == known.end())
            return R::failure(QStringLiteral("В таблице Norm нет поля ") + column);
        names += QStringLiteral(", ") + d.quote(*it);
        marks += QStringLiteral(", ?");
        values << value;
    }
    Transaction t(db, &connections_.errorLog());
    if (!t.started())
        return R::failure(QStringLiteral("Не удалось начать транзакцию"));
    SqlStatement q(db,
        QStringLiteral("INSERT INTO ") + d.quote(kNormTable.toString()) + QStringLiteral(" (") + names
            + QStringLiteral(") VALUES (") + marks + u')',
        &connections_.errorLog());
    if (const Status s = q.exec(values); !s)
        return R::failure(s.error());
    const qint64 code = q.lastInsertId().toLongLong();
    q.finish();
    SqlStatement p(db,
        QStringLiteral("INSERT INTO ") + d.quote(kNormProdsTable.toString())
            + QStringLiteral(" (\"Group_Name\", \"Code_Prods\", \"Code_Norm\", \"Norm_Prods\") VALUES (?, ?, ?, ?)"),
        &connections_.errorLog());
    for (const ProductSetNorm &row : norm.products) {
        if (const Status s = p.exec({row.groupName, row.codeProds, code, row.norm}); !s)
            return R::failure(s.error());
    }
    p.finish();
    if (const Status s = t.commit(); !s)
        return R::failure(s.error());
    return code;
}

} // namespace kulvera
