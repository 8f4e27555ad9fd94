#include "shell/DishCollections.h"

#include "common/Prompter.h"
#include "shell/BaseSchema.h"
#include "shell/Catalogue.h"
#include "shell/Connections.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

namespace kulvera {
namespace {

constexpr int kDishes = static_cast<int>(BaseId::Dishes);

QString catalogueTable(const SettingsAccess &settings)
{
    return readSetting(settings, Section::Bl, QStringLiteral("Table_Bl_Bases"));
}

QString refusedNameText()
{
    return QStringLiteral("В данном случае нельзя использовать некоторые символы");
}

} // namespace

QList<DishCollection> listCollections(Connections &connections, const SettingsAccess &settings)
{
    QList<DishCollection> out;
    if (!connections.isConnected(kDishes))
        return out;
    const QSqlDatabase db = connections.database(kDishes);
    SqlStatement q(db,
        QStringLiteral("SELECT \"BD_Name\", \"BD_Table\" FROM ") + SqlDialect::of(db).quote(catalogueTable(settings))
            + QStringLiteral(" ORDER BY \"BD_Name\""),
        &connections.errorLog());
    if (!q.exec())
        return out;
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toString()});
    return out;
}

std::optional<QString> findRecipeTable(Connections &connections, const SettingsAccess &settings, const QString &wanted)
{
    if (!connections.isConnected(kDishes))
        return std::nullopt;
    const QSqlDatabase db = connections.database(kDishes);
    const QStringList tables = SqlDialect::of(db).tables(db);
    for (const DishCollection &c : listCollections(connections, settings)) {
        if (!tables.contains(c.table, Qt::CaseInsensitive))
            continue;
        if (wanted.isEmpty() || c.name.compare(wanted, Qt::CaseInsensitive) == 0
            || c.table.compare(wanted, Qt::CaseInsensitive) == 0)
            return c.table;
    }
    if (!wanted.isEmpty() && tables.contains(wanted, Qt::CaseInsensitive))
        return wanted;
    return std::nullopt;
}

Result<DishCollection> addCollection(Connections &connections, const SettingsAccess &settings)
{
    const auto name
        = connections.prompter().askText(QStringLiteral("Введите название базы данных"), QStringLiteral("База блюд"));
    if (!name || name->trimmed().isEmpty())
        return Result<DishCollection>::failure(QString());
    return addCollection(connections, settings, name->trimmed());
}

Result<DishCollection> addCollection(Connections &connections, const SettingsAccess &settings, const QString &name)
{
    Prompter &prompter = connections.prompter();
    if (!isValidCollectionName(name)) {
        prompter.error(refusedNameText());
        return Result<DishCollection>::failure(refusedNameText());
    }
    if (!connections.isConnected(kDishes))
        return Result<DishCollection>::failure(QStringLiteral("Нет такого подключения к базе"));
    const QList<DishCollection> existing = listCollections(connections, settings);
    for (const DishCollection &c : existing) {
        if (c.name.compare(name, Qt::CaseInsensitive) == 0) {
            const QString text = QStringLiteral("База с таким названием уже существует: ") + name;
            prompter.error(text);
            return Result<DishCollection>::failure(text);
        }
    }
    // The next free table name of the dish base: dt001, dt002, ...
    const QSqlDatabase db = connections.database(kDishes);
    const QStringList tables = SqlDialect::of(db).tables(db);
    QString table;
    for (int n = 1; n < 100000; ++n) {
        const QString candidate = QStringLiteral("dt") + QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
        if (!std::any_of(tables.begin(), tables.end(),
                [&](const QString &t) { return t.compare(candidate, Qt::CaseInsensitive) == 0; })) {
            table = candidate;
            break;
        }
    }
    Transaction transaction(db, &connections.errorLog());
    Status s = connections.createTable(kDishes, table, dishCollectionTable().columns);
    if (s)
        s = connections.exec(kDishes,
            QStringLiteral("INSERT INTO ") + SqlDialect::of(db).quote(catalogueTable(settings))
                + QStringLiteral(" (\"BD_Name\", \"BD_Table\") VALUES (?, ?)"),
            {name, table});
    if (s)
        s = transaction.commit();
    if (!s)
        return Result<DishCollection>::failure(s.error());
    return DishCollection {name, table};
}

Status removeCollection(Connections &connections, const SettingsAccess &settings, const QString &name)
{
    const QList<DishCollection> existing = listCollections(connections, settings);
    const auto found = std::find_if(existing.begin(), existing.end(),
        [&](const DishCollection &c) { return c.name.compare(name, Qt::CaseInsensitive) == 0; });
    if (found == existing.end())
        return Status::failure(QStringLiteral("Нет такой базы: ") + name);
    if (!connections.prompter().confirm(QStringLiteral("Удалить таблицу '") + found->name + QStringLiteral("' ?"),
            QStringLiteral("База блюд"), QStringLiteral("RemoveCollection")))
        return Status::failure(QString());
    const QSqlDatabase db = connections.database(kDishes);
    Transaction transaction(db, &connections.errorLog());
    Status s = connections.exec(kDishes,
        QStringLiteral("DELETE FROM ") + SqlDialect::of(db).quote(catalogueTable(settings))
            + QStringLiteral(" WHERE \"BD_Name\" = ?"),
        {found->name});
    if (s && connections.flExist(kDishes, found->table))
        s = connections.deleteTable(kDishes, found->table);
    if (s)
        s = transaction.commit();
    return s;
}

} // namespace kulvera
