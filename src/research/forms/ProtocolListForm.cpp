#include "research/forms/ProtocolListForm.h"

#include "common/TextDate.h"
#include "research/ProtocolDocument.h"
#include "research/forms/ProtocolPrinting.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

namespace kulvera {
namespace {

const QString kTitle = QStringLiteral("Протоколы испытаний");

QPushButton *button(const QString &text, const QString &objectName, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(objectName);
    return b;
}

} // namespace

ProtocolListForm::ProtocolListForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
{
    setObjectName(QStringLiteral("ProtocolListForm"));
    setWindowTitle(kTitle);
    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("protocolsTable"));
    table_->setColumnCount(6);
    table_->setHorizontalHeaderLabels({QStringLiteral("№"), QStringLiteral("Дата"), QStringLiteral("Изделие"),
        QStringLiteral("Выход"), QStringLiteral("Сборник"), QStringLiteral("Показателей")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);

    auto *newButton = button(QStringLiteral("Новый протокол"), QStringLiteral("newButton"), this);
    auto *openButton = button(QStringLiteral("Открыть"), QStringLiteral("openButton"), this);
    auto *deleteButton = button(QStringLiteral("Удалить"), QStringLiteral("deleteButton"), this);
    auto *printButton = button(QStringLiteral("Печать"), QStringLiteral("printButton"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(newButton);
    buttons->addWidget(openButton);
    buttons->addWidget(deleteButton);
    buttons->addStretch();
    buttons->addWidget(printButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);

    connect(newButton, &QPushButton::clicked, this, &ProtocolListForm::newRequested);
    connect(openButton, &QPushButton::clicked, this, [this] {
        if (const int id = currentProtocolId())
            emit openRequested(id);
    });
    connect(table_, &QTableWidget::cellDoubleClicked, this,
        [this](int row, int) { emit openRequested(lines_[static_cast<std::size_t>(row)].id); });
    connect(deleteButton, &QPushButton::clicked, this, &ProtocolListForm::deleteCurrent);
    connect(printButton, &QPushButton::clicked, this, [this] {
        const QStringList files = printSelected(QFileInfo(protocolOutputPath({})).path());
        for (const QString &file : files)
            showPrintedDocument(file);
    });
    refresh();
}

void ProtocolListForm::refresh()
{
    const int keep = currentProtocolId();
    lines_.clear();
    if (context_.connections.isConnected(BaseId::Protocols)) {
        ProtocolStore store(context_.connections.database(BaseId::Protocols), &context_.errorLog);
        if (Result<std::vector<ProtocolSummary>> listed = store.list())
            lines_ = std::move(listed).value();
        else
            context_.prompter.warning(listed.error(), kTitle);
    }
    table_->setRowCount(static_cast<int>(lines_.size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const ProtocolSummary &p = lines_[static_cast<std::size_t>(r)];
        const QString cells[]
            = {p.number, formatTextDate(p.date), p.dish, p.output, p.collection, QString::number(p.methods)};
        for (int c = 0; c < 6; ++c)
            table_->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    if (keep)
        selectProtocol(keep);
}

void ProtocolListForm::selectProtocol(int id)
{
    for (int r = 0; r < static_cast<int>(lines_.size()); ++r) {
        if (lines_[static_cast<std::size_t>(r)].id == id) {
            table_->setCurrentCell(r, 0);
            table_->selectRow(r);
            return;
        }
    }
}

int ProtocolListForm::currentProtocolId() const
{
    const int row = table_->currentRow();
    return row >= 0 && row < static_cast<int>(lines_.size()) ? lines_[static_cast<std::size_t>(row)].id : 0;
}

bool ProtocolListForm::deleteCurrent()
{
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(lines_.size()))
        return false;
    ProtocolStore store(context_.connections.database(BaseId::Protocols), &context_.errorLog);
    if (!deleteProtocol(store, lines_[static_cast<std::size_t>(row)], context_.prompter))
        return false;
    refresh();
    return true;
}

QStringList ProtocolListForm::printSelected(const QString &folder)
{
    std::set<int> rows;
    for (const QTableWidgetItem *item : table_->selectedItems())
        rows.insert(item->row());
    if (rows.empty() && table_->currentRow() >= 0)
        rows.insert(table_->currentRow());
    if (rows.empty()) {
        context_.prompter.warning(QStringLiteral("Выберите протоколы для печати"), kTitle);
        return {};
    }
    QDir().mkpath(folder);
    ProtocolStore store(context_.connections.database(BaseId::Protocols), &context_.errorLog);
    QStringList files;
    for (const int row : rows) {
        const Result<Protocol> protocol = store.load(lines_[static_cast<std::size_t>(row)].id);
        if (!protocol) {
            context_.prompter.warning(protocol.error(), kTitle);
            continue;
        }
        const Result<ListOutcome> made = printProtocol(*protocol, protocol->calculate(),
            context_.shared.templatesFolder(), QDir(folder).filePath(protocolFileName(*protocol)), context_.prompter);
        if (!made) {
            context_.prompter.warning(made.error(), kTitle);
            continue;
        }
        files << made->path;
    }
    return files;
}

} // namespace kulvera
