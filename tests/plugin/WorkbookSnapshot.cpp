#include "WorkbookSnapshot.h"

#include "WorkbookFixtures.h"

#include <QJsonDocument>
#include <QSet>

namespace WorkbookSnapshot {

namespace {

const char *const kScript = R"(
import json, sys, datetime, openpyxl, xlrd
out = {"sheets": [], "cells": {}, "styles": {}, "merged": {}}
if sys.argv[1].lower().endswith(".xls"):
    b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
    for s in b.sheets():
        out["sheets"].append(s.name)
        out["merged"][s.name] = sorted("%s:%s" % (xlrd.cellname(r0, c0), xlrd.cellname(r1 - 1, c1 - 1))
                                       for r0, r1, c0, c1 in s.merged_cells)
        for r in range(s.nrows):
            for c in range(s.ncols):
                x = s.cell(r, c)
                if x.ctype == 0:
                    continue
                key = s.name + "!" + xlrd.cellname(r, c)
                out["cells"][key] = bool(x.value) if x.ctype == 4 else None if x.ctype == 6 else x.value
                xf = b.xf_list[x.xf_index]
                font = b.font_list[xf.font_index]
                out["styles"][key] = [b.format_map[xf.format_key].format_str, bool(font.bold),
                                      bool(font.italic), xf.background.pattern_colour_index,
                                      xf.alignment.hor_align]
    print(json.dumps(out, ensure_ascii=False))
    sys.exit()
wb = openpyxl.load_workbook(sys.argv[1])
out["sheets"] = wb.sheetnames
for ws in wb.worksheets:
    out["merged"][ws.title] = sorted(str(r) for r in ws.merged_cells.ranges)
    for row in ws.iter_rows():
        for c in row:
            if c.value is None and not c.has_style:
                continue
            key = ws.title + "!" + c.coordinate
            v = c.value
            if isinstance(v, (datetime.datetime, datetime.date, datetime.time)):
                v = v.isoformat()
            elif v is not None and not isinstance(v, (str, bool, int, float)):
                v = str(v)
            out["cells"][key] = v
            out["styles"][key] = [c.number_format, bool(c.font.b), bool(c.font.i),
                                  str(c.fill.fgColor.rgb), str(c.alignment.horizontal)]
print(json.dumps(out, ensure_ascii=False))
)";

} // namespace

QVariantMap take(const QString &path)
{
    // -c takes the script; the path follows as the script's argument.
    QString script = QString::fromUtf8(kScript);
    script.replace(QStringLiteral("sys.argv[1]"),
                   QStringLiteral("'") +
                       QString(path).replace(QLatin1Char('\''), QStringLiteral("\\'")) +
                       QStringLiteral("'"));
    QString output;
    if (!WorkbookFixtures::runPython(script, &output))
        return QVariantMap();
    return QJsonDocument::fromJson(output.toUtf8()).toVariant().toMap();
}

QStringList changedCells(const QVariantMap &before, const QVariantMap &after)
{
    const QVariantMap a = before.value(QStringLiteral("cells")).toMap();
    const QVariantMap b = after.value(QStringLiteral("cells")).toMap();
    QSet<QString> keys;
    for (auto it = a.cbegin(); it != a.cend(); ++it)
        keys.insert(it.key());
    for (auto it = b.cbegin(); it != b.cend(); ++it)
        keys.insert(it.key());
    QStringList changed;
    for (const QString &key : qAsConst(keys)) {
        if (!a.contains(key) || !b.contains(key) || a.value(key) != b.value(key))
            changed.append(key);
    }
    changed.sort();
    return changed;
}

} // namespace WorkbookSnapshot
