#include "products/forms/ProductListForm.h"

#include "products/forms/ModificationsForm.h"
#include "products/forms/ProductCard.h"
#include "shell/forms/MainWindow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace kulvera {

ProductListForm::ProductListForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , base_(context)
    , model_(new ProductListModel(this))
    , filter_(new ProductFilterModel(this))
    , search_(new QLineEdit(this))
    , group_(new QComboBox(this))
    , view_(new QTableView(this))
{
    setObjectName(QStringLiteral("ProductListForm"));
    setWindowTitle(ProductBase::kTitle.toString());
    search_->setObjectName(QStringLiteral("search"));
    search_->setPlaceholderText(QStringLiteral("Поиск по наименованию"));
    group_->setObjectName(QStringLiteral("group"));
    view_->setObjectName(QStringLiteral("products"));
    filter_->setSourceModel(model_);
    filter_->setSortRole(Qt::EditRole);
    view_->setModel(filter_);
    view_->setSortingEnabled(true);
    view_->sortByColumn(ProductListModel::FullName, Qt::AscendingOrder);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view_->horizontalHeader()->setSectionResizeMode(ProductListModel::FullName, QHeaderView::Stretch);

    group_->addItem(QStringLiteral("Все группы"), 0);
    std::map<qint64, QString> names = productGroupNames(context);
    for (const auto &[key, name] : names)
        group_->addItem(name, key);
    model_->setGroupNames(std::move(names));

    auto *top = new QHBoxLayout;
    top->addWidget(search_, 1);
    top->addWidget(group_);
    auto *buttons = new QHBoxLayout;
    const auto button = [&](const QString &name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        buttons->addWidget(b);
        return b;
    };
    connect(button(QStringLiteral("open"), QStringLiteral("Открыть")), &QPushButton::clicked, this,
        [this] { openCard(currentKey()); });
    connect(button(QStringLiteral("add"), QStringLiteral("Новый продукт")), &QPushButton::clicked, this,
        [this] { openCard(0); });
    connect(button(QStringLiteral("copy"), QStringLiteral("Копировать")), &QPushButton::clicked, this, [this] {
        if (currentKey() > 0 && base_.copy(currentKey()))
            reload();
    });
    connect(button(QStringLiteral("delete"), QStringLiteral("Удалить")), &QPushButton::clicked, this, [this] {
        if (currentKey() > 0 && base_.remove(currentKey()))
            reload();
    });
    connect(button(QStringLiteral("mods"), QStringLiteral("Модификации")), &QPushButton::clicked, this, [this] {
        auto *form = new ModificationsForm(context_, currentKey());
        form->resize(760, 360);
        showForm(form);
    });
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(view_, 1);
    layout->addLayout(buttons);

    connect(search_, &QLineEdit::textChanged, filter_, &ProductFilterModel::setSearch);
    connect(group_, &QComboBox::currentIndexChanged, this,
        [this](int index) { filter_->setGroup(group_->itemData(index).toLongLong()); });
    connect(view_, &QTableView::doubleClicked, this, [this] { openCard(currentKey()); });
    reload();
}

void ProductListForm::reload()
{
    auto rows = base_.list();
    if (!rows) {
        context_.prompter.error(rows.error());
        return;
    }
    model_->setRows(std::move(rows.value()));
}

qint64 ProductListForm::currentKey() const
{
    const QModelIndex index = view_->currentIndex();
    return index.isValid() ? index.data(ProductListModel::KeyRole).toLongLong() : 0;
}

void ProductListForm::openCard(qint64 key)
{
    auto *card = new ProductCard(context_, key);
    connect(card, &ProductCard::saved, this, &ProductListForm::reload);
    showForm(card);
}

void ProductListForm::showForm(QWidget *form)
{
    if (auto *main = qobject_cast<MainWindow *>(window())) {
        main->showDocument(form, form->objectName());
        return;
    }
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->show();
}

} // namespace kulvera
