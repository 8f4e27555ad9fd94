#pragma once

#include "common/Result.h"
#include "journals/MonthJournalKind.h"

#include <QString>

#include <optional>
#include <vector>

namespace kulvera {

class JournalsBase;

struct JournalListItem {
    qint64 id = 0;
    QString text;
};

// A list of the journals base that is one text per row: the positions of the
// staff (`post`), the premises (`struc`) and the health marks (`results`).
// Every edit is written at once.
class JournalList
{
public:
    JournalList(JournalsBase &base, QString tableKey, QString textColumn, QString title);
    // Positions (health journal) or premises (temperature journal).
    static JournalList places(JournalsBase &base, JournalKind kind);
    static JournalList marks(JournalsBase &base);

    const QString &title() const { return title_; }
    // In the order they were added.
    Result<std::vector<JournalListItem>> items() const;
    std::optional<JournalListItem> find(qint64 id) const;
    // An item by its key or, failing that, by its text (letter case ignored).
    std::optional<JournalListItem> findByTextOrKey(const QString &text) const;
    int count() const;
    Result<qint64> add(const QString &text);
    Status setText(qint64 id, const QString &text);
    // Asks first. Subjects that named the item keep their key and show no place.
    Status remove(qint64 id);

private:
    JournalsBase &base_;
    QString tableKey_;
    QString textColumn_;
    QString title_;
};

} // namespace kulvera
