#pragma once

#include "common/Clock.h"
#include "common/CodePage.h"
#include "common/Result.h"
#include "interchange/DbfMemoFile.h"
#include "interchange/DbfTypes.h"

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QString>
#include <QVariant>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

namespace kulvera {

class Prompter;

// A field named by its number (0 to count - 1) or by its name.
class FieldRef
{
public:
    FieldRef(int index)
        : index_(index)
    {
    }
    FieldRef(QString name)
        : name_(std::move(name))
        , byName_(true)
    {
    }
    // For callers holding a generic value: numbers and texts are references,
    // anything else is refused when used.
    static FieldRef fromVariant(const QVariant &value);

    bool byName() const { return byName_; }
    bool isValid() const { return valid_; }
    int index() const { return index_; }
    const QString &name() const { return name_; }

private:
    FieldRef() = default;
    int index_ = -1;
    QString name_;
    bool byName_ = false;
    bool valid_ = true;
};

// One field of the table as the engine keeps it.
struct DbfField {
    QString name;
    char type = 'C';
    int length = 0;
    int decimals = 0; // for C fields the descriptor's byte 17 is the high length byte instead
    int flags = 0;
    int offset = 0; // in the record, after the deletion flag
    int nullBit = -1; // bit in _NullFlags (Visual FoxPro nullable fields)
    bool binary = false;
    bool autoIncrement = false;
    quint32 autoNext = 0;
    int autoStep = 0;
};

// The DBF table engine: works directly on the file, keeps one current record in
// a buffer, converts text between code page 866 and 1251, and maps field types
// to DAO types. Every failure is shown through the Prompter (the title names the
// operation), kept for ErrorDescription, and leaves the file as it was.
// Records appended between BeginBatch and EndBatch (or CloseFile) are written
// in large blocks; everything else reaches the file at once.
class clsDBF
{
public:
    static constexpr int xDBFType_FoxPro30 = dbf::kVisualFoxPro;
    static constexpr int xDBFType_dBASE_III = dbf::kDBase3Memo;
    static constexpr int xDBFType_dBASE_IV_V = dbf::kDBase4Memo;
    static constexpr int xDBFType_FoxPro2x = dbf::kFoxPro2Memo;
    static constexpr int xDBFType_ImpExpSpec = dbf::kImpExpSpecial;

    static constexpr int xDBFCharsetDOS866 = 101;
    static constexpr int xDBFCharsetANSI = 201;
    static constexpr int xDBFLanguageDriverANSI_DBASE = 126;
    static constexpr int xDBFLanguageDriverDOS_DBASE = 38;
    static constexpr int xDBFCharsetUkrStandard = 2;

    explicit clsDBF(Prompter &prompter, const Clock *clock = nullptr);
    ~clsDBF();
    clsDBF(const clsDBF &) = delete;
    clsDBF &operator=(const clsDBF &) = delete;

    // codePage forces the text code page; without it byte 29 decides.
    Status OpenFile(const QString &path, std::optional<CodePage> codePage = std::nullopt);
    // codePageMark goes to byte 29 and decides the code page of the text.
    Status CreateNewFile(const QString &path, int type, int codePageMark = xDBFCharsetDOS866);
    Status SaveNewFile();
    // type is one letter of the field types or '+' (auto-increment); size 0
    // takes the length the type requires.
    Status CreateField(
        const QString &name, QChar type, int size = 0, int decimals = 0, bool nullable = false, bool binary = false);
    Status CreateFieldFromADO(const QString &name, int adoType, int size = 0, int decimals = 0, bool nullable = false);
    Status CloseFile();

    QString GetFileType() const;
    int FileTypeByte() const { return type_; }
    CodePage GetCharSet() const { return codePage_; }
    int CodePageMark() const { return codePageMark_; }
    QString FilePath() const { return path_; }
    bool IsOpen() const { return file_.isOpen(); }
    bool IsReadOnly() const { return readOnly_; }
    bool HasMemoFile() const { return memo_.isOpen(); }
    int HeaderLength() const { return headerLength_; }
    int RecordLength() const { return recordLength_; }

    QString GetFieldName(const FieldRef &field);
    Status ChangeFieldName(const FieldRef &field, const QString &newName);
    QChar GetFieldTypeOriginal(const FieldRef &field);
    int GetFieldTypeForDAO(const FieldRef &field);
    int GetFieldTypeForADO(const FieldRef &field);
    int GetFieldSize(const FieldRef &field);
    int GetFieldDecPlaces(const FieldRef &field);
    bool GetFieldIsBinary(const FieldRef &field);
    bool GetFieldIsNullable(const FieldRef &field);
    int FieldsCount() const; // without _NullFlags

    qint64 RecordCount() const { return count_; }
    qint64 AbsolutePosition() const { return position_; }
    bool NoRecord() const { return position_ < 0 || position_ >= count_; }
    bool RecordIsDeleted() const;

    Status MoveFirst();
    Status MoveNext();
    Status MovePrev();
    Status MoveLast();
    // 0 to RecordCount(); RecordCount() itself leaves no current record.
    Status GoToRecord(qint64 number);

    Result<QVariant> GetFieldValue(const FieldRef &field);
    Status SetFieldValue(const FieldRef &field, const QVariant &value);
    Result<QVariant> Value(const FieldRef &field) { return GetFieldValue(field); }
    Status Value(const FieldRef &field, const QVariant &value) { return SetFieldValue(field, value); }
    // Adds a part to a memo field of a new record.
    Status AppendMemoData(const FieldRef &field, const QVariant &part);
    Result<qint64> GetMemoDataSize(const FieldRef &field);

    Status Edit();
    Status AddNew();
    Status Update();
    void CancelUpdate();
    Status Delete();
    Status UnDelete();

    // Finds the first (next) record whose field equals the value, as
    // GetFieldValue gives it (text compared without trailing blanks).
    Result<bool> FindFirst(const FieldRef &field, const QVariant &value);
    Result<bool> FindNext();

    Status CompactDBF();

    Status BeginBatch();
    Status EndBatch();

    QDate LastDateUpdate() const;
    Status LastDateUpdate(const QDate &date);

    static QVariant MyNZ(const QVariant &value, const QVariant &fallback = QVariant());

    QString ErrorDescription() const { return lastError_; }
    void ErrorClear() { lastError_.clear(); }

    const std::vector<DbfField> &Fields() const { return fields_; }

private:
    Status markRecord(char mark);
    enum class Mode { None, Edit, AddNew };

    Status fail(const QString &title, const QString &text);
    Status structureFail(const QString &text);
    void resetState();
    std::optional<int> resolve(const FieldRef &field, const QString &title);
    Status validateName(const QString &name, const QString &title, int skipIndex);
    Status loadRecord(qint64 number, const QString &title);
    Status readCache(qint64 number, char *out);
    Status flushBatch(const QString &title);
    Status writeAt(qint64 offset, const char *data, qint64 size);
    Status writeHeaderCountAndDate();
    QByteArray encodeName(const QString &name) const;
    QString decodeText(const char *data, int length) const;
    Status storeValue(int index, const QVariant &value, const QString &title);
    void warnCut(qsizetype length, int size, const QString &title);
    Result<QVariant> decodeValue(int index, const char *record);
    bool isNull(int index, const char *record) const;
    void setNullBit(int index, bool null);
    void blankRecord();
    Status parseHeader(const QByteArray &header, std::optional<CodePage> forced);
    QByteArray buildHeader() const;
    Status openMemo(bool create);
    void stampDate();
    bool requiresWritable(const QString &title);

    Prompter &prompter_;
    std::unique_ptr<Clock> ownClock_;
    const Clock *clock_;
    std::optional<std::chrono::steady_clock::time_point> stampedAt_;
    unsigned char stamp_[3] = {0, 0, 0};

    QString path_;
    mutable QFile file_;
    DbfMemoFile memo_;
    bool readOnly_ = false;
    bool newFile_ = false; // created, not saved yet
    bool saved_ = false;
    bool overwrite_ = false; // the user agreed to replace an existing file
    int type_ = 0;
    int codePageMark_ = 0;
    CodePage codePage_ = CodePage::Cp866;
    int headerLength_ = 0;
    int recordLength_ = 1;
    qint64 count_ = 0;
    unsigned char date_[3] = {0, 0, 0};
    QByteArray rawHeader_; // header as read, descriptors and back link included
    std::vector<DbfField> fields_;
    int nullFlagsIndex_ = -1;

    qint64 position_ = -1;
    QByteArray record_;
    QByteArray savedRecord_;
    Mode mode_ = Mode::None;
    std::vector<QByteArray> pendingMemo_; // per field: data for the memo at Update
    std::vector<bool> memoTouched_;
    std::vector<bool> memoIsBinary_;

    // Read cache over the record area.
    QByteArray cache_;
    qint64 cacheFirst_ = 0;
    qint64 cacheCount_ = 0;

    // Appended records not yet on the file (batch mode).
    bool batch_ = false;
    QByteArray pending_;
    qint64 committedCount_ = 0;

    // FindFirst / FindNext
    int findField_ = -1;
    QVariant findValue_;

    QString lastError_;
};

} // namespace kulvera
