#!/usr/bin/env python3
"""Writes the sample supplier price list the reader's tests use: pricelist.xlsx, a workbook of two
sheets, and the CSV twins of its sheets (pricelist.csv for the first, pricelist-fittings.csv for
the second), which hold the cells as the reader should return them.

openpyxl writes text as inline strings; the first sheet's are moved into a shared string table
afterwards, as Excel keeps them, one of them split into formatted runs. The second sheet keeps its
inline strings, so the workbook has both.

Run it again (needs python3-openpyxl) only to change the samples; the tests read the files as
committed and need no Python.
"""
import csv
import io
import os
import re
import zipfile

from openpyxl import Workbook

HERE = os.path.dirname(os.path.abspath(__file__))

# None is a cell left empty.
PRICES = [
    ["Item No", "Description", "Unit", "Price"],
    ["00123", "Copper pipe 15 mm", "m", 12.5],
    ["A-200", "Elbow, 90\u00b0 \"long\" radius", "each", 1234],
    ["B-7", "Pipe clip", None, 0.35],
    ["C-1", "Solder \u2013 lead-free", "roll", 18],
]
FITTINGS = [
    ["Code", "Name", "Price"],
    ["F-1", "Tee \u00d8 22", 3.75],
    ["F-2", "Cap", 1],
]


def write_csv(name, rows):
    with open(os.path.join(HERE, name), "w", newline="", encoding="utf-8") as f:
        writer = csv.writer(f, lineterminator="\n")
        for row in rows:
            writer.writerow(["" if cell is None else str(cell) for cell in row])


INLINE_CELL = re.compile(r'<c r="([A-Z]+[0-9]+)" t="inlineStr"><is><t>(.*?)</t></is></c>')
RUNS = {"Copper pipe 15 mm": '<r><t xml:space="preserve">Copper pipe </t></r>'
                             '<r><rPr><b/></rPr><t>15 mm</t></r>'}
MAIN_NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
SHARED_TYPE = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings"
SHARED_CONTENT = "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"


def share_strings(workbook, sheet):
    """The workbook (bytes) with the inline strings of one sheet moved to shared strings."""
    strings = []

    def shared(match):
        if match.group(2) not in strings:
            strings.append(match.group(2))
        return '<c r="%s" t="s"><v>%d</v></c>' % (match.group(1), strings.index(match.group(2)))

    items = []
    out = io.BytesIO()
    with zipfile.ZipFile(io.BytesIO(workbook)) as source, \
            zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as target:
        for info in source.infolist():
            data = source.read(info).decode("utf-8")
            if info.filename == sheet:
                data = INLINE_CELL.sub(shared, data)
            elif info.filename == "[Content_Types].xml":
                data = data.replace("</Types>", '<Override PartName="/xl/sharedStrings.xml" '
                                    'ContentType="%s"/></Types>' % SHARED_CONTENT)
            elif info.filename == "xl/_rels/workbook.xml.rels":
                data = data.replace("</Relationships>", '<Relationship Type="%s" '
                                    'Target="sharedStrings.xml" Id="rIdShared"/></Relationships>'
                                    % SHARED_TYPE)
            target.writestr(info, data)
        for text in strings:
            items.append("<si>%s</si>" % RUNS.get(text, "<t>%s</t>" % text))
        target.writestr("xl/sharedStrings.xml",
                        '<sst xmlns="%s" count="%d" uniqueCount="%d">%s</sst>'
                        % (MAIN_NS, len(strings), len(strings), "".join(items)))
    return out.getvalue()


def main():
    book = Workbook()
    sheet = book.active
    sheet.title = "Prices"
    for row in PRICES:
        sheet.append(row)
    fittings = book.create_sheet("Fittings")
    for row in FITTINGS:
        fittings.append(row)
    saved = io.BytesIO()
    book.save(saved)
    with open(os.path.join(HERE, "pricelist.xlsx"), "wb") as f:
        f.write(share_strings(saved.getvalue(), "xl/worksheets/sheet1.xml"))
    write_csv("pricelist.csv", PRICES)
    write_csv("pricelist-fittings.csv", FITTINGS)


if __name__ == "__main__":
    main()
