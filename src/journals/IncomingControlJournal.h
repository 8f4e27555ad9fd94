#pragma once

#include "common/Result.h"
#include "documents/ListDocuments.h"
#include "documents/XlsxWorkbook.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <vector>

namespace kulvera {

class Prompter;
class SettingsAccess;
class WarehouseBase;

// One posted incoming line as the receiving check sees it.
struct IncomingControlRow {
    qint64 line = 0; // Приход_Товара.Код
    qint64 product = 0;
    QString productName; // Имя2
    qint64 header = 0;
    QString number; // of the invoice
    QString supplier; // dt101.l1
    double brutto = 0; // in the base unit
    qint64 unit = 0;
    double koef = 1;
    QString unitName; // Pref
    QDateTime date;
    QString shelfLife; // СрокГ
    QString temperature; // Темп
    QString safetyDocument; // Безоп
    QString use; // "Дата и факт реализации": nothing records it, so it stays empty
};

struct IncomingControlColumn {
    QStringView key;
    QStringView caption;
};
// The grid's columns in their order, with their captions.
const std::vector<IncomingControlColumn> &incomingControlColumns();
// A row's value in the grid's column `index` as it is shown.
QString incomingControlText(const IncomingControlRow &row, int index);

// The posted incoming lines received from `from` 00:00:00 to `to` 23:59:59,
// in the order the database returns them. A line whose product, unit, invoice
// or supplier is missing is not listed.
Result<std::vector<IncomingControlRow>> incomingControlRows(
    const WarehouseBase &base, const QDate &from, const QDate &to);

inline constexpr QStringView kIncomingControlTitle = u"Журнал входного контроля";
inline constexpr QStringView kIncomingControlTemplateKey = u"sJur_In";

// The template our program makes ("jur_in.xlsx"): the title, the
// establishment and the period in rows 2-4, the captions in row 5 and the
// table from the cell named "Старт".
XlsxWorkbook incomingControlTemplate();

// The journal through the template `sJur_In` (made when the folder lacks it).
Result<ListOutcome> printIncomingControl(const std::vector<IncomingControlRow> &rows, const QDate &from,
    const QDate &to, const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath,
    Prompter &prompter);

} // namespace kulvera
