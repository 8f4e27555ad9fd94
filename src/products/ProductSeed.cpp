#include "products/ProductSeed.h"

#include "common/NumberText.h"
#include "shell/Catalogue.h"
#include "shell/Connections.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kulvera {
namespace {

constexpr qint64 kMaxSeedFile = 64 * 1024 * 1024;

Result<std::vector<QStringList>> readCsv(const QString &path)
{
    using R = Result<std::vector<QStringList>>;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return R::failure(QStringLiteral("Не удалось открыть файл: ") + path);
    if (file.size() > kMaxSeedFile)
        return R::failure(QStringLiteral("Слишком большой файл: ") + path);
    auto rows = parseCsv(QString::fromUtf8(file.readAll()));
    if (!rows)
        return R::failure(rows.error() + QStringLiteral(": ") + path);
    if (rows->empty())
        return R::failure(QStringLiteral("Нет строки заголовка: ") + path);
    return rows;
}

bool isTextColumn(const QString &column)
{
    static const QStringList texts = {QStringLiteral("Имя"), QStringLiteral("Имя2"), QStringLiteral("ГОСТ"),
        QStringLiteral("ЕвроКОД"), QStringLiteral("Источник"), QStringLiteral("Изготовитель"), QStringLiteral("Rast"),
        QStringLiteral("Комент"), QStringLiteral("Имя_Группы"), QStringLiteral("Name"), QStringLiteral("Pref")};
    return texts.contains(column) || column.startsWith(u"Список");
}

// Loads the rows of a CSV into an empty table in one transaction. Does
// nothing when the table already has rows.
Status loadTable(Connections &connections, int number, const QString &table, const QString &path)
{
    const QSqlDatabase db = connections.database(number);
    const SqlDialect &d = SqlDialect::of(db);
    const QStringList existing = d.columns(db, table);
    if (existing.isEmpty())
        return Status::failure(QStringLiteral("В базе нет таблицы ") + table);
    SqlStatement count(db, QStringLiteral("SELECT COUNT(*) FROM ") + d.quote(table), &connections.errorLog());
    if (!count.exec() || !count.next())
        return Status::failure(QStringLiteral("Не удалось прочитать таблицу ") + table);
    if (count.value(0).toLongLong() > 0)
        return {};
    count.finish();

    const auto rows = readCsv(path);
    if (!rows)
        return Status::failure(rows.error());
    const QStringList header = rows->front();
    QStringList quoted;
    QStringList marks;
    for (const QString &c : header) {
        if (!existing.contains(c))
            return Status::failure(QStringLiteral("Нет колонки '") + c + QStringLiteral("' в таблице ") + table
                + QStringLiteral(": ") + path);
        if (header.count(c) > 1)
            return Status::failure(QStringLiteral("Колонка '") + c + QStringLiteral("' повторяется: ") + path);
        quoted << d.quote(c);
        marks << QStringLiteral("?");
    }
    Transaction transaction(db, &connections.errorLog());
    SqlStatement insert(db,
        QStringLiteral("INSERT INTO ") + d.quote(table) + QStringLiteral(" (") + quoted.join(u", ")
            + QStringLiteral(") VALUES (") + marks.join(u", ") + u')',
        &connections.errorLog());
    for (std::size_t line = 1; line < rows->size(); ++line) {
        const QStringList &cells = (*rows)[line];
        if (cells.size() == 1 && cells.front().isEmpty())
            continue; // a blank line
        const QString where = QStringLiteral(" (строка ") + QString::number(line + 1) + QStringLiteral("): ") + path;
        if (cells.size() != header.size())
            return Status::failure(QStringLiteral("Число значений не совпадает с заголовком") + where);
        QVariantList values;
        for (int n = 0; n < header.size(); ++n) {
            const QString &cell = cells[n];
            if (isTextColumn(header[n])) {
                values << cell;
            } else if (cell.trimmed().isEmpty()) {
                values << QVariant();
            } else {
                const auto parsed = parseNumber(cell);
                if (!parsed)
                    return Status::failure(QStringLiteral("Не число в колонке '") + header[n] + u'\'' + where);
                values << *parsed;
            }
        }
        if (const Status s = insert.exec(values); !s)
            return Status::failure(s.error() + where);
    }
    return transaction.commit();
}

} // namespace

Result<std::vector<QStringList>> parseCsv(const QString &text)
{
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        any = true;
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row << field;
            field.clear();
        } else if (c == u'\n') {
            row << field;
            rows.push_back(row);
            row.clear();
            field.clear();
            any = false;
        } else if (c != u'\r') {
            field += c;
        }
    }
    if (quoted)
        return Result<std::vector<QStringList>>::failure(QStringLiteral("Незакрытые кавычки в файле CSV"));
    if (any) {
        row << field;
        rows.push_back(row);
    }
    // A byte-order mark is not part of the first column's name.
    if (!rows.empty() && !rows.front().isEmpty() && rows.front().front().startsWith(QChar(0xFEFF)))
        rows.front().front().remove(0, 1);
    return rows;
}

Status seedProductBase(Connections &connections, const SettingsAccess &settings, const QString &csvPath)
{
    const int products = static_cast<int>(BaseId::Products);
    if (!connections.isConnected(products))
        return Status::failure(QStringLiteral("Не удалось подключиться к базе продуктов"));
    if (const Status s
        = loadTable(connections, products, readSetting(settings, Section::Prod, QStringLiteral("tbProd")), csvPath);
        !s)
        return s;
    const int warehouse = static_cast<int>(BaseId::Warehouse);
    if (!connections.isConnected(warehouse))
        return {};
    const QDir folder = QFileInfo(csvPath).absoluteDir();
    const QString groups = folder.filePath(QStringLiteral("product_groups.csv"));
    if (QFileInfo::exists(groups)) {
        if (const Status s = loadTable(
                connections, warehouse, readSetting(settings, Section::Losses, QStringLiteral("tbГруппы_ЕдИ")), groups);
            !s)
            return s;
    }
    const QString units = folder.filePath(QStringLiteral("units.csv"));
    if (QFileInfo::exists(units)) {
        if (const Status s = loadTable(connections, warehouse, QStringLiteral("dt105"), units); !s)
            return s;
    }
    return {};
}

} // namespace kulvera
