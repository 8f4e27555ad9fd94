#pragma once

#include "products/clsProds.h"
#include "recipes/DishComposition.h"
#include "recipes/Nd2File.h"
#include "recipes/clsBludo.h"
#include "shell/AppContext.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QUndoStack;

namespace kulvera {

class DishBase;
class ProductBase;
class ProductFilterModel;
class ProductListModel;

// The recipe as the editor holds it: positions, the header (name, output,
// card texts, the ND parts) and the header fields every position repeats.
struct RecipeEditorState {
    colBludo slot;
    RecipeFileHeader header;
    clsProds head; // card type, indicator set, normative document, storage terms
};

// The recipe editor: header, the tree of positions with nested semi-finished
// products, a product list to add from (type to filter, Enter to add), live
// totals, recalculation, the dish base and ".nd2" files, undo and redo. Every
// edit goes through the undo stack as a snapshot of the recipe.
class RecipeEditorForm : public QWidget
{
    Q_OBJECT
public:
    explicit RecipeEditorForm(AppContext &context, QWidget *parent = nullptr);
    ~RecipeEditorForm() override;

    static constexpr QStringView kTitle = u"Нормативы";

    const RecipeEditorState &state() const { return state_; }
    bool isModified() const;
    // The question before the recipe is dropped; true when it may go.
    bool confirmDiscard();
    // The user agreed to lose the recipe (at exit): closing asks no more.
    void discardChanges();
    QUndoStack *undoStack() const { return undo_; }
    const DishValues &values() const { return values_; }

    // Operations the buttons run after their dialogs; tests call them directly.
    bool addProductByKey(qint64 key, double mass, bool isGross);
    bool addSelectedProduct(); // the current row of the product list, mass from the entry
    bool addSemiFinished(const QString &name, const QString &lossType, const QString &output);
    bool addFromSemiFinishedBase(const QString &name);
    // The semi-finished product at `index` (with what it holds) into the
    // semi-finished base under its name; replacing one asks first.
    bool saveSemiFinishedToBase(int index);
    bool saveToBase(const QString &table);
    bool loadFromBase(const QString &table, const QString &name, const QString &output = {});
    bool saveToFile(const QString &fileName);
    bool loadFromFile(const QString &fileName);
    bool recalculate(const QString &output);
    void newRecipe();
    // The card printer of the program: documents are a layer above the recipes, so the program
    // sets it; the print button is unavailable while none is set. It gets the recipe as it would be
    // saved (header on every row, output on the first, composition computed).
    using CardPrinter
        = std::function<bool(colBludo &slot, const QString &name, const QString &output, AppContext &context)>;
    static void setCardPrinter(CardPrinter printer);
    bool printCard();
    // The debug window's edit of the position records: the recipe's positions
    // become `positions`, as one step that undo takes back.
    void replacePositions(const colBludo &positions, const QString &text);
    // The position selected in the tree (one-based index in the slot), 0 for none.
    int currentIndex() const;
    void selectIndex(int index);

Q_SIGNALS:
    // The recipe the editor holds was replaced (an edit, undo or redo, a load).
    void stateChanged();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildHeader(QWidget *page);
    QWidget *buildProducts();
    void loadProductList();
    void commit(RecipeEditorState after, const QString &text);
    void setState(const RecipeEditorState &state);
    void readHeaderWidgets(RecipeEditorState &into) const;
    void showState();
    void fillMicrobiologyChoices();
    void showTotals();
    void fillTree();
    void headerEdited();
    void treeItemChanged(QTreeWidgetItem *item, int column);
    void selectionChanged();
    void setLossType(const QString &type);
    void runOnSelected(const std::function<bool(RecipeEditorState &, int)> &edit, const QString &text);
    DishBase *dishBase();
    // The recipe with the header widgets read, as it is saved or printed; nothing without a name.
    std::optional<RecipeEditorState> preparedRecipe() const;
    DishBase *semiFinishedBase();
    RecipeFileContext fileContext();
    void chooseAndLoad();
    void chooseAndSave();
    void chooseFileToSave();
    void chooseFileToLoad();
    void chooseSemiFinished();
    void newSemiFinished();

    AppContext &context_;
    RecipeEditorState state_;
    DishValues values_;
    QUndoStack *undo_;
    std::unique_ptr<ProductBase> products_;
    std::unique_ptr<DishBase> dishes_;
    std::unique_ptr<DishBase> semiFinished_;
    ProductListModel *productModel_ = nullptr;
    ProductFilterModel *productFilter_ = nullptr;
    bool showing_ = false;

    QLineEdit *name_ = nullptr;
    QLineEdit *output_ = nullptr;
    QComboBox *cardType_ = nullptr;
    QLineEdit *normative_ = nullptr;
    QComboBox *microbiology_ = nullptr; // the indicator sets of the card's kind
    QLineEdit *outputs_[3] = {}; // out1 ... out3: outputs the card recalculates for
    QLineEdit *stn_ = nullptr;
    QLineEdit *diet_ = nullptr;
    QLineEdit *zav_ = nullptr;
    QLineEdit *shelfLife_ = nullptr;
    QLineEdit *storage_ = nullptr;
    QLineEdit *storageDocument_ = nullptr;
    QLineEdit *otv_ = nullptr;
    QPlainTextEdit *texts_[7] = {};
    QTreeWidget *tree_ = nullptr;
    QComboBox *lossType_ = nullptr;
    QLineEdit *search_ = nullptr;
    QTableView *productView_ = nullptr;
    QLineEdit *mass_ = nullptr;
    QRadioButton *gross_ = nullptr;
    QRadioButton *net_ = nullptr;
    QTableWidget *totals_ = nullptr;
    QLabel *problems_ = nullptr;
    QLineEdit *recalcOutput_ = nullptr;
    QComboBox *collection_ = nullptr;
};

} // namespace kulvera
