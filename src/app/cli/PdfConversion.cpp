#include "PdfConversion.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace kulvera {

bool convertToPdf(const QString &workbook, CliRun &run)
{
    QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty())
        office = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    if (office.isEmpty()) {
        run.err << "LibreOffice не установлен: PDF не создан (Debian: пакет libreoffice-calc-nogui)\n";
        return false;
    }
    const QFileInfo info(workbook);
    // A profile of its own, so a running LibreOffice of the user does not take the job.
    QTemporaryDir profile;
    QProcess p;
    p.start(office,
        {QStringLiteral("-env:UserInstallation=file://") + profile.path(), QStringLiteral("--headless"),
            QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"), info.absolutePath(),
            info.absoluteFilePath()});
    const QString pdf = info.absolutePath() + u'/' + info.completeBaseName() + QStringLiteral(".pdf");
    if (!p.waitForFinished(180000) || p.exitCode() != 0 || !QFileInfo::exists(pdf)) {
        run.err << "PDF не создан: " << QString::fromLocal8Bit(p.readAllStandardError()) << '\n';
        return false;
    }
    run.out << pdf << '\n';
    return true;
}

} // namespace kulvera
