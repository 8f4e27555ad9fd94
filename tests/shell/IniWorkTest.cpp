#include "common/CodePage.h"
#include "common/ScriptedPrompter.h"
#include "shell/BasePerIni.h"
#include "shell/INI_Work.h"
#include "shell/SharedSettings.h"
#include "support/TempSettings.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <random>

using namespace kulvera;

namespace {

INI_Work parse(const char *text)
{
    INI_Work ini;
    ini.loadText(QString::fromUtf8(text));
    return ini;
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The rules of the format written out plainly: sections and values in
// vectors, every lookup a walk with Qt's own caseless comparison.
struct PlainIni {
    struct Section {
        QString name;
        std::vector<std::pair<QString, QString>> entries;
    };
    std::vector<Section> sections;
    QStringList repeated;

    static bool same(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }
    Section *find(const QString &name)
    {
        for (Section &s : sections) {
            if (same(s.name, name))
                return &s;
        }
        return nullptr;
    }
    void set(const QString &section, const QString &name, const QString &value)
    {
        Section *s = find(section);
        if (!s)
            s = &sections.emplace_back(Section {section, {}});
        for (auto &e : s->entries) {
            if (same(e.first, name)) {
                e.second = value;
                return;
            }
        }
        s->entries.emplace_back(name, value);
    }
    void load(const QString &text)
    {
        Section *current = nullptr;
        for (QString line : text.split(u'\n')) {
            line = line.left(line.indexOf(u';') < 0 ? line.size() : line.indexOf(u';')).trimmed();
            if (line.startsWith(u'[')) {
                if (line.indexOf(u']') >= 2) {
                    const QString name = line.mid(1, line.indexOf(u']') - 1);
                    if (find(name))
                        repeated << name;
                    else
                        sections.push_back({name, {}});
                    current = find(name);
                }
            } else if (current && line.indexOf(u'=') >= 1) {
                set(current->name, line.left(line.indexOf(u'=')).trimmed(), line.mid(line.indexOf(u'=') + 1).trimmed());
            }
        }
    }
    QString text() const
    {
        QString out;
        for (const Section &s : sections) {
            out += u'[' + s.name + QStringLiteral("]\r\n");
            for (const auto &e : s.entries)
                out += e.first + u'=' + e.second + QStringLiteral("\r\n");
            out += QStringLiteral("\r\n");
        }
        return out;
    }
};

// Everything the INI reader answers, against the plain rules.
void expectSame(const INI_Work &ini, PlainIni &plain, const QStringList &names)
{
    ASSERT_EQ(ini.SectionsCount(), static_cast<int>(plain.sections.size()));
    for (int i = 0; i < ini.SectionsCount(); ++i) {
        const PlainIni::Section &s = plain.sections[static_cast<size_t>(i)];
        ASSERT_EQ(ini.SectionName(i), s.name);
        EXPECT_TRUE(ini.SectionExists(s.name.toUpper()));
        ASSERT_EQ(ini.ValuesCount(s.name.toLower()), static_cast<int>(s.entries.size())) << s.name.toStdString();
        for (int v = 0; v < ini.ValuesCount(s.name); ++v) {
            EXPECT_EQ(ini.ValueName(s.name, v), s.entries[static_cast<size_t>(v)].first);
            EXPECT_EQ(ini.Value(s.name, s.entries[static_cast<size_t>(v)].first.toUpper()),
                s.entries[static_cast<size_t>(v)].second);
        }
        for (const QString &name : names) {
            const auto *e = [&]() -> const std::pair<QString, QString> * {
                for (const auto &entry : s.entries) {
                    if (PlainIni::same(entry.first, name))
                        return &entry;
                }
                return nullptr;
            }();
            EXPECT_EQ(ini.ValueIfExists(s.name, name), e ? std::optional(e->second) : std::nullopt)
                << name.toStdString();
        }
    }
    EXPECT_EQ(ini.toText(), plain.text());
}

} // namespace

TEST(INI_Work, ParsesNamesValuesCommentsAndBlanks)
{
    const INI_Work ini = parse("; header comment\n"
                               "  [main]  \n"
                               "name=Борщ\n"
                               "  out = 250 ; grams\n"
                               "empty=\n"
                               "formula=a=b+c\n"
                               "=orphan\n"
                               "no equals sign\n"
                               "\n"
                               "[]\n"
                               "after=still main\n"
                               "[x\n"
                               "[second]\r\n"
                               "k=v\r\n");
    ASSERT_EQ(ini.SectionsCount(), 2);
    EXPECT_EQ(ini.SectionName(0), u"main");
    EXPECT_EQ(ini.SectionName(1), u"second");
    EXPECT_EQ(ini.Value(QStringLiteral("main"), QStringLiteral("name")), u"Борщ");
    EXPECT_EQ(ini.Value(QStringLiteral("main"), QStringLiteral("out")), u"250");
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("main"), QStringLiteral("empty")));
    EXPECT_EQ(ini.Value(QStringLiteral("main"), QStringLiteral("empty")), u"");
    EXPECT_EQ(ini.Value(QStringLiteral("main"), QStringLiteral("formula")), u"a=b+c"); // first "=" splits
    EXPECT_EQ(ini.Value(QStringLiteral("main"), QStringLiteral("after")), u"still main"); // "[]" ignored
    EXPECT_EQ(ini.ValuesCount(QStringLiteral("main")), 5);
    EXPECT_EQ(ini.Value(QStringLiteral("second"), QStringLiteral("k")), u"v");
}

TEST(INI_Work, LinesBeforeAnySectionAreIgnored)
{
    const INI_Work ini = parse("k=v\n[a]\nx=1\n");
    EXPECT_EQ(ini.SectionsCount(), 1);
    EXPECT_EQ(ini.ValuesCount(QStringLiteral("a")), 1);
}

TEST(INI_Work, NamesCompareWithoutCaseAndSettingReplaces)
{
    INI_Work ini = parse("[Main]\nKey=1\nkey=2\n[MAIN]\nother=3\n");
    EXPECT_EQ(ini.SectionsCount(), 1);
    EXPECT_EQ(ini.ValuesCount(QStringLiteral("main")), 2);
    EXPECT_EQ(ini.Value(QStringLiteral("main"), QStringLiteral("KEY")), u"2");
    ini.setValue(QStringLiteral("main"), QStringLiteral("KEY"), QStringLiteral("9"));
    EXPECT_EQ(ini.ValueName(QStringLiteral("main"), 0), u"Key");
    EXPECT_EQ(ini.Value(QStringLiteral("Main"), QStringLiteral("key")), u"9");
    ini.RemoveValue(QStringLiteral("main"), QStringLiteral("KEY"));
    EXPECT_FALSE(ini.ValueExists(QStringLiteral("main"), QStringLiteral("key")));
    ini.RemoveSection(QStringLiteral("MAIN"));
    EXPECT_EQ(ini.SectionsCount(), 0);
    EXPECT_EQ(ini.SectionName(5), u"");
    EXPECT_EQ(ini.ValueName(QStringLiteral("none"), 0), u"");
}

TEST(INI_Work, CyrillicNamesCompareWithoutCaseAndNearNamesStayApart)
{
    INI_Work ini = parse("[Позиция1]\nРПВ=1\nрпв=2\nАденин=3\nаденина=4\nFe=5\nfE=6\n");
    EXPECT_EQ(ini.ValuesCount(QStringLiteral("ПОЗИЦИЯ1")), 4);
    EXPECT_EQ(ini.Value(QStringLiteral("позиция1"), QStringLiteral("Рпв")), u"2");
    EXPECT_EQ(ini.ValueIfExists(QStringLiteral("позиция1"), QStringLiteral("АДЕНИН")), u"3");
    EXPECT_EQ(ini.ValueIfExists(QStringLiteral("позиция1"), QStringLiteral("Аденина")), u"4");
    EXPECT_EQ(ini.ValueIfExists(QStringLiteral("позиция1"), QStringLiteral("FE")), u"6");
    EXPECT_FALSE(ini.ValueIfExists(QStringLiteral("позиция1"), QStringLiteral("Аденинa"))); // Latin "a"
    EXPECT_FALSE(ini.ValueIfExists(QStringLiteral("позиция2"), QStringLiteral("Fe")));
    // An empty value exists.
    ini.setValue(QStringLiteral("позиция1"), QStringLiteral("пусто"), QString());
    ASSERT_TRUE(ini.ValueIfExists(QStringLiteral("Позиция1"), QStringLiteral("ПУСТО")));
    EXPECT_TRUE(ini.ValueIfExists(QStringLiteral("Позиция1"), QStringLiteral("ПУСТО"))->isEmpty());
}

// Random files of near names (letter case, blanks, comments, brackets and
// signs where they do not belong), then random changes: the reader answers
// as the plain rules do, and writes the same text.
TEST(INI_Work, AgreesWithThePlainRulesOnRandomFilesAndChanges)
{
    const QStringList pieces {QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("б"), QStringLiteral("Б"),
        QStringLiteral("ё"), QStringLiteral("Ё"), QStringLiteral("1"), QStringLiteral(" "), QStringLiteral("\t"),
        QStringLiteral("="), QStringLiteral(";"), QStringLiteral("["), QStringLiteral("]"), QStringLiteral("\r")};
    const QStringList names {QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("б"), QStringLiteral("аб"),
        QStringLiteral("АБ"), QStringLiteral("ё1"), QStringLiteral("Ё1"), QStringLiteral("a a"), QStringLiteral("1")};
    std::mt19937 random(20261207);
    const auto pick = [&](const QStringList &from) { return from[static_cast<qsizetype>(random() % from.size())]; };
    const auto junk = [&](int most) {
        QString s;
        for (int n = static_cast<int>(random() % static_cast<unsigned>(most + 1)); n > 0; --n)
            s += pick(pieces);
        return s;
    };
    for (int round = 0; round < 300; ++round) {
        QString text;
        for (int line = static_cast<int>(random() % 40); line > 0; --line) {
            switch (random() % 5) {
            case 0:
                text += junk(1) + u'[' + pick(names) + junk(1) + u']' + junk(2);
                break;
            case 1:
            case 2:
                text += junk(1) + pick(names) + junk(1) + u'=' + junk(4);
                break;
            default:
                text += junk(8);
            }
            text += random() % 4 ? QStringLiteral("\n") : QStringLiteral("\r\n");
        }
        INI_Work ini;
        ini.loadText(text);
        PlainIni plain;
        plain.load(text);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(ini.repeatedSections(), plain.repeated);
        EXPECT_EQ(ini.firstRepeatedSection(),
            plain.repeated.isEmpty() ? std::nullopt : std::optional(plain.repeated.first()));
        for (const qsizetype limit : {0, 1, 3}) {
            std::optional<std::pair<QString, QString>> longer;
            for (const auto &s : plain.sections) {
                for (const auto &e : s.entries) {
                    if (!longer && e.second.size() > limit)
                        longer = std::pair {s.name, e.first};
                }
            }
            EXPECT_EQ(ini.firstValueLongerThan(limit), longer);
        }
        expectSame(ini, plain, names);
        for (int change = 0; change < 6 && !HasFailure(); ++change) {
            const QString section = plain.sections.empty() || random() % 4 == 0
                ? pick(names)
                : plain.sections[random() % plain.sections.size()].name;
            const QString name = pick(names);
            switch (random() % 5) {
            case 0:
            case 1: {
                const QString value = junk(3).remove(u'\n');
                ini.setValue(section.toUpper(), name, value);
                plain.set(section.toUpper(), name, value);
                break;
            }
            case 2:
                ini.RemoveValue(section, name.toUpper());
                if (PlainIni::Section *s = plain.find(section))
                    std::erase_if(s->entries, [&](const auto &e) { return PlainIni::same(e.first, name); });
                break;
            case 3:
                ini.RemoveSection(section.toLower());
                std::erase_if(plain.sections, [&](const auto &s) { return PlainIni::same(s.name, section); });
                break;
            default:
                ini.AddSection(section);
                if (!plain.find(section))
                    plain.sections.push_back({section, {}});
            }
            expectSame(ini, plain, names);
        }
        if (HasFailure())
            return;
    }
}

TEST(INI_Work, TheFirstValueOverALengthIsNamedWithItsSection)
{
    INI_Work ini = parse("[a]\nk=12\n[b]\nx=1\nlong=12345\nlonger=123456\n");
    EXPECT_FALSE(ini.firstValueLongerThan(6));
    const auto found = ini.firstValueLongerThan(4);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->first, u"b");
    EXPECT_EQ(found->second, u"long");
}

TEST(INI_Work, WritesCp1251WithAnEmptyLineAfterEachSectionAndReadsItBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dish.nd2"));
    INI_Work ini;
    ini.setFilename(path); // missing file: empty content
    ini.setValue(QStringLiteral("main"), QStringLiteral("name"), QStringLiteral("Суп-пюре"));
    ini.setValue(QStringLiteral("main"), QStringLiteral("out"), QStringLiteral("250"));
    ini.setValue(QStringLiteral("pos1"), QStringLiteral("prod"), QStringLiteral("Морковь"));
    ASSERT_TRUE(ini.UpdateFile().ok());

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes,
        encodeCodePage(u"[main]\r\nname=Суп-пюре\r\nout=250\r\n\r\n[pos1]\r\nprod=Морковь\r\n\r\n", CodePage::Cp1251));

    ScriptedPrompter p;
    INI_Work back(&p);
    back.setFilename(path);
    EXPECT_EQ(back.Value(QStringLiteral("main"), QStringLiteral("name")), u"Суп-пюре");
    EXPECT_EQ(back.Value(QStringLiteral("pos1"), QStringLiteral("prod")), u"Морковь");
    EXPECT_EQ(p.statuses().last(), u"Файл закрыт");
}

TEST(INI_Work, Utf8FileWithByteOrderMarkIsReadAsUtf8)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("menu.ini"));
    writeBytes(path, QByteArray("\xEF\xBB\xBF") + QStringLiteral("[Меню]\nЗавтрак=1\n").toUtf8());
    INI_Work ini;
    ini.setFilename(path);
    EXPECT_EQ(ini.Value(QStringLiteral("меню"), QStringLiteral("Завтрак")), u"1");
}

TEST(INI_Work, FailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing-folder/x.ini"));
    INI_Work ini;
    ini.setFilename(path);
    ini.setValue(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"));
    EXPECT_FALSE(ini.UpdateFile().ok());
    EXPECT_FALSE(QFile::exists(path));
}

TEST(BasePerIni, MirrorsTheSettingsItNames)
{
    test::TempSettings t;
    t->save(Section::Documents, QStringLiteral("Raschet2"), QStringLiteral("25"));
    t->save(Section::UserInterface, QStringLiteral("boolAnim"), QStringLiteral("1"));
    const SharedSettings shared = SharedSettings::load(t.store(), {t.folder(), t.folder(), QString(), t.folder()});
    ScriptedPrompter p;
    const QString path = t.folder() + QStringLiteral("/base_per.ini");
    ASSERT_TRUE(writeBasePerIni(path, t.store(), shared, p).ok());
    INI_Work ini;
    ini.setFilename(path);
    EXPECT_EQ(ini.Value(QStringLiteral("data"), QStringLiteral("Dir_book")), shared.dirBook());
    EXPECT_EQ(ini.Value(QStringLiteral("Documents"), QStringLiteral("Raschet1")), u"10");
    EXPECT_EQ(ini.Value(QStringLiteral("Documents"), QStringLiteral("Raschet2")), u"25");
    EXPECT_EQ(ini.Value(QStringLiteral("Documents"), QStringLiteral("Raschet1k")), u"10000");
    EXPECT_EQ(ini.Value(QStringLiteral("Menu"), QStringLiteral("boolAnim")), u"True");
    EXPECT_EQ(ini.Value(QStringLiteral("Menu"), QStringLiteral("intStep")), u"1");
    EXPECT_TRUE(p.shown().empty());
}

TEST(BasePerIni, UnwritableFileIsReportedWithTheProgramsWords)
{
    test::TempSettings t;
    const SharedSettings shared = SharedSettings::load(t.store(), {t.folder(), t.folder(), QString(), t.folder()});
    ScriptedPrompter p;
    EXPECT_FALSE(writeBasePerIni(t.folder() + QStringLiteral("/no/such/dir/base_per.ini"), t.store(), shared, p).ok());
    ASSERT_EQ(p.shown().size(), 1u);
    EXPECT_EQ(p.shown()[0].text, u"Нет доступа к инитиализационному файлу системы\nОшибка инитиализации программы");
    EXPECT_EQ(p.shown()[0].title, u"Ошибка");
}
