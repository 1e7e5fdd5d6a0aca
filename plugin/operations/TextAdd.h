#ifndef TEXTADD_H
#define TEXTADD_H

#include <QObject>

// The append operation: a piece of the cell's own text put before or after it.
class TextAdd : public QObject
{
    Q_OBJECT

public:
    enum class Index { Left, Right };
    Q_ENUM(Index)
    enum class LengthOption { fixLength, TotalLengthMinus };
    Q_ENUM(LengthOption)
};

#endif // TEXTADD_H
