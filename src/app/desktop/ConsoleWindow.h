#pragma once

#include "ConsoleLanguage.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

namespace kulvera {

class CommandRegistry;
class MainWindow;
class StartupSequence;

// The console window: the opening report, a command line whose answers are
// appended below, the lines typed before on Up and Down. Esc closes it.
class ConsoleWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ConsoleWindow(ConsoleHost host, QWidget *parent = nullptr);

    static constexpr QStringView kTitle = u"Консоль";

    QPlainTextEdit *output() const { return output_; }
    QLineEdit *input() const { return input_; }
    // `End` was typed: the program is to end once the window closes.
    bool endRequested() const { return endRequested_; }

    // Runs a command line as Enter does.
    void runLine(const QString &line);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void append(const QStringList &lines);
    void recall(int step);

    ConsoleLanguage language_;
    QPlainTextEdit *output_ = nullptr;
    QLineEdit *input_ = nullptr;
    QStringList history_;
    int historyPos_ = 0; // == history_.size(): below the newest line
    bool endRequested_ = false;
};

// The console at start (`/Consol`): shown modally before the splash; the
// start goes on only when `Resume Load` was typed and `End` was not.
void runStartupConsole(
    StartupSequence &startup, ConsoleModes &modes, SettingsAccess &settings, Prompter &prompter, const Clock &clock);
// The main window's "Consol" command: the console over the running program,
// opening forms through the window's commands.
void registerConsole(CommandRegistry &registry, StartupSequence &startup, ConsoleModes &modes);

} // namespace kulvera
