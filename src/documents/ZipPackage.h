#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

namespace kulvera {

// How a file is replaced. Both write a temporary file beside the target and
// rename it over the target, so a reader (or a crash of the program) sees the
// old file or the new one, never a part. ToDisk also waits until the new
// bytes are on the disk before the rename, which survives a power loss but
// costs more than making a whole card; documents, which are made again from
// the bases at any time, are written RenameOnly.
enum class FileSync { ToDisk, RenameOnly };

// The parts of a zip package held in memory, in their stored order. Parts we
// never change are written back with exactly the bytes they had.
class ZipPackage
{
public:
    // Largest part we read, and largest sum of all parts: a spreadsheet part
    // beyond this is refused before it is inflated.
    static constexpr qint64 kMaxPartSize = 48LL * 1024 * 1024;
    static constexpr qint64 kMaxTotalSize = 256LL * 1024 * 1024;

    // Reads every part of a zip file; a file that is not a zip, is damaged or
    // is too large is refused with its reason.
    static Result<ZipPackage> read(const QString &path);
    static Result<ZipPackage> fromBytes(const QByteArray &bytes, const QString &shownName);

    bool contains(const QString &name) const { return find(name) != nullptr; }
    const QByteArray *find(const QString &name) const;
    // Replaces the part, or adds it at the end.
    void put(const QString &name, QByteArray data);
    bool remove(const QString &name);
    const std::vector<std::pair<QString, QByteArray>> &parts() const { return parts_; }

    // The package as zip bytes (deflated parts).
    Result<QByteArray> toBytes() const;
    // Writes through a temporary file renamed over `path`, so a failure leaves
    // whatever was there before.
    Status save(const QString &path, FileSync sync = FileSync::RenameOnly) const;

private:
    std::vector<std::pair<QString, QByteArray>> parts_;
};

// Writes bytes through a temporary file renamed over the path.
Status saveFileAtomically(const QString &path, const QByteArray &bytes, FileSync sync = FileSync::ToDisk);

} // namespace kulvera
