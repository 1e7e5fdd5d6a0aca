#ifndef TEXTCHAR_H
#define TEXTCHAR_H

#include <QObject>

// The characters operation: add, delete or keep characters at an end or a position.
class TextChar : public QObject
{
    Q_OBJECT

public:
    enum class Index { Left, Right, Pos };
    Q_ENUM(Index)
    enum class Implement { Increase, Delete, Retain };
    Q_ENUM(Implement)
    enum class LengthOption { fixLength, TotalLengthMinus };
    Q_ENUM(LengthOption)
};

#endif // TEXTCHAR_H
