#include "costing/NormBase.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "shell/Connections.h"
#include "shell/InsertedKey.h"
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
    for (const auto &entry : norm.columns) {
        // (a named variable, not a structured binding: the lambda below captures it)
        const QString &column = entry.first;
        const QVariant &value = entry.second;
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
            + QStringLiteral(") VALUES (") + marks + QStringLiteral(") RETURNING \"Код\""),
        &connections_.errorLog());
    const auto inserted = execInsertReturningKey(q, values);
    if (!inserted)
        return R::failure(inserted.error());
    const qint64 code = *inserted;
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

namespace {

// A cell as the user typed it: empty text is no value; a number column takes
// a number in either decimal notation and nothing else.
Result<QVariant> storedValue(const QVariant &value, bool numeric)
{
    if (value.isNull() || value.toString().trimmed().isEmpty())
        return QVariant();
    if (!numeric)
        return QVariant(value.toString().trimmed());
    if (const std::optional<double> n = parseNumber(value.toString()))
        return QVariant(*n);
    return Result<QVariant>::failure(QStringLiteral("Не число: ") + value.toString());
}

} // namespace

Status NormBase::update(const QString &table, const QString &key, qint64 code, const QString &column,
    const QVariant &value, QStringView unknown) const
{
    const bool numeric = column != kName && column != u"Group_Name" && column != u"Code_Prods";
    const Result<QVariant> stored = storedValue(value, numeric);
    if (!stored)
        return Status::failure(stored.error());
    if (!connections_.isConnected(number_))
        return Status::failure(QStringLiteral("Нет подключения к базе меню"));
    const QSqlDatabase db = connections_.database(number_);
    const SqlDialect &d = SqlDialect::of(db);
    SqlStatement q(db,
        QStringLiteral("UPDATE ") + d.quote(table) + QStringLiteral(" SET ") + d.quote(column)
            + QStringLiteral(" = ? WHERE ") + d.quote(key) + QStringLiteral(" = ?"),
        &connections_.errorLog());
    if (const Status s = q.exec({*stored, code}); !s)
        return s;
    if (q.rowsAffected() != 1)
        return Status::failure(unknown.toString());
    return {};
}

Status NormBase::setValue(qint64 code, const QString &column, const QVariant &value) const
{
    if (column != kName && !valueColumns().contains(column))
        return Status::failure(QStringLiteral("В таблице Norm нет поля ") + column);
    if (column == kName && (value.isNull() || value.toString().trimmed().isEmpty()))
        return Status::failure(QStringLiteral("Не задано имя нормы"));
    return update(kNormTable.toString(), kCode, code, column, value, kNormUnknownText);
}

Status NormBase::remove(qint64 code) const
{
    if (!connections_.isConnected(number_))
        return Status::failure(QStringLiteral("Нет подключения к базе меню"));
    const QSqlDatabase db = connections_.database(number_);
    const SqlDialect &d = SqlDialect::of(db);
    Transaction t(db, &connections_.errorLog());
    if (!t.started())
        return Status::failure(QStringLiteral("Не удалось начать транзакцию"));
    SqlStatement norm(db,
        QStringLiteral("DELETE FROM ") + d.quote(kNormTable.toString()) + QStringLiteral(" WHERE ") + d.quote(kCode)
            + QStringLiteral(" = ?"),
        &connections_.errorLog());
    if (const Status s = norm.exec({code}); !s)
        return s;
    if (norm.rowsAffected() != 1)
        return Status::failure(kNormUnknownText.toString());
    norm.finish();
    // Its product set would be unreachable without it.
    if (const Status s = execSql(db,
            QStringLiteral("DELETE FROM ") + d.quote(kNormProdsTable.toString())
                + QStringLiteral(" WHERE \"Code_Norm\" = ?"),
            {code}, &connections_.errorLog());
        !s)
        return s;
    return t.commit();
}

Result<qint64> NormBase::addProductRow(qint64 normCode, const QString &groupName) const
{
    using R = Result<qint64>;
    if (const Result<NormRecord> norm = loadByCode(normCode); !norm)
        return R::failure(kNormUnknownText.toString());
    else if (norm->products.size() >= static_cast<std::size_t>(kMaxProductSetRows))
        return R::failure(
            QStringLiteral("Слишком много строк продуктового набора: ") + QString::number(norm->products.size()));
    const QSqlDatabase db = connections_.database(number_);
    SqlStatement q(db,
        QStringLiteral("INSERT INTO ") + SqlDialect::of(db).quote(kNormProdsTable.toString())
            + QStringLiteral(" (\"Group_Name\", \"Code_Norm\") VALUES (?, ?) RETURNING \"Code\""),
        &connections_.errorLog());
    return execInsertReturningKey(q, {groupName, normCode});
}

Status NormBase::setProductValue(qint64 rowCode, const QString &column, const QVariant &value) const
{
    static const QStringList editable {
        QStringLiteral("Group_Name"), QStringLiteral("Code_Prods"), QStringLiteral("Norm_Prods")};
    if (!editable.contains(column))
        return Status::failure(QStringLiteral("В таблице Norm_Prods нет поля ") + column);
    return update(kNormProdsTable.toString(), QStringLiteral("Code"), rowCode, column, value, kProductNormUnknownText);
}

Status NormBase::removeProductRow(qint64 rowCode) const
{
    if (!connections_.isConnected(number_))
        return Status::failure(QStringLiteral("Нет подключения к базе меню"));
    const QSqlDatabase db = connections_.database(number_);
    SqlStatement q(db,
        QStringLiteral("DELETE FROM ") + SqlDialect::of(db).quote(kNormProdsTable.toString())
            + QStringLiteral(" WHERE \"Code\" = ?"),
        &connections_.errorLog());
    if (const Status s = q.exec({rowCode}); !s)
        return s;
    if (q.rowsAffected() != 1)
        return Status::failure(kProductNormUnknownText.toString());
    return {};
}

} // namespace kulvera
