#include "text/TextCut.h"

#include <QtGlobal>

namespace TextCut {

int boundary(const QString &text, int position)
{
    position = qBound(0, position, text.size());
    if (position > 0 && position < text.size() && text.at(position - 1).isHighSurrogate() &&
        text.at(position).isLowSurrogate())
        ++position;
    return position;
}

QString mid(const QString &text, int position, int n)
{
    const int size = text.size();
    if (position > size)
        return QString();
    int start = position;
    int end = 0;
    if (position < 0) {
        // A start before the text counts n from there.
        start = 0;
        end = (n < 0 || qint64(n) + position >= size) ? size : qMax(0, n + position);
    } else {
        end = (n < 0 || n > size - position) ? size : position + n;
    }
    const int from = boundary(text, start);
    const int to = boundary(text, end);
    return text.mid(from, qMax(0, to - from));
}

} // namespace TextCut
