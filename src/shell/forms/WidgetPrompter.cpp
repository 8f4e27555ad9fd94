#include "shell/forms/WidgetPrompter.h"

#include "common/ScriptedPrompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QInputDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>

namespace kulvera {
namespace {

QMessageBox::Icon toIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::None:
        return QMessageBox::NoIcon;
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toButtons(Prompter::Buttons buttons)
{
    using B = Prompter::Buttons;
    switch (buttons) {
    case B::Ok:
        return QMessageBox::Ok;
    case B::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case B::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case B::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case B::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case B::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

Prompter::Answer fromButton(int button)
{
    switch (button) {
    case QMessageBox::Ok:
        return Prompter::Answer::Ok;
    case QMessageBox::Yes:
        return Prompter::Answer::Yes;
    case QMessageBox::No:
        return Prompter::Answer::No;
    case QMessageBox::Retry:
        return Prompter::Answer::Retry;
    case QMessageBox::Abort:
        return Prompter::Answer::Abort;
    case QMessageBox::Ignore:
        return Prompter::Answer::Ignore;
    default:
        return Prompter::Answer::Cancel;
    }
}

} // namespace

void WidgetPrompter::setMainWindow(QMainWindow *window)
{
    window_ = window;
    parent_ = window;
}

QWidget *WidgetPrompter::dialogParent() const
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return parent_;
}

Prompter::Reply WidgetPrompter::present(const Message &message)
{
    QMessageBox box(toIcon(message.icon), message.title, message.text, toButtons(message.buttons), dialogParent());
    QCheckBox *dontShow = nullptr;
    if (!message.noticeKey.isEmpty()) {
        dontShow = new QCheckBox(QStringLiteral("Больше не показывать это сообщение"), &box);
        box.setCheckBox(dontShow);
    }
    const int button = box.exec();
    return {fromButton(button), dontShow && dontShow->isChecked()};
}

std::optional<QString> WidgetPrompter::presentInput(const Message &message, const QString &initial)
{
    bool ok = false;
    const QString text
        = QInputDialog::getText(dialogParent(), message.title, message.text, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

void WidgetPrompter::copyToClipboard(const QString &text)
{
    QApplication::clipboard()->setText(text);
}

void WidgetPrompter::status(const QString &text)
{
    if (window_)
        window_->statusBar()->showMessage(text);
}

void WidgetPrompter::progress(qint64 value, qint64 maximum)
{
    if (!window_)
        return;
    if (maximum <= 0) {
        if (progress_)
            progress_->hide();
        return;
    }
    if (!progress_) {
        progress_ = new QProgressBar(window_);
        progress_->setMaximumWidth(220);
        window_->statusBar()->addPermanentWidget(progress_);
    }
    progress_->setRange(0, 1000);
    progress_->setValue(static_cast<int>(value * 1000 / maximum));
    progress_->show();
    // Long work runs on this thread: let the window repaint between steps.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace kulvera
