#include "research/Laboratory.h"

#include "research/ProtocolGrid.h"
#include "research/ProtocolStore.h"
#include "support/TempBases.h"

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::Laboratory;
using kulvera::test::TempBases;

namespace {

struct Protocols {
    TempBases bases;
    Laboratory lab;
    std::unique_ptr<ProtocolStore> store;

    Protocols()
    {
        EXPECT_NE(bases.create(BaseId::Protocols), Connections::kFailed);
        store = std::make_unique<ProtocolStore>(bases.connections().database(BaseId::Protocols), &bases.errorLog());
    }
    Protocol pilaf(const QDate &date = QDate(2026, 12, 4)) const
    {
        Protocol p;
        p.dish = QStringLiteral("Плов из курицы");
        p.collection = QStringLiteral("Base1");
        p.output = QStringLiteral("220");
        p.date = date;
        p.note = QStringLiteral("проба с раздачи");
        addMethods(p, lab.catalog, {Laboratory::Dry, Laboratory::Fat, Laboratory::Ratio});
        lab.measure(p);
        Laboratory::dishOf(p);
        return p;
    }
    int rows(const QString &table)
    {
        QSqlQuery q(bases.connections().database(BaseId::Protocols));
        q.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table);
        return q.next() ? q.value(0).toInt() : -1;
    }
};

std::vector<std::array<QString, ProtocolColumnCount>> cellsOf(const Protocol &p)
{
    std::vector<std::array<QString, ProtocolColumnCount>> cells;
    for (const ProtocolGridRow &r : protocolGrid(p, p.calculate()))
        cells.push_back(r.cells);
    return cells;
}

} // namespace

TEST(ProtocolStore, ASavedProtocolReopensWithTheSameGridWhateverTheMethodsBaseDoesLater)
{
    Protocols t;
    Protocol p = t.pilaf();
    p.values[t.lab.x].first = QStringLiteral("34,5"); // the ratio lacks its second value
    const auto before = cellsOf(p);
    ASSERT_TRUE(t.store->save(p));
    EXPECT_GT(p.id, 0);
    EXPECT_EQ(p.number, QStringLiteral("1"));

    // The laboratory rewrites its formulas afterwards: the protocol keeps its own.
    t.lab.catalog.methods[0].formula = QStringLiteral("m2*2");
    const Result<Protocol> reopened = t.store->load(p.id);
    ASSERT_TRUE(reopened) << reopened.error().toStdString();
    EXPECT_EQ(cellsOf(*reopened), before);
    EXPECT_EQ(reopened->dish, p.dish);
    EXPECT_EQ(reopened->collection, QStringLiteral("Base1"));
    EXPECT_EQ(reopened->output, QStringLiteral("220"));
    EXPECT_EQ(reopened->date, QDate(2026, 12, 4));
    EXPECT_EQ(reopened->note, p.note);
    EXPECT_EQ(reopened->methodIds(), p.methodIds());
    // The missing value stays missing; typed commas and points read back alike.
    EXPECT_TRUE(reopened->values.value(t.lab.x).second.isEmpty());
    EXPECT_EQ(reopened->values.value(t.lab.m2).second, QStringLiteral("19,65"));
    // The problem of the ratio was kept with its method row.
    QSqlQuery q(t.bases.connections().database(BaseId::Protocols));
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT Problem, Average, Deviation FROM prot_methods ORDER BY Npp")));
    ASSERT_TRUE(q.next());
    EXPECT_DOUBLE_EQ(q.value(1).toDouble(), 32.5);
    EXPECT_NEAR(q.value(2).toDouble(), 8.3333, 1e-4);
    ASSERT_TRUE(q.next() && q.next());
    EXPECT_TRUE(q.value(0).toString().contains(u"второго опыта")) << q.value(0).toString().toStdString();
    EXPECT_TRUE(q.value(1).isNull());
}

TEST(ProtocolStore, SavingAgainReplacesTheRowsAndNumbersFollowTheLargest)
{
    Protocols t;
    Protocol first = t.pilaf(QDate(2026, 12, 1));
    ASSERT_TRUE(t.store->save(first));
    const int valueRows = t.rows(QStringLiteral("results"));
    EXPECT_EQ(valueRows, 6);
    EXPECT_EQ(t.rows(QStringLiteral("prot_methods")), 3);

    removeMethod(first, Laboratory::Ratio);
    first.values[t.lab.a].first = QStringLiteral("1,5");
    ASSERT_TRUE(t.store->save(first));
    EXPECT_EQ(t.rows(QStringLiteral("results")), 5);
    EXPECT_EQ(t.rows(QStringLiteral("prot_methods")), 2);
    EXPECT_EQ(t.store->load(first.id)->values.value(t.lab.a).first, QStringLiteral("1,5"));
    EXPECT_EQ(first.number, QStringLiteral("1"));

    Protocol typed = t.pilaf(QDate(2026, 12, 3));
    typed.number = QStringLiteral("17");
    ASSERT_TRUE(t.store->save(typed));
    Protocol next = t.pilaf(QDate(2026, 12, 2));
    ASSERT_TRUE(t.store->save(next));
    EXPECT_EQ(next.number, QStringLiteral("18"));

    const auto listed = t.store->list();
    ASSERT_TRUE(listed);
    ASSERT_EQ(listed->size(), 3u);
    EXPECT_EQ((*listed)[0].number, QStringLiteral("17")); // newest first
    EXPECT_EQ((*listed)[1].number, QStringLiteral("18"));
    EXPECT_EQ((*listed)[2].methods, 2);
    EXPECT_EQ((*listed)[2].dish, QStringLiteral("Плов из курицы"));
}

TEST(ProtocolStore, BadValuesAndAMissingDateChangeNothing)
{
    Protocols t;
    Protocol p = t.pilaf();
    ASSERT_TRUE(t.store->save(p));
    Protocol changed = p;
    changed.values[t.lab.m0].first = QStringLiteral("18 г");
    changed.note = QStringLiteral("не сохранится");
    const Status s = t.store->save(changed);
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error(), QStringLiteral("Значение показателя 'Масса бюксы' не является числом: 18 г"));
    EXPECT_EQ(t.store->load(p.id)->note, p.note);
    EXPECT_EQ(changed.id, p.id);

    Protocol undated = t.pilaf();
    undated.date = {};
    EXPECT_FALSE(t.store->save(undated));
    EXPECT_EQ(undated.id, 0);
    EXPECT_EQ(t.rows(QStringLiteral("protocols")), 1);
    EXPECT_FALSE(t.store->load(999));
}

TEST(ProtocolStore, DeletingAsksFirstAndTakesEveryRowOfTheProtocol)
{
    Protocols t;
    Protocol kept = t.pilaf();
    Protocol gone = t.pilaf(QDate(2026, 12, 5));
    ASSERT_TRUE(t.store->save(kept));
    ASSERT_TRUE(t.store->save(gone));
    const ProtocolSummary line = t.store->list()->front();
    ASSERT_EQ(line.id, gone.id);
    const QString question = QStringLiteral("Удалить протокол № 2 от 05.12.2026 (Плов из курицы)?");
    EXPECT_EQ(deleteProtocolQuestion(line), question);

    ScriptedPrompter &prompter = t.bases.prompter();
    prompter.expect(question, Prompter::Answer::No);
    EXPECT_FALSE(deleteProtocol(*t.store, line, prompter));
    EXPECT_EQ(t.rows(QStringLiteral("protocols")), 2);

    prompter.expect(question, Prompter::Answer::Yes);
    EXPECT_TRUE(deleteProtocol(*t.store, line, prompter));
    EXPECT_EQ(t.rows(QStringLiteral("protocols")), 1);
    EXPECT_EQ(t.rows(QStringLiteral("results")), 6);
    EXPECT_EQ(t.rows(QStringLiteral("prot_methods")), 3);
    EXPECT_TRUE(t.store->load(kept.id));
    EXPECT_TRUE(prompter.unexpected().isEmpty());
    // Deleting it twice is refused, not reported as done.
    EXPECT_FALSE(t.store->remove(gone.id));
}
