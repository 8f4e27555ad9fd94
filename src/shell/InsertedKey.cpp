#include "shell/InsertedKey.h"

#include "shell/SqlStatement.h"

#include <QSqlError>

namespace kulvera {
namespace {

const QString kNoKey = QStringLiteral("База данных не вернула код новой записи");

} // namespace

Result<qint64> insertedKey(SqlStatement &insert)
{
    const bool row = insert.next();
    bool ok = false;
    const qint64 key = row ? insert.value(0).toLongLong(&ok) : 0;
    insert.finish();
    if (!ok)
        return Result<qint64>::failure(kNoKey);
    return key;
}

Result<qint64> insertedKey(QSqlQuery &insert)
{
    const bool row = insert.next();
    bool ok = false;
    const qint64 key = row ? insert.value(0).toLongLong(&ok) : 0;
    insert.finish();
    if (!ok)
        return Result<qint64>::failure(kNoKey);
    return key;
}

Result<qint64> execInsertReturningKey(SqlStatement &insert, const QVariantList &values)
{
    if (const Status e = insert.exec(values); !e)
        return Result<qint64>::failure(e.error());
    return insertedKey(insert);
}

} // namespace kulvera
