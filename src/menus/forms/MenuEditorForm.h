#pragma once

#include "menus/Ration.h"
#include "recipes/Nd2File.h"
#include "shell/AppContext.h"

#include <QWidget>

#include <functional>
#include <memory>

class QCalendarWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QUndoStack;

namespace kulvera {

class DishBase;
class MenuBase;
class RationEditing;

// The menu editor: a calendar whose days with a ration of the chosen group
// are marked, the group, the meals of the open ration with their dishes and
// totals, and the dish base to add from (type to search, Enter adds to the
// meal selected in the ration). Every edit of the ration is a snapshot on the
// undo stack and first asks the day lock; the stack's clean state is "saved".
class MenuEditorForm : public QWidget
{
    Q_OBJECT
public:
    explicit MenuEditorForm(AppContext &context, QWidget *parent = nullptr);
    ~MenuEditorForm() override;

    static constexpr QStringView kTitle = u"Меню рационов";

    const Ration &ration() const { return ration_; }
    bool isModified() const;
    // The question before the open ration is dropped unsaved; true when it may go.
    bool confirmDiscard();
    void discardChanges();
    QUndoStack *undoStack() const { return undo_; }
    bool isLocked() const { return locked_; }

    // The operations of the buttons; tests call them directly too.
    bool openRation(const QDate &date, const QString &group);
    bool addDish(const QString &meal, const QString &recipe, const QString &output = {});
    bool addChosenDish(); // the dish chosen in the list, into the meal chosen in the ration
    bool removeDish(int meal, int entry);
    bool moveDish(int meal, int entry, bool up);
    bool changeOutput(int dishNumber, const QString &output);
    bool save();
    bool addMeal();
    bool renameMeal(const QString &meal);
    bool removeMeal(const QString &meal);
    bool setDayLocked(bool locked);
    // The dish's recipe from the dish base, at the dish's output, in the recipe editor.
    bool openInRecipeEditor(int dishNumber);
    // The requisition printer of the program (documents are shown by the program, which sets
    // it); the print button is unavailable while none is set. It gets the open ration.
    using RequisitionPrinter = std::function<bool(const Ration &ration, AppContext &context)>;
    static void setRequisitionPrinter(RequisitionPrinter printer);
    bool printRequisition();
    // The dishes of the open ration into the rejection journal of its day and group.
    bool saveToRejectionJournal();
    // The calculation card printer of the program (it chooses the folder and shows what it wrote):
    // dish `number` of the open ration at the markup, or every dish when `number` is 0. The card
    // buttons are unavailable while none is set.
    using CalcCardPrinter
        = std::function<bool(const Ration &ration, int number, double markupPercent, AppContext &context)>;
    static void setCalcCardPrinter(CalcCardPrinter printer);
    // The card of the dish chosen in the ration, and "Экспорт всех калькуляционных карт.": each asks
    // for the markup first (offered from `GlobalNac`, which keeps the answer).
    bool printCalcCard();
    bool printAllCalcCards();
    // The ration as a ration file, and a ration file into the open ration
    // (an undoable edit, refused on a locked day). The clipboard is the
    // file "buf.menu" in bufferFolder(); its list shows files by title.
    bool saveRationToFile(const QString &file, const QString &title, bool askReplace = true);
    bool copyToBuffer(const QString &title);
    bool pasteFromFile(const QString &file);
    QString bufferFolder() const;
    // The meal and entry chosen in the ration view ({meal, 0} for a meal row; {0, 0} for none).
    std::pair<int, int> currentPlace() const;
    void selectDish(int meal, int entry);
    void selectMeal(const QString &meal);

signals:
    // A dish's recipe to show in the recipe editor (table of the dish base, name, output).
    void recipeRequested(const QString &table, const QString &name, const QString &output);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool edit(const std::function<bool(Ration &)> &change, const QString &text);
    void setRation(const Ration &ration);
    void showRation();
    void showTotals();
    void showPrice();
    void markCalendar();
    void fillGroups(const QString &current);
    void fillDishList();
    void filterDishes(const QString &text);
    QString currentGroup() const;
    QString currentMealName() const;
    void treeItemChanged(QTreeWidgetItem *item, int column);
    RecipeFileContext fileContext() const;
    void chooseRationFileToSave();
    void chooseRationFileToLoad();
    bool printCalcCards(int number);

    AppContext &context_;
    std::unique_ptr<MenuBase> base_;
    std::unique_ptr<RationEditing> editing_;
    std::unique_ptr<DishBase> dishes_;
    Ration ration_;
    bool locked_ = false;
    bool showing_ = false;
    QUndoStack *undo_;

    QCalendarWidget *calendar_ = nullptr;
    QComboBox *group_ = nullptr;
    QLabel *lockState_ = nullptr;
    QPushButton *lockButton_ = nullptr;
    QTreeWidget *tree_ = nullptr;
    QLabel *dayTotals_ = nullptr;
    QWidget *priceBox_ = nullptr;
    QComboBox *priceFor_ = nullptr; // the whole day, then each meal
    QLabel *price_ = nullptr;
    QComboBox *collection_ = nullptr;
    QLineEdit *search_ = nullptr;
    QListWidget *dishList_ = nullptr;
    QLineEdit *output_ = nullptr;
};

} // namespace kulvera
