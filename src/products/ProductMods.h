#pragma once

#include "common/Result.h"

#include <QList>
#include <QString>

#include <vector>

namespace kulvera {

class Connections;
class Prompter;

// A named way of using a product ("mods"), linked to products through
// "mods_prods". Both tables live in the product base.
struct Modification {
    qint64 code = 0;
    QString name; // Имя, at most 255 characters
    QString note; // Прим
    double heatLoss = 0; // Теп_пот
    double coldLoss = 0; // Потери_Мех, "Величина потерь при мех. обработке, %"
    double norm = 0; // Норма, "Норма закладки, %"
};

class ProductMods
{
public:
    ProductMods(Connections &connections, Prompter &prompter, int number);

    static constexpr QStringView kTitle = u"Модификации продуктов";
    static constexpr int kMaxName = 255;

    std::vector<Modification> all() const;
    std::vector<Modification> ofProduct(qint64 productKey) const;
    // Adds a modification and links it to the product (0: no link). Returns its code.
    Result<qint64> add(const Modification &mod, qint64 productKey = 0);
    Status update(const Modification &mod);
    Status link(qint64 code, qint64 productKey);
    Status unlink(qint64 code, qint64 productKey);
    // The modification and all its links.
    Status remove(qint64 code);

private:
    bool checkName(const QString &name) const;
    std::vector<Modification> select(const QString &sql, const QVariantList &params) const;

    Connections &connections_;
    Prompter &prompter_;
    int number_;
};

} // namespace kulvera
