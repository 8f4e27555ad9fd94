#include "common/ScriptedPrompter.h"

namespace kulvera {

bool isQuestion(Prompter::Buttons buttons)
{
    return buttons != Prompter::Buttons::Ok;
}

Prompter::Answer safeAnswer(Prompter::Buttons buttons)
{
    using B = Prompter::Buttons;
    using A = Prompter::Answer;
    switch (buttons) {
    case B::Ok:
        return A::Ok;
    case B::OkCancel:
        return A::Cancel;
    case B::YesNo:
        return A::No;
    case B::YesNoCancel:
        return A::Cancel;
    case B::RetryCancel:
        return A::Cancel;
    case B::AbortRetryIgnore:
        return A::Abort;
    }
    return A::Cancel;
}

bool answerFits(Prompter::Answer answer, Prompter::Buttons buttons)
{
    using B = Prompter::Buttons;
    using A = Prompter::Answer;
    switch (buttons) {
    case B::Ok:
        return answer == A::Ok;
    case B::OkCancel:
        return answer == A::Ok || answer == A::Cancel;
    case B::YesNo:
        return answer == A::Yes || answer == A::No;
    case B::YesNoCancel:
        return answer == A::Yes || answer == A::No || answer == A::Cancel;
    case B::RetryCancel:
        return answer == A::Retry || answer == A::Cancel;
    case B::AbortRetryIgnore:
        return answer == A::Abort || answer == A::Retry || answer == A::Ignore;
    }
    return false;
}

ScriptedPrompter &ScriptedPrompter::expect(const QString &fragment, Answer answer, bool dontShowAgain)
{
    script_.push_back({fragment, answer, dontShowAgain});
    return *this;
}

ScriptedPrompter &ScriptedPrompter::expectInput(const QString &fragment, std::optional<QString> text)
{
    inputs_.emplace_back(fragment, std::move(text));
    return *this;
}

std::optional<QString> ScriptedPrompter::presentInput(const Message &message, const QString &initial)
{
    (void)initial;
    shown_.push_back(message);
    if (!inputs_.empty() && message.text.contains(inputs_.front().first)) {
        const bool typed = inputs_.front().second.has_value();
        const QString text = inputs_.front().second.value_or(QString());
        inputs_.pop_front();
        if (!typed)
            return std::nullopt;
        return text;
    }
    unexpected_ << message.text;
    return std::nullopt;
}

QStringList ScriptedPrompter::texts() const
{
    QStringList out;
    for (const Message &m : shown_)
        out << m.text;
    return out;
}

void ScriptedPrompter::clear()
{
    script_.clear();
    inputs_.clear();
    shown_.clear();
    unexpected_.clear();
    statuses_.clear();
    clipboard_.clear();
}

Prompter::Reply ScriptedPrompter::present(const Message &message)
{
    shown_.push_back(message);
    const bool scriptable = isQuestion(message.buttons) || !message.noticeKey.isEmpty();
    if (!scriptable)
        return {Answer::Ok, false};
    if (!script_.empty()) {
        const Step &next = script_.front();
        if ((message.text.contains(next.fragment) || (!message.id.isEmpty() && message.id == next.fragment))
            && answerFits(next.answer, message.buttons)) {
            const Reply reply {next.answer, next.dontShowAgain};
            script_.pop_front();
            return reply;
        }
    }
    if (!isQuestion(message.buttons))
        return {Answer::Ok, false}; // a notice nobody scripted is just shown
    if (hasDefault_ && answerFits(defaultAnswer_, message.buttons))
        return {defaultAnswer_, false};
    unexpected_ << message.text;
    return {safeAnswer(message.buttons), false};
}

} // namespace kulvera
