#pragma once

#include "common/Result.h"
#include "shell/AppContext.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QTime>
#include <QVariant>

#include <optional>
#include <utility>
#include <vector>

namespace kulvera {

// One row of the food rejection journal: the check of a ready dish.
struct RejectionEntry {
    qint64 id = 0;
    QDate date; // date_r: the journal's day
    QString dish;
    QDate dateMade;
    QTime timeMade;
    QTime timeChecked; // time_rejec
    QString result;
    QString permission; // permis
    QString notes;
    QDateTime written; // Дата_Операции
    QString group; // "" is the journal without a group (stored '' or NULL)
};

// The cells of a row the form edits.
enum class RejectionField { Dish, DateMade, TimeMade, TimeChecked, Result, Permission, Notes };

inline constexpr QStringView kRejectionNotConnected = u"Не подключена база бракеражного журнала";
inline constexpr QStringView kRejectionReconnecting = u"Бракераж :: Восстанавливаем подключение к базе";
inline constexpr QStringView kRejectionBadDate = u"Необходимо указать правильную дату!";
inline constexpr QStringView kRejectionDateFormat = u"В этом поле необходимо указывать дату в формате: ДД.ММ.ГГГГ";
inline constexpr QStringView kRejectionTimeFormat = u"В этом поле необходимо указывать время в формате: ЧЧ:ММ";
inline constexpr QStringView kRejectionTooLong = u"Максимальная длина поля - 255 символов!";
inline constexpr QStringView kRejectionNotSaved = u"Изменения не сохранены в базе!";
inline constexpr QStringView kRejectionClearQuestion = u"Очистить текущий бракеражный журнал?";
inline constexpr QStringView kRejectionUnidentified = u"Не удалось идентифицировать журнал, сохранение остановлено.";
inline constexpr QStringView kRejectionNothingToSave = u"Бракераж :: Нет результатов для сохранения";
inline constexpr QStringView kRejectionNoBaseToSave
    = u"Бракераж :: Нет подключения к базе бракеража, результаты не сохранены";
inline constexpr int kRejectionMaxText = 255;

// The question asked before a row is deleted.
QString rejectionDeleteQuestion(const QString &dish);
// The journal's day as typed ("dd.mm.yyyy"); nothing for a text that is no date.
std::optional<QDate> rejectionDate(const QString &typed);

// The rejection journal base (`dbRej`, table `tbBaseRej`). Every edit is
// written at once by the row's `ID`; refusals come back as failures with the
// text to show and change nothing; a failure with an empty text means the user
// said No to the question.
class RejectionJournal
{
public:
    explicit RejectionJournal(AppContext &context);

    bool connected() const;
    Status requireConnected() const; // "Не подключена база бракеражного журнала"
    // Connects the base again (the status line says so); false when it fails.
    bool reconnect();
    QString table() const; // `tbBaseRej`

    // The rows made on a day (`date_made`), of a group or, for "", of no group,
    // in the order they were written.
    Result<std::vector<RejectionEntry>> entries(const QDate &day, const QString &group) const;
    // The rows of several days at once, by day and then as written.
    Result<std::vector<RejectionEntry>> entries(const std::vector<QDate> &days, const QString &group) const;
    std::optional<RejectionEntry> entry(qint64 id) const;
    // The distinct days of the journal, in order; rows whose day is unreadable are skipped.
    Result<std::vector<QDate>> dates() const;

    // A row as `add` makes it, not written: the defaults of the settings.
    RejectionEntry blank(const QDate &day, const QString &group, const QString &dish = {}) const;
    // A new row of the day with the default result and permission, the default
    // times and the dish as given (typed in place afterwards). Returns its `ID`.
    Result<qint64> add(const QDate &day, const QString &group, const QString &dish = {});
    // A new row with some cells typed as well: every value is checked first and
    // the row is written in one transaction, or nothing is written.
    using TypedCells = std::vector<std::pair<RejectionField, QString>>;
    Result<qint64> addFilled(const QDate &day, const QString &group, const TypedCells &cells);
    // One cell as typed: a date, a time ("hh:mm") or a text of at most 255 characters.
    Status edit(qint64 id, RejectionField field, const QString &typed);
    // The value a typed cell is stored as, or the text refusing it.
    static Result<QVariant> storedValue(RejectionField field, const QString &typed);
    // Asks "Удаляем из бракеражного журнала рецептуру '<dish>'?" first.
    Status remove(qint64 id);
    // Asks "Очистить текущий бракеражный журнал?" and deletes the day's rows of the group.
    Result<int> clear(const QDate &day, const QString &group);

    // The dishes of a menu day go into the journal: one row per dish name, an
    // existing row of the same dish, day and group is kept (its checks are the
    // commission's, so saving the menu again never overwrites them), the others
    // are added with the defaults, all in one transaction. Returns the rows added.
    Result<int> saveMenuDay(const QDate &day, const QString &group, const QStringList &dishes);

private:
    QSqlDatabase database() const;
    QString q(const QString &name) const;
    QString groupFilter() const;

    AppContext &context_;
};

} // namespace kulvera
