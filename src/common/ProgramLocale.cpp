#include "common/ProgramLocale.h"

namespace kulvera {

QLocale programLocale()
{
    return QLocale(QLocale::Russian, QLocale::Russia);
}

void pinProgramLocale()
{
    QLocale::setDefault(programLocale());
}

} // namespace kulvera
