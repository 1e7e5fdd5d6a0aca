#ifndef TEXTCHAR_H
#define TEXTCHAR_H

#include "operations/TextOperation.h"

struct ParChar;

// The characters operation: in every cell of the chosen sheets, adds a text,
// deletes a number of characters or keeps only a number of them, at the left
// end, the right end or from a position.
class TextChar : public TextOperation
{
    Q_OBJECT

public:
    enum class Index { Left, Right, Pos };
    Q_ENUM(Index)
    enum class Implement { Increase, Delete, Retain };
    Q_ENUM(Implement)
    enum class LengthOption { fixLength, TotalLengthMinus };
    Q_ENUM(LengthOption)

    // par is read only and must outlive run(); it is not owned.
    TextChar(const QString &fileName, const ParChar *par, QObject *parent);

    QString process() override;

    // What the record makes of one cell's text. Counts and positions are in
    // UTF-16 units and behave at the ends as QString's remove, chop, left,
    // right, mid and insert do; a position beyond the end is padded with
    // blanks. A text that would outgrow a cell stays as it was.
    static void change(const ParChar &par, QString &text);

private:
    const ParChar *par;
};

#endif // TEXTCHAR_H
