#include "OperationTable.h"

#include "ParAdd.h"
#include "ParChar.h"
#include "ParCode.h"
#include "ParReplaced.h"
#include "ParRetain.h"
#include "ParSpace.h"
#include "ParTo.h"
#include "TextAdd.h"
#include "TextChar.h"
#include "TextCode.h"
#include "TextReplaced.h"
#include "TextRetain.h"
#include "TextSpace.h"
#include "TextTo.h"
#include "WidgetTextOption.h"

namespace {

// Takes over a builder's new record (or its null).
template<typename Par>
OperationTable::Record adopt(Par *par)
{
    return std::shared_ptr<Par>(par);
}

} // namespace

bool OperationTable::hasOperation(Enum_TextIndex kind)
{
    switch (kind) {
    case Replaced:
    case Replaced2:
    case Delete:
    case To:
    case Code:
    case Retain:
    case Char:
    case Space:
    case Add:
        return true;
    default:
        return false;
    }
}

OperationTable::Record OperationTable::buildRecord(WidgetTextOption *options, Enum_TextIndex kind,
                                                   int fileIndex)
{
    if (!options)
        return nullptr;
    switch (kind) {
    case Replaced:
    case Delete:
        return adopt(options->getParReplaced());
    case Replaced2:
        return adopt(options->getParReplaced2(fileIndex));
    case Retain:
        return adopt(options->getParRetain());
    case To:
        return adopt(options->getParTo());
    case Code:
        return adopt(options->getParCode());
    case Char:
        return adopt(options->getParChar());
    case Space:
        return adopt(options->getParSpace());
    case Add:
        return adopt(options->getParAdd());
    default:
        return nullptr;
    }
}

std::unique_ptr<ExcelBase> OperationTable::createOperation(Enum_TextIndex kind, const QString &path,
                                                           const Record &record)
{
    if (!record)
        return nullptr;
    switch (kind) {
    case Replaced:
    case Replaced2:
    case Delete:
        return std::make_unique<TextReplaced>(path, static_cast<const ParReplaced *>(record.get()),
                                              nullptr);
    case To:
        return std::make_unique<TextTo>(path, static_cast<const ParTo *>(record.get()), nullptr);
    case Code:
        return std::make_unique<TextCode>(path, static_cast<const ParCode *>(record.get()),
                                          nullptr);
    case Retain:
        return std::make_unique<TextRetain>(path, static_cast<const ParRetain *>(record.get()),
                                            nullptr);
    case Char:
        return std::make_unique<TextChar>(path, static_cast<const ParChar *>(record.get()),
                                          nullptr);
    case Space:
        return std::make_unique<TextSpace>(path, static_cast<const ParSpace *>(record.get()),
                                           nullptr);
    case Add:
        return std::make_unique<TextAdd>(path, static_cast<const ParAdd *>(record.get()), nullptr);
    default:
        return nullptr;
    }
}
