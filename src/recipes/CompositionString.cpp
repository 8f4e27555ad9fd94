#include "recipes/CompositionString.h"

#include "common/NumberText.h"
#include "common/StrSeparator.h"
#include "products/ProductFields.h"

#include <array>

namespace kulvera {
namespace {

using Member = double clsProds::*;

// Built from the field table's string indices, plus the repeated positions.
const std::array<Member, kFullCompositionCount> &members()
{
    static const std::array<Member, kFullCompositionCount> table = [] {
        std::array<Member, kFullCompositionCount> t {};
        for (const CompositionField &f : compositionFields()) {
            if (f.stringIndex >= 0 && f.stringIndex < kFullCompositionCount)
                t[f.stringIndex] = f.member;
        }
        t[40] = &clsProds::BelG;
        t[41] = &clsProds::BelR;
        t[45] = &clsProds::GirG;
        t[46] = &clsProds::GirR;
        t[50] = &clsProds::AM;
        t[51] = &clsProds::AO;
        return t;
    }();
    return table;
}

} // namespace

double clsProds::*compositionMemberAt(int index)
{
    if (index < 0 || index >= kFullCompositionCount)
        return nullptr;
    return members()[index];
}

QString compositionString(const clsProds &record, bool full)
{
    const auto &m = members();
    const int count = full ? kFullCompositionCount : kShortCompositionCount;
    QString out;
    out.reserve(count * 12);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out += kStrSeparator;
        if (m[i])
            out += formatNumber(record.*m[i]);
    }
    return out;
}

int readCompositionString(const QString &text, clsProds &record, double factor)
{
    if (text.isEmpty())
        return 0;
    const auto &m = members();
    int index = 0;
    qsizetype start = 0;
    while (true) {
        const qsizetype end = text.indexOf(kStrSeparator, start);
        const QStringView part = QStringView(text).mid(start, end < 0 ? -1 : end - start);
        if (index < kFullCompositionCount && m[index] && !part.isEmpty()) {
            if (const auto value = parseNumber(part))
                record.*m[index] = *value * factor;
        }
        if (end < 0)
            break;
        start = end + kStrSeparator.size();
        ++index;
    }
    return index + 1;
}

} // namespace kulvera
