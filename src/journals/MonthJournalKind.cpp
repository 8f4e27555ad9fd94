#include "journals/MonthJournalKind.h"

namespace kulvera {

const JournalKindRules &journalKindRules(JournalKind kind)
{
    static const JournalKindRules health {
        JournalKind::Health,
        QStringLiteral("j_z"),
        QStringLiteral("Журнал здоровья"),
        QStringLiteral("tbJurZ"),
        QStringLiteral("work_id"),
        QStringLiteral("tbWork"),
        QStringLiteral("work_n"),
        QStringLiteral("id_post"),
        QStringLiteral("tbPost"),
        QStringLiteral("sJur_Z"),
        QStringLiteral("Код работника"),
        QStringLiteral("Персонал"),
        QStringLiteral("Код Должности"),
        QStringLiteral("Должность"),
        QStringLiteral("Не идентифицирован персонал"),
        QStringLiteral("Не идентифицирован персонал в таблице"),
        QStringLiteral("Необходимо выделить колонку с днями"),
        QStringLiteral("Нет персонала для удаления из базы"),
        QStringLiteral("Не выбран персонал для удаления из базы"),
        QStringLiteral("Персонал не идентифицировано"),
        QStringLiteral("Удалить из базы персонала '"),
        QStringLiteral("Персонал будет удален из всех предыдущих журналов. Восстановить удаление невозможно."),
    };
    static const JournalKindRules temperature {
        JournalKind::Temperature,
        QStringLiteral("hol_jur"),
        QStringLiteral("Журнал температурного режима"),
        QStringLiteral("tbJurH"),
        QStringLiteral("obor_id"),
        QStringLiteral("tbObor"),
        QStringLiteral("obor_n"),
        QStringLiteral("id_struc"),
        QStringLiteral("tbStruc"),
        QStringLiteral("sJur_H"),
        QStringLiteral("Код оборудования"),
        QStringLiteral("Оборудование"),
        QString(),
        QStringLiteral("Помещение"),
        QStringLiteral("Не идентифицировано оборудование"),
        QStringLiteral("Не идентифицировано оборудование в таблице"),
        QStringLiteral("Необходимо выделить колонку с температурными значениями"),
        QStringLiteral("Нет оборудования для удаления"),
        QStringLiteral("Не выбрано оборудование для удаления"),
        QStringLiteral("Оборудование не идентифицировано"),
        QStringLiteral("Удалить из базы оборудование '"),
        QStringLiteral("Оборудование будет удалено из всех предыдущих журналов. Восстановить удаление невозможно."),
    };
    return kind == JournalKind::Health ? health : temperature;
}

} // namespace kulvera
