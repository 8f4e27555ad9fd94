#include "warehouse/DocumentNumbers.h"

#include "common/TextDate.h"
#include "shell/SqlStatement.h"
#include "warehouse/WarehouseBase.h"

namespace kulvera {

bool documentNumberUsedThisYear(const WarehouseBase &base, DocumentKind kind, const QString &number)
{
    const int year = base.context().clock.today().year();
    const DayRange range = wholeDays(QDate(year, 1, 1), QDate(year, 12, 31));
    SqlStatement s(base.database(),
        QStringLiteral("SELECT 1 FROM \"Накладные_Заголовки\" WHERE \"Документ\" = ? AND \"Номер\" = ? "
                       "AND \"Дата\" >= ? AND \"Дата\" <= ? LIMIT 1"),
        base.errorLog());
    return s.exec({static_cast<int>(kind), number, range.from, range.to}) && s.next();
}

bool confirmDocumentNumber(WarehouseBase &base, DocumentKind kind, const QString &number)
{
    if (!documentNumberUsedThisYear(base, kind, number))
        return true;
    return base.context().prompter.confirm(QStringLiteral("Накладная с таким номером уже существует! Продолжить?"),
        kWarehouseTitle.toString(), QStringLiteral("duplicateDocumentNumber"));
}

} // namespace kulvera
