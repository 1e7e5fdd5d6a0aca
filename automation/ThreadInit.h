#ifndef THREADINIT_H
#define THREADINIT_H

#include <QtGlobal>

// Per-thread initialisation of the automation layer, the stand-in for the
// platform's "initialise this thread for objects" and "release" pair. Every
// thread that talks to an automation server initialises first and releases
// exactly once for each initialisation, in that same thread.
//
// The counts are kept per thread so that a test can run a job and then check,
// from inside that thread, that it released what it initialised; the process
// totals let a test check the balance of jobs it cannot reach.
class ThreadInit
{
public:
    enum Model { Multithreaded, ApartmentThreaded };
    enum Result { Ok = 0, AlreadyInitialised = 1, ChangedMode = -1 };

    struct Counts
    {
        int initialised = 0; // successful initialisations on this thread
        int released = 0;    // releases that matched one of them
        int unmatched = 0;   // releases with nothing left to release
        int depth() const { return initialised - released; }
    };

    // Ok on the first initialisation of a thread, AlreadyInitialised on each
    // nested one (which still needs its own release), ChangedMode (counted as
    // nothing) when the thread is already initialised with the other model.
    static Result initialize(Model model = Multithreaded);
    static void release();

    static Counts counts();    // of the calling thread
    static void resetCounts(); // of the calling thread; for tests
    static qint64 totalInitialised();
    static qint64 totalReleased();
};

#endif // THREADINIT_H
