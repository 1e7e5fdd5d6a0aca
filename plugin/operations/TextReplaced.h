#ifndef TEXTREPLACED_H
#define TEXTREPLACED_H

#include "operations/TextOperation.h"

struct ParReplaced;

// Replace, replace by table and delete: each pair of the record either goes
// to the spreadsheet application's own replace over the used range of every
// chosen sheet (by key), or names a cell that takes the replacement (by
// position). The three operations differ only in their records.
class TextReplaced : public TextOperation
{
    Q_OBJECT
public:
    // par is read only and must outlive run(); it is not owned.
    TextReplaced(const QString &fileName, const ParReplaced *par, QObject *parent);

    QString process() override;

private:
    bool replaceOnSheet(const SheetScope &scope);

    const ParReplaced *par;
};

#endif // TEXTREPLACED_H
