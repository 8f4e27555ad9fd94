#include "documents/CalcCardLayout.h"

#include "common/NumberText.h"
#include "common/SettingsAccess.h"
#include "documents/CardLayout.h"
#include "shell/SettingDefaults.h"

namespace kulvera {
namespace {

QString defaultOf(const QString &key)
{
    const SettingDefault *d = findSettingDefault(Section::Calc, key);
    return d ? QString::fromUtf16(d->value) : QString();
}

QString stored(const SettingsAccess *settings, const QString &key)
{
    return settings ? readSetting(*settings, Section::Calc, key) : defaultOf(key);
}

CellRef cellOf(const SettingsAccess *settings, const QString &key)
{
    if (const std::optional<CellRef> cell = parseCellAddress(stored(settings, key).trimmed()))
        return *cell;
    return *parseCellAddress(defaultOf(key));
}

int columnOf(const SettingsAccess *settings, const QString &key)
{
    if (const std::optional<int> col = parseColumn(stored(settings, key).trimmed()))
        return *col;
    return *parseColumn(defaultOf(key));
}

CalcCardLayout readLayout(const SettingsAccess *s)
{
    auto cell = [s](const char16_t *key) { return cellOf(s, QString::fromUtf16(key)); };
    auto col = [s](const char16_t *key) { return columnOf(s, QString::fromUtf16(key)); };
    auto text = [s](const char16_t *key) { return stored(s, QString::fromUtf16(key)); };
    CalcCardLayout l;
    l.organisation = cell(u"sNameOrg");
    l.unit = cell(u"sNamePOP");
    l.dishName = cell(u"sNameCard");
    l.title = cell(u"sTitleCard");
    l.titleText = text(u"sTitle");
    l.day = cell(u"sDay");
    l.month = cell(u"sMonth");
    l.year = cell(u"sYear");
    l.source = cell(u"sRask");
    l.cardNumber = cell(u"sNumCard");
    l.calcNumber = cell(u"sNumCalc");
    l.dateStamp = cell(u"sDateStamp");
    l.numberCol = col(u"lNum");
    l.nameCol = col(u"lName");
    l.normCol = col(u"lNorm");
    l.priceCol = col(u"lPrice");
    l.sumCol = col(u"lSumm");
    const std::optional<double> first = parseNumber(text(u"lFSTr"));
    l.firstRow = first && *first >= 1 && *first < kMaxSheetRow / 2 ? static_cast<int>(*first) : 7;
    l.totalLabel = text(u"summ100bl");
    l.markupLabel = text(u"Nac");
    l.saleLabel = text(u"sale1bl");
    // The VAT line reads the selling price's key with a default of its own.
    l.vatLabel = s ? s->get(Section::Calc, QStringLiteral("sale1bl"), QStringLiteral("Цена с НДС"))
                   : QStringLiteral("Цена с НДС");
    l.outputLabel = text(u"out");
    l.headTitle = text(u"ZavTit");
    l.economistTitle = text(u"EconTit");
    l.approvalTitle = text(u"DirTit");
    return l;
}

double positiveOr1(const SettingsAccess &settings, const QString &key)
{
    const std::optional<double> v = parseNumber(readSetting(settings, Section::Calc, key));
    return v && *v > 0 ? *v : 1.0;
}

} // namespace

std::optional<int> parseColumn(QStringView text)
{
    bool digits = !text.isEmpty();
    for (QChar c : text)
        digits = digits && c >= u'0' && c <= u'9';
    if (!digits)
        return columnNumber(text);
    if (text.size() > 5)
        return std::nullopt;
    const int col = text.toInt();
    return col >= 1 && col <= kMaxSheetColumn ? std::optional<int>(col) : std::nullopt;
}

CalcCardLayout CalcCardLayout::fromSettings(const SettingsAccess &settings)
{
    return readLayout(&settings);
}

CalcCardLayout CalcCardLayout::defaults()
{
    return readLayout(nullptr);
}

CalcCardRules CalcCardRules::fromSettings(const SettingsAccess &settings, int moneyDecimals)
{
    CalcCardRules r;
    r.normFactor = positiveOr1(settings, QStringLiteral("dKoefNorm"));
    r.priceFactor = positiveOr1(settings, QStringLiteral("dKoefPrice"));
    if (readSetting(settings, Section::Calc, QStringLiteral("bNDS")).trimmed() == u"1")
        r.vatPercent = numberOr(readSetting(settings, Section::Calc, QStringLiteral("dNDS")), 18.0);
    r.moneyDecimals = moneyDecimals;
    r.massDecimals = CardFormats::fromSettings(settings).massDecimals;
    return r;
}

} // namespace kulvera
