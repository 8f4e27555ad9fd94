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
inline constexpr QStringView kNormUnknownText = u"Не удалось идентифицировать норму.";
inline constexpr QStringView kProductNormUnknownText = u"Ошибка идентификации нормы!";
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

    // Edits of the norms form and of the analysis. A row that is gone gives
    // "Не удалось идентифицировать норму." (a norm) or "Ошибка идентификации
    // нормы!" (a product-set row) and changes nothing.
    // `column` is Имя or one of `valueColumns()`; an empty value stores NULL.
    Status setValue(qint64 code, const QString &column, const QVariant &value) const;
    // Removes the norm with its product set, in one transaction.
    Status remove(qint64 code) const;
    Result<qint64> addProductRow(qint64 normCode, const QString &groupName) const;
    // `column` is Group_Name, Code_Prods or Norm_Prods.
    Status setProductValue(qint64 rowCode, const QString &column, const QVariant &value) const;
    Status removeProductRow(qint64 rowCode) const;

private:
    Status update(const QString &table, const QString &key, qint64 code, const QString &column, const QVariant &value,
        QStringView unknown) const;
    Result<std::vector<NormRecord>> query(const QString &where, const QVariantList &params) const;

    Connections &connections_;
    int number_;
    Prompter &prompter_;
};

} // namespace kulvera
