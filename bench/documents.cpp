// Filling a 52-position card from the default template, and beside it openpyxl
// doing load + modify + save of the same template (a Python child process
// timed from inside; its own figures are reported as counters). Both write
// into the same temporary folder. Our save syncs the file to disk before
// renaming it over the old one (QSaveFile); openpyxl does not, so the run
// also gives our card without the disk write, the two ways of writing the
// same bytes, and openpyxl followed by a sync of its file.
#include "common/ScriptedPrompter.h"
#include "documents/CardDocument.h"
#include "documents/CardWriter.h"
#include "documents/DefaultTemplates.h"
#include "documents/TemplateFiles.h"
#include "recipes/HeatTreatment.h"
#include "recipes/PositionKey.h"
#include "shell/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace kulvera;

namespace {

struct Fixture {
    QTemporaryDir dir;
    SettingsStore settings {dir.filePath(QStringLiteral("s.ini"))};
    QString templates = dir.filePath(QStringLiteral("t"));
    Fixture() { createMissingTemplates(templates, settings); }
};

colBludo recipe52()
{
    colBludo slot;
    for (int i = 1; i <= 52; ++i) {
        clsProds p;
        p.Kod = makeKey(kKeyProduct, 0, i).value();
        p.FullName = QStringLiteral("Продукт ") + QString::number(i);
        p.Brutto = 12;
        p.Netto = 10;
        p.Bel = 1;
        p.Gir = 0.5;
        p.MD = 0.2;
        p.Kr = 1;
        slot.Add(clsBludo(p));
    }
    return slot;
}

void BM_Card52FromTemplate(benchmark::State &state)
{
    Fixture f;
    HeatTreatmentTables losses;
    ScriptedPrompter prompter;
    CardRequest request;
    request.templatesFolder = f.templates;
    request.outputPath = f.dir.filePath(QStringLiteral("card.xlsx"));
    for (auto _ : state) {
        colBludo slot = recipe52();
        const auto made = produceCard(
            slot, QStringLiteral("Блюдо"), QStringLiteral("520"), request, losses, nullptr, f.settings, prompter);
        if (!made)
            state.SkipWithError(made.error().toStdString().c_str());
    }
}
BENCHMARK(BM_Card52FromTemplate)->Unit(benchmark::kMillisecond);

// The same card up to its bytes in memory: template read, values computed and
// written, package zipped; no disk write.
void BM_Card52InMemory(benchmark::State &state)
{
    Fixture f;
    HeatTreatmentTables losses;
    ScriptedPrompter prompter;
    const CardLayout layout = CardLayout::fromSettings(f.settings);
    const CardFormats formats = CardFormats::fromSettings(f.settings);
    const QString path = *findTemplate(f.templates, templateSetting(f.settings, cardTemplateKey(1)));
    for (auto _ : state) {
        colBludo slot = recipe52();
        Result<XlsxWorkbook> book = XlsxWorkbook::open(path);
        const Result<CardData> card = buildCardData(slot, QStringLiteral("Блюдо"), QStringLiteral("520"),
            layout.tableRows(), losses, nullptr, f.settings, prompter);
        SheetWriter out(book.value());
        fillFixedCard(out, *card, layout, formats);
        const Result<QByteArray> bytes = book->toBytes();
        benchmark::DoNotOptimize(bytes->size());
    }
}
BENCHMARK(BM_Card52InMemory)->Unit(benchmark::kMillisecond);

// The work openpyxl is timed on below, and nothing more: the card's values are
// known beforehand; the template is opened, the card written and the file
// saved (temporary file and rename, as every document is saved).
void BM_Card52FillAndSave(benchmark::State &state)
{
    Fixture f;
    HeatTreatmentTables losses;
    ScriptedPrompter prompter;
    const CardLayout layout = CardLayout::fromSettings(f.settings);
    const CardFormats formats = CardFormats::fromSettings(f.settings);
    const QString path = *findTemplate(f.templates, templateSetting(f.settings, cardTemplateKey(1)));
    colBludo slot = recipe52();
    const Result<CardData> card = buildCardData(slot, QStringLiteral("Блюдо"), QStringLiteral("520"),
        layout.tableRows(), losses, nullptr, f.settings, prompter);
    const QString output = f.dir.filePath(QStringLiteral("filled.xlsx"));
    for (auto _ : state) {
        Result<XlsxWorkbook> book = XlsxWorkbook::open(path);
        SheetWriter out(book.value());
        fillFixedCard(out, *card, layout, formats);
        if (const Status saved = book->save(output); !saved)
            state.SkipWithError(saved.error().toStdString().c_str());
    }
}
BENCHMARK(BM_Card52FillAndSave)->Unit(benchmark::kMillisecond);

QByteArray cardBytes(Fixture &f)
{
    HeatTreatmentTables losses;
    ScriptedPrompter prompter;
    CardRequest request;
    request.templatesFolder = f.templates;
    request.outputPath = f.dir.filePath(QStringLiteral("bytes.xlsx"));
    colBludo slot = recipe52();
    produceCard(slot, QStringLiteral("Блюдо"), QStringLiteral("520"), request, losses, nullptr, f.settings, prompter);
    QFile file(request.outputPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writing the card's bytes as the program does: temporary file, sync, rename.
void BM_WriteSyncedAndRenamed(benchmark::State &state)
{
    Fixture f;
    const QByteArray bytes = cardBytes(f);
    const QString path = f.dir.filePath(QStringLiteral("synced.xlsx"));
    for (auto _ : state)
        saveFileAtomically(path, bytes);
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_WriteSyncedAndRenamed)->Unit(benchmark::kMillisecond);

// The same bytes written as openpyxl writes them: straight into the file.
void BM_WritePlain(benchmark::State &state)
{
    Fixture f;
    const QByteArray bytes = cardBytes(f);
    const QString path = f.dir.filePath(QStringLiteral("plain.xlsx"));
    for (auto _ : state) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
    }
}
BENCHMARK(BM_WritePlain)->Unit(benchmark::kMillisecond);

// openpyxl: the same template, 52 rows of name, gross, net and three
// recalculations, rows 66.. untouched; timed over 20 runs inside Python.
void BM_OpenpyxlSameWork(benchmark::State &state)
{
    Fixture f;
    const QString script
        = QStringLiteral("import openpyxl,time,sys\n"
                         "import os\n"
                         "t=sys.argv[1];o=sys.argv[2];n=20\n"
                         "def card(sync):\n"
                         "  wb=openpyxl.load_workbook(t);ws=wb.worksheets[0]\n"
                         "  ws['C6']='Блюдо'\n"
                         "  for i in range(52):\n"
                         "    r=14+i;ws.cell(r,1,i+1);ws.cell(r,3,'Продукт %d'%(i+1));ws.cell(r,4,12);ws.cell(r,5,10)\n"
                         "    ws.cell(r,6,0.1);ws.cell(r,7,0.2);ws.cell(r,8,0.3)\n"
                         "    for c in range(1,9): ws.cell(r,c).number_format='0.00'\n"
                         "  wb.save(o)\n"
                         "  if sync:\n"
                         "    fd=os.open(o,os.O_RDONLY);os.fsync(fd);os.close(fd)\n"
                         "out=[]\n"
                         "for sync in (False,True):\n"
                         "  s=time.perf_counter()\n"
                         "  for k in range(n): card(sync)\n"
                         "  out.append((time.perf_counter()-s)/n*1000)\n"
                         "print(out[0],out[1])\n");
    double ms = 0;
    double synced = 0;
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"), script, QDir(f.templates).filePath(QStringLiteral("TTK.xlsx")),
                f.dir.filePath(QStringLiteral("py.xlsx"))});
        p.waitForFinished(300000);
        const QList<QByteArray> figures = p.readAllStandardOutput().trimmed().split(' ');
        ms = figures.value(0).toDouble();
        synced = figures.value(1).toDouble();
        if (ms <= 0)
            state.SkipWithError("openpyxl is not available");
    }
    state.counters["openpyxl_ms_per_card"] = ms;
    state.counters["openpyxl_synced_ms_per_card"] = synced;
}
BENCHMARK(BM_OpenpyxlSameWork)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
