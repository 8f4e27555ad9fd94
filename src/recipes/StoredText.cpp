#include "recipes/StoredText.h"

#include "common/CodePage.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "shell/Connections.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <QRandomGenerator>

namespace kulvera {
namespace {

constexpr int kGroup = 4;

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

QString StoredTextCodec::encode(QStringView text) const
{
    QString out;
    out.resize(text.size() * kGroup);
    QChar *d = out.data();
    for (QChar ch : text) {
        unsigned char byte = '?';
        encodeChar(ch, CodePage::Cp1251, &byte);
        int v = byte + key_;
        for (int i = kGroup - 1; i >= 0; --i) {
            d[i] = QChar(u'0' + v % 10);
            v /= 10;
        }
        d += kGroup;
    }
    return out;
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

Result<QString> installationNumber(Connections &connections, int dishBase, SettingsAccess &settings)
{
    if (!connections.isConnected(dishBase))
        return Result<QString>::failure(QStringLiteral("Нет подключения к базе блюд"));
    const QSqlDatabase db = connections.database(dishBase);
    ErrorLog *log = &connections.errorLog();
    const QString table = SqlDialect::of(db).quote(kInstallationTable.toString());
    Status s = execSql(db,
        QStringLiteral("CREATE TABLE IF NOT EXISTS ") + table + QStringLiteral(" (\"Number\" VARCHAR(255))"), {}, log);
    if (!s)
        return Result<QString>::failure(s.error());
    SqlStatement q(db, QStringLiteral("SELECT \"Number\" FROM ") + table, log);
    if (!q.exec())
        return Result<QString>::failure(q.lastError());
    if (q.next()) {
        const QString number = q.value(0).toString().trimmed();
        if (!number.isEmpty()) {
            if (settings.get(Section::Data, kInstallationSetting.toString()) != number)
                settings.save(Section::Data, kInstallationSetting.toString(), number);
            return number;
        }
    }
    q.finish();
    QString number = settings.get(Section::Data, kInstallationSetting.toString()).trimmed();
    if (number.isEmpty())
        number = QString::number(QRandomGenerator::global()->bounded(100000, 1000000));
    Transaction transaction(db, log);
    s = execSql(db, QStringLiteral("DELETE FROM ") + table, {}, log);
    if (s)
        s = execSql(
            db, QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (\"Number\") VALUES (?)"), {number}, log);
    if (s)
        s = transaction.commit();
    if (!s)
        return Result<QString>::failure(s.error());
    settings.save(Section::Data, kInstallationSetting.toString(), number);
    return number;
}

Result<StoredTextCodec> installationCodec(
    Connections &connections, int dishBase, SettingsAccess &settings, Prompter *prompter)
{
    const Result<QString> number = installationNumber(connections, dishBase, settings);
    if (!number)
        return Result<StoredTextCodec>::failure(number.error());
    return StoredTextCodec(StoredTextCodec::keyFromInstallationNumber(number.value()), prompter);
}

} // namespace kulvera
