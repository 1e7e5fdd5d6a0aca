#ifndef WORKERTHREADS_H
#define WORKERTHREADS_H

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A few threads of one job's own, started as work comes and kept until the
// object goes, so that a long stream of short tasks does not pay for a new
// thread each. Where no thread can be had, a task runs at once on the
// thread that hands it over. Tasks must not wait for one another.
class WorkerThreads
{
public:
    explicit WorkerThreads(int maxThreads);
    // Finishes what was handed over, then lets the threads go.
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads &) = delete;
    WorkerThreads &operator=(const WorkerThreads &) = delete;

    template<typename Work>
    auto run(Work work) -> std::future<decltype(work())>
    {
        auto task = std::make_shared<std::packaged_task<decltype(work())()>>(std::move(work));
        auto result = task->get_future();
        post([task] { (*task)(); });
        return result;
    }

private:
    void post(std::function<void()> task);
    void serve();

    const int m_maxThreads;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_queue;
    std::vector<std::thread> m_threads;
    int m_idle = 0;
    bool m_stopping = false;
};

#endif // WORKERTHREADS_H
