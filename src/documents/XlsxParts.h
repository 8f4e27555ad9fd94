#pragma once

#include <QByteArray>
#include <QString>

// The parts of an empty one-sheet workbook, written by us from nothing.
namespace kulvera::xlsxparts {

QByteArray contentTypes();
QByteArray rootRelationships();
QByteArray workbook(const QString &sheetName);
QByteArray workbookRelationships();
QByteArray styles(const QString &fontName, double fontSize);
QByteArray emptySheet();
QString escapeXml(const QString &text);

} // namespace kulvera::xlsxparts
