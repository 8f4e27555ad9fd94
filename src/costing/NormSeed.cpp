#include "costing/NormSeed.h"

#include "common/NumberText.h"
#include "costing/NormBase.h"

#include <QFile>

namespace kulvera {

Status seedNorms(const NormBase &norms, const QString &csvPath)
{
    const auto present = norms.names();
    if (!present)
        return Status::failure(present.error());
    if (!present->isEmpty())
        return {};
    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return Status::failure(QStringLiteral("Не найден файл норм: ") + csvPath);
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    std::vector<NormRecord> seed;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList f = lines[i].trimmed().split(u',');
        const std::optional<double> value = f.size() == 3 ? parseNumber(f[2]) : std::nullopt;
        if (!value || f[0].trimmed().isEmpty() || f[1].trimmed().isEmpty())
            return Status::failure(csvPath + QStringLiteral(": строка ") + QString::number(i + 1));
        if (seed.empty() || seed.back().name != f[0].trimmed()) {
            seed.emplace_back();
            seed.back().name = f[0].trimmed();
        }
        seed.back().columns.emplace_back(f[1].trimmed(), *value);
    }
    return norms.insertAll(seed);
}

} // namespace kulvera
