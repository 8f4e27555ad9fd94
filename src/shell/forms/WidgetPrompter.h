#pragma once

#include "common/Prompter.h"

#include <QPointer>

class QMainWindow;
class QProgressBar;
class QWidget;

namespace kulvera {

// The desktop program's Prompter: message boxes over the active window, the
// main window's status line and a progress bar in it.
class WidgetPrompter : public Prompter
{
public:
    explicit WidgetPrompter(QWidget *parent = nullptr)
        : parent_(parent)
    {
    }
    void setMainWindow(QMainWindow *window);

    void status(const QString &text) override;
    void progress(qint64 value, qint64 maximum) override;

protected:
    Reply present(const Message &message) override;
    std::optional<QString> presentInput(const Message &message, const QString &initial) override;
    void copyToClipboard(const QString &text) override;

private:
    QWidget *dialogParent() const;
    QPointer<QWidget> parent_;
    QPointer<QMainWindow> window_;
    QPointer<QProgressBar> progress_;
};

} // namespace kulvera
