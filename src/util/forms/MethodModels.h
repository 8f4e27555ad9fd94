#pragma once

#include "util/MethodEditor.h"

#include <QAbstractTableModel>

#include <vector>

namespace kulvera {

// The methods of the catalogue as a table; edits go through the editor, which
// writes them to the base at once. The editor is not owned.
class MethodsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Name, Formula, Min, Max, Compare, Unit, Nd, Val, Hidden, Internal, Showing, Desc, ColumnCount };

    explicit MethodsModel(MethodEditor &editor, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    int methodId(int row) const;
    int rowOf(int methodId) const;
    // After rows were added or deleted through the editor.
    void refresh();
    // After one method was changed through the editor.
    void refreshMethod(int methodId);

private:
    MethodEditor &editor_;
};

// The parameters of one method.
class ParamsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Name, Designation, Unit, Type, ColumnCount };

    explicit ParamsModel(MethodEditor &editor, QObject *parent = nullptr);

    void setMethod(int methodId); // 0: none
    int method() const { return methodId_; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    int paramId(int row) const;
    int rowOf(int paramId) const;
    void refresh();

private:
    std::vector<int> collect() const;

    MethodEditor &editor_;
    int methodId_ = 0;
    std::vector<int> ids_; // parameter keys of the rows
};

} // namespace kulvera
