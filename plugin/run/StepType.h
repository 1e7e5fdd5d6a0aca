#ifndef STEPTYPE_H
#define STEPTYPE_H

#include "frame/PluginGlobals.h"
#include "records/OperationRecord.h"

// One step of a multi-step run: what the step runs, with the record that was
// current when it was added, and over which files.
struct StepType
{
    // The host's id of the step.
    int uniqueValue = 0;
    Enum_TextIndex textIndex = Explain;
    // Of the type that textIndex's operation takes; never null in a stored
    // step. Every run of the step uses this same record.
    OperationRecord par;
    Enum_Range range = All;
};

#endif // STEPTYPE_H
