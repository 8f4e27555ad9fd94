#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "recipes/PositionKey.h"
#include "recipes/StoredText.h"
#include "shell/Connections.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QRandomGenerator>

#include <algorithm>

#include <vector>

namespace kulvera {
namespace {

// One stored row as it lies in the base: the recipe name (l1) and the
// position key (l15), both encoded.
struct StoredRow {
    QString name;
    QString key;
};

constexpr int kSampleRows = 40;
constexpr int kSampleRowsPerTable = 10;

QString title()
{
    return QStringLiteral("Номер установки");
}

// A few rows of every recipe table of the dish base (a table with the
// columns l1 and l15). None: the base holds no recipes.
std::vector<StoredRow> storedSample(const QSqlDatabase &db, ErrorLog *log)
{
    std::vector<StoredRow> rows;
    const SqlDialect &dialect = SqlDialect::of(db);
    for (const QString &table : dialect.tables(db)) {
        const QStringList columns = dialect.columns(db, table);
        if (!columns.contains(QStringLiteral("l1"), Qt::CaseInsensitive)
            || !columns.contains(QStringLiteral("l15"), Qt::CaseInsensitive))
            continue;
        SqlStatement q(db,
            QStringLiteral("SELECT \"l1\", \"l15\" FROM ") + dialect.quote(table)
                + QStringLiteral(" WHERE \"l15\" IS NOT NULL AND \"l15\" <> '' LIMIT ")
                + QString::number(kSampleRowsPerTable),
            log);
        if (!q.exec())
            continue;
        while (q.next() && rows.size() < kSampleRows)
            rows.push_back({q.value(0).toString(), q.value(1).toString()});
        if (rows.size() >= kSampleRows)
            break;
    }
    return rows;
}

bool wholeGroups(const QString &stored)
{
    return stored.size() % 4 == 0;
}

// A stored value reads as text: no control characters, nothing outside the
// code page.
bool readsAsText(const QString &text)
{
    for (QChar ch : text) {
        if (ch == QChar::ReplacementCharacter || ch.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

bool allDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A key with a prefix and digits ("pro00010002"). A wrong installation key
// shifts every character alike, and no shift turns one prefix into another.
bool isPrefixedKey(const QString &key)
{
    const QStringView prefixes[]
        = {kKeyProduct, kKeySemiFinished, kKeyDish, kKeyProductNode, kKeyRation, kKeyRat, kKeyList};
    return std::any_of(std::begin(prefixes), std::end(prefixes), [&](QStringView p) { return key.startsWith(p); })
        && allDigits(QStringView(key).mid(3));
}

// Whether the stored rows read under the key of `number`: every sampled name
// and key is text, and at least one key has a prefix and digits.
bool readsStoredRows(const QString &number, const std::vector<StoredRow> &rows)
{
    const StoredTextCodec codec(StoredTextCodec::keyFromInstallationNumber(number));
    bool anyPrefixed = false;
    for (const StoredRow &row : rows) {
        if (!wholeGroups(row.name) || !wholeGroups(row.key))
            return false;
        const QString key = codec.decode(row.key);
        if (!readsAsText(codec.decode(row.name)) || !readsAsText(key))
            return false;
        anyPrefixed = anyPrefixed || isPrefixedKey(key);
    }
    return anyPrefixed;
}

QString abandonedText()
{
    return QStringLiteral("Номер установки не указан: без него рецептуры базы блюд не читаются. База блюд не изменена.")
        + u'\n' + QStringLiteral("Номер можно также записать в настройку Data/InstallationNumber.");
}

// Asks until a number reads the stored rows; nothing when the user cancels.
Result<QString> askNumber(Prompter &prompter, const std::vector<StoredRow> &rows, const QString &fromSettings)
{
    QString question = QStringLiteral("В базе блюд есть рецептуры, но номер установки, с которым они записаны, "
                                      "в базе не сохранен.");
    if (!fromSettings.isEmpty())
        question += u'\n' + QStringLiteral("Номер установки из настроек (") + fromSettings
            + QStringLiteral(") к ним не подходит.");
    question += u'\n' + QStringLiteral("Введите номер установки, с которым записаны рецептуры:");
    while (true) {
        const std::optional<QString> typed = prompter.askText(question, title());
        if (!typed)
            return Result<QString>::failure(abandonedText());
        const QString candidate = typed->trimmed();
        if (!allDigits(candidate)) {
            prompter.warning(QStringLiteral("Номер установки состоит только из цифр."), title());
            continue;
        }
        if (!readsStoredRows(candidate, rows)) {
            prompter.warning(QStringLiteral("С номером установки ") + candidate
                    + QStringLiteral(" рецептуры базы блюд не читаются.") + u'\n'
                    + QStringLiteral("Проверьте номер и введите его еще раз."),
                title());
            continue;
        }
        return candidate;
    }
}

} // namespace

Result<QString> installationNumber(Connections &connections, int dishBase, SettingsAccess &settings, Prompter *prompter)
{
    if (!connections.isConnected(dishBase))
        return Result<QString>::failure(QStringLiteral("Нет подключения к базе блюд"));
    const QSqlDatabase db = connections.database(dishBase);
    ErrorLog *log = &connections.errorLog();
    const SqlDialect &dialect = SqlDialect::of(db);
    const QString table = dialect.quote(kInstallationTable.toString());
    const QString setting = kInstallationSetting.toString();

    if (dialect.tables(db).contains(kInstallationTable.toString(), Qt::CaseInsensitive)) {
        SqlStatement q(db, QStringLiteral("SELECT \"Number\" FROM ") + table, log);
        if (!q.exec())
            return Result<QString>::failure(q.lastError());
        if (q.next()) {
            const QString number = q.value(0).toString().trimmed();
            if (!number.isEmpty()) {
                if (settings.get(Section::Data, setting) != number)
                    settings.save(Section::Data, setting, number);
                return number;
            }
        }
    }

    // The base keeps no number. A new number, or the settings' one, would turn
    // recipes written under another into garbage: with recipes in the base a
    // number must read them first.
    QString number = settings.get(Section::Data, setting).trimmed();
    const std::vector<StoredRow> rows = storedSample(db, log);
    if (!rows.empty()) {
        if (number.isEmpty() || !readsStoredRows(number, rows)) {
            const Result<QString> asked = askNumber(prompter ? *prompter : connections.prompter(), rows, number);
            if (!asked)
                return asked;
            number = asked.value();
        }
    } else if (number.isEmpty()) {
        number = QString::number(QRandomGenerator::global()->bounded(100000, 1000000));
    }

    Transaction transaction(db, log);
    Status s = execSql(db,
        QStringLiteral("CREATE TABLE IF NOT EXISTS ") + table + QStringLiteral(" (\"Number\" VARCHAR(255))"), {}, log);
    if (s)
        s = execSql(db, QStringLiteral("DELETE FROM ") + table, {}, log);
    if (s)
        s = execSql(
            db, QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (\"Number\") VALUES (?)"), {number}, log);
    if (s)
        s = transaction.commit();
    if (!s)
        return Result<QString>::failure(s.error());
    settings.save(Section::Data, setting, number);
    return number;
}

Result<StoredTextCodec> installationCodec(
    Connections &connections, int dishBase, SettingsAccess &settings, Prompter *prompter)
{
    const Result<QString> number = installationNumber(connections, dishBase, settings, prompter);
    if (!number)
        return Result<StoredTextCodec>::failure(number.error());
    return StoredTextCodec(StoredTextCodec::keyFromInstallationNumber(number.value()), prompter);
}

} // namespace kulvera
