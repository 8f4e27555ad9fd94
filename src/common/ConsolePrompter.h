#pragma once

#include "common/Prompter.h"

#include <cstdio>

namespace kulvera {

// The Prompter of kulvera-cli: prints every message to stderr and answers
// questions from the command line's --yes / --no. Without either flag it
// answers the safe way (No, Cancel) and says so, so nothing changes unasked.
class ConsolePrompter : public Prompter
{
public:
    enum class Policy { Safe, Yes, No };
    explicit ConsolePrompter(Policy policy = Policy::Safe, std::FILE *out = stderr)
        : policy_(policy)
        , out_(out)
    {
    }

    void status(const QString &text) override;
    void progress(qint64 value, qint64 maximum) override;

protected:
    Reply present(const Message &message) override;
    // Text cannot be typed into a batch run: the box counts as cancelled.
    std::optional<QString> presentInput(const Message &message, const QString &initial) override;

private:
    void print(const QString &text);
    Policy policy_;
    std::FILE *out_;
    int lastPercent_ = -1;
};

} // namespace kulvera
