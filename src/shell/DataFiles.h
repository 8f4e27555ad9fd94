#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kulvera {

// The folder of the seed data the program deploys on first start (product
// base, loss tables, demo recipes): KULVERA_DATA_DIR when set, else
// "share/kulvera/data" beside the program, else the source tree's data/.
QString dataFolder();
QString dataFile(const QString &name);

// A seed file: ";"-separated cells, the first line the column names, blank
// lines and lines starting with "#" skipped. Each row keeps its line number
// for messages.
struct SeedRow {
    int line = 0;
    QStringList cells;
};
struct SeedTable {
    QStringList header;
    std::vector<SeedRow> rows;
};
// Nothing when the file cannot be opened.
std::optional<SeedTable> readSeedTable(const QString &path);

} // namespace kulvera
