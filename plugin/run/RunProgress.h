#ifndef RUNPROGRESS_H
#define RUNPROGRESS_H

// How far the current run has come: the files handed to a job and those of
// them that have ended, and whether the run is a step of a multi-step run.
// Touched in the GUI thread only.
class RunProgress
{
public:
    bool stepMode() const { return mStepMode; }
    void setStepMode(bool stepMode) { mStepMode = stepMode; }

    int fileCount() const { return mFileCount; }
    int fileComplete() const { return mFileComplete; }

    // While the run hands out its jobs, a file that ends is counted, but the
    // run cannot be complete before every file is handed out.
    void beginDispatch() { mDispatching = true; }
    // Whether files that ended while the run was handed out completed it.
    bool endDispatch();
    void fileStarted() { ++mFileCount; }
    // Counts one file as ended; whether that completes the run. A file that
    // ends outside a run is not counted.
    bool fileEnded();
    // Both counts back to 0 once the run is complete.
    void reset();

private:
    bool isComplete() const;

    int mFileCount = 0;
    int mFileComplete = 0;
    bool mStepMode = false;
    bool mDispatching = false;
};

#endif // RUNPROGRESS_H
