#include "DocumentStartup.h"

#include "documents/CardLayout.h"
#include "documents/DefaultTemplates.h"
#include "shell/SessionLog.h"
#include "shell/SharedSettings.h"
#include "shell/Startup.h"

namespace kulvera {

Result<QStringList> seedDefaultTemplates(const SharedSettings &shared, const SettingsAccess &settings)
{
    return createMissingTemplates(shared.templatesFolder(), settings);
}

void installDocumentHooks(StartupHooks &hooks, StartupSequence &startup, SettingsAccess &settings)
{
    hooks.set(QStringLiteral("loadOrganoleptic"), [&startup, &settings] {
        storeRecountColumns(settings);
        const Result<QStringList> made = seedDefaultTemplates(startup.shared(), settings);
        if (!made) {
            startup.sessionLog().write(QStringLiteral("Шаблоны не созданы: ") + made.error());
            return;
        }
        for (const QString &file : made.value())
            startup.sessionLog().write(QStringLiteral("Создан шаблон: ") + file);
    });
}

} // namespace kulvera
