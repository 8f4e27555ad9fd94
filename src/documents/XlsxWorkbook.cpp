#include "documents/XlsxWorkbook.h"

#include "documents/XlsxParts.h"

#include <QHash>
#include <QSet>

#include <pugixml.hpp>

#include <cmath>
#include <cstring>
#include <map>

namespace kulvera {
namespace {

constexpr unsigned kParseFlags = pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata;

const char *const kRelOfficeDocument
    = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
const char *const kRelSharedStrings
    = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings";
const char *const kRelStyles = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
const char *const kRelCalcChain = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/calcChain";
const char *const kMainNamespace = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// The worksheet children in the order the schema requires, for inserting one
// that the sheet does not have yet.
const char *const kWorksheetOrder[] = {"sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData",
    "sheetCalcPr", "sheetProtection", "protectedRanges", "scenarios", "autoFilter", "sortState", "dataConsolidate",
    "customSheetViews", "mergeCells", "phoneticPr", "conditionalFormatting", "dataValidations", "hyperlinks",
    "printOptions", "pageMargins", "pageSetup", "headerFooter", "rowBreaks", "colBreaks", "customProperties",
    "cellWatches", "ignoredErrors", "smartTags", "drawing", "legacyDrawing", "legacyDrawingHF", "drawingHF", "picture",
    "oleObjects", "controls", "webPublishItems", "tableParts", "extLst"};

int orderOf(const char *name)
{
    int i = 0;
    for (const char *n : kWorksheetOrder) {
        if (std::strcmp(n, name) == 0)
            return i;
        ++i;
    }
    return 1000;
}

QString qs(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

std::string utf8(const QString &text)
{
    return text.toStdString();
}

// The folder of a part ("xl/" for "xl/workbook.xml").
QString folderOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash + 1);
}

QString relsPathOf(const QString &part)
{
    return folderOf(part) + QStringLiteral("_rels/") + part.mid(folderOf(part).size()) + QStringLiteral(".rels");
}

// A relationship target resolved against the folder of its source part.
QString resolveTarget(const QString &sourcePart, const QString &target)
{
    if (target.startsWith(u'/'))
        return target.mid(1);
    const QString joined = folderOf(sourcePart) + target;
    const QStringList parts = joined.split(u'/');
    QStringList out;
    for (const QString &p : parts) {
        if (p == u"..") {
            if (!out.isEmpty())
                out.removeLast();
        } else if (p != u"." && !p.isEmpty()) {
            out.append(p);
        }
    }
    return out.join(u'/');
}

// Characters XML 1.0 cannot carry are left out of written text.
QString xmlSafe(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c >= 0x20 || c == u'\t' || c == u'\n' || c == u'\r')
            out.append(c == u'\r' ? QChar(u'\n') : ch);
    }
    out.replace(QStringLiteral("\n\n"), QStringLiteral("\n"), Qt::CaseSensitive);
    return out;
}

QString numberText(double value)
{
    return QString::number(value, 'g', 15);
}

struct Reference {
    QString sheet; // empty when the reference names no sheet
    QString area;
};

// "'Лист 1'!$C$6" → sheet and area; the first area of a list.
std::optional<Reference> splitReference(QString text)
{
    text = text.trimmed();
    if (text.startsWith(u'='))
        text.remove(0, 1);
    Reference ref;
    qsizetype i = 0;
    if (text.startsWith(u'\'')) {
        i = 1;
        QString sheet;
        while (i < text.size()) {
            if (text[i] == u'\'') {
                if (i + 1 < text.size() && text[i + 1] == u'\'') {
                    sheet.append(u'\'');
                    i += 2;
                    continue;
                }
                break;
            }
            sheet.append(text[i++]);
        }
        if (i + 1 >= text.size() || text[i + 1] != u'!')
            return std::nullopt;
        ref.sheet = sheet;
        i += 2;
    } else {
        const qsizetype bang = text.indexOf(u'!');
        if (bang >= 0) {
            ref.sheet = text.left(bang);
            i = bang + 1;
        }
    }
    QString area = text.mid(i);
    const qsizetype comma = area.indexOf(u',');
    if (comma >= 0)
        area.truncate(comma);
    ref.area = area.trimmed();
    return ref;
}

std::optional<int> rowNumber(QStringView text)
{
    if (text.startsWith(u'$'))
        text = text.mid(1);
    bool ok = false;
    const int row = text.toInt(&ok);
    return ok && row >= 1 && row <= kMaxSheetRow ? std::optional<int>(row) : std::nullopt;
}

// "A1", "A1:B2", "$14:$65", "$C:$D".
std::optional<CellRange> parseArea(const QString &area)
{
    const QStringList ends = area.split(u':');
    if (ends.isEmpty() || ends.size() > 2)
        return std::nullopt;
    const QString a = ends.first();
    const QString b = ends.last();
    CellRange range;
    if (auto first = parseCellAddress(a)) {
        auto last = parseCellAddress(b);
        if (!last)
            return std::nullopt;
        range.first = {std::min(first->row, last->row), std::min(first->col, last->col)};
        range.last = {std::max(first->row, last->row), std::max(first->col, last->col)};
        return range;
    }
    if (auto r1 = rowNumber(a)) {
        auto r2 = rowNumber(b);
        if (!r2)
            return std::nullopt;
        range.wholeRows = true;
        range.first = {std::min(*r1, *r2), 1};
        range.last = {std::max(*r1, *r2), kMaxSheetColumn};
        return range;
    }
    auto letters = [](QString t) { return t.startsWith(u'$') ? t.mid(1) : t; };
    auto c1 = columnNumber(letters(a));
    auto c2 = columnNumber(letters(b));
    if (!c1 || !c2)
        return std::nullopt;
    range.wholeColumns = true;
    range.first = {1, std::min(*c1, *c2)};
    range.last = {kMaxSheetRow, std::max(*c1, *c2)};
    return range;
}

std::optional<int> cellColumn(const pugi::xml_node &c)
{
    const char *r = c.attribute("r").value();
    int col = 0;
    for (; *r >= 'A' && *r <= 'Z'; ++r)
        col = col * 26 + (*r - 'A' + 1);
    return col > 0 ? std::optional<int>(col) : std::nullopt;
}

struct StringWriter : pugi::xml_writer {
    QByteArray bytes;
    void write(const void *data, size_t size) override
    {
        bytes.append(static_cast<const char *>(data), static_cast<qsizetype>(size));
    }
};

QByteArray serialize(const pugi::xml_document &doc)
{
    StringWriter w;
    doc.save(w, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return w.bytes;
}

} // namespace

struct XlsxWorkbook::Impl {
    ZipPackage package;
    QString shownName;
    QString workbookPath;
    QString sheetPath;
    QString stylesPath;
    QString sstPath;
    pugi::xml_document contentTypes;
    pugi::xml_document workbook;
    pugi::xml_document workbookRels;
    pugi::xml_document sheet;
    pugi::xml_document styles;
    pugi::xml_document sst;
    bool contentTypesDirty = false;
    bool workbookDirty = false;
    bool workbookRelsDirty = false;
    bool sheetDirty = false;
    bool stylesDirty = false;
    bool sstDirty = false;
    bool inlineStrings = false;
    bool sheetHasFormulas = false;
    bool formulaRemoved = false;

    struct SheetEntry {
        QString name;
        QString part;
    };
    std::vector<SheetEntry> sheets;
    struct Name {
        QString name;
        std::optional<int> localSheet;
        QString reference;
    };
    std::vector<Name> names;

    pugi::xml_node worksheet;
    pugi::xml_node sheetData;
    std::map<int, pugi::xml_node> rows;

    std::vector<QString> strings;
    QHash<QString, int> stringIndex;

    pugi::xml_node cellXfs;
    pugi::xml_node fonts;
    pugi::xml_node borders;
    pugi::xml_node numFmts;
    std::vector<pugi::xml_node> xfList;
    std::vector<pugi::xml_node> fontList;
    QHash<QString, int> derivedXf;
    int thinBorderId = -1;

    Status init();
    Status parsePart(const QString &path, pugi::xml_document &doc, const char *root);
    Status loadSheet();
    void loadStrings();
    void ensureStyles();
    void ensureSharedStrings();
    pugi::xml_node worksheetChild(const char *name);
    pugi::xml_node row(int r, bool create);
    pugi::xml_node cell(int r, int c, bool create);
    int baseStyle(int r, int c) const;
    int stringId(const QString &text);
    int xfFor(int base, const CellLook &look);
    int numberFormatId(const QString &code);
    int thinBorder();
    void clearValue(pugi::xml_node c);
    pugi::xml_node column(int c, bool create);
    void dropCalcChain();
};

Status XlsxWorkbook::Impl::parsePart(const QString &path, pugi::xml_document &doc, const char *root)
{
    const QByteArray *bytes = package.find(path);
    if (!bytes)
        return Status::failure(QStringLiteral("В книге нет части ") + path + QStringLiteral(": ") + shownName);
    const pugi::xml_parse_result parsed
        = doc.load_buffer(bytes->constData(), static_cast<size_t>(bytes->size()), kParseFlags, pugi::encoding_utf8);
    if (!parsed) {
        return Status::failure(QStringLiteral("Ошибка XML в части ") + path + QStringLiteral(" (позиция ")
            + QString::number(parsed.offset) + QStringLiteral(": ") + qs(parsed.description()) + QStringLiteral("): ")
            + shownName);
    }
    if (root && std::strcmp(doc.document_element().name(), root) != 0)
        return Status::failure(QStringLiteral("Часть ") + path + QStringLiteral(" не того вида: ") + shownName);
    return {};
}

Status XlsxWorkbook::Impl::init()
{
    if (Status s = parsePart(QStringLiteral("[Content_Types].xml"), contentTypes, "Types"); !s)
        return Status::failure(QStringLiteral("Файл не является книгой Excel: ") + shownName);
    pugi::xml_document rootRels;
    if (Status s = parsePart(QStringLiteral("_rels/.rels"), rootRels, "Relationships"); !s)
        return s;
    for (pugi::xml_node rel : rootRels.document_element().children("Relationship")) {
        if (std::strcmp(rel.attribute("Type").value(), kRelOfficeDocument) == 0)
            workbookPath = resolveTarget(QString(), qs(rel.attribute("Target").value()));
    }
    if (workbookPath.isEmpty())
        return Status::failure(QStringLiteral("Файл не является книгой Excel: ") + shownName);
    if (Status s = parsePart(workbookPath, workbook, "workbook"); !s)
        return s;
    if (Status s = parsePart(relsPathOf(workbookPath), workbookRels, "Relationships"); !s)
        return s;

    QHash<QString, QString> targets;
    for (pugi::xml_node rel : workbookRels.document_element().children("Relationship")) {
        const QString target = resolveTarget(workbookPath, qs(rel.attribute("Target").value()));
        targets.insert(qs(rel.attribute("Id").value()), target);
        if (std::strcmp(rel.attribute("Type").value(), kRelStyles) == 0)
            stylesPath = target;
        else if (std::strcmp(rel.attribute("Type").value(), kRelSharedStrings) == 0)
            sstPath = target;
    }
    for (pugi::xml_node s : workbook.document_element().child("sheets").children("sheet")) {
        QString id;
        for (pugi::xml_attribute a : s.attributes()) {
            const QString attr = qs(a.name());
            if (attr.endsWith(QStringLiteral(":id")))
                id = qs(a.value());
        }
        sheets.push_back({qs(s.attribute("name").value()), targets.value(id)});
    }
    if (sheets.empty() || sheets.front().part.isEmpty() || !package.contains(sheets.front().part))
        return Status::failure(QStringLiteral("В книге нет листа: ") + shownName);
    sheetPath = sheets.front().part;

    for (pugi::xml_node n : workbook.document_element().child("definedNames").children("definedName")) {
        Name name {qs(n.attribute("name").value()), std::nullopt, qs(n.text().get())};
        if (pugi::xml_attribute local = n.attribute("localSheetId"))
            name.localSheet = local.as_int();
        names.push_back(std::move(name));
    }

    // A template opens as a workbook.
    for (pugi::xml_node o : contentTypes.document_element().children("Override")) {
        if (resolveTarget(QString(), qs(o.attribute("PartName").value())) != workbookPath)
            continue;
        const QString type = qs(o.attribute("ContentType").value());
        QString workbookType = type;
        workbookType.replace(QStringLiteral(".template.main+xml"), QStringLiteral(".sheet.main+xml"));
        workbookType.replace(
            QStringLiteral(".template.macroEnabled.main+xml"), QStringLiteral(".sheet.macroEnabled.main+xml"));
        if (workbookType != type) {
            o.attribute("ContentType").set_value(utf8(workbookType).c_str());
            contentTypesDirty = true;
        }
    }

    if (Status s = loadSheet(); !s)
        return s;
    loadStrings();
    if (!stylesPath.isEmpty() && package.contains(stylesPath)) {
        if (Status s = parsePart(stylesPath, styles, "styleSheet"); !s)
            return s;
    }
    return {};
}

Status XlsxWorkbook::Impl::loadSheet()
{
    if (Status s = parsePart(sheetPath, sheet, "worksheet"); !s)
        return s;
    worksheet = sheet.document_element();
    sheetData = worksheet.child("sheetData");
    if (!sheetData)
        return Status::failure(QStringLiteral("Лист книги без данных: ") + shownName);
    int lastRow = 0;
    for (pugi::xml_node r : sheetData.children("row")) {
        int number = r.attribute("r").as_int();
        if (number <= lastRow || number > kMaxSheetRow) {
            if (r.attribute("r"))
                return Status::failure(QStringLiteral("Строки листа не по порядку: ") + shownName);
            number = lastRow + 1;
            r.append_attribute("r").set_value(number);
            sheetDirty = true;
        }
        lastRow = number;
        rows.emplace(number, r);
        int lastCol = 0;
        for (pugi::xml_node c : r.children("c")) {
            std::optional<int> col = c.attribute("r") ? cellColumn(c) : std::optional<int>(lastCol + 1);
            if (!col || *col <= lastCol || *col > kMaxSheetColumn)
                return Status::failure(QStringLiteral("Ячейки листа не по порядку: ") + shownName);
            if (!c.attribute("r")) {
                c.append_attribute("r").set_value(utf8(cellAddress(number, *col)).c_str());
                sheetDirty = true;
            }
            lastCol = *col;
            if (c.child("f"))
                sheetHasFormulas = true;
        }
    }
    return {};
}

void XlsxWorkbook::Impl::loadStrings()
{
    if (sstPath.isEmpty() || !package.contains(sstPath))
        return;
    if (!parsePart(sstPath, sst, "sst"))
        return; // unreadable strings read as empty; the first write rebuilds nothing else
    for (pugi::xml_node si : sst.document_element().children("si")) {
        QString text;
        if (pugi::xml_node t = si.child("t"))
            text = qs(t.text().get());
        else
            for (pugi::xml_node r : si.children("r"))
                text += qs(r.child("t").text().get());
        stringIndex.insert(text, static_cast<int>(strings.size()));
        strings.push_back(text);
    }
}

void XlsxWorkbook::Impl::ensureSharedStrings()
{
    if (sst.document_element())
        return;
    pugi::xml_node decl = sst.prepend_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    decl.append_attribute("standalone") = "yes";
    pugi::xml_node root = sst.append_child("sst");
    root.append_attribute("xmlns") = kMainNamespace;
    root.append_attribute("count") = 0;
    root.append_attribute("uniqueCount") = 0;
    if (sstPath.isEmpty()) {
        sstPath = folderOf(workbookPath) + QStringLiteral("sharedStrings.xml");
        pugi::xml_node rel = workbookRels.document_element().append_child("Relationship");
        int n = 1;
        QSet<QString> taken;
        for (pugi::xml_node r : workbookRels.document_element().children("Relationship"))
            taken.insert(qs(r.attribute("Id").value()));
        while (taken.contains(QStringLiteral("rId") + QString::number(n)))
            ++n;
        rel.append_attribute("Id") = utf8(QStringLiteral("rId") + QString::number(n)).c_str();
        rel.append_attribute("Type") = kRelSharedStrings;
        rel.append_attribute("Target") = "sharedStrings.xml";
        workbookRelsDirty = true;
    }
    const std::string partName = utf8(u'/' + sstPath);
    bool declared = false;
    for (pugi::xml_node o : contentTypes.document_element().children("Override"))
        declared = declared || partName == o.attribute("PartName").value();
    if (!declared) {
        pugi::xml_node o = contentTypes.document_element().append_child("Override");
        o.append_attribute("PartName") = partName.c_str();
        o.append_attribute("ContentType")
            = "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml";
        contentTypesDirty = true;
    }
    sstDirty = true;
}

int XlsxWorkbook::Impl::stringId(const QString &text)
{
    ensureSharedStrings();
    const auto found = stringIndex.constFind(text);
    if (found != stringIndex.constEnd())
        return found.value();
    pugi::xml_node root = sst.document_element();
    pugi::xml_node t = root.append_child("si").append_child("t");
    t.append_attribute("xml:space") = "preserve";
    t.text().set(utf8(text).c_str());
    const int id = static_cast<int>(strings.size());
    strings.push_back(text);
    stringIndex.insert(text, id);
    root.attribute("uniqueCount") ? root.attribute("uniqueCount").set_value(id + 1)
                                  : root.append_attribute("uniqueCount").set_value(id + 1);
    sstDirty = true;
    return id;
}

pugi::xml_node XlsxWorkbook::Impl::worksheetChild(const char *name)
{
    if (pugi::xml_node existing = worksheet.child(name))
        return existing;
    const int order = orderOf(name);
    for (pugi::xml_node n = worksheet.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_element && orderOf(n.name()) > order)
            return worksheet.insert_child_before(name, n);
    }
    return worksheet.append_child(name);
}

pugi::xml_node XlsxWorkbook::Impl::row(int r, bool create)
{
    const auto found = rows.find(r);
    if (found != rows.end())
        return found->second;
    if (!create)
        return {};
    const auto next = rows.upper_bound(r);
    pugi::xml_node node
        = next == rows.end() ? sheetData.append_child("row") : sheetData.insert_child_before("row", next->second);
    node.append_attribute("r").set_value(r);
    rows.emplace(r, node);
    sheetDirty = true;
    return node;
}

pugi::xml_node XlsxWorkbook::Impl::cell(int r, int c, bool create)
{
    pugi::xml_node rowNode = row(r, create);
    if (!rowNode)
        return {};
    pugi::xml_node before;
    for (pugi::xml_node existing : rowNode.children("c")) {
        const int col = cellColumn(existing).value_or(0);
        if (col == c)
            return existing;
        if (col > c) {
            before = existing;
            break;
        }
    }
    if (!create)
        return {};
    const int style = baseStyle(r, c);
    pugi::xml_node node = before ? rowNode.insert_child_before("c", before) : rowNode.append_child("c");
    node.append_attribute("r") = utf8(cellAddress(r, c)).c_str();
    if (style > 0)
        node.append_attribute("s") = style;
    rowNode.remove_attribute("spans"); // a hint that may no longer hold
    sheetDirty = true;
    return node;
}

// The style a new cell takes: its row's when the row has one, else its column's.
int XlsxWorkbook::Impl::baseStyle(int r, int c) const
{
    const auto found = rows.find(r);
    if (found != rows.end() && found->second.attribute("customFormat").as_bool())
        return found->second.attribute("s").as_int();
    for (pugi::xml_node col : worksheet.child("cols").children("col")) {
        if (col.attribute("min").as_int() <= c && c <= col.attribute("max").as_int())
            return col.attribute("style").as_int();
    }
    return 0;
}

void XlsxWorkbook::Impl::clearValue(pugi::xml_node c)
{
    if (c.child("f"))
        formulaRemoved = true;
    while (pugi::xml_node child = c.first_child())
        c.remove_child(child);
    c.remove_attribute("t");
    sheetDirty = true;
}

void XlsxWorkbook::Impl::ensureStyles()
{
    if (!styles.document_element()) {
        // A workbook without a style part gets the smallest one that is valid.
        static const char kMinimal[]
            = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
              R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
              R"(<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>)"
              R"(<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>)"
              R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
              R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
              R"(<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs>)"
              R"(<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>)"
              R"(</styleSheet>)";
        styles.load_string(kMinimal, kParseFlags);
        if (stylesPath.isEmpty()) {
            stylesPath = folderOf(workbookPath) + QStringLiteral("styles.xml");
            pugi::xml_node rel = workbookRels.document_element().append_child("Relationship");
            rel.append_attribute("Id") = "rIdStyles1";
            rel.append_attribute("Type") = kRelStyles;
            rel.append_attribute("Target") = "styles.xml";
            workbookRelsDirty = true;
            pugi::xml_node o = contentTypes.document_element().append_child("Override");
            o.append_attribute("PartName") = utf8(u'/' + stylesPath).c_str();
            o.append_attribute("ContentType")
                = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";
            contentTypesDirty = true;
        }
        stylesDirty = true;
    }
    if (cellXfs)
        return;
    pugi::xml_node root = styles.document_element();
    auto section = [&](const char *name, const char *after) {
        pugi::xml_node n = root.child(name);
        if (!n) {
            pugi::xml_node anchor = after ? root.child(after) : pugi::xml_node();
            n = anchor ? root.insert_child_after(name, anchor) : root.prepend_child(name);
            stylesDirty = true;
        }
        return n;
    };
    numFmts = root.child("numFmts");
    fonts = section("fonts", "numFmts");
    section("fills", "fonts");
    borders = section("borders", "fills");
    section("cellStyleXfs", "borders");
    cellXfs = section("cellXfs", "cellStyleXfs");
    if (!fonts.child("font")) {
        pugi::xml_node f = fonts.append_child("font");
        f.append_child("sz").append_attribute("val") = 11;
        f.append_child("name").append_attribute("val") = "Calibri";
    }
    if (!borders.child("border")) {
        pugi::xml_node b = borders.append_child("border");
        for (const char *side : {"left", "right", "top", "bottom", "diagonal"})
            b.append_child(side);
    }
    if (!cellXfs.child("xf")) {
        pugi::xml_node xf = cellXfs.append_child("xf");
        for (const char *a : {"numFmtId", "fontId", "fillId", "borderId"})
            xf.append_attribute(a) = 0;
    }
    for (pugi::xml_node xf : cellXfs.children("xf"))
        xfList.push_back(xf);
    for (pugi::xml_node f : fonts.children("font"))
        fontList.push_back(f);
}

int XlsxWorkbook::Impl::numberFormatId(const QString &code)
{
    if (code == u"General")
        return 0;
    if (code == u"0")
        return 1;
    if (code == u"0.00")
        return 2;
    if (code == u"@")
        return 49;
    int maxId = 163;
    for (pugi::xml_node f : numFmts.children("numFmt")) {
        if (qs(f.attribute("formatCode").value()) == code)
            return f.attribute("numFmtId").as_int();
        maxId = std::max(maxId, f.attribute("numFmtId").as_int());
    }
    if (!numFmts)
        numFmts = styles.document_element().prepend_child("numFmts");
    pugi::xml_node f = numFmts.append_child("numFmt");
    f.append_attribute("numFmtId") = maxId + 1;
    f.append_attribute("formatCode") = utf8(code).c_str();
    const int count
        = static_cast<int>(std::distance(numFmts.children("numFmt").begin(), numFmts.children("numFmt").end()));
    numFmts.attribute("count") ? numFmts.attribute("count").set_value(count)
                               : numFmts.append_attribute("count").set_value(count);
    stylesDirty = true;
    return maxId + 1;
}

int XlsxWorkbook::Impl::thinBorder()
{
    if (thinBorderId >= 0)
        return thinBorderId;
    pugi::xml_node b = borders.append_child("border");
    for (const char *side : {"left", "right", "top", "bottom"}) {
        pugi::xml_node s = b.append_child(side);
        s.append_attribute("style") = "thin";
        s.append_child("color").append_attribute("indexed") = 64;
    }
    b.append_child("diagonal");
    int count = 0;
    for (pugi::xml_node n : borders.children("border")) {
        (void)n;
        ++count;
    }
    borders.attribute("count") ? borders.attribute("count").set_value(count)
                               : borders.append_attribute("count").set_value(count);
    thinBorderId = count - 1;
    stylesDirty = true;
    return thinBorderId;
}

int XlsxWorkbook::Impl::xfFor(int base, const CellLook &look)
{
    ensureStyles();
    if (base < 0 || base >= static_cast<int>(xfList.size()))
        base = 0;
    QString key = QString::number(base);
    auto part = [&key](const auto &v) {
        key += u'|';
        if (v) {
            using T = std::decay_t<decltype(*v)>;
            if constexpr (std::is_same_v<T, QString>)
                key += *v;
            else
                key += QString::number(*v);
        }
    };
    part(look.bold);
    part(look.italic);
    part(look.fontName);
    part(look.fontSize);
    part(look.numberFormat);
    part(look.thinBorder);
    part(look.wrap);
    if (const auto found = derivedXf.constFind(key); found != derivedXf.constEnd())
        return found.value();

    pugi::xml_node xf = cellXfs.append_copy(xfList[static_cast<size_t>(base)]);
    if (look.bold || look.italic || look.fontName || look.fontSize) {
        int fontId = xf.attribute("fontId").as_int();
        if (fontId < 0 || fontId >= static_cast<int>(fontList.size()))
            fontId = 0;
        pugi::xml_node font = fonts.append_copy(fontList[static_cast<size_t>(fontId)]);
        auto flag = [&font](const char *name, const std::optional<bool> &on) {
            if (!on)
                return;
            font.remove_child(name);
            if (*on)
                font.prepend_child(name);
        };
        flag("i", look.italic);
        flag("b", look.bold);
        if (look.fontSize) {
            pugi::xml_node sz = font.child("sz") ? font.child("sz") : font.append_child("sz");
            sz.remove_attribute("val");
            sz.append_attribute("val") = *look.fontSize;
        }
        if (look.fontName) {
            pugi::xml_node name = font.child("name") ? font.child("name") : font.append_child("name");
            name.remove_attribute("val");
            name.append_attribute("val") = utf8(*look.fontName).c_str();
            font.remove_child("scheme"); // a theme font would override the name
        }
        fontList.push_back(font);
        const int count = static_cast<int>(fontList.size());
        fonts.attribute("count") ? fonts.attribute("count").set_value(count)
                                 : fonts.append_attribute("count").set_value(count);
        xf.remove_attribute("fontId");
        xf.append_attribute("fontId") = count - 1;
        xf.remove_attribute("applyFont");
        xf.append_attribute("applyFont") = 1;
    }
    if (look.numberFormat) {
        const int id = numberFormatId(*look.numberFormat);
        xf.remove_attribute("numFmtId");
        xf.prepend_attribute("numFmtId") = id;
        xf.remove_attribute("applyNumberFormat");
        xf.append_attribute("applyNumberFormat") = 1;
    }
    if (look.thinBorder) {
        xf.remove_attribute("borderId");
        xf.append_attribute("borderId") = *look.thinBorder ? thinBorder() : 0;
        xf.remove_attribute("applyBorder");
        xf.append_attribute("applyBorder") = 1;
    }
    if (look.wrap) {
        pugi::xml_node alignment = xf.child("alignment") ? xf.child("alignment") : xf.prepend_child("alignment");
        alignment.remove_attribute("wrapText");
        alignment.append_attribute("wrapText") = *look.wrap ? 1 : 0;
        if (*look.wrap && !alignment.attribute("vertical"))
            alignment.append_attribute("vertical") = "top";
        xf.remove_attribute("applyAlignment");
        xf.append_attribute("applyAlignment") = 1;
    }
    xfList.push_back(xf);
    const int id = static_cast<int>(xfList.size()) - 1;
    cellXfs.attribute("count") ? cellXfs.attribute("count").set_value(id + 1)
                               : cellXfs.append_attribute("count").set_value(id + 1);
    derivedXf.insert(key, id);
    stylesDirty = true;
    return id;
}

pugi::xml_node XlsxWorkbook::Impl::column(int c, bool create)
{
    pugi::xml_node cols = worksheet.child("cols");
    if (!cols && !create)
        return {};
    if (!cols)
        cols = worksheetChild("cols");
    pugi::xml_node before;
    for (pugi::xml_node col : cols.children("col")) {
        const int min = col.attribute("min").as_int();
        const int max = col.attribute("max").as_int();
        if (min <= c && c <= max) {
            if (min == max)
                return col;
            // Split the span so that the one column can change alone.
            if (min < c) {
                pugi::xml_node left = cols.insert_copy_before(col, col);
                left.attribute("max").set_value(c - 1);
            }
            if (c < max) {
                pugi::xml_node right = cols.insert_copy_after(col, col);
                right.attribute("min").set_value(c + 1);
            }
            col.attribute("min").set_value(c);
            col.attribute("max").set_value(c);
            return col;
        }
        if (min > c) {
            before = col;
            break;
        }
    }
    if (!create)
        return {};
    pugi::xml_node col = before ? cols.insert_child_before("col", before) : cols.append_child("col");
    col.append_attribute("min") = c;
    col.append_attribute("max") = c;
    const double width = worksheet.child("sheetFormatPr").attribute("defaultColWidth").as_double(9.140625);
    col.append_attribute("width") = width;
    return col;
}

void XlsxWorkbook::Impl::dropCalcChain()
{
    // The chain lists formula cells; one we overwrote would make Excel repair the book.
    for (pugi::xml_node rel : workbookRels.document_element().children("Relationship")) {
        if (std::strcmp(rel.attribute("Type").value(), kRelCalcChain) != 0)
            continue;
        package.remove(resolveTarget(workbookPath, qs(rel.attribute("Target").value())));
        const std::string partName = utf8(u'/' + resolveTarget(workbookPath, qs(rel.attribute("Target").value())));
        for (pugi::xml_node o : contentTypes.document_element().children("Override")) {
            if (partName == o.attribute("PartName").value()) {
                contentTypes.document_element().remove_child(o);
                contentTypesDirty = true;
                break;
            }
        }
        workbookRels.document_element().remove_child(rel);
        workbookRelsDirty = true;
        break;
    }
}

XlsxWorkbook::XlsxWorkbook()
    : d(std::make_unique<Impl>())
{
}
XlsxWorkbook::XlsxWorkbook(XlsxWorkbook &&) noexcept = default;
XlsxWorkbook &XlsxWorkbook::operator=(XlsxWorkbook &&) noexcept = default;
XlsxWorkbook::~XlsxWorkbook() = default;

Result<XlsxWorkbook> XlsxWorkbook::open(const QString &path)
{
    Result<ZipPackage> package = ZipPackage::read(path);
    if (!package)
        return Result<XlsxWorkbook>::failure(package.error());
    XlsxWorkbook book;
    book.d->package = std::move(package).value();
    book.d->shownName = path;
    if (Status s = book.d->init(); !s)
        return Result<XlsxWorkbook>::failure(s.error());
    return book;
}

Result<XlsxWorkbook> XlsxWorkbook::fromBytes(const QByteArray &bytes, const QString &shownName)
{
    Result<ZipPackage> package = ZipPackage::fromBytes(bytes, shownName);
    if (!package)
        return Result<XlsxWorkbook>::failure(package.error());
    XlsxWorkbook book;
    book.d->package = std::move(package).value();
    book.d->shownName = shownName;
    if (Status s = book.d->init(); !s)
        return Result<XlsxWorkbook>::failure(s.error());
    return book;
}

XlsxWorkbook XlsxWorkbook::blank(const QString &sheetName, const QString &fontName, double fontSize)
{
    ZipPackage package;
    package.put(QStringLiteral("[Content_Types].xml"), xlsxparts::contentTypes());
    package.put(QStringLiteral("_rels/.rels"), xlsxparts::rootRelationships());
    package.put(QStringLiteral("xl/workbook.xml"), xlsxparts::workbook(sheetName));
    package.put(QStringLiteral("xl/_rels/workbook.xml.rels"), xlsxparts::workbookRelationships());
    package.put(QStringLiteral("xl/styles.xml"), xlsxparts::styles(fontName, fontSize));
    package.put(QStringLiteral("xl/worksheets/sheet1.xml"), xlsxparts::emptySheet());
    XlsxWorkbook book;
    book.d->package = std::move(package);
    book.d->shownName = sheetName;
    book.d->init(); // our own parts always parse
    return book;
}

QStringList XlsxWorkbook::sheetNames() const
{
    QStringList out;
    for (const auto &s : d->sheets)
        out.append(s.name);
    return out;
}

namespace {
Status badCell(int row, int col)
{
    return Status::failure(QStringLiteral("Ячейка вне листа: строка ") + QString::number(row)
        + QStringLiteral(", столбец ") + QString::number(col));
}
bool onSheet(int row, int col)
{
    return row >= 1 && row <= kMaxSheetRow && col >= 1 && col <= kMaxSheetColumn;
}
} // namespace

Status XlsxWorkbook::setText(int row, int col, const QString &text)
{
    if (!onSheet(row, col))
        return badCell(row, col);
    pugi::xml_node c = d->cell(row, col, true);
    d->clearValue(c);
    const QString safe = xmlSafe(text);
    if (d->inlineStrings) {
        c.append_attribute("t") = "inlineStr";
        pugi::xml_node t = c.append_child("is").append_child("t");
        t.append_attribute("xml:space") = "preserve";
        t.text().set(utf8(safe).c_str());
    } else {
        c.append_attribute("t") = "s";
        c.append_child("v").text().set(d->stringId(safe));
    }
    return {};
}

Status XlsxWorkbook::setNumber(int row, int col, double value)
{
    if (!onSheet(row, col))
        return badCell(row, col);
    if (!std::isfinite(value))
        return Status::failure(QStringLiteral("Не число в ячейке ") + cellAddress(row, col));
    pugi::xml_node c = d->cell(row, col, true);
    d->clearValue(c);
    c.append_child("v").text().set(utf8(numberText(value)).c_str());
    return {};
}

Status XlsxWorkbook::setFormula(int row, int col, const QString &formula, std::optional<double> value)
{
    if (!onSheet(row, col))
        return badCell(row, col);
    const QString text = formula.startsWith(u'=') ? formula.mid(1) : formula;
    if (text.trimmed().isEmpty())
        return Status::failure(QStringLiteral("Пустая формула в ячейке ") + cellAddress(row, col));
    if (value && !std::isfinite(*value))
        return Status::failure(QStringLiteral("Не число в ячейке ") + cellAddress(row, col));
    pugi::xml_node c = d->cell(row, col, true);
    d->clearValue(c);
    c.append_child("f").text().set(utf8(xmlSafe(text)).c_str());
    if (value)
        c.append_child("v").text().set(utf8(numberText(*value)).c_str());
    d->sheetHasFormulas = true;
    return {};
}

Status XlsxWorkbook::clearCell(int row, int col)
{
    if (!onSheet(row, col))
        return badCell(row, col);
    if (pugi::xml_node c = d->cell(row, col, false))
        d->clearValue(c);
    return {};
}

Status XlsxWorkbook::setLook(int row, int col, const CellLook &look)
{
    if (!onSheet(row, col))
        return badCell(row, col);
    pugi::xml_node c = d->cell(row, col, true);
    const int id = d->xfFor(c.attribute("s").as_int(), look);
    if (c.attribute("s"))
        c.attribute("s").set_value(id);
    else
        c.append_attribute("s") = id;
    d->sheetDirty = true;
    return {};
}

Status XlsxWorkbook::setRowHidden(int row, bool hidden)
{
    if (!onSheet(row, 1))
        return badCell(row, 1);
    pugi::xml_node r = d->row(row, true);
    r.remove_attribute("hidden");
    if (hidden)
        r.append_attribute("hidden") = 1;
    d->sheetDirty = true;
    return {};
}

Status XlsxWorkbook::setRowHeight(int row, double points)
{
    if (!onSheet(row, 1))
        return badCell(row, 1);
    if (!(points > 0 && points <= 409))
        return Status::failure(QStringLiteral("Недопустимая высота строки ") + QString::number(row));
    pugi::xml_node r = d->row(row, true);
    r.remove_attribute("ht");
    r.remove_attribute("customHeight");
    r.append_attribute("ht") = points;
    r.append_attribute("customHeight") = 1;
    d->sheetDirty = true;
    return {};
}

Status XlsxWorkbook::setColumnHidden(int col, bool hidden)
{
    if (!onSheet(1, col))
        return badCell(1, col);
    pugi::xml_node c = d->column(col, true);
    c.remove_attribute("hidden");
    if (hidden)
        c.append_attribute("hidden") = 1;
    d->sheetDirty = true;
    return {};
}

Status XlsxWorkbook::setColumnWidth(int col, double width)
{
    if (!onSheet(1, col))
        return badCell(1, col);
    if (!(width >= 0 && width <= 255))
        return Status::failure(QStringLiteral("Недопустимая ширина столбца ") + QString::number(col));
    pugi::xml_node c = d->column(col, true);
    c.remove_attribute("width");
    c.remove_attribute("customWidth");
    c.append_attribute("width") = width;
    c.append_attribute("customWidth") = 1;
    d->sheetDirty = true;
    return {};
}

Status XlsxWorkbook::mergeCells(const CellRef &first, const CellRef &last)
{
    if (!onSheet(first.row, first.col) || !onSheet(last.row, last.col))
        return badCell(last.row, last.col);
    pugi::xml_node merges = d->worksheetChild("mergeCells");
    merges.append_child("mergeCell").append_attribute("ref")
        = utf8(cellAddress(first.row, first.col) + u':' + cellAddress(last.row, last.col)).c_str();
    int count = 0;
    for (pugi::xml_node m : merges.children("mergeCell")) {
        (void)m;
        ++count;
    }
    merges.remove_attribute("count");
    merges.append_attribute("count") = count;
    d->sheetDirty = true;
    return {};
}

void XlsxWorkbook::setInlineStrings(bool inlineStrings)
{
    d->inlineStrings = inlineStrings;
}

std::optional<QString> XlsxWorkbook::text(int row, int col) const
{
    pugi::xml_node c = d->cell(row, col, false);
    if (!c)
        return std::nullopt;
    const std::string_view type = c.attribute("t").value();
    if (type == "s") {
        const int id = c.child("v").text().as_int(-1);
        if (id < 0 || id >= static_cast<int>(d->strings.size()))
            return std::nullopt;
        return d->strings[static_cast<size_t>(id)];
    }
    if (type == "inlineStr") {
        QString out;
        pugi::xml_node is = c.child("is");
        if (pugi::xml_node t = is.child("t"))
            return qs(t.text().get());
        for (pugi::xml_node r : is.children("r"))
            out += qs(r.child("t").text().get());
        return out;
    }
    if (!c.child("v"))
        return std::nullopt;
    return qs(c.child("v").text().get());
}

std::optional<double> XlsxWorkbook::number(int row, int col) const
{
    pugi::xml_node c = d->cell(row, col, false);
    if (!c || !c.child("v"))
        return std::nullopt;
    const std::string_view type = c.attribute("t").value();
    if (!type.empty() && type != "n")
        return std::nullopt;
    bool ok = false;
    const double value = qs(c.child("v").text().get()).toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

Result<CellRange> XlsxWorkbook::range(const QString &name) const
{
    using R = Result<CellRange>;
    const Impl::Name *found = nullptr;
    for (const Impl::Name &n : d->names) {
        if (n.name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (n.localSheet == 0) {
            found = &n;
            break;
        }
        if (!n.localSheet && !found)
            found = &n;
    }
    if (!found)
        return R::failure(QStringLiteral("В шаблоне нет имени '") + name + u'\'');
    const QString pointsNowhere = QStringLiteral("Имя '") + name
        + QStringLiteral("' шаблона указывает на несуществующую ячейку: ") + found->reference;
    if (found->reference.contains(QStringLiteral("#REF!"), Qt::CaseInsensitive))
        return R::failure(pointsNowhere);
    const std::optional<Reference> ref = splitReference(found->reference);
    if (!ref || ref->sheet.isEmpty())
        return R::failure(pointsNowhere);
    int sheet = -1;
    for (size_t i = 0; i < d->sheets.size(); ++i) {
        if (d->sheets[i].name.compare(ref->sheet, Qt::CaseInsensitive) == 0)
            sheet = static_cast<int>(i);
    }
    if (sheet < 0)
        return R::failure(pointsNowhere);
    std::optional<CellRange> area = parseArea(ref->area);
    if (!area)
        return R::failure(pointsNowhere);
    area->sheet = sheet;
    return *area;
}

bool XlsxWorkbook::hasName(const QString &name) const
{
    for (const Impl::Name &n : d->names) {
        if (n.name.compare(name, Qt::CaseInsensitive) == 0 && (!n.localSheet || n.localSheet == 0))
            return true;
    }
    return false;
}

QStringList XlsxWorkbook::names() const
{
    QStringList out;
    for (const Impl::Name &n : d->names)
        out.append(n.name);
    return out;
}

void XlsxWorkbook::defineName(const QString &name, const QString &reference, bool sheetScope)
{
    pugi::xml_node root = d->workbook.document_element();
    pugi::xml_node defined = root.child("definedNames");
    if (!defined) {
        pugi::xml_node anchor
            = root.child("externalReferences") ? root.child("externalReferences") : root.child("sheets");
        defined = root.insert_child_after("definedNames", anchor);
    }
    const std::string key = utf8(name);
    for (pugi::xml_node n : defined.children("definedName")) {
        if (key == n.attribute("name").value() && n.attribute("localSheetId").empty() == !sheetScope)
            defined.remove_child(n);
    }
    pugi::xml_node n = defined.append_child("definedName");
    n.append_attribute("name") = key.c_str();
    if (sheetScope)
        n.append_attribute("localSheetId") = 0;
    n.text().set(utf8(reference).c_str());
    std::erase_if(
        d->names, [&](const Impl::Name &old) { return old.name == name && old.localSheet.has_value() == sheetScope; });
    d->names.push_back({name, sheetScope ? std::optional<int>(0) : std::nullopt, reference});
    d->workbookDirty = true;
}

Result<QByteArray> XlsxWorkbook::toBytes() const
{
    if (d->formulaRemoved) {
        d->dropCalcChain();
        d->formulaRemoved = false;
    }
    if (d->sheetHasFormulas && d->sheetDirty) {
        // Formulas of the template read the values we wrote only after a recalculation.
        pugi::xml_node root = d->workbook.document_element();
        pugi::xml_node calc = root.child("calcPr");
        if (!calc) {
            pugi::xml_node anchor = root.child("definedNames") ? root.child("definedNames") : root.child("sheets");
            calc = root.insert_child_after("calcPr", anchor);
        }
        if (!calc.attribute("fullCalcOnLoad")) {
            calc.append_attribute("fullCalcOnLoad") = 1;
            d->workbookDirty = true;
        }
    }
    ZipPackage out = d->package;
    auto put = [&out](const QString &path, const pugi::xml_document &doc) {
        static const QByteArray kDeclaration
            = QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n");
        QByteArray bytes = serialize(doc);
        if (!bytes.startsWith("<?xml"))
            bytes.prepend(kDeclaration);
        out.put(path, std::move(bytes));
    };
    if (d->contentTypesDirty)
        put(QStringLiteral("[Content_Types].xml"), d->contentTypes);
    if (d->workbookDirty)
        put(d->workbookPath, d->workbook);
    if (d->workbookRelsDirty)
        put(relsPathOf(d->workbookPath), d->workbookRels);
    if (d->sheetDirty)
        put(d->sheetPath, d->sheet);
    if (d->stylesDirty)
        put(d->stylesPath, d->styles);
    if (d->sstDirty) {
        pugi::xml_node root = d->sst.document_element();
        root.remove_attribute("count");
        root.prepend_attribute("count") = static_cast<int>(d->strings.size());
        put(d->sstPath, d->sst);
    }
    return out.toBytes();
}

Status XlsxWorkbook::save(const QString &path, FileSync sync) const
{
    const Result<QByteArray> bytes = toBytes();
    if (!bytes)
        return Status::failure(bytes.error());
    return saveFileAtomically(path, bytes.value(), sync);
}

} // namespace kulvera
