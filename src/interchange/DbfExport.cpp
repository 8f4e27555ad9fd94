#include "interchange/DbfExport.h"

#include "common/Prompter.h"
#include "interchange/DbfMemoFile.h"
#include "interchange/clsDBF.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace kulvera {

namespace {

const QString kTitleExport = QStringLiteral("Экспорт в DBF");

QString memoPathOf(const QString &path, int fileType)
{
    const QFileInfo info(path);
    return info.path() + u'/' + info.completeBaseName() + u'.' + DbfMemoFile::extensionFor(fileType);
}

} // namespace

DbfTableSpec productsDbfTable()
{
    DbfTableSpec t;
    t.fileType = 3;
    t.codePageMark = clsDBF::xDBFCharsetDOS866;
    t.fields = {
        {QStringLiteral("КОД"), u'N', 10, 0},
        {QStringLiteral("ИМЯ"), u'C', 100, 0},
        {QStringLiteral("ИМЯ2"), u'C', 200, 0},
        {QStringLiteral("ГОСТ"), u'C', 60, 0},
        {QStringLiteral("КОД_ГРУППЫ"), u'N', 10, 0},
        {QStringLiteral("ЦЕНА"), u'N', 14, 2},
        {QStringLiteral("ЕДИ_Ц"), u'N', 10, 0},
        {QStringLiteral("OUT"), u'N', 8, 2},
        {QStringLiteral("ВОДА"), u'N', 10, 3},
        {QStringLiteral("БЕЛКИ"), u'N', 10, 3},
        {QStringLiteral("ЖИР"), u'N', 10, 3},
        {QStringLiteral("МОНО"), u'N', 10, 3},
        {QStringLiteral("КР"), u'N', 10, 3},
        {QStringLiteral("КЛ"), u'N', 10, 3},
        {QStringLiteral("ЗОЛА"), u'N', 10, 3},
        {QStringLiteral("ЭЦ"), u'N', 10, 3},
    };
    return t;
}

DbfTableSpec recipesDbfTable()
{
    DbfTableSpec t;
    t.fileType = clsDBF::xDBFType_dBASE_III;
    t.codePageMark = clsDBF::xDBFCharsetDOS866;
    t.fields = {
        {QStringLiteral("НОМЕР"), u'N', 10, 0},
        {QStringLiteral("БЛЮДО"), u'C', 200, 0},
        {QStringLiteral("ТИП"), u'N', 1, 0},
        {QStringLiteral("ВЫХОД"), u'C', 30, 0},
        {QStringLiteral("ПОЗИЦИЯ"), u'C', 11, 0},
        {QStringLiteral("КОД"), u'N', 10, 0},
        {QStringLiteral("ПРОДУКТ"), u'C', 100, 0},
        {QStringLiteral("БРУТТО"), u'N', 12, 3},
        {QStringLiteral("НЕТТО"), u'N', 12, 3},
        {QStringLiteral("ТЕХНОЛОГИЯ"), u'M', 0, 0},
    };
    return t;
}

Status exportDbfRows(const QString &path, const DbfTableSpec &table, const std::vector<QVariantList> &rows,
    Prompter &prompter, const Clock *clock)
{
    if (path.isEmpty()) {
        prompter.error(QStringLiteral("Не указан путь к файлу!"), kTitleExport);
        return Status::failure(QStringLiteral("Не указан путь к файлу!"));
    }
    const QString memoPath = memoPathOf(path, table.fileType);
    if (QFileInfo::exists(path)
        && !prompter.confirm(
            QStringLiteral("Файл ") + path + QStringLiteral(" существует!") + QStringLiteral("\nУдалить его?"),
            kTitleExport, QStringLiteral("dbf-create-overwrite")))
        return Status::failure(QStringLiteral("Файл ") + path + QStringLiteral(" существует!"));

    const QFileInfo info(path);
    const QString temp = info.path() + QStringLiteral("/.") + info.completeBaseName() + u'-'
        + QUuid::createUuid().toString(QUuid::Id128).left(12) + QStringLiteral(".dbf");
    const QString tempMemo = memoPathOf(temp, table.fileType);
    auto discard = [&] {
        QFile::remove(temp);
        QFile::remove(tempMemo);
    };

    clsDBF dbf(prompter, clock);
    Status s = dbf.CreateNewFile(temp, table.fileType, table.codePageMark);
    for (const DbfFieldSpec &f : table.fields) {
        if (!s)
            break;
        s = dbf.CreateField(f.name, f.type, f.size, f.decimals);
    }
    if (s)
        s = dbf.SaveNewFile();
    if (s)
        s = dbf.BeginBatch();
    const int fieldCount = static_cast<int>(table.fields.size());
    qint64 done = 0;
    for (const QVariantList &row : rows) {
        if (!s)
            break;
        if (row.size() != fieldCount) {
            const QString text = QStringLiteral("Строка ") + QString::number(done + 1)
                + QStringLiteral(": ожидается значений ") + QString::number(fieldCount) + QStringLiteral(", получено ")
                + QString::number(row.size()) + QStringLiteral(".");
            prompter.error(text, kTitleExport);
            s = Status::failure(text);
            break;
        }
        s = dbf.AddNew();
        for (int i = 0; s && i < fieldCount; ++i)
            if (!row[i].isNull())
                s = dbf.SetFieldValue(i, row[i]);
        if (s)
            s = dbf.Update();
        if ((++done % 1000) == 0)
            prompter.progress(done, static_cast<qint64>(rows.size()));
    }
    prompter.progress(0, 0);
    if (s)
        s = dbf.EndBatch();
    const bool hasMemo = dbf.HasMemoFile();
    const Status closed = dbf.CloseFile();
    if (s && !closed)
        s = closed;
    if (!s) {
        discard();
        return s;
    }
    // Move into place: the table last, so a reader never sees it without its memo.
    if (QFileInfo::exists(memoPath) && !QFile::remove(memoPath)) {
        discard();
        const QString text = QStringLiteral("Не удалось заменить файл ") + memoPath + QStringLiteral("!");
        prompter.error(text, kTitleExport);
        return Status::failure(text);
    }
    if (hasMemo && !QFile::rename(tempMemo, memoPath)) {
        discard();
        const QString text = QStringLiteral("Не удалось записать файл ") + memoPath + QStringLiteral("!");
        prompter.error(text, kTitleExport);
        return Status::failure(text);
    }
    if ((QFileInfo::exists(path) && !QFile::remove(path)) || !QFile::rename(temp, path)) {
        discard();
        const QString text = QStringLiteral("Не удалось записать файл ") + path + QStringLiteral("!");
        prompter.error(text, kTitleExport);
        return Status::failure(text);
    }
    return {};
}

} // namespace kulvera
