#ifndef SHAREDSTRINGSWRITER_H
#define SHAREDSTRINGSWRITER_H

#include "xlsx/StringItemCut.h"

#include <QVector>

class QIODevice;
class SheetSource;
class WorkbookDocument;

// Writes the shared-string table of a package again after some of its
// strings were given new text (WorkbookDocument::rewriteSharedStrings): each
// of those items keeps its start and end tags and holds the new text as one
// plain text element; every other byte of the part is copied. The items are
// found as the reader counts them: every string item, at any depth, that is
// not inside another. The part is read as the writing goes (SheetSource),
// so a large table is never held whole.
class SharedStringsWriter
{
public:
    // original: the part as read (UTF-8). False when its items are not the
    // table the document holds, the part cannot be read, or out refuses a
    // write.
    static bool write(SheetSource *original, const WorkbookDocument &document, QIODevice *out);
    // The same bytes, the part cut where cuts say (as the reader found
    // them, or as a write before recorded them) and the pieces rewritten on
    // several threads; without usable cuts, in one pass. *written: where
    // the new part can be cut the same way; empty after a pass in one.
    static bool write(SheetSource *original, const WorkbookDocument &document,
                      const QVector<StringItemCut> &cuts, QIODevice *out,
                      QVector<StringItemCut> *written);
};

#endif // SHAREDSTRINGSWRITER_H
