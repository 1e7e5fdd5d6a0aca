#include "TextBase.h"

#include "ContentCodec.h"
#include "ReadWriteTxt.h"

#include <QDebug>
#include <QFile>
#include <QTextStream>

TextBase::TextBase(const QString &fileName, QObject *parent) : QObject(parent), m_fileName(fileName)
{
}

Tip::Pair TextBase::writeWhole(const QString &fileName, const QString &text,
                               QIODevice::OpenMode mode)
{
    QFile file(fileName);
    if (!file.open(mode))
        return Tip::FileNotFound;
    if (!file.isWritable())
        return Tip::FileUnwritable;
    QTextStream stream(&file);
    stream.setCodec(ContentCodec::chosen());
    stream << text;
    stream.flush();
    return Tip::FileSaved;
}

bool TextBase::readTxt(const QString &fileName, QString &text)
{
    qDebug() << "readTxt m_fileName:" << fileName;
    // The project's whole-file reader, with its tips told as this object's.
    ReadWriteTxt reader;
    connect(&reader, &ReadWriteTxt::tipSignal, this, &TextBase::tipSignal);
    return reader.readTxt(fileName, text);
}

bool TextBase::writeTxt(const QString &fileName, const QString &text)
{
    const Tip::Pair tip =
        writeWhole(fileName, text, QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate);
    emitTip(this, tip, fileName);
    return tip != Tip::FileNotFound;
}

void TextBase::run()
{
    if (!readTxt(m_fileName, m_text))
        return;
    m_text = process();
    if (!writeTxt(m_fileName, m_text))
        return;
    emitTip(this, Tip::FileDone, m_fileName);
    emit done(m_fileName);
}
