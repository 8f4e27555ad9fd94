#include "util/MethodStore.h"

#include "shell/InsertedKey.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

namespace kulvera {
namespace {

const QString kMethods = QStringLiteral("methods");
const QString kCalcs = QStringLiteral("calcs");

} // namespace

QString columnName(MethodField field)
{
    switch (field) {
    case MethodField::Name:
        return QStringLiteral("Name");
    case MethodField::Formula:
        return QStringLiteral("Formula");
    case MethodField::Min:
        return QStringLiteral("Min");
    case MethodField::Max:
        return QStringLiteral("Max");
    case MethodField::Compare:
        return QStringLiteral("Compare");
    case MethodField::Showing:
        return QStringLiteral("Showing");
    case MethodField::Desc:
        return QStringLiteral("Desc");
    case MethodField::Internal:
        return QStringLiteral("Internal");
    case MethodField::Hidden:
        return QStringLiteral("HidMet");
    case MethodField::Unit:
        return QStringLiteral("EdI");
    case MethodField::Nd:
        return QStringLiteral("ND");
    case MethodField::Val:
        return QStringLiteral("Val");
    }
    return {};
}

QString columnName(ParamField field)
{
    switch (field) {
    case ParamField::Name:
        return QStringLiteral("ParamName");
    case ParamField::Designation:
        return QStringLiteral("Param");
    case ParamField::Type:
        return QStringLiteral("ParamType");
    case ParamField::Unit:
        return QStringLiteral("EdI");
    }
    return {};
}

MethodStore::MethodStore(QSqlDatabase db, ErrorLog *log)
    : db_(std::move(db))
    , log_(log)
{
}

Result<MethodCatalog> MethodStore::load() const
{
    const SqlDialect &d = SqlDialect::of(db_);
    MethodCatalog catalog;
    {
        // "Desc", "Min" and "Max" are words of SQL: every name goes through quote().
        QStringList columns {d.quote(QStringLiteral("ID"))};
        for (MethodField f : {MethodField::Name, MethodField::Formula, MethodField::Min, MethodField::Max,
                 MethodField::Compare, MethodField::Showing, MethodField::Desc, MethodField::Internal,
                 MethodField::Hidden, MethodField::Unit, MethodField::Nd, MethodField::Val})
            columns << d.quote(columnName(f));
        SqlStatement q(db_,
            QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                .arg(columns.join(u", "), d.quote(kMethods), d.quote(QStringLiteral("ID"))),
            log_);
        if (const Status s = q.exec(); !s)
            return Result<MethodCatalog>::failure(s.error());
        while (q.next()) {
            Method m;
            m.id = q.value(0).toInt();
            m.name = q.value(1).toString();
            m.formula = q.value(2).toString();
            m.min = q.value(3).toString();
            m.max = q.value(4).toString();
            m.compare = q.value(5).toString();
            m.showing = q.value(6).toInt();
            m.desc = q.value(7).toString();
            m.internal = q.value(8).toString();
            m.hidden = q.value(9).toBool();
            m.unit = q.value(10).toString();
            m.nd = q.value(11).toString();
            m.val = q.value(12).toString();
            catalog.methods.push_back(std::move(m));
        }
    }
    SqlStatement q(db_,
        QStringLiteral("SELECT %1, %2, %3, %4, %5, %6 FROM %7 ORDER BY %1")
            .arg(d.quote(QStringLiteral("ID")), d.quote(QStringLiteral("ID_met")),
                d.quote(columnName(ParamField::Name)), d.quote(columnName(ParamField::Designation)),
                d.quote(columnName(ParamField::Type)), d.quote(columnName(ParamField::Unit)), d.quote(kCalcs)),
        log_);
    if (const Status s = q.exec(); !s)
        return Result<MethodCatalog>::failure(s.error());
    while (q.next()) {
        MethodParam p;
        p.id = q.value(0).toInt();
        p.methodId = q.value(1).toInt();
        p.name = q.value(2).toString();
        p.designation = q.value(3).toString();
        p.type = q.value(4).toString();
        p.unit = q.value(5).toString();
        catalog.params.push_back(std::move(p));
    }
    return catalog;
}

Result<int> MethodStore::insert(const QString &sql, const QVariantList &values)
{
    // Both tables of the store are keyed by "ID".
    SqlStatement q(db_, sql + QStringLiteral(" RETURNING \"ID\""), log_);
    const auto id = execInsertReturningKey(q, values);
    if (!id)
        return Result<int>::failure(id.error());
    return static_cast<int>(*id);
}

Status MethodStore::changeOneRow(const QString &sql, const QVariantList &values, const QString &what)
{
    SqlStatement q(db_, sql, log_);
    if (const Status s = q.exec(values); !s)
        return s;
    if (q.rowsAffected() == 0)
        return Status::failure(what);
    return {};
}

Result<int> MethodStore::addMethod(const QString &name)
{
    const SqlDialect &d = SqlDialect::of(db_);
    return insert(
        QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)")
            .arg(d.quote(kMethods), d.quote(columnName(MethodField::Name)), d.quote(columnName(MethodField::Hidden))),
        {name, false});
}

Status MethodStore::deleteMethod(int id)
{
    const SqlDialect &d = SqlDialect::of(db_);
    Transaction t(db_, log_);
    if (const Status s = execSql(db_,
            QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(d.quote(kCalcs), d.quote(QStringLiteral("ID_met"))), {id},
            log_);
        !s)
        return s;
    if (const Status s = changeOneRow(
            QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(d.quote(kMethods), d.quote(QStringLiteral("ID"))), {id},
            QStringLiteral("Метод не найден в базе"));
        !s)
        return s; // the transaction rolls back the parameters too
    return t.commit();
}

Status MethodStore::setMethodField(int id, MethodField field, const QVariant &value)
{
    const SqlDialect &d = SqlDialect::of(db_);
    QVariant stored = value;
    if (field == MethodField::Hidden)
        stored = value.toBool();
    else if (field == MethodField::Showing)
        stored = value.toInt();
    else
        stored = value.toString();
    return changeOneRow(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                            .arg(d.quote(kMethods), d.quote(columnName(field)), d.quote(QStringLiteral("ID"))),
        {stored, id}, QStringLiteral("Метод не найден в базе"));
}

Result<int> MethodStore::addParam(int methodId, const QString &name, const QString &type)
{
    const SqlDialect &d = SqlDialect::of(db_);
    return insert(QStringLiteral("INSERT INTO %1 (%2, %3, %4) VALUES (?, ?, ?)")
                      .arg(d.quote(kCalcs), d.quote(QStringLiteral("ID_met")), d.quote(columnName(ParamField::Name)),
                          d.quote(columnName(ParamField::Type))),
        {methodId, name, type});
}

Status MethodStore::deleteParam(int id)
{
    const SqlDialect &d = SqlDialect::of(db_);
    return changeOneRow(
        QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(d.quote(kCalcs), d.quote(QStringLiteral("ID"))), {id},
        QStringLiteral("Параметр не найден в базе"));
}

Status MethodStore::setParamField(int id, ParamField field, const QString &value)
{
    const SqlDialect &d = SqlDialect::of(db_);
    return changeOneRow(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                            .arg(d.quote(kCalcs), d.quote(columnName(field)), d.quote(QStringLiteral("ID"))),
        {value, id}, QStringLiteral("Параметр не найден в базе"));
}

} // namespace kulvera
