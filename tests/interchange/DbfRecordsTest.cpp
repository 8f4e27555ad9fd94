#include "DbfTestSupport.h"

#include "interchange/DbfCodec.h"

using namespace kulvera;
using namespace kulvera::test;

namespace {

class DbfRecords : public DbfFixture
{
};

TEST_F(DbfRecords, ValuesOfEveryTypeRoundTrip)
{
    const QDateTime moment(QDate(2024, 2, 29), QTime(13, 45, 7, 250));
    {
        clsDBF db(prompter, &clock);
        create(db, QStringLiteral("all.dbf"), 48, clsDBF::xDBFCharsetANSI);
        ASSERT_TRUE(db.CreateField(QStringLiteral("C"), u'C', 12).ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("N"), u'N', 10, 3).ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("NI"), u'N', 6).ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("F"), u'F', 12, 4).ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("D"), u'D').ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("T"), u'T').ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("L"), u'L').ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("I"), u'I').ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("B"), u'B').ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("Y"), u'Y').ok());
        ASSERT_TRUE(db.SaveNewFile().ok());
        ASSERT_TRUE(db.AddNew().ok());
        ASSERT_TRUE(db.SetFieldValue(QStringLiteral("C"), QStringLiteral("Борщ")).ok());
        ASSERT_TRUE(db.SetFieldValue(QStringLiteral("N"), QStringLiteral("12,3456")).ok()); // rounds half away
        ASSERT_TRUE(db.SetFieldValue(QStringLiteral("NI"), -42).ok());
        ASSERT_TRUE(db.SetFieldValue(QStringLiteral("F"), 1.00005).ok());
        ASSERT_TRUE(db.SetFieldValue(QStringLiteral("D"), QStringLiteral("05.03.2021")).ok());
        ASSERT_TRUE(db.SetFieldValue(QStringLiteral("T"), moment).ok());
        ASSERT_TRUE(db.SetFieldValue(QStringLiteral("L"), true).ok());
        ASSERT_TRUE(db.SetFieldValue(QStringLiteral("I"), -2147483647 - 1).ok());
        ASSERT_TRUE(db.SetFieldValue(QStringLiteral("B"), 0.1).ok());
        ASSERT_TRUE(db.SetFieldValue(QStringLiteral("Y"), 12.3456).ok());
        ASSERT_TRUE(db.Update().ok());
    }
    const QByteArray bytes = readAll(path(QStringLiteral("all.dbf")));
    const int hl = dbf::readLE16(bytes.constData() + 8);
    EXPECT_EQ(bytes.mid(hl + 1 + 12, 10), QByteArray("    12.346"));
    EXPECT_EQ(bytes.mid(hl + 1 + 12 + 10 + 6 + 12, 8), QByteArray("20210305"));
    EXPECT_EQ(bytes.back(), '\x1A');

    clsDBF db(prompter, &clock);
    ASSERT_TRUE(db.OpenFile(path(QStringLiteral("all.dbf"))).ok());
    ASSERT_TRUE(db.MoveFirst().ok());
    EXPECT_EQ(db.Value(QStringLiteral("C"))->toString(), u"Борщ");
    EXPECT_DOUBLE_EQ(db.Value(QStringLiteral("N"))->toDouble(), 12.346);
    EXPECT_EQ(db.Value(QStringLiteral("NI"))->toLongLong(), -42);
    EXPECT_DOUBLE_EQ(db.Value(QStringLiteral("F"))->toDouble(), 1.0001);
    EXPECT_EQ(db.Value(QStringLiteral("D"))->toDate(), QDate(2021, 3, 5));
    EXPECT_EQ(db.Value(QStringLiteral("T"))->toDateTime(), moment);
    EXPECT_TRUE(db.Value(QStringLiteral("L"))->toBool());
    EXPECT_EQ(db.Value(QStringLiteral("I"))->toLongLong(), -2147483648LL);
    EXPECT_DOUBLE_EQ(db.Value(QStringLiteral("B"))->toDouble(), 0.1);
    EXPECT_DOUBLE_EQ(db.Value(QStringLiteral("Y"))->toDouble(), 12.3456);
    EXPECT_EQ(db.GetFieldTypeForDAO(QStringLiteral("NI")), dao::dbInteger);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.transcript().toStdString();
}

TEST_F(DbfRecords, ImportExportSpecialBinaryTypes)
{
    {
        clsDBF db(prompter, &clock);
        create(db, QStringLiteral("ie.dbf"), 255, clsDBF::xDBFCharsetANSI);
        ASSERT_TRUE(db.CreateField(QStringLiteral("B1"), u'1').ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("S2"), u'2').ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("F4"), u'4').ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("DEC"), u'v', 0, 2).ok());
        ASSERT_TRUE(db.SaveNewFile().ok());
        ASSERT_TRUE(db.AddNew().ok());
        ASSERT_TRUE(db.SetFieldValue(0, 255).ok());
        EXPECT_FALSE(db.SetFieldValue(0, 256).ok());
        EXPECT_EQ(db.ErrorDescription(), u"Значение 256 слишком большое!");
        ASSERT_TRUE(db.SetFieldValue(1, -300).ok());
        EXPECT_FALSE(db.SetFieldValue(1, 40000).ok());
        ASSERT_TRUE(db.SetFieldValue(2, 1.5).ok());
        ASSERT_TRUE(db.SetFieldValue(3, -1234.56).ok());
        ASSERT_TRUE(db.Update().ok());
    }
    clsDBF db(prompter, &clock);
    ASSERT_TRUE(db.OpenFile(path(QStringLiteral("ie.dbf"))).ok());
    ASSERT_TRUE(db.MoveFirst().ok());
    EXPECT_EQ(db.Value(0)->toInt(), 255);
    EXPECT_EQ(db.Value(1)->toInt(), -300);
    EXPECT_DOUBLE_EQ(db.Value(2)->toDouble(), 1.5);
    EXPECT_DOUBLE_EQ(db.Value(3)->toDouble(), -1234.56);
}

TEST_F(DbfRecords, WriteMessagesLeaveTheFieldAsItWas)
{
    clsDBF db(prompter, &clock);
    create(db, QStringLiteral("m.dbf"), 3);
    ASSERT_TRUE(db.CreateField(QStringLiteral("T"), u'C', 5).ok());
    ASSERT_TRUE(db.CreateField(QStringLiteral("N"), u'N', 4, 1).ok());
    ASSERT_TRUE(db.CreateField(QStringLiteral("D"), u'D').ok());
    ASSERT_TRUE(db.SaveNewFile().ok());

    EXPECT_FALSE(db.SetFieldValue(0, QStringLiteral("x")).ok());
    EXPECT_EQ(db.ErrorDescription(), u"Сначала укажите \"Edit\" или \"AddNew\"!");
    EXPECT_FALSE(db.Edit().ok());
    EXPECT_EQ(db.ErrorDescription(), u"Нет записи!");

    ASSERT_TRUE(db.AddNew().ok());
    ASSERT_TRUE(db.SetFieldValue(0, QStringLiteral("Картофель")).ok());
    EXPECT_EQ(db.ErrorDescription(), u"Длина строки (9 символов) превышает размер поля! Cохранены первые 5 символов.");
    EXPECT_EQ(db.GetFieldValue(0)->toString(), u"Карто");
    ASSERT_TRUE(db.SetFieldValue(1, 12.5).ok());
    EXPECT_FALSE(db.SetFieldValue(1, 123.4).ok());
    EXPECT_EQ(db.ErrorDescription(), u"Размер поля (4 символов) не позволяет сохранить число 123,4");
    EXPECT_FALSE(db.SetFieldValue(1, QStringLiteral("abc")).ok());
    EXPECT_EQ(db.ErrorDescription(), u"Значение abc не является числом!");
    EXPECT_DOUBLE_EQ(db.GetFieldValue(1)->toDouble(), 12.5);
    EXPECT_FALSE(db.SetFieldValue(2, QStringLiteral("31.02.2020")).ok());
    EXPECT_EQ(db.ErrorDescription(), u"Значение 31.02.2020 не является датой!");
    EXPECT_TRUE(db.GetFieldValue(2)->isNull());
    ASSERT_TRUE(db.Update().ok());

    ASSERT_TRUE(db.Edit().ok());
    ASSERT_TRUE(db.SetFieldValue(1, -9.9).ok());
    ASSERT_TRUE(db.Update().ok());
    ASSERT_TRUE(db.MoveFirst().ok());
    EXPECT_DOUBLE_EQ(db.GetFieldValue(1)->toDouble(), -9.9);
    EXPECT_EQ(prompter.shown().front().title, u"Запись значения");
}

TEST_F(DbfRecords, NavigationBounds)
{
    clsDBF db(prompter, &clock);
    create(db, QStringLiteral("nav.dbf"), 3);
    ASSERT_TRUE(db.CreateField(QStringLiteral("K"), u'N', 5).ok());
    ASSERT_TRUE(db.SaveNewFile().ok());
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(db.AddNew().ok());
        ASSERT_TRUE(db.SetFieldValue(0, i * 10).ok());
        ASSERT_TRUE(db.Update().ok());
    }
    ASSERT_TRUE(db.MoveFirst().ok());
    ASSERT_TRUE(db.MovePrev().ok());
    EXPECT_TRUE(db.NoRecord());
    ASSERT_TRUE(db.GoToRecord(3).ok());
    EXPECT_EQ(db.AbsolutePosition(), 3);
    EXPECT_EQ(db.GetFieldValue(0)->toInt(), 30);
    ASSERT_TRUE(db.GoToRecord(5).ok());
    EXPECT_TRUE(db.NoRecord());
    EXPECT_FALSE(db.GetFieldValue(0).ok());
    EXPECT_FALSE(db.GoToRecord(6).ok());
    EXPECT_EQ(db.ErrorDescription(), u"Номер записи должен быть в интервале от 0 до 5 !");
    ASSERT_TRUE(db.MoveLast().ok());
    EXPECT_EQ(db.GetFieldValue(0)->toInt(), 40);
    ASSERT_TRUE(db.MoveNext().ok());
    EXPECT_TRUE(db.NoRecord());

    auto found = db.FindFirst(0, 20);
    ASSERT_TRUE(found.ok());
    EXPECT_TRUE(*found);
    EXPECT_EQ(db.AbsolutePosition(), 2);
    EXPECT_FALSE(*db.FindNext());
    EXPECT_TRUE(db.NoRecord());
}

TEST_F(DbfRecords, DeletedRecordsAndCompaction)
{
    clsDBF db(prompter, &clock);
    create(db, QStringLiteral("del.dbf"), 3);
    ASSERT_TRUE(db.CreateField(QStringLiteral("K"), u'N', 5).ok());
    ASSERT_TRUE(db.SaveNewFile().ok());
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(db.AddNew().ok());
        ASSERT_TRUE(db.SetFieldValue(0, i).ok());
        ASSERT_TRUE(db.Update().ok());
    }
    for (const int n : {0, 2, 3, 5}) {
        ASSERT_TRUE(db.GoToRecord(n).ok());
        ASSERT_TRUE(db.Delete().ok());
        EXPECT_TRUE(db.RecordIsDeleted());
    }
    ASSERT_TRUE(db.GoToRecord(3).ok());
    EXPECT_FALSE(db.Edit().ok());
    EXPECT_EQ(db.ErrorDescription(), u"Запись удалена!");
    ASSERT_TRUE(db.UnDelete().ok());
    EXPECT_FALSE(db.RecordIsDeleted());
    ASSERT_TRUE(db.CloseFile().ok());
    EXPECT_EQ(readAll(path(QStringLiteral("del.dbf")))[65 + 6 * 2], '*'); // deletion flag of record 2 on the file

    ASSERT_TRUE(db.OpenFile(path(QStringLiteral("del.dbf"))).ok());
    ASSERT_TRUE(db.GoToRecord(2).ok());
    EXPECT_TRUE(db.RecordIsDeleted());
    ASSERT_TRUE(db.CompactDBF().ok());
    EXPECT_EQ(db.RecordCount(), 3);
    QList<int> kept;
    for (db.MoveFirst(); !db.NoRecord(); db.MoveNext())
        kept << db.GetFieldValue(0)->toInt();
    EXPECT_EQ(kept, (QList<int> {1, 3, 4}));
    ASSERT_TRUE(db.CloseFile().ok());
    const QByteArray bytes = readAll(path(QStringLiteral("del.dbf")));
    EXPECT_EQ(bytes.size(), 65 + 3 * 6 + 1);
    EXPECT_EQ(dbf::readLE32(bytes.constData() + 4), 3u);
    EXPECT_EQ(bytes.back(), '\x1A');
}

TEST_F(DbfRecords, MemoRoundTripInEveryMemoLayout)
{
    const QString longText = QStringLiteral("Технология приготовления: ").repeated(40);
    const QByteArray binary("\x00\x1A\xFF\x01", 4);
    for (const int type : {48, 245, 131, 139}) {
        SCOPED_TRACE(type);
        const QString file = QStringLiteral("memo%1.dbf").arg(type);
        {
            clsDBF db(prompter, &clock);
            create(db, file, type);
            ASSERT_TRUE(db.CreateField(QStringLiteral("NAME"), u'C', 10).ok());
            ASSERT_TRUE(db.CreateField(QStringLiteral("TEXT"), u'M').ok());
            ASSERT_TRUE(db.SaveNewFile().ok());
            EXPECT_TRUE(db.HasMemoFile());
            ASSERT_TRUE(db.AddNew().ok());
            ASSERT_TRUE(db.SetFieldValue(0, QStringLiteral("one")).ok());
            ASSERT_TRUE(db.SetFieldValue(1, longText).ok());
            ASSERT_TRUE(db.Update().ok());
            ASSERT_TRUE(db.AddNew().ok()); // no memo
            ASSERT_TRUE(db.Update().ok());
            ASSERT_TRUE(db.AddNew().ok());
            ASSERT_TRUE(db.AppendMemoData(1, QStringLiteral("часть 1, ")).ok());
            ASSERT_TRUE(db.AppendMemoData(1, QStringLiteral("часть 2")).ok());
            ASSERT_TRUE(db.Update().ok());
            ASSERT_TRUE(db.MoveFirst().ok());
            ASSERT_TRUE(db.Edit().ok());
            EXPECT_FALSE(db.AppendMemoData(1, QStringLiteral("x")).ok());
            EXPECT_EQ(db.ErrorDescription(), u"Вносить МЕМО данные частями можно только в новую запись!");
            db.CancelUpdate();
        }
        const QString memoFile
            = dir.filePath(QStringLiteral("memo%1.%2").arg(type).arg(type == 48 || type == 245 ? u"fpt" : u"dbt"));
        EXPECT_TRUE(QFileInfo::exists(memoFile));
        clsDBF db(prompter, &clock);
        ASSERT_TRUE(db.OpenFile(path(file)).ok());
        EXPECT_EQ(db.GetFieldTypeForDAO(1), dao::dbMemo);
        ASSERT_TRUE(db.MoveFirst().ok());
        EXPECT_EQ(db.GetFieldValue(1)->toString(), longText);
        EXPECT_EQ(*db.GetMemoDataSize(1), encodeCodePage(longText, CodePage::Cp866).size());
        ASSERT_TRUE(db.MoveNext().ok());
        EXPECT_EQ(db.GetFieldValue(1)->toString(), QString());
        ASSERT_TRUE(db.MoveNext().ok());
        EXPECT_EQ(db.GetFieldValue(1)->toString(), u"часть 1, часть 2");
        // Replacing a memo keeps the other records' memos.
        ASSERT_TRUE(db.MoveFirst().ok());
        ASSERT_TRUE(db.Edit().ok());
        ASSERT_TRUE(db.SetFieldValue(1, QStringLiteral("короче")).ok());
        ASSERT_TRUE(db.Update().ok());
        ASSERT_TRUE(db.MoveFirst().ok());
        EXPECT_EQ(db.GetFieldValue(1)->toString(), u"короче");
        ASSERT_TRUE(db.MoveLast().ok());
        EXPECT_EQ(db.GetFieldValue(1)->toString(), u"часть 1, часть 2");
    }
    // Binary memo (general field) in FoxPro keeps every byte, 0x1A included.
    clsDBF db(prompter, &clock);
    create(db, QStringLiteral("gen.dbf"), 48);
    ASSERT_TRUE(db.CreateField(QStringLiteral("G"), u'G').ok());
    ASSERT_TRUE(db.SaveNewFile().ok());
    ASSERT_TRUE(db.AddNew().ok());
    EXPECT_FALSE(db.SetFieldValue(0, QStringLiteral("text")).ok());
    EXPECT_EQ(db.ErrorDescription(), u"Поле \"G\" имеет тип BINARY! Ему можно присвоить только байтовый массив");
    ASSERT_TRUE(db.SetFieldValue(0, binary).ok());
    ASSERT_TRUE(db.Update().ok());
    ASSERT_TRUE(db.MoveFirst().ok());
    EXPECT_EQ(db.GetFieldValue(0)->toByteArray(), binary);
}

TEST_F(DbfRecords, BatchAppendsReachTheFileAtTheEnd)
{
    clsDBF db(prompter, &clock);
    create(db, QStringLiteral("batch.dbf"), 3);
    ASSERT_TRUE(db.CreateField(QStringLiteral("K"), u'N', 8).ok());
    ASSERT_TRUE(db.CreateField(QStringLiteral("S"), u'C', 100).ok());
    ASSERT_TRUE(db.SaveNewFile().ok());
    ASSERT_TRUE(db.BeginBatch().ok());
    const int n = 25000; // more than one write block
    for (int i = 0; i < n; ++i) {
        ASSERT_TRUE(db.AddNew().ok());
        ASSERT_TRUE(db.SetFieldValue(0, i).ok());
        ASSERT_TRUE(db.Update().ok());
    }
    EXPECT_EQ(db.RecordCount(), n);
    ASSERT_TRUE(db.GoToRecord(n - 1).ok()); // moving writes what is pending
    EXPECT_EQ(db.GetFieldValue(0)->toInt(), n - 1);
    ASSERT_TRUE(db.EndBatch().ok());
    ASSERT_TRUE(db.CloseFile().ok());
    const QByteArray bytes = readAll(path(QStringLiteral("batch.dbf")));
    EXPECT_EQ(bytes.size(), 97 + qsizetype(n) * 109 + 1);
    EXPECT_EQ(dbf::readLE32(bytes.constData() + 4), quint32(n));
}

TEST_F(DbfRecords, ReadOnlyFileAsksAndRefusesWrites)
{
    {
        clsDBF db(prompter, &clock);
        create(db, QStringLiteral("ro.dbf"), 3);
        ASSERT_TRUE(db.CreateField(QStringLiteral("K"), u'N', 3).ok());
        ASSERT_TRUE(db.SaveNewFile().ok());
    }
    QFile::setPermissions(path(QStringLiteral("ro.dbf")), QFileDevice::ReadOwner);
    if (QFileInfo(path(QStringLiteral("ro.dbf"))).isWritable())
        GTEST_SKIP() << "running with rights that ignore file permissions";
    clsDBF db(prompter, &clock);
    prompter.expect(QStringLiteral("\"Только для чтения\""), Prompter::Answer::Cancel);
    EXPECT_FALSE(db.OpenFile(path(QStringLiteral("ro.dbf"))).ok());
    prompter.expect(QStringLiteral("Продолжать?"), Prompter::Answer::Ok);
    ASSERT_TRUE(db.OpenFile(path(QStringLiteral("ro.dbf"))).ok());
    EXPECT_FALSE(db.AddNew().ok());
    EXPECT_EQ(db.ErrorDescription(), u"Файл доступен только на чтение!");
    EXPECT_TRUE(prompter.unexpected().isEmpty());
}

TEST(DbfNumberText, FormatsWithTheProgramsRounding)
{
    char buf[64];
    auto fmt = [&](double v, int d) { return std::string(buf, size_t(dbf::formatNumber(v, d, buf, 64))); };
    EXPECT_EQ(fmt(1.005, 2), "1.01");
    EXPECT_EQ(fmt(-2.5, 0), "-3");
    EXPECT_EQ(fmt(-0.0004, 3), "0.000");
    EXPECT_EQ(fmt(999.96, 1), "1000.0");
    EXPECT_EQ(fmt(0.000123, 5), "0.00012");
    EXPECT_EQ(fmt(123456789012.0, 0), "123456789012");
    EXPECT_EQ(dbf::formatNumber(1e300, 2, buf, 20), -1);
    bool integer = false;
    EXPECT_EQ(dbf::parseNumberText(" 12,5", 5, &integer), 12.5);
    EXPECT_FALSE(integer);
    EXPECT_FALSE(dbf::parseNumberText("1-2", 3));
    EXPECT_FALSE(dbf::parseNumberText("   ", 3));
}

} // namespace
