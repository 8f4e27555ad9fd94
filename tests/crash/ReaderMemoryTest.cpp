#include "common/CodePage.h"
#include "shell/INI_Work.h"

#include <gtest/gtest.h>

#include <cstddef>

using namespace kulvera;

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// What an INI file read into memory holds, in multiples of the file's size.
double heldPerFileByte(const QByteArray &file)
{
#if defined(__SANITIZE_ADDRESS__)
    const std::size_t before = __sanitizer_get_current_allocated_bytes();
    INI_Work ini;
    ini.loadText(decodeCodePage(file, CodePage::Cp1251));
    const std::size_t after = __sanitizer_get_current_allocated_bytes();
    return double(after - before) / double(file.size());
#else
    (void)file;
    return 0;
#endif
}

} // namespace

// Recipe, norm and ration files are INI files up to tens of megabytes: what
// one costs in memory must stay a small multiple of its size, whatever its
// lines are. (Measured by the address sanitizer's allocation counter.)
TEST(ReaderMemory, AnIniFileOfAnyShapeTakesABoundedMultipleOfItsSize)
{
#if !defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "needs the address sanitizer's allocation counter";
#endif
    constexpr int kSize = 2 * 1024 * 1024;
    QByteArray recipeLike;
    for (int s = 0; recipeLike.size() < kSize; ++s) {
        recipeLike += "[Position" + QByteArray::number(s) + "]\n";
        for (int k = 0; k < 100; ++k)
            recipeLike += "Key" + QByteArray::number(k) + "=12.5\n";
    }
    QByteArray bareSections; // a few bytes a section, each with its own index
    for (int s = 0; bareSections.size() < kSize; ++s)
        bareSections += "[" + QByteArray::number(s) + "]\n";
    QByteArray shortKeys;
    const char *digits = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int s = 0; shortKeys.size() < kSize; ++s) {
        shortKeys += "[S" + QByteArray::number(s) + "]\n";
        for (int k = 0; k < 62 * 62; ++k)
            shortKeys += QByteArray(1, digits[k % 62]) + digits[k / 62] + "=\n";
    }
    EXPECT_LT(heldPerFileByte(recipeLike), 20);
    EXPECT_LT(heldPerFileByte(bareSections), 20);
    EXPECT_LT(heldPerFileByte(shortKeys), 20);
}
