#include "research/forms/ResearchForms.h"

#include "research/forms/ProtocolForm.h"
#include "research/forms/ProtocolListForm.h"
#include "shell/forms/MainWindow.h"

namespace kulvera {
namespace {

// A protocol form beside the list; the list follows what the form saves.
void openProtocolForm(AppContext &context, ProtocolListForm *list, QWidget *mainWindow, int id)
{
    auto *form = new ProtocolForm(context);
    if (id != 0 && !form->openProtocol(id)) {
        delete form;
        return;
    }
    QObject::connect(form, &ProtocolForm::saved, list, [list](int saved) {
        list->refresh();
        list->selectProtocol(saved);
    });
    if (auto *window = qobject_cast<MainWindow *>(mainWindow))
        window->showDocument(form, form->objectName());
    else
        form->show();
}

QWidget *openList(AppContext &context, QWidget *parent, const QString &title)
{
    if (!context.connections.isConnected(BaseId::Protocols)) {
        context.prompter.warning(QStringLiteral("Не подключена база протоколов испытаний"));
        return nullptr;
    }
    auto *list = new ProtocolListForm(context, parent);
    list->setWindowTitle(title);
    QObject::connect(list, &ProtocolListForm::newRequested, list,
        [&context, list, parent] { openProtocolForm(context, list, parent, 0); });
    QObject::connect(list, &ProtocolListForm::openRequested, list,
        [&context, list, parent](int id) { openProtocolForm(context, list, parent, id); });
    return list;
}

} // namespace

void registerResearchForms(CommandRegistry &registry)
{
    registry.add(QStringLiteral("FH_New"), [](AppContext &context, QWidget *parent) {
        return openList(context, parent, QStringLiteral("Протоколы испытаний"));
    });
    registry.add(QStringLiteral("prt_fh"), [](AppContext &context, QWidget *parent) {
        return openList(context, parent, QStringLiteral("Печать протоколов"));
    });
}

} // namespace kulvera
