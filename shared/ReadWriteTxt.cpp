#include "ReadWriteTxt.h"

#include <QTextStream>

ReadWriteTxt g_readWriteTxt;

ReadWriteTxt::ReadWriteTxt(QObject *parent) : QObject(parent) {}

bool ReadWriteTxt::openFile(QFile &file, QIODevice::OpenMode mode)
{
    return file.open(mode);
}

bool ReadWriteTxt::readTxt(const QString &path, QString &text)
{
    QFile file(path);
    if (!openFile(file, QIODevice::ReadOnly | QIODevice::Text)) {
        emit tipSignal(0, 0, path);
        return false;
    }
    if (!file.isReadable()) {
        emit tipSignal(0, 1, path);
        return false;
    }
    QTextStream stream(&file);
    text = stream.readAll();
    file.close();
    return true;
}

bool ReadWriteTxt::writeTxt(const QString &path, const QString &text)
{
    QFile file(path);
    if (!openFile(file, QIODevice::WriteOnly | QIODevice::Text)) {
        emit tipSignal(0, 0, path);
        return false;
    }
    if (!file.isWritable()) {
        emit tipSignal(0, 2, path);
        file.close();
        return false;
    }
    QTextStream stream(&file);
    stream << text;
    stream.flush();
    // A full disk only shows once the buffers reach the file, so the outcome
    // is known after the flush, not after the stream accepted the text.
    const bool written =
        stream.status() == QTextStream::Ok && file.flush() && file.error() == QFileDevice::NoError;
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        emit tipSignal(0, 3, path);
        return false;
    }
    emit tipSignal(0, 4, path);
    return true;
}
