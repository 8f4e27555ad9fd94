#pragma once

#include "common/Result.h"
#include "warehouse/OutgoingDocuments.h"

#include <QDate>
#include <QString>

#include <vector>

namespace kulvera {

class DishBase;
class WarehouseBase;
class colBludo;

// A dish of a recipe base to be written off: the collection table, the
// recipe, the output of a portion (empty: as stored) and the portions.
struct DishPortions {
    QString table;
    QString dish;
    QString output;
    double portions = 0;
};

// A dish whose positions are at hand already (a ration's copy of its recipe,
// at the ration's output).
struct PreparedDish {
    QString dish;
    QString output;
    double portions = 0;
    const colBludo *positions = nullptr;
};

inline constexpr qint64 kDishLineUnit = 2; // the unit of lines made from recipes (`dt105`: "г")
inline constexpr QStringView kDishWriteOffLogProcedure = u"fMinus - cSave_Click - ";
inline constexpr QStringView kDishWriteOffPrepared = u"Документ подготовлен для списания.";
inline constexpr QStringView kDishWriteOffWhereToPost = u"Зайдите: Учет - Расход - Накладные для проведения списания";

// Write-off by dishes: a kind 2 document whose lines are the raw products of
// the dishes, each recipe expanded for its output and portions. Recipe masses
// are grams; the lines carry unit 2 and their quantities in the base unit
// (grams ÷ `Koef` of unit 2), so stock and posting compare like with like.
// Documents are written unposted; posting is OutgoingDocuments::post.
class DishWriteOff
{
public:
    DishWriteOff(WarehouseBase &base, DishBase &dishes);

    // The header (kind 2, `Поставщик` = the warehouse). A header that cannot
    // be written says "Ошибка сохранения заголовка в базе!" and offers
    // "Повторно сохранить?" until it is written or the user gives up.
    Result<qint64> start(const NewOutgoing &document);
    // The document's lines become the products of these dishes (the old ones
    // are deleted first), in one transaction; every dish is expanded before
    // anything is written.
    Status save(qint64 header, const std::vector<DishPortions> &dishes);
    Status save(qint64 header, const std::vector<PreparedDish> &dishes);
    // Header and lines at once, in one transaction.
    Result<qint64> create(const NewOutgoing &document, const std::vector<PreparedDish> &dishes);

    // One line per raw product of each dish (products of a dish summed), the
    // masses for all its portions in the base unit.
    Result<std::vector<NewOutgoingLine>> lines(const std::vector<PreparedDish> &dishes) const;
    Result<std::vector<NewOutgoingLine>> lines(const std::vector<DishPortions> &dishes) const;

private:
    Status saveLines(qint64 header, const Result<std::vector<NewOutgoingLine>> &lines);

    WarehouseBase &base_;
    DishBase &dishes_;
};

} // namespace kulvera
