#ifndef TEXTCUT_H
#define TEXTCUT_H

#include <QString>

// Cutting a cell's text at positions counted in UTF-16 units, as QString
// counts them, without ever splitting a character made of two units (a rare
// CJK character, an emoji): a cut that falls between the two halves moves to
// just after them, so the character goes wherever its first half goes.
namespace TextCut {

// The position clamped to the text, moved past a pair it would split.
int boundary(const QString &text, int position);

// As QString::mid(position, n) at its ends (a start beyond the text gives
// nothing, a negative n everything to the end), cut on whole characters.
QString mid(const QString &text, int position, int n = -1);

} // namespace TextCut

#endif // TEXTCUT_H
