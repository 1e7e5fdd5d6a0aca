#include "server/ServerRange.h"

#include "model/CellEditor.h"

ServerRange::ServerRange(OpenWorkbookPtr workbook, int sheet, const CellBlock &block, View view)
    : m_workbook(std::move(workbook)), m_sheet(sheet), m_block(block), m_view(view)
{
}

SheetModel *ServerRange::sheet() const
{
    return m_workbook->isOpen() ? m_workbook->document().sheet(m_sheet) : nullptr;
}

QVariant ServerRange::invoke(const MemberSignature &member, const QVariantList &arguments,
                             bool *known)
{
    if (is(member, arguments, "Rows") || is(member, arguments, "Columns")) {
        const View view = member.name() == "Rows" ? Rows : Columns;
        return ServerObject::objectValue(
            std::make_shared<ServerRange>(m_workbook, m_sheet, m_block, view));
    }
    if (is(member, arguments, "Count")) {
        const qint64 count = m_view == Rows      ? m_block.rows()
                             : m_view == Columns ? m_block.columns()
                                                 : m_block.cells();
        return count;
    }
    if (is(member, arguments, "Address"))
        return CellAddress::blockName(m_block);
    SheetModel *model = sheet();
    if (is(member, arguments, "Text")) {
        if (!model)
            return QString();
        return m_workbook->document().displayText(*model,
                                                  model->cells.find(m_block.top, m_block.left));
    }
    if (is(member, arguments, "ClearContents")) {
        if (model)
            CellEditor(&m_workbook->document(), model).clearContents(m_block);
        return QVariant();
    }
    if (is(member, arguments, "Replace", 5)) {
        if (!model)
            return false;
        CellEditor(&m_workbook->document(), model)
            .replace(m_block, arguments.at(0).toString(), arguments.at(1).toString(),
                     arguments.at(2).toInt(), arguments.at(3).toInt(), arguments.at(4).toBool());
        return true;
    }
    return unknown(known);
}

bool ServerRange::put(const QByteArray &property, const QVariant &value)
{
    SheetModel *model = sheet();
    if (property != "Value" || !model)
        return false;
    return CellEditor(&m_workbook->document(), model).setText(m_block, value.toString());
}
