#include "shell/SettingDefaults.h"
#include "shell/SettingDefaultValue.h"

#include <array>

namespace kulvera {
namespace {

using S = Section;

// Base files keep their historic stems; ours are SQLite files with ".db".
// Spreadsheet templates are ".xlsx", word-processor templates ".docx".
constexpr SettingDefault kDefaults[] = {
    // 1. client base (an empty stored value also yields the default)
    {S::Data, u"strDBClient", u"db014.db", true, true},
    {S::Data, u"strTBClient", u"dt001", true, true},
    {S::Data, u"strTBOsnDoc", u"dt002", true, true},
    // 2. folders of the program's own and additional bases
    {S::Data, u"Dir_of_Base", u"DB", true, false},
    {S::Data, u"dop_bb", u"dop_bb", true, false},
    {S::Data, u"dop_menu", u"dop_menu", true, false},
    {S::Data, u"dop_pf", u"dop_pf", true, false},
    {S::Data, u"DB_Img", u"img", true, false},
    {S::Data, u"dop_calc", u"dop_calc", true, false},
    {S::Data, u"dop_fh", u"dop_fh", true, false},
    {S::Data, u"dop_bp", u"dop_bp", true, false},
    {S::Data, u"dop_prod", u"dop_prod", true, false},
    {S::Data, u"sRSFld", u"rescopy", true, false},
    // 3. Dir_book: its default depends on the installation (SharedSettings)
    // 4.
    {S::Data, u"tbNDKond", u"dt020", true, false},
    {S::Data, u"boolFastLoad", u"False", true, false},
    {S::Data, u"boolShowStartPB", u"False", true, false},
    // 5. templates folder and norms folder (template names: templateNames())
    {S::Documents, u"Shablon_Folder", u"Шаблоны", true, false},
    {S::Documents, u"Norm_Path", u"", true, false},
    // 6. card recalculation columns and document words
    {S::Documents, u"Raschet1", u"10", true, false},
    {S::Documents, u"Raschet2", u"20", true, false},
    {S::Documents, u"Raschet3", u"30", true, false},
    {S::Documents, u"Raschet1k", u"10000", true, false},
    {S::Documents, u"Lang", u"порций", true, false},
    {S::Documents, u"LangK", u"кг", true, false},
    {S::Documents, u"Stand_ND", u"", true, false},
    {S::Documents, u"Prop_Save", u"", true, false},
    {S::Documents, u"boolSH", u"False", true, false},
    {S::Documents, u"boolSN", u"False", true, false},
    {S::Documents, u"boolBR", u"False", true, false},
    {S::Documents, u"boolDelTeh", u"False", true, false},
    // 7. the catalogue of bases and their tables
    // The engine of the catalogue's bases and the server's connection (the password
    // lives in the password file the last key names, never in the settings).
    {S::Data, u"DbEngine", u"SQLite", false, true},
    {S::Data, u"PgHost", u"localhost", false, true},
    {S::Data, u"PgPort", u"5432", false, true},
    {S::Data, u"PgDatabase", u"kulvera", false, true},
    {S::Data, u"PgUser", u"kulvera", false, true},
    {S::Data, u"PgPassFile", u"", false, false},
    {S::Bl, u"NameBlBase", u"bl_base.db", true, false},
    {S::Bl, u"Table_Bl_Bases", u"Base_ID", true, false},
    {S::Prod, u"dbProd", u"db011.db", true, false},
    {S::Prod, u"dbProdSync", u"db011_sync.db", true, false},
    {S::Prod, u"tbProd", u"dt010", true, false},
    {S::Losses, u"dbFH_Methods", u"fz_method.db", true, false},
    {S::Data, u"dbPF", u"db013.db", true, false},
    {S::Prod, u"Stand_Pot_Title", u"Выход п/ф при механической обработке", true, false},
    {S::MB, u"MBBase", u"db12.db", true, false},
    {S::MB, u"Name_MBKul_Table", u"t1", true, false},
    {S::MB, u"Name_MBKond_Table", u"t2", true, false},
    {S::Language, u"ID_lang", u"Русский (1049)", true, false},
    {S::Language, u"LangDB", u"Caption.db", true, false},
    {S::Losses, u"PoteriDB", u"teplov.db", true, false},
    {S::Losses, u"Name_Sred_Table", u"Sred", true, false},
    {S::Losses, u"PoteriFDB", u"teplovBase.db", true, false},
    {S::Losses, u"Name_Kul_Table", u"Kul", true, false},
    {S::Losses, u"Name_Kond_Table", u"Kond", true, false},
    {S::Data, u"sProdExc", u"", true, false},
    {S::Losses, u"tbMenu", u"Base", true, false},
    {S::Losses, u"tbIndexMn", u"inxs", true, false},
    {S::Losses, u"dbMenu", u"Menu.db", true, false},
    {S::Losses, u"tbMenuCalc", u"Menu", true, false},
    {S::Losses, u"tbMenu_Temp", u"base_temp", true, false},
    {S::Losses, u"tbSTN", u"stn", true, false},
    {S::Losses, u"dbSTN", u"stn.db", true, false},
    {S::Losses, u"tbBaseRej", u"base", true, false},
    {S::Losses, u"tbTitRej", u"title", true, false},
    {S::Losses, u"dbRej", u"rejec.db", true, false},
    {S::Losses, u"dbJur", u"journals.db", true, false},
    {S::Losses, u"tbJurZ", u"jur_z", true, false},
    {S::Losses, u"tbJurH", u"jur_h", true, false},
    {S::Losses, u"tbObor", u"obor", true, false},
    {S::Losses, u"tbStruc", u"struc", true, false},
    {S::Losses, u"tbPost", u"post", true, false},
    {S::Losses, u"tbResults", u"results", true, false},
    {S::Losses, u"tbWork", u"work", true, false},
    {S::Losses, u"dbWS", u"db101.db", true, false},
    {S::Losses, u"tbГруппы_ЕдИ", u"Группы_ЕдИ", true, false},
    {S::Losses, u"tbПродукты_едИ", u"Продукты_едИ", true, false},
    {S::Data, u"dbImport", u"imp_pr.db", true, false},
    {S::Data, u"tbImport", u"Номенклатура", true, false},
    // 8. help
    {S::HelpSystem, u"strHelp_File", u"help.hlp", true, false},
    {S::User, u"Name_POP", u"", true, false},
    // 9. colours and display flags
    {S::UserInterface, u"Act_Color", u"16711680", true, false},
    {S::UserInterface, u"Act_Font_Color", u"16777215", true, false},
    {S::UserInterface, u"Def_Color", u"-2147483633", true, false},
    {S::UserInterface, u"boolAnim", u"False", true, false},
    {S::UserInterface, u"intStep", u"1", true, false},
    {S::UserInterface, u"boolFastMenu", u"False", true, false},
    {S::UserInterface, u"boolEnhToolTip", u"False", true, false},
    {S::UserInterface, u"boolFastSave", u"False", true, false},
    {S::UserInterface, u"boolEditSh", u"False", true, false},
    {S::UserInterface, u"txtPassShabl", u"", true, false},

    // Read where they are used; the defaults other parts depend on.
    {S::Data, u"lRoundBrutto", u"1", false, false},
    {S::Data, u"bUseRndBr", u"1", false, false},
    {S::Data, u"RoundPrice", u"2", false, false},
    {S::Data, u"RoundProdItog", u"10", false, false},
    {S::Data, u"lRoundHS_A_HS", u"1", false, false},
    {S::Data, u"НДСПроцент", u"18", false, false},
    {S::Data, u"ServerRemotePort", u"1001", false, false},
    {S::Data, u"sStTimeMade", u"10:00", false, false},
    {S::Data, u"sStTimeRej", u"10:00", false, false},
    {S::Data, u"sStandartResult", u"соответствует", false, false}, // the rejection journal's defaults
    {S::Data, u"sStandartPermis", u"допускается к реализации", false, false},
    {S::Data, u"sRejComission", u"", false, false},
    {S::Data, u"sDefEDIKProdSHouse", u"1000", false, false},
    {S::Data, u"sDefEDIPProdSHouse", u"кг", false, false},
    {S::Data, u"sMenuStr", u"Завтрак", false, false},
    {S::Data, u"sFileColourMark", u"color_mark.kvb", false, false},
    {S::Data, u"bCheckUpdate", u"0", false, false},
    {S::Data, u"bAutoConnectToServer", u"1", false, false},
    {S::Data, u"bDontLoadTN", u"0", false, false},
    {S::Data, u"bDontLoadMenu", u"0", false, false},
    {S::Data, u"sGetUsers", u"0", false, false},
    {S::Data, u"lCopyMessExToClipboard", u"0", false, false},
    {S::Data, u"LastSaveND", u"", false, false}, // folder of the last exchange file (LastFileFolder.h)
    {S::UserInterface, u"sFormatNumbersProds", u"0.000", false, false},
    {S::UserInterface, u"sFormatNumbersPrice", u"0.00", false, false},
    {S::UserInterface, u"sFormatNumbersSumm", u"0.00", false, false},
    {S::Calc, u"dNDS", u"18", false, false},
    {S::Calc, u"lEndProdInTreb1", u"500", false, false},
    {S::Calc, u"sStTextMovInt", u"[внут.перемещ.] ", false, false}, // note of an internal movement
    {S::Calc, u"sAktS", u"[акт списания]", false, false}, // note of a write-off act
    // The calculation card: its cells, table columns, labels and arithmetic.
    {S::Calc, u"sNameOrg", u"D1", false, false},
    {S::Calc, u"sNamePOP", u"D2", false, false},
    {S::Calc, u"sNameCard", u"F4", false, false},
    {S::Calc, u"sTitleCard", u"A3", false, false},
    {S::Calc, u"sTitle", u"КАЛЬКУЛЯЦИОННАЯ КАРТОЧКА № ", false, false},
    {S::Calc, u"sDay", u"C5", false, false},
    {S::Calc, u"sMonth", u"E5", false, false},
    {S::Calc, u"sYear", u"H5", false, false},
    {S::Calc, u"sRask", u"M4", false, false},
    {S::Calc, u"sNumCard", u"L3", false, false},
    {S::Calc, u"sNumCalc", u"L3", false, false},
    {S::Calc, u"sDateStamp", u"L5", false, false},
    {S::Calc, u"lNum", u"1", false, false},
    {S::Calc, u"lName", u"2", false, false},
    {S::Calc, u"lNorm", u"9", false, false},
    {S::Calc, u"lPrice", u"J", false, false},
    {S::Calc, u"lSumm", u"L", false, false},
    {S::Calc, u"lFSTr", u"7", false, false},
    {S::Calc, u"dSumm", u"0", false, false},
    {S::Calc, u"dKoefPrice", u"1", false, false},
    {S::Calc, u"dKoefNorm", u"1", false, false},
    {S::Calc, u"summ100bl", u"Общая стоимость сырьевого набора на 100 блюд", false, false},
    {S::Calc, u"Nac", u"Наценка", false, false},
    {S::Calc, u"sale1bl", u"Продажная цена одного блюда", false, false},
    {S::Calc, u"bNDS", u"0", false, false},
    {S::Calc, u"out", u"Выход в готовом виде", false, false},
    {S::Calc, u"ZavTit", u"Зав. производством", false, false},
    {S::Calc, u"EconTit", u"Экономист по ценам", false, false},
    {S::Calc, u"DirTit", u"УТВЕРЖДАЮ: Директор", false, false},
    {S::Calc, u"GlobalNac", u"0", false, false}, // markup percent offered for a new card
    {S::Documents, u"MaxDishForSvodMenu", u"100", false, false},
    {S::Documents, u"MaxRationForSvodMenu", u"100", false, false},
    {S::Documents, u"StartRowSvodMenu", u"7", false, false}, // first dish row when the template names none
    {S::Documents, u"sSvodMenuItogTit", u"ИТОГО", false, false},
    {S::Documents, u"sSvodMenuItogStrBold", u"1", false, false},
    {S::Documents, u"sSvodMenuItogStrItalic", u"0", false, false},
    {S::Documents, u"bSkipItogStrSvodMenu", u"0", false, false},
    {S::Documents, u"bSkipSvodMenuTablLines", u"0", false, false},
    {S::Documents, u"bSkipItogAfter1SvodMenu", u"0", false, false},
    {S::Documents, u"bSkipItogAfter2SvodMenu", u"0", false, false},
    {S::Documents, u"FormatForBaseProd", u"0.000", false, false}, // composition values on the product card
    {S::Messages, u"frmTN_TestDelPf", u"1", false, false},
    {S::Data, u"bShowFullHS", u"0", false, false},
    {S::Data, u"bNotTestDisheArray", u"0", false, false},
    {S::Data, u"bTestOrderInDishe", u"0", false, false},
};

constexpr TemplateName kTemplates[] = {
    {u"Shablon_Excel_TTK", u"TTK.xlsx"},
    {u"Shablon_Excel_TK", u"TK.xlsx"},
    {u"Shablon_Excel_TTKk", u"TTKk.xlsx"},
    {u"Shablon_Excel_TTK_ST", u"TTK_ST.xlsx"},
    {u"Shablon_Excel_TK_ST", u"TK_ST.xlsx"},
    {u"Shablon_Excel_TTKk_ST", u"TTKk_ST.xlsx"},
    {u"Shablon_Excel_Nap_ST", u"Nap_ST.xlsx"},
    {u"sPrtTempl", u"prt.docx"},
    {u"sAn_ProdTempl", u"an_prod.docx"},
    {u"sAn_HSTempl", u"an_hs.docx"},
    {u"sPrcTempl", u"price.xlsx"},
    {u"sNaklMTempl", u"nakl_minus.xlsx"},
    {u"sDisheTempl", u"dishe.xlsx"},
    {u"sAktTempl", u"akt.xlsx"},
    {u"sDReestr", u"d_reestr.xlsx"},
    {u"sTrebTempl", u"0504202.xlsx"},
    {u"Shablon_Excel_Menu_Rask", u"menu_ras.xlsx"},
    {u"Shablon_Excel_Ved_Prod", u"ved_prod.xlsx"},
    {u"Shablon_Excel_Rab_Rec", u"RabRec.xlsx"},
    {u"sMenuSummSheet", u"SvodMenu"},
    {u"sTemplVed", u"sv.xlsx"},
    {u"sTemplSvodVed", u"sv_svod.xlsx"},
    {u"sCalcTempl", u"calc.xlsx"},
    {u"sRejTempl", u"rejec.xlsx"},
    {u"sDayTempl", u"day_prods.xlsx"},
    {u"sJur_H", u"jur_h.xlsx"},
    {u"sJur_In", u"jur_in.xlsx"},
    {u"sJur_Z", u"jur_z.xlsx"},
    {u"sf0001", u"f0001.xlsx"},
    {u"sf0002", u"f0002.xlsx"},
    {u"sMenuTempl", u"menu.xlsx"},
    {u"sSvodMenu", u"menu_svod.xlsx"},
    {u"sPlanMenuTempl", u"p_menu.xlsx"},
    {u"sAktRealTempl", u"akt_real.xlsx"},
    {u"sNakl117", u"nakl117.xlsx"},
    {u"sTreb1Templ", u"treb_1.xlsx"},
    {u"Shablon_Excel_Full_HS", u"full_hs.xlsx"},
    {u"Shablon_Excel_TTKk_Prom", u"rec_kond.xlsx"},
    {u"shExcelMeat_Rec", u"meat_rec.xlsx"},
    {u"sMenuSummSheetTmp", u"Tmp_Menu"},
};

} // namespace

std::span<const SettingDefault> settingDefaults()
{
    return kDefaults;
}

std::span<const TemplateName> templateNames()
{
    return kTemplates;
}

const SettingDefault *findSettingDefault(Section section, const QString &key)
{
    for (const SettingDefault &d : kDefaults) {
        if (d.section == section && key == QStringView(d.key))
            return &d;
    }
    return nullptr;
}

std::optional<QString> settingDefaultValue(Section section, const QString &key)
{
    if (const SettingDefault *d = findSettingDefault(section, key))
        return QString::fromUtf16(d->value);
    if (section == Section::Documents) {
        for (const TemplateName &t : kTemplates) {
            if (key == QStringView(t.key))
                return QString::fromUtf16(t.file);
        }
    }
    return std::nullopt;
}

QString readSetting(const SettingsAccess &settings, Section section, const QString &key)
{
    const QString fallback = settingDefaultValue(section, key).value_or(QString());
    const SettingDefault *d = findSettingDefault(section, key);
    const QString value = settings.get(section, key, fallback);
    return d && d->emptyUsesDefault && value.isEmpty() ? fallback : value;
}

} // namespace kulvera
