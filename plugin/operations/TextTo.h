#ifndef TEXTTO_H
#define TEXTTO_H

#include "operations/TextOperation.h"

#include <QStringList>

#include <optional>

struct ParTo;

// The conversion operation: case, width, number base, script and custom
// lists, one of them over every cell of the chosen sheets. The conversions of
// a cell's text are pure functions, public for whoever needs one alone.
//
// Number bases report Tip::BaseConversionFailed with the file once per file: when a
// whole cell is no number (the rest of that sheet then keeps its text), when
// a digit run is too long for 64 bits (it keeps its digits), or when a base
// lies outside 2 to 36 (nothing is converted).
class TextTo : public TextOperation
{
    Q_OBJECT

public:
    enum class CaseWhich { All, ParagraphFist, WordFirst };
    Q_ENUM(CaseWhich)
    enum class Implement { Case, Half, Base, Tradition, Custom };
    Q_ENUM(Implement)
    enum class Case { ToCapital, ToLowerCase };
    Q_ENUM(Case)

    // par is read only and must outlive run(); it is not owned.
    TextTo(const QString &fileName, const ParTo *par, QObject *parent);

    QString process() override;

    // What comes before a letter that starts a paragraph: the start of the
    // text or a line feed, then any white space.
    static const QString paragraphPrefix;
    // ... or that starts a word: that, or one white-space character.
    static const QString wordPrefix;

    // The ASCII letters a to z that follow a match of prefix, upper-cased;
    // every other character stays.
    static QString capitaliseAfter(const QString &text, const QString &prefix);
    // The ASCII letters A to Z that follow a match of prefix, lower-cased.
    static QString lowerAfter(const QString &text, const QString &prefix);
    // The text in the case the options ask for; nothing for values outside
    // the enumerations.
    static std::optional<QString> changeCase(const QString &text, Case toCase, CaseWhich which);

    // Printable ASCII to its full-width form or back. The grave accent pairs
    // with the middle dot, and "," and ":" stay as they are either way, as
    // do the full-width comma, colon and grave accent.
    static QString changeWidth(const QString &text, bool toFull);

    static bool isBase(int base);
    // The whole text as a number of base from, written in base to (negative
    // numbers outside base 10 as their 64-bit two's complement); nothing
    // when it is no such number.
    static std::optional<QString> convertNumber(const QString &text, int from, int to);
    // Every run of base-from digits in the text (for base 16 words of a to f
    // too) written in base to. A run too long for 64 bits stays as it is and
    // sets *runKept.
    static QString convertRuns(const QString &text, int from, int to, bool *runKept);

    // Entry i of fromList replaced by entry i of toList, one entry after the
    // other, each working on what the entries before it made.
    static QString applyLists(const QString &text, const QStringList &fromList,
                              const QStringList &toList);
    // Each character of the text that is a one-character entry of before
    // replaced once by its first such entry's partner in after.
    static QString replaceCharacters(const QString &text, const QStringList &before,
                                     const QStringList &after);

private:
    void convertCase(const SheetScope &scope);
    void convertWidth(const SheetScope &scope, bool toFull);
    void convertBase(const SheetScope &scope);
    void convertTradition(const SheetScope &scope);
    void convertCustom(const SheetScope &scope);
    void reportBaseFailure();

    const ParTo *par;
    bool m_baseFailureReported = false;
};

#endif // TEXTTO_H
