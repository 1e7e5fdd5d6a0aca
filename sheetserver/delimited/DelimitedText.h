#ifndef DELIMITEDTEXT_H
#define DELIMITEDTEXT_H

#include "delimited/DelimitedLayout.h"

#include <QByteArray>
#include <QString>

class SheetModel;

// Comma- or tab-separated text as a one-sheet workbook. Fields are text and
// stay text ("007" keeps its zeros). A file is only taken if writing it back
// unchanged gives exactly its bytes, so a save changes nothing but the
// changed fields.
class DelimitedText
{
public:
    // What reading a file and writing it back holds at its peak, per byte of
    // the file: its text, its cells and the text made again to check that it
    // comes back exactly (measured by `run_bench --price`; the plug-in's run
    // budget prices delimited text with the same figure).
    static constexpr double MemoryPerByte = 11.5;
    // The most UTF-16 units of text a file is read or written with. Qt's
    // strings are indexed by int, and an encoder asks for up to four bytes a
    // unit at once: past this the round trip would fail an allocation and
    // abort the process instead of refusing the file.
    static constexpr int MaxTextUnits = 500 << 20;

    // The largest file of delimited text that is opened when memory bytes
    // are at hand: one whose size times MemoryPerByte fits in them, and
    // never one of more than MaxTextUnits bytes (no encoding has fewer
    // bytes than units). Told from the file's size alone, before any of it
    // is read.
    static qint64 largestFile(qint64 memory);

    // In any encoding TextEncoding tells apart.
    static bool read(const QByteArray &bytes, QChar delimiter, SheetModel *sheet,
                     DelimitedLayout *layout, QString *why);
    // False when a changed field cannot be written in the file's encoding,
    // or the text would grow past MaxTextUnits.
    static bool write(const SheetModel &sheet, const DelimitedLayout &layout, QByteArray *out,
                      QString *why);
};

#endif // DELIMITEDTEXT_H
