#pragma once

#include <QString>

class QBoxLayout;
class QPushButton;
class QWidget;

namespace kulvera {

// A push button added to a row of a form, named so tests and the layout
// memory find it.
QPushButton *addButton(QWidget *owner, QBoxLayout *row, const QString &name, const QString &text);

} // namespace kulvera
