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
    MenuFileRowView view;
    for (size_t n = 0; n < row.size(); ++n)
        view[n] = row[n];
    return add(view);
}

Status StagedRations::add(const MenuFileRowView &row)
{
    const QStringView group = row[28].isNull() ? QStringView(u"") : row[28];
    if (lastRation_ < 0 || row[26] != lastDay_ || group != lastGroup_) {
        const std::optional<QDate> day = parseTextDate(row[26].toString());
        if (!day)
            return Status::failure(QStringLiteral("Не удалось распознать дату - '") + row[26] + u'\'');
        const QString date = formatTextDate(*day);
        const QString key = date + u'\n' + group;
        auto found = rationIndex_.constFind(key);
        if (found == rationIndex_.constEnd()) {
            found = rationIndex_.insert(key, static_cast<int>(rations_.size()));
            rations_.push_back({date, group.toString(), 0});
        }
        lastRation_ = *found;
        lastDay_ = row[26].toString();
        lastGroup_ = group.toString();
    }
    Ration &ration = rations_[static_cast<size_t>(lastRation_)];
    ++ration.rows;

    Row staged;
    staged.ration = lastRation_;
    staged.start = text_.size();
    for (int n = 1; n <= kColumns; ++n) {
        const QStringView v = n == 26 ? QStringView(ration.day) : row[static_cast<size_t>(n)];
        if (v.isNull())
            staged.nulls |= 1u << (n - 1);
        else
            text_ += v;
        staged.ends[static_cast<size_t>(n - 1)] = static_cast<std::uint32_t>(text_.size() - staged.start);
    }
    rows_.push_back(staged);
    return {};
}

void StagedRations::append(StagedRations &&other)
{
    std::vector<int> rationOf(other.rations_.size());
    for (size_t i = 0; i < other.rations_.size(); ++i) {
        const Ration &r = other.rations_[i];
        const QString key = r.day + u'\n' + r.group;
        auto found = rationIndex_.constFind(key);
        if (found == rationIndex_.constEnd()) {
            found = rationIndex_.insert(key, static_cast<int>(rations_.size()));
            rations_.push_back({r.day, r.group, 0});
        }
        rationOf[i] = *found;
        rations_[static_cast<size_t>(*found)].rows += r.rows;
    }
    const qsizetype shift = text_.size();
    text_.reserve(shift + other.text_.size()); // no room left for growth: the text is complete
    text_ += other.text_;
    rows_.reserve(rows_.size() + other.rows_.size());
    for (Row row : other.rows_) {
        row.ration = rationOf[static_cast<size_t>(row.ration)];
        row.start += shift;
        rows_.push_back(row);
    }
    lastRation_ = -1;
    other.text_.clear();
    other.rows_.clear();
    other.rations_.clear();
    other.rationIndex_.clear();
    other.lastRation_ = -1;
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
        QStringLiteral("INSERT INTO ") + SqlDialect::of(db).quote(base_.table()) + QStringLiteral(" (") + columns
            + QStringLiteral(") VALUES (") + marks + u')',
        &base_.connections().errorLog());
    if (!insert.ready())
        return R::failure(insert.ready().error());
    const StoredTextCodec &codec = base_.codec();
    QByteArray encoded; // one row's stored values, one after another
    std::array<qsizetype, kColumns + 1> ends {};
    for (const Row &row : rows_) {
        if (!take[static_cast<size_t>(row.ration)])
            continue;
        // The whole row first: binding points into the buffer, which must
        // not move before the insert.
        encoded.resize(0);
        for (int n = 1; n <= kColumns; ++n) {
            if (!(row.nulls & (1u << (n - 1))))
                codec.encodeAppend(value(row, n), encoded);
            ends[static_cast<size_t>(n)] = encoded.size();
        }
        for (int n = 1; n <= kColumns; ++n) {
            if (row.nulls & (1u << (n - 1))) {
                insert.bindNull(n - 1);
            } else {
                const qsizetype from = ends[static_cast<size_t>(n - 1)];
                insert.bindUtf8(n - 1, QByteArrayView(encoded.constData() + from, ends[static_cast<size_t>(n)] - from));
            }
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
