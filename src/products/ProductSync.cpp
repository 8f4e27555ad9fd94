#include "products/ProductSync.h"

#include "common/Prompter.h"
#include "products/ProductFields.h"
#include "products/ProductRow.h"
#include "shell/Catalogue.h"
#include "shell/Connections.h"
#include "shell/Databases.h"
#include "shell/DbMaintenance.h"
#include "shell/ServerBases.h"
#include "shell/SettingDefaults.h"
#include "shell/SharedSettings.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <optional>

namespace kulvera {
namespace {

const QString kTitle = QStringLiteral("Сихронизация базы продуктов...");
const QString kNoMatch = QStringLiteral("Нет соответствия основной базы продуктов базе продуктов синхронизации!");
const QString kCurrentAlias = QStringLiteral("kv_current");
const QString kKey = QStringLiteral("Код");

QString lockedText(const QString &path)
{
    const QFileInfo info(path);
    return QStringLiteral("Не удается завершить синхронизацию базы\n") + info.fileName()
        + QStringLiteral("\nзаблокирована на запись.\nПапка: ") + info.absolutePath();
}

void removeSqliteFile(const QString &path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
}

// The columns carried from the current base into the copy.
QStringList carriedColumns(int variants)
{
    QStringList columns
        = {QStringLiteral("Цена"), QStringLiteral("ЕдИ_Ц"), QStringLiteral("Out"), QStringLiteral("l72")};
    for (int n = 1; n <= variants; ++n)
        columns << lossColumn(n) << variantColumn(n);
    return columns;
}

// Steps 2 and 3: match the products by key across both tables (the current
// one as "f", the copy as "s") and write the user's values into the copy, all
// or nothing. Returns the message to stop with, or nothing.
std::optional<QString> carryUsersValues(
    Connections &connections, Prompter &prompter, int current, int copy, const QString &table)
{
    const QSqlDatabase db = connections.database(copy);
    const SqlDialect &d = SqlDialect::of(db);
    const int variants = ProductColumnMap(d.columns(connections.database(current), table)).variantCount();
    const QStringList copyColumns = d.columns(db, table);
    const QStringList carried = carriedColumns(variants);
    for (const QString &c : carried + QStringList {kKey}) {
        if (!copyColumns.contains(c))
            return kNoMatch;
    }
    if (!connections.attach(copy, current, kCurrentAlias))
        return kNoMatch;
    QStringList selected = {QStringLiteral("f.") + d.quote(kKey)};
    for (const QString &c : carried)
        selected << QStringLiteral("f.") + d.quote(c);
    std::vector<QVariantList> rows;
    {
        SqlStatement match(db,
            QStringLiteral("SELECT ") + selected.join(u", ") + QStringLiteral(" FROM ") + d.quote(kCurrentAlias) + u'.'
                + d.quote(table) + QStringLiteral(" AS f INNER JOIN main.") + d.quote(table)
                + QStringLiteral(" AS s ON f.") + d.quote(kKey) + QStringLiteral(" = s.") + d.quote(kKey),
            &connections.errorLog());
        if (!match.exec())
            return kNoMatch;
        while (match.next()) {
            QVariantList row;
            for (int n = 0; n <= carried.size(); ++n)
                row << match.value(n);
            rows.push_back(row);
        }
    }
    if (rows.empty()) {
        // Bases that share no product at all are not two versions of one base.
        SqlStatement count(db, QStringLiteral("SELECT COUNT(*) FROM ") + d.quote(kCurrentAlias) + u'.' + d.quote(table),
            &connections.errorLog());
        if (!count.exec() || !count.next() || count.value(0).toLongLong() > 0)
            return kNoMatch;
    }

    prompter.status(QStringLiteral("Сохраняем цены..."));
    QStringList sets;
    for (const QString &c : carried)
        sets << d.quote(c) + QStringLiteral(" = ?");
    const QString failed = QStringLiteral("Не удалось сохранить цены в базе продуктов синхронизации");
    Transaction transaction(db, &connections.errorLog());
    SqlStatement update(db,
        QStringLiteral("UPDATE main.") + d.quote(table) + QStringLiteral(" SET ") + sets.join(u", ")
            + QStringLiteral(" WHERE ") + d.quote(kKey) + QStringLiteral(" = ?"),
        &connections.errorLog());
    for (const QVariantList &row : rows) {
        QVariantList values = row.mid(1);
        values << row.front();
        if (!update.exec(values))
            return failed;
    }
    if (!transaction.commit())
        return failed;
    return std::nullopt;
}

} // namespace

Status synchronizeProductBase(
    Connections &connections, const SettingsAccess &settings, const SharedSettings &shared, Prompter &prompter)
{
    const QString currentPath = basePath(BaseId::Products, settings, shared);
    const QString syncPath = basePath(BaseId::ProductsSync, settings, shared);
    const QString table = readSetting(settings, Section::Prod, QStringLiteral("tbProd"));
    const int current = static_cast<int>(BaseId::Products);
    const int copy = static_cast<int>(BaseId::ProductsSync);
    const auto stop = [&](const QString &text) {
        if (connections.isConnected(copy))
            connections.disconnect(copy);
        prompter.message(text, kTitle, Prompter::Icon::Critical);
        return Status::failure(text);
    };

    // On the server the bases are schemas, not files this run could put in
    // each other's place; the server's administrator replaces them there.
    if (connections.onServer())
        return stop(notOnServerMessage(QStringLiteral("Синхронизация базы продуктов")));
    prompter.status(kTitle);
    // 1. Both bases.
    prompter.status(QStringLiteral("Подключение к базам"));
    if (!QFileInfo::exists(syncPath))
        return stop(QStringLiteral("Не найдена база продуктов синхронизации: ") + syncPath);
    if (!connections.isConnected(current)
        && connections.connectBase(BaseId::Products, shared, true) == Connections::kFailed)
        return stop(QStringLiteral("Не удалось подключиться к базе продуктов"));
    if (connections.connectBase(BaseId::ProductsSync, shared, true) == Connections::kFailed)
        return stop(kNoMatch);

    // 2, 3. The user's values go into the copy.
    if (const auto refused = carryUsersValues(connections, prompter, current, copy, table))
        return stop(*refused);

    // 4. Close both, keep the old base as "_backup", put the copy in its place.
    prompter.status(QStringLiteral("Закрываем подключения к базам"));
    // Everything committed goes into the base file itself, so the backup,
    // a plain copy of that file, holds all of it.
    execSql(
        connections.database(current), QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"), {}, &connections.errorLog());
    connections.disconnect(copy);
    // Other bases reach the product table through attachments; they let go too.
    connections.detachEverywhere(current);
    connections.disconnect(current);
    const auto reconnect = [&] {
        connections.connectBase(BaseId::Products, shared, true);
        attachExternalTables(connections);
    };
    // Another running copy with either file open would go on writing into the
    // replaced file, and its edits would be lost.
    for (const QString &path : {currentPath, syncPath}) {
        if (openInAnotherCopy(path)) {
            reconnect();
            return stop(lockedText(path));
        }
    }

    prompter.status(QStringLiteral("Резервная копия заменяемой базы..."));
    const QString backup = currentPath + QStringLiteral("_backup");
    const QString staged = currentPath + QStringLiteral(".sync_tmp");
    QFile::remove(staged);
    if ((QFileInfo::exists(backup) && !QFile::remove(backup)) || !QFile::copy(currentPath, backup)) {
        reconnect();
        return stop(lockedText(backup));
    }
    prompter.status(QStringLiteral("Копирование файла ") + syncPath + QStringLiteral("  в  ") + currentPath);
    // Copied beside the base first and renamed over it, so the base is
    // always either the old file or the new one, never half of each.
    std::error_code error;
    if (!QFile::copy(syncPath, staged)) {
        QFile::remove(staged);
        reconnect();
        return stop(lockedText(currentPath));
    }
    std::filesystem::rename(
        std::filesystem::path(staged.toStdU16String()), std::filesystem::path(currentPath.toStdU16String()), error);
    if (error) {
        QFile::remove(staged);
        reconnect();
        return stop(lockedText(currentPath));
    }
    QFile::remove(currentPath + QStringLiteral("-wal"));
    QFile::remove(currentPath + QStringLiteral("-shm"));
    prompter.status(QStringLiteral("Удаление файла ") + syncPath);
    removeSqliteFile(syncPath);
    reconnect();
    return {};
}

} // namespace kulvera
