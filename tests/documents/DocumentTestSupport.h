#pragma once

#include "common/ScriptedPrompter.h"
#include "recipes/PositionKey.h"
#include "recipes/clsBludo.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

#include <gtest/gtest.h>

namespace kulvera::test {

inline QString toolPath()
{
    return QStringLiteral(KULVERA_DOCUMENT_TESTS_DIR "/xlsx_tool.py");
}

// Runs the independent tool (openpyxl, zipfile); fails the test when it fails.
inline QByteArray runTool(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), QStringList {toolPath()} + args);
    p.waitForFinished(180000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

// The first sheet of a workbook as openpyxl reads it.
struct Sheet {
    QJsonObject json;
    QJsonValue cell(const QString &address) const { return json[QStringLiteral("cells")][address]; }
    bool in(const char *list, const QJsonValue &v) const { return json[QLatin1String(list)].toArray().contains(v); }
    bool bold(const QString &a) const { return in("bold", a); }
    bool italic(const QString &a) const { return in("italic", a); }
    bool framed(const QString &a) const { return in("framed", a); }
    bool rowHidden(int row) const { return in("hidden_rows", row); }
    bool colHidden(int col) const { return in("hidden_cols", col); }
    double height(int row) const { return json[QStringLiteral("heights")][QString::number(row)].toDouble(); }
    QString format(const QString &a) const { return json[QStringLiteral("formats")][a].toString(); }
    QString name(const QString &n) const { return json[QStringLiteral("names")][n].toString(); }
};

inline Sheet readSheet(const QString &path)
{
    return {QJsonDocument::fromJson(runTool({QStringLiteral("dump"), path})).object()};
}

// A product position with its amounts in the net mass.
inline clsProds &addProduct(colBludo &slot, int parent, int item, const QString &name, double netto, double bel = 1)
{
    clsProds p;
    p.Kod = makeKey(kKeyProduct, parent, item).value();
    p.ID_Prod = QString::number(item);
    p.FullName = name;
    p.Brutto = netto * 1.25;
    p.Netto = netto;
    p.Bel = bel;
    p.Gir = netto * 0.05;
    p.MD = netto * 0.02;
    p.Kr = netto * 0.1;
    p.sv = netto * 0.3;
    return slot.Add(clsBludo(p))->clsProds();
}

inline clsProds &addSemiFinished(colBludo &slot, int item, const QString &name)
{
    clsProds p;
    p.Kod = makeKey(kKeySemiFinished, 0, item).value();
    p.FullName = name;
    return slot.Add(clsBludo(p))->clsProds();
}

// A recipe of `count` products of 10 g each.
inline void fillProducts(colBludo &slot, int count)
{
    for (int i = 1; i <= count; ++i)
        addProduct(slot, 0, i, QStringLiteral("Продукт ") + QString::number(i), 10);
}

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace kulvera::test
