#pragma once

#include "journals/IncomingControlJournal.h"
#include "shell/AppContext.h"

#include <QDate>
#include <QWidget>

#include <vector>

class QDateEdit;
class QPushButton;
class QTableWidget;

namespace kulvera {

// "Журнал входного контроля" (cont_int): the posted deliveries of a period,
// read only; opens on the current month up to today.
class IncomingControlForm : public QWidget
{
    Q_OBJECT
public:
    explicit IncomingControlForm(AppContext &context, QWidget *parent = nullptr);

    void setPeriod(const QDate &from, const QDate &to);
    bool refresh(); // false after the message when the warehouse base cannot be read
    bool printTo(const QString &path);
    int rowCount() const;

private:
    void chooseAndPrint();

    AppContext &context_;
    std::vector<IncomingControlRow> rows_;
    QDateEdit *from_;
    QDateEdit *to_;
    QTableWidget *grid_;
    QPushButton *refresh_;
    QPushButton *print_;
};

} // namespace kulvera
