#pragma once

#include "products/clsProds.h"
#include "shell/AppContext.h"

#include <QPointer>
#include <QWidget>

#include <vector>

class QLineEdit;
class QTableWidget;

namespace kulvera {

class RecipeEditorForm;

// The debug window: the product records of the recipe open in the recipe
// editor, one row each, with the record's fields as columns. Rows can be
// added, moved, found by text and deleted (never the last one); every edit
// goes to the editor as one step its undo takes back, and the window follows
// the editor's recipe as it changes.
class DebugWindowForm : public QWidget
{
    Q_OBJECT
public:
    DebugWindowForm(AppContext &context, RecipeEditorForm *editor, QWidget *parent = nullptr);

    static constexpr QStringView kTitle = u"Окно отладки";

    QTableWidget *table() const { return table_; }
    int currentRow() const;
    void selectRow(int row);

    // What the buttons run; tests call them directly.
    void addRow();
    void moveRow(int delta);
    bool findRow(const QString &text);
    void deleteRow();

private:
    void refresh();
    void apply(const std::vector<clsProds> &records, const QString &text, int selectAfter);

    AppContext &context_;
    QPointer<RecipeEditorForm> editor_;
    QTableWidget *table_ = nullptr;
    QLineEdit *find_ = nullptr;
};

} // namespace kulvera
