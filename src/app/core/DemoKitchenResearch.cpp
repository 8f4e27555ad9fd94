#include "DemoKitchenResearch.h"

#include "DemoKitchen.h"
#include "recipes/DishBase.h"
#include "recipes/HeatTreatment.h"
#include "research/DishReference.h"
#include "research/ProtocolStore.h"
#include "shell/Connections.h"
#include "shell/DishCollections.h"
#include "shell/SqlStatement.h"
#include "util/MethodStore.h"

namespace kulvera {
namespace {

// ILLUSTRATIVE: formulas of the usual kind with made-up measurements, close
// to what the pilaf's recipe gives; a laboratory works by its own methods.
struct DemoParam {
    const char16_t *designation;
    const char16_t *name;
    const char16_t *unit;
    const char16_t *first; // measured in experiment 1
    const char16_t *second;
};

struct DemoMethod {
    const char16_t *name;
    const char16_t *formula;
    const char16_t *compare;
    const char16_t *min;
    const char16_t *max;
    const char16_t *unit;
    const char16_t *nd;
    std::vector<DemoParam> params;
};

const std::vector<DemoMethod> &demoMethods()
{
    static const std::vector<DemoMethod> methods = {
        {u"Массовая доля сухих веществ (высушивание)", u"(m2-m0)/(m1-m0)*100", u"Сухие вещества", u"Сухие вещества*0.9",
            u"Сухие вещества*1.1", u"%", u"ГОСТ Р 54607.2",
            {{u"m0", u"Масса пустой бюксы", u"г", u"18,412", u"18,395"},
                {u"m1", u"Масса бюксы с навеской до высушивания", u"г", u"23,418", u"23,402"},
                {u"m2", u"Масса бюксы с навеской после высушивания", u"г", u"20,021", u"20,044"}}},
        {u"Массовая доля жира (по Герберу)", u"a*11.33/m", u"Жиры", u"Жиры*0.85", u"", u"%", u"ГОСТ Р 54607.2",
            {{u"a", u"Показание жиромера", u"дел.", u"1,25", u"1,3"}, {u"m", u"Масса навески", u"г", u"2,05", u"2,1"}}},
        {u"Массовая доля поваренной соли (титрование)", u"V*K*0.00585*250*100/(n*25)", u"", u"", u"", u"%",
            u"ГОСТ Р 54607.2",
            {{u"V", u"Объем раствора азотнокислого серебра", u"мл", u"1,6", u"1,7"},
                {u"K", u"Поправочный коэффициент", u"", u"1", u"1"}, {u"n", u"Масса навески", u"г", u"5,01", u"5,03"}}},
    };
    return methods;
}

Status fail(const QString &why)
{
    return Status::failure(QStringLiteral("Лабораторные методы: ") + why);
}

} // namespace

Status addDemoResearch(DemoKitchen &kitchen)
{
    Connections &c = kitchen.connections;
    if (c.connectBase(BaseId::Methods, kitchen.shared, true) == Connections::kFailed
        || c.connectBase(BaseId::Protocols, kitchen.shared, true) == Connections::kFailed
        || c.connectBase(BaseId::Dishes, kitchen.shared, true) == Connections::kFailed)
        return fail(QStringLiteral("нет подключения к базе методов, протоколов или блюд"));

    MethodStore methods(c.database(BaseId::Methods), &c.errorLog());
    Protocol protocol;
    {
        Transaction t(c.database(BaseId::Methods), &c.errorLog());
        for (const DemoMethod &m : demoMethods()) {
            const Result<int> id = methods.addMethod(QString::fromUtf16(m.name));
            if (!id)
                return fail(id.error());
            const std::pair<MethodField, const char16_t *> fields[]
                = {{MethodField::Formula, m.formula}, {MethodField::Compare, m.compare}, {MethodField::Min, m.min},
                    {MethodField::Max, m.max}, {MethodField::Unit, m.unit}, {MethodField::Nd, m.nd}};
            for (const auto &[field, value] : fields) {
                if (const Status s = methods.setMethodField(*id, field, QString::fromUtf16(value)); !s)
                    return fail(s.error());
            }
            for (const DemoParam &p : m.params) {
                const Result<int> param = methods.addParam(*id, QString::fromUtf16(p.name));
                if (!param)
                    return fail(param.error());
                if (const Status s
                    = methods.setParamField(*param, ParamField::Designation, QString::fromUtf16(p.designation));
                    !s)
                    return fail(s.error());
                if (const Status s = methods.setParamField(*param, ParamField::Unit, QString::fromUtf16(p.unit)); !s)
                    return fail(s.error());
                protocol.values.insert(*param, {QString::fromUtf16(p.first), QString::fromUtf16(p.second)});
            }
        }
        if (const Status s = t.commit(); !s)
            return fail(s.error());
    }
    const Result<MethodCatalog> catalog = methods.load();
    if (!catalog)
        return fail(catalog.error());
    QList<int> all;
    for (const Method &m : catalog->methods)
        all << m.id;
    addMethods(protocol, *catalog, all);

    const std::optional<QString> table = findRecipeTable(c, kitchen.settings, {});
    if (!table)
        return fail(QStringLiteral("в базе блюд нет таблицы рецептур"));
    const Result<StoredTextCodec> codec
        = installationCodec(c, static_cast<int>(BaseId::Dishes), kitchen.settings, &kitchen.prompter);
    if (!codec)
        return fail(codec.error());
    DishBase dishes(c, static_cast<int>(BaseId::Dishes), kitchen.settings, kitchen.prompter, *codec);
    HeatTreatmentTables losses;
    c.connectBase(BaseId::Losses, kitchen.shared, true);
    c.connectBase(BaseId::LossesOutput, kitchen.shared, true);
    if (const Status s = losses.load(c, kitchen.settings); !s)
        return fail(s.error());
    const QString dish = QString::fromUtf16(kDemoProtocolDish);
    const Result<DishValues> values = computeStoredDish(dishes, *table, dish, {}, losses, kitchen.prompter);
    if (!values)
        return fail(values.error());
    protocol.collection = *table;
    protocol.dish = dish;
    protocol.output = QStringLiteral("220");
    protocol.date = kitchen.firstDay.addDays(-1);
    protocol.note = QStringLiteral("Плановый лабораторный контроль, проба с раздачи");
    takeDishValues(protocol, *values);
    ProtocolStore store(c.database(BaseId::Protocols), &c.errorLog());
    if (const Status s = store.save(protocol); !s)
        return fail(s.error());
    return {};
}

} // namespace kulvera
