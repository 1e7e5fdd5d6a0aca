#ifndef TEMPORARYCOPY_H
#define TEMPORARYCOPY_H

#include <QByteArray>
#include <QIODevice>
#include <QString>

// The new content of a workbook on its way to disk: a hidden file beside
// it, named after it ("." + name + ".quorvane-saving") so that a user who
// finds one left by a crash knows what it is, and the next open or save of
// that workbook removes it. Only the holder of the workbook writes it, so
// one name is enough.
//
// Every write to the file is checked: once one fails (a full disk, a file
// size limit), every later write fails too and `error()` says why, whatever
// the writer made of the result; the writes are buffered here and `sync()`
// puts the rest to disk and waits until all of it is there. The file is
// removed when this goes, unless it has taken the workbook's place.
class TemporaryCopy : public QIODevice
{
public:
    explicit TemporaryCopy(const QString &workbook);
    ~TemporaryCopy() override;

    static QString pathFor(const QString &workbook);
    static void removeStale(const QString &workbook);

    // Creates the file, readable by its owner alone until it is complete.
    bool create(QString *why);
    int descriptor() const { return m_fd; }
    bool isSequential() const override { return true; }
    // Everything written so far reaches the file; false once any write failed.
    bool drain(QString *why);
    // Drained, then on disk with its attributes.
    bool sync(QString *why);
    // Renames the file over the workbook; the descriptor then goes to the
    // caller, who holds the workbook through it.
    bool replace(const QString &workbook, QString *why);
    int takeDescriptor();

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override;

private:
    bool writeOut(const char *data, qint64 length);
    QString failure() const;

    QString m_path;
    int m_fd = -1;
    QByteArray m_buffer;
    int m_error = 0; // errno of the first failed write
    bool m_placed = false;
};

#endif // TEMPORARYCOPY_H
