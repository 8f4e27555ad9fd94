#pragma once

#include "documents/CardData.h"
#include "documents/CardLayout.h"
#include "documents/SheetWriter.h"

namespace kulvera {

// The mass unit of the recalculation columns: the row of the mass unit table
// whose abbreviation is the unit word (`LangK`), grams when none is.
struct RecountUnit {
    QString name;
    double perGram = 1;
};
RecountUnit recountUnit(const CardFormats &formats);

// A template with fixed cells: the cell map says where each value goes.
void fillFixedCard(SheetWriter &out, const CardData &card, const CardLayout &layout, const CardFormats &formats);

// A template that names its cells ("Шаблон_Версия", "Рец_Сырье", ...).
inline constexpr QStringView kTemplateVersionName = u"Шаблон_Версия";
void fillNamedCard(SheetWriter &out, const CardData &card, const CardFormats &formats, const CardOptions &options);

// The card built on an empty sheet when there is no template.
XlsxWorkbook generatedCard(const CardData &card, const CardFormats &formats, int &errors);

} // namespace kulvera
