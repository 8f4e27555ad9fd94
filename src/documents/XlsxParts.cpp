#include "documents/XlsxParts.h"

namespace kulvera::xlsxparts {
namespace {
const QByteArray kDeclaration = QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n");
}

QString escapeXml(const QString &text)
{
    return text.toHtmlEscaped();
}

QByteArray contentTypes()
{
    return kDeclaration
        + QByteArrayLiteral(
            "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
            "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
            "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
            "<Override PartName=\"/xl/workbook.xml\" "
            "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
            "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
            "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
            "<Override PartName=\"/xl/styles.xml\" "
            "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
            "</Types>");
}

QByteArray rootRelationships()
{
    return kDeclaration
        + QByteArrayLiteral(
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
            "Target=\"xl/workbook.xml\"/></Relationships>");
}

QByteArray workbook(const QString &sheetName)
{
    return kDeclaration
        + QByteArrayLiteral("<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                            "<sheets><sheet name=\"")
        + escapeXml(sheetName).toUtf8() + QByteArrayLiteral("\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
}

QByteArray workbookRelationships()
{
    return kDeclaration
        + QByteArrayLiteral("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                            "<Relationship Id=\"rId1\" "
                            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
                            "Target=\"worksheets/sheet1.xml\"/>"
                            "<Relationship Id=\"rId2\" "
                            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
                            "Target=\"styles.xml\"/></Relationships>");
}

QByteArray styles(const QString &fontName, double fontSize)
{
    const QByteArray font = QByteArrayLiteral("<font><sz val=\"") + QByteArray::number(fontSize)
        + QByteArrayLiteral("\"/><name val=\"") + escapeXml(fontName).toUtf8()
        + QByteArrayLiteral("\"/><family val=\"1\"/><charset val=\"204\"/></font>");
    return kDeclaration
        + QByteArrayLiteral("<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                            "<fonts count=\"1\">")
        + font
        + QByteArrayLiteral(
            "</fonts><fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
            "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
            "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
            "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
            "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>"
            "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
            "</styleSheet>");
}

QByteArray emptySheet()
{
    return kDeclaration
        + QByteArrayLiteral("<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                            "<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>"
                            "<sheetFormatPr defaultRowHeight=\"15\"/><sheetData/>"
                            "<pageMargins left=\"0.7\" right=\"0.5\" top=\"0.6\" bottom=\"0.6\" header=\"0.3\" "
                            "footer=\"0.3\"/><pageSetup paperSize=\"9\" fitToWidth=\"1\" fitToHeight=\"0\" "
                            "orientation=\"portrait\"/></worksheet>");
}

} // namespace kulvera::xlsxparts
