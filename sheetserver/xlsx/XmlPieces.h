#ifndef XMLPIECES_H
#define XMLPIECES_H

#include <QByteArray>
#include <QVector>
#include <QXmlStreamNamespaceDeclaration>

// Cuts the content of one large element of an XML part (the cells table of
// a sheet, the shared-string table) into pieces that separate readers can
// take on separate threads.
//
// Where things lie is found in the bytes, without reading the XML, and so
// is only a guess; the readers prove it. The skeleton (the part without
// the content) must read as the same element, empty, at the same place.
// Each piece, read as a document of its own between the opening and
// closing made here, must be well-formed content of exactly that made-up
// element. A cut that fell inside a comment, a CDATA section, a processing
// instruction or a deeper element leaves the piece before it unbalanced,
// so it cannot pass; whatever does not pass is read in one pass instead.
class XmlPieces
{
public:
    // Below this a piece is not worth a thread of its own.
    static constexpr int MinPieceSize = 512 << 10;
    // How many pieces a part of this size is worth cutting into, with the
    // cores this job has (OwnThread::share).
    static int countFor(qint64 size);

    struct Piece
    {
        qint64 from = 0;
        qint64 to = 0;
    };

    // Finds the first start tag of the element with this local name and its
    // last end tag, and cuts its content before start tags of children
    // named `child` (with the element's prefix) into at most `count` pieces
    // of about the same size. Not valid when there is no such element,
    // when it is empty or when it ends before it starts.
    XmlPieces(const QByteArray &data, const QByteArray &element, const QByteArray &child,
              int count);

    bool isValid() const { return m_contentFrom > 0; }
    qint64 contentFrom() const { return m_contentFrom; } // after the start tag
    qint64 contentTo() const { return m_contentTo; }     // the end tag's '<'
    const QVector<Piece> &pieces() const { return m_pieces; }

    // The part without the content; its offsets from contentFrom() on lie
    // (contentTo() - contentFrom()) further on in the part.
    QByteArray skeleton() const;
    qint64 partOffset(qint64 skeletonOffset) const;

    // Start tags for the element and its ancestors, outermost first, that
    // declare what each of them declares, and the matching end tags.
    // Their names are made up: content that tries to close them cannot
    // close them.
    static QByteArray opening(const QVector<QXmlStreamNamespaceDeclarations> &scopes);
    static QByteArray closing(int depth);
    // How many characters the XML reader counts for opening().
    static qint64 characters(const QByteArray &opening);

private:
    const QByteArray &m_data;
    qint64 m_contentFrom = 0;
    qint64 m_contentTo = 0;
    QVector<Piece> m_pieces;
};

#endif // XMLPIECES_H
