// The program's command line: words separated by NUL bytes in the input.
#include "FuzzSupport.h"

#include "shell/CommandLine.h"

using namespace kulvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::application();
    QStringList words;
    for (const QByteArray &w : fuzz::bytes(data, size).split('\0'))
        words << QString::fromUtf8(w);
    (void)CommandLine::parse(words, QStringLiteral("/opt/kulvera"));
    return 0;
}
