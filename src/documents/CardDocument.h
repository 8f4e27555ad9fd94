#pragma once

#include "common/Result.h"
#include "documents/CardData.h"

#include <functional>

namespace kulvera {

class HeatTreatmentTables;
class MicrobiologyBase;
class Prompter;
class SettingsAccess;
class colBludo;

struct CardRequest {
    QString templatesFolder;
    QString templateFile; // a template chosen by hand; empty: the card type's template from the settings
    bool generated = false; // build the card on an empty sheet
    CardOptions options;
    QString outputPath;
};

struct CardOutcome {
    QString path;
    QString templateUsed; // empty for the generated card
    bool named = false; // the template names its cells
    int errors = 0; // cells that could not be written
    QStringList problems;
};

// Produces the card of a recipe into `outputPath`: opens the template (a
// template that cannot be read is refused and nothing is written), forms the
// values, fills the template (or builds the card when there is none), saves
// atomically and reports "Норматив экспортирован. Ошибок при экспорте - N".
// `log` receives the lines of the session log.
Result<CardOutcome> produceCard(colBludo &slot, const QString &name, const QString &outputText,
    const CardRequest &request, const HeatTreatmentTables &losses, const MicrobiologyBase *microbiology,
    const SettingsAccess &settings, Prompter &prompter, const std::function<void(const QString &)> &log = {});

QString cardExportedText(int errors); // "Норматив экспортирован. Ошибок при экспорте - N"

} // namespace kulvera
