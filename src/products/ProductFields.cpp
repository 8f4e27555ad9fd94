#include "products/ProductFields.h"

#include <QHash>

namespace kulvera {
namespace {

using G = CompositionGroup;

// member, column, caption, unit, group, extended, loss-table column, summed, composition-string index, file key.
// Captions are those of the norms form where it has the value.
const CompositionField kFields[] = {
    {&clsProds::Voda, u"Вода", u"Вода", u"г", G::Main, false, u"Voda", true, 39, nullptr},
    {&clsProds::Bel, u"Белки", u"Белки", u"г", G::Main, false, u"Bel", true, 1, nullptr},
    {&clsProds::BelG, u"ЖБ", u"в т.ч. жив. белок", u"г", G::Main, false, u"BG", true, 2, nullptr},
    {&clsProds::BelR, u"РБ", u"раст. белок", u"г", G::Main, false, u"BR", true, 3, nullptr},
    {&clsProds::Gir, u"Жир", u"Жир", u"г", G::Main, false, u"Gir", true, 4, nullptr},
    {&clsProds::GirG, u"ЖЖ", u"в т.ч. жив. жир", u"г", G::Main, false, u"GG", true, 5, nullptr},
    {&clsProds::GirR, u"РЖ", u"раст. жир", u"г", G::Main, false, u"GR", true, 6, nullptr},
    {&clsProds::Gir_SV, u"Gir_SV", u"Жир в пересчёте на сухое вещество", u"г", G::Main, false, nullptr, false, 15,
        nullptr},
    {&clsProds::MD, u"Моно", u"Моно и дисахара (углеводы)", u"г", G::Main, false, u"MD", true, 7, nullptr},
    {&clsProds::Kr, u"Кр", u"Крахмал", u"г", G::Main, false, u"Kr", true, 8, nullptr},
    {&clsProds::Kl, u"КЛ", u"Клетчатка", u"г", G::Main, false, u"Kl", true, 9, nullptr},
    {&clsProds::UG_SV, u"UG_SV", u"Сахар в пересчёте на сухое вещество", u"г", G::Main, false, nullptr, false, 14,
        nullptr},
    {&clsProds::AO, u"АО", u"Алкоголь", u"% об.", G::Main, false, u"АО", true, 10, nullptr},
    {&clsProds::AM, u"АМ", u"Алкоголь", u"г", G::Main, false, u"АМ", true, 11, nullptr},
    {&clsProds::Org, u"ОргК", u"Органические кислоты", u"г", G::Main, false, u"Org", true, 24, nullptr},
    {&clsProds::Zola, u"Зола", u"Зола", u"г", G::Main, false, u"Zola", true, 25, nullptr},
    {&clsProds::Na, u"Na", u"Na", u"мг", G::Minerals, false, u"Na", true, 26, nullptr},
    {&clsProds::K, u"K", u"K", u"мг", G::Minerals, false, u"K", true, 27, nullptr},
    {&clsProds::Ca, u"Ca", u"Ca", u"мг", G::Minerals, false, u"Ca", true, 28, nullptr},
    {&clsProds::Mg, u"Mg", u"Mg", u"мг", G::Minerals, false, u"Mg", true, 29, nullptr},
    {&clsProds::p, u"P", u"P", u"мг", G::Minerals, false, u"P", true, 30, nullptr},
    {&clsProds::Fe, u"Fe", u"Fe", u"мг", G::Minerals, false, u"Fe", true, 31, nullptr},
    {&clsProds::Zn, u"Zn", u"Zn", u"мг", G::Minerals, false, nullptr, true, -1, nullptr},
    {&clsProds::a, u"A", u"Витамин A", u"мкг", G::Vitamins, false, u"A", true, 32, nullptr},
    {&clsProds::b, u"B", u"Бета-каротин", u"мкг", G::Vitamins, false, u"B", true, 33, nullptr},
    {&clsProds::B1, u"B1", u"Витамин B1", u"мг", G::Vitamins, false, u"B1", true, 34, nullptr},
    {&clsProds::B2, u"B2", u"Витамин B2", u"мг", G::Vitamins, false, u"B2", true, 35, nullptr},
    {&clsProds::PP, u"PP", u"Витамин PP", u"мг", G::Vitamins, false, u"PP", true, 36, nullptr},
    {&clsProds::c, u"C", u"Витамин C", u"мг", G::Vitamins, false, u"C", true, 37, nullptr},
    {&clsProds::En, u"ЭЦ", u"Калорийность", u"ккал", G::Main, false, u"EN", true, 38, nullptr},
    {&clsProds::NGK, u"НЖК", u"Насыщенные жирные кислоты", u"г", G::FattyAcids, true, u"НЖК", true, 42, nullptr},
    {&clsProds::PNGK, u"ПНЖК", u"Полиненасыщенные жирные кислоты", u"г", G::FattyAcids, true, u"ПНЖК", true, 43,
        nullptr},
    {&clsProds::Hol, u"Хол", u"Холестерин", u"мг", G::Main, true, u"Хол", true, 44, nullptr},
    {&clsProds::RE, u"РЭ", u"Ретиноловый эквивалент", u"мкг", G::Vitamins, true, u"РЭ", true, 47, nullptr},
    {&clsProds::tE, u"ТЭ", u"Токоферолэквивалент", u"мг", G::Vitamins, true, u"ТЭ", true, 48, nullptr},
    {&clsProds::NE, u"НЭ", u"Ниациновый эквивалент", u"мг", G::Vitamins, true, u"НЭ", true, 49, nullptr},
    {&clsProds::валин, u"валин", u"Валин", u"мг", G::AminoAcids, true, u"валин", true, 52, nullptr},
    {&clsProds::изолейцин, u"изолейцин", u"Изолейцин", u"мг", G::AminoAcids, true, u"изолейцин", true, 53, nullptr},
    {&clsProds::лейцин, u"лейцин", u"Лейцин", u"мг", G::AminoAcids, true, u"лейцин", true, 54, nullptr},
    {&clsProds::лизин, u"лизин", u"Лизин", u"мг", G::AminoAcids, true, u"лизин", true, 55, nullptr},
    {&clsProds::метионин, u"метионин", u"Метионин", u"мг", G::AminoAcids, true, u"метионин", true, 56, nullptr},
    {&clsProds::треонин, u"треонин", u"Треонин", u"мг", G::AminoAcids, true, u"треонин", true, 57, nullptr},
    {&clsProds::триптофан, u"триптофан", u"Триптофан", u"мг", G::AminoAcids, true, u"триптофан", true, 58, nullptr},
    {&clsProds::фенилаланин, u"фенилаланин", u"Фенилаланин", u"мг", G::AminoAcids, true, u"фенилаланин", true, 59,
        nullptr},
    {&clsProds::аланин, u"аланин", u"Аланин", u"мг", G::AminoAcids, true, u"аланин", true, 60, nullptr},
    {&clsProds::аргинин, u"аргинин", u"Аргинин", u"мг", G::AminoAcids, true, u"аргинин", true, 61, nullptr},
    {&clsProds::аспарагиновая, u"аспарагиновая", u"Аспарагиновая кислота", u"мг", G::AminoAcids, true, u"аспарагиновая",
        true, 62, nullptr},
    {&clsProds::гистидин, u"гистидин", u"Гистидин", u"мг", G::AminoAcids, true, u"гистидин", true, 63, nullptr},
    {&clsProds::глицин, u"глицин", u"Глицин", u"мг", G::AminoAcids, true, u"глицин", true, 64, nullptr},
    {&clsProds::глутаминовая, u"глутаминовая", u"Глутаминовая кислота", u"мг", G::AminoAcids, true, u"глутаминовая",
        true, 65, nullptr},
    {&clsProds::оксипролин, u"оксипролин", u"Оксипролин", u"мг", G::AminoAcids, true, u"оксипролин", true, 66, nullptr},
    {&clsProds::пролин, u"пролин", u"Пролин", u"мг", G::AminoAcids, true, u"пролин", true, 67, nullptr},
    {&clsProds::серин, u"серин", u"Серин", u"мг", G::AminoAcids, true, u"серин", true, 68, nullptr},
    {&clsProds::тирозин, u"тирозин", u"Тирозин", u"мг", G::AminoAcids, true, u"тирозин", true, 69, nullptr},
    {&clsProds::цистин, u"цистин", u"Цистин", u"мг", G::AminoAcids, true, u"цистин", true, 70, nullptr},
    {&clsProds::масляная, u"масляная", u"Масляная", u"г", G::FattyAcids, true, u"масляная", true, 71, nullptr},
    {&clsProds::капроновая, u"капроновая", u"Капроновая", u"г", G::FattyAcids, true, u"капроновая", true, 72, nullptr},
    {&clsProds::каприловая, u"каприловая", u"Каприловая", u"г", G::FattyAcids, true, u"каприловая", true, 73, nullptr},
    {&clsProds::каприновая, u"каприновая", u"Каприновая", u"г", G::FattyAcids, true, u"каприновая", true, 74, nullptr},
    {&clsProds::лауриновая, u"лауриновая", u"Лауриновая", u"г", G::FattyAcids, true, u"лауриновая", true, 75, nullptr},
    {&clsProds::миристиновая, u"миристиновая", u"Миристиновая", u"г", G::FattyAcids, true, u"миристиновая", true, 76,
        nullptr},
    {&clsProds::пентадекановая, u"пентадекановая", u"Пентадекановая", u"г", G::FattyAcids, true, u"пентадекановая",
        true, 77, nullptr},
    {&clsProds::пальмитиновая, u"пальмитиновая", u"Пальмитиновая", u"г", G::FattyAcids, true, u"пальмитиновая", true,
        78, nullptr},
    {&clsProds::маргариновая, u"маргариновая", u"Маргариновая", u"г", G::FattyAcids, true, u"маргариновая", true, 79,
        nullptr},
    {&clsProds::стеариновая, u"стеариновая", u"Стеариновая", u"г", G::FattyAcids, true, u"стеариновая", true, 80,
        nullptr},
    {&clsProds::арахиновая, u"арахиновая", u"Арахиновая", u"г", G::FattyAcids, true, u"арахиновая", true, 81, nullptr},
    {&clsProds::бегеновая, u"бегеновая", u"Бегеновая", u"г", G::FattyAcids, true, u"бегеновая", true, 82, nullptr},
    {&clsProds::лигноцериновая, u"лигноцериновая", u"Лигноцериновая", u"г", G::FattyAcids, true, u"лигноцериновая",
        true, 83, nullptr},
    {&clsProds::миристолеиновая, u"миристолеиновая", u"Миристолеиновая", u"г", G::FattyAcids, true, u"миристолеиновая",
        true, 84, nullptr},
    {&clsProds::пальмитолеиновая, u"пальмитолеиновая", u"Пальмитолеиновая", u"г", G::FattyAcids, true,
        u"пальмитолеиновая", true, 85, nullptr},
    {&clsProds::олеиновая, u"олеиновая", u"Олеиновая", u"г", G::FattyAcids, true, u"олеиновая", true, 86, nullptr},
    {&clsProds::гадолеиновая, u"гадолеиновая", u"Гадолеиновая", u"г", G::FattyAcids, true, u"гадолеиновая", true, 87,
        nullptr},
    {&clsProds::эруковая, u"эруковая", u"Эруковая", u"г", G::FattyAcids, true, u"эруковая", true, 88, nullptr},
    {&clsProds::линолевая, u"линолевая", u"Линолевая", u"г", G::FattyAcids, true, u"линолевая", true, 89, nullptr},
    {&clsProds::линоленовая, u"линоленовая", u"Линоленовая", u"г", G::FattyAcids, true, u"линоленовая", true, 90,
        nullptr},
    {&clsProds::арахидоновая, u"арахидоновая", u"Арахидоновая", u"г", G::FattyAcids, true, u"арахидоновая", true, 91,
        nullptr},
    {&clsProds::РПВ, u"РПВ", u"Растворимые пищевые волокна", u"г", G::Main, true, u"РПВ", true, 93, nullptr},
    {&clsProds::НПВ, u"НПВ", u"Нерастворимые пищевые волокна", u"г", G::Main, true, u"НПВ", true, 94, nullptr},
    {&clsProds::Аденин, u"Аденин", u"Аденин", u"г", G::Main, true, u"Аденин", true, 95, nullptr},
    {&clsProds::Гуанин, u"Гуанин", u"Гуанин", u"г", G::Main, true, u"Гуанин", true, 96, nullptr},
    {&clsProds::PH, u"pH", u"Кислотность (pH)", u"", G::Main, true, u"PH", false, 97, nullptr},
    {&clsProds::sv, nullptr, u"Сухие вещества", u"г", G::Main, false, u"SV", true, 0, nullptr},
    {&clsProds::MGK, nullptr, u"Мононенасыщенные жирные кислоты", u"г", G::FattyAcids, false, u"МЖК", true, 92,
        nullptr},
    {&clsProds::i, nullptr, u"Значение i", u"", G::Main, false, nullptr, true, -1, nullptr},
    {&clsProds::cGir, nullptr, u"Значение cGir", u"г", G::Main, false, nullptr, true, 12, nullptr},
    {&clsProds::CUg, nullptr, u"Значение CUg", u"г", G::Main, false, nullptr, true, 13, nullptr},
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

QString fieldCaption(const CompositionField &field)
{
    const QString caption = QString::fromUtf16(field.caption);
    return *field.unit ? caption + QStringLiteral(", ") + QString::fromUtf16(field.unit) : caption;
}

QString compositionGroupCaption(CompositionGroup group)
{
    switch (group) {
    case CompositionGroup::Main:
        return QStringLiteral("Основные пищевые вещества");
    case CompositionGroup::Minerals:
        return QStringLiteral("Минеральные вещества");
    case CompositionGroup::Vitamins:
        return QStringLiteral("Витамины");
    case CompositionGroup::AminoAcids:
        return QStringLiteral("Аминокислоты");
    case CompositionGroup::FattyAcids:
        return QStringLiteral("Жирные кислоты");
    }
    return {};
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
