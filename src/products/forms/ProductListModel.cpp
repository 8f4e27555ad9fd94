#include "products/forms/ProductListModel.h"

#include "common/NameCollator.h"
#include "common/NumberText.h"
#include "products/UnitBase.h"
#include "shell/AppContext.h"

namespace kulvera {

std::map<qint64, QString> productGroupNames(AppContext &context)
{
    std::map<qint64, QString> names;
    if (!context.connections.isConnected(BaseId::Warehouse))
        return names;
    UnitBase units(context.connections, context.settings, context.prompter, static_cast<int>(BaseId::Warehouse));
    for (const UnitGroup &g : units.groups())
        names[g.key] = g.name;
    return names;
}

void ProductListModel::setRows(std::vector<ProductRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void ProductListModel::setGroupNames(std::map<qint64, QString> names)
{
    beginResetModel();
    groupNames_ = std::move(names);
    endResetModel();
}

const ProductRow *ProductListModel::row(int index) const
{
    return index >= 0 && index < static_cast<int>(rows_.size()) ? &rows_[static_cast<std::size_t>(index)] : nullptr;
}

int ProductListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ProductListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ProductListModel::data(const QModelIndex &index, int role) const
{
    const ProductRow *r = index.isValid() ? row(index.row()) : nullptr;
    if (!r)
        return {};
    if (role == KeyRole)
        return r->key();
    if (role == GroupRole)
        return r->groupKey;
    if (role == Qt::TextAlignmentRole) {
        const bool number = index.column() == Key || index.column() == Price || index.column() == Out;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case Key:
        return r->key();
    case FullName:
        return r->prod.FullName;
    case ShortName:
        return r->prod.ShortName;
    case Group: {
        const auto it = groupNames_.find(r->groupKey);
        return it == groupNames_.end() ? QString() : it->second;
    }
    case Price:
        return role == Qt::EditRole ? QVariant(r->prod.Price) : QVariant(formatFixed(r->prod.Price, 2));
    case Out:
        return role == Qt::EditRole ? QVariant(r->out) : QVariant(formatNumber(r->out));
    default:
        return {};
    }
}

QVariant ProductListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Key:
        return QStringLiteral("Код");
    case FullName:
        return QStringLiteral("Наименование");
    case ShortName:
        return QStringLiteral("Краткое имя");
    case Group:
        return QStringLiteral("Группа");
    case Price:
        return QStringLiteral("Цена");
    case Out:
        return QStringLiteral("Выход, %");
    default:
        return {};
    }
}

ProductFilterModel::ProductFilterModel(QObject *parent)
    : QSortFilterProxyModel(parent)
    , collator_(nameCollator())
{
}

bool ProductFilterModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const QVariant a = left.data(sortRole());
    const QVariant b = right.data(sortRole());
    if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString)
        return collator_.compare(a.toString(), b.toString()) < 0;
    return QSortFilterProxyModel::lessThan(left, right);
}

void ProductFilterModel::setSearch(const QString &text)
{
    search_ = text.trimmed();
    invalidateFilter();
}

void ProductFilterModel::setGroup(qint64 group)
{
    group_ = group;
    invalidateFilter();
}

bool ProductFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const QAbstractItemModel *m = sourceModel();
    if (group_ != 0 && m->index(sourceRow, 0, sourceParent).data(ProductListModel::GroupRole).toLongLong() != group_)
        return false;
    if (search_.isEmpty())
        return true;
    return m->index(sourceRow, ProductListModel::FullName, sourceParent)
               .data()
               .toString()
               .contains(search_, Qt::CaseInsensitive)
        || m->index(sourceRow, ProductListModel::ShortName, sourceParent)
               .data()
               .toString()
               .contains(search_, Qt::CaseInsensitive);
}

} // namespace kulvera
