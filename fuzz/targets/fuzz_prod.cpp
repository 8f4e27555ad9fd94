// A product file (".prod").
#include "FuzzSupport.h"

#include "products/ProductFile.h"

using namespace kulvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::application();
    (void)readProductFile(fuzz::inputFile(QStringLiteral("input.prod"), fuzz::bytes(data, size)));
    return 0;
}
