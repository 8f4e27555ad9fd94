#include "common/SettingsAccess.h"

#include "common/NumberText.h"

#include <array>
#include <cmath>

namespace kulvera {
namespace {

const std::array<QStringView, kSectionCount> kSectionNames = {
    u"Calc",
    u"Data",
    u"Documents",
    u"Bl",
    u"Prod",
    u"MB",
    u"Language",
    u"Losses",
    u"HelpSystem",
    u"User",
    u"UserInterface",
    u"Documents\\TTK",
    u"Documents\\TTKk",
    u"Documents\\TK",
    u"Documents\\TTKk_prom",
    u"Documents\\Label",
    u"Messages",
    u"ШаблонМеню",
};

} // namespace

QString sectionName(Section section)
{
    return kSectionNames[static_cast<size_t>(section)].toString();
}

std::optional<Section> sectionFromCode(int code)
{
    if (code < 0 || code >= kSectionCount)
        return std::nullopt;
    return static_cast<Section>(code);
}

std::optional<Section> sectionFromText(const QString &text)
{
    bool isCode = false;
    const int code = text.toInt(&isCode);
    if (isCode)
        return sectionFromCode(code);
    QString normalised = text;
    normalised.replace(u'/', u'\\');
    for (int i = 0; i < kSectionCount; ++i) {
        if (kSectionNames[static_cast<size_t>(i)].compare(normalised, Qt::CaseInsensitive) == 0)
            return static_cast<Section>(i);
    }
    return std::nullopt;
}

bool isBoolKey(const QString &key)
{
    return key.startsWith(u"bool");
}

bool parseFlagText(const QString &text)
{
    const QString t = text.trimmed();
    return t.compare(u"True", Qt::CaseInsensitive) == 0 || t == u"1" || t == u"-1";
}

bool SettingsAccess::getFlag(Section section, const QString &key, bool defaultValue) const
{
    if (!contains(section, key))
        return defaultValue;
    return parseFlagText(get(section, key));
}

void SettingsAccess::saveFlag(Section section, const QString &key, bool value)
{
    if (isBoolKey(key))
        save(section, key, value ? QStringLiteral("True") : QStringLiteral("False"));
    else
        save(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

int SettingsAccess::getInt(Section section, const QString &key, int defaultValue) const
{
    const auto number = parseNumber(get(section, key, QString::number(defaultValue)));
    if (!number || std::fabs(*number) > 2e9)
        return defaultValue;
    return static_cast<int>(std::lround(*number));
}

} // namespace kulvera
