#include "common/ConsolePrompter.h"

#include "common/ScriptedPrompter.h"

namespace kulvera {
namespace {

QString answerName(Prompter::Answer answer)
{
    using A = Prompter::Answer;
    switch (answer) {
    case A::Ok:
        return QStringLiteral("OK");
    case A::Cancel:
        return QStringLiteral("Cancel");
    case A::Yes:
        return QStringLiteral("Yes");
    case A::No:
        return QStringLiteral("No");
    case A::Retry:
        return QStringLiteral("Retry");
    case A::Abort:
        return QStringLiteral("Abort");
    case A::Ignore:
        return QStringLiteral("Ignore");
    }
    return {};
}

} // namespace

void ConsolePrompter::print(const QString &text)
{
    std::fputs(text.toUtf8().constData(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

Prompter::Reply ConsolePrompter::present(const Message &message)
{
    const QString prefix
        = message.title.isEmpty() ? QString() : QStringLiteral("[") + message.title + QStringLiteral("] ");
    print(prefix + message.text);
    if (!isQuestion(message.buttons))
        return {Answer::Ok, false};
    Answer answer = safeAnswer(message.buttons);
    if (policy_ == Policy::Yes && answerFits(Answer::Yes, message.buttons))
        answer = Answer::Yes;
    else if (policy_ == Policy::Yes && answerFits(Answer::Ok, message.buttons))
        answer = Answer::Ok;
    else if (policy_ == Policy::No && answerFits(Answer::No, message.buttons))
        answer = Answer::No;
    QString note = QStringLiteral("  -> ") + answerName(answer);
    if (policy_ == Policy::Safe)
        note += QStringLiteral(" (pass --yes to agree)");
    print(note);
    return {answer, false};
}

std::optional<QString> ConsolePrompter::presentInput(const Message &message, const QString &initial)
{
    (void)initial;
    print(message.text + QStringLiteral("  -> cancelled (no input in batch mode)"));
    return std::nullopt;
}

void ConsolePrompter::status(const QString &text)
{
    if (!text.isEmpty())
        print(text);
}

void ConsolePrompter::progress(qint64 value, qint64 maximum)
{
    if (maximum <= 0) {
        lastPercent_ = -1;
        return;
    }
    const int percent = static_cast<int>(value * 100 / maximum);
    if (percent / 10 != lastPercent_ / 10) {
        print(QString::number(percent) + u'%');
        lastPercent_ = percent;
    }
}

} // namespace kulvera
