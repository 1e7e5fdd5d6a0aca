#ifndef XMLSTARTTAG_H
#define XMLSTARTTAG_H

#include <QByteArray>

// The start tag at the beginning of some bytes of a part that has been read
// as well-formed XML: where its name and attributes lie, so that a writer
// can change one attribute or add one and copy every other byte, and can
// name new elements as the part names its own (with the same prefix, or
// with none where a default namespace is meant).
class XmlStartTag
{
public:
    // bytes begin with '<'; they may go on past the tag.
    XmlStartTag(const char *bytes, int length);

    // The element's qualified name and its prefix with the colon ("x:"),
    // empty when it has none.
    QByteArray name() const;
    QByteArray prefix() const;
    int nameEnd() const { return m_nameEnd; } // just after the name
    // Where the '/' of "/>" or the '>' of ">" is.
    int tagEnd() const { return m_tagEnd; }
    bool isSelfClosing() const;

    // The value of the unprefixed attribute `name` lies in [*from, *to),
    // between its quotes; false when the tag has no such attribute.
    bool findAttribute(const char *name, int *from = nullptr, int *to = nullptr) const;

private:
    const char *m_bytes;
    int m_length;
    int m_nameEnd = 1;
    int m_tagEnd = 1;
};

#endif // XMLSTARTTAG_H
