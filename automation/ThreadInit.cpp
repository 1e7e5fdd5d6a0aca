#include "ThreadInit.h"

#include <QDebug>
#include <atomic>

namespace {

struct ThreadState
{
    ThreadInit::Counts counts;
    ThreadInit::Model model = ThreadInit::Multithreaded;
};

ThreadState &threadState()
{
    thread_local ThreadState state;
    return state;
}

std::atomic<qint64> &initialisedTotal()
{
    static std::atomic<qint64> total{0};
    return total;
}

std::atomic<qint64> &releasedTotal()
{
    static std::atomic<qint64> total{0};
    return total;
}

} // namespace

ThreadInit::Result ThreadInit::initialize(Model model)
{
    ThreadState &state = threadState();
    if (state.counts.depth() > 0 && state.model != model)
        return ChangedMode;
    const bool first = state.counts.depth() == 0;
    state.model = model;
    ++state.counts.initialised;
    ++initialisedTotal();
    return first ? Ok : AlreadyInitialised;
}

void ThreadInit::release()
{
    ThreadState &state = threadState();
    if (state.counts.depth() <= 0) {
        ++state.counts.unmatched;
        qWarning() << "ThreadInit: release without a matching initialisation";
        return;
    }
    ++state.counts.released;
    ++releasedTotal();
}

ThreadInit::Counts ThreadInit::counts()
{
    return threadState().counts;
}

void ThreadInit::resetCounts()
{
    threadState().counts = Counts();
}

qint64 ThreadInit::totalInitialised()
{
    return initialisedTotal().load();
}

qint64 ThreadInit::totalReleased()
{
    return releasedTotal().load();
}
