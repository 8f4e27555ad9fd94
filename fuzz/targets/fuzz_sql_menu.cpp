// The menu transfer file (".sql_menu"): header, scrambled statements, the
// strict INSERT reader, and what it stages into the menu base.
#include "MenuBaseFuzz.h"

#include "menus/SqlMenuFile.h"

using namespace kulvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::MenuBaseFuzz &f = fuzz::menuBase();
    (void)loadSqlMenuFile(*f.menu, fuzz::inputFile(QStringLiteral("input.sql_menu"), fuzz::bytes(data, size)));
    return 0;
}
