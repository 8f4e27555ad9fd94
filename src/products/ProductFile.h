#pragma once

// The product file ".prod": one product, exchanged between installations.
//
// All integers are 32-bit little-endian, numbers 64-bit IEEE-754
// little-endian doubles, and a text is an integer byte count followed by
// that many bytes in Windows-1251. In order:
//   1. integer 8, then the marker "KVB_PROD";
//   2. integer 5, the format version;
//   3. text: the reference given by whoever saved the file; integer 1;
//   4. texts: Имя2, Имя, ЕвроКОД, Источник, Изготовитель, ГОСТ;
//   5. integers 1 or 0: Rast (vegetable origin), l70, l71, l72;
//   6. twelve times: text Список n, number Потери n;
//   7. numbers: Out, Вода, Белки, ЖБ, РБ, Жир, ЖЖ, РЖ, НЖК, ПНЖК, Хол, Моно,
//      Кр, КЛ, АМ, АО, Gir_SV, UG_SV;
//   8. Разм, then Цена, each a tagged value (below);
//   9. eighteen numbers 0, reserved;
//  10. text Комент;
//  11. numbers: ОргК, Зола, Na, K, Ca, Mg, P, Fe, A, B, B1, B2, PP, C, РЭ,
//      ТЭ, НЭ, ЭЦ, the 19 amino acids and the 21 fatty acids in the order of
//      the product table, РПВ, НПВ;
//  12. the tail: an integer count N and N numbers, then an integer count M
//      and M texts. The numbers are, in this order, Zn, Y, Аденин, Гуанин,
//      pH, exc, aller, fast, conf, Цена_Р, Цена_К, ЕдИ_Ц, Код_Группы; a
//      reader takes as many as it knows and skips the rest, and a shorter
//      list leaves the others at their defaults. The texts are reserved:
//      this writer writes M = 1 and an empty text; readers skip them.
//      Nothing follows the tail. Files of other writers may end at НПВ or
//      carry a tail of another form: a tail that is not exactly this one
//      is ignored whole, and its values keep their defaults.
//
// A tagged value is an integer tag and its payload:
//   tag 0 followed by an integer 0 - no value; the eight zero bytes are
//         exactly the number 0, which is what an empty column is written as;
//   tag 5 followed by a number      - a stored double;
//   tag 3 followed by an integer    - a stored whole number;
//   tag 8 followed by a text        - a stored text (read as a number).
//
// Empty columns are written as 0 or an empty text. An empty variant (no
// text, output 0) reads back as empty. Readers check every length against
// the bytes left, refuse a file cut before the end of step 11, unknown
// versions, tags and non-finite numbers, and change nothing when they refuse.

#include "common/Result.h"
#include "products/ProductRow.h"

#include <QByteArray>
#include <QString>

namespace kulvera {

class Prompter;
class ProductBase;

inline constexpr QStringView kProductFileExtension = u".prod";
inline constexpr QStringView kProductFileFilter = u"Продукты КВ | *.prod";
inline constexpr qint32 kProductFileVersion = 5;

struct ProductFileData {
    QString reference;
    ProductRow row;
};

QByteArray encodeProductFile(const ProductRow &row, const QString &reference);
Result<ProductFileData> decodeProductFile(const QByteArray &bytes);

// Writes through a temporary file renamed into place; an existing file is
// replaced only after the user agrees. Reports the path on the status line.
Status saveProductToFile(Prompter &prompter, const QString &path, const ProductRow &row, const QString &reference);
Result<ProductFileData> readProductFile(const QString &path);
// Reads a file and adds its product to the base under a new key (asking
// about a repeated name). Returns the new key.
Result<qint64> importProductFile(ProductBase &base, const QString &path);

} // namespace kulvera
