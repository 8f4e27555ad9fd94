#pragma once

#include "common/Result.h"
#include "documents/ListDocuments.h"
#include "documents/XlsxWorkbook.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

namespace kulvera {

class MenuBase;
class PriceSources;
class Prompter;
class SeasonalOutputs;
class SettingsAccess;

inline constexpr QStringView kTwoVariantsText = u"Необходимо выбрать, как минимум, два варианта меню";
inline constexpr QStringView kTooManyRecipesText
    = u"В рационе больше 1000 рецептур! Текущая версия не работает с большими рационами, обратитесь к поставщику "
      u"программного обеспечения";
inline constexpr int kMaxRecipesInRation = 1000;
// The template has an output and a price cell for ten variants.
inline constexpr int kSummaryVariantColumns = 10;
// The template's setting (section Documents) and the file our own is made under.
inline constexpr QStringView kSummaryTemplateKey = u"sSvodMenu";
inline constexpr QStringView kSummaryTemplateFile = u"menu_svod.xlsx";
inline constexpr QStringView kSummaryTitle = u"СВОДНОЕ МЕНЮ";

// One dish of the summary menu: a dish of a meal of a date, with its output
// and price (one portion, `RoundPrice`) in each variant that serves it.
struct SummaryDish {
    QDate date;
    QString meal;
    QString name;
    std::vector<std::optional<QString>> outputs; // one per variant; nothing where the variant lacks the dish
    std::vector<std::optional<double>> prices;
};

struct SummaryMenu {
    std::vector<QDate> dates;
    QStringList variants; // "" is the ration without a group
    // By date, then meal (the meal list's order, other meals after), then as
    // met in the variants in their order. A dish served twice in one meal of
    // a variant is two rows.
    std::vector<SummaryDish> dishes;
    int leftOut = 0; // dishes beyond `MaxDishForSvodMenu`
    std::vector<double> totals; // price sums per variant
};

// The choice is sound: at least two variants ("Необходимо выбрать, как
// минимум, два варианта меню"), at most ten (the template's columns), at
// least one date ("Не выбраны даты для формирования отчета!"), and no more
// rations (variants × dates) than `MaxRationForSvodMenu`. Refusals are shown.
Status checkSummarySelection(
    const std::vector<QDate> &dates, const QStringList &variants, const SettingsAccess &settings, Prompter &prompter);

// Loads every chosen ration and lists its dishes. A ration of more than 1000
// recipes stops the build with its message; dishes beyond
// `MaxDishForSvodMenu` are left out and counted, and a notice says so.
Result<SummaryMenu> buildSummaryMenu(const MenuBase &menu, std::vector<QDate> dates, QStringList variants,
    const QStringList &mealList, PriceSources &prices, SeasonalOutputs &seasonal, const SettingsAccess &settings,
    Prompter &prompter);

// The template our program makes (`menu_svod.xlsx`): the title, the
// establishment ("Учреждение"), the dates ("Даты_меню"), a caption row with
// the variant names (the first at "Группа", each over its output column),
// "Выход"/"Цена" under each, and the first dish row holding "ТаблСтарт",
// "Табл_Номер", "Табл_Имя", "Табл_Выход1".."Табл_Выход10" and
// "Табл_Цена1".."Табл_Цена10".
XlsxWorkbook summaryMenuTemplate(const QString &sheetName);

// Checks the choice, opens the template (`sSvodMenu`: none set gives "Нет
// шаблона для сводных меню. ", one set but missing "Не установлен шаблон меню
// рационов: <name>" and "Установите шаблон и повторите попытку"), checks its
// cells ("Не найдено поле <name> в шаблоне сводной ведомости."), builds the
// menu and writes it: a row per dish from "ТаблСтарт" (the row
// `StartRowSvodMenu` when the template names none), a date line before each
// date's dishes when there are several dates, then, unless
// `bSkipItogStrSvodMenu`, the totals row titled `sSvodMenuItogTit` whose price
// cells are SUM formulas over the dish rows (bold and italic as
// `sSvodMenuItogStrBold`/`sSvodMenuItogStrItalic` say), cell borders unless
// `bSkipSvodMenuTablLines`, and the lines `sSvodMenuAfter1`/`sSvodMenuAfter2`
// unless their `bSkipItogAfter…` switch is on. Columns of variants not chosen
// are hidden.
Result<ListOutcome> produceSummaryMenu(const MenuBase &menu, const std::vector<QDate> &dates,
    const QStringList &variants, const QStringList &mealList, PriceSources &prices, SeasonalOutputs &seasonal,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter);

} // namespace kulvera
