#pragma once

#include <QString>

#include <array>

namespace kulvera {

// Units in which masses can be shown, with their factor from grams.
struct MassUnit {
    const char16_t *name;
    const char16_t *abbreviation;
    double perGram;
};

inline constexpr std::array<MassUnit, 4> kMassUnits = {{
    {u"Стандартные (г)", u"г", 1.0},
    {u"Килограмм (кг)", u"кг", 0.001},
    {u"Центнер (ц)", u"ц", 0.00001},
    {u"Тонна (т)", u"т", 0.000001},
}};

} // namespace kulvera
