#ifndef TEXTSPACE_H
#define TEXTSPACE_H

#include "operations/TextOperation.h"

struct ParSpace;

// The spaces operation: in every cell of the chosen sheets, adds blanks at
// the start or the end of the text, limits or sets their number there,
// deletes some of them, or removes every blank. A blank is U+0020 only.
class TextSpace : public TextOperation
{
    Q_OBJECT

public:
    enum class Index { Left, Right, All };
    Q_ENUM(Index)
    enum class Implement { Increase, Retain, Fixde, Delete };
    Q_ENUM(Implement)

    // par is read only and must outlive run(); it is not owned.
    TextSpace(const QString &fileName, const ParSpace *par, QObject *parent);

    QString process() override;

    // The blanks a record's number puts at an end: that many, at most
    // MaxBuiltText. Built once and shared by every cell.
    static QString blanks(int number);
    // What the record makes of one cell's text; blanks as blanks() makes
    // them from the record's number.
    static void change(const ParSpace &par, const QString &blanks, QString &text);

    // Remove blanks at the start (then any white space after them), or at
    // the end (with any white space before them). A text that does not begin,
    // or end, with a blank stays as it is.
    static void stripLeadingSpaces(QString &text);
    static void stripTrailingSpaces(QString &text);

private:
    const ParSpace *par;
};

#endif // TEXTSPACE_H
