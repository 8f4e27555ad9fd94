#include "recipes/RecipeExport.h"

#include "common/Prompter.h"
#include "recipes/DishBase.h"
#include "recipes/DishComposition.h"
#include "recipes/Masses.h"
#include "shell/Connections.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QDir>

namespace kulvera {
namespace {

constexpr int kMaxStemLength = 120;

bool isDeviceName(const QString &stem)
{
    static const QStringList devices = {QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
        QStringLiteral("NUL"), QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
        QStringLiteral("COM4"), QStringLiteral("COM5"), QStringLiteral("COM6"), QStringLiteral("COM7"),
        QStringLiteral("COM8"), QStringLiteral("COM9"), QStringLiteral("LPT1"), QStringLiteral("LPT2"),
        QStringLiteral("LPT3"), QStringLiteral("LPT4"), QStringLiteral("LPT5"), QStringLiteral("LPT6"),
        QStringLiteral("LPT7"), QStringLiteral("LPT8"), QStringLiteral("LPT9")};
    const QString base = stem.section(u'.', 0, 0).trimmed();
    return devices.contains(base, Qt::CaseInsensitive);
}

} // namespace

QString safeFileStem(const QString &recipeName)
{
    QString stem;
    stem.reserve(recipeName.size());
    for (QChar ch : recipeName) {
        const char16_t u = ch.unicode();
        const bool bad = u < 0x20 || u == 0x7F || u == u'\\' || u == u'/' || u == u':' || u == u'*' || u == u'?'
            || u == u'"' || u == u'<' || u == u'>' || u == u'|' || ch.isSurrogate();
        stem += bad ? QChar(u'_') : ch;
    }
    stem = stem.trimmed();
    if (stem.size() > kMaxStemLength)
        stem.truncate(kMaxStemLength);
    while (stem.endsWith(u'.') || stem.endsWith(u' '))
        stem.chop(1);
    if (stem.isEmpty() || stem == u"." || stem == u"..")
        stem = QStringLiteral("рецептура");
    if (isDeviceName(stem))
        stem.prepend(u'_');
    return stem;
}

QString FileNamePicker::pick(const QString &recipeName, QStringView extension)
{
    const QString stem = safeFileStem(recipeName);
    QString name = stem + u'.' + extension;
    for (int n = 2; taken_.contains(name.toCaseFolded()); ++n)
        name = stem + QStringLiteral(" (") + QString::number(n) + QStringLiteral(").") + extension;
    taken_.insert(name.toCaseFolded());
    return name;
}

Result<ExportSummary> exportRecipes(DishBase &base, const QString &table, const QStringList &names,
    const QString &folder, const RecipeFileContext &context)
{
    using R = Result<ExportSummary>;
    if (!QDir().mkpath(folder)) {
        const QString text = QStringLiteral("Нет прав на запись в папку '") + QDir::toNativeSeparators(folder) + u'\'';
        context.prompter.error(text);
        return R::failure(text);
    }
    const QDir dir(folder);
    ExportSummary summary;
    FileNamePicker picker;
    RecipeSlots memory;
    RecipeFileWriteOptions options;
    options.report = false;
    options.sync = false; // thousands of files: one flush by the system, not one per file
    qint64 done = 0;
    for (const QString &name : names) {
        context.prompter.progress(done++, names.size());
        const Result<LoadedRecipe> loaded = base.load(memory, 1, table, name, QString());
        if (!loaded) {
            summary.failed << name;
            continue;
        }
        colBludo &slot = *memory.slot(1);
        const RecipeFileHeader header = headerOfSlot(slot, name, loaded->output);
        if (saveRecipeFile(slot, header, dir.filePath(picker.pick(name)), context, options))
            ++summary.written;
        else
            summary.failed << name;
    }
    context.prompter.progress(0, 0);
    return summary;
}

Result<QString> importRecipeFile(DishBase &base, const QString &table, const QString &fileName, const QString &name,
    const SettingsAccess &settings, const RecipeFileContext &context)
{
    using R = Result<QString>;
    colBludo slot;
    const Result<RecipeFileHeader> header = loadRecipeFile(slot, fileName, context);
    if (!header)
        return R::failure(header.error());
    const QString target = name.trimmed().isEmpty() ? header->name.trimmed() : name.trimmed();
    if (target.isEmpty()) {
        const QString text = QStringLiteral("Не указано название рецептуры");
        context.prompter.error(text);
        return R::failure(text);
    }
    // The first row carries the recipe's output; semi-finished products are
    // stored with their composition as computed now.
    slot.item(1)->clsProds().Out = header->output;
    computeDish(slot, target, outputValue(header->output), context.losses, context.prompter);
    SaveOptions options;
    options.texts = header->texts;
    options.cardType = header->cardType;
    // A file that carries the full composition keeps it in the base.
    options.fullComposition = DishBase::fullCompositionSetting(settings);
    for (const clsBludo &b : slot)
        options.fullComposition = options.fullComposition || b.clsProds().HS_Full != 0;
    if (const Status s = base.save(slot, table, target, options); !s)
        return R::failure(s.error().isEmpty() ? QStringLiteral("Рецептура не сохранена") : s.error());
    return target;
}

Status deleteRecipe(DishBase &base, const QString &table, const QString &name, Prompter &prompter)
{
    if (prompter.ask(QStringLiteral("Удалить рецептуру '") + name + QStringLiteral("'?"), Prompter::Buttons::YesNo,
            DishBase::kTitle.toString(), Prompter::Icon::Question, QStringLiteral("DeleteRecipe"))
        != Prompter::Answer::Yes)
        return Status::failure(QString());
    const QSqlDatabase db = base.database();
    const QString column = QStringLiteral("\"l") + QString::number(base.nameColumn()) + u'"';
    return execSql(db,
        QStringLiteral("DELETE FROM ") + SqlDialect::of(db).quote(table) + QStringLiteral(" WHERE ") + column
            + QStringLiteral(" = ? AND (\"l26\" IS NULL OR \"l26\" = '') AND (\"l28\" IS NULL OR \"l28\" = '')"),
        {base.codec().encode(name)}, nullptr);
}

} // namespace kulvera
