#include "DbfTestSupport.h"

#include "interchange/DbfCodec.h"
#include "interchange/DbfTypes.h"

using namespace kulvera;
using namespace kulvera::test;

namespace {

class DbfStructure : public DbfFixture
{
};

TEST_F(DbfStructure, HeaderLengthsOfVisualFoxProAndDBaseIII)
{
    {
        clsDBF db(prompter, &clock);
        create(db, QStringLiteral("vfp.dbf"), clsDBF::xDBFType_FoxPro30);
        ASSERT_TRUE(db.CreateField(QStringLiteral("A"), u'C', 5).ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("B"), u'N', 6, 2).ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("C"), u'D').ok());
        ASSERT_TRUE(db.SaveNewFile().ok());
        EXPECT_EQ(db.HeaderLength(), 392);
    }
    const QByteArray vfp = readAll(path(QStringLiteral("vfp.dbf")));
    ASSERT_EQ(vfp.size(), 392); // no end mark after an empty Visual FoxPro table
    EXPECT_EQ(dbf::readLE16(vfp.constData() + 8), 392);
    EXPECT_EQ(vfp[32 + 3 * 32], '\x0D');

    {
        clsDBF db(prompter, &clock);
        create(db, QStringLiteral("d3.dbf"), 3);
        ASSERT_TRUE(db.CreateField(QStringLiteral("A"), u'C', 5).ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("B"), u'N', 6, 2).ok());
        ASSERT_TRUE(db.CreateField(QStringLiteral("C"), u'L').ok());
        ASSERT_TRUE(db.SaveNewFile().ok());
    }
    const QByteArray d3 = readAll(path(QStringLiteral("d3.dbf")));
    ASSERT_EQ(d3.size(), 130);
    EXPECT_EQ(dbf::readLE16(d3.constData() + 8), 129);
    EXPECT_EQ(dbf::readLE16(d3.constData() + 10), 1 + 5 + 6 + 1);
    EXPECT_EQ(d3[128], '\x0D');
    EXPECT_EQ(d3[129], '\x1A');
    // The last-update date of 1 January 2010 is 10, 1, 1.
    EXPECT_EQ(d3[1], 10);
    EXPECT_EQ(d3[2], 1);
    EXPECT_EQ(d3[3], 1);

    clsDBF db(prompter, &clock);
    ASSERT_TRUE(db.OpenFile(path(QStringLiteral("d3.dbf"))).ok());
    EXPECT_EQ(db.LastDateUpdate(), QDate(2010, 1, 1));
    EXPECT_EQ(db.GetFileType(), u"FoxBASE+/dBASE III+, no memo");
    EXPECT_EQ(db.FieldsCount(), 3);
    EXPECT_EQ(db.RecordCount(), 0);
    EXPECT_TRUE(db.NoRecord());
    EXPECT_TRUE(prompter.texts().isEmpty());
}

TEST_F(DbfStructure, TextFieldOfLength300FromFoxProAndNumberTypes)
{
    // A FoxPro-written header: C of 300 (44 + 256 × 1), N(5,0), N(12,0), N(8,2).
    QByteArray bytes(32 + 4 * 32 + 1, '\0');
    bytes[0] = char(0xF5);
    bytes[29] = char(101);
    const int recordLength = 1 + 300 + 5 + 12 + 8;
    dbf::writeLE16(bytes.data() + 8, quint16(bytes.size()));
    dbf::writeLE16(bytes.data() + 10, quint16(recordLength));
    struct D {
        const char *name;
        char type;
        int len;
        int dec;
    } ds[] = {{"TXT", 'C', 44, 1}, {"N5", 'N', 5, 0}, {"N12", 'N', 12, 0}, {"N82", 'N', 8, 2}};
    for (int i = 0; i < 4; ++i) {
        char *d = bytes.data() + 32 + 32 * i;
        std::memcpy(d, ds[i].name, std::strlen(ds[i].name));
        d[11] = ds[i].type;
        d[16] = char(ds[i].len);
        d[17] = char(ds[i].dec);
    }
    bytes[32 + 4 * 32] = '\x0D';
    QByteArray record(recordLength, ' ');
    std::memcpy(record.data() + 1, "long", 4);
    record[300] = 'Z';
    std::memcpy(record.data() + 301, "   42", 5);
    bytes += record;
    bytes[4] = 1;
    bytes.append('\x1A');
    writeAll(path(QStringLiteral("fox.dbf")), bytes);

    clsDBF db(prompter, &clock);
    ASSERT_TRUE(db.OpenFile(path(QStringLiteral("fox.dbf"))).ok()) << db.ErrorDescription().toStdString();
    EXPECT_EQ(db.GetFileType(), u"FoxPro 2.x (or earlier) with memo");
    EXPECT_EQ(db.GetFieldSize(0), 300);
    EXPECT_EQ(db.GetFieldDecPlaces(0), 0);
    EXPECT_EQ(db.GetFieldTypeForDAO(0), dao::dbMemo);
    EXPECT_EQ(db.GetFieldTypeForDAO(QStringLiteral("n5")), dao::dbInteger);
    EXPECT_EQ(db.GetFieldTypeForDAO(QStringLiteral("N12")), dao::dbDouble);
    EXPECT_EQ(db.GetFieldTypeForDAO(QStringLiteral("N82")), dao::dbDouble);
    ASSERT_TRUE(db.MoveFirst().ok());
    const QString text = db.GetFieldValue(0)->toString();
    EXPECT_EQ(text.size(), 300);
    EXPECT_TRUE(text.startsWith(u"long"));
    EXPECT_TRUE(text.endsWith(u'Z'));
    EXPECT_EQ(db.GetFieldValue(1)->toLongLong(), 42);
    EXPECT_TRUE(db.GetFieldValue(2)->isNull());
}

TEST_F(DbfStructure, FoxProHeaderThatAlsoCoversTheVisualFoxProAreaIsRead)
{
    // Some writers give a FoxPro 2.x table the 263-byte area after the terminator and count it
    // in the header length; the records start at the header length.
    const int headerLength = 32 + 2 * 32 + 1 + 263;
    QByteArray bytes(headerLength, '\0');
    bytes[0] = char(0xF5);
    bytes[4] = 2;
    dbf::writeLE16(bytes.data() + 8, quint16(headerLength));
    dbf::writeLE16(bytes.data() + 10, quint16(1 + 4 + 3));
    std::memcpy(bytes.data() + 32, "NAME", 4);
    bytes[32 + 11] = 'C';
    bytes[32 + 16] = 4;
    std::memcpy(bytes.data() + 64, "QTY", 3);
    bytes[64 + 11] = 'N';
    bytes[64 + 16] = 3;
    bytes[96] = '\x0D';
    bytes += QByteArrayLiteral(" ab    7"); // deletion mark, NAME(4), QTY(3)
    bytes += QByteArrayLiteral(" cd   12");
    bytes.append('\x1A');
    writeAll(path(QStringLiteral("fox263.dbf")), bytes);

    clsDBF db(prompter, &clock);
    ASSERT_TRUE(db.OpenFile(path(QStringLiteral("fox263.dbf"))).ok()) << db.ErrorDescription().toStdString();
    EXPECT_EQ(db.FieldsCount(), 2);
    EXPECT_EQ(db.HeaderLength(), headerLength);
    EXPECT_EQ(db.RecordCount(), 2);
    ASSERT_TRUE(db.MoveFirst().ok());
    EXPECT_EQ(db.GetFieldValue(0)->toString(), QStringLiteral("ab"));
    EXPECT_EQ(db.GetFieldValue(1)->toInt(), 7);
    ASSERT_TRUE(db.MoveNext().ok());
    EXPECT_EQ(db.GetFieldValue(0)->toString(), QStringLiteral("cd"));
    EXPECT_EQ(db.GetFieldValue(1)->toInt(), 12);
    EXPECT_TRUE(prompter.texts().isEmpty());
}

TEST_F(DbfStructure, HeaderWithoutTerminatorOrTooShortForItsDescriptorsIsRefused)
{
    QByteArray bytes(32 + 32 + 1, '\0');
    bytes[0] = char(0x30); // Visual FoxPro needs the 263-byte area after the terminator
    dbf::writeLE16(bytes.data() + 8, quint16(bytes.size()));
    dbf::writeLE16(bytes.data() + 10, quint16(1 + 4));
    std::memcpy(bytes.data() + 32, "NAME", 4);
    bytes[32 + 11] = 'C';
    bytes[32 + 16] = 4;
    bytes[64] = '\x0D';
    writeAll(path(QStringLiteral("short.dbf")), bytes);
    clsDBF vfp(prompter, &clock);
    EXPECT_FALSE(vfp.OpenFile(path(QStringLiteral("short.dbf"))).ok());

    bytes[0] = char(0x03);
    bytes[64] = '\0';
    writeAll(path(QStringLiteral("noterm.dbf")), bytes);
    clsDBF d3(prompter, &clock);
    EXPECT_FALSE(d3.OpenFile(path(QStringLiteral("noterm.dbf"))).ok());
    EXPECT_TRUE(d3.ErrorDescription().contains(QStringLiteral("неправильную структуру")));
}

TEST_F(DbfStructure, DaoTypesOfNumbersDependOnLengthDecimalsAndFileType)
{
    EXPECT_EQ(dbf::daoType('N', 1, 0, false, 3), dao::dbByte);
    EXPECT_EQ(dbf::daoType('N', 2, 0, false, 3), dao::dbInteger);
    EXPECT_EQ(dbf::daoType('N', 6, 0, false, 3), dao::dbInteger);
    EXPECT_EQ(dbf::daoType('N', 7, 0, false, 3), dao::dbLong);
    EXPECT_EQ(dbf::daoType('N', 11, 0, false, 3), dao::dbLong);
    EXPECT_EQ(dbf::daoType('N', 12, 0, false, 3), dao::dbDouble);
    EXPECT_EQ(dbf::daoType('N', 12, 0, false, 48), dao::dbDecimal);
    EXPECT_EQ(dbf::daoType('N', 5, 2, false, 255), dao::dbDecimal);
    EXPECT_EQ(dbf::daoType('C', 10, 0, true, 48), dao::dbBinary);
    EXPECT_EQ(dbf::daoType('Y', 8, 0, false, 48), dao::dbCurrency);
    EXPECT_EQ(dbf::daoType('v', 16, 0, false, 255), dao::dbDecimal);
    EXPECT_EQ(dbf::daoType('0', 1, 0, false, 48), dao::dbBinary);
}

TEST_F(DbfStructure, FileTypeNamesAndUnknownType)
{
    const std::pair<int, const char16_t *> names[] = {{2, u"FoxBASE"}, {48, u"FoxPro 3.x/Visual FoxPro"},
        {49, u"FoxPro 3.x/Visual FoxPro"}, {50, u"Visual FoxPro 9.0"}, {131, u"FoxBASE+/dBASE III+ with memo"},
        {139, u"dBASE IV with memo"}, {251, u"FoxBASE"}, {255, u"File Import/Export Special"}};
    for (const auto &[type, name] : names)
        EXPECT_EQ(dbf::fileTypeName(type), QString::fromUtf16(name)) << type;
    EXPECT_FALSE(dbf::fileTypeName(4));

    clsDBF db(prompter, &clock);
    EXPECT_FALSE(db.CreateNewFile(path(QStringLiteral("x.dbf")), 4).ok());
    EXPECT_EQ(db.ErrorDescription(), u"Указан неизвестный тип DBF файла!");

    QByteArray bytes(33, '\0');
    bytes[0] = char(0x04);
    bytes[8] = 33;
    bytes[10] = 1;
    bytes[32] = '\x0D';
    writeAll(path(QStringLiteral("t4.dbf")), bytes);
    EXPECT_FALSE(db.OpenFile(path(QStringLiteral("t4.dbf"))).ok());
    EXPECT_EQ(db.ErrorDescription(), u"Тип файла 4 не опознан!");
}

TEST_F(DbfStructure, CreateFieldRules)
{
    clsDBF db(prompter, &clock);
    create(db, QStringLiteral("f.dbf"), 3);
    auto refused = [&](Status st, const char16_t *message) {
        EXPECT_FALSE(st.ok());
        EXPECT_EQ(db.ErrorDescription(), QString::fromUtf16(message));
    };
    refused(db.CreateField(QString(), u'C', 5), u"Не указано имя поля!");
    refused(db.CreateField(QStringLiteral("ABCDEFGHIJK"), u'C', 5), u"Имя поля не может превышать 10 символов!");
    refused(db.CreateField(QStringLiteral("A"), u'C', 255), u"Размер поля не может превышать 254 байта!");
    refused(db.CreateField(QStringLiteral("A"), u'X', 5), u"Тип поля не опознан!");
    refused(db.CreateField(QStringLiteral("A"), QChar(), 5), u"Не указан, или неправильно указан тип поля!");
    refused(db.CreateField(QStringLiteral("A"), u'+'),
        u"Автоинкрементное поле допускается только для файлов \"Visual FoxPro\"!");
    refused(db.CreateField(QStringLiteral("M"), u'M'), u"При создании файла указан тип, не поддерживающий MEMO полей!");
    refused(db.CreateField(QStringLiteral("D"), u'D', 10), u"Для поля D указан неправильный размер 10.\nТребуется 8.");
    ASSERT_TRUE(db.CreateField(QStringLiteral("A"), u'C', 5).ok());
    refused(db.CreateField(QStringLiteral("a"), u'C', 5), u"Поле a уже существует!");
    // The record may not exceed 65535 bytes.
    for (int i = 0; i < 257; ++i)
        ASSERT_TRUE(db.CreateField(QStringLiteral("F%1").arg(i), u'C', 254).ok()) << i;
    const Status big = db.CreateField(QStringLiteral("LAST"), u'C', 254);
    EXPECT_FALSE(big.ok());
    EXPECT_TRUE(db.ErrorDescription().startsWith(
        u"Создание поля с размером 254 байтов невозможно из-за превышения максимальной длины записи!\n"));
    EXPECT_TRUE(db.ErrorDescription().contains(u"Максимальный доступный размер - 251 байтов."));
    EXPECT_EQ(prompter.shown().back().title, u"Создание поля");

    // Binary fields are created only when the user agrees.
    clsDBF vfp(prompter, &clock);
    create(vfp, QStringLiteral("v.dbf"), 48);
    prompter.expect(QStringLiteral("Создать двоичное поле с размером 16 байтов?"), Prompter::Answer::No);
    EXPECT_FALSE(vfp.CreateField(QStringLiteral("BIN"), u'C', 16, 0, false, true).ok());
    prompter.expect(QStringLiteral("Создать двоичное поле"), Prompter::Answer::Yes);
    EXPECT_TRUE(vfp.CreateField(QStringLiteral("BIN"), u'C', 16, 0, false, true).ok());
    EXPECT_TRUE(prompter.unexpected().isEmpty());
}

TEST_F(DbfStructure, SaveNewFileRulesAndNullFlags)
{
    clsDBF db(prompter, &clock);
    EXPECT_FALSE(db.SaveNewFile().ok());
    EXPECT_EQ(db.ErrorDescription(), u"Новый файл еще не создан!");
    create(db, QStringLiteral("n.dbf"), 48, clsDBF::xDBFCharsetANSI);
    EXPECT_FALSE(db.SaveNewFile().ok());
    EXPECT_EQ(db.ErrorDescription(), u"В файле еще нет полей!");
    ASSERT_TRUE(db.CreateField(QStringLiteral("A"), u'C', 4, 0, true).ok());
    ASSERT_TRUE(db.CreateField(QStringLiteral("B"), u'I', 0, 0, true).ok());
    ASSERT_TRUE(db.CreateField(QStringLiteral("C"), u'+').ok());
    ASSERT_TRUE(db.SaveNewFile().ok());
    EXPECT_FALSE(db.SaveNewFile().ok());
    EXPECT_EQ(db.ErrorDescription(), u"Файл уже был сохранен, и в него добавлено системное поле!");
    EXPECT_EQ(db.FieldsCount(), 3);
    EXPECT_EQ(db.Fields().size(), 4u);
    EXPECT_EQ(db.Fields().back().name, u"_NullFlags");
    EXPECT_EQ(db.Fields().back().flags, 5);
    EXPECT_EQ(db.Fields().back().length, 1);

    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(db.AddNew().ok());
        if (i == 1) {
            ASSERT_TRUE(db.SetFieldValue(0, QStringLiteral("x")).ok());
            ASSERT_TRUE(db.SetFieldValue(1, 7).ok());
        } else {
            ASSERT_TRUE(db.SetFieldValue(0, QVariant()).ok());
        }
        ASSERT_TRUE(db.Update().ok());
    }
    ASSERT_TRUE(db.CloseFile().ok());
    ASSERT_TRUE(db.OpenFile(path(QStringLiteral("n.dbf"))).ok());
    EXPECT_TRUE(db.GetFieldIsNullable(0));
    ASSERT_TRUE(db.MoveFirst().ok());
    EXPECT_TRUE(db.GetFieldValue(0)->isNull());
    EXPECT_EQ(db.GetFieldValue(2)->toInt(), 1);
    ASSERT_TRUE(db.MoveNext().ok());
    EXPECT_EQ(db.GetFieldValue(0)->toString(), u"x");
    EXPECT_EQ(db.GetFieldValue(1)->toInt(), 7);
    EXPECT_EQ(db.GetFieldValue(2)->toInt(), 2);
    ASSERT_TRUE(db.MoveLast().ok());
    EXPECT_EQ(db.GetFieldValue(2)->toInt(), 3);
    EXPECT_EQ(db.GetFieldValue(QStringLiteral("_NullFlags"))->toByteArray(), QByteArray(1, '\x01'));
}

TEST_F(DbfStructure, FieldReferencesAndRenaming)
{
    clsDBF db(prompter, &clock);
    create(db, QStringLiteral("r.dbf"), 3);
    ASSERT_TRUE(db.CreateField(QStringLiteral("NAME"), u'C', 5).ok());
    ASSERT_TRUE(db.SaveNewFile().ok());
    EXPECT_EQ(db.GetFieldName(QStringLiteral("name")), u"NAME");
    EXPECT_EQ(db.GetFieldName(3), QString());
    EXPECT_EQ(db.ErrorDescription(), u"Номер поля должен быть в пределах от 0 до 0!");
    EXPECT_EQ(db.GetFieldName(QStringLiteral("NOPE")), QString());
    EXPECT_EQ(db.ErrorDescription(), u"Поле \"NOPE\" не найдено!");
    EXPECT_EQ(db.GetFieldName(FieldRef::fromVariant(QVariant(QDate(2020, 1, 1)))), QString());
    EXPECT_EQ(db.ErrorDescription(), u"Ссылка на поле должна иметь числовое или строковое значение!");
    EXPECT_EQ(db.GetFieldName(FieldRef::fromVariant(QVariant(0))), u"NAME");
    db.ErrorClear();
    EXPECT_TRUE(db.ErrorDescription().isEmpty());

    ASSERT_TRUE(db.ChangeFieldName(0, QStringLiteral("ИМЯ")).ok());
    ASSERT_TRUE(db.CloseFile().ok());
    const QByteArray bytes = readAll(path(QStringLiteral("r.dbf")));
    EXPECT_EQ(bytes.mid(32, 3), QByteArray("\x88\x8C\x9F")); // "ИМЯ" in cp866
    ASSERT_TRUE(db.OpenFile(path(QStringLiteral("r.dbf"))).ok());
    EXPECT_EQ(db.GetFieldName(0), u"ИМЯ");
}

TEST_F(DbfStructure, LongNamesOfImportExportFiles)
{
    clsDBF db(prompter, &clock);
    create(db, QStringLiteral("l.dbf"), 255, clsDBF::xDBFCharsetANSI);
    const QString longName = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ1");
    ASSERT_TRUE(db.CreateField(longName, u'C', 5).ok());
    ASSERT_TRUE(db.CreateField(QStringLiteral("SHORTNAME12"), u'2').ok());
    EXPECT_FALSE(db.CreateField(longName + u'2', u'C', 5).ok());
    ASSERT_TRUE(db.SaveNewFile().ok());
    ASSERT_TRUE(db.CloseFile().ok());
    ASSERT_TRUE(db.OpenFile(path(QStringLiteral("l.dbf"))).ok());
    EXPECT_EQ(db.GetFieldName(0), longName);
    EXPECT_EQ(db.GetFieldName(1), u"SHORTNAME12");
    EXPECT_EQ(db.GetFieldTypeForDAO(1), dao::dbInteger);
}

TEST_F(DbfStructure, FieldsOnlyIntoTablesWithoutRecords)
{
    clsDBF db(prompter, &clock);
    create(db, QStringLiteral("e.dbf"), 3);
    ASSERT_TRUE(db.CreateField(QStringLiteral("A"), u'C', 3).ok());
    ASSERT_TRUE(db.SaveNewFile().ok());
    ASSERT_TRUE(db.CreateField(QStringLiteral("B"), u'N', 4).ok());
    EXPECT_EQ(db.HeaderLength(), 32 + 64 + 1);
    ASSERT_TRUE(db.AddNew().ok());
    ASSERT_TRUE(db.SetFieldValue(QStringLiteral("B"), 12).ok());
    ASSERT_TRUE(db.Update().ok());
    EXPECT_FALSE(db.CreateField(QStringLiteral("C"), u'L').ok());
    EXPECT_EQ(db.ErrorDescription(),
        u"Добавление поля возможно только в новый файл, или в существующий, не имеющий ни одной записи!");
    ASSERT_TRUE(db.CloseFile().ok());
    ASSERT_TRUE(db.OpenFile(path(QStringLiteral("e.dbf"))).ok());
    ASSERT_TRUE(db.MoveFirst().ok());
    EXPECT_EQ(db.GetFieldValue(1)->toInt(), 12);
}

TEST_F(DbfStructure, CodePageFromByte29OrTheCaller)
{
    const QString text = QStringLiteral("Щи из квашеной капусты");
    for (const int mark : {int(clsDBF::xDBFCharsetDOS866), int(clsDBF::xDBFCharsetANSI), 38, 126, 3, 87}) {
        const QString file = QStringLiteral("cp%1.dbf").arg(mark);
        {
            clsDBF db(prompter, &clock);
            create(db, file, 3, mark);
            ASSERT_TRUE(db.CreateField(QStringLiteral("T"), u'C', 40).ok());
            ASSERT_TRUE(db.SaveNewFile().ok());
            ASSERT_TRUE(db.AddNew().ok());
            ASSERT_TRUE(db.SetFieldValue(0, text).ok());
            ASSERT_TRUE(db.Update().ok());
        }
        const bool ansi = mark == 201 || mark == 126 || mark == 3;
        const CodePage page = ansi ? CodePage::Cp1251 : CodePage::Cp866;
        const QByteArray bytes = readAll(path(file));
        EXPECT_EQ(bytes.mid(32 + 32 + 1 + 1, encodeCodePage(text, page).size()), encodeCodePage(text, page)) << mark;

        clsDBF db(prompter, &clock);
        ASSERT_TRUE(db.OpenFile(path(file)).ok());
        EXPECT_EQ(db.GetCharSet(), page);
        ASSERT_TRUE(db.MoveFirst().ok());
        EXPECT_EQ(db.GetFieldValue(0)->toString(), text) << mark;
        // A forced code page wins over the mark.
        const CodePage other = ansi ? CodePage::Cp866 : CodePage::Cp1251;
        ASSERT_TRUE(db.OpenFile(path(file), other).ok());
        ASSERT_TRUE(db.MoveFirst().ok());
        EXPECT_NE(db.GetFieldValue(0)->toString(), text);
    }
    // Mark 0: 1251 for Visual FoxPro, 866 for the others.
    QByteArray bytes = readAll(path(QStringLiteral("cp101.dbf")));
    bytes[29] = 0;
    writeAll(path(QStringLiteral("zero.dbf")), bytes);
    clsDBF db(prompter, &clock);
    ASSERT_TRUE(db.OpenFile(path(QStringLiteral("zero.dbf"))).ok());
    EXPECT_EQ(db.GetCharSet(), CodePage::Cp866);
}

TEST_F(DbfStructure, LastDateUpdateTwoDigitYears)
{
    clsDBF db(prompter, &clock);
    create(db, QStringLiteral("d.dbf"), 3);
    ASSERT_TRUE(db.CreateField(QStringLiteral("A"), u'C', 1).ok());
    EXPECT_FALSE(db.LastDateUpdate(QDate(2011, 2, 3)).ok());
    ASSERT_TRUE(db.SaveNewFile().ok());
    for (const QDate &d : {QDate(1930, 1, 1), QDate(1999, 12, 31), QDate(2000, 1, 1), QDate(2029, 12, 31)}) {
        ASSERT_TRUE(db.LastDateUpdate(d).ok());
        EXPECT_EQ(db.LastDateUpdate(), d);
    }
    const QByteArray bytes = readAll(path(QStringLiteral("d.dbf")));
    EXPECT_EQ(bytes[1], 29);
    // A year whose two digits would read back as another century is refused.
    EXPECT_FALSE(db.LastDateUpdate(QDate(2030, 1, 1)).ok());
    EXPECT_FALSE(db.LastDateUpdate(QDate(1929, 1, 1)).ok());
    EXPECT_EQ(db.LastDateUpdate(), QDate(2029, 12, 31));
}

} // namespace
