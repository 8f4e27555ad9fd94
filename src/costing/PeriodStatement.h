#pragma once

#include "common/Result.h"
#include "documents/ListDocuments.h"
#include "documents/XlsxWorkbook.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringView>

#include <vector>

namespace kulvera {

class MenuBase;
class Prompter;
class Ration;
class SettingsAccess;

inline constexpr QStringView kEndBeforeStartText = u"Конечная дата меньше начальной!";
inline constexpr QStringView kPeriodFirstColumn = u"День/Продукт";
inline constexpr QStringView kPeriodTotalRow = u"Итого";
inline constexpr QStringView kPeriodStatementTitle = u"Ведомость продуктов за период";
// The template's setting (section Documents) and the file our own is made under.
inline constexpr QStringView kPeriodTemplateKey = u"sTemplVed";
inline constexpr QStringView kPeriodTemplateFile = u"sv.xlsx";

struct StatementProduct {
    QString code; // product code as the position holds it
    QString name;
};

// The masses of products the rations of a period use: a row per calendar day
// and a column per product met in the period. A day without a ration keeps
// its row (so "3 день." is always the third day of the period) with no
// masses, and is marked; the columns are in the order of product names
// (`nameCollator`), then codes, so a product is found where its name says.
struct PeriodStatement {
    QDate from;
    QDate to;
    QString group;
    bool net = false;
    std::vector<StatementProduct> products;
    struct Day {
        QDate date;
        bool hasRation = false;
        std::vector<double> masses; // one per product; 0 where the day has none of it
    };
    std::vector<Day> days;
    std::vector<double> totals; // column sums
};

// "1 день.", "2 день.", ...
QString periodDayLabel(int number);

// Adds the masses of a ration's product positions ("pro" keys) into a map by
// product code: gross masses, or net ones when `net`. Names are kept from the
// first position met.
void addRationMasses(const Ration &ration, bool net, QHash<QString, double> &masses, QHash<QString, QString> &names);

// Loads the ration of the variant for every day from `from` to `to`. An end
// before the start is refused with "Конечная дата меньше начальной!" (shown).
// Masses are the rations' own: the seasonal output of a product is not
// applied, since the ration already holds the gross mass the cook weighs.
Result<PeriodStatement> buildPeriodStatement(
    const MenuBase &menu, const QDate &from, const QDate &to, const QString &group, bool net, Prompter &prompter);

// The template our program makes: the title in A1, what the statement is of
// in A2, the grid from the cell named "Старт" (A4).
XlsxWorkbook periodStatementTemplate();

// Writes the grid into the statement's template from "Старт": the caption
// row ("День/Продукт" and the products), a row per day, and the "Итого" row
// whose cells are SUM formulas over the day rows. Shows "Формирование
// ведомости в Excel..." first and "Ведомость сформирована. Ошибок при
// экспорте: N" at the end; a configured template the folder lacks gives "В
// списке шаблоном отсутствует: <name>" and "Обновите список шаблонов!".
Result<ListOutcome> printPeriodStatement(const PeriodStatement &statement, const QString &templatesFolder,
    const SettingsAccess &settings, const QString &outputPath, Prompter &prompter);

} // namespace kulvera
