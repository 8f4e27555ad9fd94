// The menu transfer file (".sql_menu"): header, scrambled statements, the
// strict INSERT reader, and what it stages into the menu base.
#include "MenuBaseFuzz.h"

#include "menus/SqlMenuFile.h"

using namespace kulvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::MenuBaseFuzz &f = fuzz::menuBase();
    // Every other input is read in two parts, as a large file is.
    SqlMenuLoadOptions options;
    if (size % 2 != 0)
        options.readInPartsFrom = 1;
    (void)loadSqlMenuFile(*f.menu, fuzz::inputFile(QStringLiteral("input.sql_menu"), fuzz::bytes(data, size)), options);
    return 0;
}
