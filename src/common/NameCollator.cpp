#include "common/NameCollator.h"

#include <QLocale>

namespace kulvera {

QCollator nameCollator()
{
    QCollator collator(QLocale(QLocale::Russian, QLocale::Russia));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

} // namespace kulvera
