#pragma once

#include "products/ProductRow.h"

#include <QAbstractTableModel>
#include <QCollator>
#include <QSortFilterProxyModel>

#include <map>
#include <vector>

namespace kulvera {

struct AppContext;

// The product groups' names by key, for every list that shows a product's group (empty when the
// warehouse base that keeps them is not connected).
std::map<qint64, QString> productGroupNames(AppContext &context);

// The rows of the product base list: key, full name, short name, group,
// price, output. The model owns a copy of the rows it shows.
class ProductListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Key, FullName, ShortName, Group, Price, Out, ColumnCount };
    static constexpr int KeyRole = Qt::UserRole + 1;
    static constexpr int GroupRole = Qt::UserRole + 2;

    using QAbstractTableModel::QAbstractTableModel;
    void setRows(std::vector<ProductRow> rows);
    // Names shown for the groups' keys; a key without a name shows nothing.
    void setGroupNames(std::map<qint64, QString> names);
    const ProductRow *row(int index) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<ProductRow> rows_;
    std::map<qint64, QString> groupNames_;
};

// Search as you type on both names, and an optional group. Texts sort as a
// Russian reader expects whatever the machine's locale: letter case aside,
// "ё" beside "е", and numbers inside names by value ("Мука 2" before "Мука 10").
class ProductFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit ProductFilterModel(QObject *parent = nullptr);
    void setSearch(const QString &text);
    void setGroup(qint64 group); // 0: every group

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    QCollator collator_;
    QString search_;
    qint64 group_ = 0;
};

} // namespace kulvera
