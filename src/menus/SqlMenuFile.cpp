#include "menus/SqlMenuFile.h"

#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "menus/MenuBase.h"
#include "menus/MenuBinaryFile.h"
#include "menus/StringScrambler.h"
#include "shell/BaseSchema.h"
#include "shell/Connections.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QFileInfo>
#include <QSqlField>
#include <QSqlRecord>

#include <array>
#include <memory>
#include <set>
#include <thread>

namespace kulvera {
namespace {

const QByteArray kSeparatorBytes = QByteArrayLiteral("<!STR!>");

const ColumnDef *schemaColumn(const QString &name)
{
    for (const TableDef &t : schemaOf(BaseId::Menu)) {
        if (t.nameKey != u"tbMenu_Temp")
            continue;
        for (const ColumnDef &c : t.columns) {
            if (c.name.compare(name, Qt::CaseInsensitive) == 0)
                return &c;
        }
    }
    return nullptr;
}

QString typeWord(ColumnType type)
{
    switch (type) {
    case ColumnType::Boolean:
        return QStringLiteral(" BIT");
    case ColumnType::Long:
        return QStringLiteral(" INT");
    case ColumnType::Counter:
        return QStringLiteral(" COUNTER PRIMARY KEY");
    case ColumnType::Double:
        return QStringLiteral(" DOUBLE");
    case ColumnType::Text:
        return QStringLiteral(" TEXT(255)");
    case ColumnType::Memo:
        return QStringLiteral(" MEMO");
    default:
        return QStringLiteral(" Unknown");
    }
}

bool isTextType(ColumnType type)
{
    return type == ColumnType::Text || type == ColumnType::Memo || type == ColumnType::Date;
}

QString quotedText(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'\'';
    for (const QChar c : text) {
        out += c;
        if (c == u'\'')
            out += u'\'';
    }
    out += u'\'';
    return out;
}

// The l-number of a row column of the file ("l7" -> 7), 0 for "ID", -1 for
// anything else.
int rowColumnNumber(const QString &name)
{
    if (name.compare(u"ID", Qt::CaseInsensitive) == 0)
        return 0;
    if (name.size() < 2 || (name[0] != u'l' && name[0] != u'L'))
        return -1;
    bool ok = false;
    const int n = name.mid(1).toInt(&ok);
    if (!ok || n < 1 || n > MenuBase::kRowColumns || name.mid(1) != QString::number(n))
        return -1;
    return n;
}

bool isIdentifierChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

bool isPlainIdentifier(QStringView name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (!isIdentifierChar(c))
            return false;
    }
    return true;
}

// Where one value of a statement lies; a length of -1 is NULL. A quoted text
// with doubled quotes inside must have them undone (`valueText`).
struct ValueSpan {
    qsizetype from = 0;
    qsizetype length = -1;
    bool doubledQuotes = false;
};

QStringView valueText(QStringView statement, const ValueSpan &v, QString &scratch)
{
    if (v.length < 0)
        return {};
    const QStringView raw = statement.sliced(v.from, v.length);
    if (!v.doubledQuotes)
        return raw;
    scratch = raw.toString();
    scratch.replace(QStringLiteral("''"), QStringLiteral("'"));
    return scratch;
}

// A strict reader of one INSERT statement; it knows nothing else of SQL.
class InsertReader
{
public:
    explicit InsertReader(QStringView s)
        : s_(s)
    {
    }
    qsizetype position() const { return i_ + 1; }
    void blanks()
    {
        while (i_ < s_.size() && (s_[i_] == u' ' || s_[i_] == u'\t' || s_[i_] == u'\r' || s_[i_] == u'\n'))
            ++i_;
    }
    bool atEnd() const { return i_ >= s_.size(); }
    bool character(QChar c)
    {
        blanks();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    // A whole word, compared without regard to case.
    bool word(QStringView expected)
    {
        blanks();
        qsizetype j = i_;
        while (j < s_.size() && isIdentifierChar(s_[j]))
            ++j;
        if (s_.sliced(i_, j - i_).compare(expected, Qt::CaseInsensitive) != 0)
            return false;
        i_ = j;
        return true;
    }
    // One literal: quoted text, a number or nothing. Where it lies in the
    // statement; a quoted text without its quotes.
    bool value(ValueSpan &out)
    {
        blanks();
        out = ValueSpan();
        if (i_ >= s_.size())
            return false;
        const QChar c = s_[i_];
        if (c == u'\'') {
            ++i_;
            out.from = i_;
            while (true) {
                if (i_ >= s_.size())
                    return false; // no closing quote
                if (s_[i_] == u'\'') {
                    if (i_ + 1 < s_.size() && s_[i_ + 1] == u'\'') {
                        out.doubledQuotes = true;
                        i_ += 2;
                        continue;
                    }
                    out.length = i_ - out.from;
                    ++i_;
                    return true;
                }
                ++i_;
            }
        }
        if (c == u',' || c == u')')
            return true; // empty: NULL
        const qsizetype start = i_;
        if (c == u'+' || c == u'-')
            ++i_;
        const qsizetype digitsFrom = i_;
        while (i_ < s_.size() && s_[i_].isDigit() && s_[i_].unicode() < 128)
            ++i_;
        bool digits = i_ > digitsFrom;
        if (i_ < s_.size() && s_[i_] == u'.') {
            ++i_;
            const qsizetype fractionFrom = i_;
            while (i_ < s_.size() && s_[i_].isDigit() && s_[i_].unicode() < 128)
                ++i_;
            digits = digits || i_ > fractionFrom;
        }
        if (!digits)
            return false;
        if (i_ < s_.size() && (s_[i_] == u'e' || s_[i_] == u'E')) {
            ++i_;
            if (i_ < s_.size() && (s_[i_] == u'+' || s_[i_] == u'-'))
                ++i_;
            const qsizetype expFrom = i_;
            while (i_ < s_.size() && s_[i_].isDigit() && s_[i_].unicode() < 128)
                ++i_;
            if (i_ == expFrom)
                return false;
        }
        out.from = start;
        out.length = i_ - start;
        return true;
    }

private:
    QStringView s_;
    qsizetype i_ = 0;
};

Result<RationImportSummary> refuse(Prompter &prompter, const QString &text)
{
    prompter.status(QString());
    prompter.error(text, kSqlMenuLoadTitle.toString());
    return Result<RationImportSummary>::failure(text);
}

QString damaged(const QString &path)
{
    return QStringLiteral("Файл '") + path
        + QStringLiteral("' поврежден или не является файлом меню рационов. База меню не изменена.");
}

} // namespace

QString defaultSqlMenuFileName(const SettingsAccess &settings)
{
    QString name = readSetting(settings, Section::User, QStringLiteral("Name_POP"));
    name.replace(u' ', u'_');
    name.remove(u'"');
    return QStringLiteral("Меню_Рациона_") + name + QStringLiteral(".sql_menu");
}

Result<int> saveSqlMenuFile(const MenuBase &base, const std::vector<QDate> &days, const std::optional<QString> &group,
    const QString &path, const SqlMenuSaveOptions &options)
{
    using R = Result<int>;
    Prompter &prompter = base.prompter();
    const QString title = kSqlMenuSaveTitle.toString();
    const auto fail = [&](const QString &text) {
        if (!text.isEmpty())
            prompter.error(text, title);
        return R::failure(text);
    };
    if (const Status target = checkMenuFileTarget(
            prompter, title, path, days.empty(), options.askReplace, QStringLiteral("ReplaceSqlMenuFile"));
        !target)
        return fail(target.error());

    const QSqlDatabase db = base.database();
    const SqlDialect &dialect = SqlDialect::of(db);
    const QString table = base.table();
    const QSqlRecord record = db.record(table);
    if (record.isEmpty())
        return fail(QStringLiteral("База не содержит меню"));
    QStringList names;
    QStringList definitions;
    QString selectColumns;
    std::vector<bool> textColumn;
    for (int c = 0; c < record.count(); ++c) {
        const QString name = record.fieldName(c);
        const ColumnDef *def = schemaColumn(name);
        if (!def)
            return fail(QStringLiteral("Не удалось определить тип у колонки: ") + name + u'\n'
                + QStringLiteral("Тип данных: ") + QString::fromLatin1(record.field(c).metaType().name()));
        names << name;
        definitions << name + typeWord(def->type);
        textColumn.push_back(isTextType(def->type));
        selectColumns += (c > 0 ? QStringLiteral(", ") : QString()) + dialect.quote(name);
    }
    const QString columnList = names.join(u',');

    QVariantList params;
    QString marks;
    for (const QDate &d : days) {
        params << base.codec().encode(formatTextDate(d));
        marks += params.size() > 1 ? QStringLiteral(", ?") : QStringLiteral("?");
    }
    QString sql = QStringLiteral("SELECT ") + selectColumns + QStringLiteral(" FROM ") + dialect.quote(table)
        + QStringLiteral(" WHERE \"l26\" IN (") + marks + u')';
    if (group) {
        sql += QStringLiteral(" AND \"l28\" = ?");
        params << base.codec().encode(*group);
    }
    sql += QStringLiteral(" ORDER BY \"ID\"");
    SqlStatement q(db, sql, &base.connections().errorLog());
    if (const Status s = q.exec(params); !s)
        return fail(s.error());

    const QString head
        = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + columnList + QStringLiteral(") values (");
    QByteArray statements;
    int rows = 0;
    QString statement;
    while (q.next()) {
        statement = head;
        for (int c = 0; c < static_cast<int>(names.size()); ++c) {
            if (c > 0)
                statement += u',';
            const QVariant v = q.value(c);
            if (v.isNull())
                continue;
            statement
                += textColumn[static_cast<size_t>(c)] ? quotedText(base.codec().decode(v.toString())) : v.toString();
        }
        statement += u')';
        const QByteArray scrambled = scrambleText(statement);
        // A scrambled statement could, however rarely, hold the separator's
        // bytes: such a file would not read back, so it is not written.
        if (scrambled.contains(kSeparatorBytes))
            return fail(QStringLiteral("Строку ") + QString::number(rows + 1)
                + QStringLiteral(" нельзя записать в файл: файл не сохранен"));
        if (rows > 0)
            statements += kSeparatorBytes;
        statements += scrambled;
        ++rows;
    }
    if (rows == 0)
        return fail(QStringLiteral("На указанные даты меню отсутствует!"));

    MenuFileWriter out;
    out.putPlain(kSqlMenuSignature);
    out.putNumber(rows);
    out.putNumber(1);
    out.putPlain(u"-1");
    // The base's own name: its file, or on the server its schema (the database's name would say nothing).
    out.putPlain(QFileInfo(base.connections().path(base.number())).fileName());
    out.putScrambled(table);
    out.putScrambled(columnList);
    out.putScrambled(definitions.join(u','));
    out.putBytes(statements);
    if (const Status s = writeMenuFileBytes(path, out.bytes()); !s)
        return fail(QStringLiteral("Не удалось записать файл '") + path + QStringLiteral("': ") + s.error());
    if (options.report)
        prompter.message(QStringLiteral("Данные сохранены в ") + path, title);
    return rows;
}

namespace {

Status parseInsertSpans(
    QStringView statement, QStringView table, const QStringList &columns, std::vector<ValueSpan> &values)
{
    InsertReader r(statement);
    const auto wrong = [&r](const QString &what) {
        return Status::failure(what + QStringLiteral(" (позиция ") + QString::number(r.position()) + u')');
    };
    if (!r.word(u"INSERT") || !r.word(u"INTO"))
        return wrong(QStringLiteral("ожидалось INSERT INTO"));
    if (!r.word(table))
        return wrong(QStringLiteral("ожидалась таблица ") + table.toString());
    if (!r.character(u'('))
        return wrong(QStringLiteral("ожидался список колонок"));
    for (qsizetype c = 0; c < columns.size(); ++c) {
        if ((c > 0 && !r.character(u',')) || !r.word(columns[c]))
            return wrong(QStringLiteral("ожидалась колонка ") + columns[c]);
    }
    if (!r.character(u')'))
        return wrong(QStringLiteral("список колонок не совпадает с заголовком файла"));
    if (!r.word(u"values") || !r.character(u'('))
        return wrong(QStringLiteral("ожидалось values ("));
    values.clear();
    while (true) {
        ValueSpan v;
        if (!r.value(v))
            return wrong(QStringLiteral("недопустимое значение"));
        values.push_back(v);
        if (r.character(u','))
            continue;
        if (r.character(u')'))
            break;
        return wrong(QStringLiteral("недопустимое значение"));
    }
    if (static_cast<qsizetype>(values.size()) != columns.size())
        return wrong(QStringLiteral("число значений (") + QString::number(values.size())
            + QStringLiteral(") не равно числу колонок (") + QString::number(columns.size()) + u')');
    r.blanks();
    if (!r.atEnd())
        return wrong(QStringLiteral("после оператора стоит еще текст"));
    return {};
}

// The statements between two separators of the file, read and staged. Parts of
// a large file are read at once, each into its own staging; the statement
// numbers of a part count from its start.
struct StatementPart {
    QByteArrayView bytes;
    StagedRations staged;
    int statements = 0;
    int failedAt = 0; // the failing statement's number in the part; 0: none
    QString error;
    bool stagingError = false; // the statement read, its row was refused

    StatementPart(const MenuBase &base, QByteArrayView b)
        : bytes(b)
        , staged(base)
    {
    }
};

void stageStatements(
    StatementPart &part, const QString &table, const QStringList &columns, const std::vector<int> &columnNumbers)
{
    const QByteArrayView all = part.bytes;
    QString statement;
    std::vector<ValueSpan> spans;
    std::array<QString, MenuBase::kRowColumns + 1> scratch;
    MenuFileRowView row;
    qsizetype from = 0;
    while (from <= all.size()) {
        qsizetype to = QByteArrayView(all).indexOf(kSeparatorBytes, from);
        if (to < 0)
            to = all.size();
        ++part.statements;
        unscrambleTextInto(all.sliced(from, to - from), statement);
        if (const Status s = parseInsertSpans(statement, table, columns, spans); !s) {
            part.failedAt = part.statements;
            part.error = s.error();
            return;
        }
        row.fill(QStringView());
        for (size_t c = 0; c < columnNumbers.size(); ++c) {
            const auto n = static_cast<size_t>(columnNumbers[c]);
            if (n > 0)
                row[n] = valueText(statement, spans[c], scratch[n]);
        }
        if (const Status s = part.staged.add(row); !s) {
            part.failedAt = part.statements;
            part.error = s.error();
            part.stagingError = true;
            return;
        }
        from = to + kSeparatorBytes.size();
    }
}

} // namespace

Result<std::vector<QString>> parseSqlMenuInsert(QStringView statement, QStringView table, const QStringList &columns)
{
    std::vector<ValueSpan> spans;
    if (const Status s = parseInsertSpans(statement, table, columns, spans); !s)
        return Result<std::vector<QString>>::failure(s.error());
    std::vector<QString> values;
    values.reserve(spans.size());
    QString scratch;
    for (const ValueSpan &v : spans)
        values.push_back(valueText(statement, v, scratch).toString());
    return values;
}

Result<RationImportSummary> loadSqlMenuFile(
    const MenuBase &base, const QString &path, const SqlMenuLoadOptions &options)
{
    Prompter &prompter = base.prompter();
    prompter.status(QStringLiteral("Чтение файла меню..."));
    if (!QFileInfo(path).isFile())
        return refuse(prompter, QStringLiteral("Файл ") + path + QStringLiteral(" не найден!"));
    const Result<QByteArray> data = readMenuFileBytes(path, kMaxMenuFileBytes);
    if (!data)
        return refuse(prompter, data.error());

    MenuFileReader in(data.value());
    const std::optional<QString> signature = in.plain();
    if (!signature || *signature != kSqlMenuSignature)
        return refuse(prompter,
            QStringLiteral("Формат файла (") + signature.value_or(QString())
                + QStringLiteral(") не определен. Возможно, что он не совместим с текущей версией системы"));
    const std::optional<qint32> count = in.number();
    const std::optional<qint32> one = in.number();
    const std::optional<QString> minusOne = in.plain();
    const std::optional<QString> source = in.plain();
    const std::optional<QString> table = in.scrambled();
    const std::optional<QString> columnText = in.scrambled();
    const std::optional<QString> definitionText = in.scrambled();
    const std::optional<QByteArrayView> statementBytes = in.bytesView();
    if (!count || *count < 0 || !one || *one != 1 || !minusOne || *minusOne != u"-1" || !source || !table || !columnText
        || !definitionText || !statementBytes || !in.atEnd())
        return refuse(prompter, damaged(path));

    prompter.status(QStringLiteral("Формирование массива..."));
    // Each statement is at least its fixed words long: a count the bytes
    // cannot hold is refused before anything is split.
    if (static_cast<qint64>(*count) > statementBytes->size() / 20 + 1)
        return refuse(prompter, damaged(path));

    prompter.status(QStringLiteral("Подключение к базе данных..."));
    if (table->trimmed().isEmpty())
        return refuse(prompter, QStringLiteral("Не задана таблица в файле обновления - ") + path);
    if (!isPlainIdentifier(*table))
        return refuse(prompter, QStringLiteral("Недопустимое имя таблицы в файле: '") + *table + u'\'');
    QStringList columns;
    std::vector<int> columnNumbers;
    std::set<int> seen;
    for (const QString &c : columnText->split(u',')) {
        const QString name = c.trimmed();
        const int n = rowColumnNumber(name);
        if (n < 0 || !seen.insert(n).second)
            return refuse(
                prompter, QStringLiteral("Колонка '") + name + QStringLiteral("' файла не известна таблице меню"));
        columns << name;
        columnNumbers.push_back(n);
    }
    if (!seen.count(26))
        return refuse(prompter, QStringLiteral("В файле нет колонки даты рациона (l26)"));
    const QStringList definitions = definitionText->split(u',');
    static const QStringList kTypeWords
        = {QStringLiteral("BIT"), QStringLiteral("INT"), QStringLiteral("COUNTER PRIMARY KEY"),
            QStringLiteral("DOUBLE"), QStringLiteral("TEXT(255)"), QStringLiteral("MEMO")};
    bool definitionsOk = definitions.size() == columns.size();
    for (qsizetype c = 0; definitionsOk && c < columns.size(); ++c) {
        const QString d = definitions[c].trimmed();
        definitionsOk = d.startsWith(columns[c] + u' ', Qt::CaseInsensitive)
            && kTypeWords.contains(d.mid(columns[c].size() + 1).trimmed(), Qt::CaseInsensitive);
    }
    if (!definitionsOk)
        return refuse(prompter, QStringLiteral("Ошибочное описание колонок в файле '") + path + u'\'');

    prompter.status(QStringLiteral("Создание временной таблицы..."));
    // A large file is read in two halves at once, split at the separator
    // nearest its middle (separators cannot overlap, so that is one the
    // reading from the start would meet too).
    const QByteArrayView all = *statementBytes;
    if (all.isEmpty())
        return refuse(prompter, damaged(path));
    std::vector<std::unique_ptr<StatementPart>> parts;
    const qsizetype middle = all.size() >= options.readInPartsFrom ? all.indexOf(kSeparatorBytes, all.size() / 2) : -1;
    if (middle < 0) {
        parts.push_back(std::make_unique<StatementPart>(base, all));
        parts[0]->staged.reserve(all.size());
        stageStatements(*parts[0], *table, columns, columnNumbers);
    } else {
        parts.push_back(std::make_unique<StatementPart>(base, all.first(middle)));
        parts.push_back(std::make_unique<StatementPart>(base, all.sliced(middle + kSeparatorBytes.size())));
        parts[0]->staged.reserve(parts[0]->bytes.size());
        parts[1]->staged.reserve(parts[1]->bytes.size());
        std::thread second([&] { stageStatements(*parts[1], *table, columns, columnNumbers); });
        stageStatements(*parts[0], *table, columns, columnNumbers);
        second.join();
    }
    int number = 0;
    for (const auto &part : parts) {
        if (part->failedAt > 0) {
            const int failed = number + part->failedAt;
            if (failed > *count)
                return refuse(prompter, damaged(path));
            if (part->stagingError)
                return refuse(prompter,
                    QStringLiteral("Оператор ") + QString::number(failed) + QStringLiteral(": ") + part->error
                        + QStringLiteral(". Файл не загружен, база меню не изменена."));
            return refuse(prompter,
                QStringLiteral("Оператор ") + QString::number(failed)
                    + QStringLiteral(" файла меню не является добавлением строки в таблицу ") + *table
                    + QStringLiteral(": ") + part->error
                    + QStringLiteral(". Файл не загружен, база меню не изменена."));
        }
        number += part->statements;
    }
    if (number != *count || number == 0)
        return refuse(prompter, damaged(path));
    StagedRations &staged = parts[0]->staged;
    for (size_t i = 1; i < parts.size(); ++i)
        staged.append(std::move(parts[i]->staged));

    prompter.status(QStringLiteral("Перенос данных в базу..."));
    const Result<RationImportSummary> summary = staged.commit(kSqlMenuLoadTitle.toString());
    if (!summary)
        return refuse(prompter, QStringLiteral("Ошибка переноса данных в базу: ") + summary.error());
    prompter.status(QStringLiteral("Перенос данных закончен!"));
    prompter.message(QStringLiteral("Данные внесены в базу данных!"), kSqlMenuLoadTitle.toString());
    prompter.status(QString());
    return summary;
}

} // namespace kulvera
