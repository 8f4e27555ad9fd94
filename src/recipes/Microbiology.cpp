#include "recipes/Microbiology.h"

#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "shell/Catalogue.h"
#include "shell/Connections.h"
#include "shell/DataFiles.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QFileInfo>

#include <algorithm>

namespace kulvera {
namespace {

QString tableName(const SettingsAccess &settings, bool confectionery)
{
    return confectionery ? settings.get(Section::MB, QStringLiteral("Name_MBKond_Table"), QStringLiteral("t2"))
                         : settings.get(Section::MB, QStringLiteral("Name_MBKul_Table"), QStringLiteral("t1"));
}

QString columnName(int n)
{
    return QStringLiteral("l") + QString::number(n);
}

Result<QHash<int, IndicatorSet>> readSets(const QSqlDatabase &db, const QString &table, ErrorLog *log)
{
    using R = Result<QHash<int, IndicatorSet>>;
    const SqlDialect &d = SqlDialect::of(db);
    QString sql = QStringLiteral("SELECT ") + d.quote(QStringLiteral("ID"));
    for (int n = 1; n <= 14; ++n)
        sql += QStringLiteral(", ") + d.quote(columnName(n));
    sql += QStringLiteral(" FROM ") + d.quote(table);
    SqlStatement q(db, sql, log);
    if (const Status s = q.exec(); !s)
        return R::failure(s.error());
    QHash<int, IndicatorSet> sets;
    while (q.next()) {
        IndicatorSet set;
        for (int n = 0; n < 14; ++n)
            set[static_cast<std::size_t>(n)] = q.value(n + 1).toString();
        sets.insert(q.value(0).toInt(), set);
    }
    return sets;
}

} // namespace

QString incompatibleMicrobiologyText()
{
    return QStringLiteral("Ошибка идентификации базы микробиологичечских показателей") + u'\n'
        + QStringLiteral("Возможно, подключена несовместимая база");
}

QString microbiologyReadErrorText()
{
    return QStringLiteral("При загрузке микробиологических показателей обнаружена ошибка!") + u'\n'
        + QStringLiteral("Обновите базу.");
}

QString microbiologyNotFoundText()
{
    return QStringLiteral("Ошибка формирования микробиологических показателей. Блюдо не обнаружено в базе");
}

QList<int> MicrobiologyBase::ids(bool confectionery) const
{
    QList<int> keys = (confectionery ? kond_ : kul_).keys();
    std::sort(keys.begin(), keys.end());
    return keys;
}

Status MicrobiologyBase::load(Connections &connections, const SettingsAccess &settings, Prompter &prompter)
{
    if (!connections.isConnected(BaseId::Microbiology))
        return Status::failure(QStringLiteral("Нет подключения к базе микробиологических показателей"));
    prompter.status(QStringLiteral("Загрузка СанПиН..."));
    const QSqlDatabase db = connections.database(BaseId::Microbiology);
    const SqlDialect &d = SqlDialect::of(db);
    const QString kulTable = tableName(settings, false);
    const QString kondTable = tableName(settings, true);
    for (const QString &table : {kulTable, kondTable}) {
        const QStringList columns = d.columns(db, table);
        if (!columns.contains(QStringLiteral("l13"), Qt::CaseInsensitive)
            || !columns.contains(QStringLiteral("l14"), Qt::CaseInsensitive)) {
            prompter.notice(incompatibleMicrobiologyText(), QStringLiteral("sMessMBOff"));
            return Status::failure(incompatibleMicrobiologyText());
        }
    }
    auto kul = readSets(db, kulTable, &connections.errorLog());
    auto kond = kul ? readSets(db, kondTable, &connections.errorLog()) : kul;
    if (!kul || !kond) {
        prompter.message(microbiologyReadErrorText(), {}, Prompter::Icon::Critical);
        return Status::failure(microbiologyReadErrorText());
    }
    kul_ = std::move(kul).value();
    kond_ = std::move(kond).value();
    loaded_ = true;
    prompter.status(QString());
    return {};
}

const IndicatorSet *MicrobiologyBase::find(int id, bool confectionery) const
{
    const QHash<int, IndicatorSet> &sets = confectionery ? kond_ : kul_;
    const auto it = sets.constFind(id);
    return it == sets.cend() ? nullptr : &*it;
}

std::optional<QStringList> MicrobiologyBase::cardLines(int id, bool confectionery, Prompter &prompter) const
{
    const IndicatorSet *set = find(id, confectionery);
    if (!set) {
        prompter.message(microbiologyNotFoundText(), {}, Prompter::Icon::Warning);
        return std::nullopt;
    }
    return indicatorLines(*set);
}

QString powerText(const QString &value)
{
    static const QString superscripts = QStringLiteral("⁰¹²³⁴⁵⁶⁷⁸⁹");
    const qsizetype caret = value.indexOf(u'^');
    if (caret < 0)
        return value;
    QString out = value.left(caret);
    qsizetype i = caret + 1;
    if (i < value.size() && value[i] == u'-') {
        out += QChar(0x207B); // superscript minus
        ++i;
    }
    for (; i < value.size() && value[i].isDigit(); ++i)
        out += superscripts[value[i].digitValue()];
    return out + powerText(value.mid(i));
}

QStringList indicatorLines(const IndicatorSet &set)
{
    auto v = [&](int n) { return set[static_cast<std::size_t>(n - 1)].trimmed(); };
    QStringList lines;
    if (!v(2).isEmpty())
        lines << QStringLiteral("КМАФАнМ, КОЕ/г, не более……………………………………………") + powerText(v(2));
    const bool masses = !v(3).isEmpty() || !v(5).isEmpty() || !v(6).isEmpty() || !v(7).isEmpty();
    if (masses)
        lines << QStringLiteral("Масса продукта (г), в которой не допускаются:");
    if (!v(3).isEmpty())
        lines << QStringLiteral("Бактерии группы кишечных палочек , колиформы (E.coli)…") + v(3)
                + (v(4).isEmpty() ? QString() : QStringLiteral(" (") + v(4) + u')');
    if (!v(5).isEmpty())
        lines << QStringLiteral("Бактерии рода протей………………………………………………………") + v(5);
    if (!v(6).isEmpty())
        lines << QStringLiteral("S.aureus………………………………………………………………………") + v(6);
    if (!v(7).isEmpty())
        lines << QStringLiteral("Патогенные микроорганизмы , в том числе сальмонеллы………………") + v(7);
    if (!v(8).isEmpty())
        lines << QStringLiteral("Дрожжи, КОЕ/г не более……………………………………………………") + powerText(v(8));
    if (!v(9).isEmpty())
        lines << QStringLiteral("Плесени, КОЕ/г не более……………………………………………………") + powerText(v(9));
    return lines;
}

MicrobiologyBase &programMicrobiology()
{
    static MicrobiologyBase base;
    return base;
}

Status seedMicrobiology(Connections &connections, const SettingsAccess &settings, const QString &csv)
{
    if (!connections.isConnected(BaseId::Microbiology))
        return Status::failure(QStringLiteral("Нет подключения к базе микробиологических показателей"));
    // A data folder without this file has nothing of it to seed.
    if (!QFileInfo::exists(csv))
        return {};
    const std::optional<SeedTable> seed = readSeedTable(csv);
    if (!seed)
        return Status::failure(QStringLiteral("Не удалось открыть файл ") + csv);
    const QSqlDatabase db = connections.database(BaseId::Microbiology);
    const SqlDialect &d = SqlDialect::of(db);
    ErrorLog *log = &connections.errorLog();
    QHash<QString, QString> tables
        = {{QStringLiteral("t1"), tableName(settings, false)}, {QStringLiteral("t2"), tableName(settings, true)}};
    QHash<QString, bool> empty;
    for (auto it = tables.cbegin(); it != tables.cend(); ++it) {
        SqlStatement count(db, QStringLiteral("SELECT COUNT(*) FROM ") + d.quote(it.value()), log);
        if (const Status s = count.exec(); !s)
            return s;
        empty.insert(it.key(), count.next() && count.value(0).toLongLong() == 0);
    }
    Transaction tx(db, log);
    for (const SeedRow &row : seed->rows) {
        const QStringList &cells = row.cells;
        const QString which = cells.value(0).trimmed();
        if (!tables.contains(which) || !empty.value(which))
            continue;
        QString sql = QStringLiteral("INSERT INTO ") + d.quote(tables.value(which)) + QStringLiteral(" (");
        QVariantList values;
        for (int n = 1; n <= 14; ++n) {
            sql += (n > 1 ? QStringLiteral(", ") : QString()) + d.quote(columnName(n));
            values << cells.value(n).trimmed();
        }
        sql += QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        if (const Status s = execSql(db, sql, values, log); !s)
            return s;
    }
    return tx.commit();
}

} // namespace kulvera
