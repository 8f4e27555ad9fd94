#include "recipes/Masses.h"

#include "common/NumberText.h"
#include "common/SettingsAccess.h"
#include "shell/SettingDefaults.h"

#include <cmath>

namespace kulvera {

double outputValue(QStringView text)
{
    double sum = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'/' && text[i] != u'\\')
            continue;
        if (const auto part = parseNumber(text.mid(start, i - start)))
            sum += *part;
        start = i + 1;
    }
    return sum;
}

QString noMassText()
{
    return QStringLiteral("Необходимо указать массу нетто данного компонента рецептуры");
}

QString noMassTitle()
{
    return QStringLiteral("Разработка нормативов");
}

QString noProductText()
{
    return QStringLiteral("Продукт не выбран!");
}

QString zeroOutputText()
{
    return QStringLiteral("Выход изделия (блюда) равен 0. Подсчет не возможен.");
}

Result<PositionMasses> positionMasses(const MassEntry &entry)
{
    using R = Result<PositionMasses>;
    if (!(entry.mass > 0) || !std::isfinite(entry.mass))
        return R::failure(noMassText());
    if (entry.unitKoef == 0 || !std::isfinite(entry.unitKoef))
        return R::failure(QStringLiteral("Коэффициент не может быть равен нулю!"));
    PositionMasses m;
    const double p = entry.wastePercent;
    if (p != 0) {
        if (p >= 100 || p < 0)
            return R::failure(QStringLiteral("Процент отходов должен быть больше 0 и меньше 100"));
        if (entry.isGross) {
            m.brutto = entry.mass;
            m.netto = entry.mass * (100 - p) / 100;
        } else {
            m.netto = entry.mass;
            m.brutto = entry.mass * 100 / (100 - p);
        }
    } else {
        const double y = entry.yieldPercent.value_or(0);
        if (entry.isGross) {
            m.brutto = entry.mass;
            m.netto = y != 0 ? entry.mass * y / 100 : 0;
        } else {
            // A net mass with no yield has no gross to come from.
            if (y == 0)
                return R::failure(
                    QStringLiteral("Выход продукта после обработки равен 0: массу брутто рассчитать нельзя"));
            m.netto = entry.mass;
            m.brutto = entry.mass * 100 / y;
        }
    }
    m.brutto /= entry.unitKoef;
    m.netto /= entry.unitKoef;
    return m;
}

double scaleFactor(double requested, double stored)
{
    if (requested == 0 || stored == 0)
        return 1;
    return requested / stored;
}

QString scaledOutputText(const QString &stored, double factor)
{
    if (factor == 1)
        return stored;
    if (stored.isEmpty())
        return QStringLiteral("0");
    return formatNumber(roundTo(outputValue(stored) * factor, 10));
}

MassRounding::MassRounding(int decimals, bool enabled, const QString &excluded)
    : decimals_(std::max(0, decimals))
    , enabled_(enabled)
{
    for (const QString &item : excluded.split(u',', Qt::SkipEmptyParts)) {
        const QString key = item.trimmed();
        if (!key.isEmpty())
            excluded_ << key;
    }
}

MassRounding MassRounding::fromSettings(const SettingsAccess &settings)
{
    const QString decimals = readSetting(settings, Section::Data, QStringLiteral("lRoundBrutto"));
    const QString enabled = readSetting(settings, Section::Data, QStringLiteral("bUseRndBr"));
    return MassRounding(static_cast<int>(numberOr(decimals, kDefaultRoundBrutto)), parseFlagText(enabled.trimmed()),
        readSetting(settings, Section::Data, QStringLiteral("sProdExc")));
}

bool MassRounding::isExcluded(const QString &productKey) const
{
    return excluded_.contains(productKey.trimmed());
}

double MassRounding::round(double mass, const QString &productKey) const
{
    if (!enabled_ || isExcluded(productKey))
        return mass;
    return roundTo(mass, decimals_);
}

} // namespace kulvera
