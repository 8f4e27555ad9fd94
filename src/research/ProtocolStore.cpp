#include "research/ProtocolStore.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/TextDate.h"
#include "shell/InsertedKey.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QDateTime>

#include <algorithm>

namespace kulvera {
namespace {

QVariant numberOrNull(const QString &typed)
{
    const std::optional<double> v = parseNumber(typed);
    return v ? QVariant(*v) : QVariant(QMetaType(QMetaType::Double));
}

QVariant numberOrNull(const std::optional<double> &value)
{
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Double));
}

// A stored value as the user would type it again ("" for none).
QString typedText(const QVariant &value)
{
    return value.isNull() ? QString() : formatNumber(value.toDouble());
}

QString columns(const SqlDialect &d, std::initializer_list<const char16_t *> names)
{
    QStringList quoted;
    for (const char16_t *n : names)
        quoted << d.quote(QString::fromUtf16(n));
    return quoted.join(u", ");
}

QString marks(int count)
{
    QStringList m;
    for (int i = 0; i < count; ++i)
        m << QStringLiteral("?");
    return m.join(u", ");
}

} // namespace

ProtocolStore::ProtocolStore(QSqlDatabase db, ErrorLog *log)
    : db_(std::move(db))
    , log_(log)
{
}

Result<std::vector<ProtocolSummary>> ProtocolStore::list() const
{
    using R = Result<std::vector<ProtocolSummary>>;
    const SqlDialect &d = SqlDialect::of(db_);
    SqlStatement q(db_,
        QStringLiteral("SELECT p.%1, p.%2, p.%3, p.%4, p.%5, p.%6, "
                       "(SELECT COUNT(*) FROM %7 m WHERE m.%8 = p.%1) FROM %9 p")
            .arg(d.quote(QStringLiteral("ID")), d.quote(QStringLiteral("Номер")), d.quote(QStringLiteral("Дата")),
                d.quote(QStringLiteral("Сборник")), d.quote(QStringLiteral("Рецептура")),
                d.quote(QStringLiteral("Выход")), d.quote(QStringLiteral("prot_methods")),
                d.quote(QStringLiteral("ID_prot")), d.quote(QStringLiteral("protocols"))),
        log_);
    if (const Status s = q.exec(); !s)
        return R::failure(s.error());
    std::vector<ProtocolSummary> lines;
    while (q.next()) {
        ProtocolSummary p;
        p.id = q.value(0).toInt();
        p.number = q.value(1).toString();
        p.date = storedDate(q.value(2));
        p.collection = q.value(3).toString();
        p.dish = q.value(4).toString();
        p.output = q.value(5).toString();
        p.methods = q.value(6).toInt();
        lines.push_back(p);
    }
    std::stable_sort(lines.begin(), lines.end(), [](const ProtocolSummary &a, const ProtocolSummary &b) {
        return a.date != b.date ? a.date > b.date : a.id > b.id;
    });
    return lines;
}

Result<Protocol> ProtocolStore::load(int id) const
{
    using R = Result<Protocol>;
    const SqlDialect &d = SqlDialect::of(db_);
    Protocol p;
    {
        SqlStatement q(db_,
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                .arg(columns(d, {u"Номер", u"Дата", u"Сборник", u"Рецептура", u"Выход", u"Прим"}),
                    d.quote(QStringLiteral("protocols")), d.quote(QStringLiteral("ID"))),
            log_);
        if (const Status s = q.exec({id}); !s)
            return R::failure(s.error());
        if (!q.next())
            return R::failure(QStringLiteral("Протокол не найден в базе"));
        p.id = id;
        p.number = q.value(0).toString();
        p.date = storedDate(q.value(1));
        p.collection = q.value(2).toString();
        p.dish = q.value(3).toString();
        p.output = q.value(4).toString();
        p.note = q.value(5).toString();
    }
    {
        SqlStatement q(db_,
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY %4, %5")
                .arg(columns(d,
                         {u"ID_met", u"Name", u"Formula", u"Min", u"Max", u"Compare", u"Internal", u"EdI", u"ND",
                             u"Ref"}),
                    d.quote(QStringLiteral("prot_methods")), d.quote(QStringLiteral("ID_prot")),
                    d.quote(QStringLiteral("Npp")), d.quote(QStringLiteral("ID"))),
            log_);
        if (const Status s = q.exec({id}); !s)
            return R::failure(s.error());
        while (q.next()) {
            Method m;
            m.id = q.value(0).toInt();
            m.name = q.value(1).toString();
            m.formula = q.value(2).toString();
            m.min = q.value(3).toString();
            m.max = q.value(4).toString();
            m.compare = q.value(5).toString();
            m.internal = q.value(6).toString();
            m.unit = q.value(7).toString();
            m.nd = q.value(8).toString();
            if (!q.value(9).isNull() && !m.compare.trimmed().isEmpty())
                p.references.insert(m.compare.trimmed(), q.value(9).toDouble());
            p.methods.methods.push_back(m);
        }
    }
    SqlStatement q(db_,
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY %4")
            .arg(columns(d, {u"ID_met", u"ID_par", u"ParamName", u"Param", u"EdI", u"zn1", u"zn2"}),
                d.quote(QStringLiteral("results")), d.quote(QStringLiteral("ID_prot")), d.quote(QStringLiteral("ID"))),
        log_);
    if (const Status s = q.exec({id}); !s)
        return R::failure(s.error());
    while (q.next()) {
        MethodParam param;
        param.methodId = q.value(0).toInt();
        param.id = q.value(1).toInt();
        param.name = q.value(2).toString();
        param.designation = q.value(3).toString();
        param.unit = q.value(4).toString();
        p.methods.params.push_back(param);
        p.values.insert(param.id, {typedText(q.value(5)), typedText(q.value(6))});
    }
    return p;
}

Result<QString> ProtocolStore::nextNumber() const
{
    const SqlDialect &d = SqlDialect::of(db_);
    SqlStatement q(db_,
        QStringLiteral("SELECT %1 FROM %2").arg(d.quote(QStringLiteral("Номер")), d.quote(QStringLiteral("protocols"))),
        log_);
    if (const Status s = q.exec(); !s)
        return Result<QString>::failure(s.error());
    qint64 largest = 0;
    while (q.next()) {
        bool ok = false;
        const qint64 n = q.value(0).toString().trimmed().toLongLong(&ok);
        if (ok)
            largest = std::max(largest, n);
    }
    return QString::number(largest + 1);
}

Status ProtocolStore::save(Protocol &protocol)
{
    const SqlDialect &d = SqlDialect::of(db_);
    const MethodCalculation calculation = protocol.calculate();
    Protocol saved = protocol;
    if (saved.number.trimmed().isEmpty()) {
        const Result<QString> number = nextNumber();
        if (!number)
            return Status::failure(number.error());
        saved.number = *number;
    }
    if (!saved.date.isValid())
        return Status::failure(QStringLiteral("Не указана дата протокола"));
    // A value that is not a number could not be kept: refuse before writing anything.
    for (const MethodParam &p : saved.methods.params) {
        const ExperimentValues v = saved.values.value(p.id);
        for (const QString &typed : {v.first, v.second}) {
            if (!typed.trimmed().isEmpty() && !parseNumber(typed))
                return Status::failure(
                    QStringLiteral("Значение показателя '%1' не является числом: %2").arg(p.name, typed));
        }
    }
    const QVariantList header {
        saved.number, QDateTime(saved.date, QTime(0, 0)), saved.collection, saved.dish, saved.output, saved.note};
    Transaction t(db_, log_);
    if (saved.id == 0) {
        SqlStatement q(db_,
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING %4")
                .arg(d.quote(QStringLiteral("protocols")),
                    columns(d, {u"Номер", u"Дата", u"Сборник", u"Рецептура", u"Выход", u"Прим"}), marks(6),
                    d.quote(QStringLiteral("ID"))),
            log_);
        const auto id = execInsertReturningKey(q, header);
        if (!id)
            return Status::failure(id.error());
        saved.id = static_cast<int>(*id);
    } else {
        SqlStatement q(db_,
            QStringLiteral("UPDATE %1 SET %2 = ?, %3 = ?, %4 = ?, %5 = ?, %6 = ?, %7 = ? WHERE %8 = ?")
                .arg(d.quote(QStringLiteral("protocols")), d.quote(QStringLiteral("Номер")),
                    d.quote(QStringLiteral("Дата")), d.quote(QStringLiteral("Сборник")),
                    d.quote(QStringLiteral("Рецептура")), d.quote(QStringLiteral("Выход")),
                    d.quote(QStringLiteral("Прим")), d.quote(QStringLiteral("ID"))),
            log_);
        if (const Status s = q.exec(QVariantList(header) << saved.id); !s)
            return s;
        if (q.rowsAffected() == 0)
            return Status::failure(QStringLiteral("Протокол не найден в базе"));
        for (const char16_t *table : {u"prot_methods", u"results"}) {
            if (const Status s = execSql(db_,
                    QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                        .arg(d.quote(QString::fromUtf16(table)), d.quote(QStringLiteral("ID_prot"))),
                    {saved.id}, log_);
                !s)
                return s;
        }
    }
    if (const Status s = writeRows(saved, calculation); !s)
        return s;
    if (const Status s = t.commit(); !s)
        return s;
    protocol = std::move(saved);
    return {};
}

Status ProtocolStore::writeRows(const Protocol &protocol, const MethodCalculation &calculation)
{
    const SqlDialect &d = SqlDialect::of(db_);
    SqlStatement method(db_,
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(d.quote(QStringLiteral("prot_methods")),
                columns(d,
                    {u"ID_prot", u"ID_met", u"Npp", u"Name", u"Formula", u"Min", u"Max", u"Compare", u"Internal",
                        u"EdI", u"ND", u"Ref", u"Res1", u"Res2", u"Average", u"Deviation", u"Problem"}),
                marks(17)),
        log_);
    int order = 0;
    for (const Method &m : protocol.methods.methods) {
        const auto r = std::find_if(calculation.results.begin(), calculation.results.end(),
            [&](const MethodResult &x) { return x.methodId == m.id; });
        const bool computed = r != calculation.results.end() && r->computed;
        const std::optional<double> reference = protocol.referenceLookup()(m.compare);
        const QVariantList values {protocol.id, m.id, ++order, m.name, m.formula, m.min, m.max, m.compare, m.internal,
            m.unit, m.nd, numberOrNull(reference), numberOrNull(computed ? std::optional(r->first) : std::nullopt),
            numberOrNull(computed ? std::optional(r->second) : std::nullopt),
            numberOrNull(computed ? std::optional(r->average) : std::nullopt),
            numberOrNull(computed ? r->deviation : std::nullopt),
            r != calculation.results.end() ? r->problem : QString()};
        if (const Status s = method.exec(values); !s)
            return s;
    }
    SqlStatement param(db_,
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(d.quote(QStringLiteral("results")),
                columns(d, {u"ID_prot", u"ID_met", u"ID_par", u"zn1", u"zn2", u"ParamName", u"Param", u"EdI"}),
                marks(8)),
        log_);
    for (const Method &m : protocol.methods.methods) {
        for (const MethodParam *p : protocol.methods.paramsOf(m.id)) {
            const ExperimentValues v = protocol.values.value(p->id);
            if (const Status s = param.exec({protocol.id, m.id, p->id, numberOrNull(v.first), numberOrNull(v.second),
                    p->name, p->designation, p->unit});
                !s)
                return s;
        }
    }
    return {};
}

Status ProtocolStore::remove(int id)
{
    const SqlDialect &d = SqlDialect::of(db_);
    Transaction t(db_, log_);
    for (const char16_t *table : {u"prot_methods", u"results"}) {
        if (const Status s = execSql(db_,
                QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                    .arg(d.quote(QString::fromUtf16(table)), d.quote(QStringLiteral("ID_prot"))),
                {id}, log_);
            !s)
            return s;
    }
    SqlStatement q(db_,
        QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
            .arg(d.quote(QStringLiteral("protocols")), d.quote(QStringLiteral("ID"))),
        log_);
    if (const Status s = q.exec({id}); !s)
        return s;
    if (q.rowsAffected() == 0)
        return Status::failure(QStringLiteral("Протокол не найден в базе"));
    return t.commit();
}

QString deleteProtocolQuestion(const ProtocolSummary &protocol)
{
    return QStringLiteral("Удалить протокол № %1 от %2 (%3)?")
        .arg(protocol.number, formatTextDate(protocol.date), protocol.dish);
}

bool deleteProtocol(ProtocolStore &store, const ProtocolSummary &protocol, Prompter &prompter)
{
    if (!prompter.confirm(deleteProtocolQuestion(protocol), QStringLiteral("Протоколы испытаний")))
        return false;
    if (const Status s = store.remove(protocol.id); !s) {
        prompter.warning(s.error(), QStringLiteral("Протоколы испытаний"));
        return false;
    }
    return true;
}

} // namespace kulvera
