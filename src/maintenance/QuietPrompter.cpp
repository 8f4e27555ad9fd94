#include "maintenance/QuietPrompter.h"

#include "common/ScriptedPrompter.h"

namespace kulvera {

Prompter::Reply QuietPrompter::present(const Message &message)
{
    const QString text = QString(message.text).replace(u'\n', u' ');
    const qsizetype at = texts_.indexOf(text);
    if (at < 0) {
        texts_ << text;
        counts_ << 1;
    } else {
        ++counts_[at];
    }
    return {safeAnswer(message.buttons), false};
}

QStringList QuietPrompter::collected() const
{
    QStringList lines;
    for (qsizetype i = 0; i < texts_.size(); ++i)
        lines << (counts_[i] > 1
                ? texts_[i] + QStringLiteral(" (") + QString::number(counts_[i]) + QStringLiteral(" раз)")
                : texts_[i]);
    return lines;
}

} // namespace kulvera
