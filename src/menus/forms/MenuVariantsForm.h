#pragma once

#include "shell/AppContext.h"

#include <QWidget>

#include <memory>

class QLineEdit;
class QListWidget;

namespace kulvera {

class MenuBase;
class MenuVariants;

// The menu variants (consumer groups) of the menu base: add, rename, delete
// with their questions, and the free-text parameter of each beside the list.
class MenuVariantsForm : public QWidget
{
    Q_OBJECT
public:
    explicit MenuVariantsForm(AppContext &context, QWidget *parent = nullptr);
    ~MenuVariantsForm() override;

    bool add();
    bool renameCurrent();
    bool removeCurrent();
    void reload(int selectId = 0);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int currentId() const;
    void showParameter();

    AppContext &context_;
    std::unique_ptr<MenuBase> base_;
    std::unique_ptr<MenuVariants> variants_;
    QListWidget *list_;
    QLineEdit *parameter_;
};

} // namespace kulvera
