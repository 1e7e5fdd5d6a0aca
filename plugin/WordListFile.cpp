#include "WordListFile.h"

#include "ContentCodec.h"
#include "ReadWriteTxt.h"

#include <QFileInfo>

bool WordListFile::read(const QString &path)
{
    m_text.clear();
    m_encoding = ContentEncoding();
    QByteArray bytes;
    if (!g_readWriteTxt.readBytes(path, bytes)) {
        // A missing file has nothing to lose; one that is there but cannot
        // be read may hold a whole list.
        m_mayWrite = !QFileInfo::exists(path);
        return false;
    }
    m_mayWrite = ContentEncoding::decode(bytes, ContentCodec::chosen(), &m_encoding, &m_text);
    m_text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return true;
}

bool WordListFile::write(const QString &path, const QString &text)
{
    if (text == m_text)
        return true;
    QByteArray bytes;
    if (!m_mayWrite || !m_encoding.encode(text, &bytes) || !g_readWriteTxt.writeBytes(path, bytes))
        return false;
    m_text = text;
    return true;
}
