// A formula of a research method, as a user types it.
#include "FuzzSupport.h"

#include "util/Expression.h"

using namespace kulvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::application();
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));
    (void)Eval(text);
    const QStringList names {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("ab")};
    if (const Result<Expression> e = Expression::compile(text, names)) {
        const double values[] = {1.5, -3, 0};
        (void)e->evaluate(values);
    }
    return 0;
}
