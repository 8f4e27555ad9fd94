#include "documents/CardDocument.h"

#include "common/Prompter.h"
#include "documents/CardWriter.h"
#include "documents/TemplateFiles.h"
#include "recipes/DishComposition.h"

#include <QFileInfo>

#include <climits>

namespace kulvera {

QString cardExportedText(int errors)
{
    return QStringLiteral("Норматив экспортирован. Ошибок при экспорте - ") + QString::number(errors);
}

Result<CardOutcome> produceCard(colBludo &slot, const QString &name, const QString &outputText,
    const CardRequest &request, const HeatTreatmentTables &losses, const MicrobiologyBase *microbiology,
    const SettingsAccess &settings, Prompter &prompter, const std::function<void(const QString &)> &log)
{
    using R = Result<CardOutcome>;
    auto say = [&log](const QString &line) {
        if (log)
            log(line);
    };
    if (request.outputPath.isEmpty())
        return R::failure(QStringLiteral("Не указан файл документа."));
    const CardFormats formats = CardFormats::fromSettings(settings);
    const CardLayout layout = CardLayout::fromSettings(settings);
    const int type = request.options.cardType.value_or(slot.Count() ? slot.item(1)->clsProds().TN_Vid : 1);

    CardOutcome outcome;
    std::optional<XlsxWorkbook> book;
    if (!request.generated) {
        std::optional<QString> path;
        if (!request.templateFile.isEmpty()) {
            if (!QFileInfo(request.templateFile).isFile())
                return R::failure(QStringLiteral("Шаблон не найден: ") + request.templateFile);
            path = request.templateFile;
        } else {
            path = findTemplate(request.templatesFolder, templateSetting(settings, cardTemplateKey(type)));
        }
        if (path) {
            say(QStringLiteral("Запускается Microsoft Excel"));
            Result<XlsxWorkbook> opened = openTemplateFor(*path, request.outputPath);
            if (!opened)
                return R::failure(opened.error());
            book = std::move(opened).value();
            outcome.templateUsed = *path;
            outcome.named = book->hasName(kTemplateVersionName.toString());
        } else {
            say(QStringLiteral("Шаблона нет, строим по старой форме"));
        }
    }

    int rows = INT_MAX;
    if (book && outcome.named) {
        const Result<CellRange> table = book->range(QStringLiteral("Рец_Сырье"));
        if (!table)
            return R::failure(table.error());
        rows = table->last.row - table->first.row + 1;
    } else if (book) {
        rows = layout.tableRows();
    }
    Result<CardData> card = buildCardData(slot, name, outputText, rows, losses, microbiology, settings, prompter,
        {type, request.options.fullComposition});
    if (!card)
        return R::failure(card.error());

    if (book) {
        SheetWriter out(*book);
        if (outcome.named)
            fillNamedCard(out, *card, formats, request.options);
        else
            fillFixedCard(out, *card, layout, formats);
        outcome.errors = out.errors();
        outcome.problems = out.problems();
        if (const Status s = book->save(request.outputPath); !s)
            return R::failure(s.error());
    } else {
        int errors = 0;
        const XlsxWorkbook generated = generatedCard(*card, formats, errors);
        outcome.errors = errors;
        if (const Status s = generated.save(request.outputPath); !s)
            return R::failure(s.error());
    }
    outcome.path = request.outputPath;
    checkPlausibility(card->per100, prompter);
    for (const QString &p : outcome.problems)
        say(p);
    say(cardExportedText(outcome.errors));
    prompter.status(cardExportedText(outcome.errors));
    return outcome;
}

} // namespace kulvera
