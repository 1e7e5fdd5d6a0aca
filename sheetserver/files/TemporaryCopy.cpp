#include "files/TemporaryCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int BufferSize = 256 * 1024;
constexpr int NameMax = 255; // bytes in one file name
const char Suffix[] = ".quorvane-saving";

// Only a plain file of that name can be one we left: anything else there
// is not ours to remove.
void removePlainFile(const QByteArray &name)
{
    struct stat info = {};
    if (::lstat(name.constData(), &info) == 0 && S_ISREG(info.st_mode))
        ::unlink(name.constData());
}

} // namespace

TemporaryCopy::TemporaryCopy(const QString &workbook) : m_path(pathFor(workbook)) {}

TemporaryCopy::~TemporaryCopy()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    if (!m_placed)
        ::unlink(QFile::encodeName(m_path).constData());
}

QString TemporaryCopy::pathFor(const QString &workbook)
{
    const QFileInfo info(workbook);
    // A name near the longest a folder takes loses its end, never a
    // character's bytes.
    QByteArray name = QFile::encodeName(info.fileName());
    const int room = NameMax - 1 - int(sizeof Suffix - 1);
    if (name.size() > room) {
        int cut = room;
        while (cut > 0 && (uchar(name.at(cut)) & 0xC0) == 0x80)
            --cut;
        name.truncate(cut);
    }
    return QDir(info.absolutePath())
        .filePath(QLatin1Char('.') + QFile::decodeName(name) + QLatin1String(Suffix));
}

void TemporaryCopy::removeStale(const QString &workbook)
{
    removePlainFile(QFile::encodeName(pathFor(workbook)));
}

bool TemporaryCopy::create(QString *why)
{
    const QByteArray name = QFile::encodeName(m_path);
    removePlainFile(name); // left by a save that never finished
    // Read and write: once in place, the workbook is held and read through it.
    m_fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0) {
        m_error = errno;
        *why = failure();
        return false;
    }
    m_buffer.reserve(BufferSize);
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 TemporaryCopy::writeData(const char *data, qint64 length)
{
    if (m_error != 0 || m_fd < 0)
        return -1;
    if (m_buffer.size() + length <= BufferSize) {
        m_buffer.append(data, int(length));
        return length;
    }
    if (!writeOut(m_buffer.constData(), m_buffer.size()))
        return -1;
    m_buffer.clear();
    if (length >= BufferSize)
        return writeOut(data, length) ? length : -1;
    m_buffer.append(data, int(length));
    return length;
}

bool TemporaryCopy::writeOut(const char *data, qint64 length)
{
    while (length > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(length));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = n < 0 ? errno : EIO;
            setErrorString(failure());
            return false;
        }
        data += n;
        length -= n;
    }
    return true;
}

QString TemporaryCopy::failure() const
{
    return QStringLiteral("cannot write %1: %2")
        .arg(QFileInfo(m_path).fileName(), qt_error_string(m_error));
}

bool TemporaryCopy::drain(QString *why)
{
    if (m_error == 0 && !m_buffer.isEmpty() && writeOut(m_buffer.constData(), m_buffer.size()))
        m_buffer.clear();
    if (m_error == 0)
        return true;
    *why = failure();
    return false;
}

bool TemporaryCopy::sync(QString *why)
{
    if (!drain(why))
        return false;
    if (::fsync(m_fd) != 0) {
        m_error = errno;
        *why = failure();
        return false;
    }
    return true;
}

bool TemporaryCopy::replace(const QString &workbook, QString *why)
{
    if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(workbook).constData()) !=
        0) {
        *why = QStringLiteral("cannot replace the file: ") + qt_error_string(errno);
        return false;
    }
    m_placed = true;
    return true;
}

int TemporaryCopy::takeDescriptor()
{
    const int fd = m_fd;
    m_fd = -1;
    QIODevice::close();
    return fd;
}
