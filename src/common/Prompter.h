#pragma once

#include <QString>

#include <optional>

namespace kulvera {

class SettingsAccess;

// Domain code never opens a dialog: every message, question, status text and
// progress report goes through the Prompter it was given. The desktop program
// shows message boxes, kulvera-cli answers from its flags, tests from a script.
class Prompter
{
public:
    enum class Icon { None, Information, Question, Warning, Critical };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
    enum class Answer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

    struct Message {
        QString id; // stable identity of a question, for scripts and logs (may be empty)
        QString text; // lines separated by '\n'
        QString title;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::Information;
        QString noticeKey; // non-empty: the user may switch this notice off
    };
    struct Reply {
        Answer answer = Answer::Ok;
        bool dontShowAgain = false;
    };

    static const QString kDefaultTitle; // "Kulvera"
    static const QString kErrorTitle; // "Ошибка"

    virtual ~Prompter() = default;

    // Settings give the notices their memory and switch error-box copying to
    // the clipboard; without them notices always show.
    void setSettings(SettingsAccess *settings) { settings_ = settings; }
    SettingsAccess *settings() const { return settings_; }

    Answer show(Message message);
    void message(const QString &text, const QString &title = {}, Icon icon = Icon::Information);
    void warning(const QString &text, const QString &title = {});
    void error(const QString &text, const QString &title = kErrorTitle);
    Answer ask(const QString &text, Buttons buttons = Buttons::YesNo, const QString &title = {},
        Icon icon = Icon::Question, const QString &id = {});
    bool confirm(const QString &text, const QString &title = {}, const QString &id = {})
    {
        return ask(text, Buttons::YesNo, title, Icon::Question, id) == Answer::Yes;
    }
    // The computations' error box: the text, then the module, the procedure
    // and "Код: " with the code, each on its own line.
    void errorBox(const QString &text, const QString &module, const QString &procedure, long code);
    static QString errorBoxText(const QString &text, const QString &module, const QString &procedure, long code);
    // A notice the user can switch off; the choice is kept in section Messages
    // under `settingsKey` ("0" = do not show again).
    void notice(const QString &text, const QString &settingsKey, const QString &title = {});
    bool noticeSuppressed(const QString &settingsKey) const;

    // Asks for a line of text ("Введите название базы данных"); nothing when cancelled.
    std::optional<QString> askText(const QString &prompt, const QString &title = {}, const QString &initial = {});

    virtual void status(const QString &text) = 0;
    // maximum <= 0 ends the progress display.
    virtual void progress(qint64 value, qint64 maximum) = 0;

protected:
    virtual Reply present(const Message &message) = 0;
    virtual std::optional<QString> presentInput(const Message &message, const QString &initial) = 0;
    virtual void copyToClipboard(const QString &text) { (void)text; }

private:
    SettingsAccess *settings_ = nullptr;
};

} // namespace kulvera
