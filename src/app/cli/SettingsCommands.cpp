#include "CliCommand.h"

#include "shell/SettingDefaults.h"
#include "shell/SettingsStore.h"

namespace kulvera {
namespace {

int settingsCommand(CliRun &run)
{
    const QStringList &a = run.args;
    if (a.size() < 3) {
        run.err << "Usage: settings get|set|delete SECTION KEY [VALUE]\n";
        return kExitUsage;
    }
    const QString &verb = a[0];
    const auto section = sectionFromText(a[1]);
    if (!section) {
        run.err << "Unknown section: " << a[1] << " (a name such as Data, or a code 0-17)\n";
        return kExitUsage;
    }
    const QString &key = a[2];
    if (verb == u"get" && a.size() == 3) {
        run.out << readSetting(run.settings, *section, key) << '\n';
        return kExitOk;
    }
    if (verb == u"set" && a.size() == 4) {
        run.settings.save(*section, key, a[3]);
        if (!run.settings.sync()) {
            run.err << "Cannot write the settings file " << run.settings.fileName() << '\n';
            return kExitFailed;
        }
        return kExitOk;
    }
    if (verb == u"delete" && a.size() == 3) {
        run.settings.remove(*section, key);
        if (!run.settings.sync()) {
            run.err << "Cannot write the settings file " << run.settings.fileName() << '\n';
            return kExitFailed;
        }
        return kExitOk;
    }
    run.err << "Usage: settings get|set|delete SECTION KEY [VALUE]\n";
    return kExitUsage;
}

const CliRegistrar registrar({QStringLiteral("settings"), QStringLiteral("settings get|set|delete SECTION KEY [VALUE]"),
    QStringLiteral("read (with its default), write or delete one setting; SECTION by name or code"), settingsCommand});

} // namespace
} // namespace kulvera
