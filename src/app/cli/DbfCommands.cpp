#include "CliCommand.h"
#include "CliEnvironment.h"
#include "DbfExports.h"
#include "shell/SettingsStore.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "interchange/clsDBF.h"

namespace kulvera {
namespace {

QString shownValue(const QVariant &v)
{
    if (v.isNull() && v.typeId() != QMetaType::QString)
        return {};
    switch (v.typeId()) {
    case QMetaType::Double:
        return formatNumber(v.toDouble());
    case QMetaType::QDate:
        return formatTextDate(v.toDate());
    case QMetaType::QDateTime:
        return formatTextDate(v.toDateTime().date()) + u' '
            + v.toDateTime().time().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("T") : QStringLiteral("F");
    case QMetaType::QByteArray:
        return QStringLiteral("0x") + QString::fromLatin1(v.toByteArray().toHex());
    default:
        return v.toString();
    }
}

QString codePageName(CodePage page)
{
    return page == CodePage::Cp866 ? QStringLiteral("866") : QStringLiteral("1251");
}

int dumpCommand(CliRun &run)
{
    QStringList args = run.args;
    std::optional<CodePage> page;
    const qsizetype cp = args.indexOf(QStringLiteral("--cp"));
    if (cp >= 0) {
        if (cp + 1 >= args.size() || (args[cp + 1] != u"866" && args[cp + 1] != u"1251")) {
            run.err << "Usage: dbf dump FILE [--cp 866|1251]\n";
            return kExitUsage;
        }
        page = args[cp + 1] == u"866" ? CodePage::Cp866 : CodePage::Cp1251;
        args.remove(cp, 2);
    }
    if (args.size() != 1) {
        run.err << "Usage: dbf dump FILE [--cp 866|1251]\n";
        return kExitUsage;
    }
    clsDBF db(run.prompter);
    if (!db.OpenFile(args[0], page))
        return kExitFailed;
    run.out << "File: " << args[0] << '\n'
            << "Type: " << db.FileTypeByte() << " (" << db.GetFileType() << ")\n"
            << "Code page mark: " << db.CodePageMark() << ", text in " << codePageName(db.GetCharSet()) << '\n'
            << "Last update: " << formatTextDate(db.LastDateUpdate()) << '\n'
            << "Header length: " << db.HeaderLength() << ", record length: " << db.RecordLength() << '\n'
            << "Records: " << db.RecordCount() << '\n'
            << "Memo file: " << (db.HasMemoFile() ? QStringLiteral("yes") : QStringLiteral("no")) << '\n'
            << "Fields: " << db.FieldsCount() << '\n';
    for (int i = 0; i < db.FieldsCount(); ++i)
        run.out << "  " << i << ' ' << db.GetFieldName(i) << ' ' << db.GetFieldTypeOriginal(i) << ' '
                << db.GetFieldSize(i) << ' ' << db.GetFieldDecPlaces(i) << " dao=" << db.GetFieldTypeForDAO(i) << '\n';
    int failures = 0;
    for (Status s = db.MoveFirst(); !db.NoRecord(); s = db.MoveNext()) {
        if (!s)
            return kExitFailed;
        run.out << '#' << db.AbsolutePosition() << (db.RecordIsDeleted() ? " *" : "");
        for (int i = 0; i < db.FieldsCount(); ++i) {
            auto value = db.GetFieldValue(i);
            run.out << (i == 0 ? " " : " | ") << db.GetFieldName(i) << '=';
            if (value)
                run.out << shownValue(*value);
            else {
                run.out << '?';
                ++failures;
            }
        }
        run.out << '\n';
    }
    return failures == 0 ? kExitOk : kExitFailed;
}

int dbfCommand(CliRun &run)
{
    if (run.args.isEmpty()) {
        run.err << "Usage: dbf dump FILE [--cp 866|1251] | dbf export-products FILE | dbf export-recipes TABLE FILE\n";
        return kExitUsage;
    }
    const QString verb = run.args.first();
    CliRun rest {run.args.mid(1), run.prompter, run.settings, run.out, run.err};
    if (verb == u"dump")
        return dumpCommand(rest);
    if (verb == u"export-products") {
        if (rest.args.size() != 1) {
            run.err << "Usage: dbf export-products FILE\n";
            return kExitUsage;
        }
        CliEnvironment env(run);
        const auto exported
            = exportProductsToDbf(env.connections(), run.settings, env.shared(), run.prompter, rest.args[0]);
        if (!exported) {
            run.err << exported.error() << '\n';
            return kExitFailed;
        }
        run.out << exported.value() << " products exported to " << rest.args[0] << '\n';
        return kExitOk;
    }
    if (verb == u"export-recipes") {
        if (rest.args.size() != 2) {
            run.err << "Usage: dbf export-recipes TABLE FILE\n";
            return kExitUsage;
        }
        CliEnvironment env(run);
        const auto exported = exportRecipesToDbf(
            env.connections(), run.settings, env.shared(), run.prompter, rest.args[0], rest.args[1]);
        if (!exported) {
            run.err << exported.error() << '\n';
            return kExitFailed;
        }
        run.out << exported.value() << " recipes exported to " << rest.args[1] << '\n';
        return kExitOk;
    }
    run.err << "Usage: dbf dump FILE [--cp 866|1251] | dbf export-products FILE | dbf export-recipes TABLE FILE\n";
    return kExitUsage;
}

const CliRegistrar registrar({QStringLiteral("dbf"),
    QStringLiteral("dbf dump FILE [--cp 866|1251] | export-products FILE | export-recipes TABLE FILE"),
    QStringLiteral("show a DBF table (header, fields, records as UTF-8); export products or recipes to DBF"),
    dbfCommand});

} // namespace
} // namespace kulvera
