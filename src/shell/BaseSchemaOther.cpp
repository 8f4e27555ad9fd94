#include "shell/BaseSchemaParts.h"
#include "shell/BaseSeedRows.h"
#include "shell/CaptionsBase.h"

// Journals, the rejection journal and the reference bases: microbiology,
// captions, laboratory methods and protocols, standard names, clients,
// product import, the meat shop and the sanitary-rule references.

namespace kulvera::schema_parts {

namespace {

using T = ColumnType;
constexpr bool Idx = true;

// Journal tables are created with an index over ID besides the key.
ColumnDef journalKey()
{
    return col(u"ID", T::Counter, Idx);
}

TableDef journalTable(const char16_t *name, const char16_t *key, std::vector<ColumnDef> columns)
{
    columns.insert(columns.begin(), journalKey());
    return renamedTable(name, Section::Losses, key, std::move(columns));
}

// A set of microbiological indicators is fourteen texts.
std::vector<ColumnDef> indicatorColumns()
{
    std::vector<ColumnDef> c = {col(u"ID", T::Counter)};
    for (int n = 1; n <= 14; ++n) {
        ColumnDef value;
        value.name = QStringLiteral("l%1").arg(n);
        value.indexed = n == 1;
        c.push_back(value);
    }
    return c;
}

std::vector<TableDef> microbiologyTables()
{
    return {
        renamedTable(u"t1", Section::MB, u"Name_MBKul_Table", indicatorColumns()),
        renamedTable(u"t2", Section::MB, u"Name_MBKond_Table", indicatorColumns()),
    };
}

// One table per form, named after the form; the main window's is always
// there and proves the base.
std::vector<TableDef> captionTables()
{
    TableDef main = captionTable();
    main.name = QStringLiteral("frmMain");
    return {main};
}

std::vector<TableDef> methodTables()
{
    return {
        // Fat by the acid-butyrometric method: butyrometer readings per sample.
        table(u"gerber",
            {
                col(u"ID", T::Counter),
                col(u"Name", T::Text, Idx),
                col(u"Val", T::Double),
                col(u"Desc", T::Memo),
            }),
        table(u"methods",
            {
                col(u"ID", T::Counter),
                col(u"Name", T::Text, Idx),
                col(u"Formula", T::Memo),
                col(u"Min", T::Text),
                col(u"Max", T::Text),
                col(u"Compare", T::Text),
                col(u"Showing", T::Long),
                col(u"Desc", T::Memo),
                col(u"Internal", T::Text),
                col(u"HidMet", T::Boolean, false, u"FALSE"),
                col(u"EdI", T::Text),
                col(u"ND", T::Text),
                col(u"Val", T::Text),
            }),
        table(u"calcs",
            {
                col(u"ID", T::Counter),
                col(u"ID_met", T::Long, Idx),
                col(u"ParamName", T::Text),
                col(u"Param", T::Text, Idx),
                col(u"ParamType", T::Text, false, u"'d'"),
                col(u"EdI", T::Text),
            }),
    };
}

std::vector<TableDef> protocolTables()
{
    return {
        table(u"protocols",
            {
                col(u"ID", T::Counter),
                col(u"Номер", T::Text, Idx),
                col(u"Дата", T::Date, Idx),
                col(u"Рецептура", T::Text, Idx),
                col(u"Прим", T::Memo),
                col(u"Сборник", T::Text), // the recipe table of the dish base
                col(u"Выход", T::Text),
            }),
        // Measured values of the two parallel experiments of a method, with
        // the parameter as it was when measured (null: not given).
        table(u"results",
            {
                col(u"ID", T::Counter),
                col(u"ID_prot", T::Long, Idx),
                col(u"ID_met", T::Long, Idx),
                col(u"ID_par", T::Long),
                col(u"zn1", T::Double),
                col(u"zn2", T::Double),
                col(u"ParamName", T::Text),
                col(u"Param", T::Text),
                col(u"EdI", T::Text),
            }),
        // The methods of a protocol as they were when it was computed, the
        // dish's value each is compared with, and what came out (null: not
        // computed, the reason in Problem).
        table(u"prot_methods",
            {
                col(u"ID", T::Counter),
                col(u"ID_prot", T::Long, Idx),
                col(u"ID_met", T::Long),
                col(u"Npp", T::Long),
                col(u"Name", T::Text),
                col(u"Formula", T::Memo),
                col(u"Min", T::Text),
                col(u"Max", T::Text),
                col(u"Compare", T::Text),
                col(u"Internal", T::Text),
                col(u"EdI", T::Text),
                col(u"ND", T::Text),
                col(u"Ref", T::Double),
                col(u"Res1", T::Double),
                col(u"Res2", T::Double),
                col(u"Average", T::Double),
                col(u"Deviation", T::Double),
                col(u"Problem", T::Memo),
            }),
    };
}

} // namespace

std::vector<TableDef> referenceTables(BaseId base)
{
    switch (base) {
    case BaseId::Microbiology:
        return microbiologyTables();
    case BaseId::Captions:
        return captionTables();
    case BaseId::Methods:
        return methodTables();
    case BaseId::Protocols:
        return protocolTables();
    case BaseId::StandardNames:
        return {renamedTable(u"stn", Section::Losses, u"tbSTN",
            {
                col(u"ID", T::Counter),
                col(u"Наименование", T::Text, Idx),
                col(u"Полное", T::Memo),
                col(u"Код_Прод", T::Long, Idx),
            })};
    case BaseId::Client:
        return {
            renamedTable(u"dt001", Section::Data, u"strTBClient",
                {
                    col(u"ID", T::Counter),
                    col(u"Имя_Орг", T::Text, Idx),
                    col(u"Юр_Адрес", T::Text),
                    col(u"Факт_Адрес", T::Text),
                    col(u"Руководитель", T::Text),
                    col(u"Ответственный", T::Text),
                    col(u"ИНН", T::Text),
                    col(u"КПП", T::Text),
                    col(u"Телефон", T::Text),
                }),
            renamedTable(u"dt002", Section::Data, u"strTBOsnDoc",
                {
                    col(u"ID", T::Counter),
                    col(u"ID_Client", T::Long, Idx),
                    col(u"Документ", T::Text),
                    col(u"Номер", T::Text),
                    col(u"Дата", T::Date),
                }),
        };
    case BaseId::Import:
        return {renamedTable(u"Номенклатура", Section::Data, u"tbImport",
            {
                col(u"Код", T::Counter),
                col(u"Наименование", T::Text, Idx),
                col(u"Ед_изм", T::Text),
                col(u"Цена", T::Double, false, u"0"),
                col(u"Код_Прод", T::Long, Idx),
            })};
    case BaseId::MeatShop:
        return {table(u"Технол_схемы_заголовки",
            {
                col(u"Код", T::Counter),
                col(u"Наименование", T::Text, Idx),
                col(u"Выход", T::Text),
                col(u"НД", T::Text),
                col(u"Дата", T::Date),
                col(u"Прим", T::Memo),
            })};
    case BaseId::Sp1324:
        // Storage terms of products by the sanitary rules.
        return {table(u"СП1324",
            {
                col(u"Код", T::Counter),
                col(u"Группа", T::Text),
                col(u"Наименование", T::Text, Idx),
                col(u"Условия_Хранения", T::Memo),
                col(u"Срок_Годности", T::Text),
            })};
    case BaseId::Sp1078:
        // Hygienic indicators of food safety.
        return {table(u"1078",
            {
                col(u"Код", T::Counter),
                col(u"Группа", T::Text),
                col(u"Наименование", T::Text, Idx),
                col(u"Показатель", T::Text),
                col(u"Норма", T::Text),
                col(u"Прим", T::Memo),
            })};
    case BaseId::Organoleptic:
        // Appearance, colour, consistency, taste and smell of a product.
        return {table(u"org",
            {
                col(u"ID", T::Counter),
                col(u"Name", T::Text, Idx),
                col(u"Внешний_вид", T::Memo),
                col(u"Цвет", T::Memo),
                col(u"Консистенция", T::Memo),
                col(u"Вкус", T::Memo),
                col(u"Запах", T::Memo),
            })};
    default:
        return {};
    }
}

std::vector<TableDef> journalTables()
{
    // Every table is named by a setting; the subjects of a journal entry are
    // employees (jur_z) or pieces of equipment (jur_h), one entry per day.
    return {
        journalTable(u"jur_h", u"tbJurH",
            {
                col(u"obor_id", T::Long, Idx),
                col(u"date_t", T::Date, Idx),
                col(u"Results", T::Text),
            }),
        journalTable(u"obor", u"tbObor", {col(u"obor_n", T::Text), col(u"id_struc", T::Long)}),
        journalTable(u"struc", u"tbStruc", {col(u"Caption", T::Text)}),
        journalTable(u"jur_z", u"tbJurZ",
            {
                col(u"work_id", T::Long, Idx),
                col(u"date_t", T::Date, Idx),
                col(u"Results", T::Text),
            }),
        journalTable(u"post", u"tbPost", {col(u"Caption", T::Text)}),
        journalTable(u"results", u"tbResults", {col(u"Results", T::Text)}),
        journalTable(u"work", u"tbWork", {col(u"work_n", T::Text), col(u"id_post", T::Long)}),
    };
}

std::vector<TableDef> rejectionTables()
{
    return {
        renamedTable(u"base", Section::Losses, u"tbBaseRej",
            {
                col(u"ID", T::Counter),
                col(u"date_r", T::Date),
                col(u"dish_name", T::Text, Idx),
                col(u"date_made", T::Date, Idx),
                col(u"time_made", T::Date),
                col(u"time_rejec", T::Date),
                col(u"result", T::Text),
                col(u"permis", T::Text),
                col(u"notes", T::Text),
                col(u"Дата_Операции", T::Date),
                col(u"Group_Name", T::Text, Idx),
            }),
        // The heading of a day's journal: who checked.
        renamedTable(u"title", Section::Losses, u"tbTitRej",
            {
                col(u"ID", T::Counter),
                col(u"date_r", T::Date, Idx),
                col(u"Group_Name", T::Text),
                col(u"Комиссия", T::Memo),
            }),
    };
}

} // namespace kulvera::schema_parts

namespace kulvera {

std::vector<SeedRows> seedRowsOf(BaseId base)
{
    if (base != BaseId::Journals)
        return {};
    // The health marks a new journals base offers, in this order.
    SeedRows marks {QStringLiteral("results"), {QStringLiteral("Results")}, {}};
    for (const char16_t *mark : {u"зд", u"отс", u"отп", u"в", u"б/л"})
        marks.rows.push_back({QString::fromUtf16(mark)});
    return {marks};
}

const TableDef &captionTable()
{
    using schema_parts::col;
    using T = ColumnType;
    static const TableDef def = schema_parts::table(u"",
        {
            col(u"Name", T::Text, true),
            col(u"Caption", T::Memo),
            col(u"TipText", T::Memo),
            col(u"Accel", T::Text),
            col(u"HelpID", T::Long),
            col(u"WhatsThisHelpID", T::Long),
            col(u"Enabled", T::Boolean),
            col(u"Visible", T::Boolean),
            col(u"TabIndex", T::Long),
            col(u"Tag", T::Text),
        });
    return def;
}

} // namespace kulvera
