// Filling a 52-position card from the default template, and beside it openpyxl
// doing load + modify + save of the same template (a Python child process
// timed from inside; its own figure is reported as a counter).
#include "common/ScriptedPrompter.h"
#include "documents/CardDocument.h"
#include "documents/DefaultTemplates.h"
#include "recipes/HeatTreatment.h"
#include "recipes/PositionKey.h"
#include "shell/SettingsStore.h"

#include <QDir>
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
        const auto made = produceCard(slot, QStringLiteral("Блюдо"), QStringLiteral("520"), request, losses, nullptr,
            f.settings, prompter);
        if (!made)
            state.SkipWithError(made.error().toStdString().c_str());
    }
}
BENCHMARK(BM_Card52FromTemplate)->Unit(benchmark::kMillisecond);

// openpyxl: the same template, 52 rows of name, gross, net and three
// recalculations, rows 66.. untouched; timed over 20 runs inside Python.
void BM_OpenpyxlSameWork(benchmark::State &state)
{
    Fixture f;
    const QString script = QStringLiteral(
        "import openpyxl,time,sys\n"
        "t=sys.argv[1];o=sys.argv[2];n=20\n"
        "s=time.perf_counter()\n"
        "for k in range(n):\n"
        "  wb=openpyxl.load_workbook(t);ws=wb.worksheets[0]\n"
        "  ws['C6']='Блюдо'\n"
        "  for i in range(52):\n"
        "    r=14+i;ws.cell(r,1,i+1);ws.cell(r,3,'Продукт %d'%(i+1));ws.cell(r,4,12);ws.cell(r,5,10)\n"
        "    ws.cell(r,6,0.1);ws.cell(r,7,0.2);ws.cell(r,8,0.3)\n"
        "    for c in range(1,9): ws.cell(r,c).number_format='0.00'\n"
        "  wb.save(o)\n"
        "print((time.perf_counter()-s)/n*1000)\n");
    double ms = 0;
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script,
                                                        QDir(f.templates).filePath(QStringLiteral("TTK.xlsx")),
                                                        f.dir.filePath(QStringLiteral("py.xlsx"))});
        p.waitForFinished(300000);
        ms = p.readAllStandardOutput().trimmed().toDouble();
        if (ms <= 0)
            state.SkipWithError("openpyxl is not available");
    }
    state.counters["openpyxl_ms_per_card"] = ms;
}
BENCHMARK(BM_OpenpyxlSameWork)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
