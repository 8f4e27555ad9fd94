#include "warehouse/ReferenceGuard.h"

#include "shell/SqlStatement.h"
#include "warehouse/WarehouseBase.h"

namespace kulvera {

bool referenceListChanged(WarehouseBase &base, ReferenceList list, int shown)
{
    QString table;
    QString message;
    switch (list) {
    case ReferenceList::Warehouses:
        table = QStringLiteral("Склады");
        message = QStringLiteral("Изменили список складов!");
        break;
    case ReferenceList::Suppliers:
        table = QStringLiteral("dt101");
        message = QStringLiteral("Изменили список поставщиков!");
        break;
    case ReferenceList::Units:
        table = QStringLiteral("dt105");
        message = QStringLiteral("Изменили список ед. изм.!");
        break;
    }
    SqlStatement s(base.database(), QStringLiteral("SELECT COUNT(*) FROM ") + base.q(table), base.errorLog());
    if (!s.exec() || !s.next() || s.value(0).toInt() == shown)
        return false;
    base.context().prompter.message(message, kWarehouseTitle.toString(), Prompter::Icon::Information);
    return true;
}

} // namespace kulvera
