#ifndef STEPLIST_H
#define STEPLIST_H

#include "frame/PluginGlobals.h"
#include "records/OperationRecord.h"
#include "run/StepType.h"

#include <QVector>

// The plug-in's steps in the order the host added them, each found by the
// host's id or by its place.
class StepList
{
public:
    int size() const { return m_steps.size(); }
    bool isEmpty() const { return m_steps.isEmpty(); }
    const StepType &at(int index) const { return m_steps.at(index); }

    void append(const StepType &step) { m_steps.append(step); }
    // A record goes with the last of its step and the jobs still using it.
    void clear() { m_steps.clear(); }
    // Removes the last step with the id; nothing when there is none.
    void remove(int uniqueValue);
    // The place of the first step with the id, -1 when there is none.
    int indexOf(int uniqueValue) const;
    // The record of the step at index, none when there is no such step or
    // it runs another kind.
    OperationRecord recordFor(int index, Enum_TextIndex kind) const;

private:
    QVector<StepType> m_steps;
};

#endif // STEPLIST_H
