#include "xlsx/TextRunLimit.h"

#include <cstring>

bool TextRunLimit::operator()(const char *data, int size)
{
    // A run within one piece is shorter than the piece; only runs across
    // pieces can grow long, so only the ends of a piece matter.
    const void *first = std::memchr(data, '<', size_t(size));
    if (!first) {
        m_run += size;
        return m_run <= MaxRun;
    }
    if (m_run + (static_cast<const char *>(first) - data) > MaxRun)
        return false;
    const void *last = memrchr(data, '<', size_t(size));
    m_run = data + size - static_cast<const char *>(last) - 1;
    return true;
}
