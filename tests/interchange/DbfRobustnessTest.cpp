#include "DbfTestSupport.h"

#include "interchange/DbfCodec.h"

using namespace kulvera;
using namespace kulvera::test;

namespace {

class DbfRobustness : public DbfFixture
{
protected:
    // A small valid table with every kind of field a reader decodes.
    QByteArray sample(int type, const QString &file)
    {
        clsDBF db(prompter, &clock);
        create(db, file, type);
        EXPECT_TRUE(db.CreateField(QStringLiteral("NAME"), u'C', 8).ok());
        EXPECT_TRUE(db.CreateField(QStringLiteral("QTY"), u'N', 7, 2).ok());
        EXPECT_TRUE(db.CreateField(QStringLiteral("DAY"), u'D').ok());
        EXPECT_TRUE(db.CreateField(QStringLiteral("OK"), u'L').ok());
        if (type != 3) {
            EXPECT_TRUE(db.CreateField(QStringLiteral("NOTE"), u'M').ok());
        }
        EXPECT_TRUE(db.SaveNewFile().ok());
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(db.AddNew().ok());
            EXPECT_TRUE(db.SetFieldValue(0, QStringLiteral("Хлеб %1").arg(i)).ok());
            EXPECT_TRUE(db.SetFieldValue(1, i * 1.25).ok());
            EXPECT_TRUE(db.SetFieldValue(2, QDate(2020, 1, i + 1)).ok());
            EXPECT_TRUE(db.SetFieldValue(3, i % 2 == 0).ok());
            if (type != 3) {
                EXPECT_TRUE(db.SetFieldValue(4, QStringLiteral("заметка %1").arg(i)).ok());
            }
            EXPECT_TRUE(db.Update().ok());
        }
        EXPECT_TRUE(db.CloseFile().ok());
        return readAll(path(file));
    }

    // Opens and reads every value; returns whether the open succeeded. A
    // refusal must come with a message; reading must never crash.
    bool openAndReadAll(const QString &file)
    {
        prompter.clear();
        clsDBF db(prompter, &clock);
        if (!db.OpenFile(path(file)).ok()) {
            EXPECT_FALSE(db.ErrorDescription().isEmpty());
            EXPECT_FALSE(prompter.shown().empty());
            return false;
        }
        for (db.MoveFirst(); !db.NoRecord(); db.MoveNext())
            for (int f = 0; f < db.FieldsCount(); ++f)
                (void)db.GetFieldValue(f);
        return true;
    }
};

TEST_F(DbfRobustness, EveryTruncationIsRefusedCleanly)
{
    for (const int type : {3, 48}) {
        SCOPED_TRACE(type);
        const QByteArray full = sample(type, QStringLiteral("full%1.dbf").arg(type));
        const int hl = dbf::readLE16(full.constData() + 8);
        const int rl = dbf::readLE16(full.constData() + 10);
        ASSERT_EQ(full.size(), hl + 3 * rl + 1);
        for (qsizetype cut = 0; cut < full.size(); ++cut) {
            writeAll(path(QStringLiteral("cut.dbf")), full.left(cut));
            const bool opened = openAndReadAll(QStringLiteral("cut.dbf"));
            // Only the missing end mark after the last record is harmless: every record is still there.
            EXPECT_EQ(opened, cut == full.size() - 1) << "cut at " << cut;
        }
    }
}

TEST_F(DbfRobustness, FlippedHeaderBytesNeverCrashAndLiesAreRefused)
{
    const QByteArray full = sample(3, QStringLiteral("full.dbf"));
    const int hl = dbf::readLE16(full.constData() + 8);
    for (int at = 0; at < hl; ++at) {
        for (const unsigned char mask : {0x01, 0x80, 0xFF}) {
            QByteArray bytes = full;
            bytes[at] = char(bytes[at] ^ mask);
            writeAll(path(QStringLiteral("flip.dbf")), bytes);
            const bool opened = openAndReadAll(QStringLiteral("flip.dbf"));
            // An unknown type, more records than the file holds, other lengths, a
            // missing terminator and field sizes that disagree are refused.
            const int offset = (at - 32) % 32;
            const bool inDescriptor = at >= 32 && at < hl - 1;
            const bool mustRefuse = (at == 0 && !dbf::fileTypeName(static_cast<unsigned char>(bytes[0])))
                || (at >= 4 && at <= 7 && dbf::readLE32(bytes.constData() + 4) > 3) || (at >= 8 && at <= 11)
                || at == hl - 1 || (inDescriptor && offset == 16) || (inDescriptor && offset == 17 && at < 64);
            if (mustRefuse) {
                EXPECT_FALSE(opened) << "byte " << at << " mask " << int(mask);
            }
        }
    }
}

TEST_F(DbfRobustness, MemoFileThatLiesIsReportedPerValue)
{
    sample(245, QStringLiteral("m.dbf"));
    QByteArray memo = readAll(path(QStringLiteral("m.fpt")));
    ASSERT_GT(memo.size(), 512);
    // Block size 0 in the header: the memo file is refused, the table still opens.
    QByteArray zeroBlock = memo;
    zeroBlock[6] = 0;
    zeroBlock[7] = 0;
    writeAll(path(QStringLiteral("m.fpt")), zeroBlock);
    {
        clsDBF db(prompter, &clock);
        ASSERT_TRUE(db.OpenFile(path(QStringLiteral("m.dbf"))).ok());
        ASSERT_TRUE(db.MoveFirst().ok());
        EXPECT_EQ(db.GetFieldValue(0)->toString(), u"Хлеб 0");
        EXPECT_FALSE(db.GetFieldValue(4).ok());
    }
    // A memo length far past the end of the file.
    QByteArray longLength = memo;
    longLength[512 + 4] = char(0x7F);
    writeAll(path(QStringLiteral("m.fpt")), longLength);
    {
        clsDBF db(prompter, &clock);
        ASSERT_TRUE(db.OpenFile(path(QStringLiteral("m.dbf"))).ok());
        ASSERT_TRUE(db.MoveFirst().ok());
        EXPECT_FALSE(db.GetFieldValue(4).ok());
        EXPECT_TRUE(db.ErrorDescription().contains(u"поврежден"));
        ASSERT_TRUE(db.MoveNext().ok());
        EXPECT_EQ(db.GetFieldValue(4)->toString(), u"заметка 1");
    }
    // Every truncation of the memo file.
    for (qsizetype cut = 0; cut < memo.size(); cut += 7) {
        writeAll(path(QStringLiteral("m.fpt")), memo.left(cut));
        openAndReadAll(QStringLiteral("m.dbf"));
    }
}

TEST_F(DbfRobustness, RecordLengthThatDisagreesWithTheFields)
{
    QByteArray bytes = sample(3, QStringLiteral("r.dbf"));
    dbf::writeLE16(bytes.data() + 10, 30);
    writeAll(path(QStringLiteral("r.dbf")), bytes);
    clsDBF db(prompter, &clock);
    EXPECT_FALSE(db.OpenFile(path(QStringLiteral("r.dbf"))).ok());
    EXPECT_EQ(db.ErrorDescription(),
        u"Указанная в заголовке файла длина записи (30) отличается от расчетной (25) !\nПроцедура прервана.");
    EXPECT_EQ(prompter.shown().back().title, u"Контроль структуры файла.");

    EXPECT_FALSE(db.OpenFile(QString()).ok());
    EXPECT_EQ(db.ErrorDescription(), u"Не указан путь к файлу!");
    EXPECT_FALSE(db.OpenFile(path(QStringLiteral("none.dbf"))).ok());
    EXPECT_EQ(db.ErrorDescription(),
        QStringLiteral("Файл ") + path(QStringLiteral("none.dbf")) + QStringLiteral(" не найден!"));

    QByteArray noTerminator = sample(3, QStringLiteral("t.dbf"));
    noTerminator[dbf::readLE16(noTerminator.constData() + 8) - 1] = ' ';
    writeAll(path(QStringLiteral("t.dbf")), noTerminator);
    EXPECT_FALSE(db.OpenFile(path(QStringLiteral("t.dbf"))).ok());
    EXPECT_EQ(db.ErrorDescription(),
        QStringLiteral("Файл ") + path(QStringLiteral("t.dbf")) + QStringLiteral(" имеет неправильную структуру!"));
}

TEST_F(DbfRobustness, UnknownFieldTypeIsReadAsBytes)
{
    QByteArray bytes = sample(3, QStringLiteral("u.dbf"));
    bytes[32 + 32 * 3 + 11] = 'P'; // the logical field becomes a type we do not know
    writeAll(path(QStringLiteral("u.dbf")), bytes);
    clsDBF db(prompter, &clock);
    ASSERT_TRUE(db.OpenFile(path(QStringLiteral("u.dbf"))).ok());
    EXPECT_TRUE(prompter.saw(
        QStringLiteral("Тип поля \"OK\" не опознан! Работать с таким полем можно с помощью байтового массива.")));
    EXPECT_TRUE(db.GetFieldIsBinary(3));
    ASSERT_TRUE(db.MoveFirst().ok());
    EXPECT_EQ(db.GetFieldValue(3)->toByteArray(), QByteArray("T"));
}

} // namespace
