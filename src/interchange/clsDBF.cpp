#include "interchange/clsDBF.h"

#include "common/Prompter.h"
#include "interchange/DbfCodec.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <chrono>

namespace kulvera {

namespace {

const QString kTitleOpen = QStringLiteral("Открытие файла");
const QString kTitleStructure = QStringLiteral("Контроль структуры файла.");
const QString kTitleCreate = QStringLiteral("Создание файла");
const QString kTitleField = QStringLiteral("Создание поля");
const QString kTitleSave = QStringLiteral("Сохранение файла");
const QString kTitleFieldRef = QStringLiteral("Ссылка на поле");
const QString kTitleRename = QStringLiteral("Переименование поля");
const QString kTitleDate = QStringLiteral("Дата последнего обновления");
const QString kTitleClose = QStringLiteral("Закрытие файла");

constexpr qint64 kMaxRecordLength = 65535; // the header keeps it in two bytes
constexpr qint64 kMaxHeaderLength = 65535;

QString num(qint64 n)
{
    return QString::number(n);
}

QString wrongSize(const QString &name, int length, int required)
{
    return QStringLiteral("Для поля ") + name + QStringLiteral(" указан") + QStringLiteral(" неправильный размер ")
        + num(length) + QStringLiteral(".\nТребуется ") + num(required) + QStringLiteral(".");
}

} // namespace

FieldRef FieldRef::fromVariant(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort: {
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        return FieldRef(ok && n >= 0 && n <= std::numeric_limits<int>::max() ? int(n) : -1);
    }
    case QMetaType::Double: {
        const double d = value.toDouble();
        return FieldRef(d >= 0 && d <= std::numeric_limits<int>::max() && d == std::floor(d) ? int(d) : -1);
    }
    case QMetaType::QString:
        return FieldRef(value.toString());
    default: {
        FieldRef r;
        r.valid_ = false;
        return r;
    }
    }
}

clsDBF::clsDBF(Prompter &prompter, const Clock *clock)
    : prompter_(prompter)
    , clock_(clock)
{
    if (!clock_) {
        ownClock_ = std::make_unique<SystemClock>();
        clock_ = ownClock_.get();
    }
}

clsDBF::~clsDBF()
{
    CloseFile();
}

Status clsDBF::fail(const QString &title, const QString &text)
{
    lastError_ = text;
    prompter_.error(text, title);
    return Status::failure(text);
}

Status clsDBF::structureFail(const QString &text)
{
    file_.close();
    memo_.close();
    resetState();
    return fail(kTitleStructure, text);
}

void clsDBF::resetState()
{
    path_.clear();
    readOnly_ = false;
    newFile_ = false;
    saved_ = false;
    overwrite_ = false;
    type_ = 0;
    codePageMark_ = 0;
    codePage_ = CodePage::Cp866;
    headerLength_ = 0;
    recordLength_ = 1;
    count_ = 0;
    date_[0] = date_[1] = date_[2] = 0;
    rawHeader_.clear();
    fields_.clear();
    nullFlagsIndex_ = -1;
    position_ = -1;
    record_.clear();
    savedRecord_.clear();
    mode_ = Mode::None;
    pendingMemo_.clear();
    memoTouched_.clear();
    memoIsBinary_.clear();
    cache_.clear();
    cacheFirst_ = cacheCount_ = 0;
    batch_ = false;
    pending_.clear();
    committedCount_ = 0;
    findField_ = -1;
    findValue_.clear();
}

QString clsDBF::GetFileType() const
{
    return dbf::fileTypeName(type_).value_or(QString());
}

int clsDBF::FieldsCount() const
{
    return static_cast<int>(fields_.size()) - (nullFlagsIndex_ >= 0 ? 1 : 0);
}

static CodePage codePageForMark(int mark, int type, std::optional<CodePage> forced)
{
    if (forced)
        return *forced;
    if (mark == clsDBF::xDBFCharsetANSI || mark == clsDBF::xDBFLanguageDriverANSI_DBASE || mark == 3)
        return CodePage::Cp1251;
    if (mark != 0)
        return CodePage::Cp866;
    if (dbf::isVisualFoxPro(type))
        return CodePage::Cp1251;
    // Type 255 with no mark keeps the caller's page; without one the bytes stand as they are (1251).
    return type == dbf::kImpExpSpecial ? CodePage::Cp1251 : CodePage::Cp866;
}

QString clsDBF::decodeText(const char *data, int length) const
{
    int end = length;
    while (end > 0 && (data[end - 1] == ' ' || data[end - 1] == '\0'))
        --end;
    QString text(end, Qt::Uninitialized);
    QChar *out = text.data();
    for (int i = 0; i < end; ++i)
        out[i] = decodeByte(static_cast<unsigned char>(data[i]), codePage_);
    return text;
}

QByteArray clsDBF::encodeName(const QString &name) const
{
    return encodeCodePage(name, codePage_);
}

// ---------------------------------------------------------------- opening

Status clsDBF::OpenFile(const QString &path, std::optional<CodePage> codePage)
{
    CloseFile();
    ErrorClear();
    if (path.isEmpty())
        return fail(kTitleOpen, QStringLiteral("Не указан путь к файлу!"));
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return fail(kTitleOpen, QStringLiteral("Файл ") + path + QStringLiteral(" не найден!"));
    bool readOnly = false;
    if (!info.isWritable()) {
        const auto answer = prompter_.ask(QStringLiteral("Файл ") + path + QStringLiteral(" имеет атрибут ")
                + QStringLiteral("\"Только для") + QStringLiteral(" чтения\"") + QStringLiteral("\nПродолжать?"),
            Prompter::Buttons::OkCancel, kTitleOpen, Prompter::Icon::Question, QStringLiteral("dbf-open-readonly"));
        if (answer != Prompter::Answer::Ok) {
            lastError_ = QStringLiteral("Открытие файла ") + path + QStringLiteral(" отменено.");
            return Status::failure(lastError_);
        }
        readOnly = true;
    }
    file_.setFileName(path);
    if (!file_.open(
            readOnly ? QIODevice::ReadOnly | QIODevice::Unbuffered : QIODevice::ReadWrite | QIODevice::Unbuffered))
        return fail(kTitleOpen, QStringLiteral("Не удалось открыть файл ") + path + QStringLiteral("!"));
    path_ = path;
    readOnly_ = readOnly;

    const QString badStructure = QStringLiteral("Файл ") + path + QStringLiteral(" имеет неправильную структуру!");
    const qint64 fileSize = file_.size();
    QByteArray first = file_.read(dbf::kHeaderSize);
    if (first.size() < dbf::kHeaderSize)
        return structureFail(badStructure);
    const int type = static_cast<unsigned char>(first[0]);
    if (!dbf::fileTypeName(type)) {
        file_.close();
        resetState();
        return fail(kTitleOpen, QStringLiteral("Тип файла ") + num(type) + QStringLiteral(" не опознан!"));
    }
    const int headerLength = dbf::readLE16(first.constData() + 8);
    if (headerLength < dbf::headerOverhead(type) || headerLength > fileSize)
        return structureFail(badStructure);
    file_.seek(0);
    const QByteArray header = file_.read(headerLength);
    if (header.size() != headerLength)
        return structureFail(badStructure);
    type_ = type;
    return parseHeader(header, codePage);
}

Status clsDBF::parseHeader(const QByteArray &header, std::optional<CodePage> forced)
{
    const QString path = path_;
    const QString badStructure = QStringLiteral("Файл ") + path + QStringLiteral(" имеет неправильную структуру!");
    const char *h = header.constData();
    const int headerLength = static_cast<int>(header.size());
    // The descriptors end at the terminator, not where the header length says: writers differ in
    // what they leave after it (FoxPro tables may carry the 263-byte area of Visual FoxPro), and
    // the records begin at the header length in any case.
    int fieldCount = 0;
    while (dbf::kHeaderSize + fieldCount * dbf::kDescriptorSize < headerLength
        && h[dbf::kHeaderSize + fieldCount * dbf::kDescriptorSize] != dbf::kTerminator)
        ++fieldCount;
    const int terminatorAt = dbf::kHeaderSize + fieldCount * dbf::kDescriptorSize;
    if (terminatorAt >= headerLength || terminatorAt + dbf::headerOverhead(type_) - dbf::kHeaderSize > headerLength)
        return structureFail(badStructure);

    codePageMark_ = static_cast<unsigned char>(h[29]);
    codePage_ = codePageForMark(codePageMark_, type_, forced);
    headerLength_ = headerLength;
    const int declaredRecordLength = dbf::readLE16(h + 10);
    const qint64 declaredCount = dbf::readLE32(h + 4);
    date_[0] = static_cast<unsigned char>(h[1]);
    date_[1] = static_cast<unsigned char>(h[2]);
    date_[2] = static_cast<unsigned char>(h[3]);

    std::vector<DbfField> fields;
    fields.reserve(static_cast<size_t>(fieldCount));
    qint64 offset = 1;
    int nullBits = 0;
    int nullFlagsIndex = -1;
    QStringList unknownTypes;
    for (int i = 0; i < fieldCount; ++i) {
        const char *d = h + dbf::kHeaderSize + i * dbf::kDescriptorSize;
        DbfField f;
        auto namePart = [&](int from, int size) {
            int n = 0;
            while (n < size && d[from + n] != '\0')
                ++n;
            return decodeCodePage(QByteArray(d + from, n), codePage_);
        };
        f.name = namePart(0, 11);
        if (type_ == dbf::kImpExpSpecial) {
            if (d[12] != '\0')
                f.name += namePart(12, 4);
            if (d[20] != '\0')
                f.name += namePart(20, 12);
        }
        f.name = f.name.trimmed();
        f.type = d[11];
        f.length = static_cast<unsigned char>(d[16]);
        f.decimals = static_cast<unsigned char>(d[17]);
        if (f.type == 'C') {
            f.length += 256 * f.decimals;
            f.decimals = 0;
        }
        f.flags = static_cast<unsigned char>(d[18]);
        f.binary = (f.flags & dbf::kFlagBinary) != 0 && (f.type == 'C' || f.type == 'M' || f.type == 'V');
        if (dbf::isVisualFoxPro(type_) && f.type == 'I'
            && (f.flags & dbf::kFlagAutoIncrement) == dbf::kFlagAutoIncrement) {
            f.autoIncrement = true;
            f.autoNext = dbf::readLE32(d + 19);
            f.autoStep = static_cast<unsigned char>(d[23]);
        }
        if (!dbf::isKnownFieldType(f.type)) {
            unknownTypes << f.name;
            f.binary = true;
        }
        const int required = dbf::requiredLength(f.type, type_);
        if (required > 0 && f.length != required)
            return structureFail(wrongSize(f.name, f.length, required));
        if (f.length <= 0)
            return structureFail(badStructure);
        if (f.type == '0') {
            nullFlagsIndex = i;
        } else if ((f.flags & dbf::kFlagNullable) != 0 && dbf::isVisualFoxPro(type_)) {
            f.nullBit = nullBits++;
        }
        f.offset = static_cast<int>(offset);
        offset += f.length;
        fields.push_back(std::move(f));
    }
    if (nullFlagsIndex < 0) {
        for (DbfField &f : fields)
            f.nullBit = -1;
    } else if (fields[static_cast<size_t>(nullFlagsIndex)].length * 8 < nullBits) {
        return structureFail(badStructure);
    }
    if (offset != declaredRecordLength) {
        return structureFail(QStringLiteral("Указанная в заголовке файла длина записи (") + num(declaredRecordLength)
            + QStringLiteral(") отличается от расчетной (") + num(offset) + QStringLiteral(") !")
            + QStringLiteral("\nПроцедура прервана."));
    }
    recordLength_ = static_cast<int>(offset);
    const qint64 fileSize = file_.size();
    const qint64 fits = (fileSize - headerLength_) / recordLength_;
    if (declaredCount > fits) {
        return structureFail(QStringLiteral("Файл ") + path + QStringLiteral(" поврежден: в заголовке указано записей ")
            + num(declaredCount) + QStringLiteral(", а в файле их помещается ") + num(fits) + QStringLiteral("."));
    }
    count_ = declaredCount;
    committedCount_ = count_;
    fields_ = std::move(fields);
    nullFlagsIndex_ = nullFlagsIndex;
    rawHeader_ = header;
    pendingMemo_.assign(fields_.size(), QByteArray());
    memoTouched_.assign(fields_.size(), false);
    memoIsBinary_.assign(fields_.size(), false);
    record_ = QByteArray(recordLength_, ' ');
    for (const QString &name : unknownTypes)
        prompter_.warning(QStringLiteral("Тип поля \"") + name
                + QStringLiteral("\" не опознан! Работать с таким полем можно")
                + QStringLiteral(" с помощью байтового массива."),
            kTitleStructure);
    openMemo(false);
    return {};
}

Status clsDBF::openMemo(bool create)
{
    memo_.close();
    const bool needed
        = std::any_of(fields_.begin(), fields_.end(), [](const DbfField &f) { return dbf::isMemoType(f.type); });
    if (!needed)
        return {};
    const QFileInfo info(path_);
    const QString ext = DbfMemoFile::extensionFor(type_);
    QString memoPath = info.path() + u'/' + info.completeBaseName() + u'.' + ext;
    if (!create && !QFileInfo::exists(memoPath)) {
        const QString upper = info.path() + u'/' + info.completeBaseName() + u'.' + ext.toUpper();
        if (QFileInfo::exists(upper))
            memoPath = upper;
        else
            return {}; // memo fields cannot be read; reading one says so
    }
    return memo_.open(memoPath, DbfMemoFile::kindFor(type_), readOnly_);
}

Status clsDBF::CloseFile()
{
    Status result;
    if (file_.isOpen() && batch_ && !pending_.isEmpty())
        result = flushBatch(kTitleClose);
    file_.close();
    memo_.close();
    resetState();
    return result;
}

// ---------------------------------------------------------------- creating

Status clsDBF::CreateNewFile(const QString &path, int type, int codePageMark)
{
    CloseFile();
    ErrorClear();
    if (path.isEmpty())
        return fail(kTitleCreate, QStringLiteral("Не указан путь к файлу!"));
    if (!dbf::fileTypeName(type))
        return fail(kTitleCreate, QStringLiteral("Указан неизвестный тип DBF файла!"));
    if (codePageMark < 0 || codePageMark > 255)
        return fail(kTitleCreate, QStringLiteral("Неправильно указана кодовая страница!"));
    bool overwrite = false;
    if (QFileInfo::exists(path)) {
        // The old file is replaced only when the new one is saved, so a failure keeps it.
        if (!prompter_.confirm(
                QStringLiteral("Файл ") + path + QStringLiteral(" существует!") + QStringLiteral("\nУдалить его?"),
                kTitleCreate, QStringLiteral("dbf-create-overwrite"))) {
            lastError_ = QStringLiteral("Файл ") + path + QStringLiteral(" существует!");
            return Status::failure(lastError_);
        }
        overwrite = true;
    }
    path_ = path;
    type_ = type;
    codePageMark_ = codePageMark;
    codePage_ = codePageForMark(codePageMark, type, std::nullopt);
    newFile_ = true;
    overwrite_ = overwrite;
    headerLength_ = dbf::headerOverhead(type);
    recordLength_ = 1;
    return {};
}

Status clsDBF::validateName(const QString &name, const QString &title, int skipIndex)
{
    if (name.trimmed().isEmpty())
        return fail(title, QStringLiteral("Не указано имя поля!"));
    if (type_ == dbf::kImpExpSpecial) {
        // 11 characters in bytes 0-10, 4 in bytes 12-15, 12 in bytes 20-31.
        if (name.size() > 27)
            return fail(title,
                QStringLiteral("Имя поля в файле ImpExpSpec не может превышать") + QStringLiteral(" 27 символов!"));
    } else if (name.size() > 10) {
        return fail(title, QStringLiteral("Имя поля не может превышать 10 символов!"));
    }
    for (const QChar c : name) {
        unsigned char b = 0;
        if (c.unicode() < 0x21 || !encodeChar(c, codePage_, &b))
            return fail(title, QStringLiteral("Имя поля ") + name + QStringLiteral(" содержит недопустимые символы!"));
    }
    for (size_t i = 0; i < fields_.size(); ++i)
        if (static_cast<int>(i) != skipIndex && fields_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return fail(title, QStringLiteral("Поле ") + name + QStringLiteral(" уже существует!"));
    return {};
}

Status clsDBF::CreateField(const QString &name, QChar typeLetter, int size, int decimals, bool nullable, bool binary)
{
    ErrorClear();
    const bool emptyExisting = file_.isOpen() && saved_ && count_ == 0 && !readOnly_;
    const bool emptyOpened = file_.isOpen() && !newFile_ && count_ == 0 && !readOnly_;
    if (!newFile_ && !emptyExisting && !emptyOpened)
        return fail(kTitleField,
            QStringLiteral("Добавление поля возможно только в новый файл, или")
                + QStringLiteral(" в существующий, не имеющий ни одной записи!"));
    if (Status s = validateName(name, kTitleField, -1); !s)
        return s;
    if (typeLetter.isNull() || typeLetter.isSpace() || typeLetter == u'0')
        return fail(kTitleField, QStringLiteral("Не указан, или неправильно указан тип поля!"));
    const char16_t letter = typeLetter.unicode();
    bool autoIncrement = false;
    char type = letter < 0x80 ? static_cast<char>(letter) : '?';
    if (type == '+') {
        if (!dbf::isVisualFoxPro(type_))
            return fail(
                kTitleField, QStringLiteral("Автоинкрементное поле допускается только для файлов \"Visual FoxPro\"!"));
        autoIncrement = true;
        type = 'I';
    }
    if (!dbf::isKnownFieldType(type))
        return fail(kTitleField, QStringLiteral("Тип поля не опознан!"));
    if ((type == '1' || type == '2' || type == '4' || type == 'v') && type_ != dbf::kImpExpSpecial)
        return fail(kTitleField,
            QStringLiteral("Тип поля \"") + QChar(letter)
                + QStringLiteral("\" допускается только в файлах ImpExpSpec!"));
    if (dbf::isMemoType(type) && !dbf::supportsMemo(type_))
        return fail(kTitleField,
            QStringLiteral("При создании файла указан тип, не поддерживающий") + QStringLiteral(" MEMO полей!"));
    if (nullable && !dbf::isVisualFoxPro(type_))
        return fail(kTitleField,
            QStringLiteral("Поля, допускающие пустое значение (Null), возможны только в файлах \"Visual FoxPro\"!"));
    if (binary && type != 'C' && type != 'M' && type != 'V')
        return fail(kTitleField, QStringLiteral("Двоичным может быть только текстовое или MEMO поле!"));

    int length = size;
    const int required = dbf::requiredLength(type, type_);
    if (required > 0) {
        if (size != 0 && size != required)
            return fail(kTitleField, wrongSize(name, size, required));
        length = required;
    } else if (type == 'C' || type == 'V' || type == 'Q') {
        if (size > 254)
            return fail(kTitleField, QStringLiteral("Размер поля не может превышать 254 байта!"));
        if (size < 1)
            return fail(kTitleField, QStringLiteral("Не указан размер поля ") + name + QStringLiteral("!"));
        decimals = 0;
    } else if (type == 'N' || type == 'F') {
        if (size < 1 || size > 20)
            return fail(kTitleField, QStringLiteral("Размер числового поля должен быть от 1 до 20 символов!"));
        if (decimals < 0 || decimals > 15 || (decimals > 0 && decimals > size - 2))
            return fail(kTitleField,
                QStringLiteral("Неправильно указано число десятичных знаков поля ") + name + QStringLiteral("!"));
    }
    if (type == 'v' && (decimals < 0 || decimals > 28))
        return fail(kTitleField,
            QStringLiteral("Неправильно указано число десятичных знаков поля ") + name + QStringLiteral("!"));
    if (type != 'N' && type != 'F' && type != 'v' && type != 'Y')
        decimals = 0;

    qint64 used = 1;
    for (const DbfField &f : fields_)
        if (f.type != '0')
            used += f.length;
    const int nullable0 = static_cast<int>(
        std::count_if(fields_.begin(), fields_.end(), [](const DbfField &f) { return f.nullBit >= 0; }));
    const int nullBytesAfter = nullable || nullable0 > 0 ? (nullable0 + (nullable ? 1 : 0) + 7) / 8 : 0;
    const qint64 left = kMaxRecordLength - used - nullBytesAfter;
    if (length > left)
        return fail(kTitleField,
            QStringLiteral("Создание поля с размером ") + num(length) + QStringLiteral(" байтов")
                + QStringLiteral(" невозможно из-за превышения максимальной длины записи!")
                + QStringLiteral("\nМаксимальный доступный размер - ") + num(std::max<qint64>(0, left))
                + QStringLiteral(" байтов."));
    const qint64 descriptorsAfter
        = static_cast<qint64>(fields_.size()) + 1 + (nullBytesAfter > 0 && nullFlagsIndex_ < 0 ? 1 : 0);
    if (dbf::headerOverhead(type_) + descriptorsAfter * dbf::kDescriptorSize > kMaxHeaderLength)
        return fail(kTitleField, QStringLiteral("Превышено максимальное число полей!"));
    if (binary
        && !prompter_.confirm(
            QStringLiteral("Создать двоичное поле с размером ") + num(length) + QStringLiteral(" байтов?"), kTitleField,
            QStringLiteral("dbf-binary-field"))) {
        lastError_ = QStringLiteral("Создание поля ") + name + QStringLiteral(" отменено.");
        return Status::failure(lastError_);
    }

    DbfField f;
    f.name = name;
    f.type = type;
    f.length = length;
    f.decimals = decimals;
    f.binary = binary;
    f.flags = (binary ? dbf::kFlagBinary : 0) | (nullable ? dbf::kFlagNullable : 0);
    if (autoIncrement) {
        f.autoIncrement = true;
        f.flags |= dbf::kFlagAutoIncrement;
        f.autoNext = 1;
        f.autoStep = 1;
    }

    // Keep _NullFlags last: take it out, add the field, put it back sized anew.
    std::vector<DbfField> fields = fields_;
    if (nullFlagsIndex_ >= 0)
        fields.erase(fields.begin() + nullFlagsIndex_);
    fields.push_back(f);
    int bits = 0;
    for (DbfField &g : fields)
        g.nullBit = (g.flags & dbf::kFlagNullable) != 0 ? bits++ : -1;
    int nullIndex = -1;
    if (saved_ && bits > 0) {
        DbfField nf;
        nf.name = QStringLiteral("_NullFlags");
        nf.type = '0';
        nf.length = (bits + 7) / 8;
        nf.flags = dbf::kFlagSystem | dbf::kFlagBinary;
        nf.binary = true;
        nullIndex = static_cast<int>(fields.size());
        fields.push_back(nf);
    }
    int offset = 1;
    for (DbfField &g : fields) {
        g.offset = offset;
        offset += g.length;
    }

    if (newFile_ && !saved_) {
        fields_ = std::move(fields);
        nullFlagsIndex_ = nullIndex;
        recordLength_ = offset;
        headerLength_ = dbf::headerOverhead(type_) + static_cast<int>(fields_.size()) * dbf::kDescriptorSize;
        return {};
    }
    // An existing table without records: write the wider header in place of the old one.
    const std::vector<DbfField> oldFields = fields_;
    const int oldNull = nullFlagsIndex_, oldLength = recordLength_, oldHeader = headerLength_;
    fields_ = std::move(fields);
    nullFlagsIndex_ = nullIndex;
    recordLength_ = offset;
    headerLength_ = dbf::headerOverhead(type_) + static_cast<int>(fields_.size()) * dbf::kDescriptorSize;
    const QString path = path_;
    file_.close();
    memo_.close();
    newFile_ = true;
    saved_ = false;
    overwrite_ = true;
    const Status s = SaveNewFile();
    if (!s) {
        // Reopen the table as it was.
        fields_ = oldFields;
        nullFlagsIndex_ = oldNull;
        recordLength_ = oldLength;
        headerLength_ = oldHeader;
        file_.setFileName(path);
        file_.open(QIODevice::ReadWrite | QIODevice::Unbuffered);
        newFile_ = false;
        saved_ = true;
        openMemo(false);
        return s;
    }
    return {};
}

Status clsDBF::CreateFieldFromADO(const QString &name, int adoType, int size, int decimals, bool nullable)
{
    QChar type;
    int length = size;
    switch (adoType) {
    case ado::adChar:
    case ado::adVarChar:
    case ado::adVarWChar:
        type = size > 254 ? u'M' : u'C';
        length = size > 254 ? 0 : size;
        break;
    case ado::adLongVarChar:
    case ado::adLongVarWChar:
        type = u'M';
        length = 0;
        break;
    case ado::adBoolean:
        type = u'L';
        length = 0;
        break;
    case ado::adDate:
    case ado::adDBDate:
        type = u'D';
        length = 0;
        break;
    case ado::adDBTimeStamp:
        type = dbf::isVisualFoxPro(type_) ? u'T' : u'D';
        length = 0;
        break;
    case ado::adUnsignedTinyInt:
        type = u'N';
        length = 3;
        decimals = 0;
        break;
    case ado::adSmallInt:
        type = u'N';
        length = 6;
        decimals = 0;
        break;
    case ado::adInteger:
        type = dbf::isVisualFoxPro(type_) ? u'I' : u'N';
        length = dbf::isVisualFoxPro(type_) ? 0 : 11;
        decimals = 0;
        break;
    case ado::adBigInt:
        type = u'N';
        length = 20;
        decimals = 0;
        break;
    case ado::adSingle:
    case ado::adDouble:
        if (dbf::isVisualFoxPro(type_)) {
            type = u'B';
            length = 0;
        } else {
            type = u'N';
            length = 20;
            decimals = decimals > 0 ? decimals : 6;
        }
        break;
    case ado::adCurrency:
        if (dbf::isVisualFoxPro(type_)) {
            type = u'Y';
            length = 0;
        } else {
            type = u'N';
            length = 20;
            decimals = 4;
        }
        break;
    case ado::adDecimal:
    case ado::adNumeric:
        type = u'N';
        length = size > 0 && size <= 20 ? size : 20;
        break;
    case ado::adBinary:
    case ado::adVarBinary:
    case ado::adLongVarBinary:
        if (!dbf::supportsMemo(type_))
            return fail(kTitleField,
                QStringLiteral("При создании файла указан тип, не поддерживающий") + QStringLiteral(" MEMO полей!"));
        type = u'G';
        length = 0;
        break;
    default:
        return fail(kTitleField, QStringLiteral("Тип поля не опознан!"));
    }
    return CreateField(name, type, length, decimals, nullable, false);
}

QByteArray clsDBF::buildHeader() const
{
    QByteArray header(headerLength_, '\0');
    char *h = header.data();
    h[0] = char(type_);
    h[1] = char(date_[0]);
    h[2] = char(date_[1]);
    h[3] = char(date_[2]);
    dbf::writeLE32(h + 4, quint32(count_));
    dbf::writeLE16(h + 8, quint16(headerLength_));
    dbf::writeLE16(h + 10, quint16(recordLength_));
    const bool hasMemo
        = std::any_of(fields_.begin(), fields_.end(), [](const DbfField &f) { return dbf::isMemoType(f.type); });
    h[28] = hasMemo ? char(0x02) : char(0);
    h[29] = char(codePageMark_);
    for (size_t i = 0; i < fields_.size(); ++i) {
        const DbfField &f = fields_[i];
        char *d = h + dbf::kHeaderSize + static_cast<int>(i) * dbf::kDescriptorSize;
        const QByteArray name = encodeName(f.name);
        std::memcpy(d, name.constData(), static_cast<size_t>(std::min<qsizetype>(name.size(), 10)));
        if (type_ == dbf::kImpExpSpecial && name.size() > 11) {
            // Long names: characters 12-15 in bytes 12-15, 16-27 in bytes 20-31.
            d[10] = name[10];
            std::memcpy(d + 12, name.constData() + 11, static_cast<size_t>(std::min<qsizetype>(name.size() - 11, 4)));
            if (name.size() > 15)
                std::memcpy(
                    d + 20, name.constData() + 15, static_cast<size_t>(std::min<qsizetype>(name.size() - 15, 12)));
        } else if (name.size() == 11) {
            d[10] = name[10];
        }
        d[11] = f.type;
        if (dbf::isVisualFoxPro(type_))
            dbf::writeLE32(d + 12, quint32(f.offset));
        if (f.type == 'C') {
            d[16] = char(f.length & 0xFF);
            d[17] = char(f.length >> 8);
        } else {
            d[16] = char(f.length);
            d[17] = char(f.decimals);
        }
        d[18] = char(f.flags);
        if (f.autoIncrement) {
            dbf::writeLE32(d + 19, f.autoNext);
            d[23] = char(f.autoStep);
        }
    }
    h[dbf::kHeaderSize + static_cast<int>(fields_.size()) * dbf::kDescriptorSize] = dbf::kTerminator;
    return header;
}

void clsDBF::stampDate()
{
    // Asking the system for the local date costs more than writing a record:
    // our own system clock is asked at most once a second. An injected clock
    // is always asked.
    const auto now = std::chrono::steady_clock::now();
    if (!ownClock_ || !stampedAt_ || now - *stampedAt_ >= std::chrono::seconds(1)) {
        const QDate today = clock_->today();
        const int year = today.year();
        stamp_[0] = static_cast<unsigned char>(std::clamp(year >= 2000 ? year - 2000 : year - 1900, 0, 255));
        stamp_[1] = static_cast<unsigned char>(today.month());
        stamp_[2] = static_cast<unsigned char>(today.day());
        stampedAt_ = now;
    }
    std::memcpy(date_, stamp_, 3);
}

Status clsDBF::SaveNewFile()
{
    ErrorClear();
    if (path_.isEmpty() || (!newFile_ && !saved_))
        return fail(kTitleSave, QStringLiteral("Новый файл еще не создан!"));
    if (saved_)
        return fail(kTitleSave,
            nullFlagsIndex_ >= 0 ? QStringLiteral("Файл уже был сохранен, и в него добавлено системное поле!")
                                 : QStringLiteral("Файл уже был сохранен!"));
    if (fields_.empty())
        return fail(kTitleSave, QStringLiteral("В файле еще нет полей!"));

    std::vector<DbfField> fields = fields_;
    int nullIndex = nullFlagsIndex_;
    const int bits = static_cast<int>(
        std::count_if(fields.begin(), fields.end(), [](const DbfField &f) { return f.nullBit >= 0; }));
    if (nullIndex < 0 && bits > 0 && dbf::isVisualFoxPro(type_)) {
        DbfField nf;
        nf.name = QStringLiteral("_NullFlags");
        nf.type = '0';
        nf.length = (bits + 7) / 8;
        nf.flags = dbf::kFlagSystem | dbf::kFlagBinary;
        nf.binary = true;
        nf.offset = recordLength_;
        nullIndex = static_cast<int>(fields.size());
        fields.push_back(nf);
    }
    const std::vector<DbfField> before = fields_;
    const int beforeNull = nullFlagsIndex_, beforeRecord = recordLength_, beforeHeader = headerLength_;
    fields_ = fields;
    nullFlagsIndex_ = nullIndex;
    if (nullIndex >= 0 && beforeNull < 0) {
        recordLength_ += fields_.back().length;
        headerLength_ += dbf::kDescriptorSize;
    }
    auto undo = [&]() {
        fields_ = before;
        nullFlagsIndex_ = beforeNull;
        recordLength_ = beforeRecord;
        headerLength_ = beforeHeader;
    };
    if (!overwrite_ && QFileInfo::exists(path_)) {
        undo();
        return fail(kTitleSave, QStringLiteral("Файл ") + path_ + QStringLiteral(" существует!"));
    }
    stampDate();
    count_ = 0;
    QByteArray bytes = buildHeader();
    // Visual FoxPro puts no end mark after an empty table's header.
    if (!dbf::isVisualFoxPro(type_))
        bytes.append(dbf::kEndOfFile);

    const bool hasMemo
        = std::any_of(fields_.begin(), fields_.end(), [](const DbfField &f) { return dbf::isMemoType(f.type); });
    const QFileInfo info(path_);
    const QString memoPath = info.path() + u'/' + info.completeBaseName() + u'.' + DbfMemoFile::extensionFor(type_);
    QSaveFile out(path_);
    // commit() misses a write that fails while it flushes the buffer: flush first.
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush()) {
        out.cancelWriting();
        undo();
        return fail(kTitleSave, QStringLiteral("Не удалось записать файл ") + path_ + QStringLiteral("!"));
    }
    if (hasMemo) {
        if (Status s = DbfMemoFile::create(memoPath, DbfMemoFile::kindFor(type_)); !s) {
            out.cancelWriting();
            undo();
            return fail(kTitleSave, s.error());
        }
    }
    if (!out.commit()) {
        undo();
        return fail(kTitleSave, QStringLiteral("Не удалось записать файл ") + path_ + QStringLiteral("!"));
    }
    file_.setFileName(path_);
    if (!file_.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        undo();
        return fail(kTitleSave, QStringLiteral("Не удалось открыть файл ") + path_ + QStringLiteral("!"));
    }
    rawHeader_ = buildHeader();
    newFile_ = false;
    saved_ = true;
    overwrite_ = false;
    readOnly_ = false;
    committedCount_ = 0;
    position_ = -1;
    record_ = QByteArray(recordLength_, ' ');
    pendingMemo_.assign(fields_.size(), QByteArray());
    memoTouched_.assign(fields_.size(), false);
    memoIsBinary_.assign(fields_.size(), false);
    if (hasMemo) {
        if (Status s = memo_.open(memoPath, DbfMemoFile::kindFor(type_), false); !s)
            return fail(kTitleSave, s.error());
    }
    return {};
}

// ---------------------------------------------------------------- fields

std::optional<int> clsDBF::resolve(const FieldRef &field, const QString &title)
{
    if (!field.isValid()) {
        fail(
            title, QStringLiteral("Ссылка на поле должна иметь числовое или") + QStringLiteral(" строковое значение!"));
        return std::nullopt;
    }
    if (!field.byName()) {
        const int last = FieldsCount() - 1;
        if (field.index() < 0 || field.index() > last) {
            fail(title, QStringLiteral("Номер поля должен быть в пределах от 0 до ") + num(last) + QStringLiteral("!"));
            return std::nullopt;
        }
        // _NullFlags is last, so indexes below FieldsCount() are the caller's fields.
        return field.index();
    }
    const QString name = field.name().trimmed();
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    fail(title, QStringLiteral("Поле \"") + field.name() + QStringLiteral("\" не найдено!"));
    return std::nullopt;
}

QString clsDBF::GetFieldName(const FieldRef &field)
{
    const auto i = resolve(field, kTitleFieldRef);
    return i ? fields_[static_cast<size_t>(*i)].name : QString();
}

QChar clsDBF::GetFieldTypeOriginal(const FieldRef &field)
{
    const auto i = resolve(field, kTitleFieldRef);
    return i ? QChar::fromLatin1(fields_[static_cast<size_t>(*i)].type) : QChar();
}

int clsDBF::GetFieldTypeForDAO(const FieldRef &field)
{
    const auto i = resolve(field, kTitleFieldRef);
    if (!i)
        return 0;
    const DbfField &f = fields_[static_cast<size_t>(*i)];
    return dbf::daoType(f.type, f.length, f.decimals, f.binary, type_);
}

int clsDBF::GetFieldTypeForADO(const FieldRef &field)
{
    const auto i = resolve(field, kTitleFieldRef);
    if (!i)
        return 0;
    const DbfField &f = fields_[static_cast<size_t>(*i)];
    return dbf::adoType(f.type, f.length, f.decimals, f.binary, type_);
}

int clsDBF::GetFieldSize(const FieldRef &field)
{
    const auto i = resolve(field, kTitleFieldRef);
    return i ? fields_[static_cast<size_t>(*i)].length : 0;
}

int clsDBF::GetFieldDecPlaces(const FieldRef &field)
{
    const auto i = resolve(field, kTitleFieldRef);
    return i ? fields_[static_cast<size_t>(*i)].decimals : 0;
}

bool clsDBF::GetFieldIsBinary(const FieldRef &field)
{
    const auto i = resolve(field, kTitleFieldRef);
    if (!i)
        return false;
    const DbfField &f = fields_[static_cast<size_t>(*i)];
    return f.binary || f.type == 'G' || f.type == 'Q' || f.type == '0' || !dbf::isKnownFieldType(f.type);
}

bool clsDBF::GetFieldIsNullable(const FieldRef &field)
{
    const auto i = resolve(field, kTitleFieldRef);
    return i && fields_[static_cast<size_t>(*i)].nullBit >= 0;
}

Status clsDBF::ChangeFieldName(const FieldRef &field, const QString &newName)
{
    ErrorClear();
    const auto i = resolve(field, kTitleRename);
    if (!i)
        return Status::failure(lastError_);
    if (fields_[static_cast<size_t>(*i)].type == '0')
        return fail(kTitleRename, QStringLiteral("Системное поле переименовать нельзя!"));
    if (Status s = validateName(newName, kTitleRename, *i); !s)
        return s;
    if (!file_.isOpen()) {
        fields_[static_cast<size_t>(*i)].name = newName;
        return {};
    }
    if (readOnly_)
        return fail(kTitleRename, QStringLiteral("Файл доступен только на чтение!"));
    const QString old = fields_[static_cast<size_t>(*i)].name;
    fields_[static_cast<size_t>(*i)].name = newName;
    const QByteArray header = buildHeader();
    const qint64 at = dbf::kHeaderSize + qint64(*i) * dbf::kDescriptorSize;
    // Only the name bytes change (0-10, and 12-15, 20-31 for long names).
    QByteArray descriptor = rawHeader_.mid(at, dbf::kDescriptorSize);
    const QByteArray fresh = header.mid(at, dbf::kDescriptorSize);
    std::memcpy(descriptor.data(), fresh.constData(), 11);
    if (type_ == dbf::kImpExpSpecial) {
        std::memcpy(descriptor.data() + 12, fresh.constData() + 12, 4);
        std::memcpy(descriptor.data() + 20, fresh.constData() + 20, 12);
    }
    if (Status s = writeAt(at, descriptor.constData(), descriptor.size()); !s) {
        fields_[static_cast<size_t>(*i)].name = old;
        return fail(kTitleRename, s.error());
    }
    rawHeader_.replace(at, descriptor.size(), descriptor);
    return {};
}

// ---------------------------------------------------------------- date

QDate clsDBF::LastDateUpdate() const
{
    const int y = date_[0];
    const int year = y <= 29 ? 2000 + y : 1900 + y; // 30-99 are 1930-1999; other writers count on from 1900
    return QDate(year, date_[1], date_[2]);
}

Status clsDBF::LastDateUpdate(const QDate &date)
{
    ErrorClear();
    if (!file_.isOpen())
        return fail(
            kTitleDate, newFile_ ? QStringLiteral("Новый файл еще не сохранен!") : QStringLiteral("Файл не открыт!"));
    if (readOnly_)
        return fail(kTitleDate, QStringLiteral("Файл доступен только на чтение!"));
    // Two digits of the year read back only within 1930-2029.
    if (!date.isValid() || date.year() < 1930 || date.year() > 2029)
        return fail(kTitleDate, QStringLiteral("Дата последнего обновления должна быть в пределах 1930-2029 годов!"));
    const char bytes[3]
        = {char(date.year() >= 2000 ? date.year() - 2000 : date.year() - 1900), char(date.month()), char(date.day())};
    if (Status s = writeAt(1, bytes, 3); !s)
        return fail(kTitleDate, s.error());
    for (int k = 0; k < 3; ++k)
        date_[k] = static_cast<unsigned char>(bytes[k]);
    return {};
}

QVariant clsDBF::MyNZ(const QVariant &value, const QVariant &fallback)
{
    return value.isNull() ? fallback : value;
}

Status clsDBF::writeAt(qint64 offset, const char *data, qint64 size)
{
    if (!file_.seek(offset) || file_.write(data, size) != size)
        return Status::failure(
            QStringLiteral("Ошибка записи в файл ") + path_ + QStringLiteral(": ") + file_.errorString());
    return {};
}

} // namespace kulvera
