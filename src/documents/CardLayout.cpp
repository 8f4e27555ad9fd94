#include "documents/CardLayout.h"

#include "common/NumberText.h"
#include "common/SettingsAccess.h"
#include "documents/SheetWriter.h"
#include "shell/SettingDefaults.h"

namespace kulvera {
namespace {

constexpr CardCellSetting kCells[] = {
    {u"Name_Norm_Cell", u"C6"},
    {u"Num_Doc_Cell", u"G4"},
    {u"Enterprise_Cell", u"C7"},
    {u"Raw_Cell", u"A9"},
    {u"Start_Row", u"14"},
    {u"End_Row", u"65"},
    {u"Code_Col", u"1"},
    {u"ND_Col", u"2"},
    {u"Name_Col", u"3"},
    {u"Brutto_Col", u"4"},
    {u"Netto_Col", u"5"},
    {u"SV_Col", u"6"},
    {u"SVK_Col", u"4"},
    {u"Protein_Col", u"7"},
    {u"Fat_Col", u"8"},
    {u"Carb_Col", u"9"},
    {u"Starch_Col", u"10"},
    {u"Title_Recount_Cell", u"F12"},
    {u"TitleK_Recount_Cell", u"G12"},
    {u"Title_Recount_Cell1", u"F13"},
    {u"Title_Recount_Cell2", u"G13"},
    {u"Title_Recount_Cell3", u"H13"},
    {u"Recount_Col1", u"6"},
    {u"Recount_Col2", u"7"},
    {u"Recount_Col3", u"8"},
    {u"Tehnology_Cell", u"A68"},
    {u"Tehnology_Cell_Last", u"A77"},
    {u"Demand_Cell", u"A79"},
    {u"Outward_Cell", u"C83"},
    {u"Color_Cell", u"c84"},
    {u"Consistence_Cell", u"C85"},
    {u"Taste_Cell", u"C86"},
    {u"Smell_Cell", u"C87"},
    {u"FH_SV_Cell", u"H92"},
    {u"FH_Gir_Cell", u"H93"},
    {u"FH_UG_Cell", u"H94"},
    {u"FH_Kisl_Cell", u"H95"},
    {u"KMAFANM_Cell", u"H98"},
    {u"BGKP_Cell", u"H100"},
    {u"Protey_Cell", u"H101"},
    {u"Staf_Cell", u"H102"},
    {u"Patog_Cell", u"H103"},
    {u"Droggi_Cell", u"H104"},
    {u"Pleseni_Cell", u"H105"},
    {u"PrimMB_Cell", u"B106"},
    {u"Calorie_Protein_Cell", u"B114"},
    {u"Calorie_Fat_Cell", u"C114"},
    {u"Calorie_Carbo_Cell", u"D114"},
    {u"Calorie_Cell", u"F114"},
    {u"FIO_Infineer_Cell", u"G118"},
    {u"FIO_Excecutor_Cell", u"G120"},
    {u"FIO_Rukov_Cell", u"H2"},
};

QString defaultOf(const QString &key)
{
    for (const CardCellSetting &c : kCells) {
        if (key == QStringView(c.key))
            return QString::fromUtf16(c.value);
    }
    return {};
}

QString storedOrDefault(const SettingsAccess *settings, const QString &key)
{
    const QString fallback = defaultOf(key);
    return settings ? settings->get(Section::DocumentsTTK, key, fallback).trimmed() : fallback;
}

// A setting that does not read as a cell falls back to the default cell.
CellRef cellOf(const SettingsAccess *settings, const QString &key)
{
    if (auto cell = parseCellAddress(storedOrDefault(settings, key)))
        return *cell;
    return *parseCellAddress(defaultOf(key));
}

int numberOf(const SettingsAccess *settings, const QString &key, int max)
{
    bool ok = false;
    const int value = storedOrDefault(settings, key).toInt(&ok);
    return ok && value >= 1 && value <= max ? value : defaultOf(key).toInt();
}

CardLayout readLayout(const SettingsAccess *s);

int intSetting(const SettingsAccess &settings, Section section, const QString &key, int fallback, int min, int max)
{
    bool ok = false;
    const int value = settings.get(section, key, QString::number(fallback)).trimmed().toInt(&ok);
    return ok && value >= min && value <= max ? value : fallback;
}

double numberSetting(const SettingsAccess &settings, Section section, const QString &key, double fallback)
{
    const std::optional<double> value = parseNumber(readSetting(settings, section, key).trimmed());
    return value && *value > 0 ? *value : fallback;
}

} // namespace

std::span<const CardCellSetting> cardCellSettings()
{
    return kCells;
}

CardLayout CardLayout::fromSettings(const SettingsAccess &settings)
{
    return readLayout(&settings);
}

CardLayout CardLayout::defaults()
{
    return readLayout(nullptr);
}

namespace {
CardLayout readLayout(const SettingsAccess *s)
{
    auto cell = [&s](const char16_t *key) { return cellOf(s, QString::fromUtf16(key)); };
    auto row = [&s](const char16_t *key) { return numberOf(s, QString::fromUtf16(key), kMaxSheetRow); };
    auto col = [&s](const char16_t *key) { return numberOf(s, QString::fromUtf16(key), kMaxSheetColumn); };
    CardLayout l;
    l.name = cell(u"Name_Norm_Cell");
    l.number = cell(u"Num_Doc_Cell");
    l.enterprise = cell(u"Enterprise_Cell");
    l.raw = cell(u"Raw_Cell");
    l.startRow = row(u"Start_Row");
    l.endRow = row(u"End_Row");
    if (l.endRow < l.startRow)
        l.endRow = l.startRow - 1; // a table of no rows: every recipe is refused
    l.codeCol = col(u"Code_Col");
    l.ndCol = col(u"ND_Col");
    l.nameCol = col(u"Name_Col");
    l.bruttoCol = col(u"Brutto_Col");
    l.nettoCol = col(u"Netto_Col");
    l.svCol = col(u"SV_Col");
    l.svkCol = col(u"SVK_Col");
    l.proteinCol = col(u"Protein_Col");
    l.fatCol = col(u"Fat_Col");
    l.carbCol = col(u"Carb_Col");
    l.starchCol = col(u"Starch_Col");
    l.titleRecount = cell(u"Title_Recount_Cell");
    l.titleKRecount = cell(u"TitleK_Recount_Cell");
    l.titleRecount1 = cell(u"Title_Recount_Cell1");
    l.titleRecount2 = cell(u"Title_Recount_Cell2");
    l.titleRecount3 = cell(u"Title_Recount_Cell3");
    l.recountCol1 = col(u"Recount_Col1");
    l.recountCol2 = col(u"Recount_Col2");
    l.recountCol3 = col(u"Recount_Col3");
    l.technology = cell(u"Tehnology_Cell");
    l.technologyLast = cell(u"Tehnology_Cell_Last");
    l.demand = cell(u"Demand_Cell");
    l.outward = cell(u"Outward_Cell");
    l.colour = cell(u"Color_Cell");
    l.consistence = cell(u"Consistence_Cell");
    l.taste = cell(u"Taste_Cell");
    l.smell = cell(u"Smell_Cell");
    l.fhSv = cell(u"FH_SV_Cell");
    l.fhFat = cell(u"FH_Gir_Cell");
    l.fhSugar = cell(u"FH_UG_Cell");
    l.fhAcid = cell(u"FH_Kisl_Cell");
    l.kmafanm = cell(u"KMAFANM_Cell");
    l.bgkp = cell(u"BGKP_Cell");
    l.proteus = cell(u"Protey_Cell");
    l.staph = cell(u"Staf_Cell");
    l.pathogens = cell(u"Patog_Cell");
    l.yeasts = cell(u"Droggi_Cell");
    l.moulds = cell(u"Pleseni_Cell");
    l.mbNote = cell(u"PrimMB_Cell");
    l.calProtein = cell(u"Calorie_Protein_Cell");
    l.calFat = cell(u"Calorie_Fat_Cell");
    l.calCarbo = cell(u"Calorie_Carbo_Cell");
    l.calorie = cell(u"Calorie_Cell");
    l.engineer = cell(u"FIO_Infineer_Cell");
    l.executor = cell(u"FIO_Excecutor_Cell");
    l.head = cell(u"FIO_Rukov_Cell");
    return l;
}
} // namespace

QString CardFormats::massFormat() const
{
    return decimalsMask(massDecimals);
}

QString CardFormats::valueFormat() const
{
    return decimalsMask(valueDecimals);
}

CardFormats CardFormats::fromSettings(const SettingsAccess &s)
{
    CardFormats f;
    f.massDecimals = intSetting(s, Section::UserInterface, QStringLiteral("lFormatMass"), 2, 0, 6);
    f.valueDecimals = intSetting(s, Section::UserInterface, QStringLiteral("lFormatFH_TTK"), 1, 0, 6);
    f.splitCarbohydrates = s.get(Section::UserInterface, QStringLiteral("cMDS"), QStringLiteral("1")) == u"1";
    f.deleteEmptyLines = s.get(Section::Documents, QStringLiteral("cDelString"), QStringLiteral("0")) == u"1";
    f.technologyWidth = intSetting(s, Section::Documents, QStringLiteral("tSymTeh"), 70, 5, 1000);
    f.organolepticWidth = intSetting(s, Section::Documents, QStringLiteral("tSymOrg"), 50, 5, 1000);
    f.lineHeight = intSetting(s, Section::Documents, QStringLiteral("tStrHeight"), 20, 1, 409);
    f.portions[0] = numberSetting(s, Section::Documents, QStringLiteral("Raschet1"), 10);
    f.portions[1] = numberSetting(s, Section::Documents, QStringLiteral("Raschet2"), 20);
    f.portions[2] = numberSetting(s, Section::Documents, QStringLiteral("Raschet3"), 30);
    f.confectioneryQuantity = numberSetting(s, Section::Documents, QStringLiteral("Raschet1k"), 10000);
    f.portionsWord = readSetting(s, Section::Documents, QStringLiteral("Lang"));
    f.unitWord = readSetting(s, Section::Documents, QStringLiteral("LangK"));
    return f;
}

void storeRecountColumns(SettingsAccess &settings)
{
    settings.save(Section::DocumentsTTK, QStringLiteral("Recount_Col2"), QStringLiteral("7"));
    settings.save(Section::DocumentsTTK, QStringLiteral("Recount_Col3"), QStringLiteral("8"));
}

} // namespace kulvera
