#pragma once

#include "shell/AppContext.h"

#include <QWidget>

#include <QSet>

#include <memory>
#include <optional>

class QLineEdit;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace kulvera {

class DishBase;
class DishGroups;

// The groups of the dish catalogue as a tree: add a group (Insert) or a
// subgroup (Shift+Insert), rename in place, delete (Delete, after the
// question), expand state kept, find by part of the name.
class DishGroupsForm : public QWidget
{
    Q_OBJECT
public:
    explicit DishGroupsForm(AppContext &context, QWidget *parent = nullptr);
    ~DishGroupsForm() override;
    void reload();
    QTreeWidget *tree() const { return tree_; }
    void addGroup(bool subgroup);
    void deleteCurrent();

signals:
    // The group chosen in the tree; 0 when none is.
    void groupChosen(qint64 key);

private:
    AppContext &context_;
    std::unique_ptr<DishGroups> groups_;
    QTreeWidget *tree_;
    QLineEdit *find_;
    bool filling_ = false;
};

// The dish base: its collections (Base_ID), the recipes of the chosen one
// with search as you type, and the groups (choosing one shows its recipes). Opens a recipe in the editor,
// deletes recipes, writes the selected ones to ".nd2" files.
class DishBaseBrowser : public QWidget
{
    Q_OBJECT
public:
    explicit DishBaseBrowser(AppContext &context, QWidget *parent = nullptr);
    ~DishBaseBrowser() override;

    void reloadCollections();
    void reloadRecipes();
    QString currentTable() const;
    QStringList selectedRecipes() const;
    QListWidget *recipes() const { return recipes_; }
    QListWidget *collections() const { return collections_; }
    bool addCollection(const QString &name);
    bool removeCurrentCollection();
    bool deleteSelected();
    int exportSelected(const QString &folder);
    // Only the recipes of the group (and its subgroups) are shown; 0 shows all.
    void showGroup(qint64 key);
    DishGroupsForm *groups() const { return groups_; }

signals:
    void openRequested(const QString &table, const QString &name);

private:
    DishBase *base();
    void applySearch();

    AppContext &context_;
    std::unique_ptr<DishBase> base_;
    QListWidget *collections_;
    QLineEdit *search_;
    QListWidget *recipes_;
    DishGroupsForm *groups_ = nullptr;
    std::optional<QSet<QString>> groupRecipes_; // case-folded names; unset: every recipe
};

// The semi-finished products kept for reuse (their own base, table dt001,
// names in l6): search as you type, delete, and add into the recipe editor.
class SemiFinishedListForm : public QWidget
{
    Q_OBJECT
public:
    explicit SemiFinishedListForm(AppContext &context, QWidget *parent = nullptr);
    ~SemiFinishedListForm() override;
    void reload();
    QListWidget *list() const { return list_; }
    // Asks for the current semi-finished product to go into the recipe
    // editor (the button, Enter or a double click); false without one.
    bool requestAdd();

signals:
    void addRequested(const QString &name);

private:
    AppContext &context_;
    std::unique_ptr<DishBase> base_;
    QLineEdit *search_;
    QListWidget *list_;
};

} // namespace kulvera
