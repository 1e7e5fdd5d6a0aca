#ifndef TEXTBASE_H
#define TEXTBASE_H

#include "Tip.h"

#include <QIODevice>
#include <QObject>
#include <QString>

// The plain-text counterpart of ExcelBase: read a text file, let the
// operation rewrite the text (process), write it back. Nothing in the
// plug-in derives from it yet.
class TextBase : public QObject
{
    Q_OBJECT
public:
    TextBase(const QString &fileName, QObject *parent);

    virtual QString process() = 0;

    // Whole file in the encoding the options choose (ContentCodec); tips FileNotFound not opened,
    // FileUnreadable not readable.
    bool readTxt(const QString &fileName, QString &text);
    // Truncates and writes; tips FileSaved written, FileUnwritable not
    // writable, FileNotFound not opened. True when the file could be opened.
    bool writeTxt(const QString &fileName, const QString &text);

    // The write behind writeTxt, shared with TextBaseNew: the tip of its
    // outcome.
    static Tip::Pair writeWhole(const QString &fileName, const QString &text,
                                QIODevice::OpenMode mode);

public slots:
    virtual void run();

signals:
    void done(QString fileName);
    void tipSignal(int var1, int var2, QString tipText = QString());

protected:
    QString m_fileName;
    QString m_text;
};

#endif // TEXTBASE_H
