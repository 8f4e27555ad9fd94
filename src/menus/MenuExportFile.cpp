#include "menus/MenuExportFile.h"

#include "common/Prompter.h"
#include "common/TextDate.h"
#include "menus/MenuBase.h"
#include "menus/MenuBinaryFile.h"
#include "menus/MenuDateList.h"
#include "shell/Connections.h"
#include "shell/SettingDefaults.h"
#include "shell/SharedSettings.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QFile>
#include <QFileInfo>

#include <set>

namespace kulvera {
namespace {

constexpr int kColumns = MenuBase::kRowColumns;
constexpr qint32 kHeaderCount = 5;

QStringList exportedColumns()
{
    QStringList c;
    for (int n = 1; n <= kColumns; ++n)
        c << QStringLiteral("l") + QString::number(n);
    return c;
}

Result<RationImportSummary> refuse(Prompter &prompter, const QString &text)
{
    prompter.status(QString());
    prompter.error(text, kMenuImportTitle.toString());
    return Result<RationImportSummary>::failure(text);
}

QString incompatible(const QString &path)
{
    return QStringLiteral("Файл '") + path + QStringLiteral("' не совместим!");
}

QString damaged(const QString &path)
{
    return QStringLiteral("Файл '") + path + QStringLiteral("' поврежден. База меню не изменена.");
}

} // namespace

Result<int> saveMenuExportFile(
    const MenuBase &base, const std::vector<QDate> &days, const QString &path, const MenuExportOptions &options)
{
    using R = Result<int>;
    Prompter &prompter = base.prompter();
    const QString title = kMenuExportTitle.toString();
    const auto fail = [&](const QString &text) {
        if (!text.isEmpty())
            prompter.error(text, title);
        return R::failure(text);
    };
    if (const Status target = checkMenuFileTarget(
            prompter, title, path, days.empty(), options.askReplace, QStringLiteral("ReplaceMenuExportFile"));
        !target)
        return fail(target.error());

    const QSqlDatabase db = base.database();
    const QStringList columns = exportedColumns();
    QString select;
    for (const QString &c : columns)
        select += (select.isEmpty() ? QString() : QStringLiteral(", ")) + u'"' + c + u'"';
    QVariantList params;
    QString marks;
    for (const QDate &d : days) {
        params << base.codec().encode(formatTextDate(d));
        marks += params.size() > 1 ? QStringLiteral(", ?") : QStringLiteral("?");
    }
    SqlStatement q(db,
        QStringLiteral("SELECT ") + select + QStringLiteral(" FROM ") + SqlDialect::of(db).quote(base.table())
            + QStringLiteral(" WHERE \"l26\" IN (") + marks + QStringLiteral(") ORDER BY \"ID\""),
        &base.connections().errorLog());
    if (const Status s = q.exec(params); !s)
        return fail(s.error());
    MenuFileWriter rows;
    int count = 0;
    while (q.next()) {
        for (int c = 0; c < kColumns; ++c) {
            const QVariant v = q.value(c);
            rows.putScrambled(v.isNull() ? QString() : base.codec().decode(v.toString()));
        }
        ++count;
    }
    if (count == 0)
        return fail(QStringLiteral("На указанные даты меню отсутствует!"));

    MenuFileWriter out;
    out.putPlain(kMenuExportSignature);
    out.putNumber(kHeaderCount);
    out.putScrambled(QString(SharedSettings::kProductTitle + u' ' + QString::number(kBuildNumber)));
    out.putScrambled(menuDateListText(days));
    out.putScrambled(readSetting(base.settings(), Section::User, QStringLiteral("Name_POP")));
    out.putScrambled(columns.join(u','));
    out.putScrambled(QString::number(count));
    out.bytes() += rows.bytes();
    if (const Status s = writeMenuFileBytes(path, out.bytes()); !s)
        return fail(QStringLiteral("Не удалось записать файл '") + path + QStringLiteral("': ") + s.error());
    if (options.report)
        prompter.message(QStringLiteral("Файл сохранен"), title);
    return count;
}

bool isMenuExportFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4 + kMenuExportSignature.size());
    MenuFileReader in(head);
    const std::optional<QString> signature = in.plain();
    return signature && *signature == kMenuExportSignature;
}

Result<RationImportSummary> loadMenuExportFile(const MenuBase &base, const QString &path)
{
    Prompter &prompter = base.prompter();
    prompter.status(QStringLiteral("Чтение файла меню..."));
    const Result<QByteArray> data = readMenuFileBytes(path, kMaxMenuFileBytes);
    if (!data)
        return refuse(prompter, data.error());
    MenuFileReader in(data.value());
    const std::optional<QString> signature = in.plain();
    if (!signature || *signature != kMenuExportSignature)
        return refuse(prompter, incompatible(path));
    const std::optional<qint32> headerCount = in.number();
    if (!headerCount || *headerCount != kHeaderCount)
        return refuse(prompter, incompatible(path));
    QStringList header;
    for (int h = 0; h < kHeaderCount; ++h) {
        const std::optional<QString> s = in.scrambled();
        if (!s)
            return refuse(prompter, damaged(path));
        header << *s;
    }
    // The columns: each one of l1 ... l32 at most once, the date among them.
    std::vector<int> numbers;
    std::set<int> seen;
    for (const QString &c : header[3].split(u',')) {
        bool ok = false;
        const int n = c.startsWith(u'l') ? c.mid(1).toInt(&ok) : 0;
        if (!ok || n < 1 || n > kColumns || !seen.insert(n).second)
            return refuse(prompter, damaged(path));
        numbers.push_back(n);
    }
    bool countOk = false;
    const qint64 rows = header[4].toLongLong(&countOk);
    // Every value takes at least its 4-byte length: a count the file cannot
    // hold is refused before anything is read.
    if (!countOk || rows < 0 || !seen.count(26)
        || rows * static_cast<qint64>(numbers.size()) * 4 > static_cast<qint64>(in.left()))
        return refuse(prompter, damaged(path));

    StagedRations staged(base);
    staged.reserve(in.left());
    MenuFileRow row;
    for (qint64 r = 0; r < rows; ++r) {
        row.fill(QString());
        for (const int n : numbers) {
            std::optional<QString> v = in.scrambled();
            if (!v)
                return refuse(prompter, damaged(path));
            row[static_cast<size_t>(n)] = v->isEmpty() ? QString() : *v;
        }
        if (const Status s = staged.add(row); !s)
            return refuse(prompter,
                QStringLiteral("Строка ") + QString::number(r + 1) + QStringLiteral(": ") + s.error()
                    + QStringLiteral(". База меню не изменена."));
    }
    if (!in.atEnd() || rows == 0)
        return refuse(prompter, damaged(path));
    const Result<RationImportSummary> summary = staged.commit(kMenuImportTitle.toString());
    if (!summary)
        return refuse(prompter, QStringLiteral("Ошибка переноса данных в базу: ") + summary.error());
    prompter.status(QString());
    prompter.message(QStringLiteral("Рационы загружены: ") + QString::number(summary->added + summary->replaced),
        kMenuImportTitle.toString());
    return summary;
}

} // namespace kulvera
