#pragma once

#include <QString>

namespace kulvera {

class Prompter;

// Where a long maintenance run reports how far it is, and learns whether the
// user wants it stopped. The desktop program shows a progress dialog with a
// cancel button; kulvera-cli and start-up checks report to the prompter and
// never cancel. A run that is cancelled rolls its transaction back.
class RunProgress
{
public:
    virtual ~RunProgress() = default;
    // `done` of `total` steps; `text` says what is being done. False: stop.
    virtual bool advance(qint64 done, qint64 total, const QString &text) = 0;
    // The run is over (whatever its outcome): hide what was shown.
    virtual void finish() { }
};

// Reports to the status line and the progress of a prompter; never cancels.
class PrompterProgress : public RunProgress
{
public:
    explicit PrompterProgress(Prompter &prompter)
        : prompter_(prompter)
    {
    }
    bool advance(qint64 done, qint64 total, const QString &text) override;
    void finish() override;

private:
    Prompter &prompter_;
    QString lastText_;
};

} // namespace kulvera
