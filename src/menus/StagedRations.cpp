#include "menus/StagedRations.h"

#include "common/Prompter.h"
#include "common/TextDate.h"
#include "menus/DayLocks.h"
#include "shell/Connections.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <vector>

namespace kulvera {
namespace {

constexpr int kColumns = MenuBase::kRowColumns;

QString rowColumns(const QString &prefix = {})
{
    QString s;
    for (int n = 1; n <= kColumns; ++n)
        s += (n > 1 ? QStringLiteral(", ") : QString()) + prefix + QStringLiteral("\"l") + QString::number(n) + u'"';
    return s;
}

} // namespace

StagedRations::StagedRations(const MenuBase &base)
    : base_(base)
    , table_(QStringLiteral("temp.\"kv_menu_import\""))
{
    const QSqlDatabase db = base_.database();
    // A table of the connection's temporary schema: gone with the connection,
    // and never a page of the menu base file.
    QString columns;
    for (int n = 1; n <= kColumns; ++n)
        columns += QStringLiteral(", \"l") + QString::number(n) + QStringLiteral("\" TEXT");
    ready_ = execSql(db, QStringLiteral("DROP TABLE IF EXISTS ") + table_);
    if (ready_)
        ready_ = execSql(db,
            QStringLiteral("CREATE TEMP TABLE \"kv_menu_import\" (\"n\" INTEGER PRIMARY KEY, \"day\" TEXT, "
                           "\"grp\" TEXT, \"take\" INTEGER DEFAULT 1")
                + columns + u')');
    if (!ready_)
        return;
    QString marks;
    for (int n = 1; n <= kColumns + 2; ++n)
        marks += n > 1 ? QStringLiteral(", ?") : QStringLiteral("?");
    insert_ = std::make_unique<SqlStatement>(db,
        QStringLiteral("INSERT INTO ") + table_ + QStringLiteral(" (\"day\", \"grp\", ") + rowColumns()
            + QStringLiteral(") VALUES (") + marks + u')');
}

StagedRations::~StagedRations()
{
    insert_.reset();
    staging_.reset();
    execSql(base_.database(), QStringLiteral("DROP TABLE IF EXISTS ") + table_);
}

Status StagedRations::begin()
{
    staging_ = std::make_unique<Transaction>(base_.database());
    return staging_->started() ? Status() : Status::failure(QStringLiteral("Транзакция не начата"));
}

Status StagedRations::end()
{
    if (!staging_)
        return {};
    const Status s = staging_->commit();
    staging_.reset();
    return s;
}

Status StagedRations::add(const MenuFileRow &row)
{
    if (!ready_)
        return ready_;
    const std::optional<QDate> day = parseTextDate(row[26]);
    if (!day)
        return Status::failure(QStringLiteral("Не удалось распознать дату - '") + row[26] + u'\'');
    const QString date = formatTextDate(*day);
    const StoredTextCodec &codec = base_.codec();
    insert_->bind(0, date);
    insert_->bind(1, row[28].isNull() ? QStringLiteral("") : row[28]);
    for (int n = 1; n <= kColumns; ++n) {
        const QString &value = n == 26 ? date : row[n];
        insert_->bind(n + 1, value.isNull() ? QVariant() : QVariant(codec.encode(value)));
    }
    const Status s = insert_->exec();
    if (s)
        ++count_;
    return s;
}

Result<RationImportSummary> StagedRations::commit(const QString &title)
{
    using R = Result<RationImportSummary>;
    if (!ready_)
        return R::failure(ready_.error());
    const QSqlDatabase db = base_.database();
    Prompter &prompter = base_.prompter();
    RationImportSummary summary;

    struct Key {
        RationKey key;
        QString day;
        QString group;
        int rows;
    };
    std::vector<Key> keys;
    {
        SqlStatement q(db,
            QStringLiteral("SELECT \"day\", \"grp\", COUNT(*) FROM ") + table_
                + QStringLiteral(" GROUP BY \"day\", \"grp\" ORDER BY MIN(\"n\")"));
        if (const Status s = q.exec(); !s)
            return R::failure(s.error());
        while (q.next()) {
            const QString day = q.value(0).toString();
            const QString group = q.value(1).toString();
            keys.push_back({{parseTextDate(day).value_or(QDate()), group}, day, group, q.value(2).toInt()});
        }
    }
    summary.rations = static_cast<int>(keys.size());

    // Every question first: nothing is written while the user decides.
    const DayLocks locks(base_);
    std::vector<RationKey> replace;
    std::vector<const Key *> skip;
    for (const Key &k : keys) {
        if (locks.isLocked(k.key.date, k.key.group)) {
            ++summary.locked;
            skip.push_back(&k);
            continue;
        }
        if (!base_.exists(k.key)) {
            ++summary.added;
            continue;
        }
        const QString question = QStringLiteral("На дату ") + k.day + QStringLiteral(" для группы '")
            + groupCaption(k.group) + QStringLiteral("' уже есть рацион. Заменить его рационом из файла?");
        if (prompter.ask(question, Prompter::Buttons::YesNo, title, Prompter::Icon::Question,
                QStringLiteral("ReplaceRationFromFile"))
            == Prompter::Answer::Yes) {
            ++summary.replaced;
            replace.push_back(k.key);
        } else {
            ++summary.kept;
            skip.push_back(&k);
        }
    }

    Transaction transaction(db, &base_.connections().errorLog());
    if (!transaction.started())
        return R::failure(QStringLiteral("Транзакция не начата"));
    for (const Key *k : skip) {
        if (const Status s = execSql(db,
                QStringLiteral("UPDATE ") + table_
                    + QStringLiteral(" SET \"take\" = 0 WHERE \"day\" = ? AND \"grp\" = ?"),
                {k->day, k->group});
            !s)
            return R::failure(s.error());
    }
    for (const RationKey &key : replace) {
        if (const Status s = base_.remove(key); !s)
            return R::failure(s.error());
    }
    SqlStatement copy(db,
        QStringLiteral("INSERT INTO main.") + SqlDialect::of(db).quote(base_.table()) + QStringLiteral(" (")
            + rowColumns() + QStringLiteral(") SELECT ") + rowColumns() + QStringLiteral(" FROM ") + table_
            + QStringLiteral(" WHERE \"take\" = 1 ORDER BY \"n\""),
        &base_.connections().errorLog());
    if (const Status s = copy.exec(); !s)
        return R::failure(s.error());
    summary.rows = copy.rowsAffected();
    if (const Status s = transaction.commit(); !s)
        return R::failure(s.error());
    return summary;
}

} // namespace kulvera
