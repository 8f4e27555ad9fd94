#include "research/forms/ProtocolGridModel.h"

#include "common/NumberText.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace kulvera {

ProtocolGridModel::ProtocolGridModel(Protocol &protocol, QObject *parent)
    : QAbstractTableModel(parent)
    , protocol_(protocol)
{
    recalculate();
}

void ProtocolGridModel::recalculate()
{
    beginResetModel();
    calculation_ = protocol_.calculate();
    lines_ = protocolGrid(protocol_, calculation_);
    endResetModel();
    emit recalculated();
}

int ProtocolGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

int ProtocolGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ProtocolColumnCount;
}

int ProtocolGridModel::rowOfParam(int paramId) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (paramId != 0 && lines_[i].paramId == paramId)
            return static_cast<int>(i);
    }
    return -1;
}

QVariant ProtocolGridModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ProtocolGridRow &line = lines_[static_cast<std::size_t>(index.row())];
    const bool methodLine = line.paramId == 0;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (methodLine && !line.computed && index.column() == FirstColumn)
            return line.problem;
        return line.cells[static_cast<std::size_t>(index.column())];
    case Qt::FontRole:
        if (methodLine) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::ForegroundRole:
        if (methodLine && !line.computed)
            return QBrush(QColor(0xb0, 0x20, 0x20));
        return {};
    case Qt::BackgroundRole:
        if (methodLine)
            return QBrush(QColor(0xee, 0xf2, 0xf8));
        return {};
    case Qt::ToolTipRole:
        return methodLine && !line.computed ? line.problem : QVariant();
    default:
        return {};
    }
}

QVariant ProtocolGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        // Two lines where the caption has a natural break, so the narrow number columns stay narrow.
        QString caption = protocolColumnCaption(section);
        caption.replace(QStringLiteral(", "), QStringLiteral(",\n"))
            .replace(QStringLiteral(" ("), QStringLiteral("\n("));
        caption.replace(QStringLiteral("С чем "), QStringLiteral("С чем\n"));
        caption.replace(QStringLiteral("По рецептуре"), QStringLiteral("По\nрецептуре"));
        return caption.replace(QStringLiteral(". м/"), QStringLiteral(".\nм/"));
    }
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole)
        return protocolColumnCaption(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ProtocolGridModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && lines_[static_cast<std::size_t>(index.row())].paramId != 0
        && (index.column() == FirstColumn || index.column() == SecondColumn))
        f |= Qt::ItemIsEditable;
    return f;
}

bool ProtocolGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const QString text = value.toString().trimmed();
    if (!text.isEmpty() && !parseNumber(text)) {
        emit refused(QStringLiteral("Значение опыта должно быть числом: ") + text);
        return false;
    }
    const int paramId = lines_[static_cast<std::size_t>(index.row())].paramId;
    ExperimentValues v = protocol_.values.value(paramId);
    (index.column() == FirstColumn ? v.first : v.second) = text;
    protocol_.values.insert(paramId, v);
    // The lines stay the same: only their texts change, so the view keeps its place.
    calculation_ = protocol_.calculate();
    lines_ = protocolGrid(protocol_, calculation_);
    emit dataChanged(this->index(0, 0), this->index(rowCount() - 1, ProtocolColumnCount - 1));
    emit recalculated();
    return true;
}

} // namespace kulvera
