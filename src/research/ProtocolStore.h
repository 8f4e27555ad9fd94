#pragma once

#include "common/Result.h"
#include "research/Protocol.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <vector>

namespace kulvera {

class ErrorLog;
class Prompter;

// A line of the list of protocols.
struct ProtocolSummary {
    int id = 0;
    QString number;
    QDate date;
    QString collection;
    QString dish;
    QString output;
    int methods = 0;
};

// Keeps protocols in the protocols base: the header in `protocols`, the
// methods with their results in `prot_methods`, the parameters with the
// measured values in `results`. A save writes all three in one transaction,
// replacing what the protocol had, so a failure leaves it as it was. The
// store does not own the connection: the connection table does.
class ProtocolStore
{
public:
    explicit ProtocolStore(QSqlDatabase db, ErrorLog *log = nullptr);

    // Newest first (by date, then by key).
    Result<std::vector<ProtocolSummary>> list() const;
    Result<Protocol> load(int id) const;
    // Gives a new protocol its key and, when it has none, the next number.
    Status save(Protocol &protocol);
    Status remove(int id);
    // The largest number that reads as a whole number, plus 1.
    Result<QString> nextNumber() const;

private:
    Status writeRows(const Protocol &protocol, const MethodCalculation &calculation);

    QSqlDatabase db_;
    ErrorLog *log_;
};

// "Удалить протокол № 3 от 06.12.2026 (Каша гречневая)?"
QString deleteProtocolQuestion(const ProtocolSummary &protocol);
// Asks, then deletes; a refusal of the base is shown. True when it was deleted.
bool deleteProtocol(ProtocolStore &store, const ProtocolSummary &protocol, Prompter &prompter);

} // namespace kulvera
