#pragma once

#include <QString>

namespace kulvera {

class WarehouseBase;

// Kinds of document headers (`Накладные_Заголовки`.`Документ`).
enum class DocumentKind : int { Incoming = 1, Outgoing = 2, WriteOffAct = 3 };

// Whether a header of the same kind with this number is dated in the current
// year (of today's date by the context's clock, not of the document).
bool documentNumberUsedThisYear(const WarehouseBase &base, DocumentKind kind, const QString &number);

// Before a new header is stored: when the number is taken this year the user
// is asked "Накладная с таким номером уже существует! Продолжить?". True to go on.
bool confirmDocumentNumber(WarehouseBase &base, DocumentKind kind, const QString &number);

} // namespace kulvera
