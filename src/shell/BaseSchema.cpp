#include "shell/BaseSchemaParts.h"

// The tables of each base are spread over BaseSchema*.cpp by subject; this
// file holds the shared builders, the recipe bases and the lookup by base.

namespace kulvera::schema_parts {

using T = ColumnType;

ColumnDef col(const char16_t *name, ColumnType type, bool indexed, const char16_t *defaultValue)
{
    ColumnDef c;
    c.name = QString::fromUtf16(name);
    c.type = type;
    c.indexed = indexed;
    if (defaultValue)
        c.defaultValue = QString::fromUtf16(defaultValue);
    return c;
}

TableDef table(const char16_t *name, std::vector<ColumnDef> columns)
{
    return TableDef {QString::fromUtf16(name), Section::Data, QString(), std::move(columns)};
}

TableDef renamedTable(const char16_t *name, Section section, const char16_t *key, std::vector<ColumnDef> columns)
{
    return TableDef {QString::fromUtf16(name), section, QString::fromUtf16(key), std::move(columns)};
}

// Values of the row-per-position columns are stored encoded, four digits per
// character, whatever they mean (a mass, a flag, a date), so every one of them
// is text, and a 255-character value needs four times the room.
constexpr int kEncodedTextLength = 255 * 4;

ColumnDef dishRowColumn(int n)
{
    const QString name = QStringLiteral("l%1").arg(n);
    ColumnDef c;
    c.name = name;
    // The seven card texts and the composition string outgrow any text size.
    const bool memo = (n >= 6 && n <= 12) || n == 23 || n == 45;
    c.type = memo ? T::Memo : T::Text;
    if (!memo)
        c.length = kEncodedTextLength;
    // Recipes are found by name, menu copies by their keys, usage by product.
    c.indexed = n == 1 || n == 13 || n == 26 || n == 27 || n == 28;
    return c;
}

std::vector<ColumnDef> dishRowColumns(int last)
{
    std::vector<ColumnDef> columns;
    columns.reserve(last + 1);
    columns.push_back(col(u"ID", T::Counter));
    for (int n = 1; n <= last; ++n)
        columns.push_back(dishRowColumn(n));
    return columns;
}

} // namespace kulvera::schema_parts

namespace kulvera {
namespace {

using namespace schema_parts;
constexpr bool Idx = true;

TableDef collectionTable()
{
    return table(u"dt001", dishRowColumns(49));
}

std::vector<TableDef> dishTables()
{
    std::vector<TableDef> tables;
    tables.push_back(renamedTable(u"Base_ID", Section::Bl, u"Table_Bl_Bases",
        {
            col(u"BD_Name", T::Text, Idx),
            col(u"BD_Table", T::Text),
        }));
    // The dish catalogue with groups and the labels keep recipes structured.
    tables.push_back(table(u"Группы_Блюд",
        {
            col(u"Код", T::Counter),
            col(u"Имя_группы", T::Text, Idx),
            col(u"Зависимость", T::Long, Idx),
            col(u"Expand", T::Boolean),
        }));
    tables.push_back(table(u"Блюда_Заголовки",
        {
            col(u"Код", T::Counter),
            col(u"Наименование", T::Text, Idx),
            col(u"Выход", T::Text),
            col(u"НД", T::Text),
            col(u"Карта_Номер", T::Text),
            col(u"Технолог", T::Text),
            col(u"Отв_Исп", T::Text),
            col(u"Прим", T::Memo),
            col(u"Технология", T::Memo),
            col(u"Требования", T::Memo),
            col(u"Код_Прод", T::Long, Idx),
            col(u"Разм", T::Double, false, u"0"),
            col(u"Мех", T::Text),
            col(u"МБ_Знач", T::Text),
            col(u"МБ_Код", T::Long),
            col(u"Код_Технол_Схемы", T::Long),
            col(u"Цена", T::Double, false, u"0"),
            col(u"Группа", T::Long, Idx),
            col(u"Код_ЕдИ", T::Long),
            col(u"Терм", T::Text),
            col(u"Срок_Код", T::Long),
            col(u"Срок", T::Text),
            col(u"Рекомендации", T::Memo),
        }));
    tables.push_back(table(u"Блюда_Позиции",
        {
            col(u"Код", T::Counter),
            col(u"Код_рец", T::Long, Idx),
            col(u"Код_Прод", T::Long, Idx),
            col(u"Имя_Полное", T::Text),
            col(u"Имя_Сокращенное", T::Text),
            col(u"Брутто", T::Double, false, u"0"),
            col(u"Нетто", T::Double, false, u"0"),
            col(u"Код_ЕдИ", T::Long),
            col(u"Себест", T::Double, false, u"0"),
            col(u"Цена_К", T::Double, false, u"0"),
            col(u"Цена_Р", T::Double, false, u"0"),
            col(u"Доля", T::Double, false, u"0"),
        }));
    return tables;
}

std::vector<TableDef> semiFinishedTables()
{
    // Semi-finished products for reuse: one collection in the recipe row layout.
    return {collectionTable()};
}

std::vector<TableDef> tablesOf(BaseId base)
{
    switch (base) {
    case BaseId::Dishes:
    case BaseId::WorkingCopy:
        return dishTables();
    case BaseId::SemiFinished:
        return semiFinishedTables();
    case BaseId::Products:
    case BaseId::ProductsSync:
        return productTables();
    case BaseId::Losses:
        return lossTables();
    case BaseId::LossesOutput:
        return lossOutputTables();
    case BaseId::Menu:
        return menuTables();
    case BaseId::Warehouse:
        return warehouseTables();
    case BaseId::Journals:
        return journalTables();
    case BaseId::Rejection:
        return rejectionTables();
    case BaseId::Microbiology:
    case BaseId::Captions:
    case BaseId::Methods:
    case BaseId::Protocols:
    case BaseId::StandardNames:
    case BaseId::Client:
    case BaseId::Import:
    case BaseId::MeatShop:
    case BaseId::Sp1324:
    case BaseId::Sp1078:
    case BaseId::Organoleptic:
        return referenceTables(base);
    }
    return {};
}

} // namespace

const TableDef &dishCollectionTable()
{
    static const TableDef t = collectionTable();
    return t;
}

std::span<const TableDef> schemaOf(BaseId base)
{
    // Built once, indexed by the fixed connection number of the base.
    static const std::vector<std::vector<TableDef>> all = [] {
        std::vector<std::vector<TableDef>> bases(kFirstDynamicConnection);
        for (int n = 1; n < kFirstDynamicConnection; ++n)
            bases[n] = tablesOf(static_cast<BaseId>(n));
        return bases;
    }();
    const int n = static_cast<int>(base);
    if (n < 1 || n >= kFirstDynamicConnection)
        return {};
    return all[n];
}

} // namespace kulvera
