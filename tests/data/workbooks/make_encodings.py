#!/usr/bin/python3
"""Writes the delimited-text fixtures in the encodings of Chinese desktops,
as Excel saves them there, and encodings.json: for each file, the codec that
wrote it and the text of every field, row by row. Run once from this folder
with Debian's /usr/bin/python3; the files are committed."""
import csv
import io
import json

ROWS = {
    # Excel's "CSV (逗号分隔)" on a Chinese desktop: the ANSI code page,
    # CRLF, a line break inside a cell written as LF.
    "gb18030.csv": ("GB18030", "gb18030", ",", "\r\n", [
        ["名称", "备注", "数量"],
        ["苹果", '他说"好吃"', "007"],
        ["香蕉", "第一行\n第二行", "12"],
        ["梨,雪梨", "𠀀字", ""],
    ]),
    # Excel's "Unicode 文本": UTF-16 little-endian with a mark, tabs.
    "utf16le.txt": ("UTF-16LE", "utf-16-le", "\t", "\r\n", [
        ["名称", "颜色"],
        ["苹果", "红色"],
        ["葡萄", '紫"色"'],
        ["𠀀", "多行\n文本"],
    ]),
    "utf16be.txt": ("UTF-16BE", "utf-16-be", "\t", "\n", [
        ["名称", "颜色"],
        ["苹果", "黄\t绿"],
        ["橙子", "橙色"],
    ]),
}

expected = {}
for name, (codec, python_codec, delimiter, line_end, rows) in ROWS.items():
    text = io.StringIO()
    csv.writer(text, delimiter=delimiter, lineterminator=line_end).writerows(rows)
    mark = "" if python_codec == "gb18030" else "\ufeff"
    with open(name, "wb") as out:
        out.write((mark + text.getvalue()).encode(python_codec))
    expected[name] = {"codec": codec, "rows": rows}

# Neither UTF-8 nor GB18030: Latin-1 text and bytes no encoding here uses.
with open("not-text.csv", "wb") as out:
    out.write(b"caf\xe9,ok\r\n\x80\xff,x\r\n")

with open("encodings.json", "w", encoding="utf-8") as out:
    json.dump(expected, out, ensure_ascii=False, indent=1)
    out.write("\n")
