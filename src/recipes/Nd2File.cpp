#include "recipes/Nd2File.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/StrSeparator.h"
#include "recipes/DishComposition.h"
#include "recipes/Masses.h"
#include "recipes/Microbiology.h"
#include "shell/INI_Work.h"
#include "shell/SharedSettings.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <limits>
#include <variant>
#include <vector>

namespace kulvera {
namespace {

// How one key of a position section maps to the record.
struct FlagMember {
    std::int16_t clsProds::*member; // written "True"/"False"
};
struct KeyMember {
}; // Kod: text held in a variant
using Member = std::variant<double clsProds::*, QString clsProds::*, std::int16_t clsProds::*, std::int32_t clsProds::*,
    FlagMember, KeyMember>;

struct PositionKey {
    const char16_t *key;
    Member member;
    bool readBack = true;
};

// Every key of a position section in the order it is written.
const PositionKey kPositionKeys[] = {
    {u"FullName", &clsProds::FullName},
    {u"ShortName", &clsProds::ShortName},
    {u"Brutto", &clsProds::Brutto},
    {u"Netto", &clsProds::Netto},
    {u"Oform", &clsProds::Oform},
    {u"OkRead", &clsProds::OkRead},
    {u"Org", &clsProds::Org},
    {u"Out", &clsProds::Out},
    {u"SV", &clsProds::sv},
    {u"Voda", &clsProds::Voda},
    {u"Bel", &clsProds::Bel},
    {u"BelG", &clsProds::BelG},
    {u"BelR", &clsProds::BelR},
    {u"Gir", &clsProds::Gir},
    {u"GirG", &clsProds::GirG},
    {u"GirR", &clsProds::GirR},
    {u"MD", &clsProds::MD},
    {u"Kl", &clsProds::Kl},
    {u"Kr", &clsProds::Kr},
    {u"AM", &clsProds::AM},
    {u"AO", &clsProds::AO},
    {u"cGir", &clsProds::cGir},
    {u"CUg", &clsProds::CUg},
    {u"Gir_SV", &clsProds::Gir_SV, false},
    {u"UG_SV", &clsProds::UG_SV},
    {u"Num_Norm", &clsProds::Num_Norm, false},
    {u"Expand", FlagMember {&clsProds::Expand}, false},
    {u"NameND", &clsProds::NameND},
    {u"HS_Full", FlagMember {&clsProds::HS_Full}},
    {u"Kod", KeyMember {}},
    {u"ID", &clsProds::Id},
    {u"ID_MB", &clsProds::ID_MB},
    {u"ID_Price", &clsProds::ID_Price},
    {u"ID_Prod", &clsProds::ID_Prod},
    {u"TN_Vid", &clsProds::TN_Vid},
    {u"Num_In_Base", &clsProds::Num_In_Base},
    {u"HidePF", &clsProds::HidePF},
    {u"STNid", &clsProds::STNid, false},
    {u"STNFull", &clsProds::STNFull},
    {u"STNTit", &clsProds::STNTit},
    {u"Pref", &clsProds::Pref},
    {u"ID_Koef", &clsProds::ID_Koef},
    {u"ID_EDI", &clsProds::ID_EDI},
    {u"AktDate", &clsProds::AktDate},
    {u"Scode", &clsProds::sCode},
    {u"bUseInCalc", &clsProds::bUseInCalc},
    {u"bUseInCalcHS", &clsProds::bUseInCalcHS},
    {u"Cost", &clsProds::Cost},
    {u"CostPerc", &clsProds::CostPerc},
    {u"CostVal", &clsProds::CostVal},
    {u"D_Col", &clsProds::D_Col},
    {u"DateCalc", &clsProds::DateCalc},
    {u"En", &clsProds::En},
    {u"i", &clsProds::i},
    {u"l_Godn", &clsProds::l_Godn},
    {u"l_Hran", &clsProds::l_Hran},
    {u"l_ND", &clsProds::l_ND},
    {u"Mans", &clsProds::Mans},
    {u"ND", &clsProds::ND},
    {u"NumCalc", &clsProds::NumCalc},
    {u"Photo", &clsProds::Photo},
    {u"Use", &clsProds::Use},
    {u"Hol", &clsProds::Hol},
    {u"Fe", &clsProds::Fe},
    {u"a", &clsProds::a},
    {u"b", &clsProds::b},
    {u"B1", &clsProds::B1},
    {u"B2", &clsProds::B2},
    {u"c", &clsProds::c},
    {u"Ca", &clsProds::Ca},
    {u"K", &clsProds::K},
    {u"Mg", &clsProds::Mg},
    {u"MGK", &clsProds::MGK},
    {u"Na", &clsProds::Na},
    {u"NE", &clsProds::NE},
    {u"NGK", &clsProds::NGK},
    {u"p", &clsProds::p},
    {u"PH", &clsProds::PH},
    {u"PNGK", &clsProds::PNGK},
    {u"PP", &clsProds::PP},
    {u"RE", &clsProds::RE},
    {u"tE", &clsProds::tE},
    {u"Zola", &clsProds::Zola},
    {u"РПВ", &clsProds::РПВ},
    {u"НПВ", &clsProds::НПВ},
    {u"Аденин", &clsProds::Аденин},
    {u"аланин", &clsProds::аланин},
    {u"арахидоновая", &clsProds::арахидоновая},
    {u"арахиновая", &clsProds::арахиновая},
    {u"аргинин", &clsProds::аргинин},
    {u"аспарагиновая", &clsProds::аспарагиновая},
    {u"бегеновая", &clsProds::бегеновая},
    {u"валин", &clsProds::валин},
    {u"гадолеиновая", &clsProds::гадолеиновая},
    {u"гистидин", &clsProds::гистидин},
    {u"глицин", &clsProds::глицин},
    {u"глутаминовая", &clsProds::глутаминовая},
    {u"Гуанин", &clsProds::Гуанин},
    {u"изолейцин", &clsProds::изолейцин},
    {u"каприловая", &clsProds::каприловая},
    {u"каприновая", &clsProds::каприновая},
    {u"капроновая", &clsProds::капроновая},
    {u"лауриновая", &clsProds::лауриновая},
    {u"лейцин", &clsProds::лейцин},
    {u"лигноцериновая", &clsProds::лигноцериновая},
    {u"лизин", &clsProds::лизин},
    {u"линолевая", &clsProds::линолевая},
    {u"линоленовая", &clsProds::линоленовая},
    {u"маргариновая", &clsProds::маргариновая},
    {u"масляная", &clsProds::масляная},
    {u"метионин", &clsProds::метионин},
    {u"миристиновая", &clsProds::миристиновая},
    {u"миристолеиновая", &clsProds::миристолеиновая},
    {u"оксипролин", &clsProds::оксипролин},
    {u"олеиновая", &clsProds::олеиновая},
    {u"пальмитиновая", &clsProds::пальмитиновая},
    {u"пальмитолеиновая", &clsProds::пальмитолеиновая},
    {u"пентадекановая", &clsProds::пентадекановая},
    {u"пролин", &clsProds::пролин},
    {u"серин", &clsProds::серин},
    {u"стеариновая", &clsProds::стеариновая},
    {u"тирозин", &clsProds::тирозин},
    {u"треонин", &clsProds::треонин},
    {u"триптофан", &clsProds::триптофан},
    {u"фенилаланин", &clsProds::фенилаланин},
    {u"цистин", &clsProds::цистин},
    {u"эруковая", &clsProds::эруковая},
};

// The keys as strings, made once: every position of every file uses them.
const std::vector<QString> &positionKeyNames()
{
    static const std::vector<QString> names = [] {
        std::vector<QString> out;
        for (const PositionKey &k : kPositionKeys)
            out.push_back(QString::fromUtf16(k.key));
        return out;
    }();
    return names;
}

const QString kSupported = QStringLiteral("Поддержкивается загрузка только файлов второго типа (.nd2)!");

// A line break inside a value would end the value and could make the next
// line a key or a section of its own: line breaks travel as this marker.
const QString kLineBreakMarker = QStringLiteral("<BR>");

QString fileValue(const QString &text)
{
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString v = text;
    v.replace(QStringLiteral("\r\n"), kLineBreakMarker);
    v.replace(u'\n', kLineBreakMarker);
    v.replace(u'\r', kLineBreakMarker);
    return v;
}

QString textOfValue(const QString &value)
{
    if (!value.contains(kLineBreakMarker, Qt::CaseInsensitive))
        return value;
    QString t = value;
    t.replace(kLineBreakMarker, QStringLiteral("\r\n"), Qt::CaseInsensitive);
    return t;
}

QString flagText(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

QString fixedText(double value, int decimals)
{
    return formatFixed(value, decimals);
}

QString valueOf(const clsProds &p, const Member &member)
{
    return std::visit(
        [&p](const auto &m) -> QString {
            using M = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<M, double clsProds::*>)
                return formatNumber(p.*m);
            else if constexpr (std::is_same_v<M, QString clsProds::*>)
                return fileValue(p.*m);
            else if constexpr (std::is_same_v<M, FlagMember>)
                return flagText(p.*(m.member) != 0);
            else if constexpr (std::is_same_v<M, KeyMember>)
                return p.Kod.toString();
            else
                return QString::number(p.*m);
        },
        member);
}

template <typename Int> bool setInteger(Int &target, const QString &value)
{
    const std::optional<double> n = parseNumber(value);
    if (!n || !std::isfinite(*n))
        return false;
    const double r = std::round(*n);
    if (r < static_cast<double>(std::numeric_limits<Int>::min())
        || r > static_cast<double>(std::numeric_limits<Int>::max()))
        return false;
    target = static_cast<Int>(r);
    return true;
}

// Sets the field from a value read; false when a number is not one.
bool setValue(clsProds &p, const Member &member, const QString &value)
{
    return std::visit(
        [&p, &value](const auto &m) -> bool {
            using M = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<M, double clsProds::*>) {
                if (value.trimmed().isEmpty()) {
                    p.*m = 0;
                    return true;
                }
                const std::optional<double> n = parseNumber(value);
                if (!n || !std::isfinite(*n))
                    return false;
                p.*m = *n;
                return true;
            } else if constexpr (std::is_same_v<M, QString clsProds::*>) {
                p.*m = textOfValue(value);
                return true;
            } else if constexpr (std::is_same_v<M, FlagMember>) {
                p.*(m.member) = parseFlagText(value.trimmed()) ? 1 : 0;
                return true;
            } else if constexpr (std::is_same_v<M, KeyMember>) {
                p.Kod = value;
                return true;
            } else {
                if (value.trimmed().isEmpty()) {
                    p.*m = 0;
                    return true;
                }
                return setInteger(p.*m, value);
            }
        },
        member);
}

// Major, minor and revision of the program's version text ("5.00.00...").
QStringList versionParts()
{
    const QStringList parts = SharedSettings::kVersion.split(u'.');
    QStringList out;
    for (int i = 0; i < 3; ++i)
        out << QString::number(i < parts.size() ? parts[i].toInt() : 0);
    return out;
}

QString ndPart(const QStringList &parts, int n)
{
    return n >= 1 && n <= parts.size() ? parts[n - 1] : QString();
}

void writeMicrobiology(
    INI_Work &ini, const RecipeFileHeader &header, const RecipeFileContext &context, const QString &sectionPrefix)
{
    const QString mb = sectionPrefix + QStringLiteral("mb");
    const IndicatorSet *set = nullptr;
    if (context.microbiology && header.microbiology > 0)
        set = context.microbiology->find(header.microbiology, header.cardType == 2);
    auto col = [set](int n) { return set ? fileValue((*set)[static_cast<size_t>(n - 1)]) : QString(); };
    ini.setValue(mb, QStringLiteral("index"), QString::number(header.microbiology));
    ini.setValue(mb, QStringLiteral("id"), set ? QString::number(header.microbiology) : QString());
    ini.setValue(mb, QStringLiteral("name"), col(1));
    ini.setValue(mb, QStringLiteral("prim"), col(11));
    ini.setValue(mb, QStringLiteral("treb"), col(10));
    ini.setValue(mb, QStringLiteral("kmafanm"), col(2));
    ini.setValue(mb, QStringLiteral("bgkp"), col(3));
    ini.setValue(mb, QStringLiteral("aureus"), col(6));
    ini.setValue(mb, QStringLiteral("coli"), col(4));
    ini.setValue(mb, QStringLiteral("droggi"), col(8));
    ini.setValue(mb, QStringLiteral("pleseni"), col(9));
    ini.setValue(mb, QStringLiteral("proteus"), col(5));
}

// Sections "fh" and "ec": values per 100 g of the dish.
void writeComputed(INI_Work &ini, const RecipeFileHeader &header, const DishValues &v, const QString &sectionPrefix)
{
    const clsProds &h = v.per100;
    const QString fh = sectionPrefix + QStringLiteral("fh");
    if (header.cardType == 4) {
        ini.setValue(fh, QStringLiteral("alc_min"), fixedText(0, 1));
        ini.setValue(fh, QStringLiteral("alc_sug"), fixedText(0, 1));
    }
    ini.setValue(fh, QStringLiteral("sv"), fixedText(v.dryMatter, 1));
    ini.setValue(fh, QStringLiteral("fat"), fixedText(h.Gir, 1));
    ini.setValue(fh, QStringLiteral("free_sug"), fixedText(h.MD, 1));
    ini.setValue(fh, QStringLiteral("sug_mds"), fixedText(h.MD, 1));
    ini.setValue(fh, QStringLiteral("spirt"), fixedText(0, 1));
    ini.setValue(fh, QStringLiteral("carb"), fixedText(carbohydrates(h), 1));

    const QString ec = sectionPrefix + QStringLiteral("ec");
    ini.setValue(ec, QStringLiteral("carb"), fixedText(carbohydrates(h), 2));
    ini.setValue(ec, QStringLiteral("protein"), fixedText(h.Bel, 2));
    ini.setValue(ec, QStringLiteral("fat"), fixedText(h.Gir, 2));
    ini.setValue(ec, QStringLiteral("pv"), fixedText(h.Kl, 2));
    ini.setValue(ec, QStringLiteral("mds"), fixedText(h.MD, 2));
    ini.setValue(ec, QStringLiteral("kr"), fixedText(h.Kr, 2));
    ini.setValue(ec, QStringLiteral("vit_c"), fixedText(h.c, 2));
    ini.setValue(ec, QStringLiteral("min_ca"), fixedText(h.Ca, 2));
    ini.setValue(ec, QStringLiteral("min_fe"), fixedText(h.Fe, 2));
    ini.setValue(ec, QStringLiteral("vit_b1"), fixedText(h.B1, 3));
    ini.setValue(ec, QStringLiteral("vit_b2"), fixedText(h.B2, 3));
    ini.setValue(ec, QStringLiteral("ec_cal"), fixedText(v.kcalPer100, 1));
    ini.setValue(ec, QStringLiteral("ec_kdj"), fixedText(v.kjPer100, 1));
}

const char16_t *const kTextKeys[7] = {u"tehnol", u"treb", u"vneh", u"cvet", u"kons", u"vkus", u"zap"};

void log(const RecipeFileContext &context, const QString &text)
{
    if (context.log)
        context.log(text);
}

// The reading refusals: an error box, and the slot stays as it was.
Result<RecipeFileHeader> refuse(const RecipeFileContext &context, const QString &text)
{
    context.prompter.error(text);
    return Result<RecipeFileHeader>::failure(text);
}

QString wrongValueText(const QString &key, const QString &section)
{
    return QStringLiteral("Ошибочное значение '") + key + QStringLiteral("' в секции '") + section
        + QStringLiteral("' файла рецептуры");
}

// An integer of the header: absent keeps the default; a value that is not a
// whole number in range fails.
bool headerInteger(const INI_Work &ini, const QString &mainSection, const QString &key, int &target)
{
    if (!ini.ValueExists(mainSection, key) || ini.Value(mainSection, key).trimmed().isEmpty())
        return true;
    return setInteger(target, ini.Value(mainSection, key));
}

// `sectionPrefix` begins every section name of the recipe (a recipe inside a
// ration file), `positionPrefix` the position sections only.
Result<RecipeFileHeader> loadRecipeIni(colBludo &slot, const INI_Work &ini, const RecipeFileContext &context,
    const QString &sectionPrefix, const QString &positionPrefix)
{
    const QString mainSection = sectionPrefix + QStringLiteral("main");
    const QString prefix = sectionPrefix + positionPrefix;
    if (!ini.SectionExists(mainSection))
        return refuse(context, QStringLiteral("Не найдена основная секция файла (секция main)"));

    if (!ini.ValueExists(mainSection, QStringLiteral("type")))
        return refuse(context, QStringLiteral("Не определить тип файла (значение type)"));
    const QString type = ini.Value(mainSection, QStringLiteral("type"));
    if (type.compare(u"nd2", Qt::CaseInsensitive) != 0 && type.compare(u"menu", Qt::CaseInsensitive) != 0)
        return refuse(context, QStringLiteral("Ошибка типа (значение type)") + u'\n' + kSupported);

    if (!ini.ValueExists(mainSection, QStringLiteral("version")))
        return refuse(context, QStringLiteral("Не идентифицирована версия файла  (значение Version)"));
    const std::optional<double> version = parseNumber(ini.Value(mainSection, QStringLiteral("version")));
    if (!version || !std::isfinite(*version))
        return refuse(
            context, QStringLiteral("Ошибка версии") + u'\n' + kSupported + QStringLiteral("  (значение Version)"));
    if (*version < kRecipeFileVersion)
        return refuse(
            context, QStringLiteral("Ошибка версии (2)") + u'\n' + kSupported + QStringLiteral(" (значение Version)"));

    if (!ini.ValueExists(mainSection, QStringLiteral("count")))
        return refuse(context, QStringLiteral("Не установлено количество продуктов в рецептуре (значение count)"));
    const QString countError = QStringLiteral("Ошибка версии") + u'\n'
        + QStringLiteral("Ошибочное значения количества позиций в рецептуре (значение count)!");
    int count = 0;
    if (!setInteger(count, ini.Value(mainSection, QStringLiteral("count")))
        || *parseNumber(ini.Value(mainSection, QStringLiteral("count"))) != count)
        return refuse(context, countError);
    if (count == 0)
        return refuse(context, QStringLiteral("В рецептуре нет продуктов (значение count)"));
    // A file cannot describe more positions than it has sections; such a
    // count would only walk through sections that are not there.
    if (count < 0 || count > ini.SectionsCount())
        return refuse(context, countError);

    // A damaged or foreign file: a section written twice, or a value no
    // recipe has, is not read at all.
    if (const auto repeated = ini.firstRepeatedSection())
        return refuse(
            context, QStringLiteral("Секция '") + *repeated + QStringLiteral("' повторяется в файле рецептуры"));
    if (const auto tooLong = ini.firstValueLongerThan(kMaxRecipeValueChars))
        return refuse(context, wrongValueText(tooLong->second, tooLong->first));

    RecipeFileHeader header;
    header.name = textOfValue(ini.Value(mainSection, QStringLiteral("name")));
    header.output = textOfValue(ini.Value(mainSection, QStringLiteral("out")));
    if (!headerInteger(ini, mainSection, QStringLiteral("vid"), header.cardType))
        return refuse(context, wrongValueText(QStringLiteral("vid"), mainSection));
    if (!headerInteger(ini, mainSection, QStringLiteral("mb"), header.microbiology))
        return refuse(context, wrongValueText(QStringLiteral("mb"), mainSection));
    for (int i = 0; i < 7; ++i)
        header.texts[i] = textOfValue(ini.Value(mainSection, QString::fromUtf16(kTextKeys[i])));
    header.out1 = textOfValue(ini.Value(mainSection, QStringLiteral("out1")));
    header.out2 = textOfValue(ini.Value(mainSection, QStringLiteral("out2")));
    header.out3 = textOfValue(ini.Value(mainSection, QStringLiteral("out3")));
    header.stn = textOfValue(ini.Value(mainSection, QStringLiteral("stn")));
    header.diet = textOfValue(ini.Value(mainSection, QStringLiteral("diet")));
    header.otv = textOfValue(ini.Value(mainSection, QStringLiteral("otv")));
    header.zav = textOfValue(ini.Value(mainSection, QStringLiteral("zav")));

    std::vector<clsProds> positions;
    for (int n = 1; n <= count; ++n) {
        const QString section = prefix + QString::number(n);
        if (!ini.SectionExists(section)) {
            const QString text
                = QStringLiteral("Не найдено описание позиции ") + section + QStringLiteral(" в рецептуре");
            context.prompter.show({kMissingPositionNoticeKey.toString(), text, Prompter::kErrorTitle,
                Prompter::Buttons::Ok, Prompter::Icon::Critical, kMissingPositionNoticeKey.toString()});
            continue;
        }
        clsProds p;
        const std::vector<QString> &keys = positionKeyNames();
        for (size_t i = 0; i < keys.size(); ++i) {
            const PositionKey &k = kPositionKeys[i];
            if (!k.readBack)
                continue;
            const std::optional<QString> value = ini.ValueIfExists(section, keys[i]);
            if (value && !setValue(p, k.member, *value))
                return refuse(context, wrongValueText(keys[i], section));
        }
        if (!ini.ValueExists(section, QStringLiteral("Pref")))
            p.Pref = QStringLiteral("г");
        positions.push_back(std::move(p));
    }
    if (positions.empty())
        return refuse(context, QStringLiteral("В рецептуре нет продуктов (значение count)"));

    slot.Clear();
    slot.reserve(static_cast<int>(positions.size()));
    for (clsProds &p : positions)
        slot.Add(clsBludo(std::move(p)));
    log(context, QStringLiteral("Файл загружен"));
    return header;
}

// Every section of a recipe: "main", the positions, "mb", "fh", "ec".
void fillRecipeIni(INI_Work &ini, const colBludo &slot, const RecipeFileHeader &header, const DishValues &values,
    const RecipeFileContext &context, const QString &type, const QString &sectionPrefix, const QString &positionPrefix)
{
    const QString mainSection = sectionPrefix + QStringLiteral("main");
    const QDateTime now = context.clock.now();
    const QStringList version = versionParts();
    ini.setValue(mainSection, QStringLiteral("date_cr"), now.toString(QStringLiteral("dd.MM.yyyy")));
    ini.setValue(mainSection, QStringLiteral("time_cr"), now.toString(QStringLiteral("hh:mm")));
    ini.setValue(mainSection, QStringLiteral("kv"), SharedSettings::kProductTitle);
    ini.setValue(mainSection, QStringLiteral("Major"), version[0]);
    ini.setValue(mainSection, QStringLiteral("Minor"), version[1]);
    ini.setValue(mainSection, QStringLiteral("Revision"), version[2]);
    ini.setValue(mainSection, QStringLiteral("S"), QString::number(kBuildNumber));
    ini.setValue(mainSection, QStringLiteral("type"), type);
    ini.setValue(mainSection, QStringLiteral("version"), QString::number(kRecipeFileVersion));
    ini.setValue(mainSection, QStringLiteral("count"), QString::number(slot.Count()));
    ini.setValue(mainSection, QStringLiteral("name"), fileValue(header.name));
    ini.setValue(mainSection, QStringLiteral("out"), fileValue(header.output));
    ini.setValue(mainSection, QStringLiteral("out_d"), formatNumber(outputValue(header.output)));
    ini.setValue(mainSection, QStringLiteral("vid"), QString::number(header.cardType));
    ini.setValue(mainSection, QStringLiteral("mb"), QString::number(header.microbiology));
    for (int i = 0; i < 7; ++i)
        ini.setValue(mainSection, QString::fromUtf16(kTextKeys[i]), fileValue(tidyCardText(header.texts[i])));
    ini.setValue(mainSection, QStringLiteral("out1"), fileValue(header.out1));
    ini.setValue(mainSection, QStringLiteral("out2"), fileValue(header.out2));
    ini.setValue(mainSection, QStringLiteral("out3"), fileValue(header.out3));
    ini.setValue(mainSection, QStringLiteral("stn"), fileValue(header.stn));
    ini.setValue(mainSection, QStringLiteral("diet"), fileValue(header.diet));
    ini.setValue(mainSection, QStringLiteral("otv"), fileValue(header.otv));
    ini.setValue(mainSection, QStringLiteral("zav"), fileValue(header.zav));

    int n = 0;
    for (const clsBludo &b : slot) {
        const QString section = sectionPrefix + positionPrefix + QString::number(++n);
        const clsProds &p = b.clsProds();
        const std::vector<QString> &keys = positionKeyNames();
        for (size_t i = 0; i < keys.size(); ++i)
            ini.setValue(section, keys[i], valueOf(p, kPositionKeys[i].member));
    }
    writeMicrobiology(ini, header, context, sectionPrefix);
    writeComputed(ini, header, values, sectionPrefix);
}

} // namespace

QStringList recipeFilePositionKeys()
{
    QStringList keys;
    for (const PositionKey &k : kPositionKeys)
        keys << QString::fromUtf16(k.key);
    return keys;
}

RecipeFileHeader headerOfSlot(const colBludo &slot, const QString &name, const QString &output)
{
    RecipeFileHeader h;
    h.name = name;
    h.output = output;
    if (const clsBludo *first = slot.item(1)) {
        const clsProds &p = first->clsProds();
        h.cardType = p.TN_Vid > 0 ? p.TN_Vid : 1;
        h.microbiology = p.ID_MB;
        h.texts = splitCardTexts(p.Oform);
    }
    return h;
}

QString headerNd(const RecipeFileHeader &h)
{
    return joinStr({QString(), h.otv, QString(), QString(), h.out1, h.out2, h.out3, h.stn, h.diet, h.zav});
}

void setHeaderNd(RecipeFileHeader &h, const QString &nd)
{
    const QStringList parts = splitStr(nd);
    h.otv = ndPart(parts, 2);
    h.out1 = ndPart(parts, 5);
    h.out2 = ndPart(parts, 6);
    h.out3 = ndPart(parts, 7);
    h.stn = ndPart(parts, 8);
    h.diet = ndPart(parts, 9);
    h.zav = ndPart(parts, 10);
}

QString tidyCardText(const QString &text)
{
    if (text.isEmpty())
        return text;
    QString t = text.trimmed();
    while (t.endsWith(u'\r') || t.endsWith(u'\n'))
        t.chop(1);
    if (t.endsWith(u','))
        t[t.size() - 1] = u'.';
    t.replace(QStringLiteral(" ,"), QStringLiteral(","));
    if (!t.endsWith(u'.'))
        t += u'.';
    t.replace(QStringLiteral("  "), QStringLiteral(" "));
    return t;
}

Status saveRecipeFile(colBludo &slot, const RecipeFileHeader &header, const QString &fileName,
    const RecipeFileContext &context, const RecipeFileWriteOptions &options)
{
    Prompter &prompter = context.prompter;
    if (slot.Count() == 0) {
        prompter.error(QStringLiteral("Рецептура не заполнена!"));
        return Status::failure(QStringLiteral("Рецептура не заполнена!"));
    }
    const QFileInfo file(fileName);
    const QString folder = QDir::toNativeSeparators(file.absolutePath());
    const QFileInfo folderInfo(file.absolutePath());
    if (!folderInfo.isDir() || !folderInfo.isWritable()) {
        const QString text = QStringLiteral("Нет прав на запись в папку '") + folder + u'\'';
        prompter.error(text);
        return Status::failure(text);
    }
    if (file.exists() && options.askReplace) {
        const auto answer = prompter.ask(
            QStringLiteral("Файл с рецептурой '") + fileName + QStringLiteral("' уже имеется. Удалить старый?"),
            Prompter::Buttons::YesNo, {}, Prompter::Icon::Question, QStringLiteral("ReplaceRecipeFile"));
        if (answer != Prompter::Answer::Yes)
            return Status::failure(QString());
    }

    log(context, QStringLiteral("Подан запрос на сохранение рецептуры в файл"));
    log(context, QStringLiteral("Подсчитываем химический состав..."));
    const DishValues values = computeDish(slot, header.name, outputValue(header.output), context.losses, prompter);

    INI_Work ini;
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const qsizetype slash = std::max(fileName.lastIndexOf(u'/'), fileName.lastIndexOf(u'\\'));
    fillRecipeIni(
        ini, slot, header, values, context, dot > slash ? fileName.mid(dot + 1) : QString(), {}, options.prefix);

    if (const Status s = ini.writeTo(fileName, options.sync); !s) {
        const QString text
            = QStringLiteral("Не удалось записать файл '") + fileName + QStringLiteral("': ") + s.error();
        prompter.error(text);
        return Status::failure(text);
    }
    if (options.report)
        prompter.message(QStringLiteral("Файл рецептуры '") + fileName + QStringLiteral("' сохранен."));
    return {};
}

Result<RecipeFileHeader> loadRecipeFile(
    colBludo &slot, const QString &fileName, const RecipeFileContext &context, const QString &prefix)
{
    const QFileInfo info(fileName);
    if (info.exists() && info.size() > kMaxRecipeFileBytes)
        return refuse(context,
            QStringLiteral("Файл '") + fileName + QStringLiteral("' не является файлом рецептуры: ")
                + QStringLiteral("размер ") + QString::number(info.size()) + QStringLiteral(" байт"));
    INI_Work ini(&context.prompter);
    ini.setFilename(fileName);
    return loadRecipeIni(slot, ini, context, {}, prefix);
}

Result<RecipeFileHeader> loadRecipeText(
    colBludo &slot, const QString &text, const RecipeFileContext &context, const QString &prefix)
{
    INI_Work ini;
    ini.loadText(text);
    return loadRecipeIni(slot, ini, context, {}, prefix);
}

void addRecipeSections(INI_Work &ini, const colBludo &slot, const RecipeFileHeader &header,
    const RecipeFileContext &context, const QString &sectionPrefix, const QString &type)
{
    // The values per 100 g are worked out on a copy: the recipe itself is
    // written as it stands.
    colBludo copy;
    copy.reserve(slot.Count());
    for (const clsBludo &b : slot)
        copy.Add(clsBludo(b.clsProds()));
    const DishValues values
        = computeDish(copy, header.name, outputValue(header.output), context.losses, context.prompter);
    fillRecipeIni(ini, slot, header, values, context, type, sectionPrefix, {});
}

Result<RecipeFileHeader> readRecipeSections(
    colBludo &slot, const INI_Work &ini, const RecipeFileContext &context, const QString &sectionPrefix)
{
    return loadRecipeIni(slot, ini, context, sectionPrefix, {});
}

} // namespace kulvera
