#include "menus/MenuArchive.h"

#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "menus/MenuBase.h"
#include "shell/BaseCopy.h"
#include "shell/Connections.h"
#include "shell/DbMaintenance.h"
#include "shell/DbStructure.h"
#include "shell/ErrorLog.h"
#include "shell/SettingDefaults.h"
#include "shell/SharedSettings.h"
#include "shell/SqlConflict.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QUuid>

#include <cstdio>
#include <optional>

namespace kulvera {
namespace {

const QString kArchiveTitle = QStringLiteral("Архивирование баз");

bool renameFile(const QString &from, const QString &to)
{
    // Over an existing file in one step: the target is never missing.
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

Result<qint64> rowCount(const QSqlDatabase &db, const QString &quotedTable, ErrorLog *log)
{
    SqlStatement q(db, QStringLiteral("SELECT COUNT(*) FROM ") + quotedTable, log);
    if (const Status s = q.exec(); !s)
        return Result<qint64>::failure(s.error());
    return q.next() ? q.value(0).toLongLong() : 0;
}

// Refuses a clearing whose rows are no longer those copied: `outcome` says what did not happen.
Status sameRowsAsCopied(const Result<TableCheck> &now, const TableCheck &copied, const QString &outcome)
{
    if (!now)
        return Status::failure(now.error());
    if (now->rows != copied.rows || now->checksum != copied.checksum)
        return Status::failure(
            QStringLiteral("Меню рационов изменено другим пользователем во время копирования. ") + outcome);
    return {};
}

// The rows the archive holds must be the rows the clearing takes: a ration another
// workstation saved or removed after the copy was made refuses the archive instead of
// being cleared away unarchived. Run inside the clearing's transaction, the table locked.
Status copyHoldsEveryRow(const QSqlDatabase &db, const QString &copyFile, const QString &table)
{
    const Result<TableCheck> now = checkTable(db, table);
    if (!now)
        return Status::failure(now.error());
    const QString name = QStringLiteral("kv_archive_") + QUuid::createUuid().toString(QUuid::Id128);
    Status s;
    {
        QSqlDatabase copy = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        copy.setDatabaseName(copyFile);
        copy.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!copy.open()) {
            s = Status::failure(copy.lastError().text());
        } else {
            s = sameRowsAsCopied(checkTable(copy, table), *now,
                QStringLiteral("Архив не создан, база не изменена. Повторите архивирование."));
        }
        copy.close();
    }
    QSqlDatabase::removeDatabase(name);
    return s;
}

QString menuIdentifyingTable(const MenuBase &base)
{
    return identifyingTable(BaseId::Menu, base.settings());
}

} // namespace

QString menuArchiveFolder(const SharedSettings &shared)
{
    return QDir(shared.databasesFolder()).filePath(shared.value(Section::Data, QStringLiteral("dop_menu")));
}

QString menuArchiveFileName(const QDate &today)
{
    return QStringLiteral("arc_") + today.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".db");
}

Result<QString> archiveMenuBase(
    const MenuBase &base, const SharedSettings &shared, const QString &tempFolder, const QDate &today)
{
    using R = Result<QString>;
    Prompter &prompter = base.prompter();
    Connections &connections = base.connections();
    ErrorLog *log = &connections.errorLog();
    if (!connections.isConnected(base.number()))
        return R::failure(QStringLiteral("Нет подключения к базе меню"));
    const QString folder = QDir::cleanPath(menuArchiveFolder(shared));
    const QFileInfo source(connections.path(base.number()));
    if (QDir::cleanPath(source.absolutePath()) == folder) {
        const QString text = QStringLiteral("Программа подключена к архивной базе. Нельзя копировать архивную базу!");
        prompter.error(text, kArchiveTitle);
        return R::failure(text);
    }
    const QString name = menuArchiveFileName(today);
    if (!prompter.confirm(QStringLiteral("Создать резервную копию базы меню рационов? Текущая база будет очищена, "
                                         "архивная копия будет доступна в меню Базы - Дополнительные базы - Меню "
                                         "рационов, файл - '")
                + name + QStringLiteral("'. "),
            kArchiveTitle, QStringLiteral("ArchiveMenu")))
        return R::failure(QString());
    const QString target = QDir(folder).filePath(name);
    if (QFileInfo::exists(target)
        && !prompter.confirm(QStringLiteral("Файл архива: ") + name + QStringLiteral(" уже существует. Заменить его?"),
            kArchiveTitle, QStringLiteral("ReplaceMenuArchive")))
        return R::failure(QString());
    QDir().mkpath(folder);

    // The copy is written beside the archive and put in place only together
    // with the clearing, so a failure at any step leaves the base, and an
    // archive file of the same name, as they were. The archive is a file on
    // either engine: a base on the server is written into one.
    prompter.status(QStringLiteral("Копирование базы меню..."));
    const QString staged = target + QStringLiteral(".kv_part");
    const QString previous = target + QStringLiteral(".kv_old");
    QFile::remove(staged);
    // Let go before the compaction, which reopens the base.
    std::optional<QSqlDatabase> handle = base.database();
    const QSqlDatabase &db = *handle;
    if (const Status s = writeBaseFile(db, BaseId::Menu, staged, base.settings(), log); !s) {
        QFile::remove(staged);
        const QString text = QStringLiteral("Отсутствуют права на запись архивной базы в папку: ") + folder;
        prompter.error(text, kArchiveTitle);
        return R::failure(text);
    }

    prompter.status(QStringLiteral("Очистка базы..."));
    const QString table = SqlDialect::of(db).quote(base.table());
    const Result<qint64> rows = rowCount(db, table, log);
    if (rows && rows.value() == 0)
        prompter.status(QStringLiteral("база меню пустая..."));
    Status s = rows ? Status() : Status::failure(rows.error());
    {
        Transaction transaction(db, log);
        if (s && !transaction.started())
            s = Status::failure(QStringLiteral("Транзакция не начата"));
        if (s)
            s = lockTableForRewrite(db, base.table(), log);
        if (s)
            s = copyHoldsEveryRow(db, staged, base.table());
        if (s)
            s = execSql(db, QStringLiteral("DELETE FROM ") + table, {}, log);
        const bool hadArchive = QFileInfo::exists(target);
        if (s && hadArchive && !renameFile(target, previous))
            s = Status::failure(QStringLiteral("Не удалось заменить файл архива: ") + target);
        if (s && !renameFile(staged, target)) {
            s = Status::failure(QStringLiteral("Не удалось записать файл архива: ") + target);
            if (hadArchive)
                renameFile(previous, target);
        }
        if (s) {
            s = transaction.commit();
            if (!s) {
                QFile::remove(target);
                if (hadArchive)
                    renameFile(previous, target);
            }
        }
        if (s)
            QFile::remove(previous);
    }
    QFile::remove(staged);
    prompter.status(QString());
    if (!s) {
        prompter.error(s.error(), kArchiveTitle);
        return R::failure(s.error());
    }

    // What the clearing freed is given back; a base another copy holds open
    // stays as it is (compaction says so), the archive is made all the same.
    handle.reset();
    prompter.status(QStringLiteral("Сжатие исходной базы данных..."));
    compactBase(connections, base.number(), menuIdentifyingTable(base), tempFolder, today, base.settings(), false);
    prompter.status(QStringLiteral("Резервное копирование закончено"));
    prompter.message(QStringLiteral("Сделана резервная копия базы!"), kArchiveTitle);
    prompter.status(QString());
    return target;
}

Status moveRationsTo(
    const MenuBase &base, const QString &targetPath, bool create, const QString &tempFolder, const QDate &today)
{
    Prompter &prompter = base.prompter();
    Connections &connections = base.connections();
    ErrorLog *log = &connections.errorLog();
    const auto fail = [&](const QString &text) {
        prompter.error(text, kArchiveTitle);
        return Status::failure(text);
    };
    if (!connections.isConnected(base.number()))
        return fail(QStringLiteral("Нет подключения к базе меню"));
    const QString sourcePath = QFileInfo(connections.path(base.number())).absoluteFilePath();
    const QString path = QFileInfo(targetPath).absoluteFilePath();
    if (path == sourcePath)
        return fail(QStringLiteral("Базы данных не совместимы! ") + u'\n' + path);
    if (create) {
        if (QFileInfo::exists(path))
            return fail(QStringLiteral("Файл уже существует: ") + path);
        if (!createBaseFile(path, BaseId::Menu, base.settings()))
            return fail(QStringLiteral("Не удалось создать базу: ") + path);
    } else if (!QFileInfo::exists(path)) {
        return fail(QStringLiteral("Не найдена конечная база: ") + path);
    }
    const bool alreadyOpen = connections.numberOf(path) != Connections::kFailed;
    const int target = connections.connect(path, menuIdentifyingTable(base), true);
    if (target == Connections::kFailed)
        return fail(QStringLiteral("Не найдена конечная база: ") + path);
    // The handles are let go before the connections are closed or compacted, which
    // would otherwise find them still in use.
    std::optional<QSqlDatabase> targetHandle = connections.database(target);
    const auto release = [&] {
        targetHandle.reset();
        if (!alreadyOpen)
            connections.disconnect(target);
    };
    // A base made for the move goes again when the move does not happen.
    const auto abandon = [&](const QString &text) {
        release();
        if (create) {
            QFile::remove(path);
            QFile::remove(path + QStringLiteral("-wal"));
            QFile::remove(path + QStringLiteral("-shm"));
        }
        return fail(text);
    };

    // The two bases may be on different engines (a base on the server moved into a file).
    std::optional<QSqlDatabase> sourceHandle = base.database();
    const QSqlDatabase &from = *sourceHandle;
    const QSqlDatabase &to = *targetHandle;
    const SqlDialect &dialect = SqlDialect::of(from);
    const SqlDialect &targetDialect = SqlDialect::of(to);
    const QString table = base.table();
    if (!dialect.tables(from).contains(table, Qt::CaseInsensitive)
        || !targetDialect.tables(to).contains(table, Qt::CaseInsensitive))
        return abandon(QStringLiteral("База не содержит меню"));
    QStringList columns = dialect.columns(from, table);
    if (columns.size() != targetDialect.columns(to, table).size())
        return abandon(
            QStringLiteral("Различается количество колонок") + u'\n' + QStringLiteral("Базы данных не совместимы! "));
    // Rows get new counters in the target, in the order they were written.
    columns.removeIf([](const QString &c) { return c.compare(u"ID", Qt::CaseInsensitive) == 0; });
    QString list;
    QString marks;
    for (const QString &c : columns) {
        list += (list.isEmpty() ? QString() : QStringLiteral(", ")) + dialect.quote(c);
        marks += marks.isEmpty() ? QStringLiteral("?") : QStringLiteral(", ?");
    }
    const QString quotedTable = dialect.quote(table);

    prompter.status(QStringLiteral("Копирование данных..."));
    // What the copy is made of; the clearing takes the rows only if they are still these.
    const Result<TableCheck> copied = checkTable(from, table);
    if (!copied)
        return abandon(copied.error());
    qint64 lastTargetId = 0;
    Status s;
    {
        SqlStatement last(to, QStringLiteral("SELECT MAX(\"ID\") FROM ") + quotedTable, log);
        s = last.exec();
        if (s && last.next())
            lastTargetId = last.value(0).toLongLong();
    }
    if (s) {
        Transaction transaction(to, log);
        SqlStatement read(from,
            QStringLiteral("SELECT ") + list + QStringLiteral(" FROM ") + quotedTable
                + QStringLiteral(" ORDER BY \"ID\""),
            log);
        SqlStatement write(to,
            QStringLiteral("INSERT INTO ") + quotedTable + QStringLiteral(" (") + list + QStringLiteral(") VALUES (")
                + marks + u')',
            log);
        s = transaction.started() ? read.exec() : Status::failure(QStringLiteral("Транзакция не начата"));
        while (s && read.next()) {
            for (int i = 0; i < columns.size(); ++i)
                write.bind(i, read.value(i));
            s = write.exec();
        }
        read.finish();
        if (s)
            s = transaction.commit();
    }
    if (s) {
        prompter.status(QStringLiteral("Очищаем исходную базу..."));
        Transaction transaction(from, log);
        s = transaction.started() ? lockTableForRewrite(from, table, log)
                                  : Status::failure(QStringLiteral("Транзакция не начата"));
        if (s) {
            // A ration another workstation saved or removed after the copy was read
            // would otherwise be cleared away without having been moved.
            s = sameRowsAsCopied(checkTable(from, table), *copied,
                QStringLiteral("Рационы не перенесены, база не изменена. Повторите перенос."));
        }
        if (s)
            s = execSql(from, QStringLiteral("DELETE FROM ") + quotedTable, {}, log);
        if (s)
            s = transaction.commit();
        if (!s) {
            // The source keeps its rows: the copies go from the target again.
            execSql(to, QStringLiteral("DELETE FROM ") + quotedTable + QStringLiteral(" WHERE \"ID\" > ?"),
                {lastTargetId}, log);
        }
    }
    if (!s) {
        prompter.status(QString());
        return abandon(s.error());
    }
    sourceHandle.reset();
    targetHandle.reset();
    const QString identifying = menuIdentifyingTable(base);
    compactBase(connections, base.number(), identifying, tempFolder, today, base.settings(), false);
    compactBase(connections, target, identifying, tempFolder, today, base.settings(), false);
    release();
    prompter.status(QString());
    prompter.message(QStringLiteral("Архивирование закончено"), kArchiveTitle);
    return {};
}

} // namespace kulvera
