#include "maintenance/RunProgress.h"

#include "common/Prompter.h"

namespace kulvera {

bool PrompterProgress::advance(qint64 done, qint64 total, const QString &text)
{
    if (text != lastText_) {
        lastText_ = text;
        prompter_.status(text);
    }
    prompter_.progress(done, total);
    return true;
}

void PrompterProgress::finish()
{
    prompter_.progress(0, 0);
}

} // namespace kulvera
