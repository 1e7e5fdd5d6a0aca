#include "xlsx/WorkerThreads.h"

#include <system_error>

WorkerThreads::WorkerThreads(int maxThreads) : m_maxThreads(maxThreads) {}

WorkerThreads::~WorkerThreads()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

void WorkerThreads::post(std::function<void()> task)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_idle == 0 && int(m_threads.size()) < m_maxThreads) {
        try {
            m_threads.emplace_back([this] { serve(); });
        } catch (const std::system_error &) {
            // Out of threads: the ones there are do the work.
        }
    }
    if (m_threads.empty()) {
        lock.unlock();
        task();
        return;
    }
    m_queue.push_back(std::move(task));
    lock.unlock();
    m_wake.notify_one();
}

void WorkerThreads::serve()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        ++m_idle;
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        --m_idle;
        if (m_queue.empty())
            return; // stopping, nothing left
        std::function<void()> task = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
}
