#include "shell/BaseSchemaParts.h"

// The product base and the two bases of processing losses, which share the
// names of the composition fields.

namespace kulvera::schema_parts {

namespace {

using T = ColumnType;
constexpr bool Idx = true;

constexpr const char16_t *kAminoAcids[] = {
    u"валин",
    u"изолейцин",
    u"лейцин",
    u"лизин",
    u"метионин",
    u"треонин",
    u"триптофан",
    u"фенилаланин",
    u"аланин",
    u"аргинин",
    u"аспарагиновая",
    u"гистидин",
    u"глицин",
    u"глутаминовая",
    u"оксипролин",
    u"пролин",
    u"серин",
    u"тирозин",
    u"цистин",
};

constexpr const char16_t *kFattyAcids[] = {
    u"масляная",
    u"капроновая",
    u"каприловая",
    u"каприновая",
    u"лауриновая",
    u"миристиновая",
    u"пентадекановая",
    u"пальмитиновая",
    u"маргариновая",
    u"стеариновая",
    u"арахиновая",
    u"бегеновая",
    u"лигноцериновая",
    u"миристолеиновая",
    u"пальмитолеиновая",
    u"олеиновая",
    u"гадолеиновая",
    u"эруковая",
    u"линолевая",
    u"линоленовая",
    u"арахидоновая",
};

// Composition per 100 g of product, in the order of the product card.
constexpr const char16_t *kBasicComposition[] = {
    u"Вода",
    u"Белки",
    u"ЖБ",
    u"РБ",
    u"Жир",
    u"ЖЖ",
    u"РЖ",
    u"Gir_SV",
    u"Моно",
    u"Кр",
    u"КЛ",
    u"UG_SV",
    u"АО",
    u"АМ",
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
    u"B1",
    u"B2",
    u"PP",
    u"C",
    u"ЭЦ",
};
// The extended composition; a basic base gains these on upgrade.
constexpr const char16_t *kExtendedComposition[] = {u"НЖК", u"ПНЖК", u"Хол", u"РЭ", u"ТЭ", u"НЭ"};
constexpr const char16_t *kExtendedTail[] = {u"РПВ", u"НПВ", u"Аденин", u"Гуанин", u"pH"};

// Loss percentages of a heat-treatment mode, one column per nutrient.
constexpr const char16_t *kLossNutrients[] = {
    u"SV",
    u"Bel",
    u"BG",
    u"BR",
    u"Gir",
    u"GG",
    u"GR",
    u"MD",
    u"Kr",
    u"Kl",
    u"Org",
    u"Zola",
    u"Na",
    u"K",
    u"Ca",
    u"Mg",
    u"P",
    u"Fe",
    u"A",
    u"B",
    u"B1",
    u"B2",
    u"PP",
    u"C",
    u"EN",
    u"Voda",
    u"НЖК",
    u"ПНЖК",
    u"Хол",
    u"РЭ",
    u"ТЭ",
    u"НЭ",
    u"АО",
    u"АМ",
};

template <std::size_t N> void addDoubles(std::vector<ColumnDef> &columns, const char16_t *const (&names)[N])
{
    for (const char16_t *name : names)
        columns.push_back(col(name, T::Double, false, u"0"));
}

TableDef productTable()
{
    std::vector<ColumnDef> c = {
        // Keys are given by the program (largest plus one), not by the engine.
        col(u"Код", T::Long, Idx),
        col(u"Имя", T::Text, Idx),
        col(u"Имя2", T::Text, Idx),
        col(u"ГОСТ", T::Text),
        col(u"ЕвроКОД", T::Text),
        col(u"Источник", T::Text),
        col(u"Изготовитель", T::Text),
        // Old bases hold "Да"/"Нет" here, newer ones a flag: text keeps both.
        col(u"Rast", T::Text),
        col(u"Код_Группы", T::Long, Idx),
        col(u"Разм", T::Double, false, u"0"),
        col(u"Цена", T::Double, false, u"0"),
        col(u"ЕдИ_Ц", T::Long, false, u"1"),
        col(u"Цена_Р", T::Double, false, u"0"),
        col(u"Цена_К", T::Double, false, u"0"),
        col(u"Комент", T::Memo),
        col(u"exc", T::Double, false, u"0"),
        col(u"aller", T::Double, false, u"0"),
        col(u"fast", T::Double, false, u"0"),
        col(u"conf", T::Double, false, u"0"),
        col(u"Out", T::Double),
    };
    for (int n = 1; n <= 12; ++n) {
        ColumnDef loss;
        loss.name = QStringLiteral("Потери%1").arg(n);
        loss.type = T::Double;
        c.push_back(loss);
        ColumnDef variant;
        variant.name = QStringLiteral("Список%1").arg(n);
        variant.type = T::Text;
        c.push_back(variant);
    }
    c.push_back(col(u"l70", T::Boolean));
    c.push_back(col(u"l71", T::Boolean));
    c.push_back(col(u"l72", T::Boolean));
    addDoubles(c, kBasicComposition);
    addDoubles(c, kExtendedComposition);
    addDoubles(c, kAminoAcids);
    addDoubles(c, kFattyAcids);
    addDoubles(c, kExtendedTail);
    return renamedTable(u"dt010", Section::Prod, u"tbProd", std::move(c));
}

// A heat-treatment mode per row: its name, the mass loss and the loss of
// every nutrient, in percent.
std::vector<ColumnDef> lossTypeColumns()
{
    std::vector<ColumnDef> c = {
        col(u"ID", T::Counter),
        col(u"Name", T::Text, Idx),
        col(u"Mass", T::Double, false, u"0"),
    };
    addDoubles(c, kLossNutrients);
    addDoubles(c, kAminoAcids);
    addDoubles(c, kFattyAcids);
    constexpr const char16_t *tail[] = {u"МЖК", u"РПВ", u"НПВ", u"Аденин", u"Гуанин", u"PH", u"MinSV_UG", u"MinSV_Gir"};
    addDoubles(c, tail);
    return c;
}

} // namespace

std::vector<TableDef> productTables()
{
    std::vector<TableDef> tables;
    tables.push_back(productTable());
    tables.push_back(table(u"mods",
        {
            col(u"Code", T::Counter),
            col(u"Имя", T::Text, Idx),
            col(u"Прим", T::Text),
            col(u"Теп_пот", T::Double, false, u"0"),
            col(u"Потери_Мех", T::Double, false, u"0"),
            col(u"Норма", T::Double, false, u"0"),
        }));
    tables.push_back(table(u"mods_prods",
        {
            col(u"Код_мод", T::Long, Idx),
            col(u"Код_Прод", T::Long, Idx),
        }));
    // Which product of another base stands for a product of this one.
    tables.push_back(table(u"Соответствие_Продуктов",
        {
            col(u"Код", T::Counter),
            col(u"Код_Прод", T::Long, Idx),
            col(u"Код_Продуктов", T::Long, Idx),
        }));
    return tables;
}

std::vector<TableDef> lossTables()
{
    // The default losses: one row per nutrient in table order, by the origin
    // of the product.
    return {renamedTable(u"Sred", Section::Losses, u"Name_Sred_Table",
        {
            col(u"ID", T::Counter),
            col(u"Name", T::Text),
            col(u"Anim", T::Double, false, u"0"),
            col(u"Rast", T::Double, false, u"0"),
            col(u"Sred", T::Double, false, u"0"),
        })};
}

std::vector<TableDef> lossOutputTables()
{
    return {
        renamedTable(u"Kul", Section::Losses, u"Name_Kul_Table", lossTypeColumns()),
        renamedTable(u"Kond", Section::Losses, u"Name_Kond_Table", lossTypeColumns()),
    };
}

} // namespace kulvera::schema_parts
