#include "CostingFixture.h"

#include "costing/NormBase.h"
#include "costing/NormFile.h"
#include "shell/SqlStatement.h"

#include <QDir>
#include <QFile>

namespace kulvera::test {
namespace {

class NormFileTest : public CostingBases
{
protected:
    NormBase norms() { return NormBase(bases.connections(), static_cast<int>(BaseId::Menu), bases.prompter()); }

    QString file(const QString &name) const { return QDir(bases.root()).filePath(name); }

    void writeBytes(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    int count(const QString &table)
    {
        SqlStatement q(db(BaseId::Menu), QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table));
        EXPECT_TRUE(q.exec());
        return q.next() ? q.value(0).toInt() : -1;
    }

    NormRecord sample()
    {
        NormRecord n;
        n.name = QStringLiteral("Мужчины");
        n.columns = {{QStringLiteral("Белки"), 65.5}, {QStringLiteral("C"), 90.0}, {QStringLiteral("ЭЦ"), 2500.0}};
        n.products.push_back({0, QStringLiteral("*Мясо"), QStringLiteral("10, 11"), 120.0});
        n.products.push_back({0, QStringLiteral("Хлеб"), QVariant(), 250.5});
        return n;
    }

    const QDateTime saved {QDate(2026, 3, 7), QTime(9, 5)};
};

// "[main]" … as code page 1251 bytes, written out by hand.
QByteArray goldenFile()
{
    QByteArray b;
    b += "[main]\r\nname=\xCC\xF3\xE6\xF7\xE8\xED\xFB\r\ndate_cr=07.03.2026\r\ntime_cr=09:05\r\nkv=Kulvera\r\n";
    b += "Major=5\r\nMinor=0\r\nRevision=0\r\nS=1697\r\ntype=fz\r\nversion=1\r\n\r\n";
    b += "[norm]\r\n\xCA\xEE\xE4=1\r\n\xC8\xEC\xFF=\xCC\xF3\xE6\xF7\xE8\xED\xFB\r\n"; // Код, Имя
    b += "\xC1\xE5\xEB\xEA\xE8=65,5\r\nC=90\r\n\xDD\xD6=2500\r\nID_Norm=1\r\n\r\n"; // Белки, C, ЭЦ
    b += "[prods]\r\nprodscount=2\r\n";
    b += "Group_Name_1=*\xCC\xFF\xF1\xEE\r\nCode_Prods_1=10, 11\r\nNorm_Prods_1=120\r\n";
    // A row's empty column is written empty, so the row comes back.
    b += "Group_Name_2=\xD5\xEB\xE5\xE1\r\nCode_Prods_2=\r\nNorm_Prods_2=250,5\r\n\r\n";
    return b;
}

TEST_F(NormFileTest, TheWrittenFileIsByteForByteTheLayout)
{
    const auto code = norms().insert(sample());
    ASSERT_TRUE(code);
    ASSERT_EQ(*code, 1);
    const auto stored = norms().loadByCode(*code);
    ASSERT_TRUE(stored);
    const QString path = file(QStringLiteral("m.fz"));
    ASSERT_TRUE(saveNormFile(*stored, path, saved, bases.prompter()));
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Файл 'm.fz' сохранен.")));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), goldenFile());
}

TEST_F(NormFileTest, AnExistingFileIsReplacedOnlyWhenTheUserAgrees)
{
    const QString path = file(QStringLiteral("m.fz"));
    writeBytes(path, "old");
    bases.prompter().expect(QStringLiteral("Файл 'm.fz' уже существует. Заменить имеющийся?"), Prompter::Answer::No);
    EXPECT_FALSE(saveNormFile(sample(), path, saved, bases.prompter()));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old"));
}

TEST_F(NormFileTest, ASavedAndReloadedFileMakesANewNormWithTheSameValuesAndRows)
{
    const auto first = norms().insert(sample());
    ASSERT_TRUE(first);
    const QString path = file(QStringLiteral("m.fz"));
    ASSERT_TRUE(saveNormFile(*norms().loadByCode(*first), path, saved, bases.prompter()));
    const auto second = importNormFile(norms(), path, bases.prompter());
    ASSERT_TRUE(second) << second.error().toStdString();
    EXPECT_NE(*second, *first);
    const auto a = norms().loadByCode(*first);
    const auto b = norms().loadByCode(*second);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(b->name, a->name);
    ASSERT_EQ(b->columns.size(), a->columns.size());
    for (std::size_t i = 0; i < a->columns.size(); ++i) {
        EXPECT_EQ(b->columns[i].first, a->columns[i].first);
        EXPECT_DOUBLE_EQ(b->columns[i].second.toDouble(), a->columns[i].second.toDouble());
    }
    ASSERT_EQ(b->products.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(b->products[i].groupName, a->products[i].groupName);
        EXPECT_EQ(b->products[i].codeProds.isNull(), a->products[i].codeProds.isNull());
        EXPECT_EQ(b->products[i].codeProds.toString(), a->products[i].codeProds.toString());
        EXPECT_DOUBLE_EQ(b->products[i].norm.toDouble(), a->products[i].norm.toDouble());
    }
}

TEST_F(NormFileTest, AProductRowLackingOneKeySkipsOnlyThatRow)
{
    QByteArray text = goldenFile();
    text.replace("prodscount=2", "prodscount=3");
    text.replace("Group_Name_2=", "Other_2=");
    text.replace(
        "Norm_Prods_2=250,5\r\n", "Norm_Prods_2=250,5\r\nGroup_Name_3=X\r\nCode_Prods_3=7\r\nNorm_Prods_3=5\r\n");
    writeBytes(file(QStringLiteral("p.fz")), text);
    const auto read = readNormFile(file(QStringLiteral("p.fz")));
    ASSERT_TRUE(read) << read.error().toStdString();
    ASSERT_EQ(read->products.size(), 2u);
    EXPECT_EQ(read->products[0].groupName.toString(), QStringLiteral("*Мясо"));
    EXPECT_EQ(read->products[1].groupName.toString(), QStringLiteral("X"));
}

TEST_F(NormFileTest, BadFilesAreRefusedWithTheirMessageAndLeaveNoNorm)
{
    const QByteArray good = goldenFile();
    QByteArray manyRows = good;
    manyRows.replace("prodscount=2", "prodscount=10000");
    QByteArray body;
    for (int i = 3; i <= 10000; ++i)
        body += QStringLiteral("Group_Name_%1=g\r\nCode_Prods_%1=1\r\nNorm_Prods_%1=1\r\n").arg(i).toLatin1();
    manyRows.insert(manyRows.size() - 2, body);
    QByteArray wrongNumber = good;
    wrongNumber.replace("C=90", "C=много");
    QByteArray wrongRowNumber = good;
    wrongRowNumber.replace("Norm_Prods_1=120", "Norm_Prods_1=12O");
    QByteArray noCount = good;
    noCount.replace("prodscount=2\r\n", "");
    const struct {
        QByteArray bytes;
        QString message;
    } cases[] = {
        {good.left(good.size() - 30), QStringLiteral("обрезан")},
        {good.mid(good.indexOf("[norm]")),
            QStringLiteral("Этот тип файла не поддерживается (не найден раздел - main).")},
        {QByteArray(good).replace("type=fz", "type=nd2"), QStringLiteral("Этот тип файла не поддерживается (nd2).")},
        {noCount, QStringLiteral("Этот тип файла не поддерживается (не найдено поле - prodscount)")},
        {wrongNumber, QStringLiteral("поля C не является числом")},
        {wrongRowNumber, QStringLiteral("поля Norm_Prods_1 не является числом")},
        {manyRows, QStringLiteral("допускается не более 1000")},
        {QByteArray(), QStringLiteral("обрезан")},
    };
    for (const auto &c : cases) {
        bases.prompter().clear();
        const QString path = file(QStringLiteral("bad.fz"));
        writeBytes(path, c.bytes);
        const auto imported = importNormFile(norms(), path, bases.prompter());
        EXPECT_FALSE(imported) << c.message.toStdString();
        EXPECT_TRUE(bases.prompter().saw(c.message)) << bases.prompter().transcript().toStdString();
        EXPECT_EQ(count(QStringLiteral("Norm")), 0);
        EXPECT_EQ(count(QStringLiteral("Norm_Prods")), 0);
    }
}

TEST_F(NormFileTest, ExportOfAllNormsWritesOneFileEachAndAsksBeforeClearingTheFolder)
{
    const QString folder = file(QStringLiteral("norms_save"));
    EXPECT_FALSE(exportAllNorms(norms(), folder, saved, bases.prompter()));
    EXPECT_TRUE(bases.prompter().saw(QStringLiteral("Нет физиологических норм потребления!")));
    ASSERT_TRUE(norms().insert(sample()));
    NormRecord other = sample();
    other.name = QStringLiteral("Женщины/18-29");
    ASSERT_TRUE(norms().insert(other));
    const auto written = exportAllNorms(norms(), folder, saved, bases.prompter());
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, 2);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2);
    bases.prompter().expect(QStringLiteral("содержит файлы. Очистить папку?"), Prompter::Answer::No);
    EXPECT_FALSE(exportAllNorms(norms(), folder, saved, bases.prompter()));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2);
}

} // namespace
} // namespace kulvera::test
