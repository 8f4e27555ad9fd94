#pragma once

#include "common/Result.h"
#include "shell/AppContext.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <functional>

namespace kulvera {

class SessionLog;

// The warehouse base as the stock code reaches it: the connection, the product
// table of the product base through its attachment, the user who writes rows
// and the session log that records deletions. Every warehouse class is built on
// one of these, so the user and the log are set once.
class WarehouseBase
{
public:
    explicit WarehouseBase(AppContext &context);

    AppContext &context() const { return context_; }
    bool connected() const;
    // Failure with the text to show when the warehouse base is not open.
    Status requireConnected() const;
    QSqlDatabase database() const;
    ErrorLog *errorLog() const { return &context_.errorLog; }
    Status exec(const QString &sql, const QVariantList &values = {}) const;

    // "prod"."dt010": the product table as queries on the warehouse base name it.
    QString productTable() const;
    // Quotes a table or column name for this engine.
    QString q(const QString &name) const;

    // The key of the user whose name is written into `Код_Польз` and
    // `Пользователь` (`Пользователи`.`Код`); 0 when nobody logged in.
    qint64 user() const { return user_; }
    void setUser(qint64 key) { user_ = key; }
    // The key of the user of that name, 0 when the table lacks one.
    qint64 userKey(const QString &name) const;

    // Deletions are written to the session log in log mode ("Удаление строки :: Del_Sel_Ws").
    void setSessionLog(SessionLog *log) { sessionLog_ = log; }
    void logDeletion(const QString &procedure) const;

    QDateTime now() const { return context_.clock.now(); }

private:
    AppContext &context_;
    qint64 user_ = 0;
    SessionLog *sessionLog_ = nullptr;
};

inline constexpr QStringView kWarehouseTitle = u"Склад";

} // namespace kulvera
