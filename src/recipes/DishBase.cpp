#include "recipes/DishBase.h"

#include "common/NameCollator.h"
#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "common/StrSeparator.h"
#include "recipes/CompositionString.h"
#include "recipes/Masses.h"
#include "recipes/PositionKey.h"
#include "shell/Connections.h"
#include "shell/SqlConflict.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QScopeGuard>
#include <QSet>
#include <QSqlDriver>

namespace kulvera {
namespace {

constexpr int kColumns = DishBase::kStoredColumns;

QString columnName(int n)
{
    return QStringLiteral("l%1").arg(n);
}

// "ID", "l1", ..., "l49": the value of column ln sits at index n.
const QString &selectList()
{
    static const QString list = [] {
        QString s = QStringLiteral("\"ID\"");
        for (int n = 1; n <= kColumns; ++n)
            s += QStringLiteral(", \"") + columnName(n) + u'"';
        return s;
    }();
    return list;
}

QString insertStatement(const QString &quotedTable)
{
    QString cols;
    QString marks;
    for (int n = 1; n <= kColumns; ++n) {
        cols += (n > 1 ? QStringLiteral(", \"") : QStringLiteral("\"")) + columnName(n) + u'"';
        marks += n > 1 ? QStringLiteral(", ?") : QStringLiteral("?");
    }
    return QStringLiteral("INSERT INTO ") + quotedTable + QStringLiteral(" (") + cols + QStringLiteral(") VALUES (")
        + marks + u')';
}

QString flagText(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

QString intText(qint64 v)
{
    return QString::number(v);
}

int intOf(const QString &text)
{
    return static_cast<int>(numberOr(text, 0));
}

QString positionName(const clsProds &p)
{
    return p.FullName.isEmpty() ? p.ShortName : p.FullName;
}

QString saveFailedText()
{
    return QStringLiteral("Произошла ошибка записи в базу.") + u'\n'
        + QStringLiteral("Рецептура не сохранена; рецептура, ранее сохраненная в базе, не изменена.");
}

} // namespace

QString joinCardTexts(const CardTexts &texts)
{
    QString out;
    for (const QString &t : texts)
        out += t + kStrSeparator;
    return out;
}

CardTexts splitCardTexts(const QString &oform)
{
    CardTexts texts;
    const QStringList parts = splitStr(oform);
    for (int i = 0; i < 7 && i < parts.size(); ++i)
        texts[i] = parts[i];
    return texts;
}

DishBase::DishBase(
    Connections &connections, int number, SettingsAccess &settings, Prompter &prompter, StoredTextCodec codec)
    : connections_(connections)
    , number_(number)
    , settings_(settings)
    , prompter_(prompter)
    , codec_(codec)
    , log_(&connections.errorLog())
{
}

QSqlDatabase DishBase::database() const
{
    return connections_.database(number_);
}

QString DishBase::quoted(const QString &table) const
{
    return SqlDialect::of(database()).quote(table);
}

QString DishBase::storedFlag(bool full)
{
    return flagText(full);
}

bool DishBase::fullCompositionSetting(const SettingsAccess &settings)
{
    return parseFlagText(settings.get(Section::Data, QStringLiteral("bShowFullHS"), QStringLiteral("0")));
}

QString DishBase::whereClause(const std::optional<CopyKeys> &copy, QVariantList &params, const QString &name) const
{
    QString where = QStringLiteral(" WHERE \"") + columnName(nameColumn_) + QStringLiteral("\" = ?");
    params << codec_.encode(name);
    if (copy) {
        where += QStringLiteral(" AND \"l26\" = ? AND \"l27\" = ?");
        params << codec_.encode(copy->first) << codec_.encode(copy->second);
    } else {
        // A recipe of its own never matches the menu copies of the same name.
        where += QStringLiteral(" AND (\"l26\" IS NULL OR \"l26\" = '')");
    }
    if (copy && !copy->third.isEmpty()) {
        where += QStringLiteral(" AND \"l28\" = ?");
        params << codec_.encode(copy->third);
    } else {
        where += QStringLiteral(" AND (\"l28\" IS NULL OR \"l28\" = '')");
    }
    return where;
}

bool DishBase::exists(const QString &table, const QString &name, const std::optional<CopyKeys> &copy) const
{
    ensureNameIndex(table);
    QVariantList params;
    const QString where = whereClause(copy, params, name);
    SqlStatement &q = statement(QStringLiteral("SELECT 1 FROM ") + quoted(table) + where + QStringLiteral(" LIMIT 1"));
    const bool found = q.exec(params) && q.next();
    q.finish();
    return found;
}

Result<LoadedRecipe> DishBase::load(RecipeSlots &memory, int slotNumber, const QString &table, const QString &name,
    const QString &requestedOutput, const std::optional<CopyKeys> &copy)
{
    using R = Result<LoadedRecipe>;
    colBludo *slot = memory.slot(slotNumber);
    if (!slot)
        return R::failure(QStringLiteral("Неверный номер рецептуры в памяти: ") + QString::number(slotNumber));
    if (!connections_.isConnected(number_))
        return R::failure(QStringLiteral("Нет подключения к базе блюд"));

    ensureNameIndex(table);
    const MassRounding rounding = MassRounding::fromSettings(settings_);
    QVariantList params;
    // Rows are always read in the order they were written.
    const QString sql = QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM ") + quoted(table)
        + whereClause(copy, params, name) + QStringLiteral(" ORDER BY \"ID\"");
    SqlStatement &q = statement(sql);
    // The statement is kept for the next load: it must not hold the base
    // open for reading once this one is done.
    const auto done = qScopeGuard([&q] { q.finish(); });
    if (const Status s = q.exec(params); !s)
        return R::failure(s.error());

    auto text = [&](int n) { return codec_.decode(q.value(n).toString()); };

    LoadedRecipe loaded;
    slot->Clear();
    bool first = true;
    double factor = 1;
    QSet<QString> parents; // parent numbers the positions name
    std::vector<std::pair<clsProds *, QString>> semiFinished; // with their stored composition
    while (q.next()) {
        if (first) {
            first = false;
            loaded.storedOutput = text(2);
            if (loaded.storedOutput.trimmed().isEmpty()) {
                prompter_.message(QStringLiteral("Для рецептуры '") + name
                        + QStringLiteral("' в базе не установлен выход! ") + u'\n'
                        + QStringLiteral("Для продолжения работы выход установлен 100 г."),
                    kTitle.toString());
                loaded.storedOutput = QStringLiteral("100");
            }
            loaded.output = requestedOutput.trimmed().isEmpty() ? loaded.storedOutput : requestedOutput;
            factor = scaleFactor(outputValue(loaded.output), outputValue(loaded.storedOutput));
            loaded.factor = factor;
        }

        clsBludo *position = slot->Add();
        clsProds &p = position->clsProds();
        StoredRow row;
        for (int n = 1; n <= kColumns; ++n)
            row[n] = text(n);
        readStoredPosition(row, p);
        const QString &composition = row[23];

        const QString key = p.Kod.toString();
        const bool product = isProductKey(key);
        if (product) {
            p.Brutto = rounding.round(p.Brutto * factor, p.ID_Prod);
            p.Netto = rounding.round(p.Netto * factor, p.ID_Prod);
            p.Out = scaledOutputText(p.Out, factor);
        } else {
            // Semi-finished products and header rows ("main" of the
            // semi-finished base, dish nodes) follow the recipe too, so their
            // masses and outputs stay consistent with its products.
            p.Brutto *= factor;
            p.Netto *= factor;
            if (factor != 1 && !p.Out.isEmpty())
                p.Out = scaledOutputText(p.Out, factor);
        }
        if (!isTopLevel(key))
            parents.insert(parentNumber(key));
        if (isSemiFinishedKey(key))
            semiFinished.push_back({&p, composition});

        if (readCompositionString(composition, p, product ? factor : 1.0) == 0) {
            const QString question = QStringLiteral("Для позиции в рецептуре: ") + positionName(p)
                + QStringLiteral(" отсутствует хим. состав!") + u'\n' + QStringLiteral("Наименование рецептуры: ")
                + name + u'\n' + QStringLiteral("Продолжить работу?");
            if (prompter_.ask(question, Prompter::Buttons::YesNo, QStringLiteral("Загрузка рецептуры из базы блюд"),
                    Prompter::Icon::Question, QStringLiteral("MissingComposition"))
                != Prompter::Answer::Yes) {
                slot->Clear();
                return R::failure(QStringLiteral("Загрузка рецептуры остановлена"));
            }
        }
    }

    // A semi-finished product with its products in the recipe is worked out
    // from them; one stored without them has only its stored composition,
    // which follows the recipe's output like a product's.
    if (factor != 1) {
        for (const auto &[semi, composition] : semiFinished) {
            if (!parents.contains(itemNumber(semi->Kod.toString())))
                readCompositionString(composition, *semi, factor);
        }
    }

    if (first) {
        prompter_.message(
            QStringLiteral("В данном блюде нет продуктов") + u'\n' + QStringLiteral("Код ошибки 0060-00003"),
            kTitle.toString(), Prompter::Icon::Critical);
        return R::failure(QStringLiteral("В данном блюде нет продуктов"));
    }

    if (settings_.get(Section::Data, QStringLiteral("bNotTestDisheArray"), QStringLiteral("0")) != u"1")
        loaded.repairs = repairRecipe(*slot, prompter_);
    return loaded;
}

void DishBase::readStoredPosition(const StoredRow &row, clsProds &p)
{
    p.Out = row[2];
    p.NameND = row[3];
    p.TN_Vid = static_cast<qint16>(intOf(row[4]));
    p.Form_Num = static_cast<qint16>(intOf(row[5]));
    CardTexts texts;
    texts[1] = row[6];
    texts[0] = row[7];
    for (int i = 2; i < 7; ++i)
        texts[i] = row[6 + i];
    if (std::any_of(texts.begin(), texts.end(), [](const QString &t) { return !t.isEmpty(); }))
        p.Oform = joinCardTexts(texts);
    p.ID_Prod = row[13];
    p.Id = row[14];
    p.Kod = row[15];
    p.Num_In_Base = row[16];
    if (p.Num_In_Base.isEmpty())
        p.Num_In_Base = QStringLiteral("0");
    p.Brutto = numberOr(row[17]);
    p.Netto = numberOr(row[18]);
    p.ND = row[19];
    p.ShortName = row[20];
    p.FullName = row[21];
    p.HS_Full = parseFlagText(row[22]) ? 1 : 0;
    p.ID_Price = row[24];
    p.Expand = parseFlagText(row[25]) ? 1 : 0;
    p.bUseInCalc = intOf(row[31]);
    p.D_Col = numberOr(row[32]);
    p.sCode = row[35];
    p.AktDate = row[36];
    p.Photo = row[37];
    p.bUseInCalcHS = intOf(row[38]);
    p.l_Hran = row[40];
    p.l_Godn = row[41];
    p.l_ND = row[42];
    p.STNid = intOf(row[43]);
    p.STNTit = row[44];
    p.STNFull = row[45];
    p.HidePF = static_cast<qint16>(intOf(row[46]));
    p.ID_EDI = intOf(row[47]);
    p.Pref = row[48];
    if (p.Pref.isEmpty())
        p.Pref = QStringLiteral("г");
    p.ID_Koef = numberOr(row[49]);
}

Status DishBase::save(const colBludo &recipe, const QString &table, const QString &name, const SaveOptions &options)
{
    if (name.trimmed().isEmpty())
        return Status::failure(QStringLiteral("Не указано название рецептуры"));
    if (recipe.Count() == 0) {
        prompter_.message(QStringLiteral("В данном блюде нет продуктов"), kTitle.toString(), Prompter::Icon::Critical);
        return Status::failure(QStringLiteral("В данном блюде нет продуктов"));
    }
    if (!connections_.isConnected(number_))
        return Status::failure(QStringLiteral("Нет подключения к базе блюд"));

    if (exists(table, name, options.copy) && !options.silent) {
        const auto answer = prompter_.ask(
            QStringLiteral("Блюдо с таким названием уже имеется в базе.") + u'\n' + QStringLiteral("Заменить его?"),
            Prompter::Buttons::YesNo, kTitle.toString(), Prompter::Icon::Information, QStringLiteral("ReplaceRecipe"));
        if (answer != Prompter::Answer::Yes)
            return Status::failure(QString());
    }

    const bool full = options.fullComposition.value_or(fullCompositionSetting(settings_));
    const std::vector<StoredRow> rows = storedRows(recipe, name, options, full, nameColumn_);
    warnAboutUnstorableCharacters(rows);

    const QSqlDatabase db = database();
    Transaction transaction(db, log_);
    Status s = transaction.started() ? Status() : Status::failure(QStringLiteral("Транзакция не начата"));
    if (s) {
        QVariantList params;
        const QString where = whereClause(options.copy, params, name);
        // Two workstations saving the recipe take turns, so the later save replaces the earlier whole.
        QStringList record {quoted(table)};
        for (const QVariant &p : params)
            record << p.toString();
        s = lockRecordForRewrite(db, record.join(u'\x1f'), log_);
        if (s)
            s = statement(QStringLiteral("DELETE FROM ") + quoted(table) + where).exec(params);
    }
    if (s) {
        SqlStatement &insert = statement(insertStatement(quoted(table)));
        for (const StoredRow &row : rows) {
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
        prompter_.error(saveFailedText(), kTitle.toString());
        return Status::failure(saveFailedText());
    }
    return {};
}

std::vector<DishBase::StoredRow> DishBase::storedRows(
    const colBludo &recipe, const QString &name, const SaveOptions &options, bool full, int nameColumn)
{
    const clsProds &header = recipe.item(1)->clsProds();
    // Header columns, the same on every row.
    StoredRow row;
    row[1] = name;
    row[3] = header.NameND;
    row[4] = intText(options.cardType);
    row[5] = intText(options.second);
    row[6] = options.texts[1];
    row[7] = options.texts[0];
    for (int i = 2; i < 7; ++i)
        row[6 + i] = options.texts[i];
    row[22] = flagText(full);
    if (nameColumn != 1)
        row[nameColumn] = row[1];
    if (options.copy) {
        row[26] = options.copy->first;
        row[27] = options.copy->second;
        row[28] = options.copy->third;
    }
    row[31] = intText(header.bUseInCalc);
    row[32] = formatNumber(header.D_Col);
    row[35] = header.sCode;
    row[36] = header.AktDate;
    row[37] = header.Photo;
    row[38] = intText(header.bUseInCalcHS);
    row[40] = header.l_Hran;
    row[41] = header.l_Godn;
    row[42] = header.l_ND;
    row[43] = intText(header.STNid);
    row[44] = header.STNTit;
    row[45] = header.STNFull;
    row[47] = intText(header.ID_EDI);
    row[48] = header.Pref;
    row[49] = formatNumber(header.ID_Koef);

    std::vector<StoredRow> rows;
    rows.reserve(static_cast<std::size_t>(recipe.Count()));
    for (const clsBludo &position : recipe) {
        const clsProds &p = position.clsProds();
        row[2] = p.Out;
        row[13] = p.ID_Prod;
        row[14] = p.Id;
        row[15] = p.Kod.toString();
        row[16] = p.Num_In_Base;
        row[17] = formatNumber(p.Brutto);
        row[18] = formatNumber(p.Netto);
        row[19] = p.ND;
        row[20] = p.ShortName;
        row[21] = p.FullName;
        row[23] = compositionString(p, full);
        row[24] = p.ID_Price;
        row[25] = flagText(p.Expand != 0);
        row[46] = intText(p.HidePF);
        rows.push_back(row);
    }
    return rows;
}

void DishBase::warnAboutUnstorableCharacters(const std::vector<StoredRow> &rows) const
{
    QList<char32_t> found;
    for (const StoredRow &row : rows) {
        for (const QString &value : row) {
            for (char32_t ch : charactersOutsideCp1251(value)) {
                if (!found.contains(ch))
                    found << ch;
            }
        }
    }
    if (found.isEmpty())
        return;
    QStringList named;
    for (char32_t ch : found)
        named << u'«' + QString::fromUcs4(&ch, 1) + QStringLiteral("» (U+")
                + QStringLiteral("%1").arg(static_cast<uint>(ch), 4, 16, QLatin1Char('0')).toUpper() + u')';
    prompter_.warning(QStringLiteral("Этих символов нет в кодовой странице 1251, в которой хранятся рецептуры; "
                                     "они будут сохранены как \"?\": ")
            + named.join(QStringLiteral(", ")) + u'.',
        kTitle.toString());
}

SqlStatement &DishBase::statement(const QString &sql) const
{
    // Prepared once per connection: loops over thousands of recipes would
    // otherwise spend much of their time compiling the same few statements.
    const QSqlDatabase db = database();
    if (statementsDriver_ != db.driver()) {
        statements_.clear();
        statementsDriver_ = db.driver();
    }
    auto it = statements_.find(sql);
    if (it == statements_.end() || !it->second->prepared())
        it = statements_.insert_or_assign(sql, std::make_unique<SqlStatement>(db, sql, log_)).first;
    return *it->second;
}

void DishBase::ensureNameIndex(const QString &table) const
{
    // Every load, save and lookup finds a recipe by (l26, name); without the
    // index each of them reads the whole table.
    const QString name = table + QStringLiteral("_names") + QString::number(nameColumn_);
    if (namesIndexed_.contains(name))
        return;
    const QString column = u'"' + columnName(nameColumn_) + u'"';
    const QString index = quoted(name);
    if (execSql(database(),
            QStringLiteral("CREATE INDEX IF NOT EXISTS ") + index + QStringLiteral(" ON ") + quoted(table)
                + QStringLiteral(" (\"l26\", ") + column + u')',
            {}, log_))
        namesIndexed_.insert(name);
}

Result<QStringList> DishBase::recipeNames(const QString &table) const
{
    // Names of the recipes (not of menu copies) come from the name index
    // alone, without touching the rows.
    ensureNameIndex(table);
    const QString column = u'"' + columnName(nameColumn_) + u'"';
    const QString from = QStringLiteral("SELECT ") + column + QStringLiteral(" FROM ") + quoted(table);
    SqlStatement q(database(),
        from + QStringLiteral(" WHERE \"l26\" = '' GROUP BY ") + column + QStringLiteral(" UNION ") + from
            + QStringLiteral(" WHERE \"l26\" IS NULL GROUP BY ") + column,
        log_);
    if (const Status s = q.exec(); !s)
        return Result<QStringList>::failure(s.error());
    // Sorted by collation keys made once per name: comparing the names
    // themselves costs a collation per comparison.
    const QCollator collator = nameCollator();
    std::vector<std::pair<QCollatorSortKey, QString>> keyed;
    while (q.next()) {
        QString name = codec_.decode(q.value(0).toString());
        QCollatorSortKey key = collator.sortKey(name);
        keyed.emplace_back(std::move(key), std::move(name));
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto &x, const auto &y) { return x.first.compare(y.first) < 0; });
    QStringList names;
    names.reserve(static_cast<qsizetype>(keyed.size()));
    for (auto &k : keyed)
        names << std::move(k.second);
    return names;
}

QStringList repairRecipe(colBludo &recipe, Prompter &prompter)
{
    QStringList repairs;
    int passes = 0;
    while (true) {
        if (++passes > 200) {
            const auto answer = prompter.ask(QStringLiteral("Завершить работу мастера исправления ошибок") + u'\n'
                    + QStringLiteral("Мастер исправления ошибок рецептуры запущен 200 раз.") + u'\n'
                    + QStringLiteral("Возможно, что рецептура содержит большое количество ошибок.") + u'\n'
                    + QStringLiteral("Рекомендуется удалить рецептуру и ввести повторно."),
                Prompter::Buttons::YesNo, {}, Prompter::Icon::Question, QStringLiteral("RecipeRepair200"));
            if (answer == Prompter::Answer::Yes)
                break;
            passes = 0;
        }
        // The nodes positions may hang under: semi-finished products and dishes.
        QSet<QString> nodes;
        for (const clsBludo &b : recipe) {
            const QString key = b.clsProds().Kod.toString();
            if (isSemiFinishedKey(key) || isDishKey(key))
                nodes.insert(itemNumber(key));
        }
        int faulty = 0;
        QString report;
        for (int i = 1; i <= recipe.Count(); ++i) {
            const QString key = recipe.item(i)->clsProds().Kod.toString().trimmed();
            if (key.isEmpty() || key == u"0") {
                faulty = i;
                report = QStringLiteral("удалена пустая строка");
                break;
            }
            if (!isTopLevel(key) && !nodes.contains(parentNumber(key))) {
                faulty = i;
                report = QStringLiteral("удалено не существующее подчинение");
                break;
            }
        }
        if (faulty == 0)
            break;
        recipe.Remove(faulty);
        repairs << report;
    }
    if (!repairs.isEmpty()) {
        prompter.notice(QStringLiteral("В рецептуре исправлены следующие ошибки: ")
                + repairs.join(QStringLiteral(";\n")) + u'\n'
                + QStringLiteral("Следует сохранить исправленную рецептуру в базе блюд"),
            QStringLiteral("MasterErrorForDishe"), DishBase::kTitle.toString());
    }
    return repairs;
}

} // namespace kulvera
