#include "recipes/DishGroups.h"

#include "common/Prompter.h"
#include "recipes/PositionKey.h"
#include "shell/Connections.h"
#include "shell/SqlStatement.h"

#include <QSet>
#include <QStringList>

#include <functional>

namespace kulvera {
namespace {

const QString kTable = QStringLiteral("\"Группы_Блюд\"");

QString notInListText()
{
    return QStringLiteral("База не обнаружена в списке!");
}

QString badKeyText()
{
    return QStringLiteral("Ошибка определения кода базы!");
}

QString goneText()
{
    return QStringLiteral("Возможна она была удалена");
}

// The groups under `key` at every depth, in tree order (each group before
// its own subgroups, siblings by key). A loop in the parent links ends where
// it comes back to a group already taken.
std::vector<DishGroup> subgroupsOf(const std::vector<DishGroup> &all, qint64 key)
{
    std::vector<DishGroup> out;
    QSet<qint64> taken {key};
    std::function<void(qint64)> walk = [&](qint64 parent) {
        for (const DishGroup &g : all) {
            if (g.parent != parent || taken.contains(g.key))
                continue;
            taken.insert(g.key);
            out.push_back(g);
            walk(g.key);
        }
    };
    walk(key);
    return out;
}

DishGroup groupOf(const SqlStatement &q)
{
    return {q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toLongLong(), q.value(3).toBool()};
}

} // namespace

DishGroups::DishGroups(Connections &connections, int number, Prompter &prompter)
    : connections_(connections)
    , number_(number)
    , prompter_(prompter)
{
}

QString DishGroups::nodeKey(qint64 key)
{
    return kKeyDish.toString() + QString::number(key);
}

Result<qint64> DishGroups::keyOfNode(const QString &nodeKey)
{
    bool ok = false;
    const qint64 key = isDishKey(nodeKey) ? nodeKey.mid(3).toLongLong(&ok) : 0;
    if (!ok || key <= 0)
        return Result<qint64>::failure(badKeyText());
    return key;
}

Status DishGroups::usable() const
{
    if (!connections_.isConnected(number_) || !connections_.flExist(number_, QStringLiteral("Группы_Блюд"))) {
        prompter_.error(notInListText());
        return Status::failure(notInListText());
    }
    return {};
}

std::vector<DishGroup> DishGroups::list() const
{
    std::vector<DishGroup> out;
    if (!connections_.isConnected(number_))
        return out;
    SqlStatement q(connections_.database(number_),
        QStringLiteral("SELECT \"Код\", \"Имя_группы\", \"Зависимость\", \"Expand\" FROM ") + kTable
            + QStringLiteral(" ORDER BY \"Код\""),
        &connections_.errorLog());
    if (q.exec())
        while (q.next())
            out.push_back(groupOf(q));
    return out;
}

QStringList DishGroups::recipesOf(qint64 key) const
{
    QStringList names;
    if (!connections_.isConnected(number_) || !connections_.flExist(number_, QStringLiteral("Блюда_Заголовки")))
        return names;
    // The group's own recipes and those of its subgroups at any depth.
    QVariantList keys {key};
    for (const DishGroup &g : subgroupsOf(list(), key))
        keys << g.key;
    QString marks = QStringLiteral("?");
    for (qsizetype i = 1; i < keys.size(); ++i)
        marks += QStringLiteral(", ?");
    SqlStatement q(connections_.database(number_),
        QStringLiteral("SELECT DISTINCT \"Наименование\" FROM \"Блюда_Заголовки\" WHERE \"Группа\" IN (") + marks
            + QStringLiteral(") AND \"Наименование\" IS NOT NULL"),
        &connections_.errorLog());
    if (q.exec(keys)) {
        while (q.next())
            names << q.value(0).toString();
    }
    return names;
}

Result<qint64> DishGroups::add(const QString &selectedNode)
{
    if (const Status s = usable(); !s)
        return Result<qint64>::failure(s.error());
    qint64 parent = 0;
    if (!selectedNode.isEmpty()) {
        const Result<qint64> p = keyOfNode(selectedNode);
        if (!p) {
            prompter_.error(p.error());
            return p;
        }
        parent = p.value();
    }
    const QSqlDatabase db = connections_.database(number_);
    ErrorLog *log = &connections_.errorLog();
    Transaction transaction(db, log);
    SqlStatement last(db, QStringLiteral("SELECT MAX(\"Код\") FROM ") + kTable, log);
    if (const Status s = last.exec(); !s)
        return Result<qint64>::failure(s.error());
    const qint64 key = (last.next() ? last.value(0).toLongLong() : 0) + 1;
    last.finish();
    Status s = execSql(db,
        QStringLiteral("INSERT INTO ") + kTable
            + QStringLiteral(" (\"Код\", \"Имя_группы\", \"Зависимость\", \"Expand\") VALUES (?, ?, ?, ?)"),
        {key, parent ? QStringLiteral("Новая подгруппа") : QStringLiteral("Новая группа"),
            parent ? QVariant(parent) : QVariant(), false},
        log);
    if (s)
        s = transaction.commit();
    if (!s)
        return Result<qint64>::failure(s.error());
    return key;
}

Status DishGroups::changeOne(const QString &sql, const QVariantList &params)
{
    if (const Status s = usable(); !s)
        return s;
    SqlStatement q(connections_.database(number_), sql, &connections_.errorLog());
    if (const Status s = q.exec(params); !s)
        return s;
    if (q.rowsAffected() == 0) {
        prompter_.error(goneText());
        return Status::failure(goneText());
    }
    return {};
}

Status DishGroups::rename(qint64 key, const QString &name)
{
    if (name.trimmed().isEmpty())
        return Status::failure(QStringLiteral("Необходимо указать значение"));
    return changeOne(QStringLiteral("UPDATE ") + kTable + QStringLiteral(" SET \"Имя_группы\" = ? WHERE \"Код\" = ?"),
        {name.trimmed(), key});
}

Status DishGroups::setExpanded(qint64 key, bool expanded)
{
    return changeOne(
        QStringLiteral("UPDATE ") + kTable + QStringLiteral(" SET \"Expand\" = ? WHERE \"Код\" = ?"), {expanded, key});
}

Status DishGroups::remove(qint64 key)
{
    if (const Status s = usable(); !s)
        return s;
    const std::vector<DishGroup> all = list();
    const auto found = std::find_if(all.begin(), all.end(), [&](const DishGroup &g) { return g.key == key; });
    if (found == all.end()) {
        prompter_.error(goneText());
        return Status::failure(goneText());
    }
    // The subgroups, at any depth, would be left without a parent: they go
    // too, and the question names every one of them.
    const std::vector<DishGroup> subgroups = subgroupsOf(all, key);
    QString question = QStringLiteral("Удалить группу - '") + found->name + QStringLiteral("'?");
    if (!subgroups.empty()) {
        // A question taller than the screen helps nobody: the rest are counted.
        constexpr std::size_t kNamed = 30;
        QStringList names;
        for (std::size_t i = 0; i < subgroups.size() && i < kNamed; ++i)
            names << u'\'' + subgroups[i].name + u'\'';
        question += u'\n' + QStringLiteral("Вместе с ней будут удалены подгруппы: ") + names.join(QStringLiteral(", "));
        if (subgroups.size() > kNamed)
            question += QStringLiteral(" и еще ") + QString::number(subgroups.size() - kNamed);
        question += u'.';
    }
    question += u'\n' + QStringLiteral("Отменить действие будет невозможно!");
    if (prompter_.ask(
            question, Prompter::Buttons::YesNo, {}, Prompter::Icon::Question, QStringLiteral("DeleteDishGroup"))
        != Prompter::Answer::Yes)
        return Status::failure(QString());

    const QSqlDatabase db = connections_.database(number_);
    Transaction transaction(db, &connections_.errorLog());
    QList<qint64> doomed {key};
    for (const DishGroup &g : subgroups)
        doomed << g.key;
    for (qint64 k : doomed) {
        if (const Status s = execSql(db, QStringLiteral("DELETE FROM ") + kTable + QStringLiteral(" WHERE \"Код\" = ?"),
                {k}, &connections_.errorLog());
            !s)
            return s;
    }
    return transaction.commit();
}

std::vector<DishGroup> DishGroups::find(const QString &text) const
{
    std::vector<DishGroup> out;
    // SQLite's LIKE folds Latin letters only; Cyrillic names are compared here.
    const QString needle = text.toCaseFolded();
    for (const DishGroup &g : list()) {
        if (g.name.toCaseFolded().contains(needle))
            out.push_back(g);
    }
    return out;
}

} // namespace kulvera
