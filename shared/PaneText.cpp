#include "PaneText.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const QChar frameStart(0xFDD0);
const QChar frameEnd(0xFDD1);

// What the pane's document holds for one character of the text: every
// character that breaks the line becomes a paragraph separator.
QChar shownAs(QChar c)
{
    if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == frameStart || c == frameEnd)
        return QChar::ParagraphSeparator;
    return c;
}

} // namespace

PaneText::PaneText(QPlainTextEdit *pane) : QObject(pane), m_pane(pane)
{
    connect(pane->document(), &QTextDocument::contentsChange, this, &PaneText::follow);
}

void PaneText::setText(const QString &text)
{
    m_text = text;
    m_text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_setting = true;
    m_pane->setPlainText(m_text);
    m_setting = false;
}

QString PaneText::shownText(int position, int length) const
{
    QTextCursor cursor(m_pane->document());
    cursor.setPosition(position);
    cursor.setPosition(position + length, QTextCursor::KeepAnchor);
    // The document's own characters: no-break spaces and line separators as
    // they are, every line break as a paragraph separator.
    return cursor.selectedText();
}

void PaneText::follow(int position, int removed, int added)
{
    if (m_setting)
        return;
    // The document counts a last line break of its own that the text lacks,
    // and a change that reaches the end counts it too.
    const int shownLength = m_pane->document()->characterCount() - 1;
    removed = qBound(0, removed, m_text.size() - position);
    added = qBound(0, added, shownLength - position);
    const QString before = m_text.mid(position, removed);
    const QString after = shownText(position, added);

    // A change may be reported over more than was edited: what still shows
    // as it did keeps its own characters.
    int same = 0;
    while (same < before.size() && same < after.size() &&
           shownAs(before.at(same)) == after.at(same))
        ++same;
    int sameAtEnd = 0;
    while (sameAtEnd < before.size() - same && sameAtEnd < after.size() - same &&
           shownAs(before.at(before.size() - 1 - sameAtEnd)) ==
               after.at(after.size() - 1 - sameAtEnd))
        ++sameAtEnd;
    QString typed = after.mid(same, after.size() - same - sameAtEnd);
    typed.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    m_text.replace(position + same, removed - same - sameAtEnd, typed);

    if (m_text.size() != shownLength) {
        // Lost step with the pane: what it shows is all there is to keep.
        m_text = shownText(0, shownLength);
        m_text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    }
}
