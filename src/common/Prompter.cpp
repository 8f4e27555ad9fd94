#include "common/Prompter.h"

#include "common/SettingsAccess.h"

namespace kulvera {

const QString Prompter::kDefaultTitle = QStringLiteral("Kulvera");
const QString Prompter::kErrorTitle = QStringLiteral("Ошибка");

Prompter::Answer Prompter::show(Message message)
{
    if (message.title.isEmpty())
        message.title = kDefaultTitle;
    if (!message.noticeKey.isEmpty() && noticeSuppressed(message.noticeKey))
        return Answer::Ok;
    if (message.icon == Icon::Critical && settings_
        && settings_->getFlag(Section::Data, QStringLiteral("lCopyMessExToClipboard"), false))
        copyToClipboard(message.text);
    const Reply reply = present(message);
    if (!message.noticeKey.isEmpty() && reply.dontShowAgain && settings_)
        settings_->save(Section::Messages, message.noticeKey, QStringLiteral("0"));
    return reply.answer;
}

void Prompter::message(const QString &text, const QString &title, Icon icon)
{
    show({QString(), text, title, Buttons::Ok, icon, QString()});
}

void Prompter::warning(const QString &text, const QString &title)
{
    show({QString(), text, title, Buttons::Ok, Icon::Warning, QString()});
}

void Prompter::error(const QString &text, const QString &title)
{
    show({QString(), text, title, Buttons::Ok, Icon::Critical, QString()});
}

Prompter::Answer Prompter::ask(const QString &text, Buttons buttons, const QString &title, Icon icon, const QString &id)
{
    return show({id, text, title, buttons, icon, QString()});
}

QString Prompter::errorBoxText(const QString &text, const QString &module, const QString &procedure, long code)
{
    return text + u'\n' + module + u'\n' + procedure + u'\n' + QStringLiteral("Код: ") + QString::number(code);
}

void Prompter::errorBox(const QString &text, const QString &module, const QString &procedure, long code)
{
    show({QString(), errorBoxText(text, module, procedure, code), kDefaultTitle, Buttons::Ok, Icon::Critical,
        QString()});
}

void Prompter::notice(const QString &text, const QString &settingsKey, const QString &title)
{
    show({settingsKey, text, title, Buttons::Ok, Icon::Information, settingsKey});
}

std::optional<QString> Prompter::askText(const QString &prompt, const QString &title, const QString &initial)
{
    Message m {
        QString(), prompt, title.isEmpty() ? kDefaultTitle : title, Buttons::OkCancel, Icon::Question, QString()};
    return presentInput(m, initial);
}

bool Prompter::noticeSuppressed(const QString &settingsKey) const
{
    return settings_ && settings_->get(Section::Messages, settingsKey, QStringLiteral("1")) == u"0";
}

} // namespace kulvera
