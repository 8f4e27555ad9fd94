#include "costing/MenuRequisition.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "menus/Ration.h"
#include "recipes/PositionKey.h"

#include <QHash>

namespace kulvera {

namespace {

double multiplier(const SettingsAccess &settings, const QString &key)
{
    return parseNumber(settings.get(Section::Data, key, QStringLiteral("1"))).value_or(1.0);
}

} // namespace

std::optional<MenuRequisition> buildRequisition(
    const Ration &ration, const RequisitionLayout &layout, const SettingsAccess &settings, Prompter &prompter)
{
    if (ration.mealCount() > kRequisitionMeals) {
        prompter.warning(kTooManyMealsText.toString());
        return std::nullopt;
    }
    MenuRequisition r;
    r.koefSum = multiplier(settings, QStringLiteral("KoefMenuSum"));
    r.koefItog = multiplier(settings, QStringLiteral("KoefMenuItog"));
    QHash<QString, std::size_t> rowOf;
    QSet<QString> missingCodes;
    for (int m = 1; m <= ration.mealCount(); ++m) {
        r.meals << ration.mealName(m);
        const colRation *entries = ration.meal(m);
        const int count = entries ? entries->Count() : 0;
        if (layout.placesPerMeal > 0 && count > layout.placesPerMeal) {
            const QString text = QStringLiteral("Программа позволяет использовать не больше ")
                + QString::number(layout.placesPerMeal) + QStringLiteral(" рецептур на прием №") + QString::number(m)
                + QStringLiteral("\nОстальные рецептуры будут пропущены!");
            prompter.warning(text);
            r.notices << text;
        }
        const int used = layout.placesPerMeal > 0 ? std::min(count, layout.placesPerMeal) : count;
        for (int e = 1; e <= used; ++e) {
            const int number = ration.dishAt(m, e);
            const colBludo *dish = ration.dish(number);
            if (!dish)
                continue;
            r.recipes[static_cast<std::size_t>(m - 1)] << ration.dishName(number);
            for (const clsBludo &b : *dish) {
                const clsProds &p = b.clsProds();
                if (!isProductKey(p.Kod.toString()))
                    continue;
                const QString code = p.ID_Prod.trimmed();
                const QString name = p.FullName.isEmpty() ? p.ShortName : p.FullName;
                if (layout.codes && !layout.codes->contains(code)) {
                    if (!missingCodes.contains(code)) {
                        missingCodes.insert(code);
                        r.missing << code + u' ' + name;
                    }
                    continue;
                }
                auto it = rowOf.constFind(code);
                if (it == rowOf.cend()) {
                    it = rowOf.insert(code, r.rows.size());
                    r.rows.push_back({code, name, {}, 0});
                }
                r.rows[*it].meals[static_cast<std::size_t>(m - 1)] += p.Brutto;
            }
        }
    }
    for (RequisitionRow &row : r.rows) {
        double sum = 0;
        for (double &v : row.meals) {
            sum += v;
            v *= r.koefSum;
        }
        row.total = sum * r.koefItog;
    }
    if (!r.missing.isEmpty()) {
        const QString text = QStringLiteral("В ведомость не попали следующие продукты: ")
            + r.missing.join(QStringLiteral(", "))
            + QStringLiteral("\nДля включения этих продуктов в ведомость необходимо добавить соответствующие коды в "
                             "шаблон ведомости!");
        prompter.warning(text);
        r.notices << text;
    }
    return r;
}

} // namespace kulvera
