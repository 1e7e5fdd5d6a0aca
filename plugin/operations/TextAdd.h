#ifndef TEXTADD_H
#define TEXTADD_H

#include "operations/TextOperation.h"

struct ParAdd;

// The append operation: in every cell of the chosen sheets, a piece of the
// cell's own text is copied before or after it.
class TextAdd : public TextOperation
{
    Q_OBJECT

public:
    enum class Index { Left, Right };
    Q_ENUM(Index)
    enum class LengthOption { fixLength, TotalLengthMinus };
    Q_ENUM(LengthOption)

    // par is read only and must outlive run(); it is not owned.
    TextAdd(const QString &fileName, const ParAdd *par, QObject *parent);

    QString process() override;

    // What the record makes of one cell's text: the piece is taken from the
    // text as it was, from pos on, as QString::mid takes it.
    static void change(const ParAdd &par, QString &text);

private:
    const ParAdd *par;
};

#endif // TEXTADD_H
