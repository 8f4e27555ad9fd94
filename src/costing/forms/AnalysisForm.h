#pragma once

#include "costing/NormAnalysis.h"
#include "shell/AppContext.h"

#include <QDate>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QTableWidget;
class QTableWidgetItem;
class QTemporaryDir;

namespace kulvera {

struct AnalysisHeading;
class FulfilmentChartView;
class MenuBase;
class NormBase;

// "Анализ рационов": the rations of a period and one menu variant against a
// norm. The nutrient statement (out-of-range rows in red) with its chart
// beside it, and the product-set statement whose norm cells are edited in
// place and written back to the norm.
class AnalysisForm : public QWidget
{
    Q_OBJECT
public:
    explicit AnalysisForm(AppContext &context, QWidget *parent = nullptr);
    ~AnalysisForm() override;

    void setPeriod(const QDate &from, const QDate &to);
    bool selectGroup(const QString &group); // "" is the ration without a group
    bool selectNorm(const QString &name);
    // Computes both statements; false (after its message) when there is
    // nothing to compute.
    bool calculate();

    const std::vector<NutrientRow> &nutrientRows() const { return nutrients_; }
    const std::vector<ProductSetRow> &productRows() const { return products_; }
    int days() const { return days_; }
    bool exportChart(const QString &path);
    // The statements as workbooks made from their templates (made first when
    // the templates folder lacks them).
    bool printNutrients(const QString &outputPath);
    bool printProducts(const QString &outputPath);

    // Analyses the rations of a ".sql_menu" file without adding them to the
    // menu base (the start-up switch of such a file opens the form with it).
    bool analyseMenuFile(const QString &path);

    bool addProductRow();
    bool removeProductRow(int row);

private:
    void fillGroups();
    void fillNorms();
    void fillNutrients();
    void fillProducts(const QString &missing);
    void productCellChanged(QTableWidgetItem *item);
    void afterNormEdit();
    QString factTitle() const;
    void chooseChartFile();
    void choosePrintFile(bool nutrients);
    AnalysisHeading heading() const;

    AppContext &context_;
    std::unique_ptr<QTemporaryDir> scratch_; // the base of an analysed file
    std::optional<int> scratchNumber_; // its connection
    std::unique_ptr<MenuBase> base_;
    std::unique_ptr<NormBase> norms_;
    QDateEdit *from_;
    QDateEdit *to_;
    QComboBox *group_;
    QComboBox *norm_;
    QCheckBox *assimilated_;
    QTableWidget *nutrientGrid_;
    QTableWidget *productGrid_;
    FulfilmentChartView *chart_;
    QLabel *missing_;
    std::vector<NutrientRow> nutrients_;
    std::vector<ProductSetRow> products_;
    QString missingReport_;
    QString normName_;
    std::optional<qint64> normCode_;
    int days_ = 0;
    bool filling_ = false;
};

} // namespace kulvera
