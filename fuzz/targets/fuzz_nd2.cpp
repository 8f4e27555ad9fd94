// The recipe exchange file (".nd2"), read into an empty recipe slot.
#include "FuzzSupport.h"

#include "common/Clock.h"
#include "common/ScriptedPrompter.h"
#include "recipes/HeatTreatment.h"
#include "recipes/Nd2File.h"

using namespace kulvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::application();
    ScriptedPrompter prompter;
    prompter.setDefaultAnswer(Prompter::Answer::Yes);
    HeatTreatmentTables losses;
    FixedClock clock {QDateTime(QDate(2026, 3, 1), QTime(10, 0))};
    RecipeFileContext context {prompter, losses, clock, nullptr, {}};
    colBludo slot;
    (void)loadRecipeFile(slot, fuzz::inputFile(QStringLiteral("input.nd2"), fuzz::bytes(data, size)), context);
    return 0;
}
