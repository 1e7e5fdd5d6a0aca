#ifndef PREFAULTAHEAD_H
#define PREFAULTAHEAD_H

#include <QtGlobal>
#include <condition_variable>
#include <future>
#include <mutex>

// Faults in the pages of a large buffer on a thread of its own, a few
// megabytes ahead of whoever fills it: taking a fresh page costs about a
// fifth of inflating into it, and the filling thread is the one everything
// waits for. Never further ahead than Lead, so that a fill stopped early
// (a bomb refused) leaves little more behind. The pages' contents are not
// touched. Where the system cannot do it, nothing is done.
class PrefaultAhead
{
public:
    static constexpr qint64 MinSize = qint64(8) << 20;
    static constexpr qint64 Lead = qint64(8) << 20;

    // [begin, begin + size): memory that stays where it is until the object
    // goes. Below MinSize nothing is started.
    PrefaultAhead(char *begin, qint64 size);
    // Stops where it is.
    ~PrefaultAhead();
    PrefaultAhead(const PrefaultAhead &) = delete;
    PrefaultAhead &operator=(const PrefaultAhead &) = delete;

    // The buffer is filled up to `offset`.
    void reached(qint64 offset);

private:
    void run();

    char *m_begin = nullptr;
    qint64 m_size = 0;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    qint64 m_reached = 0;
    qint64 m_told = 0; // the last offset passed on
    bool m_stopping = false;
    std::future<void> m_thread;
};

#endif // PREFAULTAHEAD_H
