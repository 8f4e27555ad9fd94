#include "warehouse/forms/ProductBookForm.h"

#include "common/NumberText.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "shell/SharedSettings.h"
#include "shell/SqlStatement.h"
#include "warehouse/TurnoverDocuments.h"
#include "warehouse/forms/TurnoverForm.h"
#include "warehouse/forms/WarehouseGrid.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kulvera {
namespace {

enum Column { Product, Date, Document, Balance, Incoming, Outgoing, ColumnCount };

} // namespace

ProductBookForm::ProductBookForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , base_(context)
{
    setObjectName(QStringLiteral("Calc_Prods"));
    setWindowTitle(kProductBookTitle.toString());
    period_ = new ReportPeriod(base_, this);
    products_ = new QListWidget(this);
    products_->setObjectName(QStringLiteral("products"));
    products_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ProductBookFilter listing;
    readBookListing(context.settings, listing);
    fullIncoming_ = new QCheckBox(QStringLiteral("Приход полностью"), this);
    fullIncoming_->setObjectName(QStringLiteral("fullIncoming"));
    fullIncoming_->setChecked(listing.fullIncoming);
    fullOutgoing_ = new QCheckBox(QStringLiteral("Расход полностью"), this);
    fullOutgoing_->setObjectName(QStringLiteral("fullOutgoing"));
    fullOutgoing_->setChecked(listing.fullOutgoing);
    auto *buildButton = new QPushButton(QStringLiteral("Сформировать"), this);
    buildButton->setObjectName(QStringLiteral("build"));
    auto *printButton = new QPushButton(QStringLiteral("Печать..."), this);
    printButton->setObjectName(QStringLiteral("print"));
    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName(QStringLiteral("book"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setHorizontalHeaderLabels({QStringLiteral("Сырье"), QStringLiteral("Дата"), QStringLiteral("Документ"),
        QStringLiteral("Остаток"), QStringLiteral("Приход"), QStringLiteral("Расход")});
    table_->horizontalHeader()->setSectionResizeMode(Product, QHeaderView::Stretch);
    auto *top = new QHBoxLayout;
    top->addWidget(period_, 1);
    top->addWidget(fullIncoming_);
    top->addWidget(fullOutgoing_);
    top->addWidget(buildButton);
    top->addWidget(printButton);
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(products_);
    split->addWidget(table_);
    split->setStretchFactor(1, 3);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    connect(buildButton, &QPushButton::clicked, this, &ProductBookForm::build);
    connect(printButton, &QPushButton::clicked, this, &ProductBookForm::choosePrintFile);
    connect(fullIncoming_, &QCheckBox::toggled, this, [this](bool on) {
        base_.context().settings.save(
            Section::Data, QStringLiteral("bFullIncomPB"), on ? QStringLiteral("1") : QStringLiteral("0"));
    });
    connect(fullOutgoing_, &QCheckBox::toggled, this, [this](bool on) {
        base_.context().settings.save(
            Section::Data, QStringLiteral("bFullExpPB"), on ? QStringLiteral("1") : QStringLiteral("0"));
    });
    fillProducts();
}

void ProductBookForm::fillProducts()
{
    products_->clear();
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT p.\"Код\", p.\"Имя2\" FROM ") + base_.productTable()
            + QStringLiteral(" p WHERE p.\"Код\" IN (SELECT DISTINCT \"Код_Прод\" FROM \"Приход_Товара\") "
                             "ORDER BY p.\"Имя2\""),
        base_.errorLog());
    if (!s.exec())
        return;
    while (s.next()) {
        auto *item = new QListWidgetItem(s.value(1).toString(), products_);
        item->setData(Qt::UserRole, s.value(0).toLongLong());
    }
}

bool ProductBookForm::build()
{
    Prompter &prompter = base_.context().prompter;
    prompter.status(QStringLiteral("Формирование отчета :: ") + kProductBookTitle + QStringLiteral("..."));
    const TurnoverFilter f = period_->filter();
    ProductBookFilter filter;
    filter.warehouse = f.warehouse;
    filter.from = f.from;
    filter.to = f.to;
    filter.movements = f.movements;
    filter.fullIncoming = fullIncoming_->isChecked();
    filter.fullOutgoing = fullOutgoing_->isChecked();
    for (const QListWidgetItem *item : products_->selectedItems())
        filter.products.push_back(item->data(Qt::UserRole).toLongLong());
    auto book = productBook(base_, filter);
    table_->setRowCount(0);
    sections_.clear();
    if (!book) {
        prompter.warning(book.error(), windowTitle());
        return false;
    }
    sections_ = std::move(book).value();
    const auto add = [this](const QStringList &cells) {
        const int r = table_->rowCount();
        table_->insertRow(r);
        for (int c = 0; c < cells.size(); ++c)
            table_->setItem(r, c, textItem(cells[c], false));
    };
    const auto dateText = [](const QDate &d) { return d.isValid() ? formatTextDate(d) : QString(); };
    for (const ProductBookSection &s : sections_) {
        add({s.name, formatTextDate(f.from.addDays(-1)), QStringLiteral("Остаток"), formatFixed(s.opening, 3)});
        for (const BookEntry &e : s.receipts)
            add({QString(), dateText(e.date), e.number, QString(), formatFixed(e.quantity, 3)});
        for (const BookEntry &e : s.outgoing)
            add({QString(), dateText(e.date), e.number, QString(), QString(), formatFixed(e.quantity, 3)});
        add({QString(), formatTextDate(f.to), QStringLiteral("Остаток"), formatFixed(s.closing, 3)});
    }
    prompter.status(kReportDone.toString());
    return true;
}

bool ProductBookForm::print(const QString &outputPath)
{
    Prompter &prompter = base_.context().prompter;
    if (sections_.empty()) {
        prompter.warning(QStringLiteral("Сначала сформируйте отчет."), windowTitle());
        return false;
    }
    const auto done = printProductBook(sections_, period_->heading(), base_.context().shared.templatesFolder(),
        base_.context().settings, outputPath, prompter);
    if (!done)
        prompter.warning(done.error(), windowTitle());
    return done.ok();
}

void ProductBookForm::choosePrintFile()
{
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранение книги"),
        QStringLiteral("prods_book.xlsx"), QStringLiteral("Книга Excel (*.xlsx)"));
    if (!file.isEmpty() && print(file))
        base_.context().prompter.message(QStringLiteral("Книга сохранена: ") + file);
}

} // namespace kulvera
