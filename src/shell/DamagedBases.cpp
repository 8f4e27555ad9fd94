#include "shell/DamagedBases.h"

#include "common/SettingsAccess.h"
#include "shell/Catalogue.h"
#include "shell/Connections.h"
#include "shell/DbStructure.h"
#include "shell/SettingDefaults.h"
#include "shell/SharedSettings.h"

#include <QFile>
#include <QFileInfo>

namespace kulvera {

QString keepDamagedFile(const QString &path)
{
    QString kept = path + QStringLiteral(".damaged");
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = path + QStringLiteral(".damaged.") + QString::number(n);
    if (!QFile::rename(path, kept))
        return {};
    // The journal belongs to the file it was written for; the shared-memory
    // index is rebuilt from it.
    if (QFileInfo::exists(path + QStringLiteral("-wal")))
        QFile::rename(path + QStringLiteral("-wal"), kept + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    return kept;
}

Result<DishBaseRestore> restoreDishBase(Connections &connections, SettingsAccess &settings, SharedSettings &shared)
{
    if (connections.onServer()) {
        // Files are renamed and made anew; a schema on the server is the administrator's.
        return Result<DishBaseRestore>::failure(QStringLiteral("Не удалось подключиться к базе блюд на сервере: ")
            + serverPath(*connections.server(), serverSchema(BaseId::Dishes)));
    }
    DishBaseRestore r;
    r.failedPath = basePath(BaseId::Dishes, settings, shared);
    const auto keep = [&r](const QString &path) {
        const QString kept = keepDamagedFile(path);
        if (kept.isEmpty())
            return false;
        r.keptAs << kept;
        return true;
    };
    const auto cannotKeep = [](const QString &path) {
        return Result<DishBaseRestore>::failure(QStringLiteral("Не удалось переименовать файл базы: ") + path);
    };
    r.missing = !QFileInfo::exists(r.failedPath);
    if (!r.missing && !keep(r.failedPath))
        return cannotKeep(r.failedPath);

    const QString key = QStringLiteral("NameBlBase");
    settings.remove(Section::Bl, key);
    shared.set(Section::Bl, key, readSetting(settings, Section::Bl, key));
    r.path = basePath(BaseId::Dishes, settings, shared);
    if (QFileInfo::exists(r.path)) {
        if (connections.connectBase(BaseId::Dishes, shared, true) != Connections::kFailed)
            return r;
        if (!keep(r.path))
            return cannotKeep(r.path);
    }
    if (const Status created = createBaseFile(r.path, BaseId::Dishes, settings); !created)
        return Result<DishBaseRestore>::failure(created.error());
    r.created = true;
    if (connections.connectBase(BaseId::Dishes, shared, true) == Connections::kFailed)
        return Result<DishBaseRestore>::failure(QStringLiteral("Не удалось подключиться к базе: ") + r.path);
    return r;
}

QString dishBaseRestoredText(const DishBaseRestore &restore)
{
    QString text = restore.missing ? QStringLiteral("Отсутствует база блюд: ")
                                   : QStringLiteral("Не удалось открыть базу блюд: ");
    text += restore.failedPath + QStringLiteral("\nВосстанавливаем стандартную базу!");
    for (const QString &kept : restore.keptAs)
        text += QStringLiteral("\nПрежний файл базы сохранён как: ") + kept;
    text += (restore.created ? QStringLiteral("\nСоздана новая база блюд: ")
                             : QStringLiteral("\nПодключена стандартная база блюд: "))
        + restore.path;
    return text;
}

} // namespace kulvera
