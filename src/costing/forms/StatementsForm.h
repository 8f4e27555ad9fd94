#pragma once

#include "costing/CumulativeStatement.h"
#include "costing/PeriodStatement.h"
#include "shell/AppContext.h"

#include <QDate>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace kulvera {

class MenuBase;

// "Накопительная ведомость" (GlobalVed): the statements over several days or
// menu variants. The period statement (a period, a variant, gross or net
// masses) and the cumulative product statement (the chosen dates of a
// variant) fill the grid and go to a workbook; the summary menu (the chosen
// dates and at least two variants) goes straight to a workbook, and so does
// the summary rejection journal (the chosen dates of a variant).
class StatementsForm : public QWidget
{
    Q_OBJECT
public:
    enum class Kind { Period = 0, Cumulative = 1, SummaryMenu = 2, RejectionJournal = 3 };

    explicit StatementsForm(AppContext &context, QWidget *parent = nullptr);
    ~StatementsForm() override;

    void setKind(Kind kind);
    void setPeriod(const QDate &from, const QDate &to);
    bool selectGroup(const QString &group); // "" is the ration without a group
    void setNet(bool net);
    // Ticks these dates in the list of ration days (and only these).
    void chooseDates(const std::vector<QDate> &dates);
    // Ticks these variants (and only these) for the summary menu.
    void chooseVariants(const QStringList &variants);
    void reload(); // the dates and variants again from the menu base

    // Period and cumulative statements: fills the grid; false (after the
    // message) when refused.
    bool build();
    // Writes the current statement (the summary menu is built here) to a
    // workbook; false (after the message) when refused.
    bool exportTo(const QString &path);

private:
    void fillGroups();
    void kindChanged();
    void fillPeriodGrid();
    void fillCumulativeGrid();
    std::vector<QDate> chosenDates() const;
    QStringList chosenVariants() const;
    QString group() const;
    void chooseExportFile();

    AppContext &context_;
    std::unique_ptr<MenuBase> base_;
    QComboBox *kind_;
    QDateEdit *from_;
    QDateEdit *to_;
    QComboBox *group_;
    QCheckBox *net_;
    QListWidget *dates_;
    QListWidget *variants_;
    QTableWidget *grid_;
    QPushButton *build_;
    QPushButton *export_;
    std::optional<PeriodStatement> period_;
    std::optional<CumulativeStatement> cumulative_;
};

} // namespace kulvera
