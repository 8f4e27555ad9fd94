// Records of clsDBF: navigation, values, editing, deletion, compaction.
#include "interchange/clsDBF.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/TextDate.h"
#include "interchange/DbfCodec.h"

#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace kulvera {

namespace {

const QString kTitleMove = QStringLiteral("Переход к записи");
const QString kTitleRead = QStringLiteral("Чтение значения");
const QString kTitleWrite = QStringLiteral("Запись значения");
const QString kTitleEdit = QStringLiteral("Редактирование записи");
const QString kTitleUpdate = QStringLiteral("Сохранение записи");
const QString kTitleDelete = QStringLiteral("Удаление записи");
const QString kTitleCompact = QStringLiteral("Сжатие файла");
const QString kTitleFind = QStringLiteral("Поиск записи");

constexpr qint64 kCacheBytes = 64 * 1024;
constexpr qint64 kBatchBytes = 1024 * 1024;

QString num(qint64 n)
{
    return QString::number(n);
}

QString shown(const QVariant &value)
{
    if (value.typeId() == QMetaType::Double)
        return formatNumber(value.toDouble());
    return value.toString();
}

QString notNumber(const QVariant &value)
{
    return QStringLiteral("Значение ") + shown(value) + QStringLiteral(" не является числом!");
}

QString tooLarge(const QVariant &value)
{
    return QStringLiteral("Значение ") + shown(value) + QStringLiteral(" слишком большое!");
}

QString notDate(const QVariant &value)
{
    return QStringLiteral("Значение ") + shown(value) + QStringLiteral(" не является датой!");
}

bool isNumericVariant(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

// A number from a variant: numbers as they are, text as the program writes it.
std::optional<double> toNumber(const QVariant &v)
{
    if (isNumericVariant(v))
        return v.toDouble();
    if (v.typeId() == QMetaType::QString)
        return parseNumber(v.toString());
    return std::nullopt;
}

std::optional<QDate> toDate(const QVariant &v)
{
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().isValid() ? std::optional(v.toDate()) : std::nullopt;
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().isValid() ? std::optional(v.toDateTime().date()) : std::nullopt;
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString t = v.toString().trimmed();
    if (auto d = parseTextDate(t))
        return d;
    QDate d = QDate::fromString(t, QStringLiteral("yyyyMMdd"));
    if (!d.isValid())
        d = QDate::fromString(t, Qt::ISODate);
    return d.isValid() ? std::optional(d) : std::nullopt;
}

bool blank(const char *p, int n)
{
    for (int i = 0; i < n; ++i)
        if (p[i] != ' ' && p[i] != '\0')
            return false;
    return true;
}

bool storesBinaryBlank(const DbfField &f)
{
    switch (f.type) {
    case 'I':
    case 'B':
    case 'Y':
    case 'T':
    case '1':
    case '2':
    case '4':
    case 'v':
    case '0':
    case 'Q':
        return true;
    case 'M':
    case 'G':
        return f.length == 4;
    default:
        return false;
    }
}

} // namespace

// ---------------------------------------------------------------- navigation

bool clsDBF::RecordIsDeleted() const
{
    return !NoRecord() && !record_.isEmpty() && record_[0] == '*';
}

Status clsDBF::readCache(qint64 number, char *out)
{
    if (number < cacheFirst_ || number >= cacheFirst_ + cacheCount_) {
        const qint64 perBlock = std::max<qint64>(1, kCacheBytes / recordLength_);
        const qint64 n = std::min(perBlock, committedCount_ - number);
        cache_.resize(n * recordLength_);
        cacheCount_ = 0;
        if (n <= 0 || !file_.seek(headerLength_ + number * recordLength_)
            || file_.read(cache_.data(), cache_.size()) != cache_.size())
            return Status::failure(QStringLiteral("Ошибка чтения файла ") + path_ + QStringLiteral("!"));
        cacheFirst_ = number;
        cacheCount_ = n;
    }
    std::memcpy(out, cache_.constData() + (number - cacheFirst_) * recordLength_, static_cast<size_t>(recordLength_));
    return {};
}

Status clsDBF::loadRecord(qint64 number, const QString &title)
{
    if (mode_ != Mode::None)
        CancelUpdate();
    if (batch_ && !pending_.isEmpty())
        if (Status s = flushBatch(title); !s)
            return s;
    if (number < 0 || number >= count_) {
        position_ = number < 0 ? -1 : count_;
        return {};
    }
    record_.resize(recordLength_);
    if (Status s = readCache(number, record_.data()); !s) {
        position_ = -1;
        return fail(title, s.error());
    }
    position_ = number;
    return {};
}

Status clsDBF::MoveFirst()
{
    if (!file_.isOpen())
        return fail(kTitleMove, QStringLiteral("Файл не открыт!"));
    return loadRecord(count_ > 0 ? 0 : count_, kTitleMove);
}

Status clsDBF::MoveLast()
{
    if (!file_.isOpen())
        return fail(kTitleMove, QStringLiteral("Файл не открыт!"));
    return loadRecord(count_ - 1, kTitleMove);
}

Status clsDBF::MoveNext()
{
    if (!file_.isOpen())
        return fail(kTitleMove, QStringLiteral("Файл не открыт!"));
    return loadRecord(std::min(position_ + 1, count_), kTitleMove);
}

Status clsDBF::MovePrev()
{
    if (!file_.isOpen())
        return fail(kTitleMove, QStringLiteral("Файл не открыт!"));
    return loadRecord(std::max<qint64>(position_ - 1, -1), kTitleMove);
}

Status clsDBF::GoToRecord(qint64 number)
{
    if (!file_.isOpen())
        return fail(kTitleMove, QStringLiteral("Файл не открыт!"));
    if (number < 0 || number > count_)
        return fail(kTitleMove,
            QStringLiteral("Номер записи должен быть в интервале от 0 до ") + num(count_) + QStringLiteral(" !"));
    return loadRecord(number, kTitleMove);
}

// ---------------------------------------------------------------- reading

bool clsDBF::isNull(int index, const char *record) const
{
    const DbfField &f = fields_[static_cast<size_t>(index)];
    if (f.nullBit < 0 || nullFlagsIndex_ < 0)
        return false;
    const DbfField &nf = fields_[static_cast<size_t>(nullFlagsIndex_)];
    const unsigned char byte = static_cast<unsigned char>(record[nf.offset + f.nullBit / 8]);
    return (byte >> (f.nullBit % 8)) & 1;
}

Result<QVariant> clsDBF::decodeValue(int index, const char *record)
{
    const DbfField &f = fields_[static_cast<size_t>(index)];
    const char *p = record + f.offset;
    if (isNull(index, record))
        return QVariant();
    auto failed = [&](const QString &text) {
        fail(kTitleRead, text);
        return Result<QVariant>::failure(text);
    };
    switch (f.type) {
    case 'C':
    case 'V':
        if (f.binary)
            return QVariant(QByteArray(p, f.length));
        return QVariant(decodeText(p, f.length));
    case 'N':
    case 'F': {
        if (blank(p, f.length))
            return QVariant();
        bool integer = false;
        const auto v = dbf::parseNumberText(p, f.length, &integer);
        if (!v) {
            if (std::all_of(p, p + f.length, [](char c) { return c == '*' || c == ' '; }))
                return QVariant(); // an overflow marker of other writers
            return failed(QStringLiteral("Значение ") + decodeText(p, f.length).trimmed()
                + QStringLiteral(" не является числом!"));
        }
        if (integer && std::fabs(*v) < 9.0e15)
            return QVariant(static_cast<qlonglong>(*v));
        return QVariant(*v);
    }
    case 'D': {
        if (blank(p, 8) || std::all_of(p, p + 8, [](char c) { return c == '0'; }))
            return QVariant();
        int parts[3] = {0, 0, 0};
        const int widths[3] = {4, 2, 2};
        const char *q = p;
        for (int k = 0; k < 3; ++k) {
            for (int j = 0; j < widths[k]; ++j, ++q) {
                if (*q < '0' || *q > '9')
                    return failed(notDate(decodeText(p, 8)));
                parts[k] = parts[k] * 10 + (*q - '0');
            }
        }
        const QDate d(parts[0], parts[1], parts[2]);
        if (!d.isValid())
            return failed(notDate(decodeText(p, 8)));
        return QVariant(d);
    }
    case 'T': {
        const qint64 day = static_cast<qint32>(dbf::readLE32(p));
        const qint64 ms = static_cast<qint32>(dbf::readLE32(p + 4));
        if (day == 0 && ms == 0)
            return QVariant();
        const QDate d = QDate::fromJulianDay(day);
        if (!d.isValid() || ms < 0 || ms >= 86400000)
            return failed(notDate(QString(num(day) + u'/' + num(ms))));
        return QVariant(QDateTime(d, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms))));
    }
    case 'L':
        return QVariant(*p == 'Y' || *p == 'y' || *p == 'T' || *p == 't');
    case 'M':
    case 'G': {
        quint32 block = 0;
        if (f.length == 4) {
            block = dbf::readLE32(p);
        } else {
            if (blank(p, f.length))
                return f.binary || f.type == 'G' ? QVariant(QByteArray()) : QVariant(QString());
            const auto v = dbf::parseNumberText(p, f.length);
            if (!v || *v < 0 || *v > 4294967295.0 || *v != std::floor(*v))
                return failed(QStringLiteral("Поле ") + f.name + QStringLiteral(": неправильная ссылка на MEMO!"));
            block = static_cast<quint32>(*v);
        }
        if (block == 0)
            return f.binary || f.type == 'G' ? QVariant(QByteArray()) : QVariant(QString());
        if (!memo_.isOpen())
            return failed(
                QStringLiteral("Файл MEMO для ") + path_ + QStringLiteral(" не найден! MEMO поля прочитать нельзя."));
        auto data = memo_.read(block);
        if (!data)
            return failed(data.error());
        if (f.binary || f.type == 'G')
            return QVariant(*data);
        return QVariant(decodeCodePage(*data, codePage_));
    }
    case 'I':
        return QVariant(static_cast<qlonglong>(static_cast<qint32>(dbf::readLE32(p))));
    case 'B':
        return QVariant(dbf::readDouble(p));
    case 'Y':
        return QVariant(static_cast<double>(static_cast<qint64>(dbf::readLE64(p))) / 10000.0);
    case '1':
        return QVariant(static_cast<qlonglong>(static_cast<unsigned char>(*p)));
    case '2':
        return QVariant(static_cast<qlonglong>(static_cast<qint16>(dbf::readLE16(p))));
    case '4': {
        const quint32 bits = dbf::readLE32(p);
        float fl;
        std::memcpy(&fl, &bits, sizeof fl);
        return QVariant(static_cast<double>(fl));
    }
    case 'v':
        return QVariant(dbf::readDecimal16(p));
    default:
        return QVariant(QByteArray(p, f.length));
    }
}

Result<QVariant> clsDBF::GetFieldValue(const FieldRef &field)
{
    const auto i = resolve(field, kTitleRead);
    if (!i)
        return Result<QVariant>::failure(lastError_);
    if (NoRecord() && mode_ != Mode::AddNew) {
        fail(kTitleRead, QStringLiteral("Нет записи!"));
        return Result<QVariant>::failure(lastError_);
    }
    const size_t k = static_cast<size_t>(*i);
    if (mode_ != Mode::None && memoTouched_[k]) {
        if (fields_[k].binary || fields_[k].type == 'G')
            return QVariant(pendingMemo_[k]);
        return QVariant(decodeCodePage(pendingMemo_[k], codePage_));
    }
    return decodeValue(*i, record_.constData());
}

Result<qint64> clsDBF::GetMemoDataSize(const FieldRef &field)
{
    const auto i = resolve(field, kTitleRead);
    if (!i)
        return Result<qint64>::failure(lastError_);
    const DbfField &f = fields_[static_cast<size_t>(*i)];
    if (!dbf::isMemoType(f.type)) {
        fail(kTitleRead, QStringLiteral("Поле \"") + f.name + QStringLiteral("\" не является MEMO полем!"));
        return Result<qint64>::failure(lastError_);
    }
    if (mode_ != Mode::None && memoTouched_[static_cast<size_t>(*i)])
        return qint64(pendingMemo_[static_cast<size_t>(*i)].size());
    if (NoRecord()) {
        fail(kTitleRead, QStringLiteral("Нет записи!"));
        return Result<qint64>::failure(lastError_);
    }
    const char *p = record_.constData() + f.offset;
    quint32 block = 0;
    if (f.length == 4) {
        block = dbf::readLE32(p);
    } else if (!blank(p, f.length)) {
        const auto v = dbf::parseNumberText(p, f.length);
        if (!v || *v < 0 || *v > 4294967295.0) {
            fail(kTitleRead, QStringLiteral("Поле ") + f.name + QStringLiteral(": неправильная ссылка на MEMO!"));
            return Result<qint64>::failure(lastError_);
        }
        block = static_cast<quint32>(*v);
    }
    if (block == 0)
        return qint64(0);
    if (!memo_.isOpen()) {
        fail(kTitleRead,
            QStringLiteral("Файл MEMO для ") + path_ + QStringLiteral(" не найден! MEMO поля прочитать нельзя."));
        return Result<qint64>::failure(lastError_);
    }
    auto size = memo_.dataSize(block);
    if (!size)
        fail(kTitleRead, size.error());
    return size;
}

// ---------------------------------------------------------------- writing values

void clsDBF::setNullBit(int index, bool null)
{
    const DbfField &f = fields_[static_cast<size_t>(index)];
    if (f.nullBit < 0 || nullFlagsIndex_ < 0)
        return;
    const DbfField &nf = fields_[static_cast<size_t>(nullFlagsIndex_)];
    char &byte = record_[nf.offset + f.nullBit / 8];
    const char mask = char(1 << (f.nullBit % 8));
    byte = null ? char(byte | mask) : char(byte & ~mask);
}

void clsDBF::warnCut(qsizetype length, int size, const QString &title)
{
    lastError_ = QStringLiteral("Длина строки (") + num(length) + QStringLiteral(" символов)")
        + QStringLiteral(" превышает размер поля! Cохранены") + QStringLiteral(" первые ") + num(size)
        + QStringLiteral(" символов.");
    prompter_.warning(lastError_, title);
}

Status clsDBF::storeValue(int index, const QVariant &value, const QString &title)
{
    const DbfField &f = fields_[static_cast<size_t>(index)];
    char *p = record_.data() + f.offset;
    const bool binaryField
        = f.binary || f.type == 'G' || f.type == 'Q' || f.type == '0' || !dbf::isKnownFieldType(f.type);

    if (value.isNull() && value.typeId() != QMetaType::QString && value.typeId() != QMetaType::QByteArray) {
        if (dbf::isMemoType(f.type)) {
            pendingMemo_[static_cast<size_t>(index)].clear();
            memoTouched_[static_cast<size_t>(index)] = true;
        }
        std::memset(p, storesBinaryBlank(f) ? 0 : ' ', static_cast<size_t>(f.length));
        setNullBit(index, true);
        return {};
    }
    if (binaryField && value.typeId() != QMetaType::QByteArray)
        return fail(title,
            QStringLiteral("Поле \"") + f.name + QStringLiteral("\" имеет тип BINARY!")
                + QStringLiteral(" Ему можно присвоить только байтовый массив"));

    switch (f.type) {
    case 'C':
    case 'V': {
        if (value.typeId() == QMetaType::QByteArray) {
            const QByteArray bytes = value.toByteArray();
            if (bytes.size() > f.length) {
                if (binaryField)
                    return fail(title,
                        QStringLiteral("Размер данных (") + num(bytes.size())
                            + QStringLiteral(" байтов) превышает размер поля \"") + f.name + QStringLiteral("\" (")
                            + num(f.length) + QStringLiteral(" байтов)!"));
                warnCut(bytes.size(), f.length, title);
            }
            const qsizetype n = std::min<qsizetype>(bytes.size(), f.length);
            std::memcpy(p, bytes.constData(), static_cast<size_t>(n));
            std::memset(p + n, binaryField ? 0 : ' ', static_cast<size_t>(f.length - n));
            break;
        }
        const QString text = value.toString();
        const qsizetype n = std::min<qsizetype>(text.size(), f.length);
        const QChar *chars = text.constData();
        for (qsizetype k = 0; k < n; ++k) {
            unsigned char b = 0;
            p[k] = encodeChar(chars[k], codePage_, &b) ? char(b) : '?';
        }
        std::memset(p + n, ' ', static_cast<size_t>(f.length - n));
        if (text.size() > f.length)
            warnCut(text.size(), f.length, title);
        break;
    }
    case 'N':
    case 'F': {
        char buf[48];
        int len = -1;
        if ((value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) && f.decimals == 0) {
            const auto r = std::to_chars(buf, buf + sizeof buf, value.toLongLong());
            len = static_cast<int>(r.ptr - buf);
        } else {
            const auto v = toNumber(value);
            if (!v)
                return fail(title, notNumber(value));
            len = dbf::formatNumber(*v, f.decimals, buf, static_cast<int>(sizeof buf));
            if (len < 0)
                return fail(title, tooLarge(value));
        }
        if (len > f.length)
            return fail(title,
                QStringLiteral("Размер поля (") + num(f.length) + QStringLiteral(" символов)")
                    + QStringLiteral(" не позволяет сохранить число ") + shown(value));
        std::memset(p, ' ', static_cast<size_t>(f.length - len));
        std::memcpy(p + f.length - len, buf, static_cast<size_t>(len));
        break;
    }
    case 'D': {
        if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty()) {
            std::memset(p, ' ', 8);
            break;
        }
        const auto d = toDate(value);
        if (!d || d->year() < 1 || d->year() > 9999)
            return fail(title, notDate(value));
        int parts[3] = {d->year(), d->month(), d->day()};
        for (int k = 3; k >= 0; --k, parts[0] /= 10)
            p[k] = char('0' + parts[0] % 10);
        p[4] = char('0' + parts[1] / 10);
        p[5] = char('0' + parts[1] % 10);
        p[6] = char('0' + parts[2] / 10);
        p[7] = char('0' + parts[2] % 10);
        break;
    }
    case 'T': {
        QDateTime dt;
        if (value.typeId() == QMetaType::QDateTime)
            dt = value.toDateTime();
        else if (value.typeId() == QMetaType::QString)
            dt = QDateTime::fromString(value.toString().trimmed(), QStringLiteral("dd.MM.yyyy HH:mm:ss"));
        if (!dt.isValid()) {
            const auto d = toDate(value);
            if (!d)
                return fail(title, notDate(value));
            dt = QDateTime(*d, QTime(0, 0));
        }
        dbf::writeLE32(p, quint32(static_cast<qint32>(dt.date().toJulianDay())));
        dbf::writeLE32(p + 4, quint32(dt.time().msecsSinceStartOfDay()));
        break;
    }
    case 'L': {
        bool truth = false;
        if (value.typeId() == QMetaType::Bool) {
            truth = value.toBool();
        } else if (isNumericVariant(value)) {
            truth = value.toDouble() != 0;
        } else {
            const QString t = value.toString().trimmed();
            const QChar c = t.isEmpty() ? QChar(u' ') : t[0];
            if (QStringLiteral("YyTtДд").contains(c))
                truth = true;
            else if (!QStringLiteral("NnFfНн").contains(c))
                return fail(title, QStringLiteral("Значение ") + t + QStringLiteral(" не является логическим!"));
        }
        *p = truth ? 'T' : 'F';
        break;
    }
    case 'M':
    case 'G': {
        if (!memo_.isOpen())
            return fail(title, QStringLiteral("Файл MEMO для ") + path_ + QStringLiteral(" не найден!"));
        const size_t k = static_cast<size_t>(index);
        pendingMemo_[k] = value.typeId() == QMetaType::QByteArray ? value.toByteArray()
                                                                  : encodeCodePage(value.toString(), codePage_);
        memoTouched_[k] = true;
        memoIsBinary_[k] = binaryField;
        break;
    }
    case 'I':
    case '1':
    case '2': {
        const auto v = toNumber(value);
        if (!v)
            return fail(title, notNumber(value));
        const double r = roundTo(*v, 0);
        const double lo = f.type == 'I' ? -2147483648.0 : f.type == '2' ? -32768.0 : 0.0;
        const double hi = f.type == 'I' ? 2147483647.0 : f.type == '2' ? 32767.0 : 255.0;
        if (r < lo || r > hi)
            return fail(title, tooLarge(value));
        const qint64 n = static_cast<qint64>(r);
        if (f.type == 'I')
            dbf::writeLE32(p, quint32(static_cast<qint32>(n)));
        else if (f.type == '2')
            dbf::writeLE16(p, quint16(static_cast<qint16>(n)));
        else
            *p = char(n);
        break;
    }
    case 'B':
    case '4':
    case 'Y':
    case 'v': {
        const auto v = toNumber(value);
        if (!v)
            return fail(title, notNumber(value));
        if (!std::isfinite(*v))
            return fail(title, tooLarge(value));
        if (f.type == 'B') {
            dbf::writeDouble(p, *v);
        } else if (f.type == '4') {
            if (std::fabs(*v) > std::numeric_limits<float>::max())
                return fail(title, tooLarge(value));
            const float fl = static_cast<float>(*v);
            quint32 bits;
            std::memcpy(&bits, &fl, sizeof bits);
            dbf::writeLE32(p, bits);
        } else if (f.type == 'Y') {
            const double scaled = roundTo(*v, 4) * 10000.0;
            if (std::fabs(scaled) >= 9.2e18)
                return fail(title, tooLarge(value));
            dbf::writeLE64(p, quint64(static_cast<qint64>(std::llround(scaled))));
        } else if (!dbf::writeDecimal16(p, *v, f.decimals)) {
            return fail(title, tooLarge(value));
        }
        break;
    }
    default: { // Q, 0 and unknown letters: raw bytes
        const QByteArray bytes = value.toByteArray();
        if (bytes.size() > f.length)
            return fail(title,
                QStringLiteral("Размер данных (") + num(bytes.size())
                    + QStringLiteral(" байтов) превышает размер поля \"") + f.name + QStringLiteral("\" (")
                    + num(f.length) + QStringLiteral(" байтов)!"));
        std::memcpy(p, bytes.constData(), static_cast<size_t>(bytes.size()));
        std::memset(p + bytes.size(), 0, static_cast<size_t>(f.length - bytes.size()));
        break;
    }
    }
    setNullBit(index, false);
    return {};
}

Status clsDBF::SetFieldValue(const FieldRef &field, const QVariant &value)
{
    const auto i = resolve(field, kTitleWrite);
    if (!i)
        return Status::failure(lastError_);
    if (mode_ == Mode::None)
        return fail(kTitleWrite, QStringLiteral("Сначала укажите \"Edit\" или \"AddNew\"!"));
    // A failed store leaves the field (and its null bit) as it was.
    const DbfField &f = fields_[static_cast<size_t>(*i)];
    char small[256];
    QByteArray large;
    char *before = small;
    if (f.length > static_cast<int>(sizeof small)) {
        large.resize(f.length);
        before = large.data();
    }
    std::memcpy(before, record_.constData() + f.offset, static_cast<size_t>(f.length));
    char nullByte = 0;
    int nullAt = -1;
    if (f.nullBit >= 0 && nullFlagsIndex_ >= 0) {
        nullAt = fields_[static_cast<size_t>(nullFlagsIndex_)].offset + f.nullBit / 8;
        nullByte = record_[nullAt];
    }
    const Status s = storeValue(*i, value, kTitleWrite);
    if (!s) {
        std::memcpy(record_.data() + f.offset, before, static_cast<size_t>(f.length));
        if (nullAt >= 0)
            record_[nullAt] = nullByte;
    }
    return s;
}

Status clsDBF::AppendMemoData(const FieldRef &field, const QVariant &part)
{
    const auto i = resolve(field, kTitleWrite);
    if (!i)
        return Status::failure(lastError_);
    const DbfField &f = fields_[static_cast<size_t>(*i)];
    if (mode_ != Mode::AddNew)
        return fail(kTitleWrite, QStringLiteral("Вносить МЕМО данные частями можно только в новую запись!"));
    if (!dbf::isMemoType(f.type))
        return fail(kTitleWrite, QStringLiteral("Поле \"") + f.name + QStringLiteral("\" не является MEMO полем!"));
    if (!memo_.isOpen())
        return fail(kTitleWrite, QStringLiteral("Файл MEMO для ") + path_ + QStringLiteral(" не найден!"));
    const bool binaryField = f.binary || f.type == 'G';
    if (binaryField && part.typeId() != QMetaType::QByteArray)
        return fail(kTitleWrite,
            QStringLiteral("Поле \"") + f.name + QStringLiteral("\" имеет тип BINARY!")
                + QStringLiteral(" Ему можно присвоить только байтовый массив"));
    const size_t k = static_cast<size_t>(*i);
    pendingMemo_[k]
        += part.typeId() == QMetaType::QByteArray ? part.toByteArray() : encodeCodePage(part.toString(), codePage_);
    memoTouched_[k] = true;
    memoIsBinary_[k] = binaryField;
    setNullBit(*i, false);
    return {};
}

// ---------------------------------------------------------------- editing

bool clsDBF::requiresWritable(const QString &title)
{
    if (!file_.isOpen()) {
        fail(title, newFile_ ? QStringLiteral("Новый файл еще не сохранен!") : QStringLiteral("Файл не открыт!"));
        return false;
    }
    if (readOnly_) {
        fail(title, QStringLiteral("Файл доступен только на чтение!"));
        return false;
    }
    return true;
}

void clsDBF::blankRecord()
{
    record_.resize(recordLength_);
    record_.fill(' ');
    for (const DbfField &f : fields_)
        if (storesBinaryBlank(f))
            std::memset(record_.data() + f.offset, 0, static_cast<size_t>(f.length));
}

Status clsDBF::Edit()
{
    if (!requiresWritable(kTitleEdit))
        return Status::failure(lastError_);
    if (mode_ != Mode::None)
        CancelUpdate();
    if (NoRecord())
        return fail(kTitleEdit, QStringLiteral("Нет записи!"));
    if (RecordIsDeleted())
        return fail(kTitleEdit, QStringLiteral("Запись удалена!"));
    savedRecord_ = record_;
    std::fill(memoTouched_.begin(), memoTouched_.end(), false);
    mode_ = Mode::Edit;
    return {};
}

Status clsDBF::AddNew()
{
    if (!requiresWritable(kTitleEdit))
        return Status::failure(lastError_);
    if (FieldsCount() == 0)
        return fail(kTitleEdit, QStringLiteral("Поля еще не созданы!"));
    if (mode_ != Mode::None)
        CancelUpdate();
    if (count_ >= 0xFFFFFFFFll)
        return fail(kTitleEdit, QStringLiteral("Превышено максимальное число записей!"));
    // The previous current record is kept for CancelUpdate; its old buffer is reused.
    std::swap(savedRecord_, record_);
    blankRecord();
    for (const DbfField &f : fields_)
        if (f.autoIncrement)
            dbf::writeLE32(record_.data() + f.offset, f.autoNext);
    std::fill(memoTouched_.begin(), memoTouched_.end(), false);
    for (QByteArray &m : pendingMemo_)
        m.clear();
    mode_ = Mode::AddNew;
    return {};
}

void clsDBF::CancelUpdate()
{
    if (mode_ == Mode::None)
        return;
    record_ = savedRecord_;
    std::fill(memoTouched_.begin(), memoTouched_.end(), false);
    for (QByteArray &m : pendingMemo_)
        m.clear();
    mode_ = Mode::None;
}

Status clsDBF::writeHeaderCountAndDate()
{
    char bytes[7];
    bytes[0] = char(date_[0]);
    bytes[1] = char(date_[1]);
    bytes[2] = char(date_[2]);
    dbf::writeLE32(bytes + 3, quint32(committedCount_));
    return writeAt(1, bytes, 7);
}

Status clsDBF::flushBatch(const QString &title)
{
    if (pending_.isEmpty())
        return {};
    const qint64 end = headerLength_ + committedCount_ * recordLength_;
    const qint64 added = pending_.size() / recordLength_;
    stampDate();
    pending_.append(dbf::kEndOfFile);
    Status s = writeAt(end, pending_.constData(), pending_.size());
    pending_.clear();
    if (s) {
        committedCount_ += added;
        s = writeHeaderCountAndDate();
        if (!s)
            committedCount_ -= added;
    }
    if (!s) {
        // Put the file back as it was before these records.
        file_.resize(end);
        writeAt(end, &dbf::kEndOfFile, 1);
        writeHeaderCountAndDate();
        count_ = committedCount_;
        position_ = -1;
        return fail(title, s.error());
    }
    return {};
}

Status clsDBF::Update()
{
    if (mode_ == Mode::None)
        return fail(kTitleUpdate, QStringLiteral("Сначала укажите \"Edit\" или \"AddNew\"!"));
    // Memo data first: the record refers to it.
    const DbfMemoFile::Mark memoMark = memo_.isOpen() ? memo_.mark() : DbfMemoFile::Mark {};
    for (size_t k = 0; k < fields_.size(); ++k) {
        if (!memoTouched_[k])
            continue;
        const DbfField &f = fields_[k];
        auto block = memo_.append(pendingMemo_[k], memoIsBinary_[k]);
        if (!block) {
            memo_.rollback(memoMark);
            return fail(kTitleUpdate, block.error());
        }
        char *p = record_.data() + f.offset;
        if (f.length == 4) {
            dbf::writeLE32(p, *block);
        } else if (*block == 0) {
            std::memset(p, ' ', static_cast<size_t>(f.length));
        } else {
            char buf[16];
            const auto r = std::to_chars(buf, buf + sizeof buf, *block);
            const int len = static_cast<int>(r.ptr - buf);
            std::memset(p, ' ', static_cast<size_t>(f.length - len));
            std::memcpy(p + f.length - len, buf, static_cast<size_t>(len));
        }
    }
    const auto undoMemo = [&] {
        if (memo_.isOpen())
            memo_.rollback(memoMark);
    };
    if (mode_ == Mode::Edit || !batch_)
        stampDate();
    if (mode_ == Mode::Edit) {
        const qint64 at = headerLength_ + position_ * recordLength_;
        Status s = writeAt(at, record_.constData(), record_.size());
        if (s)
            s = writeHeaderCountAndDate();
        if (!s) {
            writeAt(at, savedRecord_.constData(), savedRecord_.size());
            undoMemo();
            CancelUpdate();
            return fail(kTitleUpdate, s.error());
        }
        if (position_ >= cacheFirst_ && position_ < cacheFirst_ + cacheCount_)
            std::memcpy(cache_.data() + (position_ - cacheFirst_) * recordLength_, record_.constData(),
                static_cast<size_t>(recordLength_));
    } else if (batch_) {
        pending_.append(record_);
        ++count_;
        position_ = count_ - 1;
        if (pending_.size() >= kBatchBytes) {
            if (Status s = flushBatch(kTitleUpdate); !s) {
                mode_ = Mode::None;
                return s;
            }
        }
    } else {
        const qint64 at = headerLength_ + count_ * recordLength_;
        record_.append(dbf::kEndOfFile); // written with the record in one call
        Status s = writeAt(at, record_.constData(), record_.size());
        record_.chop(1);
        if (s) {
            ++committedCount_;
            s = writeHeaderCountAndDate();
            if (!s)
                --committedCount_;
        }
        if (!s) {
            file_.resize(at);
            writeAt(at, &dbf::kEndOfFile, 1);
            writeHeaderCountAndDate();
            undoMemo();
            CancelUpdate();
            return fail(kTitleUpdate, s.error());
        }
        count_ = committedCount_;
        position_ = count_ - 1;
    }
    if (mode_ == Mode::AddNew) {
        for (size_t k = 0; k < fields_.size(); ++k) {
            DbfField &f = fields_[k];
            if (!f.autoIncrement)
                continue;
            f.autoNext += quint32(f.autoStep);
            char next[4];
            dbf::writeLE32(next, f.autoNext);
            writeAt(dbf::kHeaderSize + qint64(k) * dbf::kDescriptorSize + 19, next, 4);
        }
    }
    mode_ = Mode::None;
    std::fill(memoTouched_.begin(), memoTouched_.end(), false);
    return {};
}

Status clsDBF::Delete()
{
    return markRecord('*');
}

Status clsDBF::UnDelete()
{
    return markRecord(' ');
}

// Deleting and restoring only rewrite the record's first byte.
Status clsDBF::markRecord(char mark)
{
    if (!requiresWritable(kTitleDelete))
        return Status::failure(lastError_);
    if (mode_ != Mode::None)
        CancelUpdate();
    if (batch_ && !pending_.isEmpty())
        if (Status s = flushBatch(kTitleDelete); !s)
            return s;
    if (NoRecord())
        return fail(kTitleDelete, QStringLiteral("Нет записи!"));
    if (Status s = writeAt(headerLength_ + position_ * recordLength_, &mark, 1); !s)
        return fail(kTitleDelete, s.error());
    record_[0] = mark;
    if (position_ >= cacheFirst_ && position_ < cacheFirst_ + cacheCount_)
        cache_[(position_ - cacheFirst_) * recordLength_] = mark;
    return {};
}

Status clsDBF::BeginBatch()
{
    if (!requiresWritable(kTitleUpdate))
        return Status::failure(lastError_);
    batch_ = true;
    return {};
}

Status clsDBF::EndBatch()
{
    Status s;
    if (batch_ && file_.isOpen())
        s = flushBatch(kTitleUpdate);
    batch_ = false;
    return s;
}

// ---------------------------------------------------------------- search

Result<bool> clsDBF::FindFirst(const FieldRef &field, const QVariant &value)
{
    const auto i = resolve(field, kTitleFind);
    if (!i)
        return Result<bool>::failure(lastError_);
    findField_ = *i;
    findValue_ = value;
    if (Status s = loadRecord(-1, kTitleFind); !s)
        return Result<bool>::failure(s.error());
    return FindNext();
}

Result<bool> clsDBF::FindNext()
{
    if (findField_ < 0 || findField_ >= static_cast<int>(fields_.size()))
        return Result<bool>::failure(fail(kTitleFind, QStringLiteral("Сначала укажите \"FindFirst\"!")).error());
    const bool textual = findValue_.typeId() == QMetaType::QString;
    const QString wanted = textual ? findValue_.toString().trimmed() : QString();
    for (qint64 n = position_ + 1; n < count_; ++n) {
        if (Status s = loadRecord(n, kTitleFind); !s)
            return Result<bool>::failure(s.error());
        auto v = decodeValue(findField_, record_.constData());
        if (!v)
            return Result<bool>::failure(v.error());
        const bool match = textual
            ? v->toString().trimmed() == wanted
            : (v->isNull() ? findValue_.isNull() : QVariant::compare(*v, findValue_) == QPartialOrdering::Equivalent);
        if (match)
            return true;
    }
    if (Status s = loadRecord(count_, kTitleFind); !s)
        return Result<bool>::failure(s.error());
    return false;
}

// ---------------------------------------------------------------- compaction

Status clsDBF::CompactDBF()
{
    if (!requiresWritable(kTitleCompact))
        return Status::failure(lastError_);
    if (mode_ != Mode::None)
        CancelUpdate();
    if (batch_ && !pending_.isEmpty())
        if (Status s = flushBatch(kTitleCompact); !s)
            return s;
    // The live records go to a new file that replaces the old one only when complete.
    QSaveFile out(path_);
    if (!out.open(QIODevice::WriteOnly))
        return fail(kTitleCompact, QStringLiteral("Не удалось записать файл ") + path_ + QStringLiteral("!"));
    QByteArray header = rawHeader_;
    if (header.size() != headerLength_) {
        out.cancelWriting();
        return fail(kTitleCompact, QStringLiteral("Файл ") + path_ + QStringLiteral(" имеет неправильную структуру!"));
    }
    std::memcpy(header.data() + 1, date_, 3);
    if (out.write(header) != header.size()) {
        out.cancelWriting();
        return fail(kTitleCompact, QStringLiteral("Не удалось записать файл ") + path_ + QStringLiteral("!"));
    }
    qint64 kept = 0;
    QByteArray chunk;
    QByteArray record(recordLength_, '\0');
    for (qint64 n = 0; n < committedCount_; ++n) {
        if (Status s = readCache(n, record.data()); !s) {
            out.cancelWriting();
            return fail(kTitleCompact, s.error());
        }
        if (record[0] == '*')
            continue;
        chunk.append(record);
        ++kept;
        if (chunk.size() >= kCacheBytes) {
            if (out.write(chunk) != chunk.size()) {
                out.cancelWriting();
                return fail(kTitleCompact, QStringLiteral("Не удалось записать файл ") + path_ + QStringLiteral("!"));
            }
            chunk.clear();
        }
    }
    if (kept > 0 || !dbf::isVisualFoxPro(type_))
        chunk.append(dbf::kEndOfFile);
    char countBytes[4];
    dbf::writeLE32(countBytes, quint32(kept));
    // commit() misses a write that fails while it flushes the buffer: flush first.
    if (out.write(chunk) != chunk.size() || !out.seek(4) || out.write(countBytes, 4) != 4 || !out.flush()) {
        out.cancelWriting();
        return fail(kTitleCompact, QStringLiteral("Не удалось записать файл ") + path_ + QStringLiteral("!"));
    }
    file_.close();
    if (!out.commit()) {
        file_.open(QIODevice::ReadWrite | QIODevice::Unbuffered);
        return fail(kTitleCompact, QStringLiteral("Не удалось записать файл ") + path_ + QStringLiteral("!"));
    }
    if (!file_.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return fail(kTitleCompact, QStringLiteral("Не удалось открыть файл ") + path_ + QStringLiteral("!"));
    count_ = committedCount_ = kept;
    cacheCount_ = 0;
    position_ = -1;
    return {};
}

} // namespace kulvera
