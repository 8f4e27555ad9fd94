#include "recipes/DebugRows.h"

#include <algorithm>
#include <utility>

namespace kulvera {
namespace {

QVariant asVariant(double v)
{
    return v;
}
QVariant asVariant(int v)
{
    return v;
}
QVariant asVariant(const QString &v)
{
    return v;
}
QVariant asVariant(const QVariant &v)
{
    return v;
}

template <auto Member> QVariant field(const clsProds &r)
{
    return asVariant(r.*Member);
}

struct Column {
    const char16_t *name;
    QVariant (*value)(const clsProds &);
};

// The record's identity and masses first, then the card fields, the
// composition and the costing fields.
const Column kColumns[] = {
    {u"Kod", field<&clsProds::Kod>},
    {u"ID_Prod", field<&clsProds::ID_Prod>},
    {u"ID", field<&clsProds::Id>},
    {u"TN_Vid", field<&clsProds::TN_Vid>},
    {u"FN", field<&clsProds::FullName>},
    {u"SN", field<&clsProds::ShortName>},
    {u"Brutto", field<&clsProds::Brutto>},
    {u"Netto", field<&clsProds::Netto>},
    {u"Out", field<&clsProds::Out>},
    {u"ID_MB", field<&clsProds::ID_MB>},
    {u"ID_Price", field<&clsProds::ID_Price>},
    {u"En", field<&clsProds::En>},
    {u"Expand", field<&clsProds::Expand>},
    {u"HS_Full", field<&clsProds::HS_Full>},
    {u"NameND", field<&clsProds::NameND>},
    {u"ND", field<&clsProds::ND>},
    {u"Num_In_Base", field<&clsProds::Num_In_Base>},
    {u"Num_Norm", field<&clsProds::Num_Norm>},
    {u"Oform", field<&clsProds::Oform>},
    {u"OkRead", field<&clsProds::OkRead>},
    {u"Hol", field<&clsProds::Hol>},
    {u"Bel", field<&clsProds::Bel>},
    {u"BelG", field<&clsProds::BelG>},
    {u"BelR", field<&clsProds::BelR>},
    {u"cGir", field<&clsProds::cGir>},
    {u"CUg", field<&clsProds::CUg>},
    {u"Gir_SV", field<&clsProds::Gir_SV>},
    {u"UG_SV", field<&clsProds::UG_SV>},
    {u"Gir", field<&clsProds::Gir>},
    {u"GirG", field<&clsProds::GirG>},
    {u"GirR", field<&clsProds::GirR>},
    {u"MD", field<&clsProds::MD>},
    {u"Kl", field<&clsProds::Kl>},
    {u"Kr", field<&clsProds::Kr>},
    {u"SV", field<&clsProds::sv>},
    {u"AM", field<&clsProds::AM>},
    {u"AO", field<&clsProds::AO>},
    {u"STNTit", field<&clsProds::STNTit>},
    {u"STNFull", field<&clsProds::STNFull>},
    {u"STNid", field<&clsProds::STNid>},
    {u"HidePF", field<&clsProds::HidePF>},
    {u"Photo", field<&clsProds::Photo>},
    {u"ID_EDI", field<&clsProds::ID_EDI>},
    {u"ID_Koef", field<&clsProds::ID_Koef>},
    {u"Pref", field<&clsProds::Pref>},
    {u"Use", field<&clsProds::Use>},
    {u"Mans", field<&clsProds::Mans>},
    {u"NumCalc", field<&clsProds::NumCalc>},
    {u"DateCalc", field<&clsProds::DateCalc>},
    {u"Price", field<&clsProds::Price>},
    {u"Cost", field<&clsProds::Cost>},
    {u"CostVal", field<&clsProds::CostVal>},
    {u"CostPerc", field<&clsProds::CostPerc>},
    {u"Voda", field<&clsProds::Voda>},
    {u"Zola", field<&clsProds::Zola>},
    {u"Org", field<&clsProds::Org>},
    {u"Na", field<&clsProds::Na>},
    {u"K", field<&clsProds::K>},
    {u"Ca", field<&clsProds::Ca>},
    {u"Mg", field<&clsProds::Mg>},
    {u"P", field<&clsProds::p>},
    {u"Fe", field<&clsProds::Fe>},
    {u"A", field<&clsProds::a>},
    {u"B", field<&clsProds::b>},
    {u"B1", field<&clsProds::B1>},
    {u"B2", field<&clsProds::B2>},
    {u"PP", field<&clsProds::PP>},
    {u"C", field<&clsProds::c>},
    {u"Form_Num", field<&clsProds::Form_Num>},
};

} // namespace

const QStringList &debugColumns()
{
    static const QStringList names = [] {
        QStringList list;
        for (const Column &c : kColumns)
            list << QString::fromUtf16(c.name);
        return list;
    }();
    return names;
}

QVariant debugValue(const clsProds &record, int column)
{
    if (column < 0 || column >= static_cast<int>(std::size(kColumns)))
        return {};
    return kColumns[column].value(record);
}

std::vector<clsProds> recordsOf(const colBludo &slot)
{
    std::vector<clsProds> records;
    records.reserve(static_cast<std::size_t>(slot.Count()));
    for (const clsBludo &position : slot)
        records.push_back(position.clsProds());
    return records;
}

colBludo slotOf(const std::vector<clsProds> &records)
{
    colBludo slot;
    slot.reserve(static_cast<int>(records.size()));
    for (const clsProds &record : records)
        slot.Add(clsBludo(record));
    return slot;
}

int addDebugRow(std::vector<clsProds> &records, int row)
{
    const int at = row >= 0 && row < static_cast<int>(records.size()) ? row + 1 : static_cast<int>(records.size());
    records.insert(records.begin() + at, clsProds());
    return at;
}

bool moveDebugRow(std::vector<clsProds> &records, int row, int delta)
{
    const int to = row + delta;
    const int count = static_cast<int>(records.size());
    if (row < 0 || row >= count || to < 0 || to >= count)
        return false;
    std::swap(records[static_cast<std::size_t>(row)], records[static_cast<std::size_t>(to)]);
    return true;
}

Status removeDebugRow(std::vector<clsProds> &records, int row)
{
    if (records.size() <= 1)
        return Status::failure(QStringLiteral("Не допускается удалять последнюю строку"));
    if (row < 0 || row >= static_cast<int>(records.size()))
        return Status::failure(QStringLiteral("Не выбрана строка"));
    records.erase(records.begin() + row);
    return {};
}

int findDebugRow(const std::vector<clsProds> &records, const QString &text, int from)
{
    const int count = static_cast<int>(records.size());
    if (text.isEmpty() || count == 0)
        return -1;
    const int columns = static_cast<int>(std::size(kColumns));
    for (int step = 1; step <= count; ++step) {
        const int row = ((from < 0 ? -1 : from) + step) % count;
        for (int column = 0; column < columns; ++column) {
            if (debugValue(records[static_cast<std::size_t>(row)], column)
                    .toString()
                    .contains(text, Qt::CaseInsensitive))
                return row;
        }
    }
    return -1;
}

} // namespace kulvera
