#!/usr/bin/python3
"""Independent reader and editor of workbooks for the document tests (openpyxl and zipfile).

  xlsx_tool.py dump FILE             prints the first sheet as JSON
  xlsx_tool.py user-edit IN OUT      edits a template as a user would: extra sheet,
                                     print settings (openpyxl), then a picture (zip level)
  xlsx_tool.py move-cells IN OUT     writes headings for a table moved to F20:F40
  xlsx_tool.py broken KIND OUT       not-zip | no-sheet | bad-xml | huge | ref-name
  xlsx_tool.py set-row IN OUT ROW A B  writes A (a number when it is one) and B into a row,
                                     as a user adds a line to a template
"""
import json
import sys
import zipfile

import openpyxl

PNG = bytes.fromhex(
    "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
    "1f15c4890000000d49444154789c6360000002000100e221bc330000000049454e44ae426082")


def dump(path):
    wb = openpyxl.load_workbook(path)
    ws = wb.worksheets[0]
    out = {"sheets": wb.sheetnames, "cells": {}, "bold": [], "italic": [], "framed": [], "formats": {},
           "hidden_rows": [], "heights": {}, "hidden_cols": [], "merged": [str(m) for m in ws.merged_cells.ranges],
           "names": {}, "orientation": ws.page_setup.orientation}
    for dn in wb.defined_names.definedName:
        out["names"][dn.name] = dn.attr_text
    for row in ws.iter_rows():
        for c in row:
            if c.value is not None:
                out["cells"][c.coordinate] = c.value
                if c.number_format != "General":
                    out["formats"][c.coordinate] = c.number_format
            if c.font is not None and c.font.b:
                out["bold"].append(c.coordinate)
            if c.font is not None and c.font.i:
                out["italic"].append(c.coordinate)
            if c.border is not None and c.border.left is not None and c.border.left.style == "thin":
                out["framed"].append(c.coordinate)
    for r, d in ws.row_dimensions.items():
        if d.hidden:
            out["hidden_rows"].append(r)
        if d.customHeight and d.ht:
            out["heights"][str(r)] = d.ht
    for letter, d in ws.column_dimensions.items():
        if d.hidden:
            for col in range(d.min or 0, (d.max or 0) + 1):
                out["hidden_cols"].append(col)
    print(json.dumps(out, ensure_ascii=False, default=str))


def add_picture(path):
    """Adds a picture to the first sheet by editing the package itself."""
    with zipfile.ZipFile(path) as z:
        parts = {n: z.read(n) for n in z.namelist()}
    parts["xl/media/image1.png"] = PNG
    parts["xl/drawings/drawing1.xml"] = (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<xdr:wsDr xmlns:xdr="http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing" '
        'xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" '
        'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
        '<xdr:oneCellAnchor><xdr:from><xdr:col>8</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>1</xdr:row>'
        '<xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:ext cx="952500" cy="952500"/>'
        '<xdr:pic><xdr:nvPicPr><xdr:cNvPr id="1" name="Logo"/><xdr:cNvPicPr/></xdr:nvPicPr>'
        '<xdr:blipFill><a:blip r:embed="rId1"/><a:stretch><a:fillRect/></a:stretch></xdr:blipFill>'
        '<xdr:spPr><a:prstGeom prst="rect"><a:avLst/></a:prstGeom></xdr:spPr></xdr:pic><xdr:clientData/>'
        '</xdr:oneCellAnchor></xdr:wsDr>').encode()
    parts["xl/drawings/_rels/drawing1.xml.rels"] = (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/image" '
        'Target="../media/image1.png"/></Relationships>').encode()
    parts["xl/worksheets/_rels/sheet1.xml.rels"] = (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rIdPic" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing" '
        'Target="../drawings/drawing1.xml"/></Relationships>').encode()
    sheet = parts["xl/worksheets/sheet1.xml"].decode()
    sheet = sheet.replace("</worksheet>", '<drawing r:id="rIdPic"/></worksheet>')
    if "xmlns:r=" not in sheet.split(">", 2)[1]:
        sheet = sheet.replace("<worksheet ", '<worksheet xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" ', 1)
    parts["xl/worksheets/sheet1.xml"] = sheet.encode()
    types = parts["[Content_Types].xml"].decode()
    types = types.replace("</Types>",
                          '<Default Extension="png" ContentType="image/png"/>'
                          '<Override PartName="/xl/drawings/drawing1.xml" '
                          'ContentType="application/vnd.openxmlformats-officedocument.drawing+xml"/></Types>')
    parts["[Content_Types].xml"] = types.encode()
    parts["xl/printerSettings/printerSettings1.bin"] = bytes(range(256)) * 4
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for n, data in parts.items():
            z.writestr(n, data)


def user_edit(src, dst):
    wb = openpyxl.load_workbook(src)
    ws = wb.worksheets[0]
    ws.page_setup.orientation = "landscape"
    ws.page_setup.fitToWidth = 1
    ws.print_title_rows = "12:13"
    notes = wb.create_sheet("Заметки")
    notes["A1"] = "Заметки технолога"
    notes["B2"] = 42
    wb.save(dst)
    add_picture(dst)


def move_cells(src, dst):
    wb = openpyxl.load_workbook(src)
    ws = wb.worksheets[0]
    ws["A3"] = "Блюдо:"
    ws["K19"] = "Нетто, г"
    wb.save(dst)


def set_row(src, dst, row, a, b):
    wb = openpyxl.load_workbook(src)
    ws = wb.worksheets[0]
    ws.cell(row=int(row), column=1, value=int(a) if a.isdigit() else a)
    ws.cell(row=int(row), column=2, value=b)
    wb.save(dst)


def broken(kind, dst):
    if kind == "not-zip":
        open(dst, "wb").write(b"This is a text file, not a workbook.\n")
        return
    wb = openpyxl.Workbook()
    wb.active["A1"] = "x"
    wb.save(dst)
    with zipfile.ZipFile(dst) as z:
        parts = {n: z.read(n) for n in z.namelist()}
    if kind == "no-sheet":
        del parts["xl/worksheets/sheet1.xml"]
    elif kind == "bad-xml":
        parts["xl/worksheets/sheet1.xml"] = b'<?xml version="1.0"?><worksheet><sheetData><row r="1"><c r="A1"'
    elif kind == "huge":
        row = '<row r="%d"><c r="A%d"><v>1</v></c></row>'
        body = "".join(row % (i, i) for i in range(1, 2400001))
        parts["xl/worksheets/sheet1.xml"] = (
            '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
            + body + "</sheetData></worksheet>").encode()
    elif kind == "ref-name":
        wbxml = parts["xl/workbook.xml"].decode()
        wbxml = wbxml.replace("</sheets>", '</sheets><definedNames><definedName name="Шаблон_Версия">'
                              "Sheet!$A$1</definedName><definedName name=\"Рец_Сырье\">#REF!</definedName>"
                              "</definedNames>")
        parts["xl/workbook.xml"] = wbxml.encode()
    with zipfile.ZipFile(dst, "w", zipfile.ZIP_DEFLATED) as z:
        for n, data in parts.items():
            z.writestr(n, data)


if __name__ == "__main__":
    cmd = sys.argv[1]
    if cmd == "dump":
        dump(sys.argv[2])
    elif cmd == "user-edit":
        user_edit(sys.argv[2], sys.argv[3])
    elif cmd == "move-cells":
        move_cells(sys.argv[2], sys.argv[3])
    elif cmd == "set-row":
        set_row(*sys.argv[2:7])
    elif cmd == "broken":
        broken(sys.argv[2], sys.argv[3])
