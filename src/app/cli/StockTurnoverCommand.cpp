#include "StockTurnoverCommand.h"

#include "CliCommand.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "shell/SqlStatement.h"
#include "warehouse/StockTurnover.h"
#include "warehouse/WarehouseBase.h"
#include "warehouse/Warehouses.h"
#include "warehouse/chart/TurnoverChart.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kulvera {
namespace {

const QString kUsage = QStringLiteral("stock turnover --from D --to D [--warehouse W] [--no-movements] [--json] "
                                      "[--png FILE [--product P,...]]");

int usage(CliRun &run)
{
    run.err << "Usage: " << kUsage << '\n';
    return kExitUsage;
}

int failed(CliRun &run, const QString &error)
{
    run.err << error << '\n';
    return kExitFailed;
}

// A product of the report by key or by its name.
std::optional<qint64> reportProduct(const std::vector<TurnoverRow> &rows, const QString &text)
{
    bool isKey = false;
    const qint64 key = text.toLongLong(&isKey);
    for (const TurnoverRow &r : rows) {
        if (isKey ? r.product == key : r.name == text)
            return r.product;
    }
    return std::nullopt;
}

} // namespace

int stockTurnoverCommand(CliRun &run, WarehouseBase &base, const QStringList &args)
{
    QString from, to, warehouse, png, products;
    bool json = false;
    bool movements = true;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"--json") {
            json = true;
        } else if (a == u"--no-movements") {
            movements = false;
        } else if (i + 1 < args.size()
            && (a == u"--from" || a == u"--to" || a == u"--warehouse" || a == u"--png" || a == u"--product")) {
            const QString &v = args[++i];
            (a == u"--from"               ? from
                    : a == u"--to"        ? to
                    : a == u"--warehouse" ? warehouse
                    : a == u"--png"       ? png
                                          : products)
                = v;
        } else {
            return usage(run);
        }
    }
    if (from.isEmpty() || to.isEmpty() || (!products.isEmpty() && png.isEmpty()))
        return usage(run);
    const auto first = dateArgument(from);
    const auto last = dateArgument(to);
    if (!first || !last)
        return failed(run, QStringLiteral("Неверная дата: ") + (first ? to : from));
    TurnoverFilter filter {*first, *last, 0, movements};
    if (!warehouse.isEmpty()) {
        const auto w = Warehouses(base).findByNameOrKey(warehouse);
        if (!w)
            return failed(run, QStringLiteral("Склад не найден: ") + warehouse);
        filter.warehouse = w->key;
    }
    // The chart's fonts need a QGuiApplication (kulvera-cli makes one for --png).
    if (!png.isEmpty() && !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return failed(run, QStringLiteral("Рисунок не может быть нарисован без графической среды."));
    const auto rows = stockTurnover(base, filter);
    if (!rows)
        return failed(run, rows.error());
    if (json) {
        QJsonArray out;
        for (const TurnoverRow &r : *rows) {
            out.append(QJsonObject {{QStringLiteral("num_pp"), r.number}, {QStringLiteral("product"), r.product},
                {QStringLiteral("name"), r.name}, {QStringLiteral("unit"), r.unit},
                {QStringLiteral("St"), roundTo(r.start, 6)}, {QStringLiteral("Inc"), roundTo(r.incoming, 6)},
                {QStringLiteral("Out"), roundTo(r.outgoing, 6)}, {QStringLiteral("Fi"), roundTo(r.finish, 6)},
                {QStringLiteral("WS"), roundTo(r.current, 6)}});
        }
        run.out << QJsonDocument(out).toJson(QJsonDocument::Indented);
    } else {
        run.out << "Номер п/п\tКод продукта\tСырье\tЕд. изм.\tОстаток на " << formatTextDate(filter.from)
                << "\tПриход\tРасход\tОстаток на " << formatTextDate(filter.to) << "\tНа складе\n";
        for (const TurnoverRow &r : *rows) {
            run.out << r.number << '\t' << r.product << '\t' << r.name << '\t' << r.unit << '\t'
                    << formatFixed(r.start, 3) << '\t' << formatFixed(r.incoming, 3) << '\t'
                    << formatFixed(r.outgoing, 3) << '\t' << formatFixed(r.finish, 3) << '\t'
                    << formatFixed(r.current, 3) << '\n';
        }
    }
    if (png.isEmpty())
        return kExitOk;
    std::vector<qint64> chosen;
    QString title = QStringLiteral("Все продукты");
    if (!products.isEmpty()) {
        const QStringList names = products.split(u',', Qt::SkipEmptyParts);
        for (const QString &name : names) {
            const auto key = reportProduct(*rows, name.trimmed());
            if (!key)
                return failed(run, QStringLiteral("Продукта нет в отчете: ") + name);
            chosen.push_back(*key);
        }
        title = names.join(QStringLiteral(", "));
    } else {
        for (const TurnoverRow &r : *rows)
            chosen.push_back(r.product);
    }
    const auto weeks = weeklyTurnover(base, chosen, filter);
    if (!weeks)
        return failed(run, weeks.error());
    if (!TurnoverChart(title, *weeks).savePng(png))
        return failed(run, QStringLiteral("Не удалось записать файл: ") + png);
    return kExitOk;
}

} // namespace kulvera
