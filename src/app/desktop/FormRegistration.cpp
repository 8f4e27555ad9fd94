#include "FormRegistration.h"

#include "DocumentCommands.h"
#include "costing/forms/AnalysisForm.h"
#include "costing/forms/CostingForms.h"
#include "documents/CardLayout.h"
#include "journals/forms/HygieneJournalForms.h"
#include "journals/forms/RejectionForms.h"
#include "maintenance/forms/MaintenanceForms.h"
#include "menus/forms/MenuEditorForm.h"
#include "menus/forms/MenuForms.h"
#include "products/forms/ProductForms.h"
#include "recipes/forms/RecipeEditorForm.h"
#include "recipes/forms/RecipeForms.h"
#include "research/forms/ResearchForms.h"
#include "shell/BasePerIni.h"
#include "shell/forms/CommandRegistry.h"
#include "shell/forms/ConfigurationForm.h"
#include "shell/forms/MainWindow.h"
#include "shell/forms/SettingsForm.h"
#include "util/MethodEditor.h"
#include "util/MethodStore.h"
#include "util/forms/FormulasForm.h"
#include "warehouse/forms/WarehouseForms.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStandardPaths>

#include <memory>

namespace kulvera {
namespace {

QWidget *openFormulas(AppContext &context, QWidget *parent)
{
    if (!context.connections.isConnected(BaseId::Methods)) {
        context.prompter.warning(QStringLiteral("Не подключена база физико-химических методик"));
        return nullptr;
    }
    // The store lives as long as the form that edits through it.
    auto store = std::make_shared<MethodStore>(context.connections.database(BaseId::Methods), &context.errorLog);
    auto editor = std::make_unique<MethodEditor>(*store, context.prompter, context.settings);
    auto *form = new FormulasForm(std::move(editor), parent);
    QObject::connect(form, &QObject::destroyed, [store] {});
    return form;
}

// Defaults kept outside the settings table: the databases folder of this
// installation and the cells of the card template.
std::optional<QString> installationDefault(Section section, const QString &key)
{
    if (section == Section::Data && key == u"Dir_book") {
        return SharedSettings::defaultDirBook(
            QCoreApplication::applicationDirPath(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    }
    if (section == Section::DocumentsTTK) {
        for (const CardCellSetting &cell : cardCellSettings()) {
            if (key == QStringView(cell.key))
                return QString::fromUtf16(cell.value);
        }
    }
    return std::nullopt;
}

QWidget *openSettings(AppContext &context, QWidget *parent, SettingsForm::Scope scope)
{
    auto editor = std::make_unique<SettingsEditor>(
        context.settings, context.shared, context.prompter, basePerIniPath(context.shared), installationDefault);
    return new SettingsForm(std::move(editor), context.prompter, scope, parent);
}

} // namespace

void registerForms(CommandRegistry &registry)
{
    registry.add(QStringLiteral("Feat"),
        [](AppContext &context, QWidget *parent) { return openSettings(context, parent, SettingsForm::Scope::Basic); });
    registry.add(QStringLiteral("FeatNew2"), [](AppContext &context, QWidget *parent) {
        return openSettings(context, parent, SettingsForm::Scope::Extended);
    });
    registry.add(QStringLiteral("conf"),
        [](AppContext &context, QWidget *parent) -> QWidget * { return new ConfigurationForm(context, parent); });
    registry.add(QStringLiteral("meth_edit"), openFormulas);
    // The physico-chemical methods are the formulas of the methods base.
    registry.add(QStringLiteral("FH_Base"), openFormulas);
    registerResearchForms(registry);
    registerProductForms(registry);
    registerRecipeForms(registry);
    registerMenuForms(registry);
    registerWarehouseForms(registry);
    registerCostingForms(registry);
    registerRejectionForms(registry);
    registerDocumentCommands(registry);
    registerHygieneJournalForms(registry);
    registerMaintenanceForms(registry);
}

void preloadForms(MainWindow &window, AppContext &context)
{
    // The editors are made at start, hidden, so their commands show them at once.
    const auto hide = [](QWidget *form) {
        if (auto *sub = form ? qobject_cast<QMdiSubWindow *>(form->parentWidget()) : nullptr)
            sub->hide();
    };
    if (context.settings.get(Section::Data, QStringLiteral("bDontLoadTN"), QStringLiteral("0")) == u"0") {
        context.prompter.status(QStringLiteral("Загрузка форм :: разработка рецептур..."));
        hide(openRecipeEditor(context, &window));
    }
    if (context.settings.get(Section::Data, QStringLiteral("bDontLoadMenu"), QStringLiteral("0")) == u"0") {
        context.prompter.status(QStringLiteral("Загрузка форм :: меню рационов..."));
        hide(openMenuEditor(context, &window));
    }
}

bool openMenuFileInAnalysis(MainWindow &window, const QString &file)
{
    window.runCommand(QStringLiteral("AnalysMenu"));
    for (QMdiSubWindow *sub : window.documents()->subWindowList()) {
        if (auto *form = qobject_cast<AnalysisForm *>(sub->widget()))
            return form->analyseMenuFile(file);
    }
    return false;
}

} // namespace kulvera
