#ifndef SHAREDSTRINGSREADER_H
#define SHAREDSTRINGSREADER_H

#include <QByteArray>
#include <QString>
#include <QVector>

struct StringItemCut;

class TextPool;

// Reads the shared-string table of a workbook: the text of each string
// item in order, rich-text runs joined, phonetic runs left out, escapes
// decoded. Refuses (false, with the reason) other encodings, document type
// declarations and malformed XML.
//
// A large table is read in pieces on several threads, cut before string
// items (see XmlPieces); the strings come out exactly as one pass reads
// them, and when anything about a piece is off the table is read again in
// one pass.
class SharedStringsReader
{
public:
    // pieces as SheetReader::read takes them. cuts: where the pieces began,
    // when the table was read in pieces; left empty otherwise. Handed data
    // of its own, the reader lets it go once the pieces are read, before
    // their strings are gathered.
    static bool read(QByteArray data, TextPool *strings, QString *why, int pieces = 0,
                     bool *readInPieces = nullptr, QVector<StringItemCut> *cuts = nullptr);
};

#endif // SHAREDSTRINGSREADER_H
