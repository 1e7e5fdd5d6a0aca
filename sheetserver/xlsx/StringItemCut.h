#ifndef STRINGITEMCUT_H
#define STRINGITEMCUT_H

#include <QtGlobal>

// A place in a shared-string part where a string item starts outside any
// other markup, and the index of that item: the part can be rewritten from
// there on without what lies before. The first cut of a list is always the
// part's start, item 0.
struct StringItemCut
{
    quint32 offset = 0;
    int firstItem = 0;
};

#endif // STRINGITEMCUT_H
