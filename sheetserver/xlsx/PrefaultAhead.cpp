#include "xlsx/PrefaultAhead.h"

#include "model/OwnThread.h"

#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr qint64 Step = qint64(1) << 20;

} // namespace

PrefaultAhead::PrefaultAhead(char *begin, qint64 size) : m_begin(begin), m_size(size)
{
#ifdef MADV_POPULATE_WRITE
    if (size >= MinSize)
        m_thread = OwnThread::start([this] { run(); });
#endif
}

PrefaultAhead::~PrefaultAhead()
{
    if (!m_thread.valid())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_one();
    m_thread.wait();
}

void PrefaultAhead::reached(qint64 offset)
{
    // Told a step at a time, not at every piece.
    if (!m_thread.valid() || offset - m_told < Step)
        return;
    m_told = offset;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reached = offset;
    }
    m_changed.notify_one();
}

void PrefaultAhead::run()
{
#ifdef MADV_POPULATE_WRITE
    const auto page = quintptr(sysconf(_SC_PAGESIZE));
    const quintptr start = (quintptr(m_begin) + page - 1) & ~(page - 1);
    const quintptr end = (quintptr(m_begin) + quintptr(m_size)) & ~(page - 1);
    quintptr done = start;
    while (done < end) {
        quintptr until = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [&] {
                return m_stopping || quintptr(m_begin) + quintptr(m_reached + Lead) > done;
            });
            if (m_stopping)
                return;
            until = qMin(end, quintptr(m_begin) + quintptr(m_reached + Lead));
        }
        until = qMin(until, done + quintptr(Step));
        until &= ~(page - 1);
        if (until <= done)
            until = qMin(end, done + page);
        // Pages already there are left as they are; what is in them is
        // never looked at.
        if (madvise(reinterpret_cast<void *>(done), until - done, MADV_POPULATE_WRITE) != 0)
            return;
        done = until;
    }
#endif
}
