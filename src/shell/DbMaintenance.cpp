#include "shell/DbMaintenance.h"

#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "shell/Connections.h"
#include "shell/DamagedBases.h"
#include "shell/Databases.h"
#include "shell/DbStructure.h"
#include "shell/ErrorLog.h"
#include "shell/ServerBases.h"
#include "shell/SettingDefaults.h"
#include "shell/SharedSettings.h"
#include "shell/SqlStatement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cmath>

namespace kulvera {
namespace {

QString dateStamp(const QDate &day)
{
    return day.toString(QStringLiteral("yyyy_MM_dd"));
}

// A consistent copy of an open base, whatever its journal holds.
Status snapshotInto(Connections &connections, int number, const QString &target)
{
    QFile::remove(target);
    return execSql(connections.database(number), QStringLiteral("VACUUM INTO ?"), {target}, &connections.errorLog());
}

bool canWriteInto(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("kv_write_probe_XXXXXX")));
    return probe.open();
}

} // namespace

QString sessionTempFolder(const QString &tempRoot)
{
    return QDir(tempRoot).filePath(QStringLiteral("Kulvera/") + QString::number(QCoreApplication::applicationPid()));
}

bool openInAnotherCopy(const QString &basePath)
{
    return QFileInfo::exists(basePath + QStringLiteral("-wal"));
}

Status compactBase(Connections &connections, int number, const QString &identifyingTable, const QString &tempFolder,
    const QDate &today, const SettingsAccess &settings, bool announce)
{
    if (!connections.isConnected(number))
        return Status::failure(QStringLiteral("Нет такого подключения к базе"));
    Prompter &prompter = connections.prompter();
    if (connections.isServerBase(number)) {
        // The server reclaims space on its own; a step of a longer operation has nothing to do.
        if (!announce)
            return {};
        const QString text = notOnServerMessage(QStringLiteral("Сжатие базы данных"));
        prompter.message(text);
        return Status::failure(text);
    }
    const QString basePath = connections.path(number);
    QDir().mkpath(tempFolder);
    const QString compacted = QDir(tempFolder).filePath(QStringLiteral("kv_temp.db"));
    const QString safety
        = QDir(tempFolder).filePath(QStringLiteral("tempbase_") + dateStamp(today) + QStringLiteral(".db"));
    QFile::remove(compacted);

    Status s = snapshotInto(connections, number, safety);
    if (s)
        s = snapshotInto(connections, number, compacted); // VACUUM INTO writes the compacted form
    if (!s) {
        prompter.error(QStringLiteral("Не удалось сжать базу данных: ") + basePath + u'\n' + s.error());
        return s;
    }

    // The compacted file is first copied beside the base, so the final step is
    // a rename within one folder: the base file is always one whole file.
    const QString staged = basePath + QStringLiteral(".kv_compact");
    QFile::remove(staged);
    if (!QFile::copy(compacted, staged)) {
        prompter.error(QStringLiteral("Не удалось сжать базу данных: ") + basePath);
        return Status::failure(QStringLiteral("copy failed"));
    }
    // Our own attachments of this file (other bases reach its tables) let go too.
    connections.detachEverywhere(number);
    connections.disconnect(number);
    const auto reopen = [&] {
        const bool reopened = connections.connectAt(number, basePath, identifyingTable) == number;
        attachExternalTables(connections);
        return reopened;
    };
    if (openInAnotherCopy(basePath)) {
        // Replacing the file now would tear the other copy's journal from it.
        QFile::remove(staged);
        reopen();
        prompter.error(QStringLiteral("База данных используется другой копией программы. Сжатие невозможно."));
        return Status::failure(QStringLiteral("base in use"));
    }
    if (std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(basePath).constData()) != 0) {
        QFile::remove(staged);
        reopen();
        prompter.error(QStringLiteral("Не удалось сжать базу данных: ") + basePath);
        return Status::failure(QStringLiteral("rename failed"));
    }
    QFile::remove(basePath + QStringLiteral("-shm"));
    if (!reopen()) {
        prompter.error(QStringLiteral("Не удалось подключиться к базе: ") + basePath);
        return Status::failure(QStringLiteral("reopen failed"));
    }
    if (announce && settings.get(Section::Data, QStringLiteral("sMessCompBase"), QStringLiteral("0")) != u"1")
        prompter.message(QStringLiteral("База данных сжата."));
    return {};
}

} // namespace kulvera

namespace kulvera {

QString archiveFolderOf(const SharedSettings &shared)
{
    return QDir(shared.databasesFolder()).filePath(shared.value(Section::Data, QStringLiteral("sRSFld")));
}

Result<QString> archiveCopy(Connections &connections, int number, const QString &archiveFolder, const QDate &today)
{
    Prompter &prompter = connections.prompter();
    if (!connections.isConnected(number))
        return Result<QString>::failure(QStringLiteral("Нет такого подключения к базе"));
    if (connections.isServerBase(number)) {
        const QString text = notOnServerMessage(QStringLiteral("Архивная копия базы"));
        prompter.error(text, Prompter::kDefaultTitle);
        return Result<QString>::failure(text);
    }
    const QFileInfo base(connections.path(number));
    const QString folder = QDir::cleanPath(archiveFolder);
    if (QDir::cleanPath(base.absolutePath()) == folder) {
        const QString text = QStringLiteral("Программа подключена к архивной базе. Нельзя копировать архивную базу!");
        prompter.error(text, Prompter::kDefaultTitle);
        return Result<QString>::failure(text);
    }
    QDir().mkpath(folder);
    if (!canWriteInto(folder)) {
        const QString text = QStringLiteral("Отсутствуют права на запись архивной базы в папку: ") + folder;
        prompter.error(text, Prompter::kDefaultTitle);
        return Result<QString>::failure(text);
    }
    const QString prefix = base.completeBaseName() + u'_' + dateStamp(today) + u'_';
    for (int n = 1; n <= kMaxArchiveCopies; ++n) {
        const QString target = QDir(folder).filePath(prefix + QString::number(n) + QStringLiteral(".db"));
        if (QFileInfo::exists(target))
            continue;
        const Status copied = snapshotInto(connections, number, target);
        if (!copied) {
            QFile::remove(target);
            prompter.error(QStringLiteral("Отсутствуют права на запись архивной базы в папку: ") + folder,
                Prompter::kDefaultTitle);
            return Result<QString>::failure(copied.error());
        }
        return target;
    }
    const QString text
        = QStringLiteral("Накоплено 50 архивных баз данных! Следует удалить часть из них и повторить процедуру\n")
        + QStringLiteral("Файлы находятся в папке: ") + folder + u'\n' + QStringLiteral("имеют маску имени: ")
        + base.completeBaseName() + QStringLiteral("_[Дата синхронихации]_[Номер синхронизации].db");
    prompter.show({QStringLiteral("ArchiveLimit"), text, Prompter::kDefaultTitle, Prompter::Buttons::Ok,
        Prompter::Icon::Critical, QString()});
    return Result<QString>::failure(text);
}

std::optional<QString> sizeWarning(qint64 fileSize, const QString &label)
{
    if (fileSize <= kBaseSizeLimit)
        return std::nullopt;
    const long long percent = std::llround(static_cast<double>(fileSize) / static_cast<double>(kBaseSizeLimit) * 100.0);
    return QStringLiteral("База ") + label + QStringLiteral(" почти заполнена.\n")
        + QStringLiteral("Следует провести архивирование или сжатие базы.\n")
        + QStringLiteral("Сжать базу можно из интерфейса программы: Сервис - Сжатие базы данных\n\n")
        + QStringLiteral("Справочно. Заполнение базы от максимально допустимого: ") + QString::number(percent) + u'%';
}

void checkBaseSizes(Connections &connections, Prompter &prompter)
{
    const std::pair<BaseId, QString> bases[] = {
        {BaseId::Menu, QStringLiteral("меню суточных рационов")}, {BaseId::Dishes, QStringLiteral("изделий (блюд)")}};
    for (const auto &[base, label] : bases) {
        if (!connections.isConnected(base) || connections.isServerBase(static_cast<int>(base)))
            continue;
        if (const auto text = sizeWarning(QFileInfo(connections.path(static_cast<int>(base))).size(), label))
            prompter.warning(*text);
    }
}

Status prepareWorkingCopy(Connections &connections, const QString &tempFolder, const QDate &today,
    const SettingsAccess &settings, const SharedSettings &shared)
{
    const int dishes = static_cast<int>(BaseId::Dishes);
    const int working = static_cast<int>(BaseId::WorkingCopy);
    if (!connections.isConnected(dishes))
        return Status::failure(QStringLiteral("Нет такого подключения к базе"));
    if (connections.isServerBase(dishes))
        return Status::failure(notOnServerMessage(QStringLiteral("Временная рабочая база")));
    connections.disconnect(working);
    QDir().mkpath(tempFolder);
    const QString target = QDir(tempFolder).filePath(QStringLiteral("kv_temp.db"));
    const QString safety
        = QDir(tempFolder).filePath(QStringLiteral("tempbase_") + dateStamp(today) + QStringLiteral(".db"));
    Status s = snapshotInto(connections, dishes, safety);
    if (s)
        s = snapshotInto(connections, dishes, target);
    if (!s)
        return s;
    (void)shared;
    const QString table = readSetting(settings, Section::Bl, QStringLiteral("Table_Bl_Bases"));
    if (connections.connectAt(working, target, table) != working)
        return Status::failure(QStringLiteral("Не удалось подключиться к базе: ") + target);
    return {};
}

bool offerStandardProductBase(Prompter &prompter, SettingsAccess &settings)
{
    const QString question = QStringLiteral(
        "Не удалось создать подключение к базе продуктов, что может быть связано с использование несовместимой базой. "
        "Восстановить подключение к стандартной базе продуктов?");
    if (prompter.ask(
            question, Prompter::Buttons::YesNo, {}, Prompter::Icon::Question, QStringLiteral("RestoreProductBase"))
        != Prompter::Answer::Yes)
        return false;
    settings.remove(Section::Prod, QStringLiteral("dbProd"));
    return true;
}

void restoreMissingAdditionalProductBase(Prompter &prompter, SettingsAccess &settings, const QString &path)
{
    prompter.error(QStringLiteral("Не найдена дополнительная база продуктов: ") + path + u'\n'
            + QStringLiteral("Восстановлено стандартное значение базы продуктов"),
        Prompter::kDefaultTitle);
    settings.remove(Section::Prod, QStringLiteral("dbProd"));
}

int recreateJournalsBase(Connections &connections, const SettingsAccess &settings, const SharedSettings &shared)
{
    const int number = static_cast<int>(BaseId::Journals);
    connections.disconnect(number);
    if (connections.onServer()) {
        // A schema on the server is never dropped: only a missing one is made.
        const ServerSettings &server = *connections.server();
        const Result<QStringList> schemas = serverSchemas(server);
        if (schemas && !schemas->contains(serverSchema(BaseId::Journals))
            && !createServerBase(server, BaseId::Journals, settings))
            return Connections::kFailed;
        return connections.connectBase(BaseId::Journals, shared, true);
    }
    const QString path = kulvera::basePath(BaseId::Journals, settings, shared);
    // Keep the unreadable file beside, rather than destroying what may be recoverable.
    if (QFileInfo::exists(path) && keepDamagedFile(path).isEmpty())
        QFile::remove(path);
    if (!createBaseFile(path, BaseId::Journals, settings))
        return Connections::kFailed;
    return connections.connectBase(BaseId::Journals, shared, true);
}

} // namespace kulvera
