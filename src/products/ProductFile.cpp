#include "products/ProductFile.h"

#include "common/CodePage.h"
#include "common/Prompter.h"
#include "products/ProductBase.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <array>
#include <cmath>
#include <cstring>
#include <optional>

namespace kulvera {
namespace {

const QByteArray kMarker = QByteArrayLiteral("KVB_PROD");
constexpr qint32 kTagEmpty = 0;
constexpr qint32 kTagLong = 3;
constexpr qint32 kTagDouble = 5;
constexpr qint32 kTagText = 8;
constexpr int kReservedNumbers = 18;
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

// Step 7 and step 11, by product-table column.
const char16_t *const kMainNumbers[] = {u"Вода", u"Белки", u"ЖБ", u"РБ", u"Жир", u"ЖЖ", u"РЖ", u"НЖК", u"ПНЖК", u"Хол",
    u"Моно", u"Кр", u"КЛ", u"АМ", u"АО", u"Gir_SV", u"UG_SV"};
const char16_t *const kMineralsAndVitamins[] = {u"ОргК", u"Зола", u"Na", u"K", u"Ca", u"Mg", u"P", u"Fe", u"A", u"B",
    u"B1", u"B2", u"PP", u"C", u"РЭ", u"ТЭ", u"НЭ", u"ЭЦ"};
const char16_t *const kAcids[] = {u"валин", u"изолейцин", u"лейцин", u"лизин", u"метионин", u"треонин", u"триптофан",
    u"фенилаланин", u"аланин", u"аргинин", u"аспарагиновая", u"гистидин", u"глицин", u"глутаминовая", u"оксипролин",
    u"пролин", u"серин", u"тирозин", u"цистин", u"масляная", u"капроновая", u"каприловая", u"каприновая", u"лауриновая",
    u"миристиновая", u"пентадекановая", u"пальмитиновая", u"маргариновая", u"стеариновая", u"арахиновая", u"бегеновая",
    u"лигноцериновая", u"миристолеиновая", u"пальмитолеиновая", u"олеиновая", u"гадолеиновая", u"эруковая",
    u"линолевая", u"линоленовая", u"арахидоновая", u"РПВ", u"НПВ"};
constexpr int kTailNumbers = 13;

double &field(ProductRow &row, const char16_t *column)
{
    return row.prod.*compositionFieldByColumn(QStringView(column))->member;
}

double fieldValue(const ProductRow &row, const char16_t *column)
{
    return row.prod.*compositionFieldByColumn(QStringView(column))->member;
}

class Writer
{
public:
    void integer(qint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        bytes.append(b, 4);
    }
    void number(double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, sizeof bits);
        char b[8];
        qToLittleEndian(bits, b);
        bytes.append(b, 8);
    }
    void text(const QString &t)
    {
        const QByteArray encoded = encodeCodePage(t, CodePage::Cp1251);
        integer(static_cast<qint32>(encoded.size()));
        bytes.append(encoded);
    }
    void tagged(const QVariant &v)
    {
        if (v.isNull()) {
            number(0.0);
            return;
        }
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            if (v.toLongLong() >= INT32_MIN && v.toLongLong() <= INT32_MAX) {
                integer(kTagLong);
                integer(static_cast<qint32>(v.toLongLong()));
                return;
            }
            break;
        case QMetaType::QString:
            integer(kTagText);
            text(v.toString());
            return;
        default:
            break;
        }
        integer(kTagDouble);
        number(numberValue(v));
    }
    QByteArray bytes;
};

// Every read checks the bytes left; the first failure sticks and is reported once.
class Reader
{
public:
    explicit Reader(const QByteArray &b)
        : bytes_(b)
    {
    }
    bool ok() const { return error_.isEmpty(); }
    const QString &error() const { return error_; }
    qint64 left() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ == bytes_.size(); }
    qint64 position() const { return pos_; }
    void fail(const QString &what)
    {
        if (error_.isEmpty())
            error_ = what + QStringLiteral(" (смещение ") + QString::number(pos_) + u')';
    }

    qint32 integer(const char16_t *what)
    {
        if (!ok() || left() < 4) {
            fail(QStringLiteral("Файл обрывается: ") + QString::fromUtf16(what));
            return 0;
        }
        const qint32 v = qFromLittleEndian<qint32>(bytes_.constData() + pos_);
        pos_ += 4;
        return v;
    }
    double number(const char16_t *what)
    {
        if (!ok() || left() < 8) {
            fail(QStringLiteral("Файл обрывается: ") + QString::fromUtf16(what));
            return 0;
        }
        const quint64 bits = qFromLittleEndian<quint64>(bytes_.constData() + pos_);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v)) {
            fail(QStringLiteral("Недопустимое число: ") + QString::fromUtf16(what));
            return 0;
        }
        pos_ += 8;
        return v;
    }
    QString text(const char16_t *what)
    {
        const qint32 length = integer(what);
        if (!ok())
            return {};
        if (length < 0 || length > left()) {
            pos_ -= 4;
            fail(QStringLiteral("Недопустимая длина текста (") + QString::number(length) + QStringLiteral("): ")
                + QString::fromUtf16(what));
            return {};
        }
        const QByteArray raw = bytes_.mid(pos_, length);
        pos_ += length;
        return decodeCodePage(raw, CodePage::Cp1251);
    }
    QVariant tagged(const char16_t *what)
    {
        const qint32 tag = integer(what);
        if (!ok())
            return {};
        switch (tag) {
        case kTagEmpty:
            if (integer(what) != 0 && ok())
                fail(QStringLiteral("Недопустимое значение: ") + QString::fromUtf16(what));
            return {};
        case kTagDouble:
            return number(what);
        case kTagLong:
            return static_cast<qint64>(integer(what));
        case kTagText: {
            const QString t = text(what);
            return ok() ? QVariant(numberValue(t)) : QVariant();
        }
        default:
            pos_ -= 4;
            fail(QStringLiteral("Неизвестный тип значения (") + QString::number(tag) + QStringLiteral("): ")
                + QString::fromUtf16(what));
            return {};
        }
    }

private:
    const QByteArray &bytes_;
    qint64 pos_ = 0;
    QString error_;
};

using TailValues = std::array<double, kTailNumbers>;
// Zn, Y, Аденин, Гуанин, pH, exc, aller, fast, conf, Цена_Р, Цена_К, ЕдИ_Ц, Код_Группы.
constexpr TailValues kTailDefaults = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0};

// This program's tail: a count and that many numbers, a count and that many
// texts, and nothing after. Anything else is a tail it does not know.
std::optional<TailValues> readTail(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    Reader r(bytes);
    const qint32 numbers = r.integer(u"окончание");
    if (!r.ok() || numbers < 0 || numbers > r.left() / 8)
        return std::nullopt;
    TailValues values = kTailDefaults;
    for (qint32 n = 0; n < numbers && r.ok(); ++n) {
        const double v = r.number(u"окончание");
        if (n < kTailNumbers)
            values[static_cast<std::size_t>(n)] = v;
    }
    const qint32 texts = r.integer(u"окончание");
    if (!r.ok() || texts < 0 || texts > r.left() / 4)
        return std::nullopt;
    for (qint32 n = 0; n < texts && r.ok(); ++n)
        r.text(u"окончание");
    if (!r.ok() || !r.atEnd())
        return std::nullopt;
    return values;
}

QString malformed(const QString &detail)
{
    return QStringLiteral("Файл не является файлом продукта КВ или поврежден.\n") + detail;
}

} // namespace

QByteArray encodeProductFile(const ProductRow &row, const QString &reference)
{
    Writer w;
    w.integer(static_cast<qint32>(kMarker.size()));
    w.bytes.append(kMarker);
    w.integer(kProductFileVersion);
    w.text(reference);
    w.integer(1);
    for (const QString &t : {row.prod.FullName, row.prod.ShortName, row.euroCode, row.source, row.maker, row.prod.ND})
        w.text(t);
    for (bool flag : {row.rast, row.l70, row.l71, row.l72})
        w.integer(flag ? 1 : 0);
    for (std::size_t n = 0; n < kLossVariants; ++n) {
        w.text(row.variants[n]);
        w.number(row.losses[n].value_or(0.0));
    }
    w.number(row.out);
    for (const char16_t *c : kMainNumbers)
        w.number(fieldValue(row, c));
    w.tagged(row.size);
    w.tagged(row.price);
    for (int n = 0; n < kReservedNumbers; ++n)
        w.number(0.0);
    w.text(row.comment);
    for (const char16_t *c : kMineralsAndVitamins)
        w.number(fieldValue(row, c));
    for (const char16_t *c : kAcids)
        w.number(fieldValue(row, c));
    w.integer(kTailNumbers);
    for (double v :
        {row.prod.Zn, row.iodine, row.prod.Аденин, row.prod.Гуанин, row.prod.PH, row.exc, row.aller, row.fast, row.conf,
            row.priceR, row.priceK, static_cast<double>(row.priceUnit), static_cast<double>(row.groupKey)})
        w.number(v);
    w.integer(1);
    w.text({});
    return w.bytes;
}

Result<ProductFileData> decodeProductFile(const QByteArray &bytes)
{
    using R = Result<ProductFileData>;
    Reader r(bytes);
    const qint32 markerLength = r.integer(u"метка");
    if (!r.ok() || markerLength != kMarker.size() || r.left() < kMarker.size()
        || bytes.mid(4, kMarker.size()) != kMarker)
        return R::failure(malformed(QStringLiteral("Нет метки KVB_PROD")));
    Reader body(bytes);
    body.integer(u"метка");
    for (int n = 0; n < 2; ++n)
        body.integer(u"метка");
    const qint32 version = body.integer(u"версия");
    if (!body.ok())
        return R::failure(malformed(body.error()));
    if (version != kProductFileVersion)
        return R::failure(malformed(
            QStringLiteral("Версия файла ") + QString::number(version) + QStringLiteral(" не поддерживается")));
    ProductFileData data;
    ProductRow &row = data.row;
    data.reference = body.text(u"ссылка");
    body.integer(u"ссылка");
    row.prod.FullName = body.text(u"Имя2");
    row.prod.ShortName = body.text(u"Имя");
    row.euroCode = body.text(u"ЕвроКОД");
    row.source = body.text(u"Источник");
    row.maker = body.text(u"Изготовитель");
    row.prod.ND = body.text(u"ГОСТ");
    row.rast = body.integer(u"Rast") != 0;
    row.l70 = body.integer(u"l70") != 0;
    row.l71 = body.integer(u"l71") != 0;
    row.l72 = body.integer(u"l72") != 0;
    for (std::size_t n = 0; n < kLossVariants; ++n) {
        row.variants[n] = body.text(u"Список");
        const double loss = body.number(u"Потери");
        if (!row.variants[n].isEmpty() || loss != 0.0)
            row.losses[n] = loss;
    }
    row.setOut(body.number(u"Out"));
    for (const char16_t *c : kMainNumbers)
        field(row, c) = body.number(c);
    row.size = body.tagged(u"Разм");
    row.setPrice(body.tagged(u"Цена"));
    for (int n = 0; n < kReservedNumbers; ++n)
        body.number(u"резерв");
    row.comment = body.text(u"Комент");
    for (const char16_t *c : kMineralsAndVitamins)
        field(row, c) = body.number(c);
    for (const char16_t *c : kAcids)
        field(row, c) = body.number(c);

    if (!body.ok())
        return R::failure(malformed(body.error()));

    // The layout leaves what follows НПВ open: a tail of another form is
    // ignored whole rather than read as values it does not hold.
    const auto tail = readTail(bytes.mid(body.position())).value_or(kTailDefaults);
    row.prod.Zn = tail[0];
    row.iodine = tail[1];
    row.prod.Аденин = tail[2];
    row.prod.Гуанин = tail[3];
    row.prod.PH = tail[4];
    row.exc = tail[5];
    row.aller = tail[6];
    row.fast = tail[7];
    row.conf = tail[8];
    row.priceR = tail[9];
    row.priceK = tail[10];
    // Keys travel as numbers; anything outside a key's range is not a key.
    const auto key = [](double v) { return std::abs(v) < 2147483648.0 ? static_cast<qint64>(v) : 0; };
    row.priceUnit = key(tail[11]);
    row.groupKey = key(tail[12]);
    return data;
}

Status saveProductToFile(Prompter &prompter, const QString &path, const ProductRow &row, const QString &reference)
{
    if (QFileInfo::exists(path)
        && !prompter.confirm(QStringLiteral("Файл '") + QFileInfo(path).fileName()
            + QStringLiteral("' уже существует.\n") + QStringLiteral("Заменить имеющийся?")))
        return Status::failure(QStringLiteral("Файл не записан"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Status::failure(QStringLiteral("Не удалось записать файл: ") + path + u'\n' + file.errorString());
    const QByteArray bytes = encodeProductFile(row, reference);
    // commit() misses a write that fails while it flushes the buffer: flush first.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        return Status::failure(QStringLiteral("Не удалось записать файл: ") + path + u'\n' + file.errorString());
    prompter.status(QStringLiteral("Сохранили продукт в файл: ") + path);
    return {};
}

Result<ProductFileData> readProductFile(const QString &path)
{
    using R = Result<ProductFileData>;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return R::failure(QStringLiteral("Не удалось открыть файл: ") + path);
    if (file.size() > kMaxFileSize)
        return R::failure(malformed(QStringLiteral("Слишком большой файл: ") + path));
    const QByteArray bytes = file.readAll();
    auto data = decodeProductFile(bytes);
    if (!data)
        return R::failure(data.error() + QStringLiteral("\nФайл: ") + path);
    return data;
}

Result<qint64> importProductFile(ProductBase &base, const QString &path)
{
    const auto data = readProductFile(path);
    if (!data)
        return Result<qint64>::failure(data.error());
    return base.add(data->row, false);
}

} // namespace kulvera
