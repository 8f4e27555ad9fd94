#include "shell/forms/ConfigurationForm.h"

#include "shell/AppContext.h"
#include "shell/Catalogue.h"

#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kulvera {

ConfigurationForm::ConfigurationForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("conf"));
    setWindowTitle(QStringLiteral("Конфигурация"));
    auto *layout = new QVBoxLayout(this);
    auto *folders = new QFormLayout;
    auto addFolder = [&](const QString &name, const QString &caption, const QString &path) {
        auto *label = new QLabel(path, this);
        label->setObjectName(name);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        folders->addRow(caption, label);
    };
    addFolder(QStringLiteral("dirBook"), QStringLiteral("Папка баз данных:"), context.shared.dirBook());
    addFolder(
        QStringLiteral("databasesFolder"), QStringLiteral("Папка баз программы:"), context.shared.databasesFolder());
    addFolder(QStringLiteral("templatesFolder"), QStringLiteral("Папка шаблонов:"), context.shared.templatesFolder());
    layout->addLayout(folders);

    auto *bases = new QTreeWidget(this);
    bases->setObjectName(QStringLiteral("bases"));
    bases->setRootIsDecorated(false);
    bases->setHeaderLabels(
        {QStringLiteral("База"), QStringLiteral("Файл"), QStringLiteral("Подключена"), QStringLiteral("Путь")});
    for (const CatalogueEntry &e : catalogue()) {
        const int number = static_cast<int>(e.id);
        const bool connected = context.connections.isConnected(number);
        const QString path
            = connected ? context.connections.path(number) : basePath(e.id, context.settings, context.shared);
        new QTreeWidgetItem(bases,
            {QString::fromUtf16(e.role), baseFileName(e.id, context.settings),
                connected ? QStringLiteral("да") : QStringLiteral("нет"), path});
    }
    bases->header()->resizeSections(QHeaderView::ResizeToContents);
    layout->addWidget(bases, 1);
}

} // namespace kulvera
