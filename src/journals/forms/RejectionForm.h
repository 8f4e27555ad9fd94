#pragma once

#include "journals/RejectionJournal.h"
#include "shell/AppContext.h"

#include <QDate>
#include <QWidget>

#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kulvera {

// "Бракеражный журнал" (reject): the journal of a day and a menu variant.
// Rows are edited in place and each committed cell is written at once; a
// refused value is said and the row shown again as stored.
class RejectionForm : public QWidget
{
    Q_OBJECT
public:
    explicit RejectionForm(AppContext &context, QWidget *parent = nullptr);

    // Shows the journal of the typed day ("dd.mm.yyyy"); false after the message when it is no date.
    bool showDay(const QString &typed);
    bool selectGroup(const QString &group); // "" is the journal without a group
    QDate day() const { return day_; }
    QString group() const;
    void reload(); // the days list and the rows again

    bool addRow();
    bool deleteCurrentRow(); // asks first
    bool clearJournal(); // asks first
    bool reconnect();
    bool printTo(const QString &path);
    int rowCount() const;

private:
    void fillGroups();
    void fillDates();
    void fillRows();
    void cellChanged(int row, int column);
    void chooseAndPrint();
    void connectedChanged();

    AppContext &context_;
    RejectionJournal journal_;
    QDate day_;
    std::vector<RejectionEntry> entries_;
    bool filling_ = false;
    QComboBox *date_;
    QComboBox *group_;
    QTableWidget *grid_;
    QLabel *state_;
    QPushButton *add_;
    QPushButton *delete_;
    QPushButton *clear_;
    QPushButton *print_;
    QPushButton *reconnect_;
};

} // namespace kulvera
