#include "shell/BaseSchemaParts.h"

// The menu base: rations in the recipe row layout, their index, variants,
// physiological norms, locked days and the actual issue of products.

namespace kulvera::schema_parts {

namespace {

using T = ColumnType;
constexpr bool Idx = true;

// A ration row: the recipe row columns l1..l25, then the ration's date
// (l26), meal (l27), variant (l28), attached norm (l29), the extension l30,
// and l31/l32 as in a recipe row.
std::vector<ColumnDef> rationRowColumns()
{
    std::vector<ColumnDef> c = dishRowColumns(32);
    for (ColumnDef &column : c) {
        if (column.name == u"l29")
            column.indexed = true;
        if (column.name == u"l30") {
            column.type = T::Memo;
            column.defaultValue = QStringLiteral("''");
        }
    }
    return c;
}

std::vector<ColumnDef> normColumns()
{
    std::vector<ColumnDef> c = {
        col(u"Код", T::Counter),
        col(u"Имя", T::Text, Idx),
    };
    // Daily intake per nutrient; an empty value means the norm does not say.
    constexpr const char16_t *nutrients[] = {
        u"Белки",
        u"ЖБ",
        u"РБ",
        u"Жир",
        u"ЖЖ",
        u"РЖ",
        u"Моно",
        u"Кр",
        u"Кл",
        u"ОргК",
        u"Зола",
        u"Na",
        u"K",
        u"Ca",
        u"Mg",
        u"P",
        u"Fe",
        u"Zn",
        u"Y",
        u"A",
        u"B",
        u"E",
        u"B1",
        u"B2",
        u"B6",
        u"B12",
        u"D",
        u"PP",
        u"C",
        u"ЭЦ",
        u"РЭ",
        u"ТЭ",
    };
    for (const char16_t *name : nutrients)
        c.push_back(col(name, T::Double));
    c.push_back(col(u"ID_Norm", T::Double, false, u"1"));
    return c;
}

// Assimilation coefficients in percent, one column per composition field,
// one row per norm set they belong to.
std::vector<ColumnDef> assimilationColumns()
{
    std::vector<ColumnDef> c = {
        col(u"Код", T::Counter),
        col(u"КодНормативов", T::Long, Idx),
    };
    constexpr const char16_t *fields[] = {
        u"a",
        u"b",
        u"b1",
        u"b2",
        u"bel",
        u"bg",
        u"br",
        u"c",
        u"ca",
        u"en",
        u"fe",
        u"gg",
        u"gir",
        u"gr",
        u"k",
        u"kl",
        u"kr",
        u"md",
        u"mg",
        u"na",
        u"org",
        u"p",
        u"pp",
        u"sv",
        u"voda",
        u"zola",
        u"РЭ",
        u"ТЭ",
    };
    for (const char16_t *name : fields)
        c.push_back(col(name, T::Double, false, u"100"));
    return c;
}

// Products issued to, or left at, the production site on a day.
std::vector<ColumnDef> issueColumns()
{
    return {
        col(u"Код", T::Counter),
        col(u"Код_Прод", T::Long, Idx),
        col(u"Брутто", T::Double, false, u"0"),
        col(u"Дата", T::Date, Idx),
        col(u"Группа", T::Text, Idx),
    };
}

} // namespace

std::vector<TableDef> menuTables()
{
    std::vector<TableDef> tables;
    // The main menu table also keeps a code, a value and a date of its own.
    std::vector<ColumnDef> menu = rationRowColumns();
    menu.push_back(col(u"D_Col", T::Double));
    menu.push_back(col(u"AktDate", T::Date));
    menu.push_back(col(u"SCode", T::Text));
    tables.push_back(renamedTable(u"Base", Section::Losses, u"tbMenu", std::move(menu)));
    tables.push_back(renamedTable(u"inxs", Section::Losses, u"tbIndexMn",
        {
            col(u"ID", T::Counter),
            col(u"Name_group", T::Text, Idx),
            col(u"date_r", T::Date, Idx),
        }));
    tables.push_back(renamedTable(u"Menu", Section::Losses, u"tbMenuCalc", rationRowColumns()));
    tables.push_back(renamedTable(u"base_temp", Section::Losses, u"tbMenu_Temp", rationRowColumns()));
    tables.push_back(table(u"groups",
        {
            col(u"id", T::Counter),
            col(u"Name", T::Text, Idx),
            col(u"p1", T::Text),
            col(u"p2", T::Text),
            col(u"p3", T::Text),
            col(u"p4", T::Text),
            col(u"p5", T::Text),
        }));
    tables.push_back(table(u"Norm", normColumns()));
    tables.push_back(table(u"Norm_Prods",
        {
            col(u"Code", T::Counter),
            col(u"Group_Name", T::Text),
            col(u"Code_Prods", T::Text),
            col(u"Code_Norm", T::Long, Idx),
            col(u"Norm_Prods", T::Double),
        }));
    tables.push_back(table(u"Koef", assimilationColumns()));
    tables.push_back(table(u"BlocksDates",
        {
            col(u"Код", T::Counter),
            col(u"Дата", T::Date, Idx),
            col(u"Группа", T::Text),
        }));
    tables.push_back(table(u"Выдача_Факт", issueColumns()));
    tables.push_back(table(u"ОстаткиПр", issueColumns()));
    return tables;
}

} // namespace kulvera::schema_parts
