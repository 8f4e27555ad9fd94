#include "journals/forms/RejectionForm.h"

#include "common/TextDate.h"
#include "journals/RejectionDocument.h"
#include "menus/MenuVariants.h"
#include "menus/forms/OpenMenuBase.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace kulvera {
namespace {

constexpr RejectionField kColumns[] = {RejectionField::Dish, RejectionField::DateMade, RejectionField::TimeMade,
    RejectionField::TimeChecked, RejectionField::Result, RejectionField::Permission, RejectionField::Notes};

QString hhmm(const QTime &t)
{
    return t.isValid() ? t.toString(QStringLiteral("hh:mm")) : QString();
}

QString shown(const RejectionEntry &e, RejectionField field)
{
    switch (field) {
    case RejectionField::Dish:
        return e.dish;
    case RejectionField::DateMade:
        return formatTextDate(e.dateMade);
    case RejectionField::TimeMade:
        return hhmm(e.timeMade);
    case RejectionField::TimeChecked:
        return hhmm(e.timeChecked);
    case RejectionField::Result:
        return e.result;
    case RejectionField::Permission:
        return e.permission;
    case RejectionField::Notes:
        return e.notes;
    }
    return {};
}

} // namespace

RejectionForm::RejectionForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , journal_(context)
    , day_(context.clock.today())
    , date_(new QComboBox(this))
    , group_(new QComboBox(this))
    , grid_(new QTableWidget(this))
    , state_(new QLabel(this))
    , add_(new QPushButton(QStringLiteral("&Добавить"), this))
    , delete_(new QPushButton(QStringLiteral("&Удалить"), this))
    , clear_(new QPushButton(QStringLiteral("Очистить"), this))
    , print_(new QPushButton(QStringLiteral("Просмотр в Excel..."), this))
    , reconnect_(new QPushButton(QStringLiteral("Переподключить"), this))
{
    setObjectName(QStringLiteral("reject"));
    setWindowTitle(QStringLiteral("Бракеражный журнал"));
    date_->setObjectName(QStringLiteral("journalDate"));
    group_->setObjectName(QStringLiteral("groupBox"));
    grid_->setObjectName(QStringLiteral("journalGrid"));
    state_->setObjectName(QStringLiteral("journalState"));
    add_->setObjectName(QStringLiteral("addRow"));
    delete_->setObjectName(QStringLiteral("deleteRow"));
    clear_->setObjectName(QStringLiteral("clearJournal"));
    print_->setObjectName(QStringLiteral("printJournal"));
    reconnect_->setObjectName(QStringLiteral("reconnect"));
    date_->setEditable(true);
    date_->setInsertPolicy(QComboBox::NoInsert);
    date_->setMinimumContentsLength(10);

    grid_->setColumnCount(7);
    grid_->setHorizontalHeaderLabels({QStringLiteral("Изделие (блюдо)"), QStringLiteral("Дата изготовления блюда"),
        QStringLiteral("Время изготовления блюда"), QStringLiteral("Время бракеража"), QStringLiteral("Результат"),
        QStringLiteral("Разрешение к реализации"), QStringLiteral("Примечания")});
    grid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Дата"), this));
    top->addWidget(date_);
    top->addWidget(new QLabel(QStringLiteral("Группа"), this));
    top->addWidget(group_, 1);
    top->addWidget(add_);
    top->addWidget(delete_);
    top->addWidget(clear_);
    top->addWidget(print_);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(state_, 1);
    bottom->addWidget(reconnect_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grid_, 1);
    layout->addLayout(bottom);

    connect(date_->lineEdit(), &QLineEdit::editingFinished, this, [this] { showDay(date_->currentText()); });
    connect(date_, &QComboBox::activated, this, [this](int i) { showDay(date_->itemText(i)); });
    connect(group_, &QComboBox::currentIndexChanged, this, [this] { fillRows(); });
    connect(grid_, &QTableWidget::cellChanged, this, [this](int r, int c) { cellChanged(r, c); });
    connect(add_, &QPushButton::clicked, this, [this] { addRow(); });
    connect(delete_, &QPushButton::clicked, this, [this] { deleteCurrentRow(); });
    connect(clear_, &QPushButton::clicked, this, [this] { clearJournal(); });
    connect(print_, &QPushButton::clicked, this, [this] { chooseAndPrint(); });
    connect(reconnect_, &QPushButton::clicked, this, [this] { reconnect(); });

    fillGroups();
    reload();
}

void RejectionForm::fillGroups()
{
    const QSignalBlocker block(group_);
    group_->clear();
    group_->addItem(QStringLiteral("без группы"), QString());
    if (const std::unique_ptr<MenuBase> menu = openMenuBase(context_)) {
        if (const Result<std::vector<MenuVariant>> variants = MenuVariants(*menu).list()) {
            for (const MenuVariant &v : *variants) {
                if (!v.name.isEmpty())
                    group_->addItem(v.name, v.name);
            }
        }
    }
}

QString RejectionForm::group() const
{
    return group_->currentData().toString();
}

bool RejectionForm::selectGroup(const QString &group)
{
    for (int i = 0; i < group_->count(); ++i) {
        if (group_->itemData(i).toString() == group) {
            group_->setCurrentIndex(i);
            fillRows();
            return true;
        }
    }
    return false;
}

void RejectionForm::reload()
{
    connectedChanged();
    fillDates();
    fillRows();
}

void RejectionForm::connectedChanged()
{
    const bool on = journal_.connected();
    state_->setText(on ? QString() : kRejectionNotConnected.toString());
    for (QWidget *w : std::initializer_list<QWidget *> {add_, delete_, clear_, print_, date_, grid_})
        w->setEnabled(on);
}

void RejectionForm::fillDates()
{
    const QSignalBlocker block(date_);
    date_->clear();
    if (const Result<std::vector<QDate>> dates = journal_.dates()) {
        for (const QDate &d : *dates)
            date_->addItem(formatTextDate(d));
    }
    date_->setEditText(formatTextDate(day_));
}

bool RejectionForm::showDay(const QString &typed)
{
    const std::optional<QDate> d = rejectionDate(typed);
    if (!d) {
        context_.prompter.warning(kRejectionBadDate.toString());
        date_->setEditText(formatTextDate(day_));
        return false;
    }
    day_ = *d;
    date_->setEditText(formatTextDate(day_));
    fillRows();
    return true;
}

void RejectionForm::fillRows()
{
    filling_ = true;
    entries_.clear();
    grid_->setRowCount(0);
    if (journal_.connected()) {
        if (Result<std::vector<RejectionEntry>> rows = journal_.entries(day_, group()))
            entries_ = std::move(rows).value();
    }
    grid_->setRowCount(static_cast<int>(entries_.size()));
    for (int r = 0; r < static_cast<int>(entries_.size()); ++r) {
        for (int c = 0; c < 7; ++c)
            grid_->setItem(r, c, new QTableWidgetItem(shown(entries_[static_cast<std::size_t>(r)], kColumns[c])));
    }
    filling_ = false;
}

void RejectionForm::cellChanged(int row, int column)
{
    if (filling_ || row < 0 || row >= static_cast<int>(entries_.size()))
        return;
    const RejectionEntry &e = entries_[static_cast<std::size_t>(row)];
    const Status s = journal_.edit(e.id, kColumns[column], grid_->item(row, column)->text());
    if (!s)
        context_.prompter.warning(s.error());
    // The row as stored: a refused value goes back, a moved day leaves this journal.
    QMetaObject::invokeMethod(
        this, [this] { fillRows(); }, Qt::QueuedConnection);
    if (s && kColumns[column] == RejectionField::DateMade)
        QMetaObject::invokeMethod(
            this, [this] { fillDates(); }, Qt::QueuedConnection);
}

bool RejectionForm::addRow()
{
    const Result<qint64> id = journal_.add(day_, group());
    if (!id) {
        context_.prompter.warning(id.error());
        return false;
    }
    fillDates();
    fillRows();
    const int last = grid_->rowCount() - 1;
    if (last >= 0) {
        grid_->setCurrentCell(last, 0);
        grid_->editItem(grid_->item(last, 0)); // the dish name is typed in place
    }
    return true;
}

bool RejectionForm::deleteCurrentRow()
{
    const int row = grid_->currentRow();
    if (row < 0 || row >= static_cast<int>(entries_.size()))
        return false;
    const Status s = journal_.remove(entries_[static_cast<std::size_t>(row)].id);
    if (!s) {
        if (!s.error().isEmpty())
            context_.prompter.warning(s.error());
        return false;
    }
    fillDates();
    fillRows();
    return true;
}

bool RejectionForm::clearJournal()
{
    const Result<int> cleared = journal_.clear(day_, group());
    if (!cleared) {
        if (!cleared.error().isEmpty())
            context_.prompter.warning(cleared.error());
        return false;
    }
    fillDates();
    fillRows();
    return true;
}

bool RejectionForm::reconnect()
{
    const bool ok = journal_.reconnect();
    reload();
    return ok;
}

bool RejectionForm::printTo(const QString &path)
{
    return printRejectionJournal(
        entries_, formatTextDate(day_), context_.shared.templatesFolder(), context_.settings, path, context_.prompter)
        .ok();
}

int RejectionForm::rowCount() const
{
    return grid_->rowCount();
}

void RejectionForm::chooseAndPrint()
{
    const QString file = QFileDialog::getSaveFileName(this, kRejectionPrintTitle.toString(),
        QStringLiteral("Бракеражный журнал ") + formatTextDate(day_) + QStringLiteral(".xlsx"),
        QStringLiteral("Книга Excel (*.xlsx)"));
    if (!file.isEmpty() && printTo(file))
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

} // namespace kulvera
