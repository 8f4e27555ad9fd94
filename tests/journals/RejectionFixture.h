#pragma once

#include "menus/MenuTestSupport.h"

#include "common/Clock.h"
#include "journals/RejectionJournal.h"
#include "shell/AppContext.h"

namespace kulvera::test {

// A menu base with two recipes (MenuFixture) and an empty rejection journal base.
struct RejectionFixture : MenuFixture {
    int journalBase = t.create(BaseId::Rejection);
    FixedClock clock {QDateTime(QDate(2026, 3, 2), QTime(9, 15))};
    AppContext context {t.prompter(), t.settings(), t.shared(), clock, t.connections(), t.errorLog()};
    RejectionJournal journal {context};

    int journalRows()
    {
        SqlStatement q(t.connections().database(BaseId::Rejection), QStringLiteral("SELECT COUNT(*) FROM base"));
        EXPECT_TRUE(q.exec());
        return q.next() ? q.value(0).toInt() : -1;
    }
    QStringList dishes(const QDate &when, const QString &group)
    {
        QStringList out;
        const auto entries = journal.entries(when, group);
        EXPECT_TRUE(entries) << entries.error().toStdString();
        if (entries) {
            for (const RejectionEntry &e : *entries)
                out << e.dish;
        }
        return out;
    }
};

} // namespace kulvera::test
