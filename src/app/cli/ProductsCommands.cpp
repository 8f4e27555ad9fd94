#include "CliCommand.h"
#include "CliEnvironment.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "products/ProductBase.h"
#include "products/ProductFile.h"
#include "products/ProductSync.h"
#include "shell/Catalogue.h"
#include "shell/SettingsStore.h"

#include <QDir>

namespace kulvera {
namespace {

const QString kUsage
    = QStringLiteral("products list [--search TEXT] | show KEY | export-prod KEY FILE | import-prod FILE | sync");

int usage(CliRun &run)
{
    run.err << "Usage: " << kUsage << '\n';
    return kExitUsage;
}

std::optional<qint64> keyArgument(const QString &text)
{
    bool ok = false;
    const qint64 key = text.toLongLong(&ok);
    return ok && key > 0 ? std::optional<qint64>(key) : std::nullopt;
}

void showProduct(QTextStream &out, const ProductBase &base, const ProductRow &row)
{
    out << "Код\t" << row.key() << '\n'
        << "Имя2\t" << row.prod.FullName << '\n'
        << "Имя\t" << row.prod.ShortName << '\n'
        << "ГОСТ\t" << row.prod.ND << '\n'
        << "Источник\t" << row.source << '\n'
        << "Rast\t" << (row.rast ? "Да" : "Нет") << '\n'
        << "Код_Группы\t" << row.groupKey << '\n'
        << "Цена\t" << formatNumber(row.prod.Price) << '\n'
        << "Out\t" << formatNumber(row.out) << '\n'
        << "l72\t" << (row.l72 ? 1 : 0) << '\n'
        << "Выход сейчас\t" << formatNumber(base.currentOutput(row)) << '\n';
    for (const ProductBase::Variant &v : base.variantList(row)) {
        if (v.output || !v.name.isEmpty())
            out << "Вариант " << v.n << '\t' << v.name << '\t' << (v.output ? formatNumber(*v.output) : QString())
                << '\n';
    }
    for (const CompositionField &f : compositionFields()) {
        if (f.column)
            out << QString::fromUtf16(f.column) << '\t' << formatNumber(row.prod.*f.member) << '\t'
                << QString::fromUtf16(f.unit) << '\n';
    }
}

int productsCommand(CliRun &run)
{
    const QStringList &a = run.args;
    if (a.isEmpty())
        return usage(run);
    const QString verb = a[0];
    CliEnvironment env(run);
    SystemClock clock;
    if (verb == u"sync") {
        if (a.size() != 1)
            return usage(run);
        const Status s = synchronizeProductBase(env.connections(), run.settings, env.shared(), run.prompter);
        if (!s) {
            run.err << s.error() << '\n';
            return kExitFailed;
        }
        run.out << "Product base synchronised; the old base is kept as "
                << basePath(BaseId::Products, run.settings, env.shared()) << "_backup\n";
        return kExitOk;
    }
    if (env.connections().connectBase(BaseId::Products, env.shared(), true) == Connections::kFailed) {
        run.err << "Не удалось подключиться к базе продуктов: "
                << basePath(BaseId::Products, run.settings, env.shared()) << '\n';
        return kExitFailed;
    }
    ProductBase base(env.connections(), run.settings, run.prompter, clock);

    if (verb == u"list") {
        QString search;
        if (a.size() == 3 && a[1] == u"--search")
            search = a[2];
        else if (a.size() != 1)
            return usage(run);
        const auto rows = base.list();
        if (!rows) {
            run.err << rows.error() << '\n';
            return kExitFailed;
        }
        for (const ProductRow &row : *rows) {
            if (!search.isEmpty() && !row.prod.FullName.contains(search, Qt::CaseInsensitive)
                && !row.prod.ShortName.contains(search, Qt::CaseInsensitive))
                continue;
            run.out << row.key() << '\t' << row.prod.FullName << '\t' << row.prod.ShortName << '\t'
                    << formatNumber(base.currentOutput(row)) << '\n';
        }
        return kExitOk;
    }
    if (verb == u"show" || verb == u"export-prod") {
        if ((verb == u"show" && a.size() != 2) || (verb == u"export-prod" && a.size() != 3))
            return usage(run);
        const auto key = keyArgument(a[1]);
        if (!key) {
            run.err << "Not a product key: " << a[1] << '\n';
            return kExitUsage;
        }
        const auto row = base.findQuiet(*key);
        if (!row) {
            run.err << productNotFoundText(*key, env.connections().path(static_cast<int>(BaseId::Products))) << '\n';
            return kExitFailed;
        }
        if (verb == u"show") {
            showProduct(run.out, base, *row);
            return kExitOk;
        }
        const QString path = QDir(a[2]).absolutePath();
        const Status s = saveProductToFile(run.prompter, path, *row, QString::number(*key));
        if (!s) {
            run.err << s.error() << '\n';
            return kExitFailed;
        }
        run.out << "Сохранили продукт в файл: " << path << '\n';
        return kExitOk;
    }
    if (verb == u"import-prod") {
        if (a.size() != 2)
            return usage(run);
        const auto key = importProductFile(base, QDir(a[1]).absolutePath());
        if (!key) {
            run.err << key.error() << '\n';
            return kExitFailed;
        }
        run.out << "added " << *key << '\n';
        return kExitOk;
    }
    return usage(run);
}

const CliRegistrar productsRegistrar({QStringLiteral("products"), kUsage,
    QStringLiteral("list, show, export and import products (.prod), synchronise the "
                   "product base with its delivered copy"),
    productsCommand});

} // namespace
} // namespace kulvera
