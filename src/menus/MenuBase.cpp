#include "menus/MenuBase.h"

#include "common/NameCollator.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "menus/DayLocks.h"
#include "recipes/CompositionString.h"
#include "recipes/DishBase.h"
#include "recipes/PositionKey.h"
#include "shell/Connections.h"
#include "shell/ErrorLog.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlConflict.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QScopeGuard>
#include <QSet>

#include <algorithm>
#include <set>

namespace kulvera {
namespace {

constexpr int kColumns = MenuBase::kRowColumns;

QString columnList()
{
    QString s;
    for (int n = 1; n <= kColumns; ++n)
        s += (n > 1 ? QStringLiteral(", \"l") : QStringLiteral("\"l")) + QString::number(n) + u'"';
    return s;
}

QString dateText(const QDate &date)
{
    return formatTextDate(date);
}

QString noRationText()
{
    return QStringLiteral("Рацион не найден");
}

} // namespace

QString groupCaption(const QString &group)
{
    return group.isEmpty() ? QStringLiteral("(без имени)") : group;
}

MenuBase::MenuBase(
    Connections &connections, int number, SettingsAccess &settings, Prompter &prompter, StoredTextCodec codec)
    : connections_(connections)
    , number_(number)
    , settings_(settings)
    , prompter_(prompter)
    , codec_(codec)
    , log_(&connections.errorLog())
{
}

QSqlDatabase MenuBase::database() const
{
    return connections_.database(number_);
}

QString MenuBase::table() const
{
    return readSetting(settings_, Section::Losses, QStringLiteral("tbMenu_Temp"));
}

QString MenuBase::quoted(const QString &name) const
{
    return SqlDialect::of(database()).quote(name);
}

QString MenuBase::groupFilter(const QString &group, QVariantList &params) const
{
    // NULL and "" both mean "no group": a filter on one of them alone would
    // miss rows written with the other.
    if (group.isEmpty())
        return QStringLiteral(" AND (\"l28\" IS NULL OR \"l28\" = '')");
    params << codec_.encode(group);
    return QStringLiteral(" AND \"l28\" = ?");
}

void MenuBase::ensureIndexes() const
{
    // Loads, saves and removals find a ration by (date, group): on this
    // index its rows come out in ID order, so the engine needs no sort and no
    // single-column index looks cheaper. The list reads (date, group, norm)
    // from the second index alone.
    if (indexed_)
        return;
    const auto make = [this](const QString &suffix, const QString &columns) {
        return static_cast<bool>(execSql(database(),
            QStringLiteral("CREATE INDEX IF NOT EXISTS ") + quoted(table() + suffix) + QStringLiteral(" ON ")
                + quoted(table()) + QStringLiteral(" (") + columns + u')',
            {}, log_));
    };
    indexed_ = make(QStringLiteral("_day"), QStringLiteral("\"l26\", \"l28\""))
        && make(QStringLiteral("_ration"), QStringLiteral("\"l26\", \"l28\", \"l29\""));
}

Result<Ration> MenuBase::load(const RationKey &key) const
{
    using R = Result<Ration>;
    if (!connections_.isConnected(number_))
        return R::failure(QStringLiteral("Нет подключения к базе меню"));
    if (!key.date.isValid())
        return R::failure(QStringLiteral("Ошибка ввода даты!"));
    ensureIndexes();
    QVariantList params {codec_.encode(dateText(key.date))};
    const QString sql = QStringLiteral("SELECT \"ID\", ") + columnList() + QStringLiteral(" FROM ") + quoted(table())
        + QStringLiteral(" WHERE \"l26\" = ?") + groupFilter(key.group, params) + QStringLiteral(" ORDER BY \"ID\"");
    SqlStatement q(database(), sql, log_);
    if (const Status s = q.exec(params); !s)
        return R::failure(s.error());

    Ration ration(key);
    colBludo current;
    QString currentMeal;
    QString currentName;
    QString currentOutput;
    int currentMealIndex = 0;
    QSet<QString> items; // item numbers of the current dish
    bool any = false;
    const auto flush = [&] {
        if (current.Count() > 0)
            ration.appendDish(currentMealIndex, currentName, currentOutput, std::move(current));
        current = colBludo();
        items.clear();
    };
    DishBase::StoredRow row;
    while (q.next()) {
        for (int n = 1; n <= kColumns; ++n)
            row[n] = codec_.decode(q.value(n).toString());
        if (!any) {
            ration.setNormCode(row[29]);
            any = true;
        }
        const QString &meal = row[27];
        const QString &name = row[1];
        const QString item = itemNumber(row[15]);
        // A dish is a run of rows of one recipe in one meal; the same recipe
        // placed twice in a row starts again at an item number already met.
        const bool newDish = current.Count() == 0 || meal != currentMeal || name != currentName || items.contains(item);
        if (newDish) {
            flush();
            currentMeal = meal;
            currentName = name;
            currentOutput = row[2];
            currentMealIndex = ration.ensureMeal(meal);
        }
        items.insert(item);
        clsBludo *position = current.Add();
        clsProds &p = position->clsProds();
        DishBase::readStoredPosition(row, p);
        readCompositionString(row[23], p);
        // The rows have no column of the recipe's code: the card number the
        // dish had in the dish base travels in l30.
        p.sCode = row[30];
    }
    flush();
    return ration;
}

Status MenuBase::save(const Ration &ration) const
{
    if (!connections_.isConnected(number_))
        return Status::failure(QStringLiteral("Нет подключения к базе меню"));
    if (!ration.date().isValid())
        return Status::failure(QStringLiteral("Ошибка ввода даты!"));
    ensureIndexes();
    const QString date = dateText(ration.date());
    const bool fullSetting = DishBase::fullCompositionSetting(settings_);

    // Every row is formed before the base is touched.
    std::vector<DishBase::StoredRow> rows;
    rows.reserve(static_cast<std::size_t>(ration.positionCount()));
    for (int m = 1; m <= ration.mealCount(); ++m) {
        const colRation &entries = *ration.meal(m);
        for (int e = 1; e <= entries.Count(); ++e) {
            const int number = ration.dishAt(m, e);
            const colBludo *dish = ration.dish(number);
            if (!dish || dish->Count() == 0)
                continue;
            const clsProds &header = dish->item(1)->clsProds();
            SaveOptions options;
            options.texts = splitCardTexts(header.Oform);
            options.cardType = header.TN_Vid;
            options.second = header.Form_Num;
            options.copy = CopyKeys {date, ration.mealName(m), ration.group()};
            const bool full = fullSetting || header.HS_Full != 0;
            for (DishBase::StoredRow &row : DishBase::storedRows(*dish, ration.dishName(number), options, full)) {
                row[29] = ration.normCode();
                row[30] = row[35];
                rows.push_back(std::move(row));
            }
        }
    }

    const QSqlDatabase db = database();
    Transaction transaction(db, log_);
    if (!transaction.started())
        return Status::failure(QStringLiteral("Транзакция не начата"));
    QVariantList params {codec_.encode(date)};
    const QString where = QStringLiteral(" WHERE \"l26\" = ?") + groupFilter(ration.group(), params);
    // Two workstations saving the ration take turns, so the later save replaces the earlier whole.
    Status s = lockRecordForRewrite(db, QStringList {quoted(table()), date, ration.group()}.join(u'\x1f'), log_);
    if (s)
        s = execSql(db, QStringLiteral("DELETE FROM ") + quoted(table()) + where, params, log_);
    if (s && !rows.empty()) {
        QString marks;
        for (int n = 1; n <= kColumns; ++n)
            marks += n > 1 ? QStringLiteral(", ?") : QStringLiteral("?");
        SqlStatement insert(db,
            QStringLiteral("INSERT INTO ") + quoted(table()) + QStringLiteral(" (") + columnList()
                + QStringLiteral(") VALUES (") + marks + u')',
            log_);
        for (const DishBase::StoredRow &row : rows) {
            for (int n = 1; n <= kColumns; ++n)
                insert.bind(n - 1, codec_.encode(row[n]));
            s = insert.exec();
            if (!s)
                break;
        }
    }
    if (s)
        s = transaction.commit();
    if (!s) {
        transaction.rollback();
        const QString text = QStringLiteral("Произошла ошибка записи в базу.") + u'\n'
            + QStringLiteral("Рацион не сохранен; рацион, ранее сохраненный в базе, не изменен.");
        prompter_.error(text, kTitle.toString());
        return Status::failure(text);
    }
    return {};
}

Status MenuBase::remove(const RationKey &key) const
{
    if (!key.date.isValid())
        return Status::failure(QStringLiteral("Не удалось распознать дату!"));
    ensureIndexes();
    QVariantList params {codec_.encode(dateText(key.date))};
    const QString sql = QStringLiteral("DELETE FROM ") + quoted(table()) + QStringLiteral(" WHERE \"l26\" = ?")
        + groupFilter(key.group, params);
    const Status s = execSql(database(), sql, params, nullptr);
    if (!s)
        log_->write(QStringLiteral("Удаление строки :: mMenu - RemoveMenu - ") + s.error());
    return s;
}

bool MenuBase::exists(const RationKey &key) const
{
    if (!key.date.isValid())
        return false;
    ensureIndexes();
    QVariantList params {codec_.encode(dateText(key.date))};
    SqlStatement q(database(),
        QStringLiteral("SELECT 1 FROM ") + quoted(table()) + QStringLiteral(" WHERE \"l26\" = ?")
            + groupFilter(key.group, params) + QStringLiteral(" LIMIT 1"),
        log_);
    return q.exec(params) && q.next();
}

Result<std::vector<RationListEntry>> MenuBase::list(RationOrder order) const
{
    using R = Result<std::vector<RationListEntry>>;
    if (!connections_.isConnected(number_))
        return R::failure(QStringLiteral("Нет подключения к базе меню"));
    ensureIndexes();
    SqlStatement q(
        database(), QStringLiteral("SELECT DISTINCT \"l26\", \"l28\", \"l29\" FROM ") + quoted(table()), log_);
    if (const Status s = q.exec(); !s)
        return R::failure(s.error());
    std::vector<RationListEntry> entries;
    std::set<std::tuple<qint64, QString, QString>> seen; // NULL and "" groups are one ration
    bool emptyDates = false;
    while (q.next()) {
        const QVariant stored = q.value(0);
        if (stored.isNull() || stored.toString().isEmpty()) {
            emptyDates = true;
            continue;
        }
        const std::optional<QDate> date = parseTextDate(codec_.decode(stored.toString()));
        if (!date)
            continue;
        RationListEntry e {*date, codec_.decode(q.value(1).toString()), codec_.decode(q.value(2).toString())};
        if (seen.insert({e.date.toJulianDay(), e.group, e.normCode}).second)
            entries.push_back(std::move(e));
    }
    if (emptyDates) {
        prompter_.notice(QStringLiteral("В базе меню рационов присутствуют ошибки (пустые записи). Базу необходимо "
                                        "передать поставщику программы для восстановления"),
            QStringLiteral("sEmptyValueMenu"), kTitle.toString());
    }
    const QCollator collator = nameCollator();
    const auto byGroup
        = [&](const RationListEntry &a, const RationListEntry &b) { return collator.compare(a.group, b.group); };
    std::stable_sort(entries.begin(), entries.end(), [&](const RationListEntry &a, const RationListEntry &b) {
        if (order == RationOrder::ByGroup) {
            if (const int c = byGroup(a, b))
                return c < 0;
            return a.date < b.date;
        }
        if (a.date != b.date)
            return a.date < b.date;
        return byGroup(a, b) < 0;
    });
    return entries;
}

Result<std::vector<QDate>> MenuBase::daysOf(const QString &group) const
{
    using R = Result<std::vector<QDate>>;
    ensureIndexes();
    QVariantList params;
    SqlStatement q(database(),
        QStringLiteral("SELECT DISTINCT \"l26\" FROM ") + quoted(table()) + QStringLiteral(" WHERE 1 = 1")
            + groupFilter(group, params),
        log_);
    if (const Status s = q.exec(params); !s)
        return R::failure(s.error());
    std::set<QDate> days;
    while (q.next()) {
        if (const auto d = parseTextDate(codec_.decode(q.value(0).toString())))
            days.insert(*d);
    }
    return std::vector<QDate>(days.begin(), days.end());
}

Status MenuBase::changeDate(const RationKey &key, const QDate &newDate) const
{
    if (!newDate.isValid())
        return Status::failure(QStringLiteral("Ошибка ввода даты!"));
    if (!exists(key))
        return Status::failure(noRationText());
    if (newDate == key.date)
        return {};
    const DayLocks locks(*this);
    if (!locks.allowEditing(key.date, key.group) || !locks.allowEditing(newDate, key.group))
        return Status::failure(DayLocks::lockedText());
    if (exists({newDate, key.group}))
        return Status::failure(QStringLiteral("На дату ") + dateText(newDate)
            + QStringLiteral(" уже есть рацион группы '") + groupCaption(key.group) + u'\'');
    QVariantList params {codec_.encode(dateText(newDate)), codec_.encode(dateText(key.date))};
    const QString sql = QStringLiteral("UPDATE ") + quoted(table())
        + QStringLiteral(" SET \"l26\" = ? WHERE \"l26\" = ?") + groupFilter(key.group, params);
    Transaction transaction(database(), log_);
    Status s = execSql(database(), sql, params, log_);
    if (s)
        s = transaction.commit();
    return s;
}

Status MenuBase::changeDateAsking(const RationKey &key) const
{
    const QString title = QStringLiteral("Изменение даты рациона");
    const std::optional<QString> typed
        = prompter_.askText(QStringLiteral("Введите новую дату для рациона"), title, dateText(key.date));
    if (!typed)
        return Status::failure(QString());
    const std::optional<QDate> date = parseTextDate(typed->trimmed());
    if (!date) {
        prompter_.error(QStringLiteral("Ошибка ввода даты!"), title);
        return Status::failure(QStringLiteral("Ошибка ввода даты!"));
    }
    const Status s = changeDate(key, *date);
    if (!s && !s.error().isEmpty())
        prompter_.error(s.error(), title);
    return s;
}

Result<int> MenuBase::removeRations(const std::vector<RationKey> &keys) const
{
    using R = Result<int>;
    if (keys.empty())
        return 0;
    QString question;
    if (keys.size() == 1) {
        question = QStringLiteral("Удалить рацион на дату: '") + dateText(keys.front().date) + u'\''
            + QStringLiteral(" для группы '") + keys.front().group + u'\'' + u'?';
    } else {
        question = QStringLiteral("Удалить рационы на выбранные даты (удаляется - ") + QString::number(keys.size())
            + QStringLiteral(" рационов.)?");
    }
    // A locked ration is never deleted, nor are the others selected with it.
    const DayLocks locks(*this);
    for (const RationKey &key : keys) {
        if (!locks.allowEditing(key.date, key.group))
            return R::failure(DayLocks::lockedText());
    }
    if (!prompter_.confirm(question, kTitle.toString(), QStringLiteral("DeleteRations")))
        return 0;
    Transaction transaction(database(), log_);
    if (!transaction.started())
        return R::failure(QStringLiteral("Транзакция не начата"));
    int removed = 0;
    for (const RationKey &key : keys) {
        if (!key.date.isValid()) {
            prompter_.error(QStringLiteral("Не удалось распознать дату!"), kTitle.toString());
            continue;
        }
        prompter_.status(QStringLiteral("Удаляем: ") + dateText(key.date) + QStringLiteral(" [") + key.group + u']');
        if (const Status s = remove(key); !s)
            return R::failure(s.error());
        ++removed;
    }
    if (const Status s = transaction.commit(); !s)
        return R::failure(s.error());
    prompter_.status(QString());
    prompter_.message(QStringLiteral("Рационы удалены!"), kTitle.toString());
    return removed;
}

} // namespace kulvera
