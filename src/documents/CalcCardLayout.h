#pragma once

#include "documents/CellAddress.h"

#include <QString>

#include <optional>

namespace kulvera {

class SettingsAccess;

// Where the calculation card goes on its sheet and what its lines say: the
// settings of section Calc, each falling back to its default when absent or
// unreadable (a cell that is no cell, a column that is no column).
struct CalcCardLayout {
    CellRef organisation; // sNameOrg
    CellRef unit; // sNamePOP: the catering unit
    CellRef dishName; // sNameCard
    CellRef title; // sTitleCard
    QString titleText; // sTitle, followed by the card number
    CellRef day; // sDay
    CellRef month; // sMonth
    CellRef year; // sYear
    CellRef source; // sRask: the dish's normative document
    CellRef cardNumber; // sNumCard
    CellRef calcNumber; // sNumCalc
    CellRef dateStamp; // sDateStamp
    int numberCol = 1; // lNum
    int nameCol = 2; // lName
    int normCol = 9; // lNorm
    int priceCol = 10; // lPrice
    int sumCol = 12; // lSumm
    int firstRow = 7; // lFSTr
    QString totalLabel; // summ100bl
    QString markupLabel; // Nac
    QString saleLabel; // sale1bl
    QString vatLabel; // sale1bl as well, "Цена с НДС" when the key is absent
    QString outputLabel; // out
    QString headTitle; // ZavTit
    QString economistTitle; // EconTit
    QString approvalTitle; // DirTit

    static CalcCardLayout fromSettings(const SettingsAccess &settings);
    static CalcCardLayout defaults();
};

// The arithmetic switches of the card.
struct CalcCardRules {
    // dKoefNorm: the norm per 100 dishes is divided by it (1: grams, 1000:
    // kilograms). dKoefPrice: the price per kilogram of gross mass is
    // multiplied by it (1: per kilogram, 0.1: per 100 g). Each coefficient
    // acts on the column its name says; one that is not a positive number is 1.
    double normFactor = 1;
    double priceFactor = 1;
    std::optional<double> vatPercent; // bNDS "1": dNDS
    int moneyDecimals = 2; // RoundPrice
    int massDecimals = 2; // lFormatMass of the card formats

    static CalcCardRules fromSettings(const SettingsAccess &settings, int moneyDecimals);
};

// A column given as a number ("9") or as letters ("J"); nothing for anything else.
std::optional<int> parseColumn(QStringView text);

} // namespace kulvera
