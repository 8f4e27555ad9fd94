#include "ConsoleLanguage.h"

#include "ConsoleHelp.h"

#include "shell/ErrorLog.h"
#include "shell/SessionLog.h"
#include "shell/SharedSettings.h"

#include <cerrno>

namespace kulvera {
namespace {

QString onOff(bool on)
{
    return on ? QStringLiteral("включен") : QStringLiteral("выключен");
}

bool hasControlCharacters(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

// "word rest" or "word=rest": the word in lower case and what follows it.
std::pair<QString, QString> splitWord(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] != u' ' && text[i] != u'=')
        ++i;
    return {text.left(i).toLower(), text.mid(i + 1).trimmed()};
}

bool startsWithAny(const QString &lower, std::initializer_list<QStringView> prefixes, QString *rest)
{
    for (const QStringView p : prefixes) {
        if (lower.startsWith(p)) {
            *rest = lower.mid(p.size());
            return true;
        }
    }
    return false;
}

} // namespace

ConsoleLanguage::ConsoleLanguage(ConsoleHost host)
    : host_(std::move(host))
{
}

QString ConsoleLanguage::unknownCommandText()
{
    return QStringLiteral("> команда не определена");
}

QString ConsoleLanguage::version() const
{
    return QStringList(SharedSettings::kVersion.split(u'.').mid(0, 3)).join(u'.') + u'.'
        + QString::number(kBuildNumber);
}

QStringList ConsoleLanguage::openingReport() const
{
    return {
        QStringLiteral("Консольная панель. "),
        QStringLiteral("Сборка программы: ") + QString::number(kBuildNumber),
        QStringLiteral("Режим записи лога: ") + onOff(host_.sessionLog && host_.sessionLog->enabled()),
        QStringLiteral("Режим работы сервера в консоли: ") + onOff(host_.modes.serverConsole),
        QStringLiteral("Режим коротких сообщений работы сервера в консоли: ") + onOff(host_.modes.serverShortMessages),
        QStringLiteral("Состояние подключения сервера рецептур: нет подключения (сервер рецептур в этой установке "
                       "недоступен)"),
    };
}

ConsoleAnswer ConsoleLanguage::run(const QString &line)
{
    // Checked before anything is logged: such a line is never a command.
    if (line.size() > kMaxLine)
        return {{QStringLiteral("Строка команды длиннее %1 знаков: команда не выполнена.").arg(kMaxLine)}};
    if (hasControlCharacters(line))
        return {{QStringLiteral("Строка команды содержит управляющие символы: команда не выполнена.")}};
    if (host_.sessionLog)
        host_.sessionLog->write(QStringLiteral("Консоль: ") + line);
    return runChecked(line.trimmed());
}

QStringList ConsoleLanguage::lastError() const
{
    const int code = errno;
    QString last = QStringLiteral("нет");
    if (host_.errorLog && !host_.errorLog->recent().isEmpty())
        last = host_.errorLog->recent().constLast();
    return {QStringLiteral("Код последней ошибки: ") + QString::number(code),
        QStringLiteral("Последняя ошибка в в системе: ") + last};
}

ConsoleAnswer ConsoleLanguage::runChecked(const QString &text)
{
    const QString lower = text.simplified().toLower();
    ConsoleModes &modes = host_.modes;
    if (lower.isEmpty())
        return {};
    if (lower == u"help" || lower == u"?" || lower == u"помощь" || lower == u"справка")
        return {consoleHelp()};
    if (lower == u"clr" || lower == u"очистка" || lower == u"clear")
        return {{QStringLiteral("Очистка окна")}, true};
    if (lower == u"getlasterror" || lower == u"ошибка")
        return {lastError()};
    if (lower == u"bloadprog") {
        const bool loading = host_.loading && host_.loading();
        return {{QStringLiteral("Программа в режиме загрузки: ")
            + (loading ? QStringLiteral("Да") : QStringLiteral("Нет"))}};
    }
    if (lower == u"consol" || lower == u"консоль") {
        modes.serverConsole = !modes.serverConsole;
        return {
            {modes.serverConsole ? QStringLiteral("Режим консоли включен") : QStringLiteral("Режим консоли выключен")}};
    }
    if (lower == u"shortmess" || lower == u"короткие сообщения") {
        modes.serverShortMessages = !modes.serverShortMessages;
        return {{modes.serverShortMessages ? QStringLiteral("Режим коротких сообщений сервера включен")
                                           : QStringLiteral("Режим коротких сообщений сервера выключен")}};
    }
    if (lower == u"feat2" || lower == u"настройки") {
        QStringList lines {QStringLiteral("Запускаем расширенные настройки системы")};
        if (!host_.openForm || !host_.openForm(QStringLiteral("FeatNew2")))
            lines << QStringLiteral("Расширенные настройки системы в этой версии программы недоступны.");
        return {lines};
    }
    if (lower == u"hello")
        return {{QStringLiteral("Привет! Консоль на связи.")}};
    if (lower == u"hello all")
        return {{QStringLiteral("Привет всем! Консоль на связи.")}};
    if (lower == u"clear user") {
        if (host_.setUser)
            host_.setUser(QString());
        return {{QStringLiteral("Clear user name")}};
    }
    if (lower == u"update" || lower == u"обновить")
        return {{QStringLiteral("Обновление программы: ") + updateServerMissingText()}};
    if (lower == u"command line")
        return {{QStringLiteral("Командная строка программы: ") + host_.commandLine.join(u' ')}};
    if (lower == u"ver" || lower == u"sbor")
        return {{QStringLiteral("Версия программы: ") + version(),
            QStringLiteral("Сборка программы: ") + QString::number(kBuildNumber)}};
    if (lower == u"updatesnow") {
        modes.updatesNow = !modes.updatesNow;
        return {{QStringLiteral("Принудительное обновление при загрузке: ") + onOff(modes.updatesNow)}};
    }
    if (lower == u"resume load" || lower == u"продолжить загрузку") {
        modes.resumeLoad = true;
        return {{QStringLiteral("Включен режим продолжения загрузки (нажмите ESC для его активации)")}};
    }
    if (lower == u"end" || lower == u"выход")
        return {{QStringLiteral("Завершение программы")}, false, true};
    if (lower == u"log" || lower == u"лог") {
        if (!host_.sessionLog)
            return {{QStringLiteral("Режим записи лога в этой программе недоступен.")}};
        host_.sessionLog->switchOn();
        if (!host_.sessionLog->enabled())
            return {{QStringLiteral("Не удалось включить режим записи лога: не задан файл.")}};
        return {{QStringLiteral("Включен режим записи log-файл: ") + host_.sessionLog->path()}};
    }
    if (lower == u"prog")
        return {{QStringLiteral("Команда prog в этой версии программы ничего не выполняет.")}};
    if (lower == u"reg.?")
        return {settingsHelp()};

    QString rest;
    const bool unlock = startsWithAny(lower, {u"offblockmenu", u"блокменю"}, &rest);
    if (unlock || startsWithAny(lower, {u"onblockmenu", u"вклблокменю"}, &rest)) {
        if (rest == u".?")
            return {lockHelp(!unlock)};
        if (!rest.startsWith(u'='))
            return {lockCommand(QString(), !unlock)}; // says how it is written
        return {lockCommand(text.mid(text.indexOf(u'=') + 1), !unlock)};
    }
    for (const QStringView verb : {u"setatr=", u"setstr=", u"getstr=", u"delstr="}) {
        if (lower.startsWith(verb))
            return {settingCommand(verb.left(3).toString(), text.mid(verb.size()))};
    }
    if (lower.startsWith(u"start form "))
        return {openForm(text.simplified().mid(11))};
    if (lower.startsWith(u"s.")) {
        if (lower == u"s.?" || lower == u"s.help")
            return {recipeServerHelp()};
        return {{recipeServerMissingText()}};
    }
    if (lower.startsWith(u"ftp.")) {
        if (lower == u"ftp.?" || lower == u"ftp.help" || lower == u"ftp.помощь" || lower == u"ftp.-?")
            return {updateServerHelp()};
        return {{updateServerMissingText()}};
    }
    const auto [word, argument] = splitWord(text);
    if (word == u"user" || word == u"пользователь" || word == u"setusr" || word == u"устпол")
        return {userCommand(argument)};
    if (word == u"едизмдлявсехпродуктов" || word == u"ediforall")
        return {unitForAll(argument)};
    return {{unknownCommandText()}};
}

QStringList ConsoleLanguage::userCommand(const QString &argument)
{
    if (argument.isEmpty()) {
        const QString user = host_.user ? host_.user() : QString();
        return {QStringLiteral("Пользователь программы: ") + (user.isEmpty() ? QStringLiteral("не задан") : user)};
    }
    if (!host_.setUser)
        return {QStringLiteral("Пользователь программы в этой программе не меняется.")};
    host_.setUser(argument);
    return {QStringLiteral("Изменен пользователь программы: ") + argument};
}

QStringList ConsoleLanguage::openForm(const QString &name)
{
    if (name.isEmpty())
        return {QStringLiteral("Не задано имя формы: start form <имя>")};
    if (!host_.openForm)
        return {QStringLiteral("Формы в этой программе не открываются (нет окон).")};
    if (!host_.openForm(name))
        return {QStringLiteral("Форма '") + name + QStringLiteral("' в этой версии программы недоступна.")};
    return {QStringLiteral("Команда обработана.")};
}

} // namespace kulvera
