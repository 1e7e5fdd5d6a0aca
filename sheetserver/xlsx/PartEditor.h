#ifndef PARTEDITOR_H
#define PARTEDITOR_H

#include <QByteArray>
#include <QSet>
#include <QString>
#include <functional>

class QXmlStreamAttributes;

// Small edits of package parts that keep every other byte: removing the
// calculation chain's entries for cells that lost their formula, and
// removing elements such as a relationship or a content type.
class PartEditor
{
public:
    // Keys are "<sheetId>!<cell>", as "1!E2". *empty tells whether any entry
    // is left (a chain without entries must go altogether).
    static bool removeChainEntries(const QByteArray &chain, const QSet<QString> &cells,
                                   QByteArray *out, bool *empty);
    // Drops every child element of the root that the predicate picks.
    static bool removeElements(const QByteArray &xml,
                               const std::function<bool(const QXmlStreamAttributes &)> &drop,
                               QByteArray *out);
};

#endif // PARTEDITOR_H
