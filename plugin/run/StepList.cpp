#include "run/StepList.h"

void StepList::remove(int uniqueValue)
{
    for (int i = m_steps.size() - 1; i >= 0; --i) {
        if (m_steps.at(i).uniqueValue == uniqueValue) {
            m_steps.remove(i);
            return;
        }
    }
}

int StepList::indexOf(int uniqueValue) const
{
    for (int i = 0; i < m_steps.size(); ++i) {
        if (m_steps.at(i).uniqueValue == uniqueValue)
            return i;
    }
    return -1;
}

OperationRecord StepList::recordFor(int index, Enum_TextIndex kind) const
{
    if (index < 0 || index >= m_steps.size() || m_steps.at(index).textIndex != kind)
        return {};
    return m_steps.at(index).par;
}
