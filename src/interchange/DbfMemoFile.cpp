#include "interchange/DbfMemoFile.h"

#include "interchange/DbfCodec.h"
#include "interchange/DbfTypes.h"

#include <QSaveFile>

namespace kulvera {
namespace {

constexpr int kMemoHeaderSize = 512;
constexpr quint32 kFptBlockSize = 64;
constexpr quint32 kDbtBlockSize = 512;
// A memo larger than this is taken as a lie of a damaged file.
constexpr qint64 kMaxMemo = qint64(1) << 30;

QString damaged(const QString &path)
{
    return QStringLiteral("Файл MEMO ") + path + QStringLiteral(" поврежден!");
}

} // namespace

DbfMemoFile::Kind DbfMemoFile::kindFor(int fileType)
{
    if (dbf::isFoxPro(fileType))
        return Kind::Fpt;
    return fileType == dbf::kDBase4Memo ? Kind::Dbt4 : Kind::Dbt3;
}

QString DbfMemoFile::extensionFor(int fileType)
{
    return dbf::isFoxPro(fileType) ? QStringLiteral("fpt") : QStringLiteral("dbt");
}

Status DbfMemoFile::create(const QString &path, Kind kind)
{
    QByteArray header(kMemoHeaderSize, '\0');
    char *h = header.data();
    if (kind == Kind::Fpt) {
        dbf::writeBE32(h, 8); // header 512 bytes = blocks 0-7 of 64
        h[6] = 0;
        h[7] = char(kFptBlockSize);
    } else {
        dbf::writeLE32(h, 1);
        if (kind == Kind::Dbt4) {
            dbf::writeLE16(h + 20, quint16(kDbtBlockSize));
            h[16] = 0x03; // version byte dBASE IV readers look at
        } else {
            h[16] = 0x03;
        }
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(header) != header.size() || !out.flush() || !out.commit())
        return Status::failure(QStringLiteral("Не удалось записать файл MEMO ") + path + QStringLiteral("!"));
    return {};
}

Status DbfMemoFile::open(const QString &path, Kind kind, bool readOnly)
{
    close();
    kind_ = kind;
    file_.setFileName(path);
    if (!file_.open(readOnly ? QIODevice::ReadOnly : QIODevice::ReadWrite))
        return Status::failure(QStringLiteral("Не удалось открыть файл MEMO ") + path + QStringLiteral("!"));
    const QByteArray header = file_.read(kMemoHeaderSize);
    if (header.size() < 8) {
        close();
        return Status::failure(damaged(path));
    }
    if (kind == Kind::Fpt) {
        nextFree_ = dbf::readBE32(header.constData());
        blockSize_ = quint32(static_cast<unsigned char>(header[6]) << 8 | static_cast<unsigned char>(header[7]));
        // FoxPro allows 1 (byte blocks) to 16 KB; 0 would make every block the header.
        if (blockSize_ == 0 || blockSize_ > 16384) {
            close();
            return Status::failure(damaged(path));
        }
    } else {
        nextFree_ = dbf::readLE32(header.constData());
        blockSize_ = kDbtBlockSize;
        if (header.size() >= 22) {
            const quint16 declared = dbf::readLE16(header.constData() + 20);
            if (declared >= 64 && declared <= 32768 && declared % 64 == 0)
                blockSize_ = declared;
        }
    }
    // A next-free pointer inside the header or beyond the file is repaired on write.
    const quint32 firstFree = quint32((kMemoHeaderSize + blockSize_ - 1) / blockSize_);
    const quint64 endBlock = (quint64(file_.size()) + blockSize_ - 1) / blockSize_;
    if (nextFree_ < firstFree || nextFree_ < endBlock)
        nextFree_ = quint32(std::max<quint64>(firstFree, endBlock));
    return {};
}

void DbfMemoFile::close()
{
    if (file_.isOpen())
        file_.close();
}

Result<QByteArray> DbfMemoFile::readImpl(quint32 block, bool sizeOnly) const
{
    if (!file_.isOpen())
        return Result<QByteArray>::failure(QStringLiteral("Файл MEMO не найден!"));
    if (block == 0)
        return QByteArray();
    const qint64 size = file_.size();
    const qint64 offset = qint64(block) * blockSize_;
    if (offset < kMemoHeaderSize || offset >= size)
        return Result<QByteArray>::failure(damaged(file_.fileName()));
    if (!file_.seek(offset))
        return Result<QByteArray>::failure(damaged(file_.fileName()));
    const QByteArray head = file_.read(8);
    qint64 length = -1;
    qint64 dataOffset = offset + 8;
    if (kind_ == Kind::Fpt) {
        if (head.size() < 8)
            return Result<QByteArray>::failure(damaged(file_.fileName()));
        length = dbf::readBE32(head.constData() + 4);
    } else if (head.size() >= 8 && static_cast<unsigned char>(head[0]) == 0xFF
        && static_cast<unsigned char>(head[1]) == 0xFF && head[2] == 0x08 && head[3] == 0x00) {
        length = qint64(dbf::readLE32(head.constData() + 4)) - 8;
    } else {
        // dBASE III: the text runs to the first 0x1A.
        dataOffset = offset;
        if (!file_.seek(offset))
            return Result<QByteArray>::failure(damaged(file_.fileName()));
        QByteArray data;
        while (true) {
            const QByteArray chunk = file_.read(4096);
            if (chunk.isEmpty())
                break; // no terminator before the end: the rest of the file
            const qsizetype stop = chunk.indexOf(dbf::kEndOfFile);
            if (stop >= 0) {
                data.append(chunk.constData(), stop);
                break;
            }
            data.append(chunk);
            if (data.size() > kMaxMemo)
                return Result<QByteArray>::failure(damaged(file_.fileName()));
        }
        if (sizeOnly)
            return QByteArray::number(data.size());
        return data;
    }
    if (length < 0 || length > kMaxMemo || dataOffset + length > size)
        return Result<QByteArray>::failure(damaged(file_.fileName()));
    if (sizeOnly)
        return QByteArray::number(length);
    const QByteArray data = file_.read(length);
    if (data.size() != length)
        return Result<QByteArray>::failure(damaged(file_.fileName()));
    return data;
}

Result<QByteArray> DbfMemoFile::read(quint32 block) const
{
    return readImpl(block, false);
}

Result<qint64> DbfMemoFile::dataSize(quint32 block) const
{
    auto r = readImpl(block, true);
    if (!r)
        return Result<qint64>::failure(r.error());
    return r->isEmpty() ? qint64(0) : r->toLongLong();
}

bool DbfMemoFile::writeNextFree()
{
    char bytes[4];
    if (kind_ == Kind::Fpt)
        dbf::writeBE32(bytes, nextFree_);
    else
        dbf::writeLE32(bytes, nextFree_);
    return file_.seek(0) && file_.write(bytes, 4) == 4;
}

Result<quint32> DbfMemoFile::append(const QByteArray &data, bool binary)
{
    if (!file_.isOpen())
        return Result<quint32>::failure(QStringLiteral("Файл MEMO не найден!"));
    if (data.isEmpty())
        return quint32(0);
    QByteArray block;
    if (kind_ == Kind::Fpt) {
        block.resize(8);
        dbf::writeBE32(block.data(), binary ? 0 : 1);
        dbf::writeBE32(block.data() + 4, quint32(data.size()));
        block.append(data);
    } else if (kind_ == Kind::Dbt4) {
        block = QByteArray("\xFF\xFF\x08\x00", 4);
        block.resize(8);
        dbf::writeLE32(block.data() + 4, quint32(data.size() + 8));
        block.append(data);
    } else {
        if (data.contains(dbf::kEndOfFile))
            return Result<quint32>::failure(
                QStringLiteral("Данные содержат байт 0x1A и не могут быть записаны в файл MEMO dBASE III!"));
        block = data;
        block.append(dbf::kEndOfFile);
        block.append(dbf::kEndOfFile);
    }
    const quint64 blocks = (quint64(block.size()) + blockSize_ - 1) / blockSize_;
    if (quint64(nextFree_) + blocks > 0xFFFFFFFFull / 2
        || (quint64(nextFree_) + blocks) * blockSize_ > quint64(1) << 40)
        return Result<quint32>::failure(QStringLiteral("Файл MEMO переполнен!"));
    block.resize(qsizetype(blocks * blockSize_), '\0');
    const Mark before = mark();
    const quint32 at = nextFree_;
    if (!file_.seek(qint64(at) * blockSize_) || file_.write(block) != block.size()) {
        rollback(before);
        return Result<quint32>::failure(
            QStringLiteral("Ошибка записи в файл MEMO ") + file_.fileName() + QStringLiteral("!"));
    }
    nextFree_ = at + quint32(blocks);
    if (!writeNextFree() || !file_.flush()) {
        rollback(before);
        return Result<quint32>::failure(
            QStringLiteral("Ошибка записи в файл MEMO ") + file_.fileName() + QStringLiteral("!"));
    }
    return at;
}

void DbfMemoFile::rollback(const Mark &m)
{
    if (!file_.isOpen() || (file_.openMode() & QIODevice::WriteOnly) == 0)
        return;
    file_.resize(m.size);
    nextFree_ = m.nextFree;
    writeNextFree();
    file_.flush();
}

} // namespace kulvera
