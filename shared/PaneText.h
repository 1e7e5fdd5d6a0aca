#ifndef PANETEXT_H
#define PANETEXT_H

#include <QObject>
#include <QString>

class QPlainTextEdit;

// The text of a plain-text pane with every character the user did not
// change. The pane shows a no-break space as a space and a lone carriage
// return or a paragraph separator as a line break, and hands them back so:
// a text taken from it would change characters nobody edited. This keeps
// the text it was given and follows the pane's edits into it, each as
// typed, a new line break as a line feed.
class PaneText : public QObject
{
    Q_OBJECT
public:
    // Lives as long as the pane.
    explicit PaneText(QPlainTextEdit *pane);

    // Shows text in the pane. A carriage return and line feed pair counts
    // as a line feed, as the pane keeps it as one line break.
    void setText(const QString &text);
    QString text() const { return m_text; }

private:
    void follow(int position, int removed, int added);
    QString shownText(int position, int length) const;

    QPlainTextEdit *m_pane;
    QString m_text;
    bool m_setting = false;
};

#endif // PANETEXT_H
