// Writing and reading 1,000,000 records of 8 mixed fields with our DBF engine
// and with shapelib's DBF API, in the same binary and on the same disk.
#include "common/CodePage.h"
#include "common/ScriptedPrompter.h"
#include "interchange/clsDBF.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>
#include <shapefil.h>

#include <array>
#include <cstdio>

using namespace kulvera;

namespace {

constexpr int kRecords = 1'000'000;

const std::array<QString, 8> &names()
{
    static const std::array<QString, 8> n = {QStringLiteral("Картофель"), QStringLiteral("Морковь столовая"),
        QStringLiteral("Мука пшеничная"), QStringLiteral("Сахар-песок"), QStringLiteral("Молоко 3,2%"),
        QStringLiteral("Масло сливочное"), QStringLiteral("Говядина 1 кат"), QStringLiteral("Яйцо куриное")};
    return n;
}

QString benchPath(const char *name)
{
    return QDir::temp().filePath(QString::fromLatin1(name));
}

void removeTable(const QString &path)
{
    QFile::remove(path);
}

struct Row {
    int id;
    double price;
    double mass;
    QDate day;
    bool flag;
    int qty;
};

Row rowAt(int i)
{
    return {i, (i % 10000) * 0.37, (i % 777) * 1.125, QDate(2024, 1 + i % 12, 1 + i % 28), i % 3 == 0, i % 500};
}

void writeOurs(benchmark::State &state, bool batch)
{
    const QString path = benchPath("kulvera_bench_ours.dbf");
    ScriptedPrompter prompter;
    prompter.setDefaultAnswer(Prompter::Answer::Yes);
    QVariantList codes;
    for (int k = 0; k < 100; ++k)
        codes << QStringLiteral("A%1").arg(k, 5, 10, QLatin1Char('0'));
    for (auto _ : state) {
        removeTable(path);
        clsDBF db(prompter);
        db.CreateNewFile(path, 3, clsDBF::xDBFCharsetDOS866);
        db.CreateField(QStringLiteral("NAME"), u'C', 30);
        db.CreateField(QStringLiteral("CODE"), u'C', 10);
        db.CreateField(QStringLiteral("ID"), u'N', 10);
        db.CreateField(QStringLiteral("PRICE"), u'N', 12, 2);
        db.CreateField(QStringLiteral("MASS"), u'N', 10, 3);
        db.CreateField(QStringLiteral("DAY"), u'D');
        db.CreateField(QStringLiteral("FLAG"), u'L');
        db.CreateField(QStringLiteral("QTY"), u'N', 8);
        if (!db.SaveNewFile()) {
            state.SkipWithError("cannot create the table");
            return;
        }
        if (batch)
            db.BeginBatch();
        for (int i = 0; i < kRecords; ++i) {
            const Row r = rowAt(i);
            db.AddNew();
            db.SetFieldValue(0, names()[static_cast<size_t>(i % 8)]);
            db.SetFieldValue(1, codes[i % 100]);
            db.SetFieldValue(2, r.id);
            db.SetFieldValue(3, r.price);
            db.SetFieldValue(4, r.mass);
            db.SetFieldValue(5, r.day);
            db.SetFieldValue(6, r.flag);
            db.SetFieldValue(7, r.qty);
            if (!db.Update()) {
                state.SkipWithError("write failed");
                return;
            }
        }
        if (!db.CloseFile()) {
            state.SkipWithError("close failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_Kulvera_Write_Batch(benchmark::State &state)
{
    writeOurs(state, true);
}

void BM_Kulvera_Write_EachUpdate(benchmark::State &state)
{
    writeOurs(state, false);
}

void BM_Kulvera_Read(benchmark::State &state)
{
    const QString path = benchPath("kulvera_bench_ours.dbf");
    ScriptedPrompter prompter;
    double sink = 0;
    for (auto _ : state) {
        clsDBF db(prompter);
        if (!db.OpenFile(path) || db.RecordCount() != kRecords) {
            state.SkipWithError("run the write benchmark first");
            return;
        }
        for (db.MoveFirst(); !db.NoRecord(); db.MoveNext()) {
            sink += db.GetFieldValue(0)->toString().size();
            sink += db.GetFieldValue(1)->toString().size();
            sink += db.GetFieldValue(2)->toLongLong();
            sink += db.GetFieldValue(3)->toDouble();
            sink += db.GetFieldValue(4)->toDouble();
            sink += db.GetFieldValue(5)->toDate().day();
            sink += db.GetFieldValue(6)->toBool();
            sink += db.GetFieldValue(7)->toLongLong();
        }
    }
    benchmark::DoNotOptimize(sink);
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_Shapelib_Write(benchmark::State &state)
{
    const QByteArray path = QFile::encodeName(benchPath("kulvera_bench_shp.dbf"));
    std::array<QByteArray, 8> encoded;
    for (size_t k = 0; k < 8; ++k)
        encoded[k] = encodeCodePage(names()[k], CodePage::Cp866);
    std::array<QByteArray, 100> codes;
    for (int k = 0; k < 100; ++k)
        codes[static_cast<size_t>(k)] = QStringLiteral("A%1").arg(k, 5, 10, QLatin1Char('0')).toLatin1();
    for (auto _ : state) {
        std::remove(path.constData());
        DBFHandle h = DBFCreateEx(path.constData(), "LDID/101");
        if (!h) {
            state.SkipWithError("cannot create the table");
            return;
        }
        DBFAddField(h, "NAME", FTString, 30, 0);
        DBFAddField(h, "CODE", FTString, 10, 0);
        DBFAddField(h, "ID", FTInteger, 10, 0);
        DBFAddField(h, "PRICE", FTDouble, 12, 2);
        DBFAddField(h, "MASS", FTDouble, 10, 3);
        DBFAddField(h, "DAY", FTDate, 8, 0);
        DBFAddField(h, "FLAG", FTLogical, 1, 0);
        DBFAddField(h, "QTY", FTInteger, 8, 0);
        char date[16];
        for (int i = 0; i < kRecords; ++i) {
            const Row r = rowAt(i);
            DBFWriteStringAttribute(h, i, 0, encoded[static_cast<size_t>(i % 8)].constData());
            DBFWriteStringAttribute(h, i, 1, codes[static_cast<size_t>(i % 100)].constData());
            DBFWriteIntegerAttribute(h, i, 2, r.id);
            DBFWriteDoubleAttribute(h, i, 3, r.price);
            DBFWriteDoubleAttribute(h, i, 4, r.mass);
            std::snprintf(
                date, sizeof date, "%04d%02d%02d", r.day.year() % 10000, r.day.month() % 100, r.day.day() % 100);
            DBFWriteAttributeDirectly(h, i, 5, date);
            DBFWriteLogicalAttribute(h, i, 6, r.flag ? 'T' : 'F');
            DBFWriteIntegerAttribute(h, i, 7, r.qty);
        }
        DBFClose(h);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_Shapelib_Read(benchmark::State &state)
{
    const QByteArray path = QFile::encodeName(benchPath("kulvera_bench_shp.dbf"));
    double sink = 0;
    for (auto _ : state) {
        DBFHandle h = DBFOpen(path.constData(), "rb");
        if (!h || DBFGetRecordCount(h) != kRecords) {
            state.SkipWithError("run the write benchmark first");
            if (h)
                DBFClose(h);
            return;
        }
        for (int i = 0; i < kRecords; ++i) {
            // Text is decoded to the program's strings, as our engine does.
            sink += decodeCodePage(QByteArray(DBFReadStringAttribute(h, i, 0)), CodePage::Cp866).size();
            sink += decodeCodePage(QByteArray(DBFReadStringAttribute(h, i, 1)), CodePage::Cp866).size();
            sink += DBFReadIntegerAttribute(h, i, 2);
            sink += DBFReadDoubleAttribute(h, i, 3);
            sink += DBFReadDoubleAttribute(h, i, 4);
            const char *d = DBFReadStringAttribute(h, i, 5);
            sink += QDate(std::atoi(QByteArray(d, 4).constData()), std::atoi(QByteArray(d + 4, 2).constData()),
                std::atoi(QByteArray(d + 6, 2).constData()))
                        .day();
            sink += *DBFReadLogicalAttribute(h, i, 6) == 'T';
            sink += DBFReadIntegerAttribute(h, i, 7);
        }
        DBFClose(h);
    }
    benchmark::DoNotOptimize(sink);
    state.SetItemsProcessed(state.iterations() * kRecords);
}

BENCHMARK(BM_Kulvera_Write_Batch)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_Kulvera_Write_EachUpdate)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_Kulvera_Read)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_Shapelib_Write)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_Shapelib_Read)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    QFile::remove(benchPath("kulvera_bench_ours.dbf"));
    QFile::remove(benchPath("kulvera_bench_shp.dbf"));
    return 0;
}
