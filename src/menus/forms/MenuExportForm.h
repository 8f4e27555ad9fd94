#pragma once

#include "shell/AppContext.h"

#include <QWidget>

#include <memory>
#include <optional>

class QComboBox;
class QLineEdit;

namespace kulvera {

class MenuBase;

// "Сохранить меню в файл" (command Menu_Export): the dates typed as a list
// ("02.03.2026, 03.03.2026"), an optional group for the transfer file, and
// the menu export (.menu) and transfer (.sql_menu) files saved and loaded.
class MenuExportForm : public QWidget
{
    Q_OBJECT
public:
    explicit MenuExportForm(AppContext &context, QWidget *parent = nullptr);
    ~MenuExportForm() override;

    // The operations of the buttons, on a chosen file; tests call them directly.
    bool exportMenu(const QString &path);
    bool exportSql(const QString &path);
    // A ".sql_menu", or a ".menu" export file, added to the menu base.
    bool importFile(const QString &path);

private:
    void chooseExportFile();
    void chooseSqlFile();
    void chooseImportFile();
    std::optional<QString> chosenGroup() const;

    AppContext &context_;
    std::unique_ptr<MenuBase> base_;
    QLineEdit *dates_;
    QComboBox *group_;
};

} // namespace kulvera
