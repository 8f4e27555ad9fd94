#include "MenuTestSupport.h"

#include "menus/MealList.h"
#include "menus/MenuArchive.h"
#include "menus/MenuVariants.h"
#include "shell/BaseCopy.h"

#include <QFileInfo>

#include <functional>
#include <utility>

using namespace kulvera;
using namespace kulvera::test;

namespace {

int countRows(const QString &path)
{
    const QString name = QStringLiteral("count_") + QFileInfo(path).fileName();
    int n = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            SqlStatement q(db, QStringLiteral("SELECT COUNT(*) FROM base_temp"));
            if (q.exec() && q.next())
                n = q.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return n;
}

// Answers as scripted and, once the copy is made and before the base is cleared
// (the status `when`), runs `meanwhile`: another workstation saving a ration then.
class WritingMeanwhile : public ScriptedPrompter
{
public:
    std::function<void()> meanwhile;
    QString when = QStringLiteral("Очистка базы...");
    void status(const QString &text) override
    {
        ScriptedPrompter::status(text);
        if (text == when && meanwhile)
            std::exchange(meanwhile, nullptr)();
    }
};

} // namespace

TEST(MenuArchive, ArchiveCopiesTheRationsAndClearsTheBase)
{
    MenuFixture f;
    ASSERT_TRUE(f.base.save(f.lunch(QString())));
    const int rows = f.rows();
    const QDate today(2026, 4, 7);
    auto &p = f.t.prompter();

    p.expect(QStringLiteral("Создать резервную копию базы меню рационов?"), Prompter::Answer::No);
    EXPECT_FALSE(archiveMenuBase(f.base, f.t.shared(), f.t.root(), today));
    EXPECT_EQ(f.rows(), rows);

    p.expect(QStringLiteral("файл - 'arc_20260407.db'"), Prompter::Answer::Yes);
    const Result<QString> archive = archiveMenuBase(f.base, f.t.shared(), f.t.root(), today);
    ASSERT_TRUE(archive) << archive.error().toStdString();
    EXPECT_EQ(QFileInfo(archive.value()).fileName(), u"arc_20260407.db");
    EXPECT_EQ(QFileInfo(archive.value()).absolutePath(), QFileInfo(menuArchiveFolder(f.t.shared())).absoluteFilePath());
    EXPECT_EQ(countRows(archive.value()), rows);
    EXPECT_EQ(f.rows(), 0);
    EXPECT_TRUE(p.saw(QStringLiteral("Сделана резервная копия базы!")));
    EXPECT_TRUE(p.statuses().contains(QStringLiteral("Копирование базы меню...")));
    {
        // The archive is a menu base file whichever engine held the base: it opens as one and
        // gives the ration back.
        const int n = f.t.connections().connect(archive.value(), QStringLiteral("Base"), true);
        ASSERT_NE(n, Connections::kFailed);
        const MenuBase archived(f.t.connections(), n, f.t.settings(), f.t.prompter(), f.codec);
        const Ration back = archived.load({f.day, QString()}).value();
        EXPECT_EQ(back.dishCount(), 3);
        EXPECT_EQ(back.dishName(1), u"Борщ");
        const SqlDialect &dialect = SqlDialect::of(f.db());
        EXPECT_EQ(
            SqlDialect::of(archived.database()).tables(archived.database()).size(), dialect.tables(f.db()).size());
        f.t.connections().disconnect(n);
    }

    // A second archive the same day: declining the replacement keeps both files as they were.
    ASSERT_TRUE(f.base.save(f.lunch(QStringLiteral("Ясли"))));
    p.expect(QStringLiteral("Создать резервную копию"), Prompter::Answer::Yes);
    p.expect(QStringLiteral("Файл архива: arc_20260407.db уже существует. Заменить его?"), Prompter::Answer::No);
    EXPECT_FALSE(archiveMenuBase(f.base, f.t.shared(), f.t.root(), today));
    EXPECT_EQ(countRows(archive.value()), rows);
    EXPECT_EQ(f.rows(), rows);
    EXPECT_TRUE(p.unexpected().isEmpty()) << p.unexpected().join(u'\n').toStdString();
}

TEST(MenuArchive, ARationSavedWhileTheCopyIsMadeRefusesTheArchiveAndStays)
{
    MenuFixture f;
    ASSERT_TRUE(f.base.save(f.lunch(QString())));
    WritingMeanwhile p;
    const MenuBase archiving(f.t.connections(), kMenu, f.t.settings(), p, f.codec);
    p.meanwhile = [&] { EXPECT_TRUE(f.base.save(f.lunch(QStringLiteral("Ясли")))); };
    p.expect(QStringLiteral("Создать резервную копию"), Prompter::Answer::Yes);
    EXPECT_FALSE(archiveMenuBase(archiving, f.t.shared(), f.t.root(), QDate(2026, 4, 7)));
    EXPECT_FALSE(p.meanwhile);
    EXPECT_TRUE(p.saw(QStringLiteral("изменено другим пользователем во время копирования")));
    EXPECT_EQ(f.base.load({f.day, QString()})->dishCount(), 3);
    EXPECT_EQ(f.base.load({f.day, QStringLiteral("Ясли")})->dishCount(), 3);
    // Neither the archive nor its staged copy is left in the folder.
    EXPECT_EQ(QDir(menuArchiveFolder(f.t.shared())).entryList(QDir::Files), QStringList());
}

TEST(MenuArchive, ArchiveBaseItselfIsNotArchived)
{
    MenuFixture f;
    ASSERT_TRUE(f.base.save(f.lunch(QString())));
    {
        const QString folder = menuArchiveFolder(f.t.shared());
        QDir().mkpath(folder);
        const QString archived = QDir(folder).filePath(QStringLiteral("arc_20260101.db"));
        ASSERT_TRUE(writeBaseFile(f.db(), BaseId::Menu, archived, f.t.settings()));
        const int number = f.t.connections().connect(archived, QStringLiteral("Base"), true);
        MenuBase archive(f.t.connections(), number, f.t.settings(), f.t.prompter(), f.codec);
        EXPECT_FALSE(archiveMenuBase(archive, f.t.shared(), f.t.root(), QDate(2026, 4, 7)));
        EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Нельзя копировать архивную базу!")));
        EXPECT_EQ(countRows(archived), f.rows());
    }
}

TEST(MenuArchive, MovingRefusesMismatchedColumnsAndChangesNothing)
{
    MenuFixture f;
    ASSERT_TRUE(f.base.save(f.lunch(QString())));
    const int rows = f.rows();
    const QString target = f.t.path(QStringLiteral("other_menu.db"));
    ASSERT_TRUE(createBaseFile(target, BaseId::Menu, f.t.settings()));
    {
        const int n = f.t.connections().connect(target, QStringLiteral("Base"), true);
        ASSERT_TRUE(
            execSql(f.t.connections().database(n), QStringLiteral("ALTER TABLE base_temp ADD COLUMN l33 TEXT")));
        ASSERT_TRUE(execSql(f.t.connections().database(n), QStringLiteral("INSERT INTO base_temp (l1) VALUES ('x')")));
        f.t.connections().disconnect(n);
    }
    EXPECT_FALSE(moveRationsTo(f.base, target, false, f.t.root(), QDate(2026, 4, 7)));
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Различается количество колонок")));
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Базы данных не совместимы! ")));
    EXPECT_EQ(f.rows(), rows);
    EXPECT_EQ(countRows(target), 1);

    EXPECT_FALSE(moveRationsTo(f.base, f.t.path(QStringLiteral("missing.db")), false, f.t.root(), QDate(2026, 4, 7)));
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Не найдена конечная база: ")));
    EXPECT_EQ(f.rows(), rows);
}

TEST(MenuArchive, MovingCopiesInOrderAndClearsTheSource)
{
    MenuFixture f;
    const Ration r = f.lunch(QStringLiteral("Ясли"));
    ASSERT_TRUE(f.base.save(r));
    const int rows = f.rows();
    const QString target = f.t.path(QStringLiteral("new_menu.db"));
    ASSERT_TRUE(moveRationsTo(f.base, target, true, f.t.root(), QDate(2026, 4, 7)));
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Архивирование закончено")));
    EXPECT_EQ(f.rows(), 0);
    EXPECT_EQ(countRows(target), rows);

    const int n = f.t.connections().connect(target, QStringLiteral("Base"), true);
    const MenuBase moved(f.t.connections(), n, f.t.settings(), f.t.prompter(), f.codec);
    const Ration back = moved.load({f.day, QStringLiteral("Ясли")}).value();
    ASSERT_EQ(back.dishCount(), r.dishCount());
    EXPECT_EQ(back.mealName(1), u"Обед");
    EXPECT_EQ(back.dishName(1), u"Борщ");
}

TEST(MenuArchive, ARationSavedWhileTheMoveCopiesRefusesTheMoveAndStays)
{
    MenuFixture f;
    ASSERT_TRUE(f.base.save(f.lunch(QString())));
    WritingMeanwhile p;
    p.when = QStringLiteral("Очищаем исходную базу...");
    const MenuBase moving(f.t.connections(), kMenu, f.t.settings(), p, f.codec);
    p.meanwhile = [&] { EXPECT_TRUE(f.base.save(f.lunch(QStringLiteral("Ясли")))); };
    const QString target = f.t.path(QStringLiteral("new_menu.db"));
    EXPECT_FALSE(moveRationsTo(moving, target, true, f.t.root(), QDate(2026, 4, 7)));
    EXPECT_FALSE(p.meanwhile);
    EXPECT_TRUE(p.saw(QStringLiteral("изменено другим пользователем во время копирования")));
    EXPECT_EQ(f.base.load({f.day, QString()})->dishCount(), 3);
    EXPECT_EQ(f.base.load({f.day, QStringLiteral("Ясли")})->dishCount(), 3);
    // The base made for the move goes with it.
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST(MenuLists, MealsAskAndKeepTheirOrder)
{
    TempBases t;
    MealList meals(t.settings(), t.prompter());
    EXPECT_EQ(meals.names(), QStringList({QStringLiteral("Завтрак")}));
    auto &p = t.prompter();
    p.expectInput(QStringLiteral("Введите название приема:"), QStringLiteral("Обед"));
    EXPECT_EQ(meals.addAsking().value_or(QString()), u"Обед");
    p.expectInput(QStringLiteral("Введите название приема:"), QStringLiteral("Обед"));
    EXPECT_FALSE(meals.addAsking());
    p.expectInput(QStringLiteral("Введите новое наименование приема"), QStringLiteral("Второй завтрак"));
    EXPECT_TRUE(meals.renameAsking(0));
    EXPECT_EQ(t.settings().get(Section::Data, QStringLiteral("sMenuStr")), u"Второй завтрак<Str>Обед<Str>");
    p.expect(QStringLiteral("Удалить прием 'Обед' из списка?"), Prompter::Answer::No);
    EXPECT_FALSE(meals.removeAsking(1));
    p.expect(QStringLiteral("Удалить прием 'Обед' из списка?"), Prompter::Answer::Yes);
    EXPECT_TRUE(meals.removeAsking(1));
    EXPECT_EQ(meals.names(), QStringList({QStringLiteral("Второй завтрак")}));
    EXPECT_TRUE(p.unexpected().isEmpty());
}

TEST(MenuLists, VariantsAddRenameAndDelete)
{
    MenuFixture f;
    MenuVariants variants(f.base);
    auto &p = f.t.prompter();
    p.expectInput(QStringLiteral("Введите наименование:"), QStringLiteral("Ясли 'А'"));
    const std::optional<int> id = variants.addAsking();
    ASSERT_TRUE(id);
    ASSERT_TRUE(variants.add(QString()));
    p.expectInput(QStringLiteral("Введите новое название:"), QStringLiteral("Сад"));
    EXPECT_TRUE(variants.renameAsking(*id));
    const auto list = variants.list().value();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, u"Сад");
    EXPECT_EQ(groupCaption(list[1].name), u"(без имени)");
    p.expect(QStringLiteral("Удалить - 'Сад'"), Prompter::Answer::Yes);
    EXPECT_TRUE(variants.removeAsking(*id));
    EXPECT_EQ(variants.list()->size(), 1u);
    EXPECT_TRUE(p.unexpected().isEmpty());
}

TEST(MenuArchive, ABaseMadeForAFailedMoveIsNotLeftBehind)
{
    MenuFixture f;
    // A source base without its ration table.
    ASSERT_TRUE(execSql(f.db(), QStringLiteral("DROP TABLE base_temp")));
    const QString target = f.t.path(QStringLiteral("made_for_move.db"));
    EXPECT_FALSE(moveRationsTo(f.base, target, true, f.t.root(), QDate(2026, 4, 7)));
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("База не содержит меню")));
    EXPECT_FALSE(QFileInfo::exists(target));
}
