#include "journals/forms/IncomingControlForm.h"

#include "common/TextDate.h"
#include "warehouse/WarehouseBase.h"

#include <QDateEdit>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace kulvera {

IncomingControlForm::IncomingControlForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , from_(new QDateEdit(this))
    , to_(new QDateEdit(this))
    , grid_(new QTableWidget(this))
    , refresh_(new QPushButton(QStringLiteral("Обновить"), this))
    , print_(new QPushButton(QStringLiteral("Печать..."), this))
{
    setObjectName(QStringLiteral("cont_int"));
    setWindowTitle(kIncomingControlTitle.toString());
    from_->setObjectName(QStringLiteral("fromDate"));
    to_->setObjectName(QStringLiteral("toDate"));
    grid_->setObjectName(QStringLiteral("journalGrid"));
    refresh_->setObjectName(QStringLiteral("refresh"));
    print_->setObjectName(QStringLiteral("printJournal"));
    for (QDateEdit *d : {from_, to_}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    }
    QStringList captions;
    for (const IncomingControlColumn &c : incomingControlColumns())
        captions << c.caption.toString();
    grid_->setColumnCount(static_cast<int>(captions.size()));
    grid_->setHorizontalHeaderLabels(captions);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->verticalHeader()->hide();

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Период с"), this));
    top->addWidget(from_);
    top->addWidget(new QLabel(QStringLiteral("по"), this));
    top->addWidget(to_);
    top->addWidget(refresh_);
    top->addStretch(1);
    top->addWidget(print_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grid_, 1);

    connect(refresh_, &QPushButton::clicked, this, [this] { refresh(); });
    connect(print_, &QPushButton::clicked, this, [this] { chooseAndPrint(); });

    const QDate today = context_.clock.today();
    setPeriod(QDate(today.year(), today.month(), 1), today);
    refresh();
}

void IncomingControlForm::setPeriod(const QDate &from, const QDate &to)
{
    from_->setDate(from);
    to_->setDate(to);
}

bool IncomingControlForm::refresh()
{
    grid_->setRowCount(0);
    rows_.clear();
    const WarehouseBase base(context_);
    Result<std::vector<IncomingControlRow>> rows = incomingControlRows(base, from_->date(), to_->date());
    if (!rows) {
        context_.prompter.warning(rows.error());
        return false;
    }
    rows_ = std::move(rows).value();
    const int columns = grid_->columnCount();
    grid_->setRowCount(static_cast<int>(rows_.size()));
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        for (int c = 0; c < columns; ++c)
            grid_->setItem(r, c, new QTableWidgetItem(incomingControlText(rows_[static_cast<std::size_t>(r)], c)));
    }
    grid_->resizeColumnsToContents();
    return true;
}

bool IncomingControlForm::printTo(const QString &path)
{
    const Result<ListOutcome> printed = printIncomingControl(rows_, from_->date(), to_->date(),
        context_.shared.templatesFolder(), context_.settings, path, context_.prompter);
    if (!printed)
        context_.prompter.warning(printed.error());
    return printed.ok();
}

int IncomingControlForm::rowCount() const
{
    return grid_->rowCount();
}

void IncomingControlForm::chooseAndPrint()
{
    const QString file = QFileDialog::getSaveFileName(this, kIncomingControlTitle.toString(),
        QStringLiteral("Журнал входного контроля.xlsx"), QStringLiteral("Книга Excel (*.xlsx)"));
    if (!file.isEmpty() && printTo(file))
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

} // namespace kulvera
