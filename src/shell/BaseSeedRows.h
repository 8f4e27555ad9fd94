#pragma once

#include "shell/Catalogue.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace kulvera {

// Rows a new base file starts with, kept beside the schema of its tables
// (the journals base offers its five health marks from the start).
struct SeedRows {
    QString table; // the schema's name of the table
    QStringList columns;
    std::vector<QStringList> rows; // values in the order of `columns`
};
std::vector<SeedRows> seedRowsOf(BaseId base);

} // namespace kulvera
