#include "documents/CardPrinting.h"

#include "documents/DefaultTemplates.h"

#include <QDir>

namespace kulvera {

QString documentFileName(const QString &name, const QString &extension)
{
    constexpr qsizetype kMaxStem = 120;
    QString stem;
    for (const QChar c : name.trimmed()) {
        const bool refused = c.unicode() < 0x20 || QStringView(u"\\/:*?\"<>|").contains(c);
        stem.append(refused ? QChar(u'_') : c);
    }
    stem = stem.left(kMaxStem).trimmed();
    // A trailing dot or space is dropped by some file systems, making another name.
    while (stem.endsWith(u'.') || stem.endsWith(u' '))
        stem.chop(1);
    if (stem.isEmpty() || stem == u"." || stem == u"..")
        stem = QStringLiteral("Документ");
    return stem + extension;
}

Result<CardOutcome> printCardIntoFolder(colBludo &slot, const QString &name, const QString &outputText,
    const QString &folder, const QString &templatesFolder, const HeatTreatmentTables &losses,
    const MicrobiologyBase *microbiology, const SettingsAccess &settings, Prompter &prompter,
    const CardOptions &options, const std::function<void(const QString &)> &log)
{
    if (!QDir().mkpath(folder))
        return Result<CardOutcome>::failure(QStringLiteral("Не удалось создать папку: ") + folder);
    if (const Result<QStringList> made = createMissingTemplates(templatesFolder, settings); !made && log)
        log(made.error());
    CardRequest request;
    request.templatesFolder = templatesFolder;
    request.options = options;
    request.outputPath = QDir(folder).filePath(documentFileName(name));
    return produceCard(slot, name, outputText, request, losses, microbiology, settings, prompter, log);
}

} // namespace kulvera
