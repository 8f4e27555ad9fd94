#pragma once

#include "shell/AppContext.h"

#include <QString>

#include <functional>
#include <map>

class QWidget;

namespace kulvera {

// How the main window's commands reach the forms of the subsystems: each
// forms library registers an opener under the command's name. A command with
// no opener is shown disabled. The opener returns the form (the main window
// puts it into its document area) or nullptr when it did its work without one.
class CommandRegistry
{
public:
    using Opener = std::function<QWidget *(AppContext &context, QWidget *parent)>;

    void add(const QString &command, Opener opener) { openers_[command] = std::move(opener); }
    bool has(const QString &command) const { return openers_.count(command) != 0; }
    // The opener registered under a command (empty when none), so another library can wrap it.
    Opener opener(const QString &command) const
    {
        const auto it = openers_.find(command);
        return it == openers_.end() ? Opener() : it->second;
    }
    QWidget *open(const QString &command, AppContext &context, QWidget *parent) const
    {
        const auto it = openers_.find(command);
        return it == openers_.end() ? nullptr : it->second(context, parent);
    }

private:
    std::map<QString, Opener> openers_;
};

} // namespace kulvera
