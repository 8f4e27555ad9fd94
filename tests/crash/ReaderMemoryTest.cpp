#include "CrashHarness.h"
#include "common/CodePage.h"
#include "documents/ZipPackage.h"
#include "menus/MenuBase.h"
#include "menus/MenuExportFile.h"
#include "menus/SqlMenuFile.h"
#include "recipes/StoredText.h"
#include "shell/INI_Work.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

using namespace kulvera;

#if defined(__SANITIZE_ADDRESS__)
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(
    void (*onMalloc)(const volatile void *, std::size_t), void (*onFree)(const volatile void *));
std::size_t __sanitizer_get_allocated_size(const volatile void *p);
}
#define KULVERA_NEEDS_ALLOCATION_COUNTER()
#else
#define KULVERA_NEEDS_ALLOCATION_COUNTER() GTEST_SKIP() << "needs the address sanitizer's allocation hooks"
#endif

namespace {

// What a piece of work allocates, in multiples of its file's size: what it
// still holds when it is done, and the most it held at any moment.
struct Footprint {
    double held = 0;
    double peak = 0;
};

std::atomic<bool> counting {false};
long long current = 0;
long long highest = 0;
bool overflow = false;

#if defined(__SANITIZE_ADDRESS__)
// The blocks allocated while counting, so that freeing a block made before
// the count began is not taken off it (open addressing, linear probing).
constexpr size_t kSlots = size_t(1) << 20;
const volatile void *live[kSlots];
size_t used = 0;
std::atomic_flag busy = ATOMIC_FLAG_INIT;

size_t slotOf(const volatile void *p)
{
    return static_cast<size_t>((reinterpret_cast<std::uintptr_t>(p) >> 4) * 0x9E3779B97F4A7C15ULL >> 44);
}

struct Busy {
    Busy()
    {
        while (busy.test_and_set(std::memory_order_acquire)) { }
    }
    ~Busy() { busy.clear(std::memory_order_release); }
};

void onMalloc(const volatile void *p, std::size_t size)
{
    if (!counting || !p)
        return;
    const Busy hold;
    if (++used > kSlots / 2) {
        overflow = true;
        return;
    }
    size_t i = slotOf(p);
    while (live[i])
        i = (i + 1) % kSlots;
    live[i] = p;
    current += static_cast<long long>(size);
    highest = std::max(highest, current);
}

void onFree(const volatile void *p)
{
    if (!counting || !p)
        return;
    const Busy hold;
    size_t i = slotOf(p);
    while (live[i] && live[i] != p)
        i = (i + 1) % kSlots;
    if (!live[i])
        return; // made before the count began
    current -= static_cast<long long>(__sanitizer_get_allocated_size(p));
    --used;
    // Backward shift: the blocks after it in its run move up where they may.
    for (size_t j = (i + 1) % kSlots; live[j]; j = (j + 1) % kSlots) {
        const size_t home = slotOf(live[j]);
        const bool movable = i <= j ? (home <= i || home > j) : (home <= i && home > j);
        if (movable) {
            live[i] = live[j];
            i = j;
        }
    }
    live[i] = nullptr;
}
#endif

bool hooksInstalled()
{
#if defined(__SANITIZE_ADDRESS__)
    // Once: every installation adds another pair to the chain.
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) > 0;
    return installed;
#else
    return false;
#endif
}

// `work` returns what it read; that is kept until the count is taken.
template <class Work> Footprint footprint(const char *what, qint64 fileSize, Work work)
{
    EXPECT_TRUE(hooksInstalled());
#if defined(__SANITIZE_ADDRESS__)
    std::fill(std::begin(live), std::end(live), nullptr);
    used = 0;
#endif
    current = 0;
    highest = 0;
    overflow = false;
    counting = true;
    long long held = 0;
    {
        const auto kept = work();
        held = current;
    }
    counting = false;
    EXPECT_FALSE(overflow) << "more blocks than the count can follow";
    const Footprint f {double(held) / double(fileSize), double(highest) / double(fileSize)};
    std::printf(
        "%-40s %9lld bytes: holds %5.2f x, at most %5.2f x\n", what, static_cast<long long>(fileSize), f.held, f.peak);
    return f;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// --- zip bytes laid out by hand (little-endian fields, one deflated part each)

void le16(QByteArray &out, quint32 v)
{
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

void le32(QByteArray &out, quint32 v)
{
    le16(out, v & 0xFFFF);
    le16(out, v >> 16);
}

quint32 crc32Of(const QByteArray &data)
{
    quint32 c = 0xFFFFFFFFu;
    for (const char ch : data) {
        c ^= static_cast<unsigned char>(ch);
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    }
    return ~c;
}

// qCompress gives a 4-byte length, a 2-byte zlib header, the deflate
// stream and a 4-byte checksum: the stream is what a zip part holds.
QByteArray rawDeflate(const QByteArray &data)
{
    const QByteArray z = qCompress(data, 9);
    return z.mid(6, z.size() - 10);
}

struct ZipPart {
    QByteArray name;
    QByteArray data;
    quint32 declaredSize; // the uncompressed size the headers announce
};

QByteArray zipOf(const std::vector<ZipPart> &parts)
{
    QByteArray out;
    QByteArray central;
    for (const ZipPart &part : parts) {
        const QByteArray packed = rawDeflate(part.data);
        const quint32 crc = crc32Of(part.data);
        const auto offset = static_cast<quint32>(out.size());
        const auto common = [&](QByteArray &header) {
            le16(header, 20); // version needed
            le16(header, 0); // flags
            le16(header, 8); // deflated
            le16(header, 0); // time
            le16(header, 0x21); // 1 January 1980
            le32(header, crc);
            le32(header, static_cast<quint32>(packed.size()));
            le32(header, part.declaredSize);
            le16(header, static_cast<quint32>(part.name.size()));
            le16(header, 0); // extra field
        };
        le32(out, 0x04034b50);
        common(out);
        out += part.name + packed;
        le32(central, 0x02014b50);
        le16(central, 20); // made by
        common(central);
        le16(central, 0); // comment
        le16(central, 0); // disk
        le16(central, 0); // internal attributes
        le32(central, 0); // external attributes
        le32(central, offset);
        central += part.name;
    }
    const auto centralAt = static_cast<quint32>(out.size());
    out += central;
    le32(out, 0x06054b50);
    le16(out, 0);
    le16(out, 0);
    le16(out, static_cast<quint32>(parts.size()));
    le16(out, static_cast<quint32>(parts.size()));
    le32(out, static_cast<quint32>(central.size()));
    le32(out, centralAt);
    le16(out, 0);
    return out;
}

// Bytes that do not compress: the zip is about their size.
QByteArray noise(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 x = 2463534242u;
    for (char &c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    return bytes;
}

} // namespace

// Recipe, norm and ration files are INI files up to tens of megabytes: what
// one costs in memory must stay a few times its size, whatever its lines are.
TEST(ReaderMemory, AnIniFileOfAnyShapeTakesAFewTimesItsSize)
{
    KULVERA_NEEDS_ALLOCATION_COUNTER();
    constexpr int kSize = 2 * 1024 * 1024;
    std::vector<std::pair<const char *, QByteArray>> shapes;
    QByteArray recipe; // a recipe file: numbered positions of thirty keys
    for (int s = 0; recipe.size() < kSize; ++s) {
        recipe += "[Position" + QByteArray::number(s) + "]\r\n";
        recipe
            += encodeCodePage(QString(u"name=Продукт пищевой номер " + QString::number(s)), CodePage::Cp1251) + "\r\n";
        for (int k = 0; k < 30; ++k)
            recipe += "Key" + QByteArray::number(k) + "=12,5\r\n";
        recipe += "\r\n";
    }
    shapes.emplace_back("INI: recipe-like", recipe);
    QByteArray bare; // a few bytes a section
    for (int s = 0; bare.size() < kSize; ++s)
        bare += "[" + QByteArray::number(s) + "]\n";
    shapes.emplace_back("INI: bare sections", bare);
    QByteArray oneKey;
    for (int s = 0; oneKey.size() < kSize; ++s)
        oneKey += "[" + QByteArray::number(s) + "]\na=\n";
    shapes.emplace_back("INI: one tiny key a section", oneKey);
    QByteArray shortKeys;
    const char *digits = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int s = 0; shortKeys.size() < kSize; ++s) {
        shortKeys += "[S" + QByteArray::number(s) + "]\n";
        for (int k = 0; k < 62 * 62; ++k)
            shortKeys += QByteArray(1, digits[k % 62]) + digits[k / 62] + "=\n";
    }
    shapes.emplace_back("INI: two-letter keys", shortKeys);
    QByteArray oneSection = "[main]\n";
    for (int k = 0; oneSection.size() < kSize; ++k)
        oneSection += "k" + QByteArray::number(k) + "=1\n";
    shapes.emplace_back("INI: many keys in one section", oneSection);
    QByteArray longValues;
    for (int s = 0; longValues.size() < kSize; ++s)
        longValues += "[s" + QByteArray::number(s) + "]\nv=" + QByteArray(100000, 'x') + "\n";
    shapes.emplace_back("INI: long values", longValues);
    QByteArray repeatedHeader;
    while (repeatedHeader.size() < kSize)
        repeatedHeader += "[a]\n";
    shapes.emplace_back("INI: one section header repeated", repeatedHeader);
    QByteArray repeatedKey = "[main]\n";
    while (repeatedKey.size() < kSize)
        repeatedKey += "k=1\nK=2\n";
    shapes.emplace_back("INI: one key repeated", repeatedKey);
    QByteArray small;
    for (int s = 0; small.size() < 4096; ++s)
        small += "[" + QByteArray::number(s) + "]\n";
    shapes.emplace_back("INI: 4 KB of bare sections", small);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shape.ini"));
    for (const auto &[what, bytes] : shapes) {
        writeFile(path, bytes);
        const Footprint f = footprint(what, bytes.size(), [&] {
            auto ini = std::make_unique<INI_Work>();
            ini->setFilename(path);
            return ini;
        });
        // Held: the text (two bytes a character) and a few offsets a line.
        EXPECT_LT(f.held, 5) << what;
        // At most: the file's bytes, its text and the tables being built.
        EXPECT_LT(f.peak, 9) << what;
    }
}

// A workbook of a few hundred bytes may announce parts of tens of megabytes:
// the reader must not take what the headers say before the bytes are there.
TEST(ReaderMemory, AWorkbookWhosePartsAnnounceHugeSizesIsRefusedCheaply)
{
    KULVERA_NEEDS_ALLOCATION_COUNTER();
    std::vector<ZipPart> parts {{"docProps/thumbnail.bin", noise(64 * 1024), 64 * 1024}};
    for (int i = 1; i <= 5; ++i) // 5 × 40 MB: under both ceilings
        parts.push_back({"xl/worksheets/sheet" + QByteArray::number(i) + ".xml", "<x/>", 40u * 1024 * 1024});
    const QByteArray hostile = zipOf(parts);
    std::optional<QString> error;
    const Footprint f = footprint("xlsx: parts announcing 40 MB each", hostile.size(), [&] {
        auto package = ZipPackage::fromBytes(hostile, QStringLiteral("hostile.xlsx"));
        if (!package.ok())
            error = package.error();
        return package;
    });
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->startsWith(QStringLiteral("Архив повреждён (xl/worksheets/sheet1.xml)")))
        << error->toStdString();
    EXPECT_LT(f.peak, 4);
}

// The buffer of a part grows as it is inflated: a part packed hundreds of
// times smaller than it is still reads whole, and a part longer or shorter
// than its header says is still refused.
TEST(ReaderMemory, AWorkbookPartPackedFarSmallerStillReadsWhole)
{
    const QByteArray sheet = QByteArray("<row><c t=\"s\"><v>1</v></c></row>").repeated(40000);
    const auto sizeOf = [&](qint64 delta) { return static_cast<quint32>(sheet.size() + delta); };
    const Result<ZipPackage> whole = ZipPackage::fromBytes(
        zipOf({{"a.xml", "<a/>", 4}, {"xl/worksheets/sheet1.xml", sheet, sizeOf(0)}}), QStringLiteral("ok.xlsx"));
    ASSERT_TRUE(whole.ok()) << whole.error().toStdString();
    ASSERT_TRUE(whole->find(QStringLiteral("xl/worksheets/sheet1.xml")));
    EXPECT_EQ(*whole->find(QStringLiteral("xl/worksheets/sheet1.xml")), sheet);
    EXPECT_EQ(*whole->find(QStringLiteral("a.xml")), QByteArray("<a/>"));
    for (const qint64 delta : {-1, 1}) {
        const Result<ZipPackage> wrong
            = ZipPackage::fromBytes(zipOf({{"xl/worksheets/sheet1.xml", sheet, sizeOf(delta)}}), QStringLiteral("x"));
        EXPECT_FALSE(wrong.ok()) << delta;
    }
}

namespace {

// A ration of four meals of three dishes, ten positions each.
Ration rationOf(const QDate &day, int seed)
{
    Ration ration({day, QStringLiteral("Сад")});
    const QString meals[]
        = {QStringLiteral("Завтрак"), QStringLiteral("Обед"), QStringLiteral("Полдник"), QStringLiteral("Ужин")};
    for (int m = 0; m < 4; ++m) {
        const int meal = ration.ensureMeal(meals[m]);
        for (int d = 0; d < 3; ++d) {
            colBludo recipe;
            for (int p = 1; p <= 10; ++p) {
                clsProds &position = recipe.Add()->clsProds();
                position.ID_Prod = QString::number(p + seed % 50);
                position.Kod = QStringLiteral("pro%1").arg(p, 8, 10, QLatin1Char('0'));
                position.FullName = position.ShortName = QStringLiteral("Продукт пищевой %1").arg(p + seed % 50);
                position.Brutto = 10 + p * 1.25;
                position.Netto = 9 + p;
                position.Out = QStringLiteral("200");
            }
            ration.appendDish(
                meal, QStringLiteral("Блюдо %1").arg(seed * 12 + m * 3 + d), QStringLiteral("200"), std::move(recipe));
        }
    }
    return ration;
}

} // namespace

// The two menu files are read whole and their rows staged before the menu
// base is touched: the whole import, writing included, stays a few times the
// file's size.
TEST(ReaderMemory, MenuTransferAndExportImportsTakeAFewTimesTheirFiles)
{
    KULVERA_NEEDS_ALLOCATION_COUNTER();
    test::CrashInstallation installation;
    test::CrashSession session(installation, {BaseId::Menu}, true);
    ASSERT_TRUE(session.ok());
    AppContext &c = session.context();
    const MenuBase base(
        session.connections(), static_cast<int>(BaseId::Menu), c.settings, c.prompter, StoredTextCodec(731));
    std::vector<QDate> days;
    std::vector<RationKey> keys;
    for (int d = 0; d < 50; ++d) {
        const Ration ration = rationOf(QDate(2026, 3, 1).addDays(d), d);
        ASSERT_TRUE(base.save(ration));
        days.push_back(ration.date());
        keys.push_back({ration.date(), ration.group()});
    }
    QTemporaryDir dir;
    const QString transfer = dir.filePath(QStringLiteral("days.sql_menu"));
    const QString exported = dir.filePath(QStringLiteral("days.menu"));
    ASSERT_TRUE(saveSqlMenuFile(base, days, std::nullopt, transfer, {false, false}));
    ASSERT_TRUE(saveMenuExportFile(base, days, exported, {false, false}));

    // Each import runs once before it is measured: the menu base's page
    // cache (up to 64 MiB by design, kept between transactions) is then
    // already there, and what is counted is the reading and the staging.
    const auto import = [&](const char *what, const QString &path, auto load) {
        for (const bool measured : {false, true}) {
            for (const RationKey &key : keys)
                ASSERT_TRUE(base.remove(key));
            if (!measured) {
                ASSERT_TRUE(load(path));
                continue;
            }
            const Footprint f = footprint(what, QFileInfo(path).size(), [&] {
                auto summary = load(path);
                EXPECT_TRUE(summary.ok() && summary->added == static_cast<int>(days.size()));
                return summary;
            });
            EXPECT_LT(f.peak, 4.5) << what;
        }
    };
    import(".sql_menu import", transfer, [&](const QString &path) { return loadSqlMenuFile(base, path);
});
    import(".sql_menu import, in two halves", transfer,
        [&](const QString &path) { return loadSqlMenuFile(base, path, {1024 * 1024});
    });
    import("export .menu import", exported, [&](const QString &path) { return loadMenuExportFile(base, path);
    });
    }
