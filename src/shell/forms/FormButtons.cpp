#include "shell/forms/FormButtons.h"

#include <QBoxLayout>
#include <QPushButton>

namespace kulvera {

QPushButton *addButton(QWidget *owner, QBoxLayout *row, const QString &name, const QString &text)
{
    auto *b = new QPushButton(text, owner);
    b->setObjectName(name);
    row->addWidget(b);
    return b;
}

} // namespace kulvera
