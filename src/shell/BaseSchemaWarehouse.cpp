#include "shell/BaseSchemaParts.h"

// The warehouse and costing base: warehouses, lots, documents and their
// lines, counterparties, prices, units, users and calculation cards.

namespace kulvera::schema_parts {

namespace {

using T = ColumnType;
constexpr bool Idx = true;

TableDef lotTable()
{
    return table(u"Склад",
        {
            col(u"Код", T::Counter),
            col(u"Код_Прод", T::Long, Idx),
            col(u"Код_Склада", T::Long, Idx),
            col(u"Код_Полки", T::Long, false, u"0"),
            col(u"Код_Поставщика", T::Long),
            col(u"Код_Накл", T::Long, Idx),
            col(u"Приход_Код", T::Long, Idx),
            // The order of consumption: oldest lot first.
            col(u"Дата", T::Date, Idx),
            col(u"Брутто", T::Double, false, u"0"),
            col(u"Ед_изм", T::Long),
            col(u"Код_Польз", T::Long),
            col(u"Дата_Операции", T::Date),
            col(u"Проводка", T::Boolean, false, u"FALSE"),
        });
}

TableDef documentTable()
{
    return table(u"Накладные_Заголовки",
        {
            col(u"Код", T::Counter),
            col(u"Номер", T::Text, Idx),
            col(u"Дата", T::Date, Idx),
            col(u"Документ", T::Long, Idx),
            col(u"Поставщик", T::Long),
            col(u"Код_Склада", T::Long),
            col(u"Сумма", T::Double, false, u"0"),
            col(u"Проводка", T::Boolean, false, u"FALSE"),
            col(u"Дата_Операции", T::Date),
            col(u"Пользователь", T::Long),
            col(u"Примечание", T::Text),
        });
}

TableDef incomingTable()
{
    return table(u"Приход_Товара",
        {
            col(u"Код", T::Counter),
            col(u"Код_Накл", T::Long, Idx),
            col(u"Номер_Накл", T::Text),
            col(u"Код_Прод", T::Long, Idx),
            col(u"Код_Поставщика", T::Long),
            col(u"Код_Склада", T::Long),
            col(u"Код_на_Складе", T::Long, Idx),
            col(u"Дата", T::Date, Idx),
            col(u"Брутто", T::Double, false, u"0"),
            col(u"Нетто", T::Double, false, u"0"),
            col(u"Ед_изм", T::Long),
            col(u"Цена", T::Double, false, u"0"),
            col(u"НДС_Проц", T::Double, false, u"0"),
            col(u"НДС_Вел", T::Double, false, u"0"),
            col(u"Наценка", T::Double, false, u"0"),
            col(u"Наценка_Вел", T::Double, false, u"0"),
            col(u"Цена_с_нац", T::Double, false, u"0"),
            col(u"Проводка", T::Boolean, false, u"FALSE"),
            col(u"Код_Польз", T::Long),
            col(u"Дата_Операции", T::Date),
            col(u"Код_опер", T::Long, false, u"0"),
            // What the receiving check records (the incoming control journal).
            col(u"Безоп", T::Text),
            col(u"Орган", T::Text),
            col(u"Темп", T::Text),
            col(u"СрокГ", T::Text),
            // Write-off trail: "dd.mm.yyyy,quantity" pairs joined by ";".
            col(u"Списание_Детали", T::Memo),
        });
}

TableDef outgoingTable()
{
    return table(u"Расход_Товара",
        {
            col(u"Код", T::Counter),
            col(u"Код_Накл", T::Long, Idx),
            col(u"Номер_Накл", T::Text),
            col(u"Код_Прод", T::Long, Idx),
            col(u"Название_рецептуры", T::Text),
            col(u"Выход", T::Double),
            col(u"Количество_Пор", T::Double),
            col(u"Код_Склада", T::Long),
            col(u"Код_Поставщика", T::Long),
            col(u"Код_на_Складе", T::Long),
            col(u"Брутто", T::Double, false, u"0"),
            col(u"Нетто", T::Double, false, u"0"),
            col(u"Ед_изм", T::Long),
            col(u"Цена", T::Double, false, u"0"),
            col(u"Наценка", T::Double, false, u"0"),
            col(u"Цена_с_нац", T::Double, false, u"0"),
            col(u"Дата", T::Date, Idx),
            col(u"Код_опер", T::Long, false, u"0"),
            col(u"Код_Польз", T::Long),
            col(u"Дата_Операции", T::Date),
            col(u"Проводка", T::Boolean, false, u"FALSE"),
        });
}

TableDef counterpartyTable()
{
    std::vector<ColumnDef> c = {
        col(u"ID", T::Counter),
        col(u"l1", T::Text, Idx),
        col(u"Имя_Орг", T::Text),
        col(u"ИНН", T::Text),
        col(u"КПП", T::Text),
    };
    // Surname, first name and patronymic of the head, accountant,
    // storekeeper, technologist and production manager.
    constexpr const char16_t *people[] = {
        u"Ф_рук",
        u"И_рук",
        u"О_рук",
        u"Ф_бух",
        u"И_бух",
        u"О_бух",
        u"Ф_клад",
        u"И_клад",
        u"О_клад",
        u"Ф_техн",
        u"И_техн",
        u"О_техн",
        u"Ф_зав",
        u"И_зав",
        u"О_зав",
        u"Учр_док",
        u"Индекс",
        u"Город",
        u"ПрефУл",
        u"Ул",
        u"Дом",
        u"Корп",
        u"Комн",
    };
    for (const char16_t *name : people)
        c.push_back(col(name, T::Text));
    for (int n = 1; n <= 5; ++n) {
        ColumnDef code;
        code.name = QStringLiteral("Код%1").arg(n);
        c.push_back(code);
        ColumnDef phone;
        phone.name = QStringLiteral("Тел%1").arg(n);
        c.push_back(phone);
    }
    constexpr const char16_t *bank[] = {u"Банк", u"РС", u"КС", u"БИК", u"ОКОНХ", u"ОКПО"};
    for (const char16_t *name : bank)
        c.push_back(col(name, T::Text));
    c.push_back(col(u"Прим", T::Memo));
    return table(u"dt101", std::move(c));
}

} // namespace

std::vector<TableDef> warehouseTables()
{
    std::vector<TableDef> tables;
    tables.push_back(counterpartyTable());
    tables.push_back(table(u"dt102",
        {
            col(u"KodProd", T::Long, Idx),
            col(u"ID_Sel", T::Long, Idx),
            col(u"Price", T::Double, false, u"0"),
            col(u"EdI", T::Long),
            col(u"Nac", T::Double),
        }));
    // Koef: how many of these units make one base unit (the base unit has 1).
    tables.push_back(table(u"dt105",
        {
            col(u"ID", T::Counter),
            col(u"Name", T::Text),
            col(u"Pref", T::Text),
            col(u"Koef", T::Double, false, u"1"),
            col(u"SGroup", T::Long, Idx),
            col(u"Код_Калькуляции", T::Long),
            // The one unit of its group that stock is counted in (Koef 1).
            col(u"IsBase", T::Boolean, false, u"0"),
        }));
    // Groups of products and of their units: a product's `Код_Группы` and a
    // unit's `SGroup` both point here; subgroups name their parent.
    tables.push_back(renamedTable(u"Группы_ЕдИ", Section::Losses, u"tbГруппы_ЕдИ",
        {
            col(u"Код", T::Counter),
            col(u"Имя_Группы", T::Text),
            col(u"Зависимость", T::Long, Idx),
        }));
    tables.push_back(renamedTable(u"Продукты_едИ", Section::Losses, u"tbПродукты_едИ",
        {
            col(u"Код", T::Counter),
            col(u"Код_Прод", T::Long, Idx),
            col(u"Ед_Изм", T::Long),
        }));
    tables.push_back(table(u"Склады",
        {
            col(u"Код", T::Counter),
            col(u"Склад_Название", T::Text),
            col(u"Склад_Описание", T::Text),
            col(u"Доп_Нац", T::Double, false, u"0"),
        }));
    tables.push_back(table(u"Склады_Структура",
        {
            col(u"Код", T::Counter),
            col(u"Код_Склада", T::Long, Idx),
            col(u"Структура_Название", T::Text),
            col(u"Описание", T::Text),
        }));
    tables.push_back(lotTable());
    tables.push_back(documentTable());
    tables.push_back(incomingTable());
    tables.push_back(outgoingTable());
    tables.push_back(table(u"Расход_Рецептуры",
        {
            col(u"Код", T::Counter),
            col(u"Код_Накл", T::Long, Idx),
            col(u"Название_рецептуры", T::Text),
            col(u"Выход", T::Double),
            col(u"Количество_Пор", T::Double),
            col(u"Цена", T::Double, false, u"0"),
        }));
    tables.push_back(table(u"Пользователи",
        {
            col(u"Код", T::Counter),
            col(u"Имя_Пользователя", T::Text),
            col(u"Права", T::Long),
            col(u"Пароль", T::Text),
        }));
    tables.push_back(table(u"КК_Заголовки",
        {
            col(u"Код", T::Counter),
            col(u"Код_Калькуляции", T::Text, Idx),
            col(u"Имя_Карты", T::Text, Idx),
            col(u"Выход", T::Text),
            col(u"Себ", T::Double, false, u"0"),
            col(u"Стоимость", T::Double, false, u"0"),
            col(u"Наценка_Проц", T::Double, false, u"0"),
            col(u"Код_Склада", T::Long),
            col(u"Дата_Операции", T::Date),
        }));
    tables.push_back(table(u"КК_Позиции",
        {
            col(u"Код", T::Counter),
            col(u"Заголовок_код", T::Long, Idx),
            col(u"Продукт_код", T::Long, Idx),
            col(u"Прод_ключ", T::Text),
            col(u"Брутто", T::Double, false, u"0"),
            col(u"Нетто", T::Double, false, u"0"),
            col(u"Цена", T::Double, false, u"0"),
            col(u"Ед_Изм_Цена", T::Long),
            col(u"Коэф_Норма", T::Double, false, u"1"),
            col(u"Коэф_Цена", T::Double, false, u"1"),
        }));
    return tables;
}

} // namespace kulvera::schema_parts
