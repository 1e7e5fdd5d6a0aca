#ifndef TEXTTO_H
#define TEXTTO_H

#include <QObject>

// The conversion operation: case, width, number base, script and custom lists.
class TextTo : public QObject
{
    Q_OBJECT

public:
    enum class CaseWhich { All, ParagraphFist, WordFirst };
    Q_ENUM(CaseWhich)
    enum class Implement { Case, Half, Base, Tradition, Custom };
    Q_ENUM(Implement)
    enum class Case { ToCapital, ToLowerCase };
    Q_ENUM(Case)
};

#endif // TEXTTO_H
