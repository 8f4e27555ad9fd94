#include "products/ProductFields.h"

#include <QHash>

namespace kulvera {
namespace {

// member, column, unit, extended, loss-table column, summed, composition-string index, file key
const CompositionField kFields[] = {
    {&clsProds::Voda, u"Вода", u"g", false, u"Voda", true, 39, nullptr},
    {&clsProds::Bel, u"Белки", u"g", false, u"Bel", true, 1, nullptr},
    {&clsProds::BelG, u"ЖБ", u"g", false, u"BG", true, 2, nullptr},
    {&clsProds::BelR, u"РБ", u"g", false, u"BR", true, 3, nullptr},
    {&clsProds::Gir, u"Жир", u"g", false, u"Gir", true, 4, nullptr},
    {&clsProds::GirG, u"ЖЖ", u"g", false, u"GG", true, 5, nullptr},
    {&clsProds::GirR, u"РЖ", u"g", false, u"GR", true, 6, nullptr},
    {&clsProds::Gir_SV, u"Gir_SV", u"g", false, nullptr, false, 15, nullptr},
    {&clsProds::MD, u"Моно", u"g", false, u"MD", true, 7, nullptr},
    {&clsProds::Kr, u"Кр", u"g", false, u"Kr", true, 8, nullptr},
    {&clsProds::Kl, u"КЛ", u"g", false, u"Kl", true, 9, nullptr},
    {&clsProds::UG_SV, u"UG_SV", u"g", false, nullptr, false, 14, nullptr},
    {&clsProds::AO, u"АО", u"%", false, u"АО", true, 10, nullptr},
    {&clsProds::AM, u"АМ", u"g", false, u"АМ", true, 11, nullptr},
    {&clsProds::Org, u"ОргК", u"g", false, u"Org", true, 24, nullptr},
    {&clsProds::Zola, u"Зола", u"g", false, u"Zola", true, 25, nullptr},
    {&clsProds::Na, u"Na", u"mg", false, u"Na", true, 26, nullptr},
    {&clsProds::K, u"K", u"mg", false, u"K", true, 27, nullptr},
    {&clsProds::Ca, u"Ca", u"mg", false, u"Ca", true, 28, nullptr},
    {&clsProds::Mg, u"Mg", u"mg", false, u"Mg", true, 29, nullptr},
    {&clsProds::p, u"P", u"mg", false, u"P", true, 30, nullptr},
    {&clsProds::Fe, u"Fe", u"mg", false, u"Fe", true, 31, nullptr},
    {&clsProds::Zn, u"Zn", u"mg", false, nullptr, true, -1, nullptr},
    {&clsProds::a, u"A", u"µg", false, u"A", true, 32, nullptr},
    {&clsProds::b, u"B", u"µg", false, u"B", true, 33, nullptr},
    {&clsProds::B1, u"B1", u"mg", false, u"B1", true, 34, nullptr},
    {&clsProds::B2, u"B2", u"mg", false, u"B2", true, 35, nullptr},
    {&clsProds::PP, u"PP", u"mg", false, u"PP", true, 36, nullptr},
    {&clsProds::c, u"C", u"mg", false, u"C", true, 37, nullptr},
    {&clsProds::En, u"ЭЦ", u"kcal", false, u"EN", true, 38, nullptr},
    {&clsProds::NGK, u"НЖК", u"g", true, u"НЖК", true, 42, nullptr},
    {&clsProds::PNGK, u"ПНЖК", u"g", true, u"ПНЖК", true, 43, nullptr},
    {&clsProds::Hol, u"Хол", u"mg", true, u"Хол", true, 44, nullptr},
    {&clsProds::RE, u"РЭ", u"µg", true, u"РЭ", true, 47, nullptr},
    {&clsProds::tE, u"ТЭ", u"mg", true, u"ТЭ", true, 48, nullptr},
    {&clsProds::NE, u"НЭ", u"mg", true, u"НЭ", true, 49, nullptr},
    {&clsProds::валин, u"валин", u"mg", true, u"валин", true, 52, nullptr},
    {&clsProds::изолейцин, u"изолейцин", u"mg", true, u"изолейцин", true, 53, nullptr},
    {&clsProds::лейцин, u"лейцин", u"mg", true, u"лейцин", true, 54, nullptr},
    {&clsProds::лизин, u"лизин", u"mg", true, u"лизин", true, 55, nullptr},
    {&clsProds::метионин, u"метионин", u"mg", true, u"метионин", true, 56, nullptr},
    {&clsProds::треонин, u"треонин", u"mg", true, u"треонин", true, 57, nullptr},
    {&clsProds::триптофан, u"триптофан", u"mg", true, u"триптофан", true, 58, nullptr},
    {&clsProds::фенилаланин, u"фенилаланин", u"mg", true, u"фенилаланин", true, 59, nullptr},
    {&clsProds::аланин, u"аланин", u"mg", true, u"аланин", true, 60, nullptr},
    {&clsProds::аргинин, u"аргинин", u"mg", true, u"аргинин", true, 61, nullptr},
    {&clsProds::аспарагиновая, u"аспарагиновая", u"mg", true, u"аспарагиновая", true, 62, nullptr},
    {&clsProds::гистидин, u"гистидин", u"mg", true, u"гистидин", true, 63, nullptr},
    {&clsProds::глицин, u"глицин", u"mg", true, u"глицин", true, 64, nullptr},
    {&clsProds::глутаминовая, u"глутаминовая", u"mg", true, u"глутаминовая", true, 65, nullptr},
    {&clsProds::оксипролин, u"оксипролин", u"mg", true, u"оксипролин", true, 66, nullptr},
    {&clsProds::пролин, u"пролин", u"mg", true, u"пролин", true, 67, nullptr},
    {&clsProds::серин, u"серин", u"mg", true, u"серин", true, 68, nullptr},
    {&clsProds::тирозин, u"тирозин", u"mg", true, u"тирозин", true, 69, nullptr},
    {&clsProds::цистин, u"цистин", u"mg", true, u"цистин", true, 70, nullptr},
    {&clsProds::масляная, u"масляная", u"g", true, u"масляная", true, 71, nullptr},
    {&clsProds::капроновая, u"капроновая", u"g", true, u"капроновая", true, 72, nullptr},
    {&clsProds::каприловая, u"каприловая", u"g", true, u"каприловая", true, 73, nullptr},
    {&clsProds::каприновая, u"каприновая", u"g", true, u"каприновая", true, 74, nullptr},
    {&clsProds::лауриновая, u"лауриновая", u"g", true, u"лауриновая", true, 75, nullptr},
    {&clsProds::миристиновая, u"миристиновая", u"g", true, u"миристиновая", true, 76, nullptr},
    {&clsProds::пентадекановая, u"пентадекановая", u"g", true, u"пентадекановая", true, 77, nullptr},
    {&clsProds::пальмитиновая, u"пальмитиновая", u"g", true, u"пальмитиновая", true, 78, nullptr},
    {&clsProds::маргариновая, u"маргариновая", u"g", true, u"маргариновая", true, 79, nullptr},
    {&clsProds::стеариновая, u"стеариновая", u"g", true, u"стеариновая", true, 80, nullptr},
    {&clsProds::арахиновая, u"арахиновая", u"g", true, u"арахиновая", true, 81, nullptr},
    {&clsProds::бегеновая, u"бегеновая", u"g", true, u"бегеновая", true, 82, nullptr},
    {&clsProds::лигноцериновая, u"лигноцериновая", u"g", true, u"лигноцериновая", true, 83, nullptr},
    {&clsProds::миристолеиновая, u"миристолеиновая", u"g", true, u"миристолеиновая", true, 84, nullptr},
    {&clsProds::пальмитолеиновая, u"пальмитолеиновая", u"g", true, u"пальмитолеиновая", true, 85, nullptr},
    {&clsProds::олеиновая, u"олеиновая", u"g", true, u"олеиновая", true, 86, nullptr},
    {&clsProds::гадолеиновая, u"гадолеиновая", u"g", true, u"гадолеиновая", true, 87, nullptr},
    {&clsProds::эруковая, u"эруковая", u"g", true, u"эруковая", true, 88, nullptr},
    {&clsProds::линолевая, u"линолевая", u"g", true, u"линолевая", true, 89, nullptr},
    {&clsProds::линоленовая, u"линоленовая", u"g", true, u"линоленовая", true, 90, nullptr},
    {&clsProds::арахидоновая, u"арахидоновая", u"g", true, u"арахидоновая", true, 91, nullptr},
    {&clsProds::РПВ, u"РПВ", u"g", true, u"РПВ", true, 93, nullptr},
    {&clsProds::НПВ, u"НПВ", u"g", true, u"НПВ", true, 94, nullptr},
    {&clsProds::Аденин, u"Аденин", u"g", true, u"Аденин", true, 95, nullptr},
    {&clsProds::Гуанин, u"Гуанин", u"g", true, u"Гуанин", true, 96, nullptr},
    {&clsProds::PH, u"pH", u"", true, u"PH", false, 97, nullptr},
    {&clsProds::sv, nullptr, u"g", false, u"SV", true, 0, nullptr},
    {&clsProds::MGK, nullptr, u"g", false, u"МЖК", true, 92, nullptr},
    {&clsProds::i, nullptr, u"", false, nullptr, true, -1, nullptr},
    {&clsProds::cGir, nullptr, u"g", false, nullptr, true, 12, nullptr},
    {&clsProds::CUg, nullptr, u"g", false, nullptr, true, 13, nullptr},
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
