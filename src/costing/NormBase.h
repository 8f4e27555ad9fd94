#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <utility>
#include <vector>

namespace kulvera {

class Connections;
class ErrorLog;
class Prompter;

// One row of `Norm_Prods`: grams per day of a product group. A name that
// begins with "*" measures the group in net mass, otherwise in gross mass.
struct ProductSetNorm {
    qint64 code = 0;
    QVariant groupName; // null when not set
    QVariant codeProds;
    QVariant norm;
};

// One set of physiological norms (a row of `Norm`) with its product set.
struct NormRecord {
    qint64 code = 0; // Код
    QString name; // Имя
    // The row's other columns that hold a value, in table order.
    std::vector<std::pair<QString, QVariant>> columns;
    std::vector<ProductSetNorm> products;

    std::optional<double> value(const QString &column) const;
};

inline constexpr QStringView kNormTable = u"Norm";
inline constexpr QStringView kNormProdsTable = u"Norm_Prods";
inline constexpr QStringView kNormEmptyText = u"Таблица физиологических норм не заполнена!";
// The upper bound of product-set rows one norm may carry: real sets have a
// few dozen groups; a file asking for more is damaged or hostile.
inline constexpr int kMaxProductSetRows = 1000;

// The norms of the menu base.
class NormBase
{
public:
    NormBase(Connections &connections, int number, Prompter &prompter);

    // The nutrient columns of `Norm` as the base has them (without Код, Имя).
    QStringList valueColumns() const;
    Result<QStringList> names() const;
    Result<std::vector<NormRecord>> all() const;
    // The row by its name, with its product set. Tells the user and gives an
    // error when the table is empty ("Таблица физиологических норм не
    // заполнена!") or no row has the name ("Строка … не найдена в таблице Norm").
    Result<NormRecord> loadByName(const QString &name) const;
    Result<NormRecord> loadByCode(qint64 code) const;
    // Appends the norm (a new Код) and its product set in one transaction;
    // returns the new Код. Columns the table lacks are refused.
    Result<qint64> insert(const NormRecord &norm) const;
    // Every norm, or none when one fails.
    Status insertAll(const std::vector<NormRecord> &norms) const;

private:
    Result<std::vector<NormRecord>> query(const QString &where, const QVariantList &params) const;

    Connections &connections_;
    int number_;
    Prompter &prompter_;
};

} // namespace kulvera
