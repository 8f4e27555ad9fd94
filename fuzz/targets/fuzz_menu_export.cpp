// The menu export file (".menu" in the binary layout).
#include "MenuBaseFuzz.h"

#include "menus/MenuExportFile.h"

using namespace kulvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::MenuBaseFuzz &f = fuzz::menuBase();
    (void)loadMenuExportFile(*f.menu, fuzz::inputFile(QStringLiteral("input.menu"), fuzz::bytes(data, size)));
    return 0;
}
