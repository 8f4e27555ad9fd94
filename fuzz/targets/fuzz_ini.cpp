// Settings and recipe files are read by the INI reader: from a file (code page
// 1251 or UTF-8 with its mark) and from text already in memory.
#include "FuzzSupport.h"

#include "shell/INI_Work.h"

using namespace kulvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::application();
    INI_Work ini;
    ini.setFilename(fuzz::inputFile(QStringLiteral("input.ini"), fuzz::bytes(data, size)));
    for (int s = 0; s < ini.SectionsCount(); ++s) {
        const QString section = ini.SectionName(s);
        for (int v = 0; v < ini.ValuesCount(section); ++v)
            (void)ini.Value(section, ini.ValueName(section, v));
    }
    (void)ini.firstValueLongerThan(255);
    // What is written must read back to the same sections.
    INI_Work again;
    again.loadText(ini.toText());
    if (again.SectionsCount() > ini.SectionsCount())
        __builtin_trap();
    return 0;
}
