#ifndef OWNTHREAD_H
#define OWNTHREAD_H

#include <future>
#include <system_error>
#include <utility>

// Starts work on a thread of its own; where no thread can be had, the work
// runs when its result is asked for, on the asking thread. Never on a
// shared pool: a job of the pool that waited on the pool could wait forever.
class OwnThread
{
public:
    template<typename Work>
    static auto start(Work work) -> std::future<decltype(work())>
    {
        try {
            return std::async(std::launch::async, work);
        } catch (const std::system_error &) {
            return std::async(std::launch::deferred, std::move(work));
        }
    }
};

#endif // OWNTHREAD_H
