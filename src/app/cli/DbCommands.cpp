#include "CliCommand.h"
#include "CliEnvironment.h"
#include "SeedData.h"

#include "shell/BaseCopy.h"
#include "shell/Databases.h"
#include "shell/DbMaintenance.h"
#include "shell/DbStructure.h"
#include "shell/SettingsStore.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

namespace kulvera {
namespace {

int usage(CliRun &run)
{
    run.err << "Usage: db init [FOLDER] | db init --engine postgres CONNINFO | db check | db compact BASE | "
               "db query BASE \"SELECT ...\" | db copy --from sqlite:FOLDER|postgres:CONNINFO --to ...\n";
    return kExitUsage;
}

// Every base's schema on the server, seeded as a first start seeds a new installation.
int dbInitServer(CliRun &run, CliEnvironment &env)
{
    if (run.args.size() != 4 || run.args[2] != u"postgres")
        return usage(run);
    const Result<ServerSettings> server = parseConnInfo(run.args[3]);
    if (!server) {
        run.err << server.error() << '\n';
        return kExitUsage;
    }
    const auto created = deployServerBases(server.value(), run.settings);
    if (!created) {
        run.err << created.error() << '\n';
        return kExitFailed;
    }
    for (const QString &path : created.value())
        run.out << "created " << path << '\n';
    run.out << created->size() << " bases created on " << server->database << '\n';
    env.connections().setServer(server.value());
    const Status seeded = seedDefaultBases(env.connections(), run.settings, env.shared());
    if (!seeded) {
        run.err << "Seed data not loaded: " << seeded.error() << '\n';
        return kExitFailed;
    }
    run.out << "seed data loaded\n";
    run.out << "The program uses these bases once its settings name the server (Data: DbEngine=PostgreSQL, PgHost, "
               "PgPort, PgDatabase, PgUser, PgPassFile).\n";
    return kExitOk;
}

// Copies every base of an installation between the engines, one transaction per base,
// with the row count and checksum of every table compared after the copy.
int dbCopy(CliRun &run)
{
    if (run.args.size() != 5 || run.args[1] != u"--from" || run.args[3] != u"--to")
        return usage(run);
    const Result<BaseLocation> from = parseBaseLocation(run.args[2]);
    const Result<BaseLocation> to = parseBaseLocation(run.args[4]);
    if (!from || !to) {
        run.err << (from ? to.error() : from.error()) << '\n';
        return kExitUsage;
    }
    int copied = 0, failed = 0;
    for (BaseId base : deployedBases()) {
        const Result<BaseCopyReport> report = copyBase(base, from.value(), to.value(), run.settings);
        if (!report) {
            run.err << report.error() << '\n';
            ++failed;
            continue;
        }
        if (report->skipped) {
            run.out << baseName(base) << ": not at the source, skipped\n";
            continue;
        }
        ++copied;
        run.out << baseName(base) << ": " << report->tables.size() << " tables copied and verified\n";
        for (const TableCheck &t : report->tables)
            run.out << "  " << t.table << '\t' << t.rows << " rows\tsha256 " << t.checksum << '\n';
    }
    run.out << copied << " bases copied, " << failed << " failed\n";
    return failed == 0 ? kExitOk : kExitFailed;
}

int dbInit(CliRun &run, CliEnvironment &env)
{
    if (run.args.size() > 1 && run.args[1] == u"--engine")
        return dbInitServer(run, env);
    const QString folder = run.args.size() > 1 ? QDir(run.args[1]).absolutePath() : env.shared().databasesFolder();
    const auto created = deployDefaultBases(folder, run.settings);
    if (!created) {
        run.err << created.error() << '\n';
        return kExitFailed;
    }
    for (const QString &path : created.value())
        run.out << "created " << path << '\n';
    run.out << created->size() << " bases created in " << folder << '\n';
    // Seed data goes into the bases of the folder just deployed.
    env.connections().setDefaultFolder(folder);
    env.shared().set(Section::Data, QStringLiteral("Dir_book"), QFileInfo(folder).absolutePath());
    env.shared().set(Section::Data, QStringLiteral("Dir_of_Base"), QFileInfo(folder).fileName());
    const Status seeded = seedDefaultBases(env.connections(), run.settings, env.shared());
    if (!seeded) {
        run.err << "Seed data not loaded: " << seeded.error() << '\n';
        return kExitFailed;
    }
    run.out << "seed data loaded\n";
    return kExitOk;
}

int dbCheck(CliRun &run, CliEnvironment &env)
{
    Connections &connections = env.connections();
    bool allConnected = true;
    for (const ConnectOutcome &o : connectStartupBases(connections, env.shared())) {
        const CatalogueEntry &e = catalogueEntry(o.base);
        run.out << QStringLiteral("%1 %2 %3 ")
                       .arg(static_cast<int>(o.base), 2)
                       .arg(baseName(o.base), -14)
                       .arg(QString::fromUtf16(e.role), -40);
        if (o.number == Connections::kFailed) {
            run.out << "NOT CONNECTED " << basePath(o.base, run.settings, env.shared()) << '\n';
            allConnected = false;
        } else {
            run.out << "ok " << o.path << '\n';
        }
    }
    attachExternalTables(connections);
    const Status upgraded = upgradeStructure(connections, run.settings, [&](const QString &line) {
        if (line.contains(u"создаем"))
            run.out << line << '\n';
    });
    if (!upgraded) {
        run.err << "Structure upgrade failed: " << upgraded.error() << '\n';
        return kExitFailed;
    }
    run.out << (allConnected ? "Все базы данных подключены!" : "Some bases are missing (db init creates them).")
            << '\n';
    run.out << "Базы данных проверены." << '\n';
    return allConnected ? kExitOk : kExitFailed;
}

int dbCompact(CliRun &run, CliEnvironment &env)
{
    if (run.args.size() != 2)
        return usage(run);
    const auto base = baseFromName(run.args[1]);
    if (!base) {
        run.err << "Unknown base: " << run.args[1] << '\n';
        return kExitUsage;
    }
    const int number = env.connections().connectBase(*base, env.shared(), true);
    if (number == Connections::kFailed) {
        run.err << "Cannot connect " << basePath(*base, run.settings, env.shared()) << '\n';
        return kExitFailed;
    }
    const qint64 before = QFileInfo(env.connections().path(number)).size();
    const Status s = compactBase(env.connections(), number, identifyingTable(*base, run.settings), env.tempFolder(),
        QDate::currentDate(), run.settings);
    if (!s)
        return kExitFailed;
    run.out << env.connections().path(number) << ": " << before << " -> "
            << QFileInfo(env.connections().path(number)).size() << " bytes\n";
    return kExitOk;
}

// Prints a query's rows, tab-separated, under a header line.
int printQuery(CliRun &run, const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql)) {
        run.err << q.lastError().text() << '\n';
        return kExitFailed;
    }
    const QSqlRecord r = q.record();
    QStringList header;
    for (int i = 0; i < r.count(); ++i)
        header << r.fieldName(i);
    run.out << header.join(u'\t') << '\n';
    int rows = 0;
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < r.count(); ++i)
            cells << q.value(i).toString();
        run.out << cells.join(u'\t') << '\n';
        ++rows;
    }
    run.err << rows << " rows\n";
    return kExitOk;
}

int dbQuery(CliRun &run, CliEnvironment &env)
{
    if (run.args.size() != 3)
        return usage(run);
    const auto base = baseFromName(run.args[1]);
    if (!base) {
        run.err << "Unknown base: " << run.args[1] << '\n';
        return kExitUsage;
    }
    if (env.connections().onServer()) {
        // The base's own session, in a read-only transaction: the query cannot change the base.
        const int number = env.connections().connectBase(*base, env.shared(), true);
        if (number == Connections::kFailed) {
            run.err << "Cannot connect " << serverPath(*env.connections().server(), serverSchema(*base)) << '\n';
            return kExitFailed;
        }
        const QSqlDatabase db = env.connections().database(number);
        QSqlQuery(db).exec(QStringLiteral("BEGIN READ ONLY"));
        const int code = printQuery(run, db, run.args[2]);
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return code;
    }
    const QString path = basePath(*base, run.settings, env.shared());
    if (!QFileInfo::exists(path)) {
        run.err << "No such base file: " << path << '\n';
        return kExitFailed;
    }
    // A read-only connection of its own: the query cannot change the base.
    const QString name = QStringLiteral("kv_query_") + QUuid::createUuid().toString(QUuid::Id128);
    int code = kExitOk;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=10000"));
        if (!db.open()) {
            run.err << db.lastError().text() << '\n';
            code = kExitFailed;
        } else {
            code = printQuery(run, db, run.args[2]);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return code;
}

int dbCommand(CliRun &run)
{
    if (run.args.isEmpty())
        return usage(run);
    CliEnvironment env(run);
    const QString &verb = run.args[0];
    if (verb == u"init")
        return dbInit(run, env);
    if (verb == u"check")
        return dbCheck(run, env);
    if (verb == u"compact")
        return dbCompact(run, env);
    if (verb == u"query")
        return dbQuery(run, env);
    if (verb == u"copy")
        return dbCopy(run);
    return usage(run);
}

const CliRegistrar registrar({QStringLiteral("db"),
    QStringLiteral("db init [FOLDER] | init --engine postgres CONNINFO | check | compact BASE | query BASE "
                   "\"SELECT ...\" | copy --from sqlite:FOLDER|postgres:CONNINFO --to sqlite:FOLDER|postgres:CONNINFO"),
    QStringLiteral("deploy the default bases with their seed data (as files or on a PostgreSQL server), connect and "
                   "upgrade all, compact one, run a "
                   "read-only query, or copy every base between the engines with each table verified "
                   "(BASE: dishes, products, menu, warehouse, journals, ... or a file stem)"),
    dbCommand});

} // namespace
} // namespace kulvera
