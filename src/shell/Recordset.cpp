#include "shell/Recordset.h"

#include "shell/ErrorLog.h"
#include "shell/SqlDialect.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace kulvera {
namespace {

const QString kRowIdAlias = QStringLiteral("__kv_rowid");

// "SELECT * FROM table [WHERE ...] [ORDER BY ...]" with one table and no
// joins: such a recordset can be edited like a table.
QString singleTableOf(const QString &sql)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*SELECT\s+\*\s+FROM\s+("(?:[^"]|"")+"|\[[^\]]+\]|[\w]+)\s*(?:$|WHERE\b|ORDER\s+BY\b))"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch m = pattern.match(sql);
    if (!m.hasMatch())
        return {};
    static const QRegularExpression joins(
        QStringLiteral(R"(\b(JOIN|UNION|GROUP\s+BY|DISTINCT)\b|,\s*[\w"\[]+\s*(WHERE|$))"),
        QRegularExpression::CaseInsensitiveOption);
    if (joins.match(sql).hasMatch())
        return {};
    QString name = m.captured(1);
    if (name.startsWith(u'"'))
        name = name.mid(1, name.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    else if (name.startsWith(u'['))
        name = name.mid(1, name.size() - 2);
    return name;
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString)
        return a.toString().compare(b.toString(), Qt::CaseInsensitive) == 0;
    bool okA = false, okB = false;
    const double x = a.toDouble(&okA), y = b.toDouble(&okB);
    if (okA && okB)
        return x == y;
    return a == b;
}

} // namespace

Status Recordset::fail(const QString &operation, const QString &detail)
{
    if (log_)
        log_->write(QStringLiteral("Ошибка выполнения функции.\nФункция: ") + operation + u'\n' + detail);
    return Status::failure(detail);
}

Status Recordset::load(const QString &sql, const QVariantList &params)
{
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        return fail(QStringLiteral("OpenRecordset"), query.lastError().text() + u'\n' + sql);
    const SqlDialect &dialect = SqlDialect::of(db_);
    for (const QVariant &p : params)
        query.addBindValue(dialect.toStorage(p));
    if (!query.exec())
        return fail(QStringLiteral("OpenRecordset"), query.lastError().text() + u'\n' + sql);
    const QSqlRecord record = query.record();
    const bool hasRowId = !table_.isEmpty();
    const int first = hasRowId ? 1 : 0;
    for (int i = first; i < record.count(); ++i)
        fields_ << record.fieldName(i);
    while (query.next()) {
        QVariantList row;
        row.reserve(record.count() - first);
        for (int i = first; i < record.count(); ++i)
            row << query.value(i);
        rows_.push_back(std::move(row));
        if (hasRowId)
            rowIds_.push_back(query.value(0));
    }
    open_ = true;
    position_ = 0;
    return {};
}

Status Recordset::openTable(
    const QString &table, const QString &where, const QVariantList &params, const QString &orderBy)
{
    const SqlDialect &dialect = SqlDialect::of(db_);
    QString sql = QStringLiteral("SELECT ") + dialect.rowIdentity() + QStringLiteral(" AS ") + kRowIdAlias
        + QStringLiteral(", * FROM ") + dialect.quote(table);
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    if (!orderBy.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + orderBy;
    close();
    table_ = table;
    const Status loaded = load(sql, params);
    if (!loaded)
        close();
    return loaded;
}

Status Recordset::openQuery(const QString &sql, const QVariantList &params)
{
    close();
    const QString table = singleTableOf(sql);
    if (!table.isEmpty()) {
        // Same rows, with the row identity in front so they can be edited.
        static const QRegularExpression star(
            QStringLiteral(R"(^\s*SELECT\s+\*)"), QRegularExpression::CaseInsensitiveOption);
        QString withId = sql;
        withId.replace(star,
            QStringLiteral("SELECT ") + SqlDialect::of(db_).rowIdentity() + QStringLiteral(" AS ") + kRowIdAlias
                + QStringLiteral(", *"));
        table_ = table;
        if (load(withId, params))
            return {};
        close();
    }
    return load(sql, params);
}

void Recordset::close()
{
    open_ = false;
    fields_.clear();
    rows_.clear();
    rowIds_.clear();
    position_ = 0;
    mode_ = Mode::None;
    buffer_.clear();
    changed_.clear();
    table_.clear();
}

bool Recordset::moveTo(int position)
{
    if (position < 0 || position >= rowCount())
        return false;
    position_ = position;
    return true;
}

bool Recordset::findFirst(const QString &field, const QVariant &value)
{
    const int index = fieldIndex(field);
    if (index < 0)
        return false;
    for (int i = 0; i < rowCount(); ++i) {
        if (sameValue(rows_[static_cast<size_t>(i)][index], value)) {
            position_ = i;
            return true;
        }
    }
    return false;
}

int Recordset::fieldIndex(const QString &name) const
{
    for (int i = 0; i < fields_.size(); ++i) {
        if (fields_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant Recordset::value(const QString &field) const
{
    return value(fieldIndex(field));
}

QVariant Recordset::value(int index) const
{
    if (index < 0 || index >= fields_.size())
        return {};
    if (mode_ != Mode::None)
        return buffer_[index];
    if (bof() || eof())
        return {};
    return rows_[static_cast<size_t>(position_)][index];
}

Status Recordset::edit()
{
    if (!isEditable())
        return fail(QStringLiteral("Edit"), QStringLiteral("Набор записей только для чтения"));
    if (bof() || eof())
        return fail(QStringLiteral("Edit"), QStringLiteral("Нет текущей записи"));
    mode_ = Mode::Edit;
    buffer_ = rows_[static_cast<size_t>(position_)];
    changed_.assign(static_cast<size_t>(fields_.size()), false);
    return {};
}

Status Recordset::addNew()
{
    if (!isEditable())
        return fail(QStringLiteral("flAdd"), QStringLiteral("Ошибка идентификации подключения!"));
    mode_ = Mode::Add;
    buffer_ = QVariantList(fields_.size());
    changed_.assign(static_cast<size_t>(fields_.size()), false);
    return {};
}

Status Recordset::flSet(const QString &field, const QVariant &value)
{
    const int index = fieldIndex(field);
    if (index < 0)
        return fail(QStringLiteral("flSet"), QStringLiteral("Нет поля: ") + field);
    if (mode_ == Mode::None) {
        const Status started = edit();
        if (!started)
            return started;
    }
    buffer_[index] = value;
    changed_[static_cast<size_t>(index)] = true;
    return {};
}

void Recordset::cancelUpdate()
{
    mode_ = Mode::None;
    buffer_.clear();
    changed_.clear();
}

Status Recordset::update()
{
    if (mode_ == Mode::None)
        return fail(QStringLiteral("Update"), QStringLiteral("Запись не редактируется"));
    const SqlDialect &dialect = SqlDialect::of(db_);
    QStringList names;
    QVariantList values;
    for (int i = 0; i < fields_.size(); ++i) {
        if (changed_[static_cast<size_t>(i)]) {
            names << dialect.quote(fields_[i]);
            values << dialect.toStorage(buffer_[i]);
        }
    }
    QSqlQuery query(db_);
    QString sql;
    if (mode_ == Mode::Edit) {
        if (names.isEmpty()) {
            cancelUpdate();
            return {};
        }
        QStringList sets;
        for (const QString &n : names)
            sets << n + QStringLiteral(" = ?");
        sql = QStringLiteral("UPDATE ") + dialect.quote(table_) + QStringLiteral(" SET ")
            + sets.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") + dialect.rowIdentity()
            + QStringLiteral(" = ?") + dialect.returningRowIdentity();
        values << rowIds_[static_cast<size_t>(position_)];
    } else if (names.isEmpty()) {
        sql = QStringLiteral("INSERT INTO ") + dialect.quote(table_) + QStringLiteral(" DEFAULT VALUES");
    } else {
        sql = QStringLiteral("INSERT INTO ") + dialect.quote(table_) + QStringLiteral(" (")
            + names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (")
            + QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")) + u')';
    }
    if (mode_ == Mode::Add)
        sql += dialect.returningRowIdentity();
    if (!query.prepare(sql))
        return fail(QStringLiteral("Update"), query.lastError().text() + u'\n' + sql);
    for (const QVariant &v : values)
        query.addBindValue(v);
    if (!query.exec())
        return fail(QStringLiteral("Update"), query.lastError().text() + u'\n' + sql);

    const bool returning = !dialect.returningRowIdentity().isEmpty();
    if (returning && !query.next()) {
        // The row is no longer where it was read: another workstation changed or deleted it.
        const Status changed = fail(QStringLiteral("Update"),
            QStringLiteral("Запись изменена или удалена другим пользователем после того, как была прочитана"));
        cancelUpdate();
        return changed;
    }
    if (mode_ == Mode::Edit) {
        rows_[static_cast<size_t>(position_)] = buffer_;
        if (returning)
            rowIds_[static_cast<size_t>(position_)] = query.value(0);
    } else {
        // Read the new row back: defaults and counters are filled by the engine.
        const QVariant rowId = returning ? query.value(0) : query.lastInsertId();
        QSqlQuery back(db_);
        back.prepare(QStringLiteral("SELECT * FROM ") + dialect.quote(table_) + QStringLiteral(" WHERE ")
            + dialect.rowIdentity() + QStringLiteral(" = ?"));
        back.addBindValue(rowId);
        QVariantList row = buffer_;
        if (back.exec() && back.next()) {
            for (int i = 0; i < fields_.size(); ++i)
                row[i] = back.value(fields_[i]);
        }
        rows_.push_back(std::move(row));
        rowIds_.push_back(rowId);
        position_ = rowCount() - 1;
    }
    cancelUpdate();
    return {};
}

Status Recordset::deleteCurrent()
{
    if (!isEditable())
        return fail(QStringLiteral("Delete"), QStringLiteral("Набор записей только для чтения"));
    if (bof() || eof())
        return fail(QStringLiteral("Delete"), QStringLiteral("Нет текущей записи"));
    const SqlDialect &dialect = SqlDialect::of(db_);
    QSqlQuery query(db_);
    const QString sql = QStringLiteral("DELETE FROM ") + dialect.quote(table_) + QStringLiteral(" WHERE ")
        + dialect.rowIdentity() + QStringLiteral(" = ?");
    query.prepare(sql);
    query.addBindValue(rowIds_[static_cast<size_t>(position_)]);
    if (!query.exec())
        return fail(QStringLiteral("Delete"), query.lastError().text() + u'\n' + sql);
    rows_.erase(rows_.begin() + position_);
    rowIds_.erase(rowIds_.begin() + position_);
    cancelUpdate();
    return {};
}

} // namespace kulvera
