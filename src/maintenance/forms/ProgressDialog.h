#pragma once

#include "maintenance/RunProgress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

class QWidget;

namespace kulvera {

class Prompter;

// The progress of a maintenance run in a modal dialog with a cancel button
// ("Прервать"); the step is also shown in the status line. The dialog is
// redrawn at most every 50 ms, so runs over many thousands of recipes spend
// their time on the recipes.
class ProgressDialog : public RunProgress
{
public:
    ProgressDialog(const QString &title, Prompter &prompter, QWidget *parent = nullptr);
    ~ProgressDialog() override;

    bool advance(qint64 done, qint64 total, const QString &text) override;
    void finish() override;
    QProgressDialog *dialog() const { return dialog_; }

private:
    Prompter &prompter_;
    QPointer<QProgressDialog> dialog_;
    QElapsedTimer shown_;
    QString lastText_;
    bool first_ = true;
};

} // namespace kulvera
