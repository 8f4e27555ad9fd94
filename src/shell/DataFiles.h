#pragma once

#include <QString>

namespace kulvera {

// The folder of the seed data the program deploys on first start (product
// base, loss tables, demo recipes): KULVERA_DATA_DIR when set, else
// "share/kulvera/data" beside the program, else the source tree's data/.
QString dataFolder();
QString dataFile(const QString &name);

} // namespace kulvera
