#include "menus/StagedRations.h"

#include "common/Prompter.h"
#include "common/TextDate.h"
#include "menus/DayLocks.h"
#include "shell/Connections.h"
#include "shell/SqlBulkInsert.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

namespace kulvera {

StagedRations::StagedRations(const MenuBase &base)
    : base_(base)
{
}

Status StagedRations::add(const MenuFileRow &row)
{
    const std::optional<QDate> day = parseTextDate(row[26]);
    if (!day)
        return Status::failure(QStringLiteral("Не удалось распознать дату - '") + row[26] + u'\'');
    const QString date = formatTextDate(*day);
    const QString group = row[28].isNull() ? QStringLiteral("") : row[28];

    const QString key = date + u'\n' + group;
    auto found = rationIndex_.constFind(key);
    if (found == rationIndex_.constEnd()) {
        found = rationIndex_.insert(key, static_cast<int>(rations_.size()));
        rations_.push_back({date, group, 0});
    }
    ++rations_[static_cast<size_t>(*found)].rows;

    Row staged;
    staged.ration = *found;
    staged.start = text_.size();
    for (int n = 1; n <= kColumns; ++n) {
        const QString &v = n == 26 ? date : row[static_cast<size_t>(n)];
        if (v.isNull())
            staged.nulls |= 1u << (n - 1);
        else
            text_ += v;
        staged.ends[static_cast<size_t>(n - 1)] = static_cast<std::uint32_t>(text_.size() - staged.start);
    }
    rows_.push_back(staged);
    return {};
}

QStringView StagedRations::value(const Row &row, int n) const
{
    const qsizetype from = row.start + (n > 1 ? row.ends[static_cast<size_t>(n - 2)] : 0);
    const qsizetype to = row.start + row.ends[static_cast<size_t>(n - 1)];
    return QStringView(text_).sliced(from, to - from);
}

Result<RationImportSummary> StagedRations::commit(const QString &title)
{
    using R = Result<RationImportSummary>;
    const QSqlDatabase db = base_.database();
    Prompter &prompter = base_.prompter();
    RationImportSummary summary;
    summary.rations = static_cast<int>(rations_.size());

    // Every question first: nothing is written while the user decides.
    const DayLocks locks(base_);
    std::vector<RationKey> replace;
    std::vector<bool> take(rations_.size(), true);
    for (size_t i = 0; i < rations_.size(); ++i) {
        const Ration &r = rations_[i];
        const RationKey key {parseTextDate(r.day).value_or(QDate()), r.group};
        if (locks.isLocked(key.date, key.group)) {
            ++summary.locked;
            take[i] = false;
            continue;
        }
        if (!base_.exists(key)) {
            ++summary.added;
            continue;
        }
        const QString question = QStringLiteral("На дату ") + r.day + QStringLiteral(" для группы '")
            + groupCaption(r.group) + QStringLiteral("' уже есть рацион. Заменить его рационом из файла?");
        if (prompter.ask(question, Prompter::Buttons::YesNo, title, Prompter::Icon::Question,
                QStringLiteral("ReplaceRationFromFile"))
            == Prompter::Answer::Yes) {
            ++summary.replaced;
            replace.push_back(key);
        } else {
            ++summary.kept;
            take[i] = false;
        }
    }

    Transaction transaction(db, &base_.connections().errorLog());
    if (!transaction.started())
        return R::failure(QStringLiteral("Транзакция не начата"));
    for (const RationKey &key : replace) {
        if (const Status s = base_.remove(key); !s)
            return R::failure(s.error());
    }
    QString columns;
    QString marks;
    for (int n = 1; n <= kColumns; ++n) {
        columns += (n > 1 ? QStringLiteral(", \"l") : QStringLiteral("\"l")) + QString::number(n) + u'"';
        marks += n > 1 ? QStringLiteral(", ?") : QStringLiteral("?");
    }
    SqlBulkInsert insert(db,
        QStringLiteral("INSERT INTO main.") + SqlDialect::of(db).quote(base_.table()) + QStringLiteral(" (") + columns
            + QStringLiteral(") VALUES (") + marks + u')',
        &base_.connections().errorLog());
    if (!insert.ready())
        return R::failure(insert.ready().error());
    const StoredTextCodec &codec = base_.codec();
    for (const Row &row : rows_) {
        if (!take[static_cast<size_t>(row.ration)])
            continue;
        for (int n = 1; n <= kColumns; ++n) {
            if (row.nulls & (1u << (n - 1)))
                insert.bindNull(n - 1);
            else
                insert.bindText(n - 1, codec.encode(value(row, n)));
        }
        if (const Status s = insert.exec(); !s)
            return R::failure(s.error());
        ++summary.rows;
    }
    if (const Status s = transaction.commit(); !s)
        return R::failure(s.error());
    return summary;
}

} // namespace kulvera
