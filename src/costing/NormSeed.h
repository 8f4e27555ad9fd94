#pragma once

#include "common/Result.h"

#include <QString>

namespace kulvera {

class NormBase;

// Fills an empty `Norm` table from a seed file of lines "name,column,value"
// (after a header line): one norm per name, in the order met, in one
// transaction. A table that holds norms is left alone; a line that does not
// read refuses the whole file.
Status seedNorms(const NormBase &norms, const QString &csvPath);

} // namespace kulvera
