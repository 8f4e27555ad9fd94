#pragma once

#include <QWidget>

namespace kulvera {

struct AppContext;

// The configuration of this installation (`conf`): the databases and
// templates folders and every base of the catalogue with its file, its path
// and whether the program is connected to it. Read-only: the files are
// chosen in the settings.
class ConfigurationForm : public QWidget
{
    Q_OBJECT
public:
    explicit ConfigurationForm(AppContext &context, QWidget *parent = nullptr);
};

} // namespace kulvera
