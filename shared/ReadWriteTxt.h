#ifndef READWRITETXT_H
#define READWRITETXT_H

#include <QFile>
#include <QObject>
#include <QString>

#include <functional>

// Reads and writes whole text files in the encoding the options choose
// (ContentCodec); a byte-order mark, when a file has one, wins on reading. Outcomes are
// reported both as the result and as a tip code pair; callers that must tell
// the user look at the result, since nothing listens to the tips.
class ReadWriteTxt : public QObject
{
    Q_OBJECT
public:
    explicit ReadWriteTxt(QObject *parent = nullptr);

    // Leaves text untouched when the file cannot be read.
    bool readTxt(const QString &path, QString &text);
    // Reads as readTxt does, from one read of the file (a document that
    // follows its file reads it often), and sets `lossless` false when the
    // bytes are not text in the codec it read them with, so that writing
    // the text back would not give the same bytes: what the codec could not
    // decode comes back as replacement characters. A file that cannot be
    // read has nothing to lose: true.
    bool readTxt(const QString &path, QString &text, bool &lossless);
    // Creates or replaces the file; true only when every byte reached it. A
    // write that fails leaves the file as it was.
    bool writeTxt(const QString &path, const QString &text);
    // The same for callers that choose the encoding themselves: the file's
    // bytes as they stand, without line-end translation.
    bool readBytes(const QString &path, QByteArray &bytes);
    bool writeBytes(const QString &path, const QByteArray &bytes);

signals:
    void tipSignal(int var1, int var2, QString tipText = QString());

protected:
    // A real file opened for writing is always writable; tests replace the
    // open to reach the branches that guard against devices that are not.
    virtual bool openFile(QFileDevice &file, QIODevice::OpenMode mode);

private:
    bool openForReading(QFile &file, QIODevice::OpenMode mode);
    // Replaces the file with what writeContent puts on the device, which is
    // opened for writing with mode added.
    bool write(const QString &path, QIODevice::OpenMode mode,
               const std::function<bool(QFileDevice &)> &writeContent);
};

// One per deliverable: host and plug-in each link their own copy.
extern ReadWriteTxt g_readWriteTxt;

#endif // READWRITETXT_H
