#pragma once

#include "util/MethodEditor.h"

#include <QWidget>

#include <memory>

class QPushButton;
class QTableView;

namespace kulvera {

class MethodsModel;
class ParamsModel;

// The formulas form: research methods with their formulas above, the
// parameters of the selected method below, and the commands to add, delete
// and rename both. Every committed cell is written to the base at once. The
// main window's command meth_edit opens it; the form owns the editor.
class FormulasForm : public QWidget
{
    Q_OBJECT
public:
    explicit FormulasForm(std::unique_ptr<MethodEditor> editor, QWidget *parent = nullptr);
    ~FormulasForm() override;

    MethodEditor &editor() { return *editor_; }
    int currentMethodId() const;
    int currentParamId() const;
    void selectMethod(int methodId);
    void selectParam(int paramId);

    void addMethod();
    void deleteMethod();
    void renameMethod();
    void addParam();
    void deleteParam();
    void renameParam();

private:
    void methodChanged();
    void updateButtons();

    std::unique_ptr<MethodEditor> editor_;
    MethodsModel *methods_ = nullptr;
    ParamsModel *params_ = nullptr;
    QTableView *methodsView_ = nullptr;
    QTableView *paramsView_ = nullptr;
    QPushButton *deleteMethodButton_ = nullptr;
    QPushButton *renameMethodButton_ = nullptr;
    QPushButton *addParamButton_ = nullptr;
    QPushButton *deleteParamButton_ = nullptr;
    QPushButton *renameParamButton_ = nullptr;
};

} // namespace kulvera
