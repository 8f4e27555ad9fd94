// The ration file (".menu" in the INI layout), dishes and all.
#include "FuzzSupport.h"

#include "common/Clock.h"
#include "common/ScriptedPrompter.h"
#include "menus/RationFile.h"
#include "recipes/HeatTreatment.h"

using namespace kulvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::application();
    ScriptedPrompter prompter;
    prompter.setDefaultAnswer(Prompter::Answer::Yes);
    HeatTreatmentTables losses;
    FixedClock clock {QDateTime(QDate(2026, 3, 1), QTime(10, 0))};
    RecipeFileContext context {prompter, losses, clock, nullptr, {}};
    (void)loadRationFile(fuzz::inputFile(QStringLiteral("input.menu"), fuzz::bytes(data, size)), context);
    return 0;
}
