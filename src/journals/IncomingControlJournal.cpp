#include "journals/IncomingControlJournal.h"

#include "common/NumberText.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "documents/SheetWriter.h"
#include "documents/TemplateFiles.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"
#include "warehouse/WarehouseBase.h"
#include "warehouse/WarehouseReport.h"

namespace kulvera {

const std::vector<IncomingControlColumn> &incomingControlColumns()
{
    static const std::vector<IncomingControlColumn> columns {
        {u"Код", u"Код в базе"},
        {u"Код_Прод", u"Код продукта"},
        {u"Имя2", u"Наименование продукта"},
        {u"Код_Накл", u"Код накладной"},
        {u"Номер", u"Номер накладной"},
        {u"l1", u"Поставщик"},
        {u"Брутто", u"Масса"},
        {u"Ед_изм", u"Код из. изм."},
        {u"Koef", u"Коэф. из. изм."},
        {u"Pref", u"Преф. из. изм."},
        {u"Дата", u"Дата поступления"},
        {u"СрокГ", u"Срок годности"},
        {u"Темп", u"Температура?"},
        {u"Безоп", u"Документ, подтверждающий безопасность"},
        {u"fReal", u"Дата и факт реализации"},
    };
    return columns;
}

QString incomingControlText(const IncomingControlRow &r, int index)
{
    switch (index) {
    case 0:
        return QString::number(r.line);
    case 1:
        return QString::number(r.product);
    case 2:
        return r.productName;
    case 3:
        return QString::number(r.header);
    case 4:
        return r.number;
    case 5:
        return r.supplier;
    case 6:
        return formatNumber(r.brutto);
    case 7:
        return QString::number(r.unit);
    case 8:
        return formatNumber(r.koef);
    case 9:
        return r.unitName;
    case 10:
        return formatTextDate(r.date.date());
    case 11:
        return r.shelfLife;
    case 12:
        return r.temperature;
    case 13:
        return r.safetyDocument;
    case 14:
        return r.use;
    default:
        return {};
    }
}

Result<std::vector<IncomingControlRow>> incomingControlRows(
    const WarehouseBase &base, const QDate &from, const QDate &to)
{
    using R = Result<std::vector<IncomingControlRow>>;
    if (const Status s = base.requireConnected(); !s)
        return R::failure(s.error());
    // Inner joins on purpose: a line whose product, unit, invoice or supplier
    // is gone has nothing to show for it and drops out.
    const QString sql
        = QStringLiteral(
              "SELECT P.\"Код\", P.\"Код_Прод\", B.\"Имя2\", P.\"Брутто\", P.\"Ед_изм\", E.\"Koef\", E.\"Pref\", "
              "P.\"Дата\", P.\"Код_Накл\", P.\"СрокГ\", P.\"Темп\", P.\"Безоп\", N.\"Номер\", S.\"l1\" "
              "FROM \"Приход_Товара\" P "
              "INNER JOIN ")
        + base.productTable()
        + QStringLiteral(" B ON P.\"Код_Прод\" = B.\"Код\" "
                         "INNER JOIN \"dt105\" E ON E.\"ID\" = P.\"Ед_изм\" "
                         "INNER JOIN \"Накладные_Заголовки\" N ON N.\"Код\" = P.\"Код_Накл\" "
                         "INNER JOIN \"dt101\" S ON S.\"ID\" = N.\"Поставщик\" "
                         "WHERE P.\"Проводка\" <> 0 AND P.\"Дата\" >= ? AND P.\"Дата\" <= ?");
    SqlStatement s(base.database(), sql, base.errorLog());
    const DayRange days = wholeDays(from, to);
    if (const Status st = s.exec({days.from, days.to}); !st)
        return R::failure(st.error());
    std::vector<IncomingControlRow> rows;
    while (s.next()) {
        IncomingControlRow r;
        r.line = s.value(0).toLongLong();
        r.product = s.value(1).toLongLong();
        r.productName = s.value(2).toString();
        r.brutto = s.value(3).toDouble();
        r.unit = s.value(4).toLongLong();
        r.koef = s.value(5).toDouble();
        r.unitName = s.value(6).toString();
        r.date = storedDateTime(s.value(7));
        r.header = s.value(8).toLongLong();
        r.shelfLife = s.value(9).toString();
        r.temperature = s.value(10).toString();
        r.safetyDocument = s.value(11).toString();
        r.number = s.value(12).toString();
        r.supplier = s.value(13).toString();
        rows.push_back(std::move(r));
    }
    return rows;
}

XlsxWorkbook incomingControlTemplate()
{
    QStringList captions;
    for (const IncomingControlColumn &c : incomingControlColumns())
        captions << c.caption.toString();
    return reportTemplate(QStringLiteral("Журнал"), kIncomingControlTitle, captions,
        {8, 8, 30, 8, 10, 22, 10, 8, 8, 8, 11, 14, 12, 26, 16});
}

Result<ListOutcome> printIncomingControl(const std::vector<IncomingControlRow> &rows, const QDate &from,
    const QDate &to, const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath,
    Prompter &prompter)
{
    Result<OpenedReport> opened = openReport(templatesFolder,
        templateSetting(settings, kIncomingControlTemplateKey.toString()), incomingControlTemplate, outputPath);
    if (!opened)
        return Result<ListOutcome>::failure(opened.error());
    OpenedReport &r = opened.value();
    SheetWriter out(r.book);
    out.text(2, 1, settings.get(Section::User, QStringLiteral("Name_POP")));
    out.text(4, 1, QStringLiteral("За период с ") + formatTextDate(from) + QStringLiteral(" по ") + formatTextDate(to));
    const int c = r.start.col;
    int row = r.start.row;
    const int columns = static_cast<int>(incomingControlColumns().size());
    for (const IncomingControlRow &line : rows) {
        for (int k = 0; k < columns; ++k) {
            switch (k) {
            case 0:
            case 1:
            case 3:
            case 7:
                out.number(row, c + k,
                    static_cast<double>(k == 0 ? line.line
                            : k == 1           ? line.product
                            : k == 3           ? line.header
                                               : line.unit),
                    QStringLiteral("0"), framed());
                break;
            case 6:
                out.number(row, c + k, line.brutto, QStringLiteral("0.000"), framed());
                break;
            case 8:
                out.number(row, c + k, line.koef, QStringLiteral("0.######"), framed());
                break;
            default:
                out.text(row, c + k, incomingControlText(line, k), framed());
            }
        }
        ++row;
    }
    return finishReport(r, out, static_cast<int>(rows.size()), outputPath, prompter);
}

} // namespace kulvera
