#pragma once

#include "menus/Ration.h"
#include "shell/AppContext.h"

#include <QWidget>

#include <memory>
#include <vector>

class QTreeWidget;

namespace kulvera {

class MenuBase;

// The rations of the menu base ("Дата", "Группа", sortable by either; dates
// as dates), with changing a ration's date, deleting the chosen rations,
// archiving the whole menu base and moving its rations into another menu base.
class MenuArchiveForm : public QWidget
{
    Q_OBJECT
public:
    explicit MenuArchiveForm(AppContext &context, QWidget *parent = nullptr);
    ~MenuArchiveForm() override;

    void reload();
    std::vector<RationKey> chosenRations() const;
    bool changeDateOfCurrent();
    bool removeChosen();
    bool archive();
    // Into the menu base at `path`, made first when there is no file there.
    bool moveTo(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void chooseTargetAndMove();
    QString tempFolder() const;

    AppContext &context_;
    std::unique_ptr<MenuBase> base_;
    QTreeWidget *list_;
};

} // namespace kulvera
