#pragma once

#include "journals/JournalList.h"
#include "journals/JournalsBase.h"
#include "journals/MonthJournal.h"

#include <QWidget>

#include <functional>
#include <optional>

class QTableWidget;

namespace kulvera {

class PickListDelegate;

// The reference lists of the journals: a list of texts (positions "j_z_post",
// premises "pomech", health marks "j_z_res"), or the subjects of a journal
// with their place (staff "j_z_work", equipment "obor"). Every committed cell
// is written at once; the last row adds ("Щелкните для добавления..."),
// Delete removes the current row after the question. Subjects are removed
// as the journal removes them: with their entries.
class JournalReferenceForm : public QWidget
{
    Q_OBJECT
public:
    // A list of texts, chosen on the form's own base.
    using ListOf = std::function<JournalList(JournalsBase &)>;
    JournalReferenceForm(AppContext &context, const QString &name, const ListOf &list, QWidget *parent = nullptr);
    // The subjects of a journal.
    JournalReferenceForm(AppContext &context, const QString &name, JournalKind kind, QWidget *parent = nullptr);

    QTableWidget *grid() const { return grid_; }
    void reload();
    void removeCurrent();

private:
    void setUp(const QString &name, const QString &title);
    void clicked(int row);
    void edited(qint64 id, int column, const QString &text);
    qint64 rowKey(int row) const;

    AppContext &context_;
    JournalsBase base_;
    std::optional<JournalList> list_;
    std::optional<MonthJournal> journal_;
    std::optional<JournalList> places_;
    QTableWidget *grid_ = nullptr;
    PickListDelegate *placeDelegate_ = nullptr;
    int rows_ = 0;
    bool loading_ = false;
};

} // namespace kulvera
