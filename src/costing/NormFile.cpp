#include "costing/NormFile.h"

#include "common/CodePage.h"
#include "common/NumberText.h"
#include "common/Prompter.h"
#include "recipes/RecipeExport.h"
#include "shell/INI_Work.h"
#include "shell/SharedSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kulvera {

namespace {

const QString kMain = QStringLiteral("main");
const QString kNorm = QStringLiteral("norm");
const QString kProds = QStringLiteral("prods");
const QString kCount = QStringLiteral("prodscount");
const QString kCode = QStringLiteral("Код");
const QString kName = QStringLiteral("Имя");
const QString kTitle = QStringLiteral("Физиологические нормы");

QString unsupported(const QString &what)
{
    return QStringLiteral("Этот тип файла не поддерживается (") + what + QStringLiteral(").");
}

QString valueText(const QVariant &v)
{
    bool numeric = false;
    const double d = v.toDouble(&numeric);
    const auto type = v.typeId();
    if (numeric && type != QMetaType::QString)
        return formatNumber(d);
    return v.toString();
}

QString notNumber(const QString &key, const QString &value)
{
    return QStringLiteral("Значение '") + value + QStringLiteral("' поля ") + key
        + QStringLiteral(" не является числом. Файл не загружен.");
}

// Major, minor and revision of the program's version text.
QStringList versionParts()
{
    const QStringList parts = SharedSettings::kVersion.split(u'.');
    QStringList out;
    for (int i = 0; i < 3; ++i)
        out << QString::number(i < parts.size() ? parts[i].toInt() : 0);
    return out;
}

} // namespace

INI_Work normFileContent(const NormRecord &norm, const QDateTime &now)
{
    INI_Work ini;
    const QStringList version = versionParts();
    ini.setValue(kMain, QStringLiteral("name"), norm.name);
    ini.setValue(kMain, QStringLiteral("date_cr"), now.toString(QStringLiteral("dd.MM.yyyy")));
    ini.setValue(kMain, QStringLiteral("time_cr"), now.toString(QStringLiteral("hh:mm")));
    ini.setValue(kMain, QStringLiteral("kv"), SharedSettings::kProductTitle);
    ini.setValue(kMain, QStringLiteral("Major"), version[0]);
    ini.setValue(kMain, QStringLiteral("Minor"), version[1]);
    ini.setValue(kMain, QStringLiteral("Revision"), version[2]);
    ini.setValue(kMain, QStringLiteral("S"), QString::number(kBuildNumber));
    ini.setValue(kMain, QStringLiteral("type"), kNormFileType.toString());
    ini.setValue(kMain, QStringLiteral("version"), QString::number(kNormFileVersion));
    ini.setValue(kNorm, kCode, QString::number(norm.code));
    ini.setValue(kNorm, kName, norm.name);
    for (const auto &[column, value] : norm.columns)
        ini.setValue(kNorm, column, valueText(value));
    ini.setValue(kProds, kCount, QString::number(norm.products.size()));
    for (std::size_t i = 0; i < norm.products.size(); ++i) {
        const ProductSetNorm &p = norm.products[i];
        const QString n = QString::number(i + 1);
        // All three keys, an empty column as an empty value: a reader takes a
        // row only when it finds all three, so leaving one out would lose it.
        ini.setValue(kProds, QStringLiteral("Group_Name_") + n, p.groupName.toString());
        ini.setValue(kProds, QStringLiteral("Code_Prods_") + n, p.codeProds.toString());
        ini.setValue(kProds, QStringLiteral("Norm_Prods_") + n, p.norm.isNull() ? QString() : valueText(p.norm));
    }
    return ini;
}

Status saveNormFile(const NormRecord &norm, const QString &path, const QDateTime &now, Prompter &prompter)
{
    const QString shown = QFileInfo(path).fileName();
    if (QFileInfo::exists(path)
        && !prompter.confirm(QStringLiteral("Файл '") + shown + QStringLiteral("' уже существует. Заменить имеющийся?"),
            kTitle, QStringLiteral("norm-file-overwrite")))
        return Status::failure(QString());
    if (const Status s = normFileContent(norm, now).writeTo(path); !s) {
        prompter.error(s.error());
        return s;
    }
    prompter.message(QStringLiteral("Файл '") + shown + QStringLiteral("' сохранен."), kTitle);
    return {};
}

Result<NormRecord> readNormFile(const QString &path)
{
    using R = Result<NormRecord>;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return R::failure(QStringLiteral("Не удалось открыть файл: ") + path);
    if (file.size() > kMaxNormFileBytes)
        return R::failure(QStringLiteral("Файл слишком велик для файла норм: ") + path);
    const QByteArray bytes = file.readAll();
    // Every line the writer puts out ends with a line break: a file that does
    // not was cut while it was written or copied.
    if (bytes.isEmpty() || !bytes.endsWith('\n'))
        return R::failure(QStringLiteral("Файл норм поврежден (обрезан): ") + path);
    INI_Work ini;
    ini.loadText(
        bytes.startsWith("\xEF\xBB\xBF") ? QString::fromUtf8(bytes.mid(3)) : decodeCodePage(bytes, CodePage::Cp1251));
    if (!ini.SectionExists(kMain))
        return R::failure(unsupported(QStringLiteral("не найден раздел - main")));
    if (const auto repeated = ini.firstRepeatedSection())
        return R::failure(
            QStringLiteral("Файл норм поврежден (повторяется раздел ") + *repeated + QStringLiteral("): ") + path);
    const QString type = ini.Value(kMain, QStringLiteral("type")).trimmed();
    if (type.compare(kNormFileType, Qt::CaseInsensitive) != 0)
        return R::failure(unsupported(type));
    if (ini.Value(kMain, QStringLiteral("version")).trimmed() != QString::number(kNormFileVersion))
        return R::failure(unsupported(QStringLiteral("version ") + ini.Value(kMain, QStringLiteral("version"))));
    const std::optional<QString> countText = ini.ValueIfExists(kProds, kCount);
    if (!countText)
        return R::failure(unsupported(QStringLiteral("не найдено поле - prodscount")));
    bool countOk = false;
    const int count = countText->trimmed().toInt(&countOk);
    if (!countOk || count < 0)
        return R::failure(notNumber(kCount, *countText));
    if (count > kMaxProductSetRows)
        return R::failure(QStringLiteral("Файл содержит ") + QString::number(count)
            + QStringLiteral(" строк продуктового набора; допускается не более ") + QString::number(kMaxProductSetRows)
            + QStringLiteral(". Файл не загружен."));
    if (!ini.SectionExists(kNorm))
        return R::failure(QStringLiteral("Файл норм поврежден (нет раздела norm): ") + path);

    NormRecord norm;
    norm.name = ini.Value(kMain, QStringLiteral("name"));
    for (int i = 0; i < ini.ValuesCount(kNorm); ++i) {
        const QString key = ini.ValueName(kNorm, i);
        const QString value = ini.Value(kNorm, key);
        if (key.compare(kCode, Qt::CaseInsensitive) == 0)
            continue;
        if (key.compare(kName, Qt::CaseInsensitive) == 0) {
            norm.name = value;
            continue;
        }
        if (value.trimmed().isEmpty())
            continue;
        const std::optional<double> number = parseNumber(value);
        if (!number)
            return R::failure(notNumber(key, value));
        norm.columns.emplace_back(key, *number);
    }
    if (norm.name.trimmed().isEmpty())
        return R::failure(QStringLiteral("В файле не указано имя нормы. Файл не загружен."));
    for (int i = 1; i <= count; ++i) {
        const QString n = QString::number(i);
        const auto group = ini.ValueIfExists(kProds, QStringLiteral("Group_Name_") + n);
        const auto codes = ini.ValueIfExists(kProds, QStringLiteral("Code_Prods_") + n);
        const auto grams = ini.ValueIfExists(kProds, QStringLiteral("Norm_Prods_") + n);
        if (!group || !codes || !grams)
            continue;
        ProductSetNorm row;
        if (!group->isEmpty())
            row.groupName = *group;
        if (!codes->isEmpty())
            row.codeProds = *codes;
        if (!grams->trimmed().isEmpty()) {
            const std::optional<double> number = parseNumber(*grams);
            if (!number)
                return R::failure(notNumber(QStringLiteral("Norm_Prods_") + n, *grams));
            row.norm = *number;
        }
        norm.products.push_back(std::move(row));
    }
    return norm;
}

Result<qint64> importNormFile(const NormBase &norms, const QString &path, Prompter &prompter)
{
    const Result<NormRecord> read = readNormFile(path);
    if (!read) {
        prompter.error(read.error(), kTitle);
        return Result<qint64>::failure(read.error());
    }
    const Result<qint64> code = norms.insert(*read);
    if (!code)
        prompter.error(code.error(), kTitle);
    return code;
}

Result<int> exportAllNorms(const NormBase &norms, const QString &folder, const QDateTime &now, Prompter &prompter)
{
    using R = Result<int>;
    const auto all = norms.all();
    if (!all)
        return R::failure(all.error());
    if (all->empty()) {
        prompter.message(QStringLiteral("Нет физиологических норм потребления!"), kTitle);
        return R::failure(QStringLiteral("Нет физиологических норм потребления!"));
    }
    QDir dir(folder);
    const QString noAccess = QStringLiteral("Нет доступа к папке: ") + folder
        + QStringLiteral("\nОткройте права доступа и повторите попытку");
    if (!dir.exists()) {
        prompter.status(QStringLiteral("Создаем папку..."));
        if (!QDir().mkpath(folder)) {
            prompter.error(noAccess, kTitle);
            return R::failure(noAccess);
        }
    }
    const QFileInfoList present = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    if (!present.isEmpty()) {
        if (!prompter.confirm(QStringLiteral("Папка '") + folder + QStringLiteral("' содержит файлы. Очистить папку?"),
                kTitle, QStringLiteral("norms-folder-clear")))
            return R::failure(QString());
        for (const QFileInfo &f : present) {
            if (!QFile::remove(f.absoluteFilePath())) {
                prompter.error(noAccess, kTitle);
                return R::failure(noAccess);
            }
        }
    }
    FileNamePicker names;
    int written = 0;
    for (const NormRecord &norm : *all) {
        const QString path = dir.filePath(names.pick(norm.name, kNormFileType));
        if (const Status s = normFileContent(norm, now).writeTo(path, false); !s) {
            prompter.error(noAccess, kTitle);
            return R::failure(s.error());
        }
        ++written;
    }
    return written;
}

} // namespace kulvera
