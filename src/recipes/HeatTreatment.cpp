#include "recipes/HeatTreatment.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "shell/Catalogue.h"
#include "shell/Connections.h"
#include "shell/DataFiles.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <algorithm>

namespace kulvera {
namespace {

using Member = double clsProds::*;

// Rows of the default table in order. Rows 1-5 and 27-30 hold nothing.
struct RowOf {
    int row;
    Member member;
};

const std::vector<RowOf> &rowAssignment()
{
    static const std::vector<RowOf> rows = [] {
        std::vector<RowOf> r = {
            {6, &clsProds::sv},
            {7, &clsProds::Bel},
            {8, &clsProds::Gir},
            {9, &clsProds::MD},
            {10, &clsProds::Kr},
            {11, &clsProds::Kl},
            {12, &clsProds::Org},
            {13, &clsProds::Zola},
            {14, &clsProds::Na},
            {15, &clsProds::K},
            {16, &clsProds::Ca},
            {17, &clsProds::Mg},
            {18, &clsProds::p},
            {19, &clsProds::Fe},
            {20, &clsProds::a},
            {21, &clsProds::b},
            {22, &clsProds::B1},
            {23, &clsProds::B2},
            {24, &clsProds::PP},
            {25, &clsProds::c},
            {26, &clsProds::En},
            {31, &clsProds::Voda},
            {32, &clsProds::BelG},
            {33, &clsProds::BelR},
            {34, &clsProds::NGK},
            {35, &clsProds::PNGK},
            {36, &clsProds::Hol},
            {37, &clsProds::GirG},
            {38, &clsProds::GirR},
            {39, &clsProds::RE},
            {40, &clsProds::tE},
            {41, &clsProds::NE},
            {42, &clsProds::AM},
            {43, &clsProds::AO},
        };
        // From row 44 the remaining loss-table fields in the order of the
        // composition field table (amino acids, fatty acids, РПВ … pH), then
        // the fields only recipe rows carry (МЖК).
        int row = 44;
        auto assigned
            = [&](Member m) { return std::any_of(r.begin(), r.end(), [m](const RowOf &x) { return x.member == m; }); };
        for (bool fromTable : {true, false}) {
            for (const CompositionField &f : compositionFields()) {
                if (f.lossColumn && (f.column != nullptr) == fromTable && !assigned(f.member))
                    r.push_back({row++, f.member});
            }
        }
        return r;
    }();
    return rows;
}

// A loss above 100 % would leave a negative amount: nothing is left at most.
// A negative loss stands (water taken up on boiling).
double keptShare(double lossPercent)
{
    return 100.0 - std::min(lossPercent, 100.0);
}

std::size_t fieldIndex(Member member)
{
    const auto fields = compositionFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].member == member)
            return i;
    }
    return fields.size();
}

std::vector<LossType> headed(std::vector<LossType> types)
{
    std::vector<LossType> all = {portioningLossType(), noLossType()};
    for (LossType &t : types) {
        // The built-in types stand first whatever the base says about them.
        if (t.name.compare(kPortioningType, Qt::CaseInsensitive) == 0
            || t.name.compare(kNoLossType, Qt::CaseInsensitive) == 0)
            continue;
        all.push_back(std::move(t));
    }
    return all;
}

QString setting(const SettingsAccess &settings, const char *key, const char *fallback)
{
    return settings.get(Section::Losses, QString::fromLatin1(key), QString::fromLatin1(fallback));
}

// The loss-type columns in table order, as the heat-treatment bases hold them.
QStringList lossTypeColumns()
{
    QStringList c = basicLossColumns();
    for (const char16_t *name : {u"НЖК", u"ПНЖК", u"Хол", u"РЭ", u"ТЭ", u"НЭ", u"АО", u"АМ"})
        c << QString::fromUtf16(name);
    for (const CompositionField &f : compositionFields()) {
        if (f.lossColumn && f.extended && !c.contains(QString::fromUtf16(f.lossColumn)))
            c << QString::fromUtf16(f.lossColumn);
    }
    if (!c.contains(QStringLiteral("МЖК")))
        c << QStringLiteral("МЖК");
    return c;
}

Result<std::vector<LossType>> readTypes(const QSqlDatabase &db, const QString &table, ErrorLog *log)
{
    using R = Result<std::vector<LossType>>;
    const SqlDialect &dialect = SqlDialect::of(db);
    const QStringList present = dialect.columns(db, table);
    if (present.isEmpty())
        return R::failure(QStringLiteral("Нет таблицы типов потерь: ") + table);
    QStringList wanted;
    for (const QString &c : lossTypeColumns()) {
        if (present.contains(c, Qt::CaseInsensitive))
            wanted << c;
    }
    QString sql = QStringLiteral("SELECT ") + dialect.quote(QStringLiteral("Name")) + u", "
        + dialect.quote(QStringLiteral("Mass"));
    for (const QString &c : wanted)
        sql += u", " + dialect.quote(c);
    const bool limits = present.contains(QStringLiteral("MinSV_UG"), Qt::CaseInsensitive)
        && present.contains(QStringLiteral("MinSV_Gir"), Qt::CaseInsensitive);
    if (limits)
        sql += u", " + dialect.quote(QStringLiteral("MinSV_UG")) + u", " + dialect.quote(QStringLiteral("MinSV_Gir"));
    sql += QStringLiteral(" FROM ") + dialect.quote(table) + QStringLiteral(" ORDER BY ")
        + dialect.quote(QStringLiteral("ID"));
    SqlStatement q(db, sql, log);
    if (const Status s = q.exec(); !s)
        return R::failure(s.error());
    std::vector<LossType> types;
    while (q.next()) {
        LossType t;
        t.name = q.value(0).toString().trimmed();
        if (t.name.isEmpty())
            continue;
        t.mass = q.value(1).toDouble();
        for (int i = 0; i < wanted.size(); ++i)
            t.losses.insert(wanted[i], q.value(2 + i).toDouble());
        if (limits) {
            t.minSvUg = q.value(2 + static_cast<int>(wanted.size())).toDouble();
            t.minSvGir = q.value(3 + static_cast<int>(wanted.size())).toDouble();
        }
        types.push_back(std::move(t));
    }
    return types;
}

} // namespace

int defaultLossRow(double clsProds::*member)
{
    for (const RowOf &r : rowAssignment()) {
        if (r.member == member)
            return r.row;
    }
    return 0;
}

std::vector<DefaultLossRow> builtInDefaultLosses()
{
    std::vector<DefaultLossRow> rows(26);
    auto set = [&](int row, const char16_t *name, double anim, double rast, double sred) {
        rows[static_cast<std::size_t>(row - 1)] = {QString::fromUtf16(name), anim, rast, sred};
    };
    set(6, u"сухие вещества", 10, 10, 10);
    set(7, u"белки", 5, 8, 6);
    set(8, u"жиры", 6, 25, 12);
    set(9, u"моно- и дисахариды", 9, 9, 9);
    set(10, u"крахмал", 9, 9, 9);
    set(11, u"клетчатка", 9, 9, 9);
    set(12, u"органические кислоты", 0, 0, 0);
    set(13, u"зола", 0, 0, 0);
    set(14, u"натрий", 0, 0, 0);
    set(15, u"калий", 10, 15, 12);
    set(16, u"кальций", 10, 15, 12);
    set(17, u"магний", 10, 20, 13);
    set(18, u"фосфор", 10, 20, 13);
    set(19, u"железо", 10, 20, 13);
    set(20, u"витамин A", 40, 40, 40);
    set(21, u"бета-каротин", 20, 20, 20);
    set(22, u"витамин B1", 25, 35, 28);
    set(23, u"витамин B2", 15, 30, 20);
    set(24, u"витамин PP", 20, 20, 20);
    set(25, u"витамин C", 60, 60, 60);
    set(26, u"энергетическая ценность", 10, 10, 10);
    return rows;
}

Retention::Retention()
    : kept_(compositionFields().size(), 100.0)
{
}

double Retention::percentOf(double clsProds::*member) const
{
    const std::size_t i = fieldIndex(member);
    return i < kept_.size() ? kept_[i] : 100.0;
}

void Retention::apply(clsProds &record) const
{
    const auto fields = compositionFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (kept_[i] != 100.0)
            record.*fields[i].member = record.*fields[i].member * kept_[i] / 100.0;
    }
}

Retention LossType::retention() const
{
    Retention r;
    const auto fields = compositionFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].lossColumn)
            r.setPercent(i, keptShare(losses.value(QString::fromUtf16(fields[i].lossColumn), 0.0)));
    }
    return r;
}

const QStringList &basicLossColumns()
{
    static const QStringList columns = {QStringLiteral("SV"), QStringLiteral("Bel"), QStringLiteral("BG"),
        QStringLiteral("BR"), QStringLiteral("Gir"), QStringLiteral("GG"), QStringLiteral("GR"), QStringLiteral("MD"),
        QStringLiteral("Kr"), QStringLiteral("Kl"), QStringLiteral("Org"), QStringLiteral("Zola"), QStringLiteral("Na"),
        QStringLiteral("K"), QStringLiteral("Ca"), QStringLiteral("Mg"), QStringLiteral("P"), QStringLiteral("Fe"),
        QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("B1"), QStringLiteral("B2"), QStringLiteral("PP"),
        QStringLiteral("C"), QStringLiteral("EN"), QStringLiteral("Voda")};
    return columns;
}

LossType portioningLossType()
{
    LossType t;
    t.name = kPortioningType.toString();
    for (const QString &c : basicLossColumns())
        t.losses.insert(c, 2.0);
    return t;
}

LossType noLossType()
{
    LossType t;
    t.name = kNoLossType.toString();
    for (const QString &c : basicLossColumns())
        t.losses.insert(c, 0.0);
    return t;
}

HeatTreatmentTables::HeatTreatmentTables()
    : defaults_(builtInDefaultLosses())
    , culinary_(headed({}))
    , confectionery_(headed({}))
{
}

void HeatTreatmentTables::setCulinaryTypes(std::vector<LossType> types)
{
    culinary_ = headed(std::move(types));
}

void HeatTreatmentTables::setConfectioneryTypes(std::vector<LossType> types)
{
    confectionery_ = headed(std::move(types));
}

const LossType *HeatTreatmentTables::find(const QString &name, bool confectionery) const
{
    const QString wanted = name.trimmed();
    if (wanted.isEmpty())
        return nullptr;
    const std::vector<LossType> *lists[] = {&culinary_, &confectionery_};
    if (confectionery)
        std::swap(lists[0], lists[1]);
    for (const auto *list : lists) {
        for (const LossType &t : *list) {
            if (t.name.compare(wanted, Qt::CaseInsensitive) == 0)
                return &t;
        }
    }
    return nullptr;
}

Retention HeatTreatmentTables::averageRetention() const
{
    auto loss = [&](int row, bool vegetable) {
        if (row < 1 || row > static_cast<int>(defaults_.size()))
            return 0.0;
        const DefaultLossRow &r = defaults_[static_cast<std::size_t>(row - 1)];
        return vegetable ? r.rast : r.sred;
    };
    Retention r;
    const auto fields = compositionFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Member m = fields[i].member;
        if (!fields[i].lossColumn)
            continue;
        if (m == &clsProds::BelR)
            r.setPercent(i, keptShare(loss(7, true)));
        else if (m == &clsProds::GirR)
            r.setPercent(i, keptShare(loss(8, true)));
        else
            r.setPercent(i, keptShare(loss(defaultLossRow(m), false)));
    }
    return r;
}

Status HeatTreatmentTables::load(Connections &connections, const SettingsAccess &settings)
{
    ErrorLog *log = &connections.errorLog();
    std::vector<DefaultLossRow> defaults = defaults_;
    if (connections.isConnected(BaseId::Losses)) {
        const QSqlDatabase db = connections.database(BaseId::Losses);
        const SqlDialect &d = SqlDialect::of(db);
        const QString table = setting(settings, "Name_Sred_Table", "Sred");
        SqlStatement q(db,
            QStringLiteral("SELECT ") + d.quote(QStringLiteral("Name")) + u", " + d.quote(QStringLiteral("Anim"))
                + u", " + d.quote(QStringLiteral("Rast")) + u", " + d.quote(QStringLiteral("Sred"))
                + QStringLiteral(" FROM ") + d.quote(table) + QStringLiteral(" ORDER BY ")
                + d.quote(QStringLiteral("ID")),
            log);
        if (const Status s = q.exec(); !s)
            return Status::failure(QStringLiteral("Не удалось прочитать таблицу потерь ") + table + u": " + s.error());
        std::vector<DefaultLossRow> read;
        while (q.next())
            read.push_back(
                {q.value(0).toString(), q.value(1).toDouble(), q.value(2).toDouble(), q.value(3).toDouble()});
        // An empty table leaves the built-in values standing.
        if (!read.empty())
            defaults = std::move(read);
    }
    std::optional<std::vector<LossType>> culinary;
    std::optional<std::vector<LossType>> confectionery;
    if (connections.isConnected(BaseId::LossesOutput)) {
        const QSqlDatabase db = connections.database(BaseId::LossesOutput);
        auto kul = readTypes(db, setting(settings, "Name_Kul_Table", "Kul"), log);
        if (!kul)
            return Status::failure(kul.error());
        auto kond = readTypes(db, setting(settings, "Name_Kond_Table", "Kond"), log);
        if (!kond)
            return Status::failure(kond.error());
        culinary = std::move(kul).value();
        confectionery = std::move(kond).value();
    }
    defaults_ = std::move(defaults);
    if (culinary)
        setCulinaryTypes(std::move(*culinary));
    if (confectionery)
        setConfectioneryTypes(std::move(*confectionery));
    return {};
}

HeatTreatmentTables &programLossTables()
{
    static HeatTreatmentTables tables;
    return tables;
}

QString missingLossTypeText(const QString &name, const QString &key)
{
    return QStringLiteral("Не обнаружен тип потерь для полуфабриката: ") + name + u'\n'
        + QStringLiteral("Ключ продукта: ") + key;
}

Retention semiFinishedRetention(
    const clsProds &semi, const HeatTreatmentTables &tables, Prompter &prompter, bool confectionery)
{
    if (const LossType *type = tables.find(semi.Id, confectionery))
        return type->retention();
    const QString name = semi.FullName.isEmpty() ? semi.ShortName : semi.FullName;
    prompter.message(missingLossTypeText(name, semi.Kod.toString()), {}, Prompter::Icon::Warning);
    return tables.averageRetention();
}

void applyHeatTreatment(clsProds &semi, const LossType &type)
{
    type.retention().apply(semi);
}

namespace {

std::vector<QStringList> csvRows(const QString &path, QStringList &header)
{
    std::vector<QStringList> rows;
    if (const std::optional<SeedTable> table = readSeedTable(path)) {
        header = table->header;
        for (const SeedRow &row : table->rows)
            rows.push_back(row.cells);
    }
    return rows;
}

Status insertRows(const QSqlDatabase &db, const QString &table, const QStringList &header,
    const std::vector<QStringList> &rows, ErrorLog *log)
{
    const SqlDialect &d = SqlDialect::of(db);
    SqlStatement count(db, QStringLiteral("SELECT COUNT(*) FROM ") + d.quote(table), log);
    if (const Status s = count.exec(); !s)
        return s;
    if (count.next() && count.value(0).toLongLong() > 0)
        return {};
    QStringList names;
    QStringList marks;
    for (const QString &h : header) {
        names << d.quote(h.trimmed());
        marks << QStringLiteral("?");
    }
    Transaction tx(db, log);
    SqlStatement insert(db,
        QStringLiteral("INSERT INTO ") + d.quote(table) + u" (" + names.join(u", ") + QStringLiteral(") VALUES (")
            + marks.join(u", ") + u')',
        log);
    for (const QStringList &row : rows) {
        QVariantList values;
        for (int i = 0; i < header.size(); ++i) {
            const QString cell = i < row.size() ? row[i].trimmed() : QString();
            if (i == 0)
                values << cell;
            else
                values << numberOr(cell);
        }
        if (const Status s = insert.exec(values); !s)
            return s;
    }
    return tx.commit();
}

} // namespace

Status seedLossBases(
    Connections &connections, const SettingsAccess &settings, const QString &defaultsCsv, const QString &typesCsv)
{
    ErrorLog *log = &connections.errorLog();
    if (connections.isConnected(BaseId::Losses)) {
        QStringList header;
        const auto rows = csvRows(defaultsCsv, header);
        if (!header.isEmpty()) {
            if (const Status s = insertRows(connections.database(BaseId::Losses),
                    setting(settings, "Name_Sred_Table", "Sred"), header, rows, log);
                !s)
                return s;
        }
    }
    if (connections.isConnected(BaseId::LossesOutput)) {
        // One file for both tables: the first column says which ("Kul" or "Kond").
        QStringList header;
        const auto rows = csvRows(typesCsv, header);
        if (header.size() > 1) {
            const QStringList columns = header.mid(1);
            for (const auto &[which, table] :
                {std::pair {QStringLiteral("Kul"), setting(settings, "Name_Kul_Table", "Kul")},
                    std::pair {QStringLiteral("Kond"), setting(settings, "Name_Kond_Table", "Kond")}}) {
                std::vector<QStringList> mine;
                for (const QStringList &row : rows) {
                    if (!row.isEmpty() && row[0].trimmed() == which)
                        mine.push_back(row.mid(1));
                }
                if (const Status s = insertRows(connections.database(BaseId::LossesOutput), table, columns, mine, log);
                    !s)
                    return s;
            }
        }
    }
    return {};
}

} // namespace kulvera
