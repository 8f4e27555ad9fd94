#include "DocumentCommands.h"

#include "ListDocumentExports.h"
#include "costing/DishCalcCard.h"
#include "costing/RequisitionDocument.h"
#include "documents/CardPrinting.h"
#include "menus/forms/MenuEditorForm.h"
#include "recipes/HeatTreatment.h"
#include "recipes/Microbiology.h"
#include "recipes/forms/RecipeEditorForm.h"
#include "shell/DishCollections.h"
#include "shell/LastFileFolder.h"
#include "shell/forms/CommandRegistry.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>

namespace kulvera {
namespace {

// The recipe editor's print command: the card into the user's folder of cards, then shown.
bool printCardOfEditor(colBludo &slot, const QString &name, const QString &output, AppContext &context)
{
    const QString folder = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                               .filePath(QStringLiteral("Kulvera/Технологические карты"));
    const MicrobiologyBase &microbiology = programMicrobiology();
    const Result<CardOutcome> made = printCardIntoFolder(slot, name, output, folder, context.shared.templatesFolder(),
        programLossTables(), microbiology.loaded() ? &microbiology : nullptr, context.settings, context.prompter);
    if (!made)
        return false;
    QDesktopServices::openUrl(QUrl::fromLocalFile(made->path));
    return true;
}

// The menu editor's print command: the requisition into the user's folder of requisitions, then shown.
bool printRequisitionOfEditor(const Ration &ration, AppContext &context)
{
    const QDir folder(QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                          .filePath(QStringLiteral("Kulvera/Требования")));
    if (!QDir().mkpath(folder.path())) {
        context.prompter.warning(QStringLiteral("Не удалось создать папку: ") + folder.path());
        return false;
    }
    const Result<ListOutcome> made = printRequisition(ration, context.connections, context.shared.templatesFolder(),
        context.settings, folder.filePath(requisitionFileName(ration)), context.prompter);
    if (!made) {
        context.prompter.warning(made.error());
        return false;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(made->path));
    return true;
}

// The menu editor's calculation cards: into the user's folder of cards; one card is shown, the
// folder of all the cards of a ration is opened.
bool printCalcCardsOfEditor(const Ration &ration, int number, double markupPercent, AppContext &context)
{
    const QString folder = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                               .filePath(QStringLiteral("Kulvera/Калькуляционные карты"));
    const Result<QStringList> made = printRationCalcCards(ration, number, markupPercent, folder, context);
    if (!made)
        return false;
    QDesktopServices::openUrl(QUrl::fromLocalFile(number == 0 ? folder : made->front()));
    return true;
}

// Asks for the file, writes the product statement and opens it.
void printProductStatement(AppContext &context, QWidget *parent)
{
    const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Ведомость продуктов"),
        QDir(lastFileFolder(context.settings)).filePath(QStringLiteral("Ведомость продуктов.xlsx")),
        QStringLiteral("Книга Excel (*.xlsx)"));
    if (path.isEmpty())
        return;
    rememberFileFolder(context.settings, path);
    const Result<ListOutcome> made = exportProductStatement(context, path);
    if (!made) {
        context.prompter.error(made.error());
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(made->path));
}

// The product groups window with the export of the product statement beneath its list.
CommandRegistry::Opener withStatementExport(CommandRegistry::Opener groups)
{
    return [groups](AppContext &context, QWidget *parent) -> QWidget * {
        QWidget *list = groups(context, nullptr);
        if (!list)
            return nullptr;
        auto *form = new QWidget(parent);
        form->setObjectName(list->objectName());
        form->setWindowTitle(list->windowTitle());
        list->setObjectName(list->objectName() + QStringLiteral("List"));
        auto *layout = new QVBoxLayout(form);
        layout->addWidget(list);
        auto *exportButton = new QPushButton(QStringLiteral("Экспорт ведомости продуктов..."), form);
        exportButton->setObjectName(QStringLiteral("exportStatement"));
        layout->addWidget(exportButton, 0, Qt::AlignRight);
        QObject::connect(
            exportButton, &QPushButton::clicked, form, [&context, form] { printProductStatement(context, form); });
        return form;
    };
}

// Asks for the collection (when there are several) and the file, writes the register and opens it
// with the desktop's spreadsheet program. Returns no form: the work is done here.
QWidget *printRecipeRegister(AppContext &context, QWidget *parent)
{
    const QList<DishCollection> collections = listCollections(context.connections, context.settings);
    if (collections.isEmpty()) {
        context.prompter.warning(QStringLiteral("В базе блюд нет ни одной коллекции рецептур."));
        return nullptr;
    }
    DishCollection chosen = collections.front();
    if (collections.size() > 1) {
        QStringList names;
        for (const DishCollection &c : collections)
            names << c.name;
        bool ok = false;
        const QString name = QInputDialog::getItem(
            parent, QStringLiteral("Реестр блюд"), QStringLiteral("Коллекция рецептур:"), names, 0, false, &ok);
        if (!ok)
            return nullptr;
        chosen = collections.at(names.indexOf(name));
    }
    const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Реестр блюд"),
        QDir(lastFileFolder(context.settings)).filePath(QStringLiteral("Реестр блюд.xlsx")),
        QStringLiteral("Книга Excel (*.xlsx)"));
    if (path.isEmpty())
        return nullptr;
    rememberFileFolder(context.settings, path);
    const Result<ListOutcome> made = exportRecipeRegister(context, chosen.table, path);
    if (!made) {
        context.prompter.error(made.error());
        return nullptr;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(made->path));
    return nullptr;
}

} // namespace

void registerDocumentCommands(CommandRegistry &registry)
{
    registry.add(QStringLiteral("ReestrBlud"), printRecipeRegister);
    RecipeEditorForm::setCardPrinter(printCardOfEditor);
    MenuEditorForm::setRequisitionPrinter(printRequisitionOfEditor);
    MenuEditorForm::setCalcCardPrinter(printCalcCardsOfEditor);
    if (CommandRegistry::Opener groups = registry.opener(QStringLiteral("Prod_Group")))
        registry.add(QStringLiteral("Prod_Group"), withStatementExport(std::move(groups)));
}

} // namespace kulvera
