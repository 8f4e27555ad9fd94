#pragma once

#include "costing/NormBase.h"
#include "shell/AppContext.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QTableWidget;
class QTableWidgetItem;

namespace kulvera {

class MenuBase;

// "Физиологические нормы": the rows of `Norm` with their captions, and the
// product set (`Norm_Prods`) of the chosen norm; cells are written back as
// they are edited. Norms go out to and come in from ".fz" files.
class NormsForm : public QWidget
{
    Q_OBJECT
public:
    explicit NormsForm(AppContext &context, QWidget *parent = nullptr);
    ~NormsForm() override;

    void reload(std::optional<qint64> select = std::nullopt);
    void selectNorm(int row);
    std::optional<qint64> currentCode() const;

    bool addNorm();
    bool removeNorm(int row);
    bool addProductRow();
    bool removeProductRow(int row);
    bool saveToFile(const QString &path);
    bool loadFromFile(const QString &path);
    bool exportAll(const QString &folder);

    // The caption of a `Norm` column in the grid.
    static QString caption(const QString &column);

private:
    void fillProducts();
    void normCellChanged(QTableWidgetItem *item);
    void productCellChanged(QTableWidgetItem *item);
    void chooseFileToSave();
    void chooseFileToLoad();
    void chooseExportFolder();

    AppContext &context_;
    std::unique_ptr<MenuBase> base_;
    std::unique_ptr<NormBase> norms_;
    QTableWidget *normGrid_;
    QTableWidget *productGrid_;
    QStringList columns_; // Код, Имя, then the value columns
    std::vector<NormRecord> records_;
    bool filling_ = false;
};

} // namespace kulvera
