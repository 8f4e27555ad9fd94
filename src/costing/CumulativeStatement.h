#pragma once

#include "common/Result.h"
#include "documents/ListDocuments.h"
#include "documents/XlsxWorkbook.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace kulvera {

class MenuBase;
class PriceSources;
class Prompter;
class SettingsAccess;

inline constexpr QStringView kNoDatesText = u"Не выбраны даты для формирования отчета!";
inline constexpr QStringView kCumulativeTitle = u"Накопительная ведомость выполнения продуктов";
// The template's setting (section Documents) and the file our own is made under.
inline constexpr QStringView kCumulativeTemplateKey = u"sTemplSvodVed";
inline constexpr QStringView kCumulativeTemplateFile = u"sv_svod.xlsx";

// One product of the cumulative statement: gross and net masses of each
// chosen date (grams, as the rations hold them) and their totals, with the
// factor and the name of the product's price unit, so a reader can turn the
// grams into the unit the product is bought in.
struct CumulativeRow {
    QString code; // `Код`
    QString name; // `Имя`, "Наименование продукта"
    double koef = 1; // `koef`, "Ед.изм. коэф"
    QString unit; // `edi`, "Ед.изм."
    std::vector<double> gross; // one per date
    std::vector<double> net;
    double totalGross = 0;
    double totalNet = 0;
};

struct CumulativeStatement {
    std::vector<QDate> dates; // in calendar order, each once
    QString group;
    std::vector<CumulativeRow> rows; // by product name (`nameCollator`), then code
    // "Код", "Наименование продукта", "Ед.изм. коэф", "Ед.изм.", a pair
    // "Брутто (dd.mm.yyyy)" / "Нетто (dd.mm.yyyy)" per date, "Итого брутто",
    // "Итого нетто".
    QStringList captions() const;
};

// Loads the variant's ration of every chosen date. No dates is refused with
// "Не выбраны даты для формирования отчета!" (shown).
Result<CumulativeStatement> buildCumulativeStatement(
    const MenuBase &menu, std::vector<QDate> dates, const QString &group, PriceSources &prices, Prompter &prompter);

// The template our program makes: the title in A1, the free lines
// `FirstLineSvodMenu` and `SecondLineSvodMenu` in A2 and A3, the group and
// dates in A4, the captions in row 5, the table from "Старт" (A6).
XlsxWorkbook cumulativeStatementTemplate();

// Prints the statement through its template (`sTemplSvodVed`, made when it is
// our own and missing); the captions go to the row above "Старт".
Result<ListOutcome> printCumulativeStatement(const CumulativeStatement &statement, const QString &templatesFolder,
    const SettingsAccess &settings, const QString &outputPath, Prompter &prompter);

} // namespace kulvera
