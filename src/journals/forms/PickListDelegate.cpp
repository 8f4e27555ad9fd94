#include "journals/forms/PickListDelegate.h"

#include <QComboBox>

namespace kulvera {

PickListDelegate::PickListDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QWidget *PickListDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("pickList"));
    box->addItem(QString(), QVariant());
    for (const JournalListItem &i : items_)
        box->addItem(i.text, i.id);
    return box;
}

void PickListDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *box = static_cast<QComboBox *>(editor);
    const int found = box->findText(index.data(Qt::EditRole).toString());
    box->setCurrentIndex(std::max(found, 0));
}

void PickListDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    model->setData(index, static_cast<const QComboBox *>(editor)->currentText(), Qt::EditRole);
}

std::optional<qint64> PickListDelegate::keyOf(const QString &text) const
{
    for (const JournalListItem &i : items_) {
        if (i.text == text)
            return i.id;
    }
    return std::nullopt;
}

} // namespace kulvera
