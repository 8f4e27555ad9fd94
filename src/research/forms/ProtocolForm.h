#pragma once

#include "recipes/DishComposition.h"
#include "research/Protocol.h"
#include "shell/AppContext.h"

#include <QWidget>

#include <memory>
#include <optional>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTableView;

namespace kulvera {

class DishBase;
class ProtocolGridModel;

// One laboratory research protocol: the dish (collection, recipe, output),
// the date and number, the methods of the methods base to compute (checked
// in a list), and the grid where the values of the two experiments are typed
// and the results come out at once. "Рассчитать" shows the problems as one
// message; "Сохранить" keeps the protocol in the protocols base; "Печать"
// fills the protocol's template.
class ProtocolForm : public QWidget
{
    Q_OBJECT
public:
    explicit ProtocolForm(AppContext &context, QWidget *parent = nullptr);
    ~ProtocolForm() override;

    // Shows a saved protocol as it was computed.
    bool openProtocol(int id);
    // The dish the results are compared with; false (with a message) when it
    // does not load.
    bool setDish(const QString &table, const QString &name, const QString &output = {});
    // Checks methods of the list (by key), adding them to the protocol.
    void chooseMethods(const QList<int> &ids);
    bool calculate();
    bool save();
    bool print(const QString &outputPath);

    const Protocol &protocol() const { return protocol_; }
    ProtocolGridModel *grid() const { return grid_; }

signals:
    void saved(int protocolId);

private:
    void fillCollections();
    void fillDishes();
    void fillMethods();
    void syncMethodChecks();
    void methodToggled(QListWidgetItem *item);
    void dishChosen();
    void showHeader();
    void takeHeader();
    void showProblems();
    void refreshDishValues();

    AppContext &context_;
    Protocol protocol_;
    MethodCatalog base_; // the methods base as read when the form opened
    std::unique_ptr<DishBase> dishes_;
    std::optional<DishValues> dishValues_;
    bool filling_ = false;

    QComboBox *collectionBox_ = nullptr;
    QComboBox *dishBox_ = nullptr;
    QLineEdit *outputEdit_ = nullptr;
    QLineEdit *numberEdit_ = nullptr;
    QDateEdit *dateEdit_ = nullptr;
    QLineEdit *noteEdit_ = nullptr;
    QListWidget *methodsList_ = nullptr;
    QTableView *gridView_ = nullptr;
    ProtocolGridModel *grid_ = nullptr;
    QLabel *problemsLabel_ = nullptr;
};

} // namespace kulvera
