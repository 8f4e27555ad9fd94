#pragma once

#include "common/Result.h"
#include "util/FormulaMethod.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

namespace kulvera {

class ErrorLog;

// The fields of a method the formulas form edits, one column of `methods` each.
enum class MethodField { Name, Formula, Min, Max, Compare, Showing, Desc, Internal, Hidden, Unit, Nd, Val };
// The fields of a parameter, one column of `calcs` each.
enum class ParamField { Name, Designation, Type, Unit };

QString columnName(MethodField field);
QString columnName(ParamField field);

// Reads and writes the `methods` and `calcs` tables of the physico-chemical
// methods base. Every change is written at once; deleting a method takes its
// parameters with it in one transaction. The store does not own the
// connection: the connection table does.
class MethodStore
{
public:
    explicit MethodStore(QSqlDatabase db, ErrorLog *log = nullptr);

    bool isOpen() const { return db_.isOpen(); }

    Result<MethodCatalog> load() const;

    // New rows return their key.
    Result<int> addMethod(const QString &name);
    Status deleteMethod(int id);
    Status setMethodField(int id, MethodField field, const QVariant &value);

    Result<int> addParam(int methodId, const QString &name, const QString &type = QStringLiteral("d"));
    Status deleteParam(int id);
    Status setParamField(int id, ParamField field, const QString &value);

private:
    Status changeOneRow(const QString &sql, const QVariantList &values, const QString &what);
    Result<int> insert(const QString &sql, const QVariantList &values);

    QSqlDatabase db_;
    ErrorLog *log_;
};

} // namespace kulvera
