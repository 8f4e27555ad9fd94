#include "util/forms/MethodModels.h"

#include <algorithm>

namespace kulvera {
namespace {

MethodField methodField(int column)
{
    switch (column) {
    case MethodsModel::Name:
        return MethodField::Name;
    case MethodsModel::Formula:
        return MethodField::Formula;
    case MethodsModel::Min:
        return MethodField::Min;
    case MethodsModel::Max:
        return MethodField::Max;
    case MethodsModel::Compare:
        return MethodField::Compare;
    case MethodsModel::Unit:
        return MethodField::Unit;
    case MethodsModel::Nd:
        return MethodField::Nd;
    case MethodsModel::Val:
        return MethodField::Val;
    case MethodsModel::Hidden:
        return MethodField::Hidden;
    case MethodsModel::Internal:
        return MethodField::Internal;
    case MethodsModel::Showing:
        return MethodField::Showing;
    default:
        return MethodField::Desc;
    }
}

ParamField paramField(int column)
{
    switch (column) {
    case ParamsModel::Name:
        return ParamField::Name;
    case ParamsModel::Designation:
        return ParamField::Designation;
    case ParamsModel::Unit:
        return ParamField::Unit;
    default:
        return ParamField::Type;
    }
}

} // namespace

MethodsModel::MethodsModel(MethodEditor &editor, QObject *parent)
    : QAbstractTableModel(parent)
    , editor_(editor)
{
}

int MethodsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(editor_.catalog().methods.size());
}

int MethodsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MethodsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Method &m = editor_.catalog().methods[static_cast<size_t>(index.row())];
    if (index.column() == Hidden) {
        if (role == Qt::CheckStateRole)
            return m.hidden ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case Name:
        return role == Qt::DisplayRole ? methodDisplayName(m) : m.name;
    case Formula:
        return m.formula;
    case Min:
        return m.min;
    case Max:
        return m.max;
    case Compare:
        return m.compare;
    case Unit:
        return m.unit;
    case Nd:
        return m.nd;
    case Val:
        return m.val;
    case Internal:
        return m.internal;
    case Showing:
        return m.showing;
    case Desc:
        return m.desc;
    }
    return {};
}

QVariant MethodsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char16_t *const captions[ColumnCount] = {
        u"Метод",
        u"Формула",
        u"Мин.",
        u"Макс.",
        u"С чем сравнивать",
        u"Ед. изм.",
        u"Норм. док",
        u"Значение",
        u"Скрыт",
        u"Внутренние методы",
        u"Отображение",
        u"Описание",
    };
    return section >= 0 && section < ColumnCount ? QString::fromUtf16(captions[section]) : QVariant();
}

Qt::ItemFlags MethodsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags base = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (index.column() == Hidden)
        return base | Qt::ItemIsUserCheckable;
    if (index.column() == Name) // renamed through its question
        return base;
    return base | Qt::ItemIsEditable;
}

bool MethodsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    QVariant stored = value;
    if (index.column() == Hidden) {
        if (role != Qt::CheckStateRole)
            return false;
        stored = value.toInt() == Qt::Checked;
    } else if (role != Qt::EditRole || index.column() == Name) {
        return false;
    }
    if (data(index, index.column() == Hidden ? Qt::CheckStateRole : Qt::EditRole) == value)
        return false; // nothing changed: nothing written, nothing logged
    const int rowsBefore = rowCount();
    const bool written = editor_.setMethodField(methodId(index.row()), methodField(index.column()), stored);
    if (rowCount() != rowsBefore) { // someone else changed the base meanwhile
        refresh();
        return written;
    }
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1));
    return written;
}

int MethodsModel::methodId(int row) const
{
    const auto &methods = editor_.catalog().methods;
    return row >= 0 && row < static_cast<int>(methods.size()) ? methods[static_cast<size_t>(row)].id : 0;
}

int MethodsModel::rowOf(int id) const
{
    const auto &methods = editor_.catalog().methods;
    for (size_t i = 0; i < methods.size(); ++i)
        if (methods[i].id == id)
            return static_cast<int>(i);
    return -1;
}

void MethodsModel::refresh()
{
    beginResetModel();
    endResetModel();
}

void MethodsModel::refreshMethod(int id)
{
    const int row = rowOf(id);
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

ParamsModel::ParamsModel(MethodEditor &editor, QObject *parent)
    : QAbstractTableModel(parent)
    , editor_(editor)
{
}

std::vector<int> ParamsModel::collect() const
{
    std::vector<int> ids;
    for (const MethodParam *p : editor_.catalog().paramsOf(methodId_))
        ids.push_back(p->id);
    return ids;
}

void ParamsModel::setMethod(int methodId)
{
    beginResetModel();
    methodId_ = methodId;
    ids_ = collect();
    endResetModel();
}

void ParamsModel::refresh()
{
    setMethod(methodId_);
}

int ParamsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(ids_.size());
}

int ParamsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ParamsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const int id = ids_[static_cast<size_t>(index.row())];
    for (const MethodParam &p : editor_.catalog().params) {
        if (p.id != id)
            continue;
        switch (index.column()) {
        case Name:
            return p.name;
        case Designation:
            return p.designation;
        case Unit:
            return p.unit;
        case Type:
            return p.type;
        }
    }
    return {};
}

QVariant ParamsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char16_t *const captions[ColumnCount] = {u"Параметр", u"Обозначение", u"Ед. изм.", u"Тип"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf16(captions[section]) : QVariant();
}

Qt::ItemFlags ParamsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags base = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    return index.column() == Name ? base : base | Qt::ItemIsEditable;
}

bool ParamsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) || role != Qt::EditRole
        || index.column() == Name)
        return false;
    if (data(index, Qt::EditRole).toString() == value.toString())
        return false;
    const bool written = editor_.setParamField(paramId(index.row()), paramField(index.column()), value.toString());
    if (collect() != ids_) { // someone else changed the base meanwhile
        refresh();
        return written;
    }
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1));
    return written;
}

int ParamsModel::paramId(int row) const
{
    return row >= 0 && row < static_cast<int>(ids_.size()) ? ids_[static_cast<size_t>(row)] : 0;
}

int ParamsModel::rowOf(int id) const
{
    const auto it = std::find(ids_.begin(), ids_.end(), id);
    return it == ids_.end() ? -1 : static_cast<int>(it - ids_.begin());
}

} // namespace kulvera
