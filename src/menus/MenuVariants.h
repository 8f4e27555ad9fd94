#pragma once

#include "common/Result.h"

#include <QString>

#include <optional>
#include <vector>

namespace kulvera {

class MenuBase;

// A menu variant (a consumer group): a row of the table groups.
struct MenuVariant {
    int id = 0;
    QString name; // "" shows as "(без имени)"
    QString p1; // free text kept beside the variant
};

// The variants of a menu base, with the prompts of the variants form
// (title "Варианты меню").
class MenuVariants
{
public:
    explicit MenuVariants(const MenuBase &base);

    Result<std::vector<MenuVariant>> list() const;
    // Asks "Введите наименование:"; the new variant's id.
    std::optional<int> addAsking() const;
    Result<int> add(const QString &name) const;
    // Asks "Введите новое название:".
    bool renameAsking(int id) const;
    Status rename(int id, const QString &name) const;
    Status setParameter(int id, const QString &p1) const;
    // Asks "Удалить - '<name>'".
    bool removeAsking(int id) const;

private:
    std::optional<MenuVariant> find(int id) const;
    const MenuBase &base_;
};

} // namespace kulvera
