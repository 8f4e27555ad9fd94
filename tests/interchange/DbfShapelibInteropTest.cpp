// Files pass both ways between our engine and shapelib's DBF tools, an
// independent implementation installed from Debian.
#include "DbfTestSupport.h"

#include <QProcess>
#include <QStandardPaths>

using namespace kulvera;
using namespace kulvera::test;

namespace {

class DbfShapelibInterop : public DbfFixture
{
protected:
    void SetUp() override
    {
        for (const char *tool : {"dbfcreate", "dbfadd", "dbfdump"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << "shapelib tool " << tool << " is not installed";
    }

    // Runs a shell line; arguments with raw bytes go through printf so any code page survives.
    QByteArray run(const QByteArray &script)
    {
        QProcess p;
        p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromLatin1(script)});
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return p.readAllStandardOutput();
    }

    static QByteArray quoted(const QString &path) { return '\'' + path.toUtf8() + '\''; }
    static QByteArray printfArg(const QByteArray &bytes)
    {
        QByteArray escaped;
        for (const char c : bytes)
            escaped += '\\' + QByteArray::number(static_cast<unsigned char>(c), 8).rightJustified(3, '0');
        return "\"$(printf '" + escaped + "')\"";
    }
};

TEST_F(DbfShapelibInterop, TablesWrittenByShapelibAreReadInBothCodePages)
{
    const QString names[]
        = {QStringLiteral("Пирожок с капустой"), QStringLiteral("Ёжик, щавель"), QStringLiteral("plain")};
    for (const CodePage page : {CodePage::Cp866, CodePage::Cp1251}) {
        SCOPED_TRACE(page == CodePage::Cp866 ? "866" : "1251");
        const QString file = path(page == CodePage::Cp866 ? QStringLiteral("s866.dbf") : QStringLiteral("s1251.dbf"));
        QByteArray script = "dbfcreate " + quoted(file) + " -s NAME 30 -n QTY 10 2 -n K 5 0";
        for (int k = 0; k < 3; ++k)
            script += " && dbfadd " + quoted(file) + ' ' + printfArg(encodeCodePage(names[k], page)) + " -"
                + QByteArray::number(k) + ".25 " + QByteArray::number(k * 100);
        run(script);

        clsDBF db(prompter, &clock);
        // shapelib marks its files with language driver 87, which is not one of ours: name the page.
        ASSERT_TRUE(db.OpenFile(file, page).ok()) << db.ErrorDescription().toStdString();
        EXPECT_EQ(db.GetFileType(), u"FoxBASE+/dBASE III+, no memo");
        ASSERT_EQ(db.FieldsCount(), 3);
        ASSERT_EQ(db.RecordCount(), 3);
        EXPECT_EQ(db.GetFieldTypeForDAO(QStringLiteral("K")), dao::dbInteger);
        int i = 0;
        for (db.MoveFirst(); !db.NoRecord(); db.MoveNext(), ++i) {
            EXPECT_EQ(db.GetFieldValue(QStringLiteral("NAME"))->toString(), names[i]);
            EXPECT_DOUBLE_EQ(db.GetFieldValue(QStringLiteral("QTY"))->toDouble(), -(i + 0.25));
            EXPECT_EQ(db.GetFieldValue(QStringLiteral("K"))->toInt(), i * 100);
        }
        EXPECT_EQ(i, 3);
    }
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.transcript().toStdString();
}

TEST_F(DbfShapelibInterop, TablesWeWriteAreReadByShapelib)
{
    const QString names[]
        = {QStringLiteral("Котлета рубленая"), QStringLiteral("Щи «суточные»"), QStringLiteral("Ёрш")};
    for (const int mark : {int(clsDBF::xDBFCharsetDOS866), int(clsDBF::xDBFCharsetANSI)}) {
        SCOPED_TRACE(mark);
        const CodePage page = mark == clsDBF::xDBFCharsetANSI ? CodePage::Cp1251 : CodePage::Cp866;
        const QString file = path(QStringLiteral("ours%1.dbf").arg(mark));
        {
            clsDBF db(prompter, &clock);
            create(db, QStringLiteral("ours%1.dbf").arg(mark), 3, mark);
            ASSERT_TRUE(db.CreateField(QStringLiteral("NAME"), u'C', 24).ok());
            ASSERT_TRUE(db.CreateField(QStringLiteral("PRICE"), u'N', 12, 2).ok());
            ASSERT_TRUE(db.CreateField(QStringLiteral("CODE"), u'N', 6).ok());
            ASSERT_TRUE(db.SaveNewFile().ok());
            int k = 0;
            for (const QString &name : names) {
                ASSERT_TRUE(db.AddNew().ok());
                ASSERT_TRUE(db.SetFieldValue(0, name).ok());
                ASSERT_TRUE(db.SetFieldValue(1, 10.5 * (k + 1)).ok());
                ASSERT_TRUE(db.SetFieldValue(2, k++).ok());
                ASSERT_TRUE(db.Update().ok());
            }
        }
        const QByteArray header = run("dbfdump -h " + quoted(file));
        EXPECT_TRUE(header.contains("Field 0: Type=C/String, Title=`NAME', Width=24, Decimals=0"))
            << header.toStdString();
        EXPECT_TRUE(header.contains("Field 1: Type=N/Double, Title=`PRICE', Width=12, Decimals=2"));
        EXPECT_TRUE(header.contains("Field 2: Type=N/Integer, Title=`CODE', Width=6, Decimals=0"));
        const QList<QByteArray> lines = run("dbfdump -m " + quoted(file)).split('\n');
        QByteArrayList values;
        for (const QByteArray &line : lines)
            if (line.contains(':') && !line.startsWith("Record"))
                values << line.mid(line.indexOf(':') + 1).trimmed();
        ASSERT_EQ(values.size(), 9) << lines.join('\n').toStdString();
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(values[i * 3], encodeCodePage(names[i], page));
            EXPECT_EQ(values[i * 3 + 1].toDouble(), 10.5 * (i + 1));
            EXPECT_EQ(values[i * 3 + 2].toInt(), i);
        }
    }
}

} // namespace
