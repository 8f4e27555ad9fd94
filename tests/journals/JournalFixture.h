#pragma once

#include "common/Clock.h"
#include "journals/JournalList.h"
#include "journals/JournalsBase.h"
#include "journals/MonthJournal.h"
#include "shell/AppContext.h"
#include "shell/SqlStatement.h"
#include "support/TempBases.h"

#include <gtest/gtest.h>

namespace kulvera::test {

// A new journals base of a private installation and both journals on it.
struct JournalFixture : ::testing::Test {
    TempBases bases;
    FixedClock clock {QDate(2028, 2, 10)};
    AppContext context {
        bases.prompter(), bases.settings(), bases.shared(), clock, bases.connections(), bases.errorLog()};
    bool created = bases.create(BaseId::Journals) != Connections::kFailed;
    JournalsBase base {context};
    MonthJournal health {base, JournalKind::Health};
    MonthJournal fridges {base, JournalKind::Temperature};

    QSqlDatabase db() { return base.database(); }

    // A subject with a place of that name.
    qint64 subject(MonthJournal &journal, const QString &name, const QString &place = {})
    {
        const auto id = journal.addSubject(name);
        EXPECT_TRUE(id.ok()) << id.error().toStdString();
        if (!place.isEmpty()) {
            const auto p = JournalList::places(base, journal.rules().kind).add(place);
            EXPECT_TRUE(journal.setSubjectPlace(*id, *p).ok());
        }
        return id.ok() ? *id : 0;
    }

    // Rows of an entry table for a subject and day, as stored.
    QStringList stored(const QString &table, const QString &column, qint64 subject, const QDate &day)
    {
        SqlStatement s(db(),
            QStringLiteral("SELECT \"Results\" FROM \"") + table + QStringLiteral("\" WHERE \"") + column
                + QStringLiteral("\" = ? AND date(\"date_t\") = ? ORDER BY \"ID\""));
        EXPECT_TRUE(s.exec({subject, day.toString(Qt::ISODate)}).ok());
        QStringList values;
        while (s.next())
            values << s.value(0).toString();
        return values;
    }
    QStringList healthCells(qint64 subject, const QDate &day)
    {
        return stored(QStringLiteral("jur_z"), QStringLiteral("work_id"), subject, day);
    }
    QStringList temperatureCells(qint64 subject, const QDate &day)
    {
        return stored(QStringLiteral("jur_h"), QStringLiteral("obor_id"), subject, day);
    }

    // A second entry for the day, as another copy of the program might have left it.
    void addDuplicate(const QString &table, const QString &column, qint64 subject, const QDate &day, const QString &v)
    {
        ASSERT_TRUE(execSql(db(),
            QStringLiteral("INSERT INTO \"") + table + QStringLiteral("\" (\"") + column
                + QStringLiteral("\", \"date_t\", \"Results\") VALUES (?, ?, ?)"),
            {subject, QDateTime(day, QTime(0, 0)), v})
                        .ok());
    }

    qint64 count(const QString &table)
    {
        SqlStatement s(db(), QStringLiteral("SELECT COUNT(*) FROM \"") + table + u'"');
        return s.exec().ok() && s.next() ? s.value(0).toLongLong() : -1;
    }
};

} // namespace kulvera::test
