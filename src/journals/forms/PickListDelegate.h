#pragma once

#include "journals/JournalList.h"

#include <QStyledItemDelegate>

#include <optional>
#include <vector>

namespace kulvera {

// A cell edited by choosing from a list (a position, a premises, a health
// mark). The first choice is "nothing": an empty text. The cell keeps the
// chosen text; the form finds its key with keyOf().
class PickListDelegate : public QStyledItemDelegate
{
public:
    explicit PickListDelegate(QObject *parent = nullptr);
    void setItems(std::vector<JournalListItem> items) { items_ = std::move(items); }
    const std::vector<JournalListItem> &items() const { return items_; }
    // The key of the first item with this text; none for the empty choice.
    std::optional<qint64> keyOf(const QString &text) const;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    std::vector<JournalListItem> items_;
};

} // namespace kulvera
