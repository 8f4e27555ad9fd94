#include "journals/MonthJournalPrint.h"

#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "documents/ReportTemplate.h"
#include "documents/SheetWriter.h"
#include "documents/TemplateFiles.h"
#include "journals/MonthJournal.h"

#include <QFileInfo>

namespace kulvera {
namespace {

constexpr int kTemplateTableRow = 10;
constexpr int kTemplateTableLines = 60;
constexpr int kMaxDays = 31;

QString address(const SettingsAccess &settings, QChar suffix)
{
    QStringList parts;
    for (const char16_t *key : {u"Index", u"Country", u"Obl", u"City", u"Street", u"Home", u"Korp", u"Office"}) {
        const QString part = settings.get(Section::User, QString::fromUtf16(key) + suffix).trimmed();
        if (!part.isEmpty())
            parts << part;
    }
    return parts.join(QStringLiteral(", "));
}

QString sheetRef(const QString &sheet, int row, int col)
{
    return u'\'' + sheet + QStringLiteral("'!") + absoluteAddress(row, col);
}

// A heading name of the template, written when the template has it.
void putNamed(const XlsxWorkbook &book, SheetWriter &out, QStringView name, const QString &value)
{
    if (!book.hasName(name.toString()))
        return;
    const Result<CellRange> range = book.range(name.toString());
    if (!range || range->sheet != 0) {
        out.fail(QStringLiteral("Имя шаблона не указывает на ячейку первого листа: ") + name.toString());
        return;
    }
    out.text(range->first, value);
}

} // namespace

JournalHeading journalHeading(const SettingsAccess &settings)
{
    return {settings.get(Section::User, QStringLiteral("Name_Org")), address(settings, u'U'), address(settings, u'F'),
        settings.get(Section::User, QStringLiteral("tFDir")), settings.get(Section::User, QStringLiteral("tFOtv"))};
}

XlsxWorkbook monthJournalTemplate(JournalKind kind)
{
    const JournalKindRules &rules = journalKindRules(kind);
    const QString sheet = QStringLiteral("Журнал");
    XlsxWorkbook book = XlsxWorkbook::blank(sheet, QStringLiteral("Times New Roman"), 10);
    SheetWriter w(book);
    book.setColumnWidth(1, 32);
    book.setColumnWidth(2, 22);
    for (int d = 1; d <= kMaxDays; ++d)
        book.setColumnWidth(2 + d, 5);
    CellLook bold;
    bold.bold = true;
    w.text(1, 1, rules.title, bold);
    const std::pair<QString, QStringView> heading[] = {
        {QStringLiteral("Организация:"), kJournalOrganisationName},
        {QStringLiteral("Юридический адрес:"), kJournalLegalAddressName},
        {QStringLiteral("Фактический адрес:"), kJournalActualAddressName},
        {QStringLiteral("Руководитель:"), kJournalHeadName},
        {QStringLiteral("Ответственный:"), kJournalResponsibleName},
        {QStringLiteral("Месяц:"), kJournalMonthName},
    };
    int row = 2;
    for (const auto &[label, name] : heading) {
        w.text(row, 1, label, bold);
        book.defineName(name.toString(), sheetRef(sheet, row, 2));
        ++row;
    }
    const int captionRow = kTemplateTableRow - 1;
    book.defineName(kJournalSubjectHeadingName.toString(), sheetRef(sheet, captionRow, 1));
    book.defineName(kJournalPlaceHeadingName.toString(), sheetRef(sheet, captionRow, 2));
    w.look(captionRow, 1, framed(true));
    w.look(captionRow, 2, framed(true));
    for (int d = 1; d <= kMaxDays; ++d)
        w.number(captionRow, 2 + d, d, QStringLiteral("0"), framed(true));
    book.defineName(kJournalTableStartName.toString(), sheetRef(sheet, kTemplateTableRow, 1));
    book.defineName(kJournalTableEndName.toString(), sheetRef(sheet, kTemplateTableRow + kTemplateTableLines - 1, 1));
    w.text(kTemplateTableRow + kTemplateTableLines + 1, 1, QStringLiteral("Подпись ответственного ______________"));
    return book;
}

Result<JournalPrintOutcome> printMonthJournal(const MonthJournal &journal, const JournalMonth &month,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter)
{
    using R = Result<JournalPrintOutcome>;
    const JournalKindRules &rules = journal.rules();
    const auto subjects = journal.subjects();
    if (!subjects)
        return R::failure(subjects.error());
    if (subjects->empty())
        return R::failure(kJournalEmpty.toString());
    const auto entries = journal.entries(month);
    if (!entries)
        return R::failure(entries.error());

    prompter.status(QStringLiteral("Загрузка шаблона..."));
    const QString file = templateSetting(settings, rules.templateKey);
    const auto kind = rules.kind;
    Result<OpenedTemplate> opened = openOrMakeTemplate(
        templatesFolder, file, QFileInfo(file).completeBaseName() + QStringLiteral(".xlsx"),
        [kind] { return monthJournalTemplate(kind); }, outputPath);
    if (!opened)
        return R::failure(kTemplateMissing.toString() + u'\n' + opened.error());
    XlsxWorkbook &book = opened.value().book;

    prompter.status(QStringLiteral("Проверка шаблона..."));
    CellRef start, end;
    for (const auto &[name, cell] :
        {std::pair {kJournalTableStartName, &start}, std::pair {kJournalTableEndName, &end}}) {
        if (!book.hasName(name.toString()))
            return R::failure(kTemplateMissing.toString() + QStringLiteral("\nВ шаблоне нет имени ") + name.toString()
                + QStringLiteral(": ") + opened->path);
        const Result<CellRef> found = namedCellOr(book, name.toString(), {});
        if (!found)
            return R::failure(found.error());
        *cell = *found;
    }
    const int lines = end.row - start.row + 1;
    const int count = static_cast<int>(subjects->size());
    if (lines < count)
        return R::failure(QStringLiteral("Необходимо расширить возможности шаблонов\nВ журнале: ")
            + QString::number(count) + QStringLiteral(" строк, в шаблоне ") + QString::number(std::max(lines, 0))
            + QStringLiteral(". Это больше допустимого"));
    prompter.status(QStringLiteral("Шаблон проверен."));

    prompter.status(QStringLiteral("Заполнение шаблона..."));
    SheetWriter out(book);
    const JournalHeading h = journalHeading(settings);
    putNamed(book, out, kJournalMonthName, month.caption());
    putNamed(book, out, kJournalOrganisationName, h.organisation);
    putNamed(book, out, kJournalLegalAddressName, h.legalAddress);
    putNamed(book, out, kJournalActualAddressName, h.actualAddress);
    putNamed(book, out, kJournalHeadName, h.head);
    putNamed(book, out, kJournalResponsibleName, h.responsible);
    putNamed(book, out, kJournalSubjectHeadingName, rules.nameCaption);
    putNamed(book, out, kJournalPlaceHeadingName, rules.placeCaption);
    const int days = month.days();
    int row = start.row;
    for (const JournalSubject &s : *subjects) {
        out.text(row, start.col, s.name, framed());
        out.text(row, start.col + 1, s.placeName, framed());
        const auto found = entries->find(s.id);
        for (int d = 1; d <= days; ++d) {
            QString value;
            if (found != entries->end()) {
                if (const auto cell = found->second.find(d); cell != found->second.end())
                    value = cell->second;
            }
            out.text(row, start.col + 1 + d, value, framed());
        }
        ++row;
    }
    for (; row <= end.row; ++row)
        out.hideRow(row);
    for (int d = days + 1; d <= kMaxDays; ++d)
        out.hideColumn(start.col + 1 + d);
    if (const Status saved = book.save(outputPath); !saved)
        return R::failure(saved.error());
    prompter.status(QStringLiteral("Журнал подготовлен."));
    return JournalPrintOutcome {outputPath, opened->path, count, out.errors()};
}

} // namespace kulvera
