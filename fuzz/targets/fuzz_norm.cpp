// A file of physiological norms (".fz").
#include "FuzzSupport.h"

#include "costing/NormFile.h"

using namespace kulvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::application();
    (void)readNormFile(fuzz::inputFile(QStringLiteral("input.fz"), fuzz::bytes(data, size)));
    return 0;
}
