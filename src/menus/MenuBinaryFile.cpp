#include "menus/MenuBinaryFile.h"

#include "common/Prompter.h"

#include "common/CodePage.h"
#include "menus/StringScrambler.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

namespace kulvera {

void MenuFileWriter::putNumber(qint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    out_.append(raw, 4);
}

void MenuFileWriter::putBytes(const QByteArray &bytes)
{
    putNumber(static_cast<qint32>(bytes.size()));
    out_.append(bytes);
}

void MenuFileWriter::putPlain(QStringView text)
{
    putBytes(encodeCodePage(text, CodePage::Cp1251));
}

void MenuFileWriter::putScrambled(QStringView text)
{
    putBytes(scrambleText(text));
}

std::optional<qint32> MenuFileReader::number()
{
    if (left() < 4)
        return std::nullopt;
    const qint32 value = qFromLittleEndian<qint32>(data_.constData() + position_);
    position_ += 4;
    return value;
}

std::optional<QByteArray> MenuFileReader::bytes()
{
    const std::optional<QByteArrayView> view = bytesView();
    if (!view)
        return std::nullopt;
    return view->toByteArray();
}

std::optional<QByteArrayView> MenuFileReader::bytesView()
{
    const qsizetype start = position_;
    const std::optional<qint32> length = number();
    if (!length || *length < 0 || *length > left()) {
        position_ = start;
        return std::nullopt;
    }
    const QByteArrayView out = QByteArrayView(data_).sliced(position_, *length);
    position_ += *length;
    return out;
}

std::optional<QString> MenuFileReader::plain()
{
    const std::optional<QByteArray> b = bytes();
    if (!b)
        return std::nullopt;
    return decodeCodePage(*b, CodePage::Cp1251);
}

std::optional<QString> MenuFileReader::scrambled()
{
    const std::optional<QByteArray> b = bytes();
    if (!b)
        return std::nullopt;
    return unscrambleText(*b);
}

Result<QByteArray> readMenuFileBytes(const QString &path, qint64 maxBytes)
{
    using R = Result<QByteArray>;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return R::failure(QStringLiteral("Файл ") + path + QStringLiteral(" не найден!"));
    if (info.size() > maxBytes)
        return R::failure(QStringLiteral("Файл '") + path + QStringLiteral("' слишком велик (")
            + QString::number(info.size()) + QStringLiteral(" байт)"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return R::failure(
            QStringLiteral("Не удалось открыть файл '") + path + QStringLiteral("': ") + file.errorString());
    // Read what the file holds into a buffer of its size (never of the
    // limit's, and not readAll's, which may take twice the file); a file
    // that changed since it was measured is refused.
    QByteArray data(info.size(), Qt::Uninitialized);
    char beyond = 0;
    if (file.read(data.data(), data.size()) != data.size() || file.read(&beyond, 1) != 0)
        return R::failure(QStringLiteral("Файл '") + path + QStringLiteral("' изменился во время чтения"));
    return data;
}

Status writeMenuFileBytes(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Status::failure(file.errorString());
    // commit() misses a write that fails while it flushes the buffer: flush first.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return Status::failure(file.errorString());
    }
    if (!file.commit())
        return Status::failure(file.errorString());
    return {};
}

Status checkMenuFileTarget(Prompter &prompter, const QString &title, const QString &path, bool nothingToWrite,
    bool askReplace, const QString &questionKey)
{
    if (path.trimmed().isEmpty())
        return Status::failure(QStringLiteral("Не задан путь для сохранения файла!"));
    if (nothingToWrite)
        return Status::failure(QStringLiteral("На указанные даты меню отсутствует!"));
    if (QFileInfo::exists(path) && askReplace
        && !prompter.confirm(QStringLiteral("Файл '") + path + QStringLiteral("' уже существует. Заменить его новым?"),
            title, questionKey))
        return Status::failure(QString());
    return {};
}

} // namespace kulvera
