#include "products/ProductRow.h"

#include "common/NumberText.h"
#include "shell/Recordset.h"

namespace kulvera {
namespace {

const QString kKey = QStringLiteral("Код");
const QString kName = QStringLiteral("Имя");
const QString kFullName = QStringLiteral("Имя2");
const QString kGost = QStringLiteral("ГОСТ");
const QString kEuro = QStringLiteral("ЕвроКОД");
const QString kSource = QStringLiteral("Источник");
const QString kMaker = QStringLiteral("Изготовитель");
const QString kRast = QStringLiteral("Rast");
const QString kGroup = QStringLiteral("Код_Группы");
const QString kSize = QStringLiteral("Разм");
const QString kPrice = QStringLiteral("Цена");
const QString kPriceUnit = QStringLiteral("ЕдИ_Ц");
const QString kPriceR = QStringLiteral("Цена_Р");
const QString kPriceK = QStringLiteral("Цена_К");
const QString kComment = QStringLiteral("Комент");
const QString kExc = QStringLiteral("exc");
const QString kAller = QStringLiteral("aller");
const QString kFast = QStringLiteral("fast");
const QString kConf = QStringLiteral("conf");
const QString kOut = QStringLiteral("Out");
const QString kL70 = QStringLiteral("l70");
const QString kL71 = QStringLiteral("l71");
const QString kL72 = QStringLiteral("l72");
const QString kIodine = QStringLiteral("Y");

struct ColumnCaption {
    const QString &column;
    const char16_t *caption;
};

// The meaning of l70, l71, fast and conf is not recorded anywhere: they are
// offered as numbered flags and carried through unchanged.
const ColumnCaption kCardCaptions[] = {
    {kFullName, u"Полное наименование"},
    {kName, u"Краткое наименование"},
    {kGost, u"Нормативный документ (ГОСТ, ТУ)"},
    {kEuro, u"Артикул"},
    {kSource, u"Источник данных"},
    {kMaker, u"Изготовитель"},
    {kComment, u"Комментарий"},
    {kRast, u"Растительного происхождения"},
    {kSize, u"Размер счётной единицы"},
    {kPrice, u"Цена"},
    {kPriceR, u"Вторая цена"},
    {kPriceK, u"Третья цена"},
    {kOut, u"Выход после холодной обработки, %"},
    {kIodine, u"Йод, мг"},
    {kExc, u"Исключён из складского учёта"},
    {kAller, u"Аллерген"},
    {kL72, u"Сезонные потери (варианты по месяцам)"},
    {kL70, u"Дополнительный признак 1"},
    {kL71, u"Дополнительный признак 2"},
    {kFast, u"Дополнительный признак 3"},
    {kConf, u"Дополнительный признак 4"},
};

QVariant at(const std::function<QVariant(int)> &value, int index)
{
    return index < 0 ? QVariant() : value(index);
}

bool validVariant(int n)
{
    return n >= 1 && n <= kLossVariants;
}

} // namespace

void ProductRow::setOut(double value)
{
    out = value;
    prod.Out = formatNumber(value);
}

void ProductRow::setPrice(const QVariant &value)
{
    price = value;
    prod.Price = numberValue(value);
}

QString productColumnCaption(QStringView column)
{
    if (const CompositionField *f = compositionFieldByColumn(column))
        return fieldCaption(*f);
    for (const ColumnCaption &c : kCardCaptions) {
        if (c.column == column)
            return QString::fromUtf16(c.caption);
    }
    return {};
}

double numberValue(const QVariant &value)
{
    return optionalNumber(value).value_or(0.0);
}

std::optional<double> optionalNumber(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return value.toDouble();
    default:
        break;
    }
    const QString text = value.toString();
    if (text.trimmed().isEmpty())
        return std::nullopt;
    return parseNumber(text);
}

QString textValue(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

bool rastValue(const QVariant &value)
{
    if (value.isNull())
        return false;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        // The engine's own boolean (-1 or 1) in a column that once was a flag.
        return value.toDouble() != 0.0;
    default:
        return value.toString().trimmed().compare(u"Да", Qt::CaseInsensitive) == 0;
    }
}

bool flagValue(const QVariant &value)
{
    if (value.isNull())
        return false;
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        return text.compare(u"Да", Qt::CaseInsensitive) == 0 || text.compare(u"true", Qt::CaseInsensitive) == 0
            || numberOr(text) != 0.0;
    }
    return value.toDouble() != 0.0;
}

ProductColumnMap::ProductColumnMap(const QStringList &columns)
    : columns_(columns)
{
    for (const CompositionField &f : compositionFields())
        composition_.push_back(f.column ? columns_.indexOf(QString::fromUtf16(f.column)) : -1);
    key_ = indexOf(kKey);
    name_ = indexOf(kName);
    fullName_ = indexOf(kFullName);
    gost_ = indexOf(kGost);
    euro_ = indexOf(kEuro);
    source_ = indexOf(kSource);
    maker_ = indexOf(kMaker);
    rast_ = indexOf(kRast);
    group_ = indexOf(kGroup);
    size_ = indexOf(kSize);
    price_ = indexOf(kPrice);
    priceUnit_ = indexOf(kPriceUnit);
    priceR_ = indexOf(kPriceR);
    priceK_ = indexOf(kPriceK);
    comment_ = indexOf(kComment);
    exc_ = indexOf(kExc);
    aller_ = indexOf(kAller);
    fast_ = indexOf(kFast);
    conf_ = indexOf(kConf);
    out_ = indexOf(kOut);
    l70_ = indexOf(kL70);
    l71_ = indexOf(kL71);
    l72_ = indexOf(kL72);
    iodine_ = indexOf(kIodine);
    for (int n = 1; n <= kLossVariants; ++n) {
        losses_[static_cast<std::size_t>(n - 1)] = indexOf(lossColumn(n));
        variants_[static_cast<std::size_t>(n - 1)] = indexOf(variantColumn(n));
    }
}

int ProductColumnMap::variantCount() const
{
    int n = 0;
    while (
        n < kLossVariants && losses_[static_cast<std::size_t>(n)] >= 0 && variants_[static_cast<std::size_t>(n)] >= 0)
        ++n;
    return n;
}

void ProductColumnMap::readRecord(const std::function<QVariant(int)> &value, clsProds &record) const
{
    const auto fields = compositionFields();
    for (std::size_t n = 0; n < fields.size(); ++n) {
        if (composition_[n] >= 0)
            record.*fields[n].member = numberValue(value(composition_[n]));
    }
    record.Kod = key_ < 0 ? QVariant() : QVariant(value(key_).toLongLong());
    record.ShortName = textValue(at(value, name_));
    record.FullName = textValue(at(value, fullName_));
    record.ND = textValue(at(value, gost_));
    record.Out = formatNumber(numberValue(at(value, out_)));
    record.Price = numberValue(at(value, price_));
}

ProductRow ProductColumnMap::read(const std::function<QVariant(int)> &value) const
{
    ProductRow row;
    readRecord(value, row.prod);
    row.euroCode = textValue(at(value, euro_));
    row.source = textValue(at(value, source_));
    row.maker = textValue(at(value, maker_));
    row.comment = textValue(at(value, comment_));
    row.rast = rastValue(at(value, rast_));
    row.groupKey = at(value, group_).toLongLong();
    row.size = at(value, size_);
    row.price = at(value, price_);
    const QVariant unit = at(value, priceUnit_);
    row.priceUnit = unit.isNull() ? 1 : unit.toLongLong();
    row.priceR = numberValue(at(value, priceR_));
    row.priceK = numberValue(at(value, priceK_));
    row.exc = numberValue(at(value, exc_));
    row.aller = numberValue(at(value, aller_));
    row.fast = numberValue(at(value, fast_));
    row.conf = numberValue(at(value, conf_));
    row.out = numberValue(at(value, out_));
    for (std::size_t n = 0; n < kLossVariants; ++n) {
        row.losses[n] = optionalNumber(at(value, losses_[n]));
        row.variants[n] = textValue(at(value, variants_[n]));
    }
    row.l70 = flagValue(at(value, l70_));
    row.l71 = flagValue(at(value, l71_));
    row.l72 = flagValue(at(value, l72_));
    row.iodine = numberValue(at(value, iodine_));
    return row;
}

QStringList productWritableColumns()
{
    QStringList columns = {kKey, kName, kFullName, kGost, kEuro, kSource, kMaker, kRast, kGroup, kSize, kPrice,
        kPriceUnit, kPriceR, kPriceK, kComment, kExc, kAller, kFast, kConf, kOut};
    for (int n = 1; n <= kLossVariants; ++n)
        columns << lossColumn(n) << variantColumn(n);
    columns << kL70 << kL71 << kL72 << kIodine;
    for (const CompositionField &f : compositionFields()) {
        if (f.column)
            columns << QString::fromUtf16(f.column);
    }
    return columns;
}

QVariantList productRowValues(const ProductRow &row, const QStringList &columns)
{
    QVariantList values;
    values.reserve(columns.size());
    for (const QString &c : columns) {
        if (const CompositionField *f = compositionFieldByColumn(c)) {
            values << row.prod.*f->member;
            continue;
        }
        if (c.startsWith(u"Потери") || c.startsWith(u"Список")) {
            const int n = c.mid(6).toInt();
            if (validVariant(n)) {
                const auto i = static_cast<std::size_t>(n - 1);
                if (c.startsWith(u"Потери"))
                    values << (row.losses[i] ? QVariant(*row.losses[i]) : QVariant(QMetaType(QMetaType::Double)));
                else
                    values << row.variants[i];
                continue;
            }
        }
        if (c == kKey)
            values << row.prod.Kod.toLongLong();
        else if (c == kName)
            values << row.prod.ShortName;
        else if (c == kFullName)
            values << row.prod.FullName;
        else if (c == kGost)
            values << row.prod.ND;
        else if (c == kEuro)
            values << row.euroCode;
        else if (c == kSource)
            values << row.source;
        else if (c == kMaker)
            values << row.maker;
        else if (c == kRast)
            values << (row.rast ? QStringLiteral("Да") : QStringLiteral("Нет"));
        else if (c == kGroup)
            values << row.groupKey;
        else if (c == kSize)
            values << row.size;
        else if (c == kPrice)
            values << row.price;
        else if (c == kPriceUnit)
            values << row.priceUnit;
        else if (c == kPriceR)
            values << row.priceR;
        else if (c == kPriceK)
            values << row.priceK;
        else if (c == kComment)
            values << row.comment;
        else if (c == kExc)
            values << row.exc;
        else if (c == kAller)
            values << row.aller;
        else if (c == kFast)
            values << row.fast;
        else if (c == kConf)
            values << row.conf;
        else if (c == kOut)
            values << row.out;
        else if (c == kL70)
            values << (row.l70 ? 1 : 0);
        else if (c == kL71)
            values << (row.l71 ? 1 : 0);
        else if (c == kL72)
            values << (row.l72 ? 1 : 0);
        else if (c == kIodine)
            values << row.iodine;
        else
            values << QVariant();
    }
    return values;
}

double prodNumber(const Recordset &rs, const QString &column)
{
    return numberValue(rs.value(column));
}

QString prodText(const Recordset &rs, const QString &column)
{
    return textValue(rs.value(column));
}

bool prodRast(const Recordset &rs)
{
    return rastValue(rs.value(kRast));
}

double prodLoss(const Recordset &rs, int n)
{
    if (!validVariant(n))
        return 0.0;
    return numberValue(rs.value(lossColumn(n)));
}

QString prodVariant(const Recordset &rs, int n)
{
    if (!validVariant(n))
        return {};
    return textValue(rs.value(variantColumn(n)));
}

Status setProdRast(Recordset &rs, bool vegetable)
{
    return rs.flSet(kRast, vegetable ? QStringLiteral("Да") : QStringLiteral("Нет"));
}

Status setProdText(Recordset &rs, const QString &column, const QString &text)
{
    return rs.flSet(column, text);
}

Status setProdNumber(Recordset &rs, const QString &column, double value)
{
    return rs.flSet(column, value);
}

Status setProdFlag(Recordset &rs, const QString &column, bool on)
{
    return rs.flSet(column, on ? 1 : 0);
}

Status setProdLoss(Recordset &rs, int n, double value)
{
    if (!validVariant(n))
        return Status::failure(QStringLiteral("Нет варианта обработки ") + QString::number(n));
    return rs.flSet(lossColumn(n), value);
}

Status setProdVariant(Recordset &rs, int n, const QString &text)
{
    if (!validVariant(n))
        return Status::failure(QStringLiteral("Нет варианта обработки ") + QString::number(n));
    return rs.flSet(variantColumn(n), text);
}

} // namespace kulvera
