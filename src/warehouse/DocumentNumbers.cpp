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
        // Found by the number's index: "+ 0" keeps the engine off the index of the kind, which
        // would walk every header of that kind.
        QStringLiteral("SELECT 1 FROM \"Накладные_Заголовки\" WHERE \"Номер\" = ? AND \"Документ\" + 0 = ? "
                       "AND \"Дата\" >= ? AND \"Дата\" <= ? LIMIT 1"),
        base.errorLog());
    return s.exec({number, static_cast<int>(kind), range.from, range.to}) && s.next();
}

bool confirmDocumentNumber(WarehouseBase &base, DocumentKind kind, const QString &number)
{
    if (!documentNumberUsedThisYear(base, kind, number))
        return true;
    return base.context().prompter.confirm(QStringLiteral("Накладная с таким номером уже существует! Продолжить?"),
        kWarehouseTitle.toString(), QStringLiteral("duplicateDocumentNumber"));
}

} // namespace kulvera
