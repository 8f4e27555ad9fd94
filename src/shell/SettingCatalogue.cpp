#include "shell/SettingCatalogue.h"

#include "shell/SettingDefaults.h"

namespace kulvera {
namespace {

using S = Section;
using K = SettingKind;

constexpr const char16_t *kFolders = u"Папки и базы";
constexpr const char16_t *kRounding = u"Округление и форматы";
constexpr const char16_t *kDocuments = u"Документы и ячейки";
constexpr const char16_t *kOrganisation = u"Организация и подписи";
constexpr const char16_t *kInterface = u"Интерфейс и уведомления";
constexpr const char16_t *kComposition = u"Колонки состава";

constexpr bool Restart = true;
constexpr bool Advanced = true;

constexpr SettingEntry kEntries[] = {
    // Folders, then the files of the bases and their tables (the catalogue
    // connects them at start, so a change waits for the next start).
    {kFolders, S::Data, u"Dir_book", u"Папка баз данных", K::Folder, Restart},
    {kFolders, S::Data, u"Dir_of_Base", u"Папка баз программы внутри папки баз данных", K::Text, Restart},
    {kFolders, S::Documents, u"Shablon_Folder", u"Папка шаблонов документов", K::Folder},
    {kFolders, S::Documents, u"Norm_Path", u"Папка нормативных документов", K::Folder},
    {kFolders, S::Data, u"sExportFolder", u"Папка экспорта", K::Folder},
    {kFolders, S::Data, u"dop_bb", u"Папка дополнительных баз блюд", K::Text, Restart},
    {kFolders, S::Data, u"dop_menu", u"Папка дополнительных баз меню", K::Text, Restart},
    {kFolders, S::Data, u"dop_pf", u"Папка дополнительных баз полуфабрикатов", K::Text, Restart},
    {kFolders, S::Data, u"dop_calc", u"Папка дополнительных баз калькуляций", K::Text, Restart},
    {kFolders, S::Data, u"dop_fh", u"Папка дополнительных баз методик", K::Text, Restart},
    {kFolders, S::Data, u"dop_bp", u"Папка дополнительных баз продуктов", K::Text, Restart},
    {kFolders, S::Data, u"dop_prod", u"Папка дополнительных продуктов", K::Text, Restart},
    {kFolders, S::Data, u"DB_Img", u"Папка изображений", K::Text, Restart},
    {kFolders, S::Data, u"sRSFld", u"Папка архивных копий баз", K::Text},
    {kFolders, S::Data, u"DbEngine", u"Хранение баз: SQLite (файлы) или PostgreSQL (сервер)", K::Text, Restart},
    {kFolders, S::Data, u"PgHost", u"Сервер PostgreSQL: адрес или папка сокета", K::Text, Restart},
    {kFolders, S::Data, u"PgPort", u"Сервер PostgreSQL: порт", K::Integer, Restart},
    {kFolders, S::Data, u"PgDatabase", u"Сервер PostgreSQL: база данных", K::Text, Restart},
    {kFolders, S::Data, u"PgUser", u"Сервер PostgreSQL: пользователь", K::Text, Restart},
    {kFolders, S::Data, u"PgPassFile", u"Сервер PostgreSQL: файл пароля", K::File, Restart},
    {kFolders, S::Bl, u"NameBlBase", u"База блюд", K::File, Restart, Advanced},
    {kFolders, S::Bl, u"Table_Bl_Bases", u"Таблица коллекций базы блюд", K::Text, Restart, Advanced},
    {kFolders, S::Prod, u"dbProd", u"База продуктов", K::File, Restart, Advanced},
    {kFolders, S::Prod, u"dbProdSync", u"База продуктов для синхронизации", K::File, Restart, Advanced},
    {kFolders, S::Prod, u"tbProd", u"Таблица продуктов", K::Text, Restart, Advanced},
    {kFolders, S::Data, u"dbPF", u"База полуфабрикатов", K::File, Restart, Advanced},
    {kFolders, S::Losses, u"dbMenu", u"База меню", K::File, Restart, Advanced},
    {kFolders, S::Losses, u"tbMenu", u"Таблица меню", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"tbIndexMn", u"Таблица указателей меню", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"tbMenuCalc", u"Таблица расчёта меню", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"tbMenu_Temp", u"Временная таблица меню", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"dbWS", u"База склада и калькуляций", K::File, Restart, Advanced},
    {kFolders, S::Losses, u"tbГруппы_ЕдИ", u"Таблица групп единиц измерения", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"tbПродукты_едИ", u"Таблица единиц измерения продуктов", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"dbRej", u"База бракеражного журнала", K::File, Restart, Advanced},
    {kFolders, S::Losses, u"tbBaseRej", u"Таблица бракеражного журнала", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"tbTitRej", u"Таблица заголовков бракеражного журнала", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"dbJur", u"База журналов", K::File, Restart, Advanced},
    {kFolders, S::Losses, u"tbJurZ", u"Таблица журнала здоровья", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"tbJurH", u"Таблица журнала температурного режима", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"tbObor", u"Таблица оборудования", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"tbStruc", u"Таблица помещений", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"tbPost", u"Таблица должностей", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"tbResults", u"Таблица результатов обследования", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"tbWork", u"Таблица производственного персонала", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"dbFH_Methods", u"База физико-химических методик", K::File, Restart, Advanced},
    {kFolders, S::Losses, u"dbSTN", u"База стандартных наименований", K::File, Restart, Advanced},
    {kFolders, S::Losses, u"tbSTN", u"Таблица стандартных наименований", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"PoteriDB", u"База потерь при тепловой обработке", K::File, Restart, Advanced},
    {kFolders, S::Losses, u"Name_Sred_Table", u"Таблица средних потерь", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"PoteriFDB", u"База выхода полуфабрикатов", K::File, Restart, Advanced},
    {kFolders, S::Losses, u"Name_Kul_Table", u"Таблица потерь кулинарной продукции", K::Text, Restart, Advanced},
    {kFolders, S::Losses, u"Name_Kond_Table", u"Таблица потерь кондитерской продукции", K::Text, Restart, Advanced},
    {kFolders, S::MB, u"MBBase", u"База микробиологических показателей", K::File, Restart, Advanced},
    {kFolders, S::MB, u"Name_MBKul_Table", u"Таблица показателей кулинарной продукции", K::Text, Restart, Advanced},
    {kFolders, S::MB, u"Name_MBKond_Table", u"Таблица показателей кондитерской продукции", K::Text, Restart, Advanced},
    {kFolders, S::Language, u"LangDB", u"База языковой поддержки", K::File, Restart, Advanced},
    {kFolders, S::Language, u"ID_lang", u"Язык", K::Text, Restart, Advanced},
    {kFolders, S::Data, u"strDBClient", u"База клиентов", K::File, Restart, Advanced},
    {kFolders, S::Data, u"strTBClient", u"Таблица клиентов", K::Text, Restart, Advanced},
    {kFolders, S::Data, u"strTBOsnDoc", u"Таблица основных документов клиентов", K::Text, Restart, Advanced},
    {kFolders, S::Data, u"dbImport", u"База импорта продуктов", K::File, Restart, Advanced},
    {kFolders, S::Data, u"tbImport", u"Таблица импорта продуктов", K::Text, Restart, Advanced},
    {kFolders, S::Data, u"tbNDKond", u"Таблица рецептур промышленных кондитерских изделий", K::Text, Restart, Advanced},
    {kFolders, S::Data, u"sFileColourMark", u"Файл цветовой маркировки продуктов", K::File},
    {kFolders, S::HelpSystem, u"strHelp_File", u"Файл справки", K::File, Restart},
    {kFolders, S::Data, u"sProdExc", u"Исключаемые продукты", K::Text, false, Advanced},
    {kFolders, S::Data, u"ServerRemotePort", u"Порт сервера рецептур", K::Integer, false, Advanced},

    // Rounding and the formats numbers are shown and printed with.
    {kRounding, S::Data, u"lRoundBrutto", u"Округлять массу брутто", K::Flag},
    {kRounding, S::Data, u"bUseRndBr", u"Использовать округлённое брутто в расчётах", K::Flag},
    {kRounding, S::Data, u"RoundPrice", u"Знаков после запятой в ценах", K::Integer},
    {kRounding, S::Data, u"RoundProdItog", u"Округление итогов по продуктам в меню", K::Integer},
    {kRounding, S::Data, u"lRoundHS_A_HS", u"Округлять значения в анализе рационов", K::Flag},
    {kRounding, S::UserInterface, u"sFormatNumbersProds", u"Формат масс на экране", K::Text},
    {kRounding, S::UserInterface, u"sFormatNumbersPrice", u"Формат цен на экране", K::Text},
    {kRounding, S::UserInterface, u"sFormatNumbersSumm", u"Формат сумм на экране", K::Text},
    {kRounding, S::Documents, u"FormatForBaseProd", u"Формат состава в карточке продукта", K::Text},
    {kRounding, S::Data, u"НДСПроцент", u"НДС в накладных, %", K::Number},
    {kRounding, S::Calc, u"dNDS", u"НДС в калькуляции, %", K::Number},
    {kRounding, S::Data, u"sDefEDIKProdSHouse", u"Коэффициент единицы продуктов для склада", K::Number},
    {kRounding, S::Data, u"sDefEDIPProdSHouse", u"Единица продуктов для склада", K::Text},

    // Documents: portions of the recalculation columns, words, limits, cells.
    {kDocuments, S::Documents, u"Raschet1", u"Порций в первом столбце пересчёта", K::Integer},
    {kDocuments, S::Documents, u"Raschet2", u"Порций во втором столбце пересчёта", K::Integer},
    {kDocuments, S::Documents, u"Raschet3", u"Порций в третьем столбце пересчёта", K::Integer},
    {kDocuments, S::Documents, u"Raschet1k", u"Масса пересчёта кондитерской карты", K::Integer},
    {kDocuments, S::Documents, u"Lang", u"Слово для порций", K::Text},
    {kDocuments, S::Documents, u"LangK", u"Единица массы пересчёта", K::Text},
    {kDocuments, S::Documents, u"Stand_ND", u"Нормативный документ по умолчанию", K::Text},
    {kDocuments, S::Documents, u"Prop_Save", u"Условия хранения по умолчанию", K::Text},
    {kDocuments, S::Prod, u"Stand_Pot_Title", u"Заголовок столбца выхода полуфабриката", K::Text, Restart},
    {kDocuments, S::Documents, u"boolSH", u"Выводить химический состав в карту", K::Flag},
    {kDocuments, S::Documents, u"boolSN", u"Выводить сборник нормативов в карту", K::Flag},
    {kDocuments, S::Documents, u"boolBR", u"Выводить массу брутто в карту", K::Flag},
    {kDocuments, S::Documents, u"boolDelTeh", u"Очищать технологию новой рецептуры", K::Flag},
    {kDocuments, S::Documents, u"MaxDishForSvodMenu", u"Блюд в сводном меню не более", K::Integer},
    {kDocuments, S::Documents, u"MaxRationForSvodMenu", u"Рационов в сводном меню не более", K::Integer},
    {kDocuments, S::Documents, u"StartRowSvodMenu", u"Первая строка блюд сводного меню", K::Integer},
    {kDocuments, S::Documents, u"sSvodMenuItogTit", u"Заголовок итога сводного меню", K::Text},
    {kDocuments, S::Calc, u"lEndProdInTreb1", u"Последняя строка продуктов требования", K::Integer},
    {kDocuments, S::Data, u"sStTimeMade", u"Время изготовления по умолчанию", K::Text},
    {kDocuments, S::Data, u"sStTimeRej", u"Время бракеража по умолчанию", K::Text},
    {kDocuments, S::Data, u"sMenuStr", u"Первый приём пищи нового меню", K::Text},
    {kDocuments, S::UserInterface, u"lFormatMass", u"Знаков массы в карте", K::Integer},
    {kDocuments, S::UserInterface, u"lFormatFH_TTK", u"Знаков состава в карте", K::Integer},
    {kDocuments, S::DocumentsTTK, u"Start_Row", u"Карта: первая строка продуктов", K::Integer, false, Advanced},
    {kDocuments, S::DocumentsTTK, u"End_Row", u"Карта: последняя строка продуктов", K::Integer, false, Advanced},
    {kDocuments, S::DocumentsTTK, u"Name_Col", u"Карта: столбец наименования", K::Integer, false, Advanced},
    {kDocuments, S::DocumentsTTK, u"Brutto_Col", u"Карта: столбец брутто", K::Integer, false, Advanced},
    {kDocuments, S::DocumentsTTK, u"Netto_Col", u"Карта: столбец нетто", K::Integer, false, Advanced},
    {kDocuments, S::DocumentsTTK, u"Recount_Col1", u"Карта: первый столбец пересчёта", K::Integer, false, Advanced},
    {kDocuments, S::DocumentsTTK, u"Recount_Col2", u"Карта: второй столбец пересчёта", K::Integer, false, Advanced},
    {kDocuments, S::DocumentsTTK, u"Recount_Col3", u"Карта: третий столбец пересчёта", K::Integer, false, Advanced},
    {kDocuments, S::DocumentsTTK, u"Enterprise_Cell", u"Карта: ячейка предприятия", K::Text, false, Advanced},
    {kDocuments, S::DocumentsTTK, u"Num_Doc_Cell", u"Карта: ячейка номера", K::Text, false, Advanced},
    {kDocuments, S::DocumentsTTK, u"Tehnology_Cell", u"Карта: ячейка технологии", K::Text, false, Advanced},

    // The organisation and the people who sign the documents.
    {kOrganisation, S::User, u"Name_Org", u"Организация", K::Text},
    {kOrganisation, S::User, u"Name_POP", u"Предприятие питания", K::Text},
    {kOrganisation, S::User, u"UrName", u"Юридическое наименование", K::Text},
    {kOrganisation, S::User, u"CityU", u"Юридический адрес: город", K::Text},
    {kOrganisation, S::User, u"StreetU", u"Юридический адрес: улица", K::Text},
    {kOrganisation, S::User, u"HomeU", u"Юридический адрес: дом", K::Text},
    {kOrganisation, S::User, u"IndexU", u"Юридический адрес: индекс", K::Text},
    {kOrganisation, S::User, u"Tel", u"Телефон", K::Text},
    {kOrganisation, S::User, u"Mail", u"Электронная почта", K::Text},
    {kOrganisation, S::User, u"tFDir", u"Руководитель: фамилия и инициалы", K::Text},
    {kOrganisation, S::User, u"tODir", u"Руководитель: должность", K::Text},
    {kOrganisation, S::User, u"tFTeh", u"Технолог: фамилия и инициалы", K::Text},
    {kOrganisation, S::User, u"tOTeh", u"Технолог: должность", K::Text},
    {kOrganisation, S::User, u"tFOtv", u"Ответственный исполнитель: фамилия и инициалы", K::Text},
    {kOrganisation, S::User, u"tOOtv", u"Ответственный исполнитель: должность", K::Text},
    {kOrganisation, S::User, u"shef_menu", u"Подпись меню: шеф-повар", K::Text},
    {kOrganisation, S::User, u"buh_menu", u"Подпись меню: бухгалтер", K::Text},
    {kOrganisation, S::User, u"diet_menu", u"Подпись меню: диетсестра", K::Text},

    // How the program looks and which questions it asks.
    {kInterface, S::UserInterface, u"Act_Color", u"Цвет активной строки", K::Colour},
    {kInterface, S::UserInterface, u"Act_Font_Color", u"Цвет текста активной строки", K::Colour},
    {kInterface, S::UserInterface, u"Def_Color", u"Цвет строки по умолчанию", K::Colour},
    {kInterface, S::UserInterface, u"boolAnim", u"Анимация меню", K::Flag},
    {kInterface, S::UserInterface, u"intStep", u"Шаг анимации меню", K::Integer},
    {kInterface, S::UserInterface, u"boolFastMenu", u"Быстрое меню", K::Flag},
    {kInterface, S::UserInterface, u"boolEnhToolTip", u"Расширенные подсказки", K::Flag},
    {kInterface, S::UserInterface, u"boolFastSave", u"Быстрое сохранение", K::Flag},
    {kInterface, S::UserInterface, u"boolEditSh", u"Разрешить редактирование шаблонов", K::Flag},
    {kInterface, S::UserInterface, u"txtPassShabl", u"Пароль защиты шаблонов", K::Text},
    {kInterface, S::Data, u"boolFastLoad", u"Быстрая загрузка программы", K::Flag, Restart},
    {kInterface, S::Data, u"boolShowStartPB", u"Показывать ход загрузки", K::Flag, Restart},
    {kInterface, S::Data, u"bDontLoadTN", u"Не загружать разработку рецептур при запуске", K::Flag, Restart},
    {kInterface, S::Data, u"bDontLoadMenu", u"Не загружать разработку меню при запуске", K::Flag, Restart},
    {kInterface, S::Data, u"bCheckUpdate", u"Проверять обновления при запуске", K::Flag, Restart},
    {kInterface, S::Data, u"bAutoConnectToServer", u"Подключаться к серверу рецептур при запуске", K::Flag, Restart},
    {kInterface, S::Data, u"sGetUsers", u"Вход пользователей по паролю", K::Flag, Restart},
    {kInterface, S::Data, u"lCopyMessExToClipboard", u"Копировать текст ошибок в буфер обмена", K::Flag},
    {kInterface, S::Messages, u"frmTN_TestDelPf", u"Спрашивать перед удалением полуфабриката", K::Flag},

    // Which composition values the recipe screens and cards carry.
    {kComposition, S::Data, u"bShowFullHS", u"Полный химический состав", K::Flag},
    {kComposition, S::Data, u"bShowShortName", u"Краткие наименования продуктов", K::Flag},
    {kComposition, S::Data, u"bShowSostav", u"Состав блюда", K::Flag},
    {kComposition, S::Data, u"bShowFullMeh", u"Все варианты механической обработки", K::Flag},
    {kComposition, S::UserInterface, u"bShowB_G_U", u"Белки, жиры, углеводы", K::Flag},
    {kComposition, S::UserInterface, u"bShowCa_P", u"Кальций и фосфор", K::Flag},
    {kComposition, S::UserInterface, u"bShowPercentCal", u"Доля калорийности, %", K::Flag},
    {kComposition, S::UserInterface, u"bShowPriceProd", u"Цены продуктов", K::Flag},
    {kComposition, S::UserInterface, u"bShowPriceRat", u"Стоимость рациона", K::Flag},
    {kComposition, S::UserInterface, u"bShowProdsInMenu", u"Продукты в меню", K::Flag},
};

} // namespace

std::span<const SettingEntry> settingCatalogue()
{
    return kEntries;
}

QStringList settingGroups()
{
    return {QString::fromUtf16(kFolders), QString::fromUtf16(kRounding), QString::fromUtf16(kDocuments),
        QString::fromUtf16(kOrganisation), QString::fromUtf16(kInterface), QString::fromUtf16(kComposition)};
}

const SettingEntry *findSettingEntry(Section section, const QString &key)
{
    for (const SettingEntry &e : kEntries) {
        if (e.section == section && key == QStringView(e.key))
            return &e;
    }
    return nullptr;
}

} // namespace kulvera
