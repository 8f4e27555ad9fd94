#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace kulvera {

// The memo file beside a table. Layouts written (and read):
// - "fpt" (FoxPro 2.x, Visual FoxPro): a 512-byte header with the next free
//   block (big-endian, bytes 0-3) and the block size (big-endian, bytes 6-7,
//   64 when we create it); each memo starts on a block with a type (1 text,
//   0 binary) and a length, both big-endian 32-bit, then the data.
// - "dbt" dBASE III (types 131, 255 and others): 512-byte blocks, next free
//   block little-endian in bytes 0-3 of the header; the data ends with 0x1A 0x1A.
// - "dbt" dBASE IV (type 139): as dBASE III, and the header also carries the
//   block size at bytes 20-21; each memo starts with FF FF 08 00 and a
//   little-endian length that counts these 8 bytes.
// Block 0 is the header, so a block number of 0 means "no memo". Reading
// accepts either dbt form and checks every length against the file.
class DbfMemoFile
{
public:
    enum class Kind { Fpt, Dbt3, Dbt4 };

    static Kind kindFor(int fileType);
    static QString extensionFor(int fileType); // "fpt" or "dbt"

    Status open(const QString &path, Kind kind, bool readOnly);
    // Writes an empty memo file (header only) to `path`.
    static Status create(const QString &path, Kind kind);
    void close();
    bool isOpen() const { return file_.isOpen(); }
    QString path() const { return file_.fileName(); }

    Result<QByteArray> read(quint32 block) const;
    Result<qint64> dataSize(quint32 block) const;
    // Appends one memo and returns its block; an empty memo is block 0.
    Result<quint32> append(const QByteArray &data, bool binary);

    // For undoing appends when the record that refers to them cannot be written.
    struct Mark {
        qint64 size = 0;
        quint32 nextFree = 0;
    };
    Mark mark() const { return {file_.size(), nextFree_}; }
    void rollback(const Mark &m);

private:
    Result<QByteArray> readImpl(quint32 block, bool sizeOnly) const;
    bool writeNextFree();

    mutable QFile file_;
    Kind kind_ = Kind::Fpt;
    quint32 blockSize_ = 512;
    quint32 nextFree_ = 1;
};

} // namespace kulvera
