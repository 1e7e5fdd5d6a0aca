#include "ReadWriteTxt.h"
#include "ContentCodec.h"
#include "Tip.h"

#include <QBuffer>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextCodec>
#include <QTextStream>

ReadWriteTxt g_readWriteTxt;

ReadWriteTxt::ReadWriteTxt(QObject *parent) : QObject(parent) {}

bool ReadWriteTxt::openFile(QFileDevice &file, QIODevice::OpenMode mode)
{
    return file.open(mode);
}

bool ReadWriteTxt::openForReading(QFile &file, QIODevice::OpenMode mode)
{
    if (!openFile(file, QIODevice::ReadOnly | mode)) {
        emitTip(this, Tip::FileNotFound, file.fileName());
        return false;
    }
    if (!file.isReadable()) {
        emitTip(this, Tip::FileUnreadable, file.fileName());
        return false;
    }
    return true;
}

bool ReadWriteTxt::readTxt(const QString &path, QString &text)
{
    QFile file(path);
    if (!openForReading(file, QIODevice::Text))
        return false;
    QTextStream stream(&file);
    stream.setCodec(ContentCodec::chosen());
    text = stream.readAll();
    file.close();
    return true;
}

namespace {

bool bytesDecodeLosslessly(const QByteArray &bytes)
{
    // The stream behind readTxt follows a byte-order mark before the chosen
    // encoding.
    QTextCodec *codec = QTextCodec::codecForUtfText(bytes, ContentCodec::chosen());
    const QString text = codec->toUnicode(bytes);
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QByteArray back = codec->fromUnicode(text.constData(), text.size(), &state);
    if (back == bytes)
        return true;
    // Reading drops a byte-order mark, which is no loss of text.
    const QChar mark(QChar::ByteOrderMark);
    QTextCodec::ConverterState markState(QTextCodec::IgnoreHeader);
    return bytes == codec->fromUnicode(&mark, 1, &markState) + back;
}

} // namespace

bool ReadWriteTxt::readTxt(const QString &path, QString &text, bool &lossless)
{
    lossless = true;
    QFile file(path);
    if (!openFile(file, QIODevice::ReadOnly)) {
        emitTip(this, Tip::FileNotFound, path);
        return false;
    }
    if (!file.isReadable()) {
        emitTip(this, Tip::FileUnreadable, path);
        return false;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    lossless = bytesDecodeLosslessly(bytes);
    // The bytes in memory go through the same text-mode stream as a file.
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    QTextStream stream(&buffer);
    stream.setCodec(ContentCodec::chosen());
    text = stream.readAll();
    return true;
}

bool ReadWriteTxt::writeTxt(const QString &path, const QString &text)
{
    return write(path, QIODevice::Text, [&text](QFileDevice &file) {
        QTextStream stream(&file);
        stream.setCodec(ContentCodec::chosen());
        stream << text;
        stream.flush();
        return stream.status() == QTextStream::Ok;
    });
}

bool ReadWriteTxt::readBytes(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!openForReading(file, {}))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

bool ReadWriteTxt::writeBytes(const QString &path, const QByteArray &bytes)
{
    return write(path, {},
                 [&bytes](QFileDevice &file) { return file.write(bytes) == bytes.size(); });
}

bool ReadWriteTxt::write(const QString &path, QIODevice::OpenMode mode,
                         const std::function<bool(QFileDevice &)> &writeContent)
{
    // The new text replaces the file only once all of it is written, so a
    // full disk or a failed write never leaves a document emptied or cut
    // short. Devices and pipes cannot be replaced and are written in place.
    const QFileInfo info(path);
    QFile direct(path);
    QSaveFile replacing(path);
    replacing.setDirectWriteFallback(true);
    const bool inPlace = path.isEmpty() || (info.exists() && !info.isFile());
    QFileDevice &file = inPlace ? static_cast<QFileDevice &>(direct) : replacing;

    if (!openFile(file, QIODevice::WriteOnly | mode)) {
        emitTip(this, Tip::FileNotFound, path);
        return false;
    }
    if (!file.isWritable()) {
        emitTip(this, Tip::FileUnwritable, path);
        if (inPlace)
            direct.close();
        else
            replacing.cancelWriting();
        return false;
    }
    // A full disk only shows once the buffers reach the file, so the outcome
    // is known after the flush, not after the content was accepted.
    bool written = writeContent(file) && file.flush() && file.error() == QFileDevice::NoError;
    if (inPlace) {
        direct.close();
        written = written && direct.error() == QFileDevice::NoError;
    } else if (written) {
        written = replacing.commit();
    } else {
        replacing.cancelWriting();
    }
    if (!written) {
        emitTip(this, Tip::FileSaveFailed, path);
        return false;
    }
    emitTip(this, Tip::FileSaved, path);
    return true;
}
