#include "server/ServerWorksheet.h"

#include "server/ServerRange.h"

ServerWorksheet::ServerWorksheet(OpenWorkbookPtr workbook, int index)
    : m_workbook(std::move(workbook)), m_index(index)
{
}

QVariant ServerWorksheet::invoke(const MemberSignature &member, const QVariantList &arguments,
                                 bool *known)
{
    SheetModel *sheet = m_workbook->isOpen() ? m_workbook->document().sheet(m_index) : nullptr;
    if (is(member, arguments, "Name"))
        return sheet ? sheet->name : QString();
    const bool usedRange = is(member, arguments, "UsedRange");
    const bool range = is(member, arguments, "Range", 1);
    if (!usedRange && !range)
        return unknown(known);
    if (!sheet || sheet->kind != SheetModel::Worksheet)
        return ServerObject::objectValue(ServerObjectPtr());
    CellBlock block;
    if (usedRange)
        block = sheet->cells.usedBlock();
    else if (!CellAddress::parseBlock(arguments.at(0).toString().trimmed(), &block))
        return ServerObject::objectValue(ServerObjectPtr());
    return ServerObject::objectValue(std::make_shared<ServerRange>(m_workbook, m_index, block));
}

bool ServerWorksheet::put(const QByteArray &, const QVariant &)
{
    return false;
}
