#include "journals/JournalList.h"

#include "common/Prompter.h"
#include "journals/JournalsBase.h"
#include "shell/InsertedKey.h"
#include "shell/SqlStatement.h"

namespace kulvera {

JournalList::JournalList(JournalsBase &base, QString tableKey, QString textColumn, QString title)
    : base_(base)
    , tableKey_(std::move(tableKey))
    , textColumn_(std::move(textColumn))
    , title_(std::move(title))
{
}

JournalList JournalList::places(JournalsBase &base, JournalKind kind)
{
    const JournalKindRules &rules = journalKindRules(kind);
    return JournalList(base, rules.placeTableKey, QStringLiteral("Caption"),
        kind == JournalKind::Health ? QStringLiteral("Должности") : QStringLiteral("Структура помещений"));
}

JournalList JournalList::marks(JournalsBase &base)
{
    return JournalList(
        base, QStringLiteral("tbResults"), QStringLiteral("Results"), QStringLiteral("Результаты обследования"));
}

Result<std::vector<JournalListItem>> JournalList::items() const
{
    using R = Result<std::vector<JournalListItem>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT \"ID\", ") + base_.q(textColumn_) + QStringLiteral(" FROM ") + base_.table(tableKey_)
            + QStringLiteral(" ORDER BY \"ID\""),
        base_.errorLog());
    if (const Status e = s.exec(); !e)
        return R::failure(e.error());
    std::vector<JournalListItem> items;
    while (s.next())
        items.push_back({s.value(0).toLongLong(), s.value(1).toString()});
    return items;
}

std::optional<JournalListItem> JournalList::find(qint64 id) const
{
    const auto all = items();
    if (!all)
        return std::nullopt;
    for (const JournalListItem &i : *all) {
        if (i.id == id)
            return i;
    }
    return std::nullopt;
}

std::optional<JournalListItem> JournalList::findByTextOrKey(const QString &text) const
{
    const auto all = items();
    if (!all)
        return std::nullopt;
    for (const JournalListItem &i : *all) {
        if (i.text.compare(text.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    }
    bool isKey = false;
    const qint64 key = text.trimmed().toLongLong(&isKey);
    return isKey ? find(key) : std::nullopt;
}

int JournalList::count() const
{
    if (!base_.connected())
        return 0;
    SqlStatement s(
        base_.database(), QStringLiteral("SELECT COUNT(*) FROM ") + base_.table(tableKey_), base_.errorLog());
    return s.exec() && s.next() ? s.value(0).toInt() : 0;
}

Result<qint64> JournalList::add(const QString &text)
{
    if (const Status c = base_.requireConnected(); !c)
        return Result<qint64>::failure(c.error());
    SqlStatement s(base_.database(),
        QStringLiteral("INSERT INTO ") + base_.table(tableKey_) + QStringLiteral(" (") + base_.q(textColumn_)
            + QStringLiteral(") VALUES (?) RETURNING \"ID\""),
        base_.errorLog());
    return execInsertReturningKey(s, {text});
}

Status JournalList::setText(qint64 id, const QString &text)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    return base_.exec(QStringLiteral("UPDATE ") + base_.table(tableKey_) + QStringLiteral(" SET ")
            + base_.q(textColumn_) + QStringLiteral(" = ? WHERE \"ID\" = ?"),
        {text, id});
}

Status JournalList::remove(qint64 id)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    const auto item = find(id);
    if (!item)
        return Status::failure(QStringLiteral("Строка не найдена: ") + QString::number(id));
    if (!base_.context().prompter.confirm(QStringLiteral("Удалить '") + item->text + QStringLiteral("'?"), title_))
        return Status::failure({});
    return base_.exec(
        QStringLiteral("DELETE FROM ") + base_.table(tableKey_) + QStringLiteral(" WHERE \"ID\" = ?"), {id});
}

} // namespace kulvera
