#include "documents/ZipPackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

namespace kulvera {
namespace {

QString zipErrorText(zip_error_t *error)
{
    return QString::fromLocal8Bit(zip_error_strerror(error));
}

QString notAZipText(const QString &shownName)
{
    return QStringLiteral("Файл не является книгой Excel (не zip-архив): ") + shownName;
}

// The least a part's buffer starts with (a part that holds less is read at its size).
constexpr qint64 kFirstReadSize = 4096;

QString megabytes(qint64 bytes)
{
    return QString::number((bytes + 1024 * 1024 - 1) / (1024 * 1024));
}

} // namespace

Result<ZipPackage> ZipPackage::read(const QString &path)
{
    using R = Result<ZipPackage>;
    QFile file(path);
    if (!file.exists())
        return R::failure(QStringLiteral("Файл не найден: ") + path);
    if (file.size() > kMaxTotalSize)
        return R::failure(
            QStringLiteral("Файл слишком велик (") + megabytes(file.size()) + QStringLiteral(" МБ): ") + path);
    if (!file.open(QIODevice::ReadOnly))
        return R::failure(
            QStringLiteral("Не удалось открыть файл: ") + path + QStringLiteral(" (") + file.errorString() + u')');
    return fromBytes(file.readAll(), path);
}

Result<ZipPackage> ZipPackage::fromBytes(const QByteArray &bytes, const QString &shownName)
{
    using R = Result<ZipPackage>;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source
        = zip_source_buffer_create(bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0, &error);
    if (!source) {
        const QString text = zipErrorText(&error);
        zip_error_fini(&error);
        return R::failure(text);
    }
    zip_t *archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive) {
        zip_source_free(source);
        zip_error_fini(&error);
        return R::failure(notAZipText(shownName));
    }
    zip_error_fini(&error);
    std::unique_ptr<zip_t, decltype(&zip_discard)> guard(archive, &zip_discard);

    ZipPackage package;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    qint64 total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st) != 0)
            return R::failure(QStringLiteral("Архив повреждён: ") + shownName);
        const QString name = QString::fromUtf8(st.name);
        if (name.endsWith(u'/'))
            continue; // a folder entry carries nothing
        const qint64 size = static_cast<qint64>(st.size);
        if (size > kMaxPartSize || total + size > kMaxTotalSize) {
            return R::failure(QStringLiteral("Часть книги слишком велика: ") + name + QStringLiteral(" (")
                + megabytes(size) + QStringLiteral(" МБ, допускается не более ") + megabytes(kMaxPartSize)
                + QStringLiteral(" МБ): ") + shownName);
        }
        total += size;
        zip_file_t *entry = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        if (!entry)
            return R::failure(QStringLiteral("Архив повреждён (") + name + QStringLiteral("): ") + shownName);
        // The buffer grows with what is inflated, not with what the header
        // announces: a few hundred bytes of hostile zip would otherwise cost
        // the whole ceiling. The first guess is a few times the compressed
        // size (markup rarely packs tighter than that).
        const bool knowsCompressed = (st.valid & ZIP_STAT_COMP_SIZE) != 0;
        const qint64 compressed
            = knowsCompressed ? std::min(static_cast<qint64>(st.comp_size), bytes.size()) : kFirstReadSize;
        QByteArray data(std::min(size, std::max(kFirstReadSize, 8 * compressed)), Qt::Uninitialized);
        qint64 got = 0;
        bool damaged = false;
        for (;;) {
            if (got == data.size()) {
                if (got == size)
                    break;
                data.resize(std::min(size, 2 * got));
            }
            const zip_int64_t n = zip_fread(entry, data.data() + got, static_cast<zip_uint64_t>(data.size() - got));
            if (n <= 0) {
                damaged = n < 0;
                break;
            }
            got += n;
        }
        // One byte more than announced: a part longer than its header says is damaged.
        char extra = 0;
        const zip_int64_t beyond = damaged ? 0 : zip_fread(entry, &extra, 1);
        zip_fclose(entry);
        if (damaged || got != size || beyond != 0)
            return R::failure(QStringLiteral("Архив повреждён (") + name + QStringLiteral("): ") + shownName);
        package.parts_.emplace_back(name, std::move(data));
    }
    return package;
}

const QByteArray *ZipPackage::find(const QString &name) const
{
    for (const auto &part : parts_) {
        if (part.first == name)
            return &part.second;
    }
    return nullptr;
}

void ZipPackage::put(const QString &name, QByteArray data)
{
    for (auto &part : parts_) {
        if (part.first == name) {
            part.second = std::move(data);
            return;
        }
    }
    parts_.emplace_back(name, std::move(data));
}

bool ZipPackage::remove(const QString &name)
{
    for (auto it = parts_.begin(); it != parts_.end(); ++it) {
        if (it->first == name) {
            parts_.erase(it);
            return true;
        }
    }
    return false;
}

Result<QByteArray> ZipPackage::toBytes() const
{
    using R = Result<QByteArray>;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer) {
        const QString text = zipErrorText(&error);
        zip_error_fini(&error);
        return R::failure(text);
    }
    zip_t *archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!archive) {
        const QString text = zipErrorText(&error);
        zip_source_free(buffer);
        zip_error_fini(&error);
        return R::failure(text);
    }
    zip_error_fini(&error);
    zip_source_keep(buffer);
    auto failWith = [&](const QString &text) {
        zip_discard(archive);
        zip_source_free(buffer);
        return R::failure(QStringLiteral("Не удалось собрать книгу: ") + text);
    };
    for (const auto &[name, data] : parts_) {
        zip_source_t *part = zip_source_buffer(archive, data.constData(), static_cast<zip_uint64_t>(data.size()), 0);
        if (!part)
            return failWith(QString::fromLocal8Bit(zip_strerror(archive)));
        const QByteArray utf8 = name.toUtf8();
        const zip_int64_t index = zip_file_add(archive, utf8.constData(), part, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(part);
            return failWith(QString::fromLocal8Bit(zip_strerror(archive)));
        }
        // Small parts are stored: setting up a deflate stream (a 64 KB table
        // cleared for every part) costs more than the bytes it saves, and a card
        // is made while the user waits. Larger parts get the fast deflate.
        constexpr qsizetype kStoredBelow = 16 * 1024;
        zip_set_file_compression(
            archive, static_cast<zip_uint64_t>(index), data.size() < kStoredBelow ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 1);
    }
    if (zip_close(archive) != 0)
        return failWith(QString::fromLocal8Bit(zip_strerror(archive)));

    QByteArray bytes;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(buffer, &st) != 0 || zip_source_open(buffer) != 0) {
        zip_source_free(buffer);
        return R::failure(QStringLiteral("Не удалось собрать книгу."));
    }
    bytes.resize(static_cast<qsizetype>(st.size));
    const zip_int64_t got = zip_source_read(buffer, bytes.data(), st.size);
    zip_source_close(buffer);
    zip_source_free(buffer);
    if (got != static_cast<zip_int64_t>(st.size))
        return R::failure(QStringLiteral("Не удалось собрать книгу."));
    return bytes;
}

Status ZipPackage::save(const QString &path, FileSync sync) const
{
    const Result<QByteArray> bytes = toBytes();
    if (!bytes)
        return Status::failure(bytes.error());
    return saveFileAtomically(path, bytes.value(), sync);
}

namespace {

Status renameOnlySave(const QString &path, const QByteArray &bytes)
{
    auto failed = [&path](const QString &why) {
        return Status::failure(QStringLiteral("Не удалось записать файл: ") + path + QStringLiteral(" (") + why + u')');
    };
    const QFileInfo target(path);
    if (target.isDir())
        return failed(QStringLiteral("это папка"));
    // A new file beside the target (created with the usual permissions, never
    // an existing one), renamed over it once it is complete.
    QFile temporary;
    for (int attempt = 0;; ++attempt) {
        temporary.setFileName(target.absoluteDir().filePath(QStringLiteral(".~") + target.fileName() + u'.'
            + QString::number(QRandomGenerator::global()->generate(), 36)));
        if (temporary.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            break;
        if (temporary.exists() && attempt < 16)
            continue;
        return failed(temporary.errorString());
    }
    const bool written = temporary.write(bytes) == bytes.size() && temporary.flush();
    const QString writeError = temporary.errorString();
    temporary.close();
    if (!written) {
        temporary.remove();
        return failed(writeError);
    }
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(temporary.fileName().toStdU16String()),
        std::filesystem::path(path.toStdU16String()), error);
    if (error) {
        temporary.remove();
        return failed(QString::fromStdString(error.message()));
    }
    return {};
}

} // namespace

Status saveFileAtomically(const QString &path, const QByteArray &bytes, FileSync sync)
{
    if (sync == FileSync::RenameOnly)
        return renameOnlySave(path, bytes);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Status::failure(
            QStringLiteral("Не удалось записать файл: ") + path + QStringLiteral(" (") + file.errorString() + u')');
    // commit() misses a write that fails while it flushes the buffer: flush first.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        return Status::failure(
            QStringLiteral("Не удалось записать файл: ") + path + QStringLiteral(" (") + file.errorString() + u')');
    return {};
}

} // namespace kulvera
