#include "documents/CardData.h"

#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "recipes/DishComposition.h"
#include "recipes/HeatTreatment.h"
#include "recipes/Masses.h"
#include "recipes/PositionKey.h"

#include <QSet>

namespace kulvera {
namespace {

QString positionName(const clsProds &p)
{
    return p.FullName.trimmed().isEmpty() ? p.ShortName : p.FullName;
}

// The positions of the slot as a tree: top-level positions in their order,
// each semi-finished product followed by its own positions.
class LineBuilder
{
public:
    LineBuilder(const colBludo &slot, const HeatTreatmentTables &losses)
        : slot_(slot)
        , losses_(losses)
    {
    }

    std::vector<CardLine> build()
    {
        for (const clsBludo &b : slot_) {
            const clsProds &p = b.clsProds();
            if (isTopLevel(p.Kod.toString()))
                add(p, 0);
        }
        return std::move(lines_);
    }

    // Lines the table needs: one per product, two per semi-finished product.
    static int count(const colBludo &slot)
    {
        int n = 0;
        for (const clsBludo &b : slot) {
            const QString key = b.clsProds().Kod.toString();
            n += isProductKey(key) ? 1 : isSemiFinishedKey(key) ? 2 : 0;
        }
        return n;
    }

private:
    void add(const clsProds &p, int depth)
    {
        const QString key = p.Kod.toString();
        if (isProductKey(key)) {
            CardLine line = composition(p);
            line.kind = CardLine::Kind::Product;
            line.number = ++number_;
            line.nd = p.ND;
            line.name = positionName(p);
            line.brutto = p.Brutto;
            line.netto = p.Netto;
            lines_.push_back(std::move(line));
            return;
        }
        if (!isSemiFinishedKey(key) || depth > 32 || visited_.contains(key))
            return;
        visited_.insert(key);
        const size_t head = lines_.size();
        CardLine title;
        title.kind = CardLine::Kind::SemiFinished;
        title.name = positionName(p);
        lines_.push_back(title);
        double brutto = 0;
        double netto = 0;
        const QString item = itemNumber(key);
        for (const clsBludo &b : slot_) {
            const clsProds &child = b.clsProds();
            const QString childKey = child.Kod.toString();
            if (childKey == key || parentNumber(childKey) != item)
                continue;
            add(child, depth + 1);
            brutto += child.Brutto;
            netto += child.Netto;
        }
        // The name line carries the raw set; the retention line what is left of it.
        lines_[head].brutto = brutto;
        lines_[head].netto = netto;
        CardLine kept = composition(p);
        kept.kind = CardLine::Kind::Retention;
        kept.name = QStringLiteral("Сохранность");
        // What is left of the raw set after the heat treatment its loss type names.
        const LossType *type = p.Id.trimmed().isEmpty() ? nullptr : losses_.find(p.Id.trimmed());
        kept.netto = type ? netto * (100.0 - type->mass) / 100.0 : netto;
        lines_.push_back(std::move(kept));
    }

    static CardLine composition(const clsProds &p)
    {
        CardLine line;
        line.sv = p.sv;
        line.bel = p.Bel;
        line.belAnimal = p.BelG;
        line.gir = p.Gir;
        line.girVegetable = p.GirR;
        line.md = p.MD;
        line.kr = p.Kr;
        line.ca = p.Ca;
        line.fe = p.Fe;
        line.b1 = p.B1;
        line.b2 = p.B2;
        line.c = p.c;
        return line;
    }

    const colBludo &slot_;
    const HeatTreatmentTables &losses_;
    std::vector<CardLine> lines_;
    QSet<QString> visited_;
    int number_ = 0;
};

} // namespace

QString tooManyPositionsText(int count)
{
    return QStringLiteral("Необходимо расширить возможности шаблонов") + u'\n' + QStringLiteral("В рецептуре: ")
        + QString::number(count) + QStringLiteral(" компонентов. Это больше допустимого");
}

Result<CardData> buildCardData(colBludo &slot, const QString &name, const QString &outputText, int tableRows,
    const HeatTreatmentTables &losses, const MicrobiologyBase *microbiology, const SettingsAccess &settings,
    Prompter &prompter, const CardOptions &options)
{
    using R = Result<CardData>;
    if (slot.Count() == 0)
        return R::failure(QStringLiteral("Рецептура '") + name + QStringLiteral("' не содержит продуктов."));
    const clsProds &header = slot.item(1)->clsProds();
    CardData d;
    d.cardType = options.cardType.value_or(header.TN_Vid);
    if (d.cardType < 1 || d.cardType > 4)
        d.cardType = 1;
    d.outputText = outputText;
    d.output = outputValue(outputText);
    if (d.output == 0)
        return R::failure(zeroOutputText());
    const int count = LineBuilder::count(slot);
    if (count > tableRows)
        return R::failure(tooManyPositionsText(count));

    const DishValues values = computeDish(slot, name, d.output, losses, prompter);
    d.name = name;
    d.number = header.sCode;
    d.source = header.NameND;
    d.sanitaryRule = header.STNTit;
    d.unit = header.Pref.isEmpty() ? QStringLiteral("г") : header.Pref;
    d.nettoTotal = values.netto;
    d.composition = values.text;
    d.texts = splitCardTexts(header.Oform);
    d.lines = LineBuilder(slot, losses).build();

    const clsProds &dish = values.composition;
    d.dryMatter = values.dryMatter;
    d.fat = dish.Gir * 100.0 / d.output;
    d.sugar = dish.MD * 100.0 / d.output;
    d.moisture = std::max(0.0, 100.0 - d.dryMatter);
    d.fatOnDryMatter = fatOnDryMatter(dish);
    d.sugarOnDryMatter = sugarsOnDryMatter(dish);
    if (microbiology && header.ID_MB > 0) {
        if (const IndicatorSet *set = microbiology->find(header.ID_MB, d.cardType == 2)) {
            d.microbiology = *set;
            d.microbiologyLines = indicatorLines(*set);
        }
    }
    d.bel = values.per100.Bel;
    d.gir = values.per100.Gir;
    d.md = values.per100.MD;
    d.kr = values.per100.Kr;
    d.carbohydrates = carbohydrates(values.per100);
    d.kcal = values.kcalPer100;
    d.problems = plausibilityProblems(values.per100);
    d.per100 = values.per100;

    d.enterprise = settings.get(Section::User, QStringLiteral("Name_Org"));
    d.engineer = settings.get(Section::User, QStringLiteral("tFTeh"));
    d.executor = settings.get(Section::User, QStringLiteral("tFOtv"));
    d.head = settings.get(Section::User, QStringLiteral("tFDir"));
    return d;
}

} // namespace kulvera
