#include "run/RunProgress.h"

bool RunProgress::endDispatch()
{
    mDispatching = false;
    return isComplete();
}

bool RunProgress::fileEnded()
{
    if (mFileCount == 0)
        return false;
    ++mFileComplete;
    return !mDispatching && isComplete();
}

void RunProgress::reset()
{
    mFileCount = 0;
    mFileComplete = 0;
}

bool RunProgress::isComplete() const
{
    return mFileCount > 0 && mFileComplete >= mFileCount;
}
