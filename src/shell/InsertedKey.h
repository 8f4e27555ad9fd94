#pragma once

#include "common/Result.h"

#include <QSqlQuery>
#include <QVariantList>

namespace kulvera {

class SqlStatement;

// The key of a row just inserted. Not every engine's driver can say which row
// an INSERT made (PostgreSQL tables have no row number to hand back), so every
// insert whose key is needed ends in `RETURNING "<key column>"` and the key is
// read as the statement's one row. Both read the row and finish the statement:
// an unfinished INSERT would keep SQLite from committing.
Result<qint64> insertedKey(SqlStatement &insert);
Result<qint64> insertedKey(QSqlQuery &insert);

// Binds the values, runs the INSERT ... RETURNING and gives back the new key.
Result<qint64> execInsertReturningKey(SqlStatement &insert, const QVariantList &values);

} // namespace kulvera
