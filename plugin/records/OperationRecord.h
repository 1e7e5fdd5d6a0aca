#ifndef OPERATIONRECORD_H
#define OPERATIONRECORD_H

#include "records/ParTypes.h"

#include <memory>
#include <variant>

// A parameter record of one of the operations' record types, or none. It is
// shared by every job of a run and by the step that keeps it, and goes with
// the last of them. Only the record types listed here can be held, and the
// type held picks the operation that reads it.
class OperationRecord
{
public:
    using Value = std::variant<std::monostate, std::shared_ptr<const ParReplaced>,
                               std::shared_ptr<const ParRetain>, std::shared_ptr<const ParTo>,
                               std::shared_ptr<const ParCode>, std::shared_ptr<const ParChar>,
                               std::shared_ptr<const ParSpace>, std::shared_ptr<const ParAdd>>;

    OperationRecord() = default;
    template<typename Par>
    OperationRecord(std::shared_ptr<Par> par)
    {
        if (par)
            m_value = std::shared_ptr<const Par>(std::move(par));
    }

    explicit operator bool() const { return !std::holds_alternative<std::monostate>(m_value); }
    const Value &value() const { return m_value; }

private:
    Value m_value;
};

#endif // OPERATIONRECORD_H
