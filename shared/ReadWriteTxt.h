#ifndef READWRITETXT_H
#define READWRITETXT_H

#include <QFile>
#include <QObject>
#include <QString>

// Reads and writes whole text files through the locale codec. Outcomes are
// reported both as the result and as a tip code pair; callers that must tell
// the user look at the result, since nothing listens to the tips.
class ReadWriteTxt : public QObject
{
    Q_OBJECT
public:
    explicit ReadWriteTxt(QObject *parent = nullptr);

    // Leaves text untouched when the file cannot be read.
    bool readTxt(const QString &path, QString &text);
    // False when the file's bytes are not text in the codec readTxt would
    // read them with, so that writing its text back would not give the same
    // bytes: what the codec could not decode comes back as replacement
    // characters. A file that cannot be read has nothing to lose: true.
    bool decodesLosslessly(const QString &path);
    // Reads as readTxt does and tells what decodesLosslessly would, from one
    // read of the file: a document that follows its file reads it often.
    bool readTxt(const QString &path, QString &text, bool &lossless);
    // Creates or replaces the file; true only when every byte reached it. A
    // write that fails leaves the file as it was.
    bool writeTxt(const QString &path, const QString &text);

signals:
    void tipSignal(int var1, int var2, QString tipText = QString());

protected:
    // A real file opened for writing is always writable; tests replace the
    // open to reach the branches that guard against devices that are not.
    virtual bool openFile(QFileDevice &file, QIODevice::OpenMode mode);
};

// One per deliverable: host and plug-in each link their own copy.
extern ReadWriteTxt g_readWriteTxt;

#endif // READWRITETXT_H
