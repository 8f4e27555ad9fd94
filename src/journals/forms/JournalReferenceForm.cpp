#include "journals/forms/JournalReferenceForm.h"

#include "journals/forms/PickListDelegate.h"
#include "warehouse/forms/WarehouseGrid.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace kulvera {

JournalReferenceForm::JournalReferenceForm(
    AppContext &context, const QString &name, const ListOf &list, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , base_(context)
{
    list_.emplace(list(base_));
    setUp(name, list_->title());
    grid_->setColumnCount(2);
    grid_->setHorizontalHeaderLabels({QStringLiteral("Код"), QStringLiteral("Наименование")});
    reload();
}

JournalReferenceForm::JournalReferenceForm(AppContext &context, const QString &name, JournalKind kind, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , base_(context)
{
    journal_.emplace(base_, kind);
    places_.emplace(JournalList::places(base_, kind));
    const JournalKindRules &rules = journal_->rules();
    setUp(name,
        kind == JournalKind::Health ? QStringLiteral("Производственный персонал")
                                    : QStringLiteral("Справочник оборудования"));
    grid_->setColumnCount(3);
    grid_->setHorizontalHeaderLabels({rules.idCaption, rules.nameCaption, rules.placeCaption});
    placeDelegate_ = new PickListDelegate(grid_);
    grid_->setItemDelegateForColumn(2, placeDelegate_);
    reload();
}

void JournalReferenceForm::setUp(const QString &name, const QString &title)
{
    setObjectName(name);
    setWindowTitle(title);
    grid_ = new QTableWidget(0, 0, this);
    grid_->setObjectName(QStringLiteral("grid"));
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
    connect(grid_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (loading_)
            return;
        QTimer::singleShot(
            0, this, [this, id = rowKey(item->row()), c = item->column(), t = item->text()] { edited(id, c, t); });
    });
    connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int) { clicked(row); });
    new GridKeys(grid_, nullptr, [this] { removeCurrent(); });
}

qint64 JournalReferenceForm::rowKey(int row) const
{
    const QTableWidgetItem *item = row < rows_ ? grid_->item(row, 0) : nullptr;
    return item ? item->text().toLongLong() : 0;
}

void JournalReferenceForm::reload()
{
    loading_ = true;
    const int kept = grid_->currentRow();
    std::vector<QStringList> rows;
    if (list_) {
        const auto items = list_->items();
        tellRefusal(context_.prompter, items ? Status() : Status::failure(items.error()), windowTitle());
        for (const JournalListItem &i : items ? *items : std::vector<JournalListItem>())
            rows.push_back({QString::number(i.id), i.text});
    } else {
        if (const auto items = places_->items())
            placeDelegate_->setItems(*items);
        const auto subjects = journal_->subjects();
        tellRefusal(context_.prompter, subjects ? Status() : Status::failure(subjects.error()), windowTitle());
        for (const JournalSubject &s : subjects ? *subjects : std::vector<JournalSubject>())
            rows.push_back({QString::number(s.id), s.name, s.placeName});
    }
    rows_ = static_cast<int>(rows.size());
    grid_->setRowCount(rows_ + 1);
    for (int r = 0; r < rows_; ++r) {
        const QStringList &cells = rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < cells.size(); ++c)
            grid_->setItem(r, c, textItem(cells[c], c > 0));
    }
    fillAddRow(grid_, rows_, 1);
    grid_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    if (kept >= 0)
        grid_->setCurrentCell(std::min(kept, rows_), 1);
    loading_ = false;
}

void JournalReferenceForm::clicked(int row)
{
    if (row != rows_)
        return;
    const Result<qint64> added = list_ ? list_->add(QString()) : journal_->addSubject();
    tellRefusal(context_.prompter, added ? Status() : Status::failure(added.error()), windowTitle());
    reload();
    if (added) {
        grid_->setCurrentCell(row, 1);
        grid_->editItem(grid_->item(row, 1));
    }
}

void JournalReferenceForm::edited(qint64 id, int column, const QString &text)
{
    if (id <= 0)
        return;
    Status s;
    if (list_)
        s = list_->setText(id, text);
    else if (column == 1)
        s = journal_->renameSubject(id, text);
    else if (column == 2)
        s = journal_->setSubjectPlace(id, placeDelegate_->keyOf(text));
    tellRefusal(context_.prompter, s, windowTitle());
    reload();
}

void JournalReferenceForm::removeCurrent()
{
    const qint64 id = rowKey(grid_->currentRow());
    if (id <= 0)
        return;
    tellRefusal(context_.prompter, list_ ? list_->remove(id) : journal_->removeSubject(id), windowTitle());
    reload();
}

} // namespace kulvera
