#pragma once

#include "common/Result.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace kulvera {

class Connections;
class Prompter;
class SettingsAccess;

// Microbiological indicators of recipes: sets of fourteen texts `l1`…`l14`
// in the indicator base (setting `MBBase`), culinary sets in the table named
// by `Name_MBKul_Table`, confectionery sets by `Name_MBKond_Table`. A recipe
// refers to a set by `ID_MB`, the row's `ID`.
//
// Columns: l1 the group of products the set is for, l2 the total count
// (КМАФАнМ; "^" marks a power of ten), l3 and l4 the masses for coliforms and
// E.coli, l5 Proteus, l6 S.aureus, l7 pathogens with salmonellae, l8 yeasts,
// l9 moulds, l10 the sanitary rule, l11-l14 notes.
using IndicatorSet = std::array<QString, 14>;

class MicrobiologyBase
{
public:
    // Reads both tables. The base must have `l13` and `l14` (an older layout
    // is refused with its message); a failed read reports "Обновите базу." and
    // keeps what was loaded before.
    Status load(Connections &connections, const SettingsAccess &settings, Prompter &prompter);

    bool loaded() const { return loaded_; }
    const IndicatorSet *find(int id, bool confectionery = false) const;
    int count(bool confectionery = false) const { return static_cast<int>((confectionery ? kond_ : kul_).size()); }
    // The keys of the culinary or confectionery sets, ascending.
    QList<int> ids(bool confectionery = false) const;

    // The lines printed on the card for a set; nothing, after the message,
    // when the set is not found.
    std::optional<QStringList> cardLines(int id, bool confectionery, Prompter &prompter) const;

private:
    QHash<int, IndicatorSet> kul_;
    QHash<int, IndicatorSet> kond_;
    bool loaded_ = false;
};

// The lines for one set (empty values leave their line out).
QStringList indicatorLines(const IndicatorSet &set);
// "1х10^3" → "1х10³": the exponent after "^" written as superscript digits.
QString powerText(const QString &value);

QString incompatibleMicrobiologyText(); // "Ошибка идентификации базы ..." with its second line
QString microbiologyReadErrorText(); // "При загрузке микробиологических показателей ..."
QString microbiologyNotFoundText(); // "Ошибка формирования микробиологических показателей. ..."

// The indicator sets of the running program, read at start-up ("initMicrobiology").
MicrobiologyBase &programMicrobiology();

// Fills empty indicator tables from the seed file (";"-separated, first
// column "t1" or "t2", then l1…l14). A file that is not there seeds
// nothing.
Status seedMicrobiology(Connections &connections, const SettingsAccess &settings, const QString &csv);

} // namespace kulvera
