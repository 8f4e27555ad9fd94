#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace kulvera {

class Connections;
class Prompter;

// A group of the dish catalogue (`Группы_Блюд`); a group without a parent is
// a top group. Its tree node key is "bld" followed by the group key.
struct DishGroup {
    qint64 key = 0;
    QString name;
    qint64 parent = 0; // 0: a top group
    bool expanded = false;
};

// The dish catalogue's groups in a dish base: new group or subgroup, rename,
// expand state, delete, find.
class DishGroups
{
public:
    DishGroups(Connections &connections, int number, Prompter &prompter);

    static QString nodeKey(qint64 key); // "bld" + key
    // The group key of a tree node ("bld12" -> 12); failure with "Ошибка
    // определения кода базы!" for any other text.
    static Result<qint64> keyOfNode(const QString &nodeKey);

    std::vector<DishGroup> list() const;
    // A top group "Новая группа", or with a selected node a subgroup "Новая
    // подгруппа" under it; the key is the largest key plus 1.
    Result<qint64> add(const QString &selectedNode = {});
    Status rename(qint64 key, const QString &name);
    Status setExpanded(qint64 key, bool expanded);
    // Asks first; the group's subgroups go with it.
    Status remove(qint64 key);
    // Names of the recipes the recipe headers (`Блюда_Заголовки`) place in
    // the group or in any of its subgroups; none when the base has no headers.
    QStringList recipesOf(qint64 key) const;
    // Groups whose name contains the text (any letter case).
    std::vector<DishGroup> find(const QString &text) const;

private:
    Status usable() const;
    Status changeOne(const QString &sql, const QVariantList &params);

    Connections &connections_;
    int number_;
    Prompter &prompter_;
};

} // namespace kulvera
