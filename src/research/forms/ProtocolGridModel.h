#pragma once

#include "research/ProtocolGrid.h"

#include <QAbstractTableModel>

#include <vector>

namespace kulvera {

// The grid of a protocol: a line per method with its results, a line per
// parameter below it whose two experiment values are edited in place. Every
// accepted value recomputes the grid at once, quietly; a value that is not a
// number is refused (signal `refused`). The protocol is not owned.
class ProtocolGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ProtocolGridModel(Protocol &protocol, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // After the protocol's methods, values or reference values changed.
    void recalculate();
    const MethodCalculation &calculation() const { return calculation_; }
    const std::vector<ProtocolGridRow> &lines() const { return lines_; }
    // The line of a parameter, or -1.
    int rowOfParam(int paramId) const;

signals:
    void refused(const QString &text);
    void recalculated();

private:
    Protocol &protocol_;
    MethodCalculation calculation_;
    std::vector<ProtocolGridRow> lines_;
};

} // namespace kulvera
