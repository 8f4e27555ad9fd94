#pragma once

#include "common/Prompter.h"

#include <QSet>
#include <QStringList>

namespace kulvera {

// The prompter a bulk run hands to the computations it repeats for thousands
// of recipes: a missing loss type or a broken link would otherwise open a box
// per recipe. Every text is collected once, for the run's report; questions
// get the answer that changes nothing (the pass limit stops at the values of
// the last pass). Status texts go on to the real prompter.
class QuietPrompter : public Prompter
{
public:
    explicit QuietPrompter(Prompter &outer)
        : outer_(outer)
    {
    }
    // The distinct texts, in the order first met, each with how often it came.
    QStringList collected() const;

    void status(const QString &text) override { outer_.status(text); }
    void progress(qint64 value, qint64 maximum) override { outer_.progress(value, maximum); }

protected:
    Reply present(const Message &message) override;
    std::optional<QString> presentInput(const Message &, const QString &) override { return std::nullopt; }

private:
    Prompter &outer_;
    QStringList texts_;
    QList<int> counts_;
};

} // namespace kulvera
