#include "shell/forms/SingleEditor.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace kulvera {

void bringForward(QWidget *form)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(form->parentWidget())) {
        sub->showNormal();
        if (sub->mdiArea())
            sub->mdiArea()->setActiveSubWindow(sub);
    }
    form->show();
}

} // namespace kulvera
