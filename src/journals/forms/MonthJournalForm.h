#pragma once

#include "journals/JournalList.h"
#include "journals/JournalMonth.h"
#include "journals/JournalsBase.h"
#include "journals/MonthJournal.h"

#include <QWidget>

#include <optional>

class QComboBox;
class QLineEdit;
class QTableWidget;
class QTimer;

namespace kulvera {

class PickListDelegate;

// The month grid of the health journal ("j_z") or the temperature journal
// ("hol_jur"): the subjects in rows with their fixed columns, one column per
// day keyed "d_1" … "d_N". Every committed cell is written at once; a cell
// the base refuses goes back to what the base holds. The pick lists (places,
// and the marks of the health journal) are read again while the form is open.
class MonthJournalForm : public QWidget
{
    Q_OBJECT
public:
    MonthJournalForm(AppContext &context, JournalKind kind, QWidget *parent = nullptr);

    QTableWidget *grid() const { return grid_; }
    QComboBox *monthBox() const { return month_; }
    QLineEdit *yearEdit() const { return year_; }
    const MonthJournal &journal() const { return journal_; }
    // The month the grid shows, none before a journal was loaded.
    std::optional<JournalMonth> loadedMonth() const { return loaded_; }
    // The column of a key ("ID", "work_n", "d_5"), -1 when the grid has none.
    int columnOf(const QString &key) const;

    // Builds the grid for the month and year chosen; a year that is no number
    // says "Не удалось установить год!" and builds nothing.
    bool load();
    void addSubject();
    void removeSubject(); // the current row, after the question
    void copyPreviousDay(); // into the current day column
    bool print(const QString &outputPath);
    void refreshPickLists();

private:
    void build(const JournalMonth &month);
    void cellEdited(qint64 subject, const QString &key, const QString &text);
    qint64 rowSubject(int row) const;
    void printIntoDocuments();

    AppContext &context_;
    JournalsBase base_;
    MonthJournal journal_;
    JournalList places_;
    JournalList marks_;
    QStringList keys_; // the key of every grid column
    std::optional<JournalMonth> loaded_;
    QComboBox *month_;
    QLineEdit *year_;
    QTableWidget *grid_;
    PickListDelegate *placeDelegate_;
    PickListDelegate *markDelegate_;
    QTimer *refresh_;
    bool loading_ = false;
};

} // namespace kulvera
