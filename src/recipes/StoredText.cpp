#include "recipes/StoredText.h"

#include "common/CodePage.h"
#include "common/Prompter.h"

#include <array>

namespace kulvera {
namespace {

constexpr int kGroup = 4;
// A byte (0 ... 255) plus the key (0 ... 999) as four digits, worked out once.
constexpr int kLargestCode = 255 + 999;

const std::array<std::array<char16_t, kGroup>, kLargestCode + 1> &digitGroups()
{
    static const auto groups = [] {
        std::array<std::array<char16_t, kGroup>, kLargestCode + 1> g {};
        for (int v = 0; v <= kLargestCode; ++v) {
            int rest = v;
            for (int i = kGroup - 1; i >= 0; --i) {
                g[static_cast<size_t>(v)][static_cast<size_t>(i)] = static_cast<char16_t>(u'0' + rest % 10);
                rest /= 10;
            }
        }
        return g;
    }();
    return groups;
}

} // namespace

int StoredTextCodec::keyFromInstallationNumber(const QString &number)
{
    const QString digits = number.trimmed().right(3);
    int key = 0;
    for (QChar ch : digits) {
        if (ch.isDigit())
            key = key * 10 + ch.digitValue();
    }
    return key;
}

namespace {

// The one encoding loop, writing UTF-16 or single-byte digits.
template <typename Char> Char *encodeInto(QStringView text, int key, Char *d)
{
    const auto &groups = digitGroups();
    for (QChar ch : text) {
        unsigned char byte = '?';
        encodeChar(ch, CodePage::Cp1251, &byte);
        const int v = byte + key;
        if (v >= 0 && v <= kLargestCode) {
            const auto &g = groups[static_cast<size_t>(v)];
            for (int i = 0; i < kGroup; ++i)
                d[i] = static_cast<Char>(g[static_cast<size_t>(i)]);
        } else {
            int rest = v;
            for (int i = kGroup - 1; i >= 0; --i) {
                d[i] = static_cast<Char>(u'0' + rest % 10);
                rest /= 10;
            }
        }
        d += kGroup;
    }
    return d;
}

} // namespace

QString StoredTextCodec::encode(QStringView text) const
{
    QString out;
    out.resize(text.size() * kGroup);
    encodeInto(text, key_, reinterpret_cast<char16_t *>(out.data()));
    return out;
}

void StoredTextCodec::encodeAppend(QStringView text, QByteArray &out) const
{
    const qsizetype from = out.size();
    out.resize(from + text.size() * kGroup);
    encodeInto(text, key_, out.data() + from);
}

QString StoredTextCodec::decode(QStringView stored) const
{
    QString out;
    out.reserve(stored.size() / kGroup);
    qsizetype pos = 0;
    for (; pos + kGroup <= stored.size(); pos += kGroup) {
        int v = 0;
        bool digits = true;
        for (int i = 0; i < kGroup; ++i) {
            const QChar ch = stored[pos + i];
            if (ch < u'0' || ch > u'9') {
                digits = false;
                break;
            }
            v = v * 10 + (ch.unicode() - u'0');
        }
        const int code = v - key_;
        if (!digits || code < 0 || code > 255)
            out += QChar(QChar::ReplacementCharacter);
        else
            out += decodeByte(static_cast<unsigned char>(code), CodePage::Cp1251);
    }
    if (pos < stored.size() && prompter_) {
        prompter_->message(QStringLiteral("Ошибочная длина строки") + u'\n' + stored.toString() + u'\n'
                + QStringLiteral("Длина строки - ") + QString::number(stored.size()),
            {}, Prompter::Icon::Warning);
    }
    return out;
}

QList<char32_t> charactersOutsideCp1251(QStringView text)
{
    QList<char32_t> out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        unsigned char byte = 0;
        if (encodeChar(ch, CodePage::Cp1251, &byte))
            continue;
        char32_t code = ch.unicode();
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(ch, text[i + 1]);
            ++i;
        }
        if (!out.contains(code))
            out << code;
    }
    return out;
}

} // namespace kulvera
