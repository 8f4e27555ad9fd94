#include "costing/chart/FulfilmentChart.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

// kulvera-cli started as a user starts it, on the demo kitchen, with no
// graphics platform named: the chart must still be drawn (headless).
struct DemoKitchenProcess {
    QTemporaryDir home;
    QString kitchen = home.filePath(QStringLiteral("kitchen"));
    QString out;
    QString err;

    int run(const QStringList &arguments, const QString &settingsFile)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("KULVERA_SETTINGS"), settingsFile);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KULVERA_CLI_PATH), arguments);
        if (!process.waitForFinished(120000))
            return -1;
        out = QString::fromUtf8(process.readAllStandardOutput());
        err = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

} // namespace

TEST(CliChart, AnalyseWritesTheFulfilmentChartWithOutOfRangeBarsInTheirColour)
{
    DemoKitchenProcess p;
    ASSERT_EQ(p.run({QStringLiteral("demo"), p.kitchen}, p.home.filePath(QStringLiteral("own.ini"))), 0)
        << p.err.toStdString();
    const QString settings = QDir(p.kitchen).filePath(QStringLiteral("Kulvera.ini"));
    const QString png = p.home.filePath(QStringLiteral("chart.png"));
    ASSERT_EQ(p.run({QStringLiteral("menus"), QStringLiteral("analyse"), QStringLiteral("--from"),
                        QStringLiteral("01.01.2000"), QStringLiteral("--to"), QStringLiteral("31.12.2099"),
                        QStringLiteral("--group"), QStringLiteral("Дети 7-11 лет"), QStringLiteral("--norm"),
                        QStringLiteral("Взрослые женщины — US RDA (IFCT 2017)"), QStringLiteral("--json"),
                        QStringLiteral("--png"), png},
                  settings),
        0)
        << p.err.toStdString();

    const QImage picture(png);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), FulfilmentChart::kDefaultSize);

    // The rows the picture was drawn from, as the statement printed them.
    std::vector<NutrientRow> rows;
    const QJsonArray nutrients
        = QJsonDocument::fromJson(p.out.toUtf8()).object().value(QStringLiteral("nutrients")).toArray();
    ASSERT_EQ(nutrients.size(), 20);
    for (const QJsonValue &v : nutrients) {
        NutrientRow r;
        r.name = v.toObject().value(QStringLiteral("name")).toString();
        if (!v.toObject().value(QStringLiteral("percent")).isNull())
            r.percent = v.toObject().value(QStringLiteral("percent")).toDouble();
        r.highlighted = v.toObject().value(QStringLiteral("highlighted")).toBool();
        rows.push_back(r);
    }
    const FulfilmentChart chart(rows);
    int out = 0;
    int in = 0;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const QRectF bar = chart.barRect(i, picture.rect());
        if (!rows[static_cast<std::size_t>(i)].percent || bar.width() < 3)
            continue;
        // A pixel inside the bar, clear of its edges and of the band.
        const QPoint inside(static_cast<int>(bar.left()) + 2, static_cast<int>(bar.center().y()));
        const QColor expected = rows[static_cast<std::size_t>(i)].highlighted ? FulfilmentChart::kOutOfRangeColor
                                                                              : FulfilmentChart::kInRangeColor;
        EXPECT_EQ(picture.pixelColor(inside), expected) << rows[static_cast<std::size_t>(i)].name.toStdString();
        (rows[static_cast<std::size_t>(i)].highlighted ? out : in) += 1;
    }
    EXPECT_GT(out, 0); // the demo's school lunches fall short of an adult's day
    // Between two bars the band shows.
    const QRectF band = chart.bandRect(picture.rect());
    const QRectF first = chart.barRect(0, picture.rect());
    const QRectF second = chart.barRect(1, picture.rect());
    if (!first.isNull() && !second.isNull()) {
        const QPoint between(
            static_cast<int>(band.left() + band.width() / 4), static_cast<int>((first.bottom() + second.top()) / 2));
        EXPECT_EQ(picture.pixelColor(between), FulfilmentChart::kBandColor);
    }
}
