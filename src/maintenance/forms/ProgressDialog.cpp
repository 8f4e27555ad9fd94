#include "maintenance/forms/ProgressDialog.h"

#include "common/Prompter.h"

#include <QApplication>
#include <QProgressDialog>

#include <algorithm>

namespace kulvera {

ProgressDialog::ProgressDialog(const QString &title, Prompter &prompter, QWidget *parent)
    : prompter_(prompter)
    , dialog_(new QProgressDialog(QString(), QStringLiteral("Прервать"), 0, 100, parent))
{
    dialog_->setObjectName(QStringLiteral("maintenanceProgress"));
    dialog_->setWindowTitle(title);
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    shown_.start();
}

ProgressDialog::~ProgressDialog()
{
    delete dialog_.data();
}

bool ProgressDialog::advance(qint64 done, qint64 total, const QString &text)
{
    if (!dialog_)
        return false;
    if (first_ || shown_.elapsed() >= 50 || done >= total) {
        first_ = false;
        shown_.restart();
        if (text != lastText_) {
            lastText_ = text;
            dialog_->setLabelText(text);
            prompter_.status(text);
        }
        // The dialog counts in int: large totals are shown in per mille.
        const int value = total > 0 ? static_cast<int>(std::min<qint64>(done, total) * 1000 / total) : 0;
        dialog_->setMaximum(1000);
        dialog_->setValue(value);
        dialog_->show();
        QApplication::processEvents();
    }
    return !dialog_->wasCanceled();
}

void ProgressDialog::finish()
{
    if (dialog_)
        dialog_->hide();
    prompter_.status(QString());
}

} // namespace kulvera
