#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace kulvera {

class Prompter;

// The building blocks of the two binary menu files (".menu" export and
// ".sql_menu" transfer): 4-byte little-endian signed numbers and strings
// written as such a length followed by that many code page 1251 bytes,
// plain or scrambled (StringScrambler.h; the length is the same either way).
class MenuFileWriter
{
public:
    void putNumber(qint32 value);
    void putBytes(const QByteArray &bytes); // the length, then the bytes
    void putPlain(QStringView text);
    void putScrambled(QStringView text);
    const QByteArray &bytes() const { return out_; }
    QByteArray &bytes() { return out_; }

private:
    QByteArray out_;
};

// Reads the same from bytes in memory. Files are untrusted: a length that is
// negative or larger than what is left of the file gives nothing (it is never
// allocated), and so does a number cut short.
class MenuFileReader
{
public:
    explicit MenuFileReader(const QByteArray &data)
        : data_(data)
    {
    }
    std::optional<qint32> number();
    std::optional<QByteArray> bytes();
    // The same bytes where they lie in the data, not copied.
    std::optional<QByteArrayView> bytesView();
    std::optional<QString> plain();
    std::optional<QString> scrambled();
    qsizetype left() const { return data_.size() - position_; }
    bool atEnd() const { return left() == 0; }

private:
    const QByteArray &data_;
    qsizetype position_ = 0;
};

// A file read whole; refused (with the reason) when missing, unreadable or
// larger than `maxBytes`.
Result<QByteArray> readMenuFileBytes(const QString &path, qint64 maxBytes);
// Writes the bytes through a temporary file renamed over the target.
Status writeMenuFileBytes(const QString &path, const QByteArray &bytes);

// Whether a menu file may be written at `path`: a path and something to write
// are needed, and an existing file is replaced only when the user agrees
// (asked under `questionKey` when `askReplace`). A failure with an empty text
// means the user said No; the caller shows the others.
Status checkMenuFileTarget(Prompter &prompter, const QString &title, const QString &path, bool nothingToWrite,
    bool askReplace, const QString &questionKey);

// Past this a file is not one of ours (a year of rations is about 150 MB).
inline constexpr qint64 kMaxMenuFileBytes = 1024LL * 1024 * 1024;

} // namespace kulvera
