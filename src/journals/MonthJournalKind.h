#pragma once

#include <QString>
#include <QStringView>

namespace kulvera {

// The two month journals of the kitchen share one design: subjects (employees
// or pieces of equipment) in rows, the days of a month in columns, one entry
// per subject and day. What differs is described once, here.
enum class JournalKind { Health, Temperature };

struct JournalKindRules {
    JournalKind kind;
    QString formName; // "j_z", "hol_jur"
    QString title; // the window and the printed title
    // Tables by their settings (section Losses) and the columns the journal uses.
    QString entryTableKey; // "tbJurZ" / "tbJurH"
    QString entrySubjectColumn; // "work_id" / "obor_id"
    QString subjectTableKey; // "tbWork" / "tbObor"
    QString subjectNameColumn; // "work_n" / "obor_n"
    QString subjectPlaceColumn; // "id_post" / "id_struc"
    QString placeTableKey; // "tbPost" / "tbStruc"
    QString templateKey; // "sJur_Z" / "sJur_H" (section Documents)
    // Captions of the grid's fixed columns.
    QString idCaption;
    QString nameCaption;
    QString placeIdCaption;
    QString placeCaption;
    // The texts of the refusals and the question, where the two journals differ.
    QString noSubjectInRow;
    QString subjectNotInTable;
    QString chooseDayColumn;
    QString nothingToDelete;
    QString nothingChosen;
    QString subjectUnknown;
    QString deleteQuestion; // followed by the name and "'?"
    QString deleteWarning;
};

const JournalKindRules &journalKindRules(JournalKind kind);

// Texts both journals share.
inline constexpr QStringView kSeveralEntries = u"Идентифицировано несколько строк! Запись остановлена!";
inline constexpr QStringView kFirstDayNotCopied = u"Первый день заполняется без копирования";
inline constexpr QStringView kNotDayColumn = u"Ошибка идентификации текущей колонки";
inline constexpr QStringView kLoadJournalFirst = u"Необходимо загрузить журнал!";
inline constexpr QStringView kJournalEmpty = u"Журнал не заполнен";
inline constexpr QStringView kYearUnreadable = u"Не удалось установить год!";
inline constexpr QStringView kTemplateMissing = u"Не найден шаблон журнала! Следует обновить шаблоны.";
inline constexpr QStringView kJournalsNotConnected = u"Не подключена база журналов";

} // namespace kulvera
