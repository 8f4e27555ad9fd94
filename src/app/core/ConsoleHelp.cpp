#include "ConsoleHelp.h"

namespace kulvera {

QStringList consoleHelp()
{
    return {
        QStringLiteral("Основные команды консольной строки: "),
        QStringLiteral("help, ?, помощь, справка - список команд"),
        QStringLiteral("clr (очистка), clear - очистка окна"),
        QStringLiteral("GetLastError (ошибка) - код и текст последней ошибки"),
        QStringLiteral("bLoadProg - программа в режиме загрузки"),
        QStringLiteral("consol (консоль) - режим работы сервера в консоли"),
        QStringLiteral("shortmess (короткие сообщения) - режим коротких сообщений сервера"),
        QStringLiteral("feat2 (настройки) - расширенные настройки системы"),
        QStringLiteral("hello, hello all - проверка консоли"),
        QStringLiteral("clear user - очистка имени пользователя"),
        QStringLiteral("update (обновить) - обновление программы"),
        QStringLiteral("command line - командная строка программы"),
        QStringLiteral("ver, sbor - версия и сборка программы"),
        QStringLiteral("UpdatesNow - принудительное обновление при загрузке"),
        QStringLiteral("Resume Load (Продолжить загрузку) - продолжение загрузки программы"),
        QStringLiteral("End (Выход) - завершение программы"),
        QStringLiteral("user (пользователь) [имя], SetUsr (УстПол) <имя> - пользователь программы"),
        QStringLiteral("log (лог) - включение записи log-файла"),
        QStringLiteral("ЕдИзмДляВсехПродуктов (EdiForAll) <код> - код единиц измерений для всех продуктов"),
        QStringLiteral("OnBlockMenu.? (ВклБлокМеню.?) - справка по блокировке меню"),
        QStringLiteral("OffBlockMenu.? (БлокМеню.?) - справка по снятию блокировки меню"),
        QStringLiteral("reg.? - справка по командам настроек"),
        QStringLiteral("start form <имя> - открыть форму по имени команды главного окна"),
        QStringLiteral("s.? - команды сервера рецептур"),
        QStringLiteral("ftp.? - команды сервера обновлений"),
    };
}

QStringList lockHelp(bool on)
{
    if (on)
        return {
            QStringLiteral("OnBlockMenu=<ДД.ММ.ГГГГ>@@<Группа> (ВклБлокМеню=) - блокировка меню от изменений"),
            QStringLiteral("Группа может быть пустой (меню всех групп), разделитель @@ обязателен,"),
            QStringLiteral("например: OnBlockMenu=31.12.2018@@"),
        };
    return {
        QStringLiteral("OffBlockMenu=<ДД.ММ.ГГГГ>@@<Группа> (БлокМеню=) - снятие блокировки меню"),
        QStringLiteral("Группа может быть пустой (блокировка всех групп), разделитель @@ обязателен,"),
        QStringLiteral("например: OffBlockMenu=31.12.2018@@"),
    };
}

QStringList settingsHelp()
{
    return {
        QStringLiteral("setstr=<Секция>@@<Строка>@@<Значение> - сохранение строки в реестре"),
        QStringLiteral("getstr=<Секция>@@<Строка> - чтение строки из реестра"),
        QStringLiteral("delstr=<Секция>@@<Строка> - удаление строки из реестра"),
        QStringLiteral("Секция задаётся именем (Data, Documents, ...) или номером от 0 до 17"),
    };
}

QString recipeServerMissingText()
{
    return QStringLiteral("Сервер рецептур в этой установке программы недоступен: команда не выполнена.");
}

QString updateServerMissingText()
{
    return QStringLiteral("Сервер обновлений в этой установке программы недоступен: команда не выполнена.");
}

QStringList recipeServerHelp()
{
    return {QStringLiteral("Команды сервера рецептур: "),
        QStringLiteral("s.status, s.connect, s.close, s.getupdconf, s.m=<сообщение>"), recipeServerMissingText()};
}

QStringList updateServerHelp()
{
    return {QStringLiteral("Команды сервера обновлений: "),
        QStringLiteral("ftp.init, ftp.start, ftp.connect, ftp.setuser, ftp.setpwd, ftp.setdir, ftp.getdir, "
                       "ftp.listfiles, ftp.getfile, ftp.closeall"),
        updateServerMissingText()};
}

} // namespace kulvera
