#include "research/forms/ProtocolPrinting.h"

#include "research/ProtocolDocument.h"

#include <QDesktopServices>
#include <QDir>
#include <QStandardPaths>
#include <QUrl>

namespace kulvera {

QString protocolOutputPath(const Protocol &protocol)
{
    const QDir folder(QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                          .filePath(QStringLiteral("Kulvera/Протоколы испытаний")));
    QDir().mkpath(folder.path());
    return folder.filePath(protocolFileName(protocol));
}

void showPrintedDocument(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace kulvera
