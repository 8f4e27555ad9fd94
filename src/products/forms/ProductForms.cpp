#include "products/forms/ProductForms.h"

#include "common/NumberText.h"
#include "products/ProductFile.h"
#include "products/ProductMods.h"
#include "products/ProductSync.h"
#include "products/UnitBase.h"
#include "products/forms/ProductCard.h"
#include "products/forms/ProductListForm.h"
#include "shell/LastFileFolder.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kulvera {
namespace {

constexpr int kWarehouse = static_cast<int>(BaseId::Warehouse);

// Groups with their products: unit of the price and price per unit.
QWidget *groupsForm(AppContext &context, QWidget *parent)
{
    UnitBase units(context.connections, context.settings, context.prompter, kWarehouse);
    if (!units.available())
        return nullptr;
    auto *tree = new QTreeWidget(parent);
    tree->setObjectName(QStringLiteral("ProductGroups"));
    tree->setWindowTitle(QStringLiteral("Группы продуктов"));
    tree->setHeaderLabels(
        {QStringLiteral("Группа / продукт"), QStringLiteral("Ед. изм."), QStringLiteral("Цена за ед.")});
    std::map<qint64, QString> unitNames;
    for (const Unit &u : units.units())
        unitNames[u.id] = u.name;
    std::map<qint64, QTreeWidgetItem *> groups;
    for (const UnitGroup &g : units.groups())
        groups[g.key] = new QTreeWidgetItem(tree, QStringList {g.name});
    ProductBase base(context);
    if (const auto rows = base.list()) {
        for (const ProductRow &row : *rows) {
            const auto it = groups.find(row.groupKey);
            if (it == groups.end())
                continue;
            new QTreeWidgetItem(
                it->second, QStringList {row.prod.FullName, unitNames[row.priceUnit], formatFixed(row.prod.Price, 2)});
        }
    }
    tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    return tree;
}

// Units by group; coefficients edited in place under the window's rules.
QWidget *unitsForm(AppContext &context, QWidget *parent)
{
    auto units = std::make_shared<UnitBase>(context.connections, context.settings, context.prompter, kWarehouse);
    if (!units->available())
        return nullptr;
    auto *form = new QWidget(parent);
    form->setObjectName(QStringLiteral("Units"));
    form->setWindowTitle(UnitBase::kTitle.toString());
    auto *table = new QTableWidget(0, 4, form);
    table->setHorizontalHeaderLabels({QStringLiteral("Группа"), QStringLiteral("Ед. изм."),
        QStringLiteral("Коэффициент"), QStringLiteral("Базовая")});
    const auto fill = [units, table] {
        const QSignalBlocker block(table);
        std::map<qint64, QString> groupNames;
        for (const UnitGroup &g : units->groups())
            groupNames[g.key] = g.name;
        table->setRowCount(0);
        for (const Unit &u : units->units()) {
            const int r = table->rowCount();
            table->insertRow(r);
            auto *group = new QTableWidgetItem(groupNames[u.group]);
            group->setData(Qt::UserRole, u.id);
            group->setFlags(group->flags() & ~Qt::ItemIsEditable);
            table->setItem(r, 0, group);
            table->setItem(r, 1, new QTableWidgetItem(u.name));
            table->setItem(r, 2, new QTableWidgetItem(formatNumber(u.koef)));
            auto *isBase = new QTableWidgetItem;
            isBase->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            isBase->setCheckState(u.isBase ? Qt::Checked : Qt::Unchecked);
            table->setItem(r, 3, isBase);
        }
    };
    QObject::connect(table, &QTableWidget::itemChanged, form, [units, table, fill](QTableWidgetItem *item) {
        const qint64 id = table->item(item->row(), 0)->data(Qt::UserRole).toLongLong();
        const auto u = units->unit(id);
        if (!u)
            return;
        if (item->column() == 1)
            units->rename(id, item->text(), u->pref);
        else if (item->column() == 2)
            units->setKoef(id, numberOr(item->text()));
        else if (item->column() == 3)
            units->setBase(id, item->checkState() == Qt::Checked);
        fill(); // a refused change shows the stored value again
    });
    auto *buttons = new QHBoxLayout;
    auto *addGroup = new QPushButton(QStringLiteral("Новая группа"), form);
    auto *addUnit = new QPushButton(QStringLiteral("Новая ед. изм."), form);
    auto *remove = new QPushButton(QStringLiteral("Удалить"), form);
    for (QPushButton *b : {addGroup, addUnit, remove})
        buttons->addWidget(b);
    QObject::connect(addGroup, &QPushButton::clicked, form, [units, fill] {
        if (const auto key = units->addGroup())
            units->addUnit(*key, QStringLiteral("кг"), 1);
        fill();
    });
    QObject::connect(addUnit, &QPushButton::clicked, form, [units, table, fill] {
        const int r = table->currentRow();
        if (r < 0)
            return;
        if (const auto u = units->unit(table->item(r, 0)->data(Qt::UserRole).toLongLong()))
            units->addUnit(u->group, QStringLiteral("ед."), 1);
        fill();
    });
    QObject::connect(remove, &QPushButton::clicked, form, [units, table, fill] {
        const int r = table->currentRow();
        if (r >= 0)
            units->remove(table->item(r, 0)->data(Qt::UserRole).toLongLong());
        fill();
    });
    auto *layout = new QVBoxLayout(form);
    layout->addWidget(table, 1);
    layout->addLayout(buttons);
    fill();
    return form;
}

QWidget *syncForm(AppContext &context, QWidget *parent)
{
    if (!context.prompter.confirm(QStringLiteral("Сихронизация базы продуктов..."), ProductBase::kTitle.toString()))
        return nullptr;
    const Status s = synchronizeProductBase(context.connections, context.settings, context.shared, context.prompter);
    if (s)
        context.prompter.status(QStringLiteral("База продуктов синхронизирована"));
    (void)parent;
    return nullptr;
}

QWidget *loadFromFile(AppContext &context, QWidget *parent)
{
    const QString path = QFileDialog::getOpenFileName(parent, QStringLiteral("Загрузить продукт"),
        lastFileFolder(context.settings), QStringLiteral("Продукты КВ (*.prod)"));
    if (path.isEmpty())
        return nullptr;
    rememberFileFolder(context.settings, path);
    ProductBase base(context);
    const auto key = importProductFile(base, path);
    if (!key) {
        context.prompter.error(key.error());
        return nullptr;
    }
    return new ProductCard(context, *key, parent);
}

} // namespace

void registerProductForms(CommandRegistry &registry)
{
    registry.add(
        QStringLiteral("prod"), [](AppContext &c, QWidget *p) -> QWidget * { return new ProductListForm(c, p); });
    registry.add(
        QStringLiteral("ProdNew"), [](AppContext &c, QWidget *p) -> QWidget * { return new ProductCard(c, 0, p); });
    registry.add(QStringLiteral("Prod_Group"), groupsForm);
    registry.add(QStringLiteral("Measure"), unitsForm);
    registry.add(QStringLiteral("Load_Prod_from_file"), loadFromFile);
    registry.add(QStringLiteral("SyncProds"), syncForm);
}

} // namespace kulvera
