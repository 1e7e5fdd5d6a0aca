#ifndef TEXTRETAIN_H
#define TEXTRETAIN_H

#include "operations/TextOperation.h"

#include <QVector>

struct ParRetain;

// The retain operation: in every chosen sheet, keeps the cells that one of
// the record's keys selects, by position (a cell such as B2, or a block such
// as A1:C3) or by content (a text the cell shows, whole or in part), and
// empties the value and formula of every other cell of the used range. Kept
// cells are not written; styles stay everywhere.
class TextRetain : public TextOperation
{
    Q_OBJECT

public:
    // par is read only and must outlive run(); it is not owned.
    TextRetain(const QString &fileName, const ParRetain *par, QObject *parent);

    QString process() override;

private:
    // The cells a position key selects, corners as written: a block whose
    // second corner lies above or left of its first selects nothing.
    struct Block
    {
        int top = 0;
        int left = 0;
        int bottom = -1;
        int right = -1;
        bool holds(int row, int column) const
        {
            return top <= row && row <= bottom && left <= column && column <= right;
        }
    };

    QVector<Block> positionBlocks();
    bool keepsPosition(const QVector<Block> &blocks, int row, int column) const;
    bool keepsText(const QString &text) const;

    const ParRetain *par;
};

#endif // TEXTRETAIN_H
