#pragma once

#include "documents/CellAddress.h"

#include <QString>

#include <span>

namespace kulvera {

class SettingsAccess;

// One cell or column of the card sheet that a setting names (section
// "Documents\TTK"), so an edited template can move it.
struct CardCellSetting {
    const char16_t *key;
    const char16_t *value; // an address ("C6") or a number (rows, columns)
};
std::span<const CardCellSetting> cardCellSettings();

// Where the card's values go on a fixed-address template, read from the
// settings with the defaults above.
struct CardLayout {
    CellRef name, number, enterprise, raw;
    int startRow = 14, endRow = 65;
    int codeCol = 1, ndCol = 2, nameCol = 3, bruttoCol = 4, nettoCol = 5, svCol = 6, svkCol = 4;
    int proteinCol = 7, fatCol = 8, carbCol = 9, starchCol = 10;
    CellRef titleRecount, titleKRecount, titleRecount1, titleRecount2, titleRecount3;
    int recountCol1 = 6, recountCol2 = 7, recountCol3 = 8;
    CellRef technology, technologyLast, demand, outward, colour, consistence, taste, smell;
    CellRef fhSv, fhFat, fhSugar, fhAcid;
    CellRef kmafanm, bgkp, proteus, staph, pathogens, yeasts, moulds, mbNote;
    CellRef calProtein, calFat, calCarbo, calorie;
    CellRef engineer, executor, head;

    int tableRows() const { return endRow - startRow + 1; }
    static CardLayout fromSettings(const SettingsAccess &settings);
    static CardLayout defaults();
};

// Format and text settings of the card.
struct CardFormats {
    int massDecimals = 2; // lFormatMass
    int valueDecimals = 1; // lFormatFH_TTK
    bool splitCarbohydrates = true; // cMDS
    bool deleteEmptyLines = false; // cDelString
    int technologyWidth = 70; // tSymTeh
    int organolepticWidth = 50; // tSymOrg
    double lineHeight = 20; // tStrHeight
    double portions[3] = {10, 20, 30}; // Raschet1..3
    double confectioneryQuantity = 10000; // Raschet1k
    QString portionsWord = QStringLiteral("порций"); // Lang
    QString unitWord = QStringLiteral("кг"); // LangK

    QString massFormat() const; // "0.00"
    QString valueFormat() const; // "0.0"
    static CardFormats fromSettings(const SettingsAccess &settings);
};

// The recalculation columns 2 and 3 are stored again as 7 and 8 at every start.
void storeRecountColumns(SettingsAccess &settings);

} // namespace kulvera
