#include "products/ProductBase.h"

#include "common/Clock.h"
#include "common/Prompter.h"
#include "shell/AppContext.h"
#include "shell/Connections.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QSqlRecord>

#include <algorithm>

namespace kulvera {
namespace {

const QString kKeyColumn = QStringLiteral("Код");
const QString kFullNameColumn = QStringLiteral("Имя2");
const QString kCopySuffix = QStringLiteral(" (копия)");

QString sameNameQuestion(const QString &name)
{
    return QStringLiteral("В базе уже имеется продукт с именем '") + name
        + QStringLiteral("' Вы желаете внести дополнительную запись?");
}

// Null and a value differ; two values compare by value (1 and 1.0 are the same).
bool sameStoredValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a == b;
}

} // namespace

QString productNotFoundText(qint64 key, const QString &basePath)
{
    return QStringLiteral("Продукт с кодом - ") + QString::number(key) + QStringLiteral(" не найден в базе!")
        + QStringLiteral(". Текущая активная база - ") + basePath;
}

ProductBase::ProductBase(
    Connections &connections, const SettingsAccess &settings, Prompter &prompter, const Clock &clock, int number)
    : connections_(connections)
    , prompter_(prompter)
    , clock_(clock)
    , number_(number)
    , table_(readSetting(settings, Section::Prod, QStringLiteral("tbProd")))
{
}

ProductBase::ProductBase(AppContext &context)
    : ProductBase(context.connections, context.settings, context.prompter, context.clock)
{
}

bool ProductBase::connected() const
{
    return connections_.isConnected(number_);
}

QSqlDatabase ProductBase::database() const
{
    return connections_.database(number_);
}

const QStringList &ProductBase::columns() const
{
    if (columns_.isEmpty() && connected()) {
        const QSqlDatabase db = database();
        columns_ = SqlDialect::of(db).columns(db, table_);
    }
    return columns_;
}

int ProductBase::variantCount() const
{
    return ProductColumnMap(columns()).variantCount();
}

QString ProductBase::selectAll() const
{
    return QStringLiteral("SELECT * FROM ") + SqlDialect::of(database()).quote(table_);
}

std::vector<ProductRow> ProductBase::query(const QString &where, const QVariantList &params) const
{
    std::vector<ProductRow> rows;
    if (!connected())
        return rows;
    const SqlDialect &d = SqlDialect::of(database());
    QString sql = selectAll();
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    sql += QStringLiteral(" ORDER BY ") + d.quote(kFullNameColumn) + QStringLiteral(", ") + d.quote(kKeyColumn);
    SqlStatement q(database(), sql, &connections_.errorLog());
    if (!q.exec(params))
        return rows;
    QStringList names;
    for (int n = 0; n < q.columnCount(); ++n)
        names << q.columnName(n);
    const ProductColumnMap map(names);
    const auto value = [&q](int i) { return q.value(i); };
    while (q.next())
        rows.push_back(map.read(value));
    return rows;
}

Result<std::vector<ProductRow>> ProductBase::list() const
{
    if (!connected())
        return Result<std::vector<ProductRow>>::failure(QStringLiteral("Не удалось подключиться к базе продуктов"));
    return query({}, {});
}

Status ProductBase::load(colProds &into) const
{
    if (!connected())
        return Status::failure(QStringLiteral("Не удалось подключиться к базе продуктов"));
    // Only the columns a record carries: the variants, flags and texts of the
    // card are not read for a recipe's products.
    const SqlDialect &d = SqlDialect::of(database());
    QStringList wanted = {kKeyColumn, QStringLiteral("Имя"), kFullNameColumn, QStringLiteral("ГОСТ"),
        QStringLiteral("Out"), QStringLiteral("Цена")};
    for (const CompositionField &f : compositionFields()) {
        if (f.column)
            wanted << QString::fromUtf16(f.column);
    }
    QStringList selected;
    for (const QString &c : wanted) {
        if (columns().contains(c))
            selected << d.quote(c);
    }
    SqlStatement q(database(),
        QStringLiteral("SELECT ") + selected.join(u", ") + QStringLiteral(" FROM ") + d.quote(table_),
        &connections_.errorLog());
    if (const Status s = q.exec(); !s)
        return s;
    QStringList names;
    for (int n = 0; n < q.columnCount(); ++n)
        names << q.columnName(n);
    const ProductColumnMap map(names);
    const auto value = [&q](int i) { return q.value(i); };
    while (q.next()) {
        auto record = std::make_shared<clsProds>();
        map.readRecord(value, *record);
        record->OkRead = 1;
        record->HS_Full = 1;
        // Keyed by the product key; a repeated key (a damaged base) stays unkeyed.
        const QString key = record->Kod.toString();
        into.Add(std::move(record), into.Contains(key) ? QString() : key);
    }
    return {};
}

std::optional<ProductRow> ProductBase::findQuiet(qint64 key) const
{
    const auto rows = query(SqlDialect::of(database()).quote(kKeyColumn) + QStringLiteral(" = ?"), {key});
    if (rows.empty())
        return std::nullopt;
    return rows.front();
}

std::optional<ProductRow> ProductBase::find(qint64 key) const
{
    if (key <= 0) {
        prompter_.message(QStringLiteral("Продукт не идентифицирован!"), kTitle.toString(), Prompter::Icon::Warning);
        return std::nullopt;
    }
    auto row = findQuiet(key);
    if (!row)
        prompter_.message(
            productNotFoundText(key, connections_.path(number_)), kTitle.toString(), Prompter::Icon::Warning);
    return row;
}

std::vector<ProductRow> ProductBase::find(const QList<qint64> &keys) const
{
    if (keys.isEmpty())
        return {};
    QStringList marks;
    QVariantList params;
    for (qint64 key : keys) {
        marks << QStringLiteral("?");
        params << key;
    }
    return query(
        SqlDialect::of(database()).quote(kKeyColumn) + QStringLiteral(" IN (") + marks.join(u',') + u')', params);
}

std::optional<ProductRow> ProductBase::findByFullName(const QString &fullName) const
{
    const auto rows = query(SqlDialect::of(database()).quote(kFullNameColumn) + QStringLiteral(" = ?"), {fullName});
    if (rows.empty())
        return std::nullopt;
    return rows.front();
}

int ProductBase::count() const
{
    if (!connected())
        return 0;
    SqlStatement q(database(), QStringLiteral("SELECT COUNT(*) FROM ") + SqlDialect::of(database()).quote(table_),
        &connections_.errorLog());
    if (!q.exec() || !q.next())
        return 0;
    return q.value(0).toInt();
}

double ProductBase::currentOutput(const ProductRow &row) const
{
    if (!row.l72)
        return row.out;
    const auto month = static_cast<std::size_t>(clock_.today().month() - 1);
    // A month without a value means no waste rather than no output at all.
    return month < row.losses.size() && row.losses[month] ? *row.losses[month] : 100.0;
}

double ProductBase::seasonalOutput(qint64 key) const
{
    const auto row = findQuiet(key);
    if (!row || !row->l72)
        return 100.0;
    return currentOutput(*row);
}

Status ProductBase::chooseVariant(qint64 key, int n)
{
    if (n == 0)
        n = 1;
    if (n < 1 || n > variantCount())
        return Status::failure(QStringLiteral("Нет варианта обработки ") + QString::number(n));
    const auto row = find(key);
    if (!row)
        return Status::failure(productNotFoundText(key, connections_.path(number_)));
    const SqlDialect &d = SqlDialect::of(database());
    const auto &loss = row->losses[static_cast<std::size_t>(n - 1)];
    if (loss) {
        return execSql(database(),
            QStringLiteral("UPDATE ") + d.quote(table_) + QStringLiteral(" SET ") + d.quote(QStringLiteral("Out"))
                + QStringLiteral(" = ? WHERE ") + d.quote(kKeyColumn) + QStringLiteral(" = ?"),
            {*loss, key}, &connections_.errorLog());
    }
    prompter_.message(QStringLiteral("Для выбранного варианта не установлен процент потерь!\n"
                                     "Для устранения ошибки записана величина потерь 0%"),
        kTitle.toString(), Prompter::Icon::Warning);
    return execSql(database(),
        QStringLiteral("UPDATE ") + d.quote(table_) + QStringLiteral(" SET ") + d.quote(lossColumn(n))
            + QStringLiteral(" = ? WHERE ") + d.quote(kKeyColumn) + QStringLiteral(" = ?"),
        {100.0, key}, &connections_.errorLog());
}

std::vector<ProductBase::Variant> ProductBase::variantList(const ProductRow &row) const
{
    std::vector<Variant> list;
    const int n = variantCount();
    for (int v = 1; v <= n; ++v) {
        const auto i = static_cast<std::size_t>(v - 1);
        list.push_back({v, row.variants[i], row.losses[i]});
    }
    return list;
}

qint64 ProductBase::nextKey() const
{
    if (!connected())
        return 1;
    const SqlDialect &d = SqlDialect::of(database());
    SqlStatement q(database(),
        QStringLiteral("SELECT MAX(") + d.quote(kKeyColumn) + QStringLiteral(") FROM ") + d.quote(table_),
        &connections_.errorLog());
    if (!q.exec() || !q.next())
        return 1;
    return q.value(0).toLongLong() + 1;
}

QStringList ProductBase::writableColumns() const
{
    QStringList result;
    const QStringList &existing = columns();
    for (const QString &c : productWritableColumns()) {
        if (existing.contains(c))
            result << c;
    }
    return result;
}

Status ProductBase::insertRows(const std::vector<ProductRow> &rows)
{
    if (!connected())
        return Status::failure(QStringLiteral("Не удалось подключиться к базе продуктов"));
    const QSqlDatabase db = database();
    const SqlDialect &d = SqlDialect::of(db);
    const QStringList cols = writableColumns();
    QStringList quoted;
    QStringList marks;
    for (const QString &c : cols) {
        quoted << d.quote(c);
        marks << QStringLiteral("?");
    }
    Transaction transaction(db, &connections_.errorLog());
    if (!transaction.started())
        return Status::failure(QStringLiteral("Не удалось начать транзакцию в базе продуктов"));
    // Keys are ours, not the engine's: a repeated key is refused before writing.
    SqlStatement exists(db,
        QStringLiteral("SELECT COUNT(*) FROM ") + d.quote(table_) + QStringLiteral(" WHERE ") + d.quote(kKeyColumn)
            + QStringLiteral(" = ?"),
        &connections_.errorLog());
    SqlStatement insert(db,
        QStringLiteral("INSERT INTO ") + d.quote(table_) + QStringLiteral(" (") + quoted.join(u", ")
            + QStringLiteral(") VALUES (") + marks.join(u", ") + u')',
        &connections_.errorLog());
    for (const ProductRow &row : rows) {
        if (const Status s = exists.exec({row.key()}); !s)
            return s;
        if (exists.next() && exists.value(0).toInt() > 0)
            return Status::failure(
                QStringLiteral("Продукт с кодом ") + QString::number(row.key()) + QStringLiteral(" уже есть в базе"));
        exists.finish();
        if (const Status s = insert.exec(productRowValues(row, cols)); !s)
            return s;
    }
    return transaction.commit();
}

Result<qint64> ProductBase::insertNew(ProductRow row)
{
    if (!connected())
        return Result<qint64>::failure(QStringLiteral("Не удалось подключиться к базе продуктов"));
    Transaction transaction(database(), &connections_.errorLog());
    const qint64 key = nextKey();
    row.setKey(key);
    if (const Status s = insertRows({row}); !s)
        return Result<qint64>::failure(s.error());
    if (const Status s = transaction.commit(); !s)
        return Result<qint64>::failure(s.error());
    return key;
}

Result<qint64> ProductBase::add(ProductRow row, bool askFirst)
{
    const auto cancelled = Result<qint64>::failure(QStringLiteral("Продукт не добавлен"));
    if (askFirst && !prompter_.confirm(QStringLiteral("Добавить новый продукт в базу?"), kTitle.toString()))
        return cancelled;
    if (findByFullName(row.prod.FullName) && !prompter_.confirm(sameNameQuestion(row.prod.FullName), kTitle.toString()))
        return cancelled;
    return insertNew(std::move(row));
}

Result<qint64> ProductBase::addFromRecipeEditor(ProductRow row)
{
    if (findByFullName(row.prod.FullName) && !prompter_.confirm(sameNameQuestion(row.prod.FullName), kTitle.toString()))
        return Result<qint64>::failure(QStringLiteral("Продукт не добавлен"));
    row.setOut(100);
    row.l70 = true;
    row.l71 = true;
    row.l72 = false;
    row.rast = false;
    return insertNew(std::move(row));
}

Result<qint64> ProductBase::copy(qint64 key)
{
    auto row = find(key);
    if (!row)
        return Result<qint64>::failure(productNotFoundText(key, connections_.path(number_)));
    row->prod.FullName += kCopySuffix;
    row->prod.ShortName += kCopySuffix;
    return insertNew(std::move(*row));
}

Status ProductBase::save(const ProductRow &row)
{
    QStringList cols = writableColumns();
    cols.removeAll(kKeyColumn);
    return update(row, cols);
}

Status ProductBase::saveChanges(const ProductRow &before, const ProductRow &row)
{
    QStringList cols = writableColumns();
    cols.removeAll(kKeyColumn);
    const QVariantList was = productRowValues(before, cols);
    const QVariantList now = productRowValues(row, cols);
    QStringList changed;
    for (qsizetype n = 0; n < cols.size(); ++n) {
        if (!sameStoredValue(was[n], now[n]))
            changed << cols[n];
    }
    if (changed.isEmpty())
        return {};
    return update(row, changed);
}

Status ProductBase::update(const ProductRow &row, const QStringList &columns)
{
    if (!connected())
        return Status::failure(QStringLiteral("Не удалось подключиться к базе продуктов"));
    const QSqlDatabase db = database();
    const SqlDialect &d = SqlDialect::of(db);
    QStringList sets;
    for (const QString &c : columns)
        sets << d.quote(c) + QStringLiteral(" = ?");
    QVariantList values = productRowValues(row, columns);
    values << row.key();
    SqlStatement update(db,
        QStringLiteral("UPDATE ") + d.quote(table_) + QStringLiteral(" SET ") + sets.join(u", ")
            + QStringLiteral(" WHERE ") + d.quote(kKeyColumn) + QStringLiteral(" = ?"),
        &connections_.errorLog());
    if (const Status s = update.exec(values); !s)
        return s;
    if (update.rowsAffected() == 0)
        return Status::failure(productNotFoundText(row.key(), connections_.path(number_)));
    return {};
}

Status ProductBase::remove(qint64 key)
{
    const auto row = find(key);
    if (!row)
        return Status::failure(productNotFoundText(key, connections_.path(number_)));
    if (!prompter_.confirm(
            QStringLiteral("Удалить продукт - '") + row->prod.FullName + QStringLiteral("' ?"), kTitle.toString()))
        return Status::failure(QStringLiteral("Продукт не удален"));
    const QSqlDatabase db = database();
    const SqlDialect &d = SqlDialect::of(db);
    Transaction transaction(db, &connections_.errorLog());
    if (const Status s = execSql(db,
            QStringLiteral("DELETE FROM ") + d.quote(table_) + QStringLiteral(" WHERE ") + d.quote(kKeyColumn)
                + QStringLiteral(" = ?"),
            {key}, &connections_.errorLog());
        !s)
        return s;
    if (SqlDialect::of(db).tables(db).contains(QStringLiteral("mods_prods"))) {
        if (const Status s = execSql(db,
                QStringLiteral("DELETE FROM ") + d.quote(QStringLiteral("mods_prods")) + QStringLiteral(" WHERE ")
                    + d.quote(QStringLiteral("Код_Прод")) + QStringLiteral(" = ?"),
                {key}, &connections_.errorLog());
            !s)
            return s;
    }
    return transaction.commit();
}

} // namespace kulvera
