#include "warehouse/forms/MovementForm.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "shell/forms/FormButtons.h"
#include "warehouse/forms/WarehouseGrid.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace kulvera {
namespace {

// Enter or Insert on the source grid hands the current lot over.
class ChooseKeys : public QObject
{
public:
    ChooseKeys(QTableWidget *table, std::function<void()> choose)
        : QObject(table)
        , choose_(std::move(choose))
    {
        table->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Insert)
            return false;
        choose_();
        return true;
    }

private:
    std::function<void()> choose_;
};

QString quantityText(double value)
{
    return formatFixed(value, 3);
}

} // namespace

MovementForm::MovementForm(AppContext &context, QWidget *parent, Mode mode)
    : QWidget(parent)
    , base_(context)
    , movements_(base_)
    , mode_(mode)
{
    setObjectName(mode == Mode::Act ? QStringLiteral("akt_sp") : QStringLiteral("MovInternal"));
    setWindowTitle(title());
    date_ = new QDateEdit(context.clock.today(), this);
    date_->setObjectName(QStringLiteral("date"));
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    number_ = new QLineEdit(this);
    number_->setObjectName(QStringLiteral("number"));
    note_ = new QLineEdit(this);
    note_->setObjectName(QStringLiteral("note"));
    from_ = new ReferenceCombo(base_, ReferenceList::Warehouses, this);
    from_->setObjectName(QStringLiteral("source"));
    to_ = new ReferenceCombo(base_, ReferenceList::Warehouses, this);
    to_->setObjectName(QStringLiteral("target"));
    if (to_->count() > 1)
        to_->setCurrentIndex(1);

    source_ = new QTableWidget(0, SourceColumnCount, this);
    source_->setObjectName(QStringLiteral("sourceLots"));
    source_->setHorizontalHeaderLabels({QStringLiteral("Сырье"), QStringLiteral("Кол-во"), QStringLiteral("Ед.изм."),
        QStringLiteral("Поставщик"), QStringLiteral("Дата"), QStringLiteral("Цена, руб."), QStringLiteral("Нац,%"),
        QStringLiteral("Пользователь"), QStringLiteral("Код")});
    source_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    source_->setSelectionBehavior(QAbstractItemView::SelectRows);
    source_->setSelectionMode(QAbstractItemView::SingleSelection);
    source_->horizontalHeader()->setSectionResizeMode(Product, QHeaderView::Stretch);
    target_ = new QTableWidget(0, TargetColumnCount, this);
    target_->setObjectName(QStringLiteral("targetLots"));
    target_->setHorizontalHeaderLabels({QStringLiteral("Сырье"), QStringLiteral("Кол-во"), QStringLiteral("Ед.изм."),
        QStringLiteral("Имеется"), QStringLiteral("Код")});
    target_->setSelectionMode(QAbstractItemView::SingleSelection);
    target_->horizontalHeader()->setSectionResizeMode(TargetProduct, QHeaderView::Stretch);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Дата:"), this));
    top->addWidget(date_);
    top->addWidget(new QLabel(QStringLiteral("Номер:"), this));
    top->addWidget(number_);
    top->addWidget(new QLabel(mode == Mode::Act ? QStringLiteral("Склад:") : QStringLiteral("Со склада:"), this));
    top->addWidget(from_, 1);
    auto *toLabel = new QLabel(QStringLiteral("На склад:"), this);
    top->addWidget(toLabel);
    top->addWidget(to_, 1);
    auto *middle = new QVBoxLayout;
    middle->addStretch();
    QPushButton *over = addButton(this, middle, QStringLiteral("toTarget"), QStringLiteral(">"));
    QPushButton *back = addButton(this, middle, QStringLiteral("toSource"), QStringLiteral("<"));
    middle->addStretch();
    auto *grids = new QHBoxLayout;
    grids->addWidget(source_, 3);
    grids->addLayout(middle);
    grids->addWidget(target_, 2);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("Примечание:"), this));
    bottom->addWidget(note_, 1);
    QPushButton *saveButton = addButton(this, bottom, QStringLiteral("save"), QStringLiteral("Сохранить"));
    QPushButton *actButton = addButton(this, bottom, QStringLiteral("act"), QStringLiteral("Акт"));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(grids, 1);
    layout->addLayout(bottom);
    if (mode == Mode::Act) {
        toLabel->hide();
        to_->hide();
        saveButton->hide();
        actButton->setDefault(true);
    }

    connect(from_, &QComboBox::currentIndexChanged, this, [this] {
        chosen_.clear();
        fillTarget();
        reloadSource();
    });
    connect(over, &QPushButton::clicked, this, &MovementForm::chooseCurrent);
    connect(back, &QPushButton::clicked, this, &MovementForm::returnCurrent);
    connect(saveButton, &QPushButton::clicked, this, &MovementForm::save);
    connect(actButton, &QPushButton::clicked, this, &MovementForm::act);
    connect(source_, &QTableWidget::cellDoubleClicked, this, [this] { chooseCurrent(); });
    connect(target_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (!loading_ && item->column() == TargetQuantity)
            quantityEdited(item->row(), item->text());
    });
    // Enter (or Insert) on a source lot chooses it; Delete on a chosen lot returns it.
    new ChooseKeys(source_, [this] { chooseCurrent(); });
    new GridKeys(target_, nullptr, [this] { returnCurrent(); });
    if (from_->count() == 0)
        context.prompter.message(QStringLiteral("Нет складов в системе!"), title(), Prompter::Icon::Information);
    reloadSource();
}

QString MovementForm::title() const
{
    return mode_ == Mode::Act ? QStringLiteral("Акт на списание") : QStringLiteral("Внутреннее перемещение");
}

void MovementForm::reloadSource()
{
    sourceRows_.clear();
    source_->setRowCount(0);
    if (from_->count() == 0)
        return;
    const auto lots = movements_.movableLots(from_->currentKey());
    if (!lots) {
        tellRefusal(base_.context().prompter, Status::failure(lots.error()), title());
        return;
    }
    // A lot already chosen is not offered twice.
    for (const MovableLot &m : *lots) {
        const bool taken = std::any_of(
            chosen_.begin(), chosen_.end(), [&](const Chosen &c) { return c.lot.view.lot.key == m.view.lot.key; });
        if (!taken)
            sourceRows_.push_back(m);
    }
    source_->setRowCount(static_cast<int>(sourceRows_.size()));
    int r = 0;
    for (const MovableLot &m : sourceRows_) {
        const LotView &v = m.view;
        const QStringList cells = {v.productName, quantityText(v.lot.brutto * v.koef), v.unitPref, v.supplierName,
            formatTextDate(v.lot.date), formatFixed(m.price, 2), formatNumber(m.markup), m.userName,
            QString::number(v.lot.key)};
        for (int c = 0; c < cells.size(); ++c)
            source_->setItem(r, c, textItem(cells[c], false));
        ++r;
    }
}

void MovementForm::fillTarget()
{
    loading_ = true;
    target_->setRowCount(static_cast<int>(chosen_.size()));
    int r = 0;
    for (const Chosen &c : chosen_) {
        const LotView &v = c.lot.view;
        target_->setItem(r, TargetProduct, textItem(v.productName, false));
        target_->setItem(r, TargetQuantity, textItem(quantityText(c.typed)));
        target_->setItem(r, TargetUnit, textItem(v.unitPref, false));
        target_->setItem(r, Available, textItem(quantityText(v.lot.brutto * v.koef), false));
        target_->setItem(r, TargetLotKey, textItem(QString::number(v.lot.key), false));
        ++r;
    }
    loading_ = false;
}

void MovementForm::chooseCurrent()
{
    const int row = source_->currentRow();
    if (row < 0 || row >= static_cast<int>(sourceRows_.size()))
        return;
    const MovableLot lot = sourceRows_[static_cast<size_t>(row)];
    chosen_.push_back({lot, lot.view.lot.brutto * lot.view.koef});
    fillTarget();
    reloadSource();
    source_->setCurrentCell(std::min(row, source_->rowCount() - 1), Product);
    target_->setCurrentCell(static_cast<int>(chosen_.size()) - 1, TargetQuantity);
}

void MovementForm::returnCurrent()
{
    const int row = target_->currentRow();
    if (row < 0 || row >= static_cast<int>(chosen_.size()))
        return;
    chosen_.erase(chosen_.begin() + row);
    fillTarget();
    reloadSource();
}

void MovementForm::quantityEdited(int row, const QString &text)
{
    if (row < 0 || row >= static_cast<int>(chosen_.size()))
        return;
    Chosen &c = chosen_[static_cast<size_t>(row)];
    const double available = c.lot.view.lot.brutto * c.lot.view.koef;
    const auto typed = parseNumber(text);
    if (!typed || *typed < 0) {
        base_.context().prompter.warning(QStringLiteral("Введите число: ") + text, title());
    } else if (*typed > available && quantityText(*typed) != quantityText(available)) {
        base_.context().prompter.warning(QStringLiteral("Масса не может быть больше имеющегося количества!"), title());
    } else {
        c.typed = *typed;
    }
    fillTarget();
}

std::vector<LotQuantity> MovementForm::rows() const
{
    std::vector<LotQuantity> out;
    for (const Chosen &c : chosen_) {
        const Lot &lot = c.lot.view.lot;
        const double koef = c.lot.view.koef > 0 ? c.lot.view.koef : 1.0;
        // The whole lot as shown is the whole lot, not its rounded display.
        const bool whole = quantityText(c.typed) == quantityText(lot.brutto * koef);
        out.push_back({lot.key, whole ? lot.brutto : c.typed / koef});
    }
    return out;
}

void MovementForm::save()
{
    Prompter &prompter = base_.context().prompter;
    const auto keys = movements_.move(
        {date_->date(), number_->text(), from_->currentKey(), to_->currentKey(), note_->text(), rows()});
    if (!keys) {
        tellRefusal(prompter, Status::failure(keys.error()), title());
        return;
    }
    chosen_.clear();
    fillTarget();
    reloadSource();
    prompter.message(StockMovements::kMoved.toString(), title(), Prompter::Icon::Information);
}

void MovementForm::act()
{
    Prompter &prompter = base_.context().prompter;
    const auto key
        = movements_.writeOffAct({date_->date(), number_->text(), from_->currentKey(), note_->text(), rows()});
    if (!key) {
        tellRefusal(prompter, Status::failure(key.error()), title());
        return;
    }
    chosen_.clear();
    fillTarget();
    reloadSource();
    prompter.message(StockMovements::kActDone.toString(), title(), Prompter::Icon::Information);
}

} // namespace kulvera
