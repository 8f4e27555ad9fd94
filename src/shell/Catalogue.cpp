#include "shell/Catalogue.h"

#include "shell/SettingDefaults.h"
#include "shell/SharedSettings.h"

namespace kulvera {
namespace {

using S = Section;
using B = BaseId;

constexpr CatalogueEntry kCatalogue[] = {
    {B::Dishes, S::Bl, u"NameBlBase", u"bl_base.db", u"база изделий (блюд)", u"Base_ID", S::Bl, u"Table_Bl_Bases"},
    {B::Products, S::Prod, u"dbProd", u"db011.db", u"база продуктов", u"dt010", S::Prod, u"tbProd"},
    {B::Microbiology, S::MB, u"MBBase", u"db12.db", u"база микробиологических показателей", u"t1", S::MB,
        u"Name_MBKul_Table"},
    {B::Captions, S::Language, u"LangDB", u"Caption.db", u"база языковой поддержки", u"frmMain", S::Language, nullptr},
    {B::Losses, S::Losses, u"PoteriDB", u"teplov.db", u"база потерь при тепловой обработке", u"Sred", S::Losses,
        u"Name_Sred_Table"},
    {B::LossesOutput, S::Losses, u"PoteriFDB", u"teplovBase.db", u"база выхода полуфабрикатов", u"Kul", S::Losses,
        u"Name_Kul_Table"},
    {B::SemiFinished, S::Data, u"dbPF", u"db013.db", u"база полуфабрикатов", u"dt001", S::Data, nullptr},
    {B::Menu, S::Losses, u"dbMenu", u"Menu.db", u"база меню суточных рационов", u"Base", S::Losses, u"tbMenu"},
    {B::Methods, S::Losses, u"dbFH_Methods", u"fz_method.db", u"база физико-химических методик", u"gerber", S::Losses,
        nullptr},
    {B::Protocols, S::Losses, nullptr, u"fz_res.db", u"база протоколов испытаний", u"protocols", S::Losses, nullptr},
    {B::Warehouse, S::Losses, u"dbWS", u"db101.db", u"база склада и калькуляций", u"dt101", S::Losses, nullptr},
    {B::Rejection, S::Losses, u"dbRej", u"rejec.db", u"база бракеражного журнала", u"base", S::Losses, u"tbBaseRej"},
    {B::StandardNames, S::Losses, u"dbSTN", u"stn.db", u"база стандартных наименований", u"stn", S::Losses, u"tbSTN"},
    {B::Journals, S::Losses, u"dbJur", u"journals.db", u"база журналов", u"jur_z", S::Losses, u"tbJurZ"},
    {B::Client, S::Data, u"strDBClient", u"db014.db", u"база клиентов", u"dt001", S::Data, u"strTBClient"},
    {B::Import, S::Data, u"dbImport", u"imp_pr.db", u"база импорта продуктов", u"Номенклатура", S::Data, u"tbImport"},
    {B::MeatShop, S::Data, nullptr, u"db104.db", u"База рецептур для МЦ", u"Технол_схемы_заголовки", S::Data, nullptr},
    {B::Sp1324, S::Data, nullptr, u"db110.db", u"База СанПин 2.3.2.1324", u"СП1324", S::Data, nullptr},
    {B::Sp1078, S::Data, nullptr, u"db105.db", u"База СанПин 2.3.2.1078", u"1078", S::Data, nullptr},
    {B::Organoleptic, S::Data, nullptr, u"org_base.db", u"база органолептических показателей", u"org", S::Data,
        nullptr},
    {B::ProductsSync, S::Prod, u"dbProdSync", u"db011_sync.db", u"база продуктов для синхронизации", u"dt010", S::Prod,
        u"tbProd"},
    {B::WorkingCopy, S::Data, nullptr, u"kv_temp.db", u"временная рабочая база", u"Base_ID", S::Bl, u"Table_Bl_Bases"},
};

struct ShortName {
    BaseId id;
    const char16_t *name;
};
constexpr ShortName kShortNames[] = {
    {B::Dishes, u"dishes"},
    {B::Products, u"products"},
    {B::Microbiology, u"microbiology"},
    {B::Captions, u"captions"},
    {B::Losses, u"losses"},
    {B::LossesOutput, u"losses-output"},
    {B::SemiFinished, u"semi"},
    {B::Menu, u"menu"},
    {B::Methods, u"methods"},
    {B::Protocols, u"protocols"},
    {B::Warehouse, u"warehouse"},
    {B::Rejection, u"rejection"},
    {B::StandardNames, u"stn"},
    {B::Journals, u"journals"},
    {B::Client, u"client"},
    {B::Import, u"import"},
    {B::MeatShop, u"meat"},
    {B::Sp1324, u"sp1324"},
    {B::Sp1078, u"sp1078"},
    {B::Organoleptic, u"organoleptic"},
    {B::ProductsSync, u"products-sync"},
    {B::WorkingCopy, u"working-copy"},
};

QString stem(const char16_t *file)
{
    QString name = QString::fromUtf16(file);
    return name.left(name.lastIndexOf(u'.'));
}

} // namespace

std::span<const CatalogueEntry> catalogue()
{
    return kCatalogue;
}

const CatalogueEntry &catalogueEntry(BaseId id)
{
    for (const CatalogueEntry &e : kCatalogue) {
        if (e.id == id)
            return e;
    }
    return kCatalogue[0];
}

std::optional<BaseId> baseFromName(const QString &name)
{
    for (const ShortName &s : kShortNames) {
        if (name.compare(QStringView(s.name), Qt::CaseInsensitive) == 0)
            return s.id;
    }
    // The file's stem works too: "db011", "bl_base", "Menu".
    for (const CatalogueEntry &e : kCatalogue) {
        if (name.compare(stem(e.defaultFile), Qt::CaseInsensitive) == 0
            || name.compare(QStringView(e.defaultFile), Qt::CaseInsensitive) == 0)
            return e.id;
    }
    bool isNumber = false;
    const int number = name.toInt(&isNumber);
    if (isNumber) {
        for (const CatalogueEntry &e : kCatalogue) {
            if (static_cast<int>(e.id) == number)
                return e.id;
        }
    }
    return std::nullopt;
}

QString baseName(BaseId id)
{
    for (const ShortName &s : kShortNames) {
        if (s.id == id)
            return QString::fromUtf16(s.name);
    }
    return QString::number(static_cast<int>(id));
}

QString baseFileName(BaseId id, const SettingsAccess &settings)
{
    const CatalogueEntry &e = catalogueEntry(id);
    if (!e.settingsKey)
        return QString::fromUtf16(e.defaultFile);
    const QString configured = readSetting(settings, e.section, QString::fromUtf16(e.settingsKey));
    return configured.isEmpty() ? QString::fromUtf16(e.defaultFile) : configured;
}

QString basePath(BaseId id, const SettingsAccess &settings, const SharedSettings &shared)
{
    return shared.basePath(baseFileName(id, settings));
}

QString identifyingTable(BaseId id, const SettingsAccess &settings)
{
    const CatalogueEntry &e = catalogueEntry(id);
    if (!e.tableKey)
        return QString::fromUtf16(e.identifyingTable);
    const QString configured = readSetting(settings, e.tableSection, QString::fromUtf16(e.tableKey));
    return configured.isEmpty() ? QString::fromUtf16(e.identifyingTable) : configured;
}

bool isValidCollectionName(const QString &name)
{
    if (name.trimmed().isEmpty())
        return false;
    static const QString refused = QStringLiteral(" !\"&',.[]`");
    for (const QChar c : name) {
        if (refused.contains(c))
            return false;
    }
    return true;
}

} // namespace kulvera
