#ifndef SHEETWRITER_H
#define SHEETWRITER_H

#include <QByteArray>
#include <QHash>
#include <QPair>

class QIODevice;
class SheetLayout;
class SheetModel;
class SheetSource;

// Writes a changed worksheet part: the original bytes, with the changed
// cells written anew and new cells and rows put in their place. Every other
// byte of the part is copied: other cells with their values, types, styles
// and formulas, row and column attributes, merged cells, conditional
// formats, validations, hyperlinks, views, page setup, extension lists.
// Text written into a cell goes in as an inline string, so the shared-string
// table cannot grow from one run to the next (a Replace that changes a
// shared string for all its cells changes it in the table instead).
//
// What is written speaks the part's own dialect: new elements take the
// prefix of the element they go into (or none, where that one relies on a
// default namespace), a tag that is changed keeps its name and every other
// attribute, and a kept cell that told its column only by following the
// cell before it gets its reference written when that cell is gone.
class SheetWriter
{
public:
    // A formula to write into a cell that takes over a shared formula from
    // a removed first cell: the attributes (each with its leading space)
    // and the formula text, escaped.
    struct NewFormula
    {
        QByteArray attributes;
        QByteArray text;
    };
    // By (row, column).
    using NewFormulas = QHash<QPair<int, int>, NewFormula>;

    // Streams the part to out (in pieces, so that a large sheet is never
    // held twice) and tells where everything went; false when out refuses a
    // write or the part would outgrow what the server addresses.
    static bool write(const SheetModel &sheet, SheetSource *original, const NewFormulas &formulas,
                      QIODevice *out, SheetLayout *layout);
};

#endif // SHEETWRITER_H
