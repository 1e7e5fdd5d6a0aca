#ifndef SHEETSOURCE_H
#define SHEETSOURCE_H

#include <QByteArray>
#include <QtGlobal>
#include <memory>

class ReadAhead;
class ZipPackage;

// The bytes of a sheet part as a save reads them: ranges asked in order,
// never before a range asked earlier. A part held in memory answers
// directly; a part still in its package is inflated as the save goes, so
// that a sheet of hundreds of megabytes is never held whole.
class SheetSource
{
public:
    virtual ~SheetSource();
    // Bytes [from, to), valid until the next call; null when they cannot be
    // had (damaged entry, or a range before one asked earlier).
    virtual const char *data(quint32 from, quint32 to) = 0;
    virtual quint32 size() const = 0;
};

class BytesSource : public SheetSource
{
public:
    explicit BytesSource(const QByteArray &bytes) : m_bytes(bytes) {}
    const char *data(quint32 from, quint32 to) override;
    quint32 size() const override { return quint32(m_bytes.size()); }

private:
    const QByteArray &m_bytes;
};

class EntrySource : public SheetSource
{
public:
    EntrySource(const ZipPackage &package, int index);
    ~EntrySource() override;
    const char *data(quint32 from, quint32 to) override;
    quint32 size() const override { return m_size; }
    // Reads what is left and checks the entry's checksum.
    bool finish();

private:
    const ZipPackage &m_package;
    bool m_open = false;
    bool m_failed = false;
    quint32 m_size = 0;
    quint32 m_base = 0; // offset of the window's first byte
    QByteArray m_window;
    std::unique_ptr<ReadAhead> m_ahead;
};

#endif // SHEETSOURCE_H
