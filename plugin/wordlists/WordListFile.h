#ifndef WORDLISTFILE_H
#define WORDLISTFILE_H

#include "ContentEncoding.h"

#include <QString>

// What one word-list file held when it was last read or written. A list is
// read by its content, whatever the host's encoding setting, and written
// back in the encoding it came in, only when its text changed, and never
// over a file whose bytes did not read as text: that would lose them.
class WordListFile
{
public:
    // False when the file cannot be read: its text is then empty. Line ends
    // arrive as line feeds.
    bool read(const QString &path);
    // True when the file holds text afterwards: written, or already holding
    // it. False when it could not be written or must not be.
    bool write(const QString &path, const QString &text);

    QString text() const { return m_text; }

private:
    QString m_text;
    ContentEncoding m_encoding;
    bool m_mayWrite = true;
};

#endif // WORDLISTFILE_H
