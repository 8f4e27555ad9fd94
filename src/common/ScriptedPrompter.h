#pragma once

#include "common/Prompter.h"

#include <QStringList>

#include <deque>
#include <vector>

namespace kulvera {

// A Prompter for tests and unattended runs: records everything shown and
// answers questions from a script, in order. A question the script does not
// expect is recorded in unexpected() and answered with the safe answer (No,
// Cancel); tests assert that list is empty.
class ScriptedPrompter : public Prompter
{
public:
    struct Step {
        QString fragment; // must occur in the question's id or text
        Answer answer;
        bool dontShowAgain = false;
    };

    // Queues the answer for the next question whose text (or id) contains `fragment`.
    ScriptedPrompter &expect(const QString &fragment, Answer answer, bool dontShowAgain = false);
    // Queues the text typed into the next input box whose prompt contains `fragment`;
    // an empty optional cancels the box.
    ScriptedPrompter &expectInput(const QString &fragment, std::optional<QString> text);
    // Answer every unscripted question this way instead of recording it as unexpected.
    void setDefaultAnswer(Answer answer)
    {
        defaultAnswer_ = answer;
        hasDefault_ = true;
    }

    const std::vector<Message> &shown() const { return shown_; }
    QStringList texts() const;
    // All shown texts joined by '\n', handy for "contains" checks.
    QString transcript() const { return texts().join(u'\n'); }
    bool saw(const QString &fragment) const { return transcript().contains(fragment); }
    const QStringList &unexpected() const { return unexpected_; }
    bool scriptDone() const { return script_.empty(); }
    const QStringList &statuses() const { return statuses_; }
    const QStringList &clipboard() const { return clipboard_; }
    qint64 lastProgress() const { return lastProgress_; }
    void clear();

    void status(const QString &text) override { statuses_ << text; }
    void progress(qint64 value, qint64 maximum) override { lastProgress_ = maximum > 0 ? value : -1; }

protected:
    Reply present(const Message &message) override;
    std::optional<QString> presentInput(const Message &message, const QString &initial) override;
    void copyToClipboard(const QString &text) override { clipboard_ << text; }

private:
    std::deque<Step> script_;
    std::deque<std::pair<QString, std::optional<QString>>> inputs_;
    std::vector<Message> shown_;
    QStringList unexpected_;
    QStringList statuses_;
    QStringList clipboard_;
    qint64 lastProgress_ = -1;
    Answer defaultAnswer_ = Answer::No;
    bool hasDefault_ = false;
};

bool isQuestion(Prompter::Buttons buttons);
// The answer that changes nothing for a set of buttons (No, Cancel, ...).
Prompter::Answer safeAnswer(Prompter::Buttons buttons);
bool answerFits(Prompter::Answer answer, Prompter::Buttons buttons);

} // namespace kulvera
