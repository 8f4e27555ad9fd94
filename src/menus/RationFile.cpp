#include "menus/RationFile.h"

#include "common/Clock.h"
#include "common/Prompter.h"
#include "common/StrSeparator.h"
#include "common/TextDate.h"
#include "menus/MenuBase.h"
#include "shell/INI_Work.h"
#include "shell/SharedSettings.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace kulvera {
namespace {

const QString kMain = QStringLiteral("main");
// A file naming more meals than this is not a ration.
constexpr int kMaxMeals = 100;

QString dishPrefix(int meal, int dish)
{
    return QString::number(meal) + u',' + QString::number(dish) + u'_';
}

bool holdsProduct(const colBludo &dish)
{
    for (const clsBludo &b : dish) {
        if (b.clsProds().Kod.toString().startsWith(u"pro", Qt::CaseInsensitive))
            return true;
    }
    return false;
}

Result<LoadedRation> refuse(Prompter &prompter, const QString &text)
{
    prompter.error(text, MenuBase::kTitle.toString());
    return Result<LoadedRation>::failure(text);
}

QStringList versionParts()
{
    const QStringList parts = SharedSettings::kVersion.split(u'.');
    QStringList out;
    for (int i = 0; i < 3; ++i)
        out << QString::number(i < parts.size() ? parts[i].toInt() : 0);
    return out;
}

} // namespace

QString defaultRationFileName(const QDate &date)
{
    return QStringLiteral("меню_") + date.toString(QStringLiteral("yyyy_MM_dd")) + QStringLiteral(".menu");
}

Status saveRationFile(const Ration &ration, const QString &fileName, const RationFileInfo &info,
    const RecipeFileContext &context, const RationFileWriteOptions &options)
{
    Prompter &prompter = context.prompter;
    const QString title = MenuBase::kTitle.toString();
    if (ration.isEmpty()) {
        prompter.error(QStringLiteral("Рацион не заполнен!"), title);
        return Status::failure(QStringLiteral("Рацион не заполнен!"));
    }
    const QFileInfo file(fileName);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir() || !folder.isWritable()) {
        const QString text
            = QStringLiteral("Нет прав на запись в папку '") + QDir::toNativeSeparators(file.absolutePath()) + u'\'';
        prompter.error(text, title);
        return Status::failure(text);
    }
    if (file.exists() && options.askReplace
        && prompter.ask(QStringLiteral("Файл с меню '") + fileName + QStringLiteral("' уже имеется. Удалить старый?"),
               Prompter::Buttons::YesNo, title, Prompter::Icon::Question, QStringLiteral("ReplaceRationFile"))
            != Prompter::Answer::Yes)
        return Status::failure(QString());

    INI_Work ini;
    const QDateTime now = context.clock.now();
    const QStringList version = versionParts();
    QString meals;
    for (int m = 1; m <= ration.mealCount(); ++m)
        meals += ration.mealName(m) + kStrSeparator;
    ini.setValue(kMain, QStringLiteral("date_cr"), now.toString(QStringLiteral("dd.MM.yyyy")));
    ini.setValue(kMain, QStringLiteral("time_cr"), now.toString(QStringLiteral("hh:mm")));
    ini.setValue(kMain, QStringLiteral("kv"), SharedSettings::kProductTitle);
    ini.setValue(kMain, QStringLiteral("Major"), version[0]);
    ini.setValue(kMain, QStringLiteral("Minor"), version[1]);
    ini.setValue(kMain, QStringLiteral("Revision"), version[2]);
    ini.setValue(kMain, QStringLiteral("S"), QString::number(kBuildNumber));
    ini.setValue(kMain, QStringLiteral("type"), info.type);
    ini.setValue(kMain, QStringLiteral("version"), QString::number(kRationFileVersion));
    ini.setValue(kMain, QStringLiteral("date"), formatTextDate(ration.date()));
    ini.setValue(kMain, QStringLiteral("fz_id"), ration.normCode());
    ini.setValue(kMain, QStringLiteral("fz_name"), info.normName);
    ini.setValue(kMain, QStringLiteral("group"), ration.group());
    ini.setValue(kMain, QStringLiteral("ration_count"), QString::number(ration.mealCount()));
    ini.setValue(kMain, QStringLiteral("ration_str"), meals);
    ini.setValue(kMain, QStringLiteral("title"), info.title);

    for (int m = 1; m <= ration.mealCount(); ++m) {
        const colRation &entries = *ration.meal(m);
        for (int j = 1; j <= entries.Count(); ++j) {
            const int number = ration.dishAt(m, j);
            const colBludo *dish = ration.dish(number);
            if (!dish || dish->Count() == 0)
                continue;
            const RecipeFileHeader header = headerOfSlot(*dish, ration.dishName(number), ration.dishOutput(number));
            addRecipeSections(ini, *dish, header, context, dishPrefix(m, j), info.type);
        }
    }
    if (const Status s = ini.writeTo(fileName); !s) {
        const QString text
            = QStringLiteral("Не удалось записать файл '") + fileName + QStringLiteral("': ") + s.error();
        prompter.error(text, title);
        return Status::failure(text);
    }
    if (options.report)
        prompter.message(QStringLiteral("Файл меню '") + fileName + QStringLiteral("' сохранен."), title);
    return {};
}

Result<LoadedRation> loadRationFile(const QString &fileName, const RecipeFileContext &context)
{
    Prompter &prompter = context.prompter;
    const QFileInfo info(fileName);
    if (!info.isFile())
        return refuse(prompter, QStringLiteral("Файл ") + fileName + QStringLiteral(" не найден!"));
    if (info.size() > kMaxRationFileBytes)
        return refuse(prompter,
            QStringLiteral("Файл '") + fileName + QStringLiteral("' не является файлом рациона: ")
                + QStringLiteral("размер ") + QString::number(info.size()) + QStringLiteral(" байт"));
    INI_Work ini(&prompter);
    ini.setFilename(fileName);
    if (!ini.SectionExists(kMain))
        return refuse(prompter, QStringLiteral("Не найдена основная секция файла (секция main)"));
    if (const auto repeated = ini.firstRepeatedSection())
        return refuse(prompter, QStringLiteral("Секция '") + *repeated + QStringLiteral("' повторяется в файле меню"));

    LoadedRation out;
    out.title = ini.Value(kMain, QStringLiteral("title"));
    out.normName = ini.Value(kMain, QStringLiteral("fz_name"));
    const QDate date = parseTextDate(ini.Value(kMain, QStringLiteral("date"))).value_or(QDate());
    out.ration = Ration({date, ini.Value(kMain, QStringLiteral("group"))});
    out.ration.setNormCode(ini.Value(kMain, QStringLiteral("fz_id")));

    QStringList meals;
    if (ini.ValueExists(kMain, QStringLiteral("ration_str"))) {
        for (const QString &name : splitStr(ini.Value(kMain, QStringLiteral("ration_str")))) {
            if (!name.isEmpty())
                meals << name;
        }
    } else {
        const int count = std::clamp(ini.Value(kMain, QStringLiteral("ration_count")).toInt(), 0, kMaxMeals);
        for (int m = 1; m <= count; ++m)
            meals << QStringLiteral("Прием ") + QString::number(m);
    }
    if (meals.size() > kMaxMeals)
        return refuse(prompter, QStringLiteral("Ошибочный список приемов пищи в файле меню"));

    for (int m = 1; m <= meals.size(); ++m) {
        for (int j = 1; j <= kMaxDishesPerMeal; ++j) {
            const QString prefix = dishPrefix(m, j);
            const std::optional<QString> name = ini.ValueIfExists(prefix + kMain, QStringLiteral("name"));
            if (!name)
                continue;
            colBludo dish;
            const Result<RecipeFileHeader> header = readRecipeSections(dish, ini, context, prefix);
            if (!header || !holdsProduct(dish)) {
                out.notAdded << *name;
                continue;
            }
            const int meal = out.ration.ensureMeal(meals[m - 1]);
            out.ration.appendDish(meal, header->name, header->output, std::move(dish));
        }
    }
    if (!out.notAdded.isEmpty())
        prompter.notice(
            QStringLiteral("Список рецептур не добавленных в рацион: ") + out.notAdded.join(QStringLiteral(", ")),
            kNotAddedNoticeKey.toString(), MenuBase::kTitle.toString());
    return out;
}

QString rationFileTitle(const QString &fileName)
{
    if (QFileInfo(fileName).size() > kMaxRationFileBytes)
        return {};
    INI_Work ini;
    ini.setFilename(fileName);
    return ini.Value(kMain, QStringLiteral("title"));
}

QString rationBufferFolder(const QString &dirBook)
{
    return QDir(dirBook).filePath(QStringLiteral("buffer"));
}

std::vector<RationBufferEntry> rationBufferList(const QString &folder)
{
    std::vector<RationBufferEntry> out;
    const QDir dir(folder);
    for (const QFileInfo &f : dir.entryInfoList({QStringLiteral("*.menu")}, QDir::Files, QDir::Name)) {
        if (f.size() > kMaxRationFileBytes)
            continue;
        INI_Work ini;
        ini.setFilename(f.absoluteFilePath());
        if (!ini.SectionExists(kMain))
            continue; // an export file, or no ration
        const QString title = ini.Value(kMain, QStringLiteral("title"));
        out.push_back({f.absoluteFilePath(), title.isEmpty() ? f.fileName() : title});
    }
    return out;
}

} // namespace kulvera
