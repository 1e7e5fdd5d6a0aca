#ifndef OWNTHREAD_H
#define OWNTHREAD_H

#include <QThread>
#include <QThreadPool>
#include <future>
#include <system_error>
#include <utility>
#include <vector>

// Starts work on a thread of its own; where no thread can be had, the work
// runs when its result is asked for, on the asking thread. Never on a
// shared pool: a job of the pool that waited on the pool could wait forever.
class OwnThread
{
public:
    // How many threads one job may keep busy. The jobs of a run go through
    // Qt's global pool, one file each; they share the machine's cores
    // evenly, so that a run over many files does not drown them in threads.
    static int share()
    {
        const int jobs = QThreadPool::globalInstance()->activeThreadCount();
        return qMax(1, QThread::idealThreadCount() / qMax(1, jobs));
    }

    template<typename Work>
    static auto start(Work work) -> std::future<decltype(work())>
    {
        try {
            return std::async(std::launch::async, work);
        } catch (const std::system_error &) {
            return std::async(std::launch::deferred, std::move(work));
        }
    }

    // work(0) to work(count - 1) at once, the first on the calling thread
    // and each other on a thread of its own; their results in that order,
    // once every one is done.
    template<typename Work>
    static auto each(int count, Work work) -> std::vector<decltype(work(0))>
    {
        std::vector<std::future<decltype(work(0))>> others;
        for (int i = 1; i < count; ++i)
            others.push_back(start([work, i] { return work(i); }));
        std::vector<decltype(work(0))> results;
        if (count > 0)
            results.push_back(work(0));
        for (auto &other : others)
            results.push_back(other.get());
        return results;
    }
};

#endif // OWNTHREAD_H
