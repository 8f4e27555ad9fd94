#include "shell/MainCommands.h"

#include "shell/SharedSettings.h"
#include "shell/TemplateLookup.h"

#include <QDir>

namespace kulvera {
namespace {

constexpr MainCommand kCommands[] = {
    {u"Продукты", u"prod", u"База продуктов"},
    {u"Продукты", u"ProdNew", u"Новый продукт"},
    {u"Продукты", u"Prod_Group", u"Группы продуктов"},
    {u"Продукты", u"Measure", u"Единицы измерения"},
    {u"Продукты", u"Load_Prod", u"Загрузка продуктов с сервера рецептур"},
    {u"Продукты", u"Load_Prod_from_file", u"Добавить продукты из файла"},
    {u"Продукты", u"SyncProds", u"Синхронизация продуктов"},
    {u"Продукты", u"rpl_prods", u"Замена продукта в блюдах"},
    {u"Продукты", u"ColourMark", u"Цветовая маркировка продуктов"},
    {u"Продукты", u"dop_bp", u"Дополнительные базы продуктов"},
    {u"Рецептуры", u"Norm", u"Разработка рецептур"},
    {u"Рецептуры", u"pf", u"База полуфабрикатов"},
    {u"Рецептуры", u"Base_Bl", u"База блюд"},
    {u"Рецептуры", u"dop_bb", u"Дополнительные базы блюд"},
    {u"Рецептуры", u"dop_pf", u"Дополнительные базы полуфабрикатов"},
    {u"Рецептуры", u"Coctail", u"Карты напитков"},
    {u"Рецептуры", u"ND_Kond_Prom", u"Рецептуры промышленных кондитерских изделий"},
    {u"Рецептуры", u"TehShmem", u"Технологические схемы"},
    {u"Рецептуры", u"GroupMeat", u"Группы блюд"},
    {u"Рецептуры", u"SyncBB", u"Синхронизация базы блюд"},
    {u"Рецептуры", u"ReestrBlud", u"Реестр блюд"},
    {u"Рецептуры", u"repair_bl", u"Восстановление наименований рецептур"},
    {u"Рецептуры", u"meth_edit", u"Пользовательские формулы"},
    {u"Рецептуры", u"Sprav_Info", u"Справочник нормативных документов"},
    {u"Рецептуры", u"shabl_repl", u"Замена шаблонов"},
    {u"Рецептуры", u"FH_Base", u"Физико-химические методики"},
    {u"Рецептуры", u"FH_New", u"Протоколы испытаний"},
    {u"Рецептуры", u"prt_fh", u"Печать протоколов"},
    {u"Меню", u"MenuNew", u"Разработка меню"},
    {u"Меню", u"AnalysMenu", u"Анализ рационов"},
    {u"Меню", u"arc_menu", u"Архив меню"},
    {u"Меню", u"VarMenu", u"Варианты меню"},
    {u"Меню", u"fiz_norm", u"Физиологические нормы"},
    {u"Меню", u"GlobalVed", u"Накопительная ведомость"},
    {u"Меню", u"Menu_Export", u"Сохранить меню в файл"},
    {u"Меню", u"SyncBM", u"Синхронизация меню"},
    {u"Меню", u"dop_menu", u"Дополнительные базы меню"},
    {u"Меню", u"UpdateCardsMenuNum", u"Обновить номера карт в меню"},
    {u"Меню", u"temp_menu", u"Временная таблица меню"},
    {u"Склад", u"WSs", u"Склады"},
    {u"Склад", u"curWS", u"Текущий склад"},
    {u"Склад", u"Suppli", u"Поставщики"},
    {u"Склад", u"Nakl_Add", u"Приходная накладная"},
    {u"Склад", u"NaklMinus", u"Списание"},
    {u"Склад", u"NewMinus", u"Новое списание"},
    {u"Склад", u"MovInternal", u"Внутреннее перемещение"},
    {u"Склад", u"akt_sp", u"Акт перемещения"},
    {u"Склад", u"nakl_di", u"Накладные по блюдам"},
    {u"Склад", u"Inc_out_prods", u"Оборот продуктов"},
    {u"Склад", u"Calc_Prods", u"Книга продуктов"},
    {u"Склад", u"calc_base", u"Дополнительная калькуляция"},
    {u"Склад", u"exp_shouse", u"Экспорт продуктов на лист «Товары»"},
    {u"Склад", u"RoundKV", u"Настройки округления"},
    {u"Склад", u"RoundBruttoNakl", u"Округление брутто в накладных"},
    {u"Склад", u"roundbrandnetto", u"Округление брутто и нетто"},
    {u"Журналы", u"reject", u"Бракеражный журнал"},
    {u"Журналы", u"hol_jur", u"Журнал температурного режима"},
    {u"Журналы", u"j_z", u"Журнал здоровья"},
    {u"Журналы", u"cont_int", u"Журнал входного контроля"},
    {u"Журналы", u"brakerazh", u"Бракераж"},
    {u"Журналы", u"obor", u"Справочник оборудования"},
    {u"Журналы", u"pomech", u"Структура помещений"},
    {u"Журналы", u"j_z_post", u"Должности"},
    {u"Журналы", u"j_z_res", u"Результаты обследования"},
    {u"Журналы", u"j_z_work", u"Производственный персонал"},
    {u"Шаблоны", u"ttk_hs_edit", u"Шаблон TTK.xlsx", u"TTK.xlsx", u"Shablon_Excel_TTK"},
    {u"Шаблоны", u"tk_hs_edit", u"Шаблон TK.xlsx", u"TK.xlsx", u"Shablon_Excel_TK"},
    {u"Шаблоны", u"ttkk_hs_edit", u"Шаблон TTKk.xlsx", u"TTKk.xlsx", u"Shablon_Excel_TTKk"},
    {u"Шаблоны", u"ttk_st_edit", u"Шаблон TTK_ST.xlsx", u"TTK_ST.xlsx", u"Shablon_Excel_TTK_ST"},
    {u"Шаблоны", u"tk_st_edit", u"Шаблон TK_ST.xlsx", u"TK_ST.xlsx", u"Shablon_Excel_TK_ST"},
    {u"Шаблоны", u"ttkk_st_edit", u"Шаблон TTKk_ST.xlsx", u"TTKk_ST.xlsx", u"Shablon_Excel_TTKk_ST"},
    {u"Шаблоны", u"Nap_Edit", u"Шаблон Nap_ST.xlsx", u"Nap_ST.xlsx", u"Shablon_Excel_Nap_ST"},
    {u"Шаблоны", u"tk_ttk_edit", u"Шаблон dishe.xlsx", u"dishe.xlsx", u"sDisheTempl"},
    {u"Шаблоны", u"AktTempl", u"Шаблон akt.xlsx", u"akt.xlsx", u"sAktTempl"},
    {u"Шаблоны", u"nakl_minus", u"Шаблон nakl_minus.xlsx", u"nakl_minus.xlsx", u"sNaklMTempl"},
    {u"Шаблоны", u"sv", u"Шаблон sv.xlsx", u"sv.xlsx", u"sTemplVed"},
    {u"Шаблоны", u"svod_prod", u"Шаблон sv_svod.xlsx", u"sv_svod.xlsx", u"sTemplSvodVed"},
    {u"Шаблоны", u"PrcTempl", u"Шаблон price.xlsx", u"price.xlsx", u"sPrcTempl"},
    {u"Шаблоны", u"calc_card_edit", u"Шаблон calc.xlsx", u"calc.xlsx", u"sCalcTempl"},
    {u"Шаблоны", u"menu_edit", u"Шаблон menu.xlsx", u"menu.xlsx", u"sMenuTempl"},
    {u"Шаблоны", u"menu_svod", u"Шаблон menu_svod.xlsx", u"menu_svod.xlsx", u"sSvodMenu"},
    {u"Шаблоны", u"p_menu", u"Шаблон p_menu.xlsx", u"p_menu.xlsx", u"sPlanMenuTempl"},
    {u"Шаблоны", u"akt_real", u"Шаблон akt_real.xlsx", u"akt_real.xlsx", u"sAktRealTempl"},
    {u"Шаблоны", u"menu_treb", u"Шаблон 0504202.xlsx", u"0504202.xlsx", u"sTrebTempl"},
    {u"Шаблоны", u"treb1", u"Шаблон treb_1.xlsx", u"treb_1.xlsx", u"sTreb1Templ"},
    {u"Шаблоны", u"nakl117", u"Шаблон nakl117.xlsx", u"nakl117.xlsx", u"sNakl117"},
    {u"Шаблоны", u"prom_edit", u"Шаблон rec_kond.xlsx", u"rec_kond.xlsx", u"Shablon_Excel_TTKk_Prom"},
    {u"Шаблоны", u"prod_menu_edit", u"Шаблон menu_ras.xlsx", u"menu_ras.xlsx", u"Shablon_Excel_Menu_Rask"},
    {u"Шаблоны", u"table_hs_edit", u"Шаблон full_hs.xlsx", u"full_hs.xlsx", u"Shablon_Excel_Full_HS"},
    {u"Шаблоны", u"ved_prod_edit", u"Шаблон ved_prod.xlsx", u"ved_prod.xlsx", u"Shablon_Excel_Ved_Prod"},
    {u"Шаблоны", u"meat_edit", u"Шаблон meat_rec.xlsx", u"meat_rec.xlsx", u"shExcelMeat_Rec"},
    {u"Шаблоны", u"rej_jur", u"Шаблон rejec.xlsx", u"rejec.xlsx", u"sRejTempl"},
    {u"Шаблоны", u"day_otch", u"Шаблон day_prods.xlsx", u"day_prods.xlsx", u"sDayTempl"},
    {u"Шаблоны", u"jur_hol", u"Шаблон jur_h.xlsx", u"jur_h.xlsx", u"sJur_H"},
    {u"Шаблоны", u"jur_z", u"Шаблон jur_z.xlsx", u"jur_z.xlsx", u"sJur_Z"},
    {u"Шаблоны", u"cont_in", u"Шаблон jur_in.xlsx", u"jur_in.xlsx", u"sJur_In"},
    {u"Шаблоны", u"f0001", u"Шаблон f0001.xlsx", u"f0001.xlsx", u"sf0001"},
    {u"Шаблоны", u"label_edit", u"Шаблон label.xlsx", u"label.xlsx"},
    {u"Шаблоны", u"ws_prods", u"Шаблон in_out_p.xlsx", u"in_out_p.xlsx"},
    {u"Шаблоны", u"temp_anal_hs", u"Шаблон an_hs.xlsx", u"an_hs.xlsx"},
    {u"Шаблоны", u"temp_anal_prod", u"Шаблон an_prod.xlsx", u"an_prod.xlsx"},
    {u"Сервис", u"Feat", u"Настройки системы"},
    {u"Сервис", u"FeatNew2", u"Расширенные настройки"},
    {u"Сервис", u"c_prod", u"Сжатие базы продуктов"},
    {u"Сервис", u"c_dishe", u"Сжатие базы блюд"},
    {u"Сервис", u"c_pf", u"Сжатие базы полуфабрикатов"},
    {u"Сервис", u"c_rat", u"Сжатие базы меню"},
    {u"Сервис", u"c_calc", u"Сжатие базы калькуляций"},
    {u"Сервис", u"ReIndex", u"Системные функции"},
    {u"Сервис", u"conf", u"Конфигурация"},
    {u"Сервис", u"users", u"Пользователи"},
    {u"Сервис", u"mods", u"Модули"},
    {u"Сервис", u"mnExport", u"Экспорт"},
    {u"Сервис", u"mnImport", u"Импорт"},
    {u"Сервис", u"Connect_Server", u"Подключиться к серверу рецептур"},
    {u"Сервис", u"Discon_Server", u"Отключиться от сервера рецептур"},
    {u"Сервис", u"Upd_test", u"Запрос обновлений"},
    {u"Сервис", u"DebugWin", u"Окно отладки"},
    {u"Сервис", u"Consol", u"Консоль"},
    {u"Сервис", u"open_calc", u"Модуль калькуляции"},
    {u"Сервис", u"Help_Main", u"Справка"},
    {u"Сервис", u"TipOfDay", u"Совет дня"},
    {u"Сервис", u"About_prog", u"О программе"},
    {u"Сервис", u"Exit_Prog", u"Выход"},
};

struct UnavailableCommand {
    const char16_t *name;
    const char16_t *message;
};

constexpr const char16_t *kNoRecipeServer = u"Сервер рецептур в этой установке не используется: загрузка продуктов с "
                                            u"сервера и подключение к нему недоступны.";

constexpr UnavailableCommand kUnavailable[] = {
    {u"Load_Prod", kNoRecipeServer},
    {u"Connect_Server", kNoRecipeServer},
    {u"Discon_Server", kNoRecipeServer},
    {u"Upd_test",
        u"Сервер обновлений в этой установке не используется: новая версия программы устанавливается целиком."},
    {u"users",
        u"Пользователи и пароли в этой установке не ведутся: программа работает от имени «Администратор системы»."},
    {u"mods", u"Дополнительные модули в этой установке не подключаются: все модули входят в состав программы."},
    {u"mnExport",
        u"Экспорт баз в этой версии программы недоступен. Рецептуры, продукты и меню сохраняются в файлы обмена из "
        u"своих окон."},
    {u"mnImport", u"Импорт продуктов из базы импорта в этой версии программы недоступен."},
    {u"ReIndex",
        u"Системные функции в этой версии программы недоступны. Сжатие баз данных выполняется из меню «Сервис»."},
    {u"Help_Main", u"Справочная система в этой установке отсутствует."},
    {u"TipOfDay", u"Советы дня в этой установке отсутствуют."},
};

} // namespace

std::optional<QString> unavailableMessage(const QString &name)
{
    for (const UnavailableCommand &u : kUnavailable) {
        if (name == QStringView(u.name))
            return QString::fromUtf16(u.message);
    }
    return std::nullopt;
}

QString disabledReason(const QString &name)
{
    (void)name; // one reason for now; commands may get their own
    return QStringLiteral("Ещё не реализовано в этой версии программы");
}

std::span<const MainCommand> mainCommands()
{
    return kCommands;
}

const MainCommand *findMainCommand(const QString &name)
{
    for (const MainCommand &c : kCommands) {
        if (name == QStringView(c.name))
            return &c;
    }
    return nullptr;
}

QString templatePath(const MainCommand &command, const SharedSettings &shared)
{
    QString file = command.templateKey ? shared.templateFile(QString::fromUtf16(command.templateKey)) : QString();
    if (file.isEmpty())
        file = QString::fromUtf16(command.templateFile);
    // A configured ".xlt" name opens the same template under its OOXML extension.
    return findTemplate(shared.templatesFolder(), file).value_or(QDir(shared.templatesFolder()).filePath(file));
}

} // namespace kulvera
