#pragma once

#include "common/Result.h"

#include <QDate>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace kulvera {

class Clock;
class Connections;
class ErrorLog;
class Prompter;
class SettingsAccess;
class SharedSettings;

// A complete installation of a made-up school canteen in a folder of its own:
// its settings file, its bases, the seed data of a fresh installation, the
// canteen's recipes and two weeks of rations. Everything in it is illustrative.
// The user's own installation is never touched: the kitchen has its own
// settings file, which the programs use through KULVERA_SETTINGS or --settings.

// What the steps of the build share.
struct DemoKitchen {
    QString folder;
    SettingsAccess &settings; // the kitchen's own settings file
    SharedSettings &shared;
    Connections &connections;
    Prompter &prompter;
    QDate firstDay; // day 1 of its rations: demoKitchenFirstDay()
    QDate today; // the day the kitchen is made
};

// The Monday of the week the kitchen is made, or of the next week when it is
// made on a Saturday or Sunday.
QDate demoKitchenFirstDay(const QDate &today);

// One step of the build; a later subsystem adds its demo data as a step of its own.
struct DemoKitchenStep {
    QString title;
    std::function<Status(DemoKitchen &)> run;
};

// The steps in the order they run.
const std::vector<DemoKitchenStep> &demoKitchenSteps();

// "<folder>/Kulvera.ini" and "<folder>/KV_Bases" (the databases go to its "DB").
QString demoKitchenSettingsFile(const QString &folder);
QString demoKitchenBasesFolder(const QString &folder);

// Why `folder` cannot take a new kitchen (it holds a settings file or a bases
// folder already), or nothing when it can.
std::optional<QString> demoKitchenRefusal(const QString &folder);

// Builds the kitchen in `folder`, announcing each step's title through
// `progress`. A folder that holds an installation is refused and left as it
// is; when a step fails, what the build made is removed again.
Status buildDemoKitchen(const QString &folder, Prompter &prompter, ErrorLog &errorLog, const Clock &clock,
    const std::function<void(const QString &)> &progress);

} // namespace kulvera
