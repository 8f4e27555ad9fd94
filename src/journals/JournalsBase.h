#pragma once

#include "common/Result.h"
#include "shell/AppContext.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

namespace kulvera {

// The journals base as the month journals reach it. Every table is named by a
// setting (section Losses) and always addressed through it.
class JournalsBase
{
public:
    explicit JournalsBase(AppContext &context);

    AppContext &context() const { return context_; }
    bool connected() const;
    // Failure with the text to show when the journals base is not open.
    Status requireConnected() const;
    QSqlDatabase database() const;
    ErrorLog *errorLog() const { return &context_.errorLog; }
    Status exec(const QString &sql, const QVariantList &values = {}) const;

    // The table a setting names ("tbWork" → "work"), quoted for the engine.
    QString table(const QString &settingKey) const;
    // Quotes a column name for this engine.
    QString q(const QString &name) const;

private:
    AppContext &context_;
};

} // namespace kulvera
