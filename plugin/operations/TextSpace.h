#ifndef TEXTSPACE_H
#define TEXTSPACE_H

#include <QObject>

// The spaces operation: blanks at the start or the end of a cell, or all of them.
class TextSpace : public QObject
{
    Q_OBJECT

public:
    enum class Index { Left, Right, All };
    Q_ENUM(Index)
    enum class Implement { Increase, Retain, Fixde, Delete };
    Q_ENUM(Implement)
};

#endif // TEXTSPACE_H
