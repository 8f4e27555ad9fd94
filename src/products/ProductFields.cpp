#include "products/ProductFields.h"

#include <QHash>

namespace kulvera {
namespace {

// member, column, unit, extended, loss-table column, summed, composition-string index, file key
const CompositionField kFields[] = {
    {&clsProds::Voda, u"Вода", u"g", false, u"Voda", true, -1, nullptr},
    {&clsProds::Bel, u"Белки", u"g", false, u"Bel", true, -1, nullptr},
    {&clsProds::BelG, u"ЖБ", u"g", false, u"BG", true, -1, nullptr},
    {&clsProds::BelR, u"РБ", u"g", false, u"BR", true, -1, nullptr},
    {&clsProds::Gir, u"Жир", u"g", false, u"Gir", true, -1, nullptr},
    {&clsProds::GirG, u"ЖЖ", u"g", false, u"GG", true, -1, nullptr},
    {&clsProds::GirR, u"РЖ", u"g", false, u"GR", true, -1, nullptr},
    {&clsProds::Gir_SV, u"Gir_SV", u"g", false, nullptr, false, -1, nullptr},
    {&clsProds::MD, u"Моно", u"g", false, u"MD", true, -1, nullptr},
    {&clsProds::Kr, u"Кр", u"g", false, u"Kr", true, -1, nullptr},
    {&clsProds::Kl, u"КЛ", u"g", false, u"Kl", true, -1, nullptr},
    {&clsProds::UG_SV, u"UG_SV", u"g", false, nullptr, false, -1, nullptr},
    {&clsProds::AO, u"АО", u"%", false, u"АО", true, -1, nullptr},
    {&clsProds::AM, u"АМ", u"g", false, u"АМ", true, -1, nullptr},
    {&clsProds::Org, u"ОргК", u"g", false, u"Org", true, -1, nullptr},
    {&clsProds::Zola, u"Зола", u"g", false, u"Zola", true, -1, nullptr},
    {&clsProds::Na, u"Na", u"mg", false, u"Na", true, -1, nullptr},
    {&clsProds::K, u"K", u"mg", false, u"K", true, -1, nullptr},
    {&clsProds::Ca, u"Ca", u"mg", false, u"Ca", true, -1, nullptr},
    {&clsProds::Mg, u"Mg", u"mg", false, u"Mg", true, -1, nullptr},
    {&clsProds::p, u"P", u"mg", false, u"P", true, -1, nullptr},
    {&clsProds::Fe, u"Fe", u"mg", false, u"Fe", true, -1, nullptr},
    {&clsProds::Zn, u"Zn", u"mg", false, nullptr, true, -1, nullptr},
    {&clsProds::a, u"A", u"µg", false, u"A", true, -1, nullptr},
    {&clsProds::b, u"B", u"µg", false, u"B", true, -1, nullptr},
    {&clsProds::B1, u"B1", u"mg", false, u"B1", true, -1, nullptr},
    {&clsProds::B2, u"B2", u"mg", false, u"B2", true, -1, nullptr},
    {&clsProds::PP, u"PP", u"mg", false, u"PP", true, -1, nullptr},
    {&clsProds::c, u"C", u"mg", false, u"C", true, -1, nullptr},
    {&clsProds::En, u"ЭЦ", u"kcal", false, u"EN", true, -1, nullptr},
    {&clsProds::NGK, u"НЖК", u"g", true, u"НЖК", true, -1, nullptr},
    {&clsProds::PNGK, u"ПНЖК", u"g", true, u"ПНЖК", true, -1, nullptr},
    {&clsProds::Hol, u"Хол", u"mg", true, u"Хол", true, -1, nullptr},
    {&clsProds::RE, u"РЭ", u"µg", true, u"РЭ", true, -1, nullptr},
    {&clsProds::tE, u"ТЭ", u"mg", true, u"ТЭ", true, -1, nullptr},
    {&clsProds::NE, u"НЭ", u"mg", true, u"НЭ", true, -1, nullptr},
    {&clsProds::валин, u"валин", u"mg", true, u"валин", true, -1, nullptr},
    {&clsProds::изолейцин, u"изолейцин", u"mg", true, u"изолейцин", true, -1, nullptr},
    {&clsProds::лейцин, u"лейцин", u"mg", true, u"лейцин", true, -1, nullptr},
    {&clsProds::лизин, u"лизин", u"mg", true, u"лизин", true, -1, nullptr},
    {&clsProds::метионин, u"метионин", u"mg", true, u"метионин", true, -1, nullptr},
    {&clsProds::треонин, u"треонин", u"mg", true, u"треонин", true, -1, nullptr},
    {&clsProds::триптофан, u"триптофан", u"mg", true, u"триптофан", true, -1, nullptr},
    {&clsProds::фенилаланин, u"фенилаланин", u"mg", true, u"фенилаланин", true, -1, nullptr},
    {&clsProds::аланин, u"аланин", u"mg", true, u"аланин", true, -1, nullptr},
    {&clsProds::аргинин, u"аргинин", u"mg", true, u"аргинин", true, -1, nullptr},
    {&clsProds::аспарагиновая, u"аспарагиновая", u"mg", true, u"аспарагиновая", true, -1, nullptr},
    {&clsProds::гистидин, u"гистидин", u"mg", true, u"гистидин", true, -1, nullptr},
    {&clsProds::глицин, u"глицин", u"mg", true, u"глицин", true, -1, nullptr},
    {&clsProds::глутаминовая, u"глутаминовая", u"mg", true, u"глутаминовая", true, -1, nullptr},
    {&clsProds::оксипролин, u"оксипролин", u"mg", true, u"оксипролин", true, -1, nullptr},
    {&clsProds::пролин, u"пролин", u"mg", true, u"пролин", true, -1, nullptr},
    {&clsProds::серин, u"серин", u"mg", true, u"серин", true, -1, nullptr},
    {&clsProds::тирозин, u"тирозин", u"mg", true, u"тирозин", true, -1, nullptr},
    {&clsProds::цистин, u"цистин", u"mg", true, u"цистин", true, -1, nullptr},
    {&clsProds::масляная, u"масляная", u"g", true, u"масляная", true, -1, nullptr},
    {&clsProds::капроновая, u"капроновая", u"g", true, u"капроновая", true, -1, nullptr},
    {&clsProds::каприловая, u"каприловая", u"g", true, u"каприловая", true, -1, nullptr},
    {&clsProds::каприновая, u"каприновая", u"g", true, u"каприновая", true, -1, nullptr},
    {&clsProds::лауриновая, u"лауриновая", u"g", true, u"лауриновая", true, -1, nullptr},
    {&clsProds::миристиновая, u"миристиновая", u"g", true, u"миристиновая", true, -1, nullptr},
    {&clsProds::пентадекановая, u"пентадекановая", u"g", true, u"пентадекановая", true, -1, nullptr},
    {&clsProds::пальмитиновая, u"пальмитиновая", u"g", true, u"пальмитиновая", true, -1, nullptr},
    {&clsProds::маргариновая, u"маргариновая", u"g", true, u"маргариновая", true, -1, nullptr},
    {&clsProds::стеариновая, u"стеариновая", u"g", true, u"стеариновая", true, -1, nullptr},
    {&clsProds::арахиновая, u"арахиновая", u"g", true, u"арахиновая", true, -1, nullptr},
    {&clsProds::бегеновая, u"бегеновая", u"g", true, u"бегеновая", true, -1, nullptr},
    {&clsProds::лигноцериновая, u"лигноцериновая", u"g", true, u"лигноцериновая", true, -1, nullptr},
    {&clsProds::миристолеиновая, u"миристолеиновая", u"g", true, u"миристолеиновая", true, -1, nullptr},
    {&clsProds::пальмитолеиновая, u"пальмитолеиновая", u"g", true, u"пальмитолеиновая", true, -1, nullptr},
    {&clsProds::олеиновая, u"олеиновая", u"g", true, u"олеиновая", true, -1, nullptr},
    {&clsProds::гадолеиновая, u"гадолеиновая", u"g", true, u"гадолеиновая", true, -1, nullptr},
    {&clsProds::эруковая, u"эруковая", u"g", true, u"эруковая", true, -1, nullptr},
    {&clsProds::линолевая, u"линолевая", u"g", true, u"линолевая", true, -1, nullptr},
    {&clsProds::линоленовая, u"линоленовая", u"g", true, u"линоленовая", true, -1, nullptr},
    {&clsProds::арахидоновая, u"арахидоновая", u"g", true, u"арахидоновая", true, -1, nullptr},
    {&clsProds::РПВ, u"РПВ", u"g", true, u"РПВ", true, -1, nullptr},
    {&clsProds::НПВ, u"НПВ", u"g", true, u"НПВ", true, -1, nullptr},
    {&clsProds::Аденин, u"Аденин", u"g", true, u"Аденин", true, -1, nullptr},
    {&clsProds::Гуанин, u"Гуанин", u"g", true, u"Гуанин", true, -1, nullptr},
    {&clsProds::PH, u"pH", u"", true, u"PH", false, -1, nullptr},
    {&clsProds::sv, nullptr, u"g", false, u"SV", true, -1, nullptr},
    {&clsProds::MGK, nullptr, u"g", false, u"МЖК", true, -1, nullptr},
    {&clsProds::i, nullptr, u"", false, nullptr, true, -1, nullptr},
    {&clsProds::cGir, nullptr, u"g", false, nullptr, true, -1, nullptr},
    {&clsProds::CUg, nullptr, u"g", false, nullptr, true, -1, nullptr},
};

} // namespace

std::span<const CompositionField> compositionFields()
{
    return kFields;
}

const CompositionField *compositionFieldByColumn(QStringView column)
{
    static const QHash<QString, const CompositionField *> byColumn = [] {
        QHash<QString, const CompositionField *> map;
        for (const CompositionField &f : kFields) {
            if (f.column)
                map.insert(QString::fromUtf16(f.column), &f);
        }
        return map;
    }();
    return byColumn.value(column.toString(), nullptr);
}

QString lossColumn(int n)
{
    return QStringLiteral("Потери") + QString::number(n);
}

QString variantColumn(int n)
{
    return QStringLiteral("Список") + QString::number(n);
}

void addComposition(clsProds &to, const clsProds &from, double factor)
{
    for (const CompositionField &f : kFields) {
        if (f.summed)
            to.*f.member += from.*f.member * factor;
    }
}

void scaleComposition(clsProds &record, double factor)
{
    for (const CompositionField &f : kFields)
        record.*f.member *= factor;
}

} // namespace kulvera
