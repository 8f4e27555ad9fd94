#include "ConsoleWindow.h"

#include "shell/Startup.h"
#include "shell/forms/CommandRegistry.h"
#include "shell/forms/MainWindow.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVBoxLayout>

namespace kulvera {
namespace {

// Marks the lines typed, so they stand apart from the answers.
const QString kEcho = QStringLiteral("» ");

ConsoleHost hostOf(
    StartupSequence &startup, ConsoleModes &modes, SettingsAccess &settings, Prompter &prompter, const Clock &clock)
{
    ConsoleHost host(prompter, settings, clock, modes);
    host.errorLog = &startup.errorLog();
    host.sessionLog = &startup.sessionLog();
    host.commandLine = QCoreApplication::arguments();
    host.loading = [&startup] { return startup.loading(); };
    host.user = [&startup] { return startup.currentUser(); };
    host.setUser = [&startup](const QString &user) { startup.setCurrentUser(user); };
    return host;
}

} // namespace

ConsoleWindow::ConsoleWindow(ConsoleHost host, QWidget *parent)
    : QDialog(parent)
    , language_(std::move(host))
{
    setObjectName(QStringLiteral("Consol"));
    setWindowTitle(kTitle.toString());
    resize(720, 420);
    output_ = new QPlainTextEdit(this);
    output_->setObjectName(QStringLiteral("consoleOutput"));
    output_->setReadOnly(true);
    output_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    input_ = new QLineEdit(this);
    input_->setObjectName(QStringLiteral("consoleInput"));
    input_->setFont(output_->font());
    input_->setMaxLength(ConsoleLanguage::kMaxLine);
    input_->installEventFilter(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(output_);
    layout->addWidget(input_);
    connect(input_, &QLineEdit::returnPressed, this, [this] {
        const QString line = input_->text();
        input_->clear();
        runLine(line);
    });
    append(language_.openingReport());
    input_->setFocus();
}

void ConsoleWindow::append(const QStringList &lines)
{
    for (const QString &line : lines)
        output_->appendPlainText(line);
}

void ConsoleWindow::runLine(const QString &line)
{
    if (!line.trimmed().isEmpty() && (history_.isEmpty() || history_.constLast() != line))
        history_ << line;
    historyPos_ = static_cast<int>(history_.size());
    const ConsoleAnswer answer = language_.run(line);
    if (answer.clear)
        output_->clear();
    else
        output_->appendPlainText(kEcho + line.left(ConsoleLanguage::kMaxLine));
    append(answer.lines);
    if (answer.end) {
        endRequested_ = true;
        accept();
    }
}

void ConsoleWindow::recall(int step)
{
    const int size = static_cast<int>(history_.size());
    historyPos_ = std::clamp(historyPos_ + step, 0, size);
    input_->setText(historyPos_ < size ? history_[historyPos_] : QString());
}

bool ConsoleWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == input_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            recall(key == Qt::Key_Up ? -1 : 1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void runStartupConsole(
    StartupSequence &startup, ConsoleModes &modes, SettingsAccess &settings, Prompter &prompter, const Clock &clock)
{
    modes.updatesNow = startup.commandLine().updatesNow;
    modes.resumeLoad = false;
    // The bases are not connected yet at this point of the start.
    ConsoleWindow window(hostOf(startup, modes, settings, prompter, clock));
    window.exec();
    startup.setUpdatesNow(modes.updatesNow);
    if (modes.resumeLoad && !window.endRequested())
        startup.resumeLoading();
}

void registerConsole(CommandRegistry &registry, StartupSequence &startup, ConsoleModes &modes)
{
    registry.add(
        QStringLiteral("Consol"), [&registry, &startup, &modes](AppContext &context, QWidget *parent) -> QWidget * {
            ConsoleHost host = hostOf(startup, modes, context.settings, context.prompter, context.clock);
            host.connections = &context.connections;
            host.errorLog = &context.errorLog;
            QPointer<MainWindow> window = qobject_cast<MainWindow *>(parent);
            host.openForm = [&registry, window](const QString &name) {
                if (!window || !registry.has(name))
                    return false;
                window->runCommand(name);
                return true;
            };
            auto *console = new ConsoleWindow(std::move(host), parent);
            console->setAttribute(Qt::WA_DeleteOnClose);
            QObject::connect(console, &QDialog::finished, parent, [console, window] {
                if (console->endRequested() && window)
                    window->close();
            });
            console->show();
            return nullptr;
        });
}

} // namespace kulvera
