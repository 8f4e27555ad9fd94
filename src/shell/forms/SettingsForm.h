#pragma once

#include "shell/SettingsEditor.h"

#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kulvera {

class ConnectionPage;
class Prompter;

// The settings forms: `Feat` lists the settings a technologist changes,
// `FeatNew2` every shared setting, the bases and cells too. Settings are
// grouped, each row shows its caption, value, default and key; the search
// field filters by caption or key. Edits are written by "Применить" (changed
// keys only), "По умолчанию" restores the chosen setting's default.
class SettingsForm : public QWidget
{
    Q_OBJECT
public:
    enum class Scope { Basic, Extended };

    SettingsForm(std::unique_ptr<SettingsEditor> editor, Prompter &prompter, Scope scope, QWidget *parent = nullptr);

    SettingsEditor &editor() { return *editor_; }
    // The row of the editor an item shows; -1 for a group.
    static int rowOf(const QTreeWidgetItem *item);
    // Shows the rows whose caption or key holds `text`.
    void filter(const QString &text);
    bool apply();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void build();
    void refreshRow(QTreeWidgetItem *item);
    void itemChanged(QTreeWidgetItem *item, int column);
    void restoreCurrent();
    void browseCurrent();
    void currentChanged();

    std::unique_ptr<SettingsEditor> editor_;
    Prompter &prompter_;
    Scope scope_;
    QLineEdit *search_ = nullptr;
    QTreeWidget *tree_ = nullptr;
    QLabel *note_ = nullptr;
    QPushButton *restore_ = nullptr;
    QPushButton *browse_ = nullptr;
    ConnectionPage *connection_ = nullptr;
    bool refreshing_ = false;
};

} // namespace kulvera
